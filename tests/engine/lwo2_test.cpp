// The LWO2 loader: the chunk walk, its exits and messages, and the normals.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "core/Error.h"
#include "object3d/Lwo2Loader.h"
#include "object3d/Lwo2Writer.h"
#include "object3d/Mesh.h"

namespace velmora {
namespace {

using Bytes = std::vector<uint8_t>;

const Float3 kPoints[] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
const MeshTriangle kTriangles[] = {{{0, 1, 2}}, {{3, 2, 1}}};

void append(Bytes& bytes, std::initializer_list<uint8_t> more) { bytes.insert(bytes.end(), more); }

std::string tempPath(const std::string& name) { return ::testing::TempDir() + "velmora_lwo2_" + name; }

// The error a failing load raises (status -1 when none is raised).
template <class Load>
ShowError refusedBy(Load load) {
    try {
        load();
    } catch (const ShowError& error) {
        EXPECT_EQ(error.presentation, ErrorPresentation::StandardOutput);
        EXPECT_EQ(error.checkMessage, "fichier LWO2 refuse (code " + std::to_string(error.exitStatus) + ")");
        return error;
    }
    return ShowError(ErrorPresentation::StandardOutput, -1, "returned");
}

// The walk on `bytes` is refused with status 1; returns the text for standard output.
std::string refusal(const Bytes& bytes) {
    const ShowError error = refusedBy([&] { parseLwo2(bytes, "mesh.lwo"); });
    EXPECT_EQ(error.exitStatus, 1);
    return error.message;
}

TEST(Lwo2Loader, ReadsTheUsualSingleLayerLayout) {
    const Mesh mesh = parseLwo2(Lwo2Writer::meshFile(kPoints, kTriangles), "mesh.lwo");
    ASSERT_EQ(mesh.pointCount, 4);
    ASSERT_EQ(mesh.triangleCount, 2);
    EXPECT_EQ(mesh.points[1].x, 1.0f);
    EXPECT_EQ(mesh.points[3].z, 1.0f);
    EXPECT_EQ(mesh.triangles[1].corner[0], 3);
    EXPECT_EQ(mesh.triangles[1].corner[1], 2);
    EXPECT_EQ(mesh.triangles[1].corner[2], 1);
}

TEST(Lwo2Loader, ChunkSizesAndFloatsAreBigEndian) {
    Bytes file = {'F', 'O', 'R', 'M', 0, 0, 0, 24, 'L', 'W', 'O', '2', 'P', 'N', 'T', 'S', 0, 0, 0, 0x0C};
    append(file, {0x3F, 0x80, 0, 0, 0xC0, 0x20, 0, 0, 0x42, 0xF6, 0xE9, 0x79});  // 1, -2.5, 123.456
    const Mesh mesh = parseLwo2(file, "mesh.lwo");
    ASSERT_EQ(mesh.pointCount, 1);
    EXPECT_EQ(mesh.points[0].x, 1.0f);
    EXPECT_EQ(mesh.points[0].y, -2.5f);
    EXPECT_EQ(mesh.points[0].z, 123.456f);
}

TEST(Lwo2Loader, NoPointsOrPolygonsIsAnEmptyMesh) {
    const std::string names[] = {"Default"};
    Lwo2Writer writer;
    writer.tags(names).layer().surface("Default");
    const Mesh mesh = parseLwo2(writer.bytes(), "mesh.lwo");
    EXPECT_EQ(mesh.pointCount, 0);
    EXPECT_EQ(mesh.triangleCount, 0);
}

TEST(Lwo2Loader, PolygonTypeTagIsNotLookedAt) {
    Lwo2Writer writer;
    writer.points(kPoints).polygons(kTriangles, "PTCH");
    const Mesh mesh = parseLwo2(writer.bytes(), "mesh.lwo");
    ASSERT_EQ(mesh.triangleCount, 2);
    EXPECT_EQ(mesh.triangles[0].corner[2], 2);
}

TEST(Lwo2Loader, WalkEndsAtTheFormSizeWhateverFollows) {
    Lwo2Writer inside;
    inside.points(std::span(kPoints, 3));
    Bytes file = inside.bytes();
    // A full point chunk after the FORM's end is not read.
    Lwo2Writer after;
    after.points(kPoints);
    const Bytes trailing = after.bytes();
    file.insert(file.end(), trailing.begin() + 12, trailing.end());
    EXPECT_EQ(parseLwo2(file, "mesh.lwo").pointCount, 3);
}

TEST(Lwo2Loader, PolygonsRightAfterPointsAreNotReadOnceTheFormSizeIsReached) {
    Lwo2Writer writer;
    writer.points(kPoints).polygons(kTriangles);
    const uint32_t pointsOnly = 4 + 8 + 4 * 12;
    const Mesh mesh = parseLwo2(writer.bytesWithFormSize(pointsOnly), "mesh.lwo");
    EXPECT_EQ(mesh.pointCount, 4);
    EXPECT_EQ(mesh.triangleCount, 0);
}

TEST(Lwo2Loader, PointChunkInTheSkipStepIsSkipped) {
    // Pass 1 reads the first list, finds no POLS and skips the second list.
    Lwo2Writer writer;
    writer.points(std::span(kPoints, 3)).points(kPoints);
    EXPECT_EQ(parseLwo2(writer.bytes(), "mesh.lwo").pointCount, 3);
}

TEST(Lwo2Loader, PointChunkAtTheStartOfAPassReplacesTheEarlierOne) {
    // Pass 1: points (3), BBOX skipped; pass 2: points (4).
    Lwo2Writer writer;
    writer.points(std::span(kPoints, 3)).boundingBox(kPoints).points(kPoints);
    const Mesh mesh = parseLwo2(writer.bytes(), "mesh.lwo");
    ASSERT_EQ(mesh.pointCount, 4);
    EXPECT_EQ(mesh.points[3].z, 1.0f);
}

TEST(Lwo2Loader, PolygonsAfterASkippedChunkAndBeforeThePointsAreRead) {
    // Pass 1 skips TAGS; pass 2 reads POLS and skips LAYR; pass 3 reads the
    // points, so the indices can only be checked once the walk is over.
    const std::string names[] = {"Default"};
    Lwo2Writer writer;
    writer.tags(names).polygons(kTriangles).layer().points(kPoints);
    const Mesh mesh = parseLwo2(writer.bytes(), "mesh.lwo");
    EXPECT_EQ(mesh.triangleCount, 2);
    EXPECT_EQ(mesh.pointCount, 4);
}

TEST(Lwo2Loader, PolygonChunkInTheSkipStepIsSkipped) {
    const MeshTriangle one[] = {{{0, 1, 2}}};
    Lwo2Writer writer;
    writer.points(kPoints).polygons(one).polygons(kTriangles);
    EXPECT_EQ(parseLwo2(writer.bytes(), "mesh.lwo").triangleCount, 1);
}

TEST(Lwo2Loader, OddChunkSizeIsNotPadded) {
    // A 3-byte chunk followed directly (no pad byte) by the point list.
    const uint8_t odd[] = {1, 2, 3};
    Lwo2Writer writer;
    writer.chunk("ODD!", odd).points(kPoints);
    EXPECT_EQ(parseLwo2(writer.bytes(), "mesh.lwo").pointCount, 4);
}

TEST(Lwo2Loader, TraceIsOffByDefaultAndCanBeSwitchedOn) {
    const Bytes file = Lwo2Writer::meshFile(kPoints, kTriangles);
    ::testing::internal::CaptureStderr();
    parseLwo2(file, "mesh.lwo");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    setLwo2Trace(true);
    ::testing::internal::CaptureStderr();
    parseLwo2(file, "mesh.lwo");
    const std::string trace = ::testing::internal::GetCapturedStderr();
    setLwo2Trace(false);
    EXPECT_NE(trace.find("TAILLE DU CHUNK PNTS --> 0x30\n"), std::string::npos);
    EXPECT_NE(trace.find("Triangle n = 1 --> [3][2][1]\n"), std::string::npos);
    EXPECT_NE(trace.find("Chunk non traité : BBOX\n"), std::string::npos);
}

TEST(Lwo2LoaderRefusal, NotFormOrNotLwo2EndsSilentlyWithStatus1) {
    Bytes notForm = Lwo2Writer::meshFile(kPoints, kTriangles);
    notForm[0] = 'X';
    EXPECT_EQ(refusal(notForm), "");
    Bytes notLwo2 = Lwo2Writer::meshFile(kPoints, kTriangles);
    notLwo2[11] = '3';
    EXPECT_EQ(refusal(notLwo2), "");
}

TEST(Lwo2LoaderRefusal, QuadOrFlaggedCountEndsSilentlyWithStatus1) {
    Lwo2Writer quad;
    const uint8_t quadBody[] = {'F', 'A', 'C', 'E', 0, 4, 0, 0, 0, 1, 0, 2, 0, 3};
    quad.points(kPoints).chunk("POLS", quadBody);
    EXPECT_EQ(refusal(quad.bytes()), "");
    Lwo2Writer flagged;
    const uint8_t flaggedBody[] = {'F', 'A', 'C', 'E', 0x04, 0x03, 0, 0, 0, 1, 0, 2};
    flagged.points(kPoints).chunk("POLS", flaggedBody);
    EXPECT_EQ(refusal(flagged.bytes()), "");
}

TEST(Lwo2LoaderRefusal, DamagedFilesEndWithStatus1AndAMessage) {
    const Bytes whole = Lwo2Writer::meshFile(kPoints, kTriangles);
    EXPECT_NE(refusal(Bytes(whole.begin(), whole.begin() + 11)), "");

    Lwo2Writer bigForm;
    bigForm.points(kPoints);
    EXPECT_NE(refusal(bigForm.bytesWithFormSize(1000)), "");

    Bytes pointsCut = bigForm.bytes();  // the point list runs past the end
    pointsCut.resize(pointsCut.size() - 1);
    pointsCut[7] -= 1;
    EXPECT_NE(refusal(pointsCut), "");

    Lwo2Writer polygonsCut;  // claims two triangles, holds one
    const uint8_t cutBody[] = {'F', 'A', 'C', 'E', 0, 3, 0, 0, 0, 1, 0, 2, 0, 3};
    polygonsCut.points(kPoints);
    Bytes cut = polygonsCut.bytes();
    append(cut, {'P', 'O', 'L', 'S', 0, 0, 0, 20});
    cut.insert(cut.end(), std::begin(cutBody), std::end(cutBody));
    cut[7] = static_cast<uint8_t>(cut.size() - 8);
    EXPECT_NE(refusal(cut), "");

    Lwo2Writer skipCut;  // a skipped chunk longer than the file
    const uint8_t body[] = {0, 0, 0, 0};
    skipCut.chunk("BBOX", body);
    Bytes skip = skipCut.bytes();
    skip[19] = 200;
    EXPECT_NE(refusal(skip), "");
}

TEST(Lwo2LoaderRefusal, IndexOutsideThePointListEndsWithStatus1) {
    const MeshTriangle outside[] = {{{0, 1, 4}}};
    const std::string message = refusal(Lwo2Writer::meshFile(kPoints, outside));
    EXPECT_NE(message.find("mesh.lwo"), std::string::npos) << message;
}

TEST(Lwo2LoaderRefusal, FourByteIndexFormEndsWithStatus1) {
    const MeshTriangle far[] = {{{0, 1, 0xFF00}}};
    EXPECT_NE(refusal(Lwo2Writer::meshFile(kPoints, far)), "");
}

TEST(Lwo2LoaderRefusal, MissingFileIsStatus2WithTheMessage) {
    const std::string path = tempPath("does_not_exist.lwo");
    const ShowError error = refusedBy([&] { loadLwo2(path.c_str()); });
    EXPECT_EQ(error.exitStatus, 2);
    EXPECT_EQ(error.message, "ca chie! -> impossible d'ouvrir le fichier: " + path + " \n");
    EXPECT_EQ(error.file, path);
}

TEST(Lwo2Loader, LoadsFromAFile) {
    const std::string path = tempPath("file.lwo");
    ASSERT_TRUE(Lwo2Writer::save(path, Lwo2Writer::meshFile(kPoints, kTriangles)));
    const Mesh mesh = loadLwo2(path.c_str());
    EXPECT_EQ(mesh.pointCount, 4);
    EXPECT_EQ(mesh.triangleCount, 2);
}

Mesh meshOf(std::vector<Float3> points, std::vector<MeshTriangle> triangles) {
    Mesh mesh;
    mesh.pointCount = static_cast<int32_t>(points.size());
    mesh.triangleCount = static_cast<int32_t>(triangles.size());
    mesh.points = std::move(points);
    mesh.triangles = std::move(triangles);
    computeFaceNormals(mesh);
    computeVertexNormals(mesh);
    return mesh;
}

TEST(MeshNormals, FaceNormalIsTheUnitCrossProductOfTheEdges) {
    const Mesh mesh = meshOf({{0, 0, 0}, {3, 0, 0}, {0, 4, 0}, {0, 1, 1}}, {{{0, 1, 2}}, {{0, 1, 3}}});
    EXPECT_EQ(mesh.faceNormals[0].z, 1.0f);
    EXPECT_EQ(mesh.faceNormals[0].x, 0.0f);
    const float half = 0.707106769f;  // (0, -3, 3) / |(0, -3, 3)|: 3 / sqrt(18) rounded to float
    EXPECT_EQ(mesh.faceNormals[1].x, 0.0f);
    EXPECT_EQ(mesh.faceNormals[1].y, -half);
    EXPECT_EQ(mesh.faceNormals[1].z, half);
}

TEST(MeshNormals, CrossProductIsWorkedOutInDouble) {
    // e1 = (0, 4097, 4096) and e2 = (1, 4098, 4097) give n = (1, 4096, -4097);
    // in float 4097 * 4097 rounds to 4096 * 4098 and n.x would come out 0.
    const Mesh mesh = meshOf({{0, 0, 0}, {0, 4097, 4096}, {1, 4098, 4097}}, {{{0, 1, 2}}});
    EXPECT_EQ(mesh.faceNormals[0].x, 0.000172612417f);  // 1 / sqrt(33562626)
    EXPECT_EQ(mesh.faceNormals[0].y, 0.707020462f);
    EXPECT_EQ(mesh.faceNormals[0].z, -0.707193077f);
    EXPECT_EQ(mesh.vertexNormals[2].x, 0.000172612417f);  // one face: its normal again
}

TEST(MeshNormals, DegenerateFacesAndUnusedPointsGetZero) {
    const Mesh mesh = meshOf({{0, 0, 0}, {1, 1, 1}, {2, 2, 2}, {5, 5, 5}}, {{{0, 1, 2}}, {{0, 0, 1}}});
    for (const Float3& n : mesh.faceNormals) {
        EXPECT_EQ(n.x, 0.0f);
        EXPECT_EQ(n.y, 0.0f);
        EXPECT_EQ(n.z, 0.0f);
    }
    EXPECT_EQ(mesh.vertexNormals[3].x, 0.0f);
    EXPECT_EQ(mesh.vertexNormals[3].y, 0.0f);
    EXPECT_EQ(mesh.vertexNormals[3].z, 0.0f);
}

TEST(MeshNormals, VertexNormalIsTheUnitSumAroundThePoint) {
    // Two faces meeting at a right angle along the x axis; the opposite face cancels.
    const Mesh mesh = meshOf({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}},
                             {{{0, 1, 2}}, {{0, 3, 1}}, {{3, 0, 1}}});
    const Float3& edge = mesh.vertexNormals[1];  // faces 0, 1 and 2: (0,0,1) + (0,1,0) + (0,-1,0)
    EXPECT_FLOAT_EQ(edge.x, 0.0f);
    EXPECT_FLOAT_EQ(edge.y, 0.0f);
    EXPECT_FLOAT_EQ(edge.z, 1.0f);
    const Float3& top = mesh.vertexNormals[3];  // faces 1 and 2 cancel
    EXPECT_EQ(top.x, 0.0f);
    EXPECT_EQ(top.y, 0.0f);
    EXPECT_EQ(top.z, 0.0f);
    const Float3& side = mesh.vertexNormals[2];  // face 0 only
    EXPECT_EQ(side.z, 1.0f);
}

TEST(Lwo2LoaderRefusal, ADirectoryIsRefusedWithoutAllocatingItsSize) {
    EXPECT_EQ(refusedBy([] { loadLwo2("."); }).exitStatus, 1);
}

}  // namespace
}  // namespace velmora
