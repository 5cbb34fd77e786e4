// The mesh converter on files the tests write (OBJ, glTF 2, our own LWO2): what
// the project's LWO2 loader reads back, and every bad input refused cleanly.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "showkit/MeshShapes.h"
#include "host/app/CommandLine.h"
#include "meshconvert/MeshAssembly.h"
#include "meshconvert/MeshCommand.h"
#include "object3d/Lwo2Loader.h"
#include "object3d/Lwo2Refusal.h"
#include "object3d/Lwo2Writer.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

// A scratch folder of its own for each test.
class MeshConvert : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = fs::temp_directory_path() /
               ("velmora_mesh_" + std::to_string(::getpid()) + "_" + test->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string path(const std::string& name) const { return (dir_ / name).string(); }
    void write(const std::string& name, const std::string& text) const {
        std::ofstream(dir_ / name, std::ios::binary) << text;
    }
    std::vector<std::string> listing() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir_)) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path dir_;
};

struct Converted {
    int status = -1;
    std::string out, err;
};

Converted convert(const MeshOptions& options) {
    Converted run;
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    run.status = reportOutcome("mesh", runMesh(options));
    run.out = ::testing::internal::GetCapturedStdout();
    run.err = ::testing::internal::GetCapturedStderr();
    return run;
}

// `velmora mesh ARGS` as the command line reads it: the exit status when the
// line is refused, and the mesh options.
struct ParsedMesh {
    std::optional<int> status;
    std::string err;
    MeshOptions options;
};

ParsedMesh parseMesh(std::vector<std::string> args) {
    args.insert(args.begin(), "mesh");
    CommandLineOptions options;
    std::ostringstream out, err;
    ParsedMesh parsed;
    parsed.status = parseCommandLine(args, options, out, err);
    parsed.err = err.str();
    parsed.options = options.mesh;
    return parsed;
}

// The written file as the object box reads it (refused files fail the test
// instead of ending it).
Mesh loadWritten(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const auto refusal = describeLwo2Refusal(bytes);
    EXPECT_FALSE(refusal) << explainLwo2Refusal(*refusal, path);
    if (refusal) return Mesh{};
    Mesh mesh = parseLwo2(bytes, path.c_str());
    computeFaceNormals(mesh);
    return mesh;
}

// Faces whose normal points towards the mean of all points: none on a convex
// mesh wound outward.
int facesPointingIn(const Mesh& mesh) {
    double cx = 0, cy = 0, cz = 0;
    for (const Float3& p : mesh.points) cx += p.x, cy += p.y, cz += p.z;
    cx /= mesh.pointCount, cy /= mesh.pointCount, cz /= mesh.pointCount;
    int inward = 0;
    for (int32_t t = 0; t < mesh.triangleCount; ++t) {
        const MeshTriangle& tri = mesh.triangles[static_cast<size_t>(t)];
        double mx = 0, my = 0, mz = 0;
        for (int32_t i : tri.corner) {
            const Float3& p = mesh.points[static_cast<size_t>(i)];
            mx += p.x / 3, my += p.y / 3, mz += p.z / 3;
        }
        const Float3& n = mesh.faceNormals[static_cast<size_t>(t)];
        if (n.x * (mx - cx) + n.y * (my - cy) + n.z * (mz - cz) <= 0) ++inward;
    }
    return inward;
}

// An upright prism of `sides` sides round the z axis, radius 1, z from -1 to 1,
// offset by (dx, dy, dz): quads round the side, two `sides`-gon caps, every face
// counter-clockwise seen from outside (the right-handed front). Its first point
// is OBJ point `first`; with `negative`, faces count back from the last point.
std::string objPrism(int sides, double dx, double dy, double dz, int first, bool negative = false) {
    std::string text;
    for (int ring = 0; ring < 2; ++ring) {
        for (int k = 0; k < sides; ++k) {
            const double angle = 2 * M_PI * k / sides;
            char line[96];
            std::snprintf(line, sizeof line, "v %.9g %.9g %.9g\n", std::cos(angle) + dx, std::sin(angle) + dy,
                          (ring ? 1.0 : -1.0) + dz);
            text += line;
        }
    }
    const int last = first + 2 * sides - 1;
    auto index = [&](int ring, int k) {
        const int i = first + ring * sides + (k % sides);
        text.push_back(' ');
        text += std::to_string(negative ? i - last - 1 : i);
    };
    text += "f";
    for (int k = 0; k < sides; ++k) index(1, k);
    text += "\nf";
    for (int k = 0; k < sides; ++k) index(0, sides - 1 - k);
    text += "\n";
    for (int k = 0; k < sides; ++k) {
        text += "f";
        index(0, k), index(0, k + 1), index(1, k + 1), index(1, k);
        text += "\n";
    }
    return text;
}

// An octahedron of radius 1 as glTF 2 (JSON and a .bin beside it) under a node
// moved to (0, 0, 5); faces counter-clockwise seen from outside.
void writeGltfOctahedron(const fs::path& dir) {
    const float points[6][3] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    std::vector<uint16_t> indices;
    for (int sx = 0; sx < 2; ++sx)
        for (int sy = 2; sy < 4; ++sy)
            for (int sz = 4; sz < 6; ++sz) {
                const float* a = points[sx];
                const float* b = points[sy];
                const float* c = points[sz];
                // Normal (b - a) x (c - a) against the octant's direction a + b + c.
                const float e1[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
                const float e2[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
                const float n[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2],
                                    e1[0] * e2[1] - e1[1] * e2[0]};
                const bool out = n[0] * (a[0] + b[0] + c[0]) + n[1] * (a[1] + b[1] + c[1]) + n[2] * (a[2] + b[2] + c[2]) > 0;
                indices.insert(indices.end(), {static_cast<uint16_t>(sx), static_cast<uint16_t>(out ? sy : sz),
                                               static_cast<uint16_t>(out ? sz : sy)});
            }
    std::ofstream bin(dir / "octahedron.bin", std::ios::binary);
    bin.write(reinterpret_cast<const char*>(points), sizeof points);
    bin.write(reinterpret_cast<const char*>(indices.data()), static_cast<std::streamsize>(indices.size() * 2));
    bin.close();
    std::ofstream(dir / "octahedron.gltf") << R"({
  "asset": {"version": "2.0"},
  "scene": 0,
  "scenes": [{"nodes": [0]}],
  "nodes": [{"name": "Octahedron", "mesh": 0, "translation": [0, 0, 5]}],
  "meshes": [{"primitives": [{"attributes": {"POSITION": 0}, "indices": 1}]}],
  "buffers": [{"uri": "octahedron.bin", "byteLength": 120}],
  "bufferViews": [{"buffer": 0, "byteOffset": 0, "byteLength": 72},
                  {"buffer": 0, "byteOffset": 72, "byteLength": 48}],
  "accessors": [{"bufferView": 0, "componentType": 5126, "count": 6, "type": "VEC3",
                 "min": [-1, -1, -1], "max": [1, 1, 1]},
                {"bufferView": 1, "componentType": 5123, "count": 24, "type": "SCALAR"}]
})";
}

struct GoodInput {
    const char* name;
    const char* file;
    std::vector<std::string> args;  // after IN -o OUT
    int points, triangles;
    int inward;                   // faces pointing in after conversion; -1: not convex, not checked
    float lowZ, highZ;            // of the written mesh (LightWave's z is the file's -z)
    double radius;                // of the written mesh; 0: not checked
};

TEST_F(MeshConvert, GoodInputsLoadWithTheExpectedShape) {
    const std::string twoObjects = "o First\n" + objPrism(4, 0, 0, 0, 1) + "o Second\n" + objPrism(6, 5, 0, 3, 9);
    write("cube.obj", objPrism(4, 0, 0, 0, 1));
    write("hexagonal.obj", objPrism(6, 0, 0, 0, 1));
    write("negative.obj", "o Negative\n" + objPrism(5, 0, 0, 0, 1, true));
    write("two.obj", twoObjects);
    writeGltfOctahedron(dir_);
    // Two LightWave layers: a cube, then a sphere standing at z = 5.
    const ShapeMesh cube = makeCube(1.0f);
    ShapeMesh sphere = makeSphere(1.0f, 4, 6);
    for (Float3& p : sphere.points) p.z += 5.0f;
    Lwo2Writer layers;
    layers.layer(0).points(cube.points).polygons(cube.triangles);
    layers.layer(1).points(sphere.points).polygons(sphere.triangles);
    ASSERT_TRUE(Lwo2Writer::save(path("layers.lwo"), layers.bytes()));
    const int spherePoints = static_cast<int>(sphere.points.size());
    const int sphereTriangles = static_cast<int>(sphere.triangles.size());
    // The sphere's own z range, read off its points (LWO2 keeps LightWave's z).
    float sphereLowZ = sphere.points[0].z, sphereHighZ = sphere.points[0].z;
    for (const Float3& p : sphere.points) sphereLowZ = std::min(sphereLowZ, p.z), sphereHighZ = std::max(sphereHighZ, p.z);
    const GoodInput cases[] = {
        {"quads", "cube.obj", {}, 8, 12, 0, -1, 1, 0},
        {"n-gons", "hexagonal.obj", {}, 12, 20, 0, -1, 1, 0},
        {"negative indices", "negative.obj", {}, 10, 16, 0, -1, 1, 0},
        {"two objects joined", "two.obj", {}, 20, 32, -1, -4, 1, 0},
        {"two objects, merge said", "two.obj", {"--merge"}, 20, 32, -1, -4, 1, 0},
        {"second object only", "two.obj", {"--layer", "2"}, 12, 20, 0, -4, -2, 0},
        {"fitted and centred", "two.obj", {"--layer", "2", "--centre", "--fit", "3"}, 12, 20, 0, -2.1213203f, 2.1213203f, 3},
        {"fitted in place", "cube.obj", {"--fit", "0.5"}, 8, 12, 0, -0.35355339f, 0.35355339f, 0.5},
        {"flipped", "hexagonal.obj", {"--flip"}, 12, 20, 20, -1, 1, 0},
        {"glTF 2 with a node transform", "octahedron.gltf", {}, 6, 8, 0, -6, -4, 0},
        {"LWO2 layers joined", "layers.lwo", {}, 8 + spherePoints, 12 + sphereTriangles, -1, -1, sphereHighZ, 0},
        {"LWO2 first layer", "layers.lwo", {"--layer", "1"}, 8, 12, 0, -1, 1, 0},
        {"LWO2 second layer", "layers.lwo", {"--layer", "2"}, spherePoints, sphereTriangles, 0, sphereLowZ,
         sphereHighZ, 0},
    };
    for (const GoodInput& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> args = {path(c.file), "-o", path("out.lwo")};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const ParsedMesh parsed = parseMesh(args);
        ASSERT_FALSE(parsed.status) << parsed.err;
        const Converted run = convert(parsed.options);
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err, "");
        EXPECT_NE(run.out.find(std::to_string(c.points) + " points, " + std::to_string(c.triangles) + " triangles written"),
                  std::string::npos)
            << run.out;
        const Mesh mesh = loadWritten(path("out.lwo"));
        EXPECT_EQ(mesh.pointCount, c.points);
        EXPECT_EQ(mesh.triangleCount, c.triangles);
        if (c.inward >= 0) {
            EXPECT_EQ(facesPointingIn(mesh), c.inward);
        }
        // Measured here, not with the converter's own bounds: the box's z
        // range, and the farthest point from the box's middle.
        Float3 low = mesh.points[0], high = mesh.points[0];
        for (const Float3& p : mesh.points) {
            low = Float3{std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
            high = Float3{std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
        }
        EXPECT_NEAR(low.z, c.lowZ, 1e-5);
        EXPECT_NEAR(high.z, c.highZ, 1e-5);
        if (c.radius > 0) {
            double farthest = 0;
            for (const Float3& p : mesh.points)
                farthest = std::max(farthest, std::hypot(p.x - (low.x + high.x) / 2.0, p.y - (low.y + high.y) / 2.0,
                                                         p.z - (low.z + high.z) / 2.0));
            EXPECT_NEAR(farthest, c.radius, c.radius * 1e-6);
        }
        fs::remove(path("out.lwo"));
    }
}

TEST_F(MeshConvert, ItsOwnLwo2ComesBackAsTheSamePointsAndTriangles) {
    const ShapeMesh sphere = makeSphere(2.0f, 6, 9);
    ASSERT_TRUE(Lwo2Writer::save(path("sphere.lwo"), Lwo2Writer::meshFile(sphere.points, sphere.triangles)));
    MeshOptions options;
    options.input = path("sphere.lwo");
    options.output = path("again.lwo");
    const Converted run = convert(options);
    ASSERT_EQ(run.status, 0) << run.err;
    const Mesh mesh = loadWritten(options.output);
    ASSERT_EQ(mesh.pointCount, static_cast<int32_t>(sphere.points.size()));
    ASSERT_EQ(mesh.triangleCount, static_cast<int32_t>(sphere.triangles.size()));
    // The same triangles in the same order, each with the same corners in the
    // same turning order (the points themselves may be numbered anew).
    auto same = [](const Float3& a, const Float3& b) { return a.x == b.x && a.y == b.y && a.z == b.z; };
    for (size_t t = 0; t < sphere.triangles.size(); ++t) {
        const Float3* want[3], *got[3];
        for (int k = 0; k < 3; ++k) {
            want[k] = &sphere.points[static_cast<size_t>(sphere.triangles[t].corner[k])];
            got[k] = &mesh.points[static_cast<size_t>(mesh.triangles[t].corner[k])];
        }
        int turn = 0;
        while (turn < 3 && !same(*got[turn], *want[0])) ++turn;
        ASSERT_LT(turn, 3) << "triangle " << t;
        for (int k = 0; k < 3; ++k) EXPECT_TRUE(same(*got[(turn + k) % 3], *want[k])) << "triangle " << t;
    }
}

// --up turns the input so that its named axis points up on screen (the object
// box's -y), as a rotation: the faces still point out. The prism stands from
// z = 2 to 4, its y within 0.87 of 0.
TEST_F(MeshConvert, UpTurnsTheNamedAxisUpWithoutMirroring) {
    write("prism.obj", objPrism(6, 5, 0, 3, 1));
    auto converted = [&](std::vector<std::string> up) {
        std::vector<std::string> args = {path("prism.obj"), "-o", path("out.lwo")};
        args.insert(args.end(), up.begin(), up.end());
        const ParsedMesh parsed = parseMesh(args);
        EXPECT_FALSE(parsed.status) << parsed.err;
        const Converted run = convert(parsed.options);
        EXPECT_EQ(run.status, 0) << run.err;
        return loadWritten(path("out.lwo"));
    };
    const Mesh plain = converted({});
    const Mesh yUp = converted({"--up", "y"});
    ASSERT_EQ(yUp.pointCount, plain.pointCount);
    for (size_t i = 0; i < plain.points.size(); ++i) {
        EXPECT_EQ(yUp.points[i].x, plain.points[i].x);
        EXPECT_EQ(yUp.points[i].y, -plain.points[i].y);
        EXPECT_EQ(yUp.points[i].z, plain.points[i].z);
    }
    EXPECT_EQ(facesPointingIn(yUp), 0);
    struct Turn {
        const char* up;
        float lowY, highY;  // on screen -y is up: the input's top has the lowest y
    };
    for (const Turn& t : {Turn{"z", -4, -2}, Turn{"-z", 2, 4}, Turn{"-y", -0.8660254f, 0.8660254f}}) {
        SCOPED_TRACE(t.up);
        const Mesh mesh = converted({"--up", t.up});
        const MeshBounds bounds = boundsOf(mesh.points);
        EXPECT_NEAR(bounds.low.y, t.lowY, 1e-5);
        EXPECT_NEAR(bounds.high.y, t.highY, 1e-5);
        EXPECT_NEAR(bounds.low.x, 4, 1e-5);
        EXPECT_EQ(facesPointingIn(mesh), 0);
    }
}

struct BadInput {
    const char* name;
    const char* input;
    const char* output;
    const char* message;  // part of the one line on standard error
};

TEST_F(MeshConvert, BadInputIsRefusedWithoutLeavingAFile) {
    write("empty.obj", "");
    write("words.xyz", "these words are no mesh in any format\n");
    write("lines.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nl 1 2\nl 2 3\n");
    write("cube.obj", objPrism(4, 0, 0, 0, 1));
    // 256 by 255 points in one grid of quads: one point past what the box reads.
    std::string grid;
    for (int y = 0; y < 255; ++y)
        for (int x = 0; x < 256; ++x) grid += "v " + std::to_string(x) + " " + std::to_string(y) + " 0\n";
    for (int y = 0; y + 1 < 255; ++y)
        for (int x = 0; x + 1 < 256; ++x) {
            const int i = y * 256 + x + 1;
            grid += "f " + std::to_string(i) + " " + std::to_string(i + 1) + " " + std::to_string(i + 257) + " " +
                    std::to_string(i + 256) + "\n";
        }
    write("grid.obj", grid);
    fs::create_directory(dir_ / "folder.lwo");
    // Hostile files: each refused in one line, in time and memory, with no crash.
    write("vertices.ply", "ply\nformat binary_little_endian 1.0\nelement vertex 1500000000\nproperty float x\n"
                          "property float y\nproperty float z\nend_header\n" + std::string(60, '\0'));
    write("vertices_ascii.ply", "ply\nformat ascii 1.0\nelement vertex 500000000\nproperty float x\nproperty float y\n"
                                "property float z\nend_header\n0 0 0\n1 0 0\n");
    write("chunk.glb", std::string("glTF\x02\0\0\0\x16\0\0\0\xf0\xff\xff\xffJSON{}", 22));
    write("deep.gltf", "{\"asset\":{\"version\":\"2.0\"},\"x\":" + std::string(200000, '[') + std::string(200000, ']') + "}");
    const std::string buffer = R"("buffers": [{"byteLength": 36, "uri": "URI"}], "bufferViews": [{"buffer": 0, "byteLength": 36}],
        "accessors": [{"bufferView": 0, "componentType": 5126, "count": 3, "type": "VEC3", "min": [0, 0, 0], "max": [1, 1, 0]}],
        "meshes": [{"primitives": [{"attributes": {"POSITION": 0}}]}], "asset": {"version": "2.0"}, "scene": 0)";
    auto gltf = [&](const std::string& uri, const std::string& nodes) {
        std::string text = buffer;
        text.replace(text.find("URI"), 3, uri);
        return "{" + text + ", \"scenes\": [{\"nodes\": [0]}], \"nodes\": [" + nodes + "]}";
    };
    std::string chain;
    for (int n = 1; n < 20000; ++n) chain += "{\"children\": [" + std::to_string(n) + "]}, ";
    write("chain.gltf", gltf("data:application/octet-stream;base64,AAAAAAAAAAAAAAAAAACAPwAAAAAAAAAAAAAAAAAAgD8AAAAA",
                             chain + "{\"mesh\": 0}"));
    write("passwd.gltf", gltf("../../../../../../../../etc/passwd", "{\"mesh\": 0}"));
    write("fifo_uri.gltf", gltf("fifo.bin", "{\"mesh\": 0}"));
    ASSERT_EQ(::mkfifo(path("fifo.bin").c_str(), 0644), 0);
    ASSERT_EQ(::mkfifo(path("fifo.obj").c_str(), 0644), 0);
    ASSERT_EQ(::mkfifo(path("fifo.lwo").c_str(), 0644), 0);
    ASSERT_EQ(::symlink("/dev/null", path("null.lwo").c_str()), 0);
    write("shape.lwo", objPrism(4, 0, 0, 0, 1));  // an OBJ, whatever its name says
    fs::create_hard_link(dir_ / "shape.lwo", dir_ / "link.lwo");
    const BadInput cases[] = {
        {"missing file", "absent.obj", "out.lwo", "absent.obj: cannot be opened: No such file or directory"},
        {"empty file", "empty.obj", "out.lwo", "empty.obj: is empty"},
        {"unknown format", "words.xyz", "out.lwo", "words.xyz: not read: "},
        {"no triangles", "lines.obj", "out.lwo", "lines.obj: no triangles after conversion"},
        {"too many points", "grid.obj", "out.lwo", "grid.obj: 65280 points; the object box reads fewer than 65280"},
        {"missing layer", "cube.obj", "out.lwo", "cube.obj: --layer 3: the file has 1 layer"},
        {"output is a folder", "cube.obj", "folder.lwo", "folder.lwo: cannot be written: "},
        {"output folder missing", "cube.obj", "nowhere/out.lwo", "out.lwo: cannot be written: "},
        {"output is a FIFO", "cube.obj", "fifo.lwo", "fifo.lwo: cannot be written: it is a FIFO, not a regular file"},
        {"output is a device", "cube.obj", "null.lwo", "null.lwo: cannot be written: it is a character device"},
        {"input is a FIFO", "fifo.obj", "out.lwo", "fifo.obj: is not a regular file"},
        {"binary PLY of 1.5e9 vertices", "vertices.ply", "out.lwo", "declares 1500000000 vertex elements"},
        {"ASCII PLY of 5e8 vertices", "vertices_ascii.ply", "out.lwo", "declares 500000000 vertex elements"},
        {"GLB chunk past the end", "chunk.glb", "out.lwo", "declares 4294967280 bytes in its first GLB chunk"},
        {"200k nested brackets", "deep.gltf", "out.lwo", "deep.gltf: "},
        {"20,000-node chain", "chain.gltf", "out.lwo", "chain.gltf: "},
        {"buffer outside the folder", "passwd.gltf", "out.lwo", "/etc/passwd' is outside the mesh's folder"},
        {"buffer is a FIFO", "fifo_uri.gltf", "out.lwo", "fifo.bin' is not a regular file"},
        {"fit past the float range", "cube.obj", "out.lwo", "--fit 1e+300: too large"},
        {"fit below the float range", "cube.obj", "out.lwo", "--fit 1e-300: too small"},
        {"output not .lwo", "cube.obj", "cube.txt", "cube.txt: the output is an LWO2 object: its name must end in .lwo"},
        {"output is the OBJ", "cube.obj", "cube.obj", "cube.obj: the output is an LWO2 object"},
        {"output is the input, not LWO2", "shape.lwo", "shape.lwo", "shape.lwo: is the input file, which is not LWO2"},
        {"output a link to the input", "shape.lwo", "link.lwo", "link.lwo: is the input file, which is not LWO2"},
    };
    const std::vector<std::string> before = listing();
    for (const BadInput& c : cases) {
        SCOPED_TRACE(c.name);
        MeshOptions options;
        options.input = path(c.input);
        options.output = path(c.output);
        if (std::string(c.name) == "missing layer") options.layer = 3;
        if (std::string(c.name).starts_with("fit ")) options.fitRadius = c.message[8] == '+' ? 1e300 : 1e-300;
        const Converted run = convert(options);
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_EQ(listing(), before);  // nothing written, no temporary left
    }
    EXPECT_TRUE(fs::is_fifo(path("fifo.lwo")));
    EXPECT_TRUE(fs::is_character_file(path("null.lwo")));
}

// A planted link under any name the converter might use is never followed:
// the link and its victim stay as they were, and the output is a new file.
TEST_F(MeshConvert, PlantedLinksAreNeverFollowed) {
    write("cube.obj", objPrism(4, 0, 0, 0, 1));
    write("victim", "precious");
    const std::string pid = std::to_string(::getpid());
    for (const std::string& name : std::vector<std::string>{".out.lwo." + pid + ".part", ".out.lwo.part", "out.lwo.part",
                                                            ".out.lwo.velmora.00000000000000aa.part"})
        ASSERT_EQ(::symlink(path("victim").c_str(), path(name).c_str()), 0);
    // A temporary of ours that nobody holds locked is cleared away; a process
    // id in a name proves nothing, so that file stays.
    write(".out.lwo.velmora.0123456789abcdef.part", "half a file");
    write(".out.lwo.999999999.0123456789abcdef.part", "a user's file");
    MeshOptions options;
    options.input = path("cube.obj");
    options.output = path("out.lwo");
    ASSERT_EQ(convert(options).status, 0);
    EXPECT_EQ(loadWritten(path("out.lwo")).triangleCount, 12);
    EXPECT_FALSE(fs::is_symlink(path("out.lwo")));
    std::ifstream victim(path("victim"));
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(victim), {}), "precious");
    EXPECT_EQ(listing(), (std::vector<std::string>{".out.lwo." + pid + ".part", ".out.lwo.999999999.0123456789abcdef.part",
                                                   ".out.lwo.part", ".out.lwo.velmora.00000000000000aa.part", "cube.obj",
                                                   "out.lwo", "out.lwo.part", "victim"}));
}

TEST(MeshOptions, BadCommandLinesAreRefused) {
    const std::vector<std::vector<std::string>> bad = {
        {"in.obj"},
        {"-o", "out.lwo"},
        {"in.obj", "-o"},
        {"in.obj", "-o", "out.lwo", "--layer", "0"},
        {"in.obj", "-o", "out.lwo", "--layer", "two"},
        {"in.obj", "-o", "out.lwo", "--fit", "-1"},
        {"in.obj", "-o", "out.lwo", "--fit", "nan"},
        {"in.obj", "-o", "out.lwo", "--merge", "--layer", "1"},
        {"in.obj", "-o", "out.lwo", "--flip=yes"},
        {"in.obj", "-o", "out.lwo", "--decimate", "0.5"},
        {"in.obj", "other.obj", "-o", "out.lwo"},
        {"in.obj", "-o", "out.lwo", "--up", "x"},
    };
    for (const auto& args : bad) {
        const ParsedMesh parsed = parseMesh(args);
        EXPECT_EQ(parsed.status, 2) << args.back();
        EXPECT_EQ(parsed.err.rfind("velmora mesh: ", 0), 0u) << parsed.err;
        EXPECT_EQ(std::count(parsed.err.begin(), parsed.err.end(), '\n'), 1) << parsed.err;
    }
    const ParsedMesh parsed =
        parseMesh({"in.obj", "--output=out.lwo", "--fit", "2.5", "--center", "--flip", "--layer=4", "--up=-z"});
    ASSERT_FALSE(parsed.status) << parsed.err;
    const MeshOptions& options = parsed.options;
    EXPECT_EQ(options.input, "in.obj");
    EXPECT_EQ(options.output, "out.lwo");
    EXPECT_EQ(options.fitRadius, 2.5);
    EXPECT_TRUE(options.centre && options.flip);
    EXPECT_EQ(options.layer, 4);
    EXPECT_EQ(options.up, UpAxis::MinusZ);
}

}  // namespace
}  // namespace velmora
