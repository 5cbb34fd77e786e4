// The assimp import: the file read untouched first (to count its polygons),
// then triangulated, then every mesh-holding node walked with its transform.
#include "meshconvert/SceneReader.h"

#include <assimp/Importer.hpp>
#include <assimp/commonMetaData.h>
#include <assimp/importerdesc.h>
#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <new>
#include <utility>

#include "meshconvert/DeclaredCounts.h"
#include "meshconvert/FolderIOSystem.h"

namespace velmora {

namespace {

PolygonCounts countPolygons(const aiMesh& mesh) {
    PolygonCounts counts;
    for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
        const unsigned corners = mesh.mFaces[f].mNumIndices;
        if (corners == 1) ++counts.points;
        else if (corners == 2) ++counts.lines;
        else if (corners == 3) ++counts.triangles;
        else if (corners == 4) ++counts.quads;
        else if (corners > 4) ++counts.larger;
    }
    return counts;
}

// LightWave's axes: x right, y up, z away from the viewer (left-handed).
Float3 toLightWave(const aiVector3D& v) { return Float3{v.x, v.y, -v.z}; }

class LayerWalk {
public:
    LayerWalk(const aiScene& scene, const std::vector<PolygonCounts>& polygons, SceneRead& read)
        : scene_(scene), polygons_(polygons), read_(read) {}

    // Depth first, with a stack of its own: a chain of nodes thousands deep
    // must not exhaust the call stack.
    void walk(const aiNode& root) {
        std::vector<std::pair<const aiNode*, aiMatrix4x4>> pending{{&root, aiMatrix4x4()}};
        while (!pending.empty()) {
            const auto [node, parent] = pending.back();
            pending.pop_back();
            const aiMatrix4x4 world = visit(*node, parent);
            for (unsigned c = node->mNumChildren; c-- > 0;) pending.emplace_back(node->mChildren[c], world);
        }
    }

private:
    aiMatrix4x4 visit(const aiNode& node, const aiMatrix4x4& parent) {
        const aiMatrix4x4 world = parent * node.mTransformation;
        if (node.mNumMeshes > 0) {
            SceneLayer layer;
            layer.name = node.mName.C_Str();
            layer.firstMesh = scene_.mNumMeshes;
            // A mirroring transform turns the faces inside out; its triangles are
            // taken in the other order to undo that.
            const bool mirrored = world.Determinant() < 0;
            for (unsigned m = 0; m < node.mNumMeshes; ++m) {
                const unsigned index = node.mMeshes[m];
                if (index >= scene_.mNumMeshes) continue;
                layer.firstMesh = std::min(layer.firstMesh, index);
                addMesh(*scene_.mMeshes[index], world, mirrored, layer);
                addPolygons(layer.polygons, polygons_[index]);
            }
            read_.layers.push_back(std::move(layer));
        }
        return world;
    }

    void addMesh(const aiMesh& mesh, const aiMatrix4x4& world, bool mirrored, SceneLayer& layer) {
        layer.pointsRead += mesh.mNumVertices;
        for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
            const aiFace& face = mesh.mFaces[f];
            if (face.mNumIndices != 3) continue;  // points and lines
            const Float3 a = toLightWave(world * mesh.mVertices[face.mIndices[0]]);
            const Float3 b = toLightWave(world * mesh.mVertices[face.mIndices[1]]);
            const Float3 c = toLightWave(world * mesh.mVertices[face.mIndices[2]]);
            // Negating z mirrors the mesh: reversing the corners keeps the front.
            if (mirrored) layer.corners.insert(layer.corners.end(), {a, b, c});
            else layer.corners.insert(layer.corners.end(), {c, b, a});
        }
    }

    const aiScene& scene_;
    const std::vector<PolygonCounts>& polygons_;
    SceneRead& read_;
};

std::string formatName(const Assimp::Importer& importer, const aiScene& scene, const std::string& path) {
    aiString format;
    if (scene.mMetaData && scene.mMetaData->Get(AI_METADATA_SOURCE_FORMAT, format) && format.length > 0)
        return format.C_Str();
    const std::string extension = std::filesystem::path(path).extension().string();
    if (!extension.empty()) {
        const size_t index = importer.GetImporterIndex(extension.c_str());
        if (index < importer.GetImporterCount()) {
            const aiImporterDesc* info = importer.GetImporterInfo(index);
            if (info && info->mName) return info->mName;
        }
    }
    return "recognised by its content";
}

void noteDropped(const aiScene& scene, DroppedParts& dropped) {
    for (unsigned m = 0; m < scene.mNumMeshes; ++m) {
        const aiMesh& mesh = *scene.mMeshes[m];
        dropped.normals = dropped.normals || mesh.HasNormals();
        dropped.textureCoordinates = dropped.textureCoordinates || mesh.HasTextureCoords(0);
        dropped.vertexColours = dropped.vertexColours || mesh.HasVertexColors(0);
        dropped.bones = dropped.bones || mesh.HasBones();
    }
    for (unsigned m = 0; m < scene.mNumMaterials; ++m)
        if (scene.mMaterials[m]->GetName() != aiString(AI_DEFAULT_MATERIAL_NAME)) ++dropped.materials;
    dropped.animations = scene.mNumAnimations;
    dropped.cameras = scene.mNumCameras;
    dropped.lights = scene.mNumLights;
    dropped.textures = scene.mNumTextures;
}

std::optional<SceneRead> importScene(const std::string& path, FolderIOSystem* files, std::string& error) {
    Assimp::Importer importer;
    importer.SetIOHandler(files);  // the importer owns it from here
    const aiScene* scene = importer.ReadFile(path, aiProcess_ValidateDataStructure);
    if (!scene || !scene->mRootNode || (scene->mFlags & AI_SCENE_FLAGS_INCOMPLETE)) {
        const char* reason = importer.GetErrorString();
        if (!files->refusal().empty()) error = "not read: " + files->refusal();
        else error = std::string("not read: ") + (reason && *reason ? reason : "the file holds no complete scene");
        return std::nullopt;
    }
    // A scene read without a file it refers to is not the scene the file means.
    if (!files->refusal().empty()) {
        error = "not read: " + files->refusal();
        return std::nullopt;
    }
    SceneRead read;
    read.format = formatName(importer, *scene, path);
    read.meshes = scene->mNumMeshes;
    std::vector<PolygonCounts> polygons;
    for (unsigned m = 0; m < scene->mNumMeshes; ++m) polygons.push_back(countPolygons(*scene->mMeshes[m]));
    noteDropped(*scene, read.dropped);

    // Triangulation keeps the meshes where they are; only their faces change.
    scene = importer.ApplyPostProcessing(aiProcess_Triangulate);
    if (!scene || !scene->mRootNode) {
        error = std::string("not triangulated: ") + importer.GetErrorString();
        return std::nullopt;
    }
    LayerWalk(*scene, polygons, read).walk(*scene->mRootNode);
    // Importers build their node trees in their own order (the LWO one puts the
    // last layer first); the meshes themselves come in file order.
    std::stable_sort(read.layers.begin(), read.layers.end(),
                     [](const SceneLayer& a, const SceneLayer& b) { return a.firstMesh < b.firstMesh; });
    return read;
}

}  // namespace

std::optional<SceneRead> readScene(const std::string& path, std::string& error) {
    // The importers report through the error string; anything thrown past them
    // is a failure to read as well. Memory running out is left to the caller,
    // which knows the limit.
    try {
        std::vector<uint8_t> head(kDeclaredHeaderBytes);
        std::error_code ec;
        const uint64_t size = std::filesystem::file_size(path, ec);
        if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
            head.resize(std::fread(head.data(), 1, head.size(), file));
            std::fclose(file);
        }
        if (const std::optional<std::string> problem = declaredCountProblem(head, ec ? 0 : size)) {
            error = *problem;
            return std::nullopt;
        }
        return importScene(path, new FolderIOSystem(path), error);
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception& e) {
        error = std::string("not read: ") + e.what();
        return std::nullopt;
    }
}

}  // namespace velmora
