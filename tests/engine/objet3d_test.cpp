// The object box: gates and inputs, the camera, culling, painter's order and
// its ties, the accepted screen window, the three modes, and the shapes the
// show's meshes are generated from.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "TestFunctions.h"
#include "TestSupport.h"
#include "showkit/MeshShapes.h"
#include "object3d/Lwo2Writer.h"
#include "object3d/BoxObjet3D.h"
#include "object3d/Camera.h"
#include "object3d/DepthSort.h"
#include "core/WorkerPool.h"

namespace velmora {
namespace {

constexpr uint32_t kBackground = 0x123456;

using Value = testsupport::FixedFunction;

// Eye, target and gate functions, an output frame and an environment texture.
// The default camera stands at (-256, 0, 0) looking along +x, so a world point
// (0, y, z) lands on screen at (256 - z, 128 + y).
struct Rig {
    std::array<Value, 8> f;
    Surface out;
    Surface texture;

    Rig() {
        look(Float3{-256, 0, 0}, Float3{0, 0, 0});
        f[6].v = f[7].v = 1.0f;
        out.allocate(512, 256);
        clear();
        texture.allocate(256, 256);
        for (uint32_t i = 0; i < 65536; ++i) texture.pixels[i] = 0x1000000u | i;
    }
    void look(Float3 eye, Float3 target) {
        const float values[6] = {eye.x, eye.y, eye.z, target.x, target.y, target.z};
        for (int k = 0; k < 6; ++k) f[static_cast<size_t>(k)].v = values[k];
    }
    void clear() { std::fill(out.pixels, out.pixels + out.pixelCount(), kBackground); }
    void render(BoxObjet3D& box, size_t functionCount = 8, bool withTexture = true) {
        std::vector<Function*> functions;
        for (size_t k = 0; k < functionCount; ++k) functions.push_back(&f[k]);
        std::vector<Surface*> inputs;
        if (withTexture) inputs.push_back(&texture);
        box.render(out, functions, inputs);
    }
    uint32_t at(int x, int y) const { return out.pixels[y * 512 + x]; }
    int drawn() const {
        int n = 0;
        for (size_t i = 0; i < out.pixelCount(); ++i) n += out.pixels[i] != kBackground;
        return n;
    }
    std::vector<uint32_t> frame() const { return std::vector<uint32_t>(out.pixels, out.pixels + out.pixelCount()); }
};

// Builds meshes on the x = 0 plane from screen positions of the default camera.
struct MeshBuilder {
    Mesh mesh;
    int32_t point(float sx, float sy, float x = 0.0f) {
        mesh.points.push_back(Float3{x, sy - 128.0f, 256.0f - sx});
        return mesh.pointCount++;
    }
    void triangle(int32_t a, int32_t b, int32_t c) {
        mesh.triangles.push_back(MeshTriangle{{a, b, c}});
        ++mesh.triangleCount;
    }
    // A triangle round screen (sx, sy), wound to face the default camera.
    void facing(float sx, float sy, float half = 20.0f, float x = 0.0f) {
        const int32_t a = point(sx - half, sy - half, x);
        const int32_t b = point(sx + half, sy - half, x);
        const int32_t c = point(sx, sy + half, x);
        triangle(a, c, b);
    }
    // The same triangle wound the other way.
    void away(float sx, float sy, float half = 20.0f) {
        const int32_t a = point(sx - half, sy - half);
        const int32_t b = point(sx + half, sy - half);
        const int32_t c = point(sx, sy + half);
        triangle(a, b, c);
    }
};

BoxObjet3D boxWith(Mesh mesh, int32_t mode) {
    BoxObjet3D box;
    box.useMesh(std::move(mesh));
    box.setMode(mode);
    return box;
}

TEST(BoxObjet3D, ClosedGatesLeaveTheOutputAndTheDirectionAlone) {
    MeshBuilder b;
    b.facing(256, 128);
    BoxObjet3D box = boxWith(b.mesh, 1);
    Rig rig;
    box.lastDirection() = Float3{0, 1, 0};
    for (auto [g6, g7] : {std::pair{0.0f, 1.0f}, {1.0f, 0.0f}, {-1.0f, 1.0f}, {1.0f, testsupport::kNaN}}) {
        rig.f[6].v = g6;
        rig.f[7].v = g7;
        rig.render(box);
        EXPECT_EQ(rig.drawn(), 0) << g6 << " " << g7;
    }
    EXPECT_EQ(box.lastDirection().y, 1.0f);
    rig.f[6].v = rig.f[7].v = 0.001f;
    rig.render(box);
    EXPECT_GT(rig.drawn(), 0);
}

TEST(BoxObjet3D, AMissingEnvironmentMapOrWrongSurfacesDrawNothing) {
    MeshBuilder b;
    b.facing(256, 128);
    BoxObjet3D flat = boxWith(b.mesh, 1);
    BoxObjet3D textured = boxWith(b.mesh, 2);
    Rig rig;
    rig.render(textured, 8, false);
    rig.texture.allocate(255, 256);
    rig.render(textured);
    EXPECT_EQ(rig.drawn(), 0);

    Surface small;
    small.allocate(512, 255);
    std::fill(small.pixels, small.pixels + small.pixelCount(), kBackground);
    std::vector<Function*> functions;
    for (Value& v : rig.f) functions.push_back(&v);
    flat.render(small, functions, {});
    for (size_t i = 0; i < small.pixelCount(); ++i) ASSERT_EQ(small.pixels[i], kBackground);

    rig.render(flat, 8, false);  // the flat mode needs no texture
    EXPECT_GT(rig.drawn(), 0);
}

TEST(BoxObjet3D, FlatColourComesFromTheFileIndex) {
    MeshBuilder b;
    const int32_t hidden[] = {b.point(0, 0, -1000), b.point(10, 0, -1000), b.point(0, 10, -1000)};
    for (int32_t t = 0; t <= 2400; ++t) {
        if (t == 0) b.facing(100, 128);
        else if (t == 1) b.facing(256, 128);
        else if (t == 2400) b.facing(400, 128);
        else b.triangle(hidden[0], hidden[1], hidden[2]);  // behind the camera
    }
    BoxObjet3D box = boxWith(b.mesh, 1);
    Rig rig;
    rig.render(box);
    EXPECT_EQ(rig.at(100, 128), 0u);
    EXPECT_EQ(rig.at(256, 128), 7000u);
    EXPECT_EQ(rig.at(400, 128), 0x5900u);  // 2400 * 7000 = 0x1005900, kept to 24 bits
}

TEST(BoxObjet3D, BackFacesAreCulledExceptInWireframe) {
    MeshBuilder b;
    b.away(256, 128);
    Rig rig;
    BoxObjet3D flat = boxWith(b.mesh, 1);
    rig.render(flat);
    EXPECT_EQ(rig.drawn(), 0);
    BoxObjet3D wire = boxWith(b.mesh, 0);
    rig.render(wire);
    EXPECT_GT(rig.drawn(), 0);
}

TEST(BoxObjet3D, WireframeDrawsWhiteEdgesOnly) {
    MeshBuilder b;
    b.facing(256, 128);
    BoxObjet3D box = boxWith(b.mesh, 0);
    Rig rig;
    rig.render(box);
    EXPECT_EQ(rig.at(250, 108), 0xFFFFFFu);  // on the top edge, y = 128 - 20
    EXPECT_EQ(rig.at(256, 120), kBackground);
    for (uint32_t p : rig.frame()) ASSERT_TRUE(p == kBackground || p == 0xFFFFFFu);
}

TEST(BoxObjet3D, NearFacesAreDrawnOverFarOnes) {
    for (bool nearFirst : {true, false}) {
        MeshBuilder b;
        b.triangle(b.point(0, 0, -1000), b.point(1, 0, -1000), b.point(0, 1, -1000));  // index 0, hidden
        if (nearFirst) b.facing(256, 128, 10, -100);
        b.facing(256, 128, 60, 0);
        if (!nearFirst) b.facing(256, 128, 10, -100);
        BoxObjet3D box = boxWith(b.mesh, 1);
        Rig rig;
        rig.render(box);
        const uint32_t nearColour = nearFirst ? 7000u : 14000u;
        EXPECT_EQ(rig.at(256, 128), nearColour);
        EXPECT_EQ(rig.at(256, 90), nearFirst ? 14000u : 7000u);
    }
}

TEST(BoxObjet3D, EqualDepthsAreDrawnInTheOrderTheSortLeaves) {
    // Four faces on the same corners: the sort leaves order 2, 3, 0, 1 and the
    // faces are drawn from the end, so face 2 comes last.
    MeshBuilder b;
    b.facing(256, 128);
    for (int k = 0; k < 3; ++k) b.triangle(b.mesh.triangles[0].corner[0], b.mesh.triangles[0].corner[1],
                                           b.mesh.triangles[0].corner[2]);
    BoxObjet3D box = boxWith(b.mesh, 1);
    Rig rig;
    rig.render(box);
    EXPECT_EQ(rig.at(256, 120), 2u * 7000u);
}

TEST(DepthSort, KeepsTheQuicksortsOrderOfEqualKeys) {
    std::vector<float> keys = {1, 1, 1, 1};
    std::vector<int32_t> order = {0, 1, 2, 3};
    sortByDepth(keys, order);
    EXPECT_EQ(order, (std::vector<int32_t>{2, 3, 0, 1}));

    keys = {3, 1, 2, 1};
    order = {0, 1, 2, 3};
    sortByDepth(keys, order);
    EXPECT_EQ(keys, (std::vector<float>{1, 1, 2, 3}));
    EXPECT_EQ(order, (std::vector<int32_t>{3, 1, 2, 0}));  // a stable sort would give 1, 3
}

// The painter's quicksort as it was first written, every range partitioned
// down to single keys: the order of equal keys every faster path must keep.
void referenceQuicksort(float* key, int32_t* carried, int32_t lo, int32_t hi) {
    if (lo >= hi) return;
    const float pivot = key[(static_cast<int64_t>(lo) + hi) / 2];
    int32_t i = lo, j = hi;
    while (i <= j) {
        while (key[i] < pivot) ++i;
        while (key[j] > pivot) --j;
        if (i <= j) {
            std::swap(key[i], key[j]);
            std::swap(carried[i], carried[j]);
            ++i;
            --j;
        }
    }
    referenceQuicksort(key, carried, lo, j);
    referenceQuicksort(key, carried, i, hi);
}

TEST(DepthSort, LeavesTheOrderOfThePlainQuicksort) {
    // Few distinct values (ties in almost every small range), many (ties in
    // a few), a NaN; alone and split between threads.
    WorkerPool pool(2);
    for (int distinctValues : {7, 300, 100000}) {
        std::vector<float> keys;
        for (int i = 0; i < 3000; ++i) keys.push_back(static_cast<float>((i * 7919 + i / 7) % distinctValues));
        keys[1234] = testsupport::kNaN;
        std::vector<int32_t> order(keys.size());
        for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int32_t>(i);
        std::vector<float> expected = keys;
        std::vector<int32_t> expectedOrder = order;
        referenceQuicksort(expected.data(), expectedOrder.data(), 0, static_cast<int32_t>(keys.size()) - 1);
        for (WorkerPool* workers : {static_cast<WorkerPool*>(nullptr), &pool}) {
            std::vector<float> sorted = keys;
            std::vector<int32_t> sortedOrder = order;
            sortByDepth(sorted, sortedOrder, workers);
            EXPECT_EQ(sortedOrder, expectedOrder) << distinctValues << " values, " << (workers ? 2 : 1) << " threads";
        }
    }
}

TEST(DepthSort, SortsLargeAndAdversarialInputs) {
    std::vector<float> keys;
    for (int i = 0; i < 100000; ++i) keys.push_back(static_cast<float>((i * 7919) % 1000));
    keys[500] = testsupport::kNaN;
    std::vector<int32_t> order(keys.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int32_t>(i);
    const std::vector<float> original = keys;
    sortByDepth(keys, order);
    std::vector<bool> seen(keys.size());
    for (size_t i = 0; i < keys.size(); ++i) {
        ASSERT_FALSE(seen[static_cast<size_t>(order[i])]);
        seen[static_cast<size_t>(order[i])] = true;
        const float key = original[static_cast<size_t>(order[i])];
        ASSERT_TRUE(key == keys[i] || (std::isnan(key) && std::isnan(keys[i])));
    }
    // Sorted runs on both sides of the NaN.
    size_t ascending = 0;
    for (size_t i = 1; i < keys.size(); ++i) ascending += keys[i - 1] <= keys[i];
    EXPECT_GE(ascending, keys.size() - 3);
}

TEST(DepthSort, SortedSideBySideLeavesTheSameOrderAsOnOneThread) {
    // Many equal keys and a NaN: any difference in the partitions would show
    // in the order of equal keys.
    std::vector<float> keys;
    for (int i = 0; i < 20000; ++i) keys.push_back(static_cast<float>((i * 7919) % 300));
    keys[777] = testsupport::kNaN;
    std::vector<int32_t> order(keys.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int32_t>(i);
    std::vector<float> alone = keys;
    std::vector<int32_t> aloneOrder = order;
    sortByDepth(alone, aloneOrder);
    for (int threads : {2, 3, 8}) {
        WorkerPool pool(threads);
        std::vector<float> split = keys;
        std::vector<int32_t> splitOrder = order;
        sortByDepth(split, splitOrder, &pool);
        EXPECT_EQ(splitOrder, aloneOrder) << threads << " threads";
    }
}

TEST(DepthSort, TheRadixShortcutLeavesTheQuicksortsOrder) {
    // All different (negative, tiny, large), then the same with one tie, a
    // -0 beside a +0 and a NaN: the scratch must never change the result.
    std::vector<float> distinct;
    for (int i = 0; i < 5000; ++i) distinct.push_back(static_cast<float>((i * 7919) % 5000 - 2500) * 0.37f);
    distinct[10] = 1e-40f;
    distinct[11] = -3e38f;
    // Ties inside one half of the positions and across the two halves (the
    // halves are radix sorted apart on more than one thread).
    std::vector<std::vector<float>> inputs = {distinct, distinct, distinct, distinct, distinct, {2, 1}, {1, 2}};
    inputs[1][20] = inputs[1][30];
    inputs[2][20] = -0.0f;
    inputs[2][4000] = 0.0f;
    inputs[3][4040] = testsupport::kNaN;
    inputs[4][100] = inputs[4][4900];
    for (int threads : {1, 2, 3}) {
        WorkerPool pool(threads);
        DepthSortScratch scratch;
        for (size_t c = 0; c < inputs.size(); ++c) {
            std::vector<int32_t> order(inputs[c].size());
            for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int32_t>(order.size() - i);
            std::vector<float> quick = inputs[c], radix = inputs[c];
            std::vector<int32_t> quickOrder = order, radixOrder = order;
            sortByDepth(quick, quickOrder);
            sortByDepth(radix, radixOrder, &pool, &scratch);
            EXPECT_EQ(radixOrder, quickOrder) << "input " << c << ", " << threads << " threads";
            EXPECT_EQ(std::memcmp(radix.data(), quick.data(), quick.size() * sizeof(float)), 0)
                << "input " << c << ", " << threads << " threads";
        }
    }
}

TEST(BoxObjet3D, TrianglesReachingTheWindowEdgeAreNotDrawn) {
    struct Case {
        float sx, sy;
        bool drawn;
    };
    for (Case c : {Case{662, 128, false}, Case{661, 128, true}, Case{256, -150, false}, Case{256, -149, true},
                   Case{-150, 128, false}, Case{256, 406, false}}) {
        MeshBuilder b;
        b.triangle(b.point(c.sx, c.sy), b.point(300, 100), b.point(200, 150));
        BoxObjet3D box = boxWith(b.mesh, 0);
        Rig rig;
        rig.render(box);
        EXPECT_EQ(rig.drawn() > 0, c.drawn) << c.sx << "," << c.sy;
    }
}

TEST(BoxObjet3D, TrianglesWithACornerBehindTheEyeAreNotDrawn) {
    for (float x : {-256.0f, -300.0f}) {  // camera depth 0, then negative
        MeshBuilder b;
        b.triangle(b.point(256, 128, x), b.point(300, 100), b.point(200, 150));
        BoxObjet3D box = boxWith(b.mesh, 0);
        Rig rig;
        rig.render(box);
        EXPECT_EQ(rig.drawn(), 0) << x;
    }
}

TEST(BoxObjet3D, EnvironmentMapFollowsTheCameraNormals) {
    // A face turned squarely to the eye: every normal maps to texel (127, 127).
    MeshBuilder b;
    b.facing(256, 128, 40);
    BoxObjet3D box = boxWith(b.mesh, -1);
    Rig rig;
    rig.render(box);
    EXPECT_GT(rig.drawn(), 500);
    for (uint32_t p : rig.frame()) ASSERT_TRUE(p == kBackground || p == (0x1000000u | (127 * 256 + 127)));

    Rig wide;  // a wider input is read with rows of 256
    wide.texture.allocate(512, 256);
    for (uint32_t i = 0; i < 512 * 256; ++i) wide.texture.pixels[i] = 0x1000000u | i;
    wide.render(box);
    EXPECT_EQ(wide.frame(), rig.frame());
}

TEST(BoxObjet3D, SameEyeAndTargetReusesTheLastDirection) {
    // A face on the z = 0 plane seen from (0, 0, -256): visible along +z only.
    Mesh mesh;
    mesh.points = {{-20, -20, 0}, {20, -20, 0}, {0, 20, 0}};
    mesh.triangles = {MeshTriangle{{0, 1, 2}}, MeshTriangle{{0, 2, 1}}};
    mesh.pointCount = 3;
    mesh.triangleCount = 2;
    BoxObjet3D box = boxWith(mesh, 1);
    Rig along, reused;
    along.look(Float3{0, 0, -256}, Float3{0, 0, 5});
    along.render(box);
    ASSERT_GT(along.drawn(), 0);
    reused.look(Float3{0, 0, -256}, Float3{0, 0, -256});
    reused.render(box);
    EXPECT_EQ(reused.frame(), along.frame());
    EXPECT_EQ(box.lastDirection().z, 1.0f);
}

TEST(BoxObjet3D, UnusableEyeDrawsNothingAndKeepsTheDirection) {
    MeshBuilder b;
    b.facing(256, 128);
    BoxObjet3D box = boxWith(b.mesh, 1);
    box.lastDirection() = Float3{0, 1, 0};
    Rig rig;
    rig.look(Float3{testsupport::kNaN, 0, 0}, Float3{0, 0, 0});
    rig.render(box);
    rig.look(Float3{-std::numeric_limits<float>::infinity(), 0, 0}, Float3{0, 0, 0});
    rig.render(box);
    EXPECT_EQ(rig.drawn(), 0);
    EXPECT_EQ(box.lastDirection().y, 1.0f);
}

TEST(BoxObjet3D, HugeEyeAndTargetStillGiveADirection) {
    // The difference 6e38 overflows a float but not a double: the view is along +y.
    MeshBuilder b;
    b.facing(256, 128);
    BoxObjet3D box = boxWith(b.mesh, 1);
    box.lastDirection() = Float3{1, 0, 0};
    Rig rig;
    rig.look(Float3{0, -3e38f, 0}, Float3{0, 3e38f, 0});
    rig.render(box);
    EXPECT_EQ(box.lastDirection().x, 0.0f);
    EXPECT_EQ(box.lastDirection().y, 1.0f);
    EXPECT_EQ(box.lastDirection().z, 0.0f);
}

TEST(BoxObjet3D, ProjectionIsWorkedOutInDouble) {
    // At depth 3 a camera x of 4.75781202 (the float below 4.7578125) projects to
    // 256 + 405.99995931, stored as 661.99994: inside the window, so the
    // triangle is drawn. Rounding the quotient to float first would give
    // 405.99997 and then exactly 662, and the triangle would be dropped.
    Mesh mesh;
    mesh.points = {{-253, 0, -4.75781202f}, {-253, -0.328125f, -0.515625f}, {-253, 0.375f, -0.515625f}};
    mesh.triangles = {MeshTriangle{{0, 1, 2}}};
    mesh.pointCount = 3;
    mesh.triangleCount = 1;
    BoxObjet3D box = boxWith(mesh, 0);
    Rig rig;  // eye (-256, 0, 0): all corners at depth 3, two of them on screen at x = 300
    rig.render(box);
    EXPECT_EQ(rig.drawn(), 483);
    EXPECT_EQ(rig.at(300, 130), 0xFFFFFFu);
    EXPECT_EQ(rig.at(511, 116), 0xFFFFFFu);  // the two long edges leave the frame here
    EXPECT_EQ(rig.at(511, 141), 0xFFFFFFu);
}

// A new box, like a new show, starts looking along (1, 0, 0) when eye and target meet.
TEST(BoxObjet3D, FirstDirectionIsAlongX) {
    MeshBuilder b;
    b.facing(256, 128);
    BoxObjet3D box = boxWith(b.mesh, 1);
    EXPECT_EQ(box.lastDirection().x, 1.0f);
    EXPECT_EQ(box.lastDirection().y, 0.0f);
    EXPECT_EQ(box.lastDirection().z, 0.0f);
    Rig first, along;
    first.look(Float3{-256, 0, 0}, Float3{-256, 0, 0});
    first.render(box);
    along.render(box);
    EXPECT_GT(first.drawn(), 0);
    EXPECT_EQ(first.frame(), along.frame());
}

TEST(BoxObjet3D, ConfigureReadsTheFileAndTheMode) {
    const ShapeMesh cube = makeCube(1.0f);
    const std::string path = ::testing::TempDir() + "velmora_objet3d_cube.lwo";
    ASSERT_TRUE(Lwo2Writer::save(path, Lwo2Writer::meshFile(cube.points, cube.triangles)));
    BoxObjet3D noMode;
    EXPECT_EQ(testsupport::rejectionsOf(noMode, path.c_str()), 0);
    EXPECT_EQ(noMode.drawingMode(), 0);
    EXPECT_EQ(noMode.mesh().triangleCount, 12);
    EXPECT_EQ(noMode.mesh().vertexNormals.size(), 8u);
    BoxObjet3D flat;
    flat.configure((path + " 1").c_str());
    EXPECT_EQ(flat.drawingMode(), 1);
    BoxObjet3D textured;
    textured.configure((path + "   -1").c_str());
    EXPECT_EQ(textured.drawingMode(), -1);
}

TEST(BoxObjet3D, ConfigureWithAMissingFileRaisesTheLoadersStatus2) {
    BoxObjet3D box;
    const ShowError error = testsupport::errorRaisedBy([&] { box.configure("no_such_mesh.lwo 1"); });
    EXPECT_EQ(error.exitStatus, 2);
    EXPECT_EQ(error.presentation, ErrorPresentation::StandardOutput);
}

// The loader's text and status stay; the reason says what is wrong with the name.
TEST(BoxObjet3D, MeshNameRefusalsSayWhy) {
    const struct {
        const char* text;
        const char* file;
        const char* reason;
        int status;
    } cases[] = {
        {"\"data/cube.lwo\" 2", "\"data/cube.lwo\"", "the mesh file name is written without quotes: write data/cube.lwo", 2},
        {"no_such_mesh.lwo 1", "no_such_mesh.lwo", "not found (the working directory is ", 2},
        {"", "", "names no mesh file", 2},
        // A folder is never read as a file, not even to explain the refusal.
        {". 1", ".", "is a directory, not a mesh file", 1},
        // A FIFO or a device is refused at once, never waited on or read for ever.
        {"mesh_fifo.lwo 1", "mesh_fifo.lwo", "is not a regular file", 2},
        {"/dev/zero 1", "/dev/zero", "is not a regular file", 2},
    };
    std::remove("mesh_fifo.lwo");
    ASSERT_EQ(::mkfifo("mesh_fifo.lwo", 0600), 0);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const ShowError error = testsupport::errorRaisedBy([&] { BoxObjet3D().configure(c.text); });
        EXPECT_EQ(error.exitStatus, c.status);
        EXPECT_EQ(error.presentation, ErrorPresentation::StandardOutput);
        EXPECT_EQ(error.file, c.file);
        EXPECT_NE(error.reason.find(c.reason), std::string::npos) << error.reason;
    }
    std::remove("mesh_fifo.lwo");
}

void expectOrthonormal(const CameraMatrix& m, Float3 d) {
    for (int r = 0; r < 3; ++r)
        for (int s = 0; s < 3; ++s) EXPECT_NEAR(dot(m.row[r], m.row[s]), r == s ? 1.0f : 0.0f, 1e-6f);
    const Float3& a = m.row[0];
    const Float3& b = m.row[1];
    EXPECT_NEAR(a.y * b.z - a.z * b.y, d.x, 1e-6f);  // right-handed: row0 x row1 = d
    EXPECT_NEAR(a.z * b.x - a.x * b.z, d.y, 1e-6f);
    EXPECT_NEAR(a.x * b.y - a.y * b.x, d.z, 1e-6f);
    EXPECT_EQ(m.row[2].x, d.x);
    EXPECT_EQ(m.row[2].y, d.y);
    EXPECT_EQ(m.row[2].z, d.z);
}

TEST(CameraMatrix, HorizontalViewKeepsWorldYDownTheScreen) {
    const CameraMatrix m = buildCameraMatrix(Float3{1, 0, 0}, 0.0f);
    EXPECT_EQ(m.row[0].x, 0.0f);
    EXPECT_EQ(m.row[0].z, -1.0f);
    EXPECT_EQ(m.row[1].y, 1.0f);
    expectOrthonormal(m, Float3{1, 0, 0});
}

TEST(CameraMatrix, GeneralDirectionsGiveARotation) {
    for (Float3 d : {Float3{0.6f, 0.0f, 0.8f}, Float3{0.48f, 0.6f, 0.64f}, Float3{-0.36f, -0.48f, 0.8f},
                     Float3{0.0f, 1.0f, 0.0f}, Float3{0.0f, -0.6f, -0.8f}}) {
        SCOPED_TRACE(testing::Message() << d.x << "," << d.y << "," << d.z);
        expectOrthonormal(buildCameraMatrix(d, 0.0f), d);
    }
}

TEST(CameraMatrix, RowsAreWorkedOutInDoubleAndRoundedOnce) {
    // Worked out here in closed form: with g = |(a, b)|, P = (ac, bc, -g²) / g
    // and Q = (-b, a, 0) / g, the angle atan2(y, x) for y = P.y and
    // x = Q.y / |(Q.y, P.y)| has cos = x / |(x, y)| and sin = y / |(x, y)|; the
    // rows P cos - Q sin and P sin + Q cos, each rounded once to float. Float
    // arithmetic (atan2f, cosf, sinf) misses two of them by several ulps.
    const Float3 d{0.48f, 0.6f, 0.64f};
    const double a = d.x, b = d.y, c = d.z, g = std::hypot(a, b);
    const double p[3] = {a * c / g, b * c / g, -g}, q[3] = {-b / g, a / g, 0.0};
    const double x = q[1] / std::hypot(q[1], p[1]), y = p[1];
    const double cs = x / std::hypot(x, y), sn = y / std::hypot(x, y);
    const CameraMatrix m = buildCameraMatrix(d, 0.0);
    for (int k = 0; k < 3; ++k) {
        const float row0[3] = {m.row[0].x, m.row[0].y, m.row[0].z};
        const float row1[3] = {m.row[1].x, m.row[1].y, m.row[1].z};
        EXPECT_EQ(row0[k], static_cast<float>(p[k] * cs - q[k] * sn)) << k;
        EXPECT_EQ(row1[k], static_cast<float>(p[k] * sn + q[k] * cs)) << k;
    }
    // The float path would differ: the test can tell the two apart.
    const float t = std::atan2(static_cast<float>(y), static_cast<float>(x));
    const float floatRow1x = static_cast<float>(p[0]) * std::sin(t) + static_cast<float>(q[0]) * std::cos(t);
    EXPECT_NE(m.row[1].x, floatRow1x);
}

TEST(CameraMatrix, ViewAlongZIsTheLimitFromPlusX) {
    for (float c : {1.0f, -1.0f}) {
        const Float3 d{0.0f, 0.0f, c};
        const CameraMatrix m = buildCameraMatrix(d, 0.0f);
        expectOrthonormal(m, d);
        EXPECT_EQ(m.row[0].x, c);
        EXPECT_EQ(m.row[1].y, 1.0f);
        const float lean = 1e-3f;
        const float z = c * std::sqrt(1.0f - lean * lean);
        const CameraMatrix near = buildCameraMatrix(Float3{lean, 0.0f, z}, 0.0f);
        for (int r = 0; r < 2; ++r) {
            EXPECT_NEAR(near.row[r].x, m.row[r].x, 2e-3f);
            EXPECT_NEAR(near.row[r].y, m.row[r].y, 2e-3f);
            EXPECT_NEAR(near.row[r].z, m.row[r].z, 2e-3f);
        }
    }
}

// Signed volume of a closed mesh (positive when the faces point outwards).
double signedVolume(const ShapeMesh& mesh) {
    double volume = 0.0;
    for (const MeshTriangle& t : mesh.triangles) {
        const Float3& a = mesh.points[static_cast<size_t>(t.corner[0])];
        const Float3& b = mesh.points[static_cast<size_t>(t.corner[1])];
        const Float3& c = mesh.points[static_cast<size_t>(t.corner[2])];
        volume += (double{a.x} * (double{b.y} * c.z - double{b.z} * c.y) -
                   double{a.y} * (double{b.x} * c.z - double{b.z} * c.x) +
                   double{a.z} * (double{b.x} * c.y - double{b.y} * c.x)) / 6.0;
    }
    return volume;
}

// Every directed edge once, with its reverse in a neighbour: closed and consistently wound.
bool closedAndConsistent(const ShapeMesh& mesh) {
    std::map<std::pair<int32_t, int32_t>, int> edges;
    for (const MeshTriangle& t : mesh.triangles)
        for (int k = 0; k < 3; ++k) ++edges[{t.corner[k], t.corner[(k + 1) % 3]}];
    for (const auto& [edge, count] : edges)
        if (count != 1 || !edges.count({edge.second, edge.first})) return false;
    return true;
}

TEST(MeshShapes, ShapesAreClosedAndFaceOutwards) {
    const double pi = 3.14159265358979;
    struct Case {
        ShapeMesh mesh;
        double volume;
        double tolerance;
    };
    const Case cases[] = {
        {makeCube(1.0f), 8.0, 1e-6},
        {makeSphere(1.2f, 12, 24), 4.0 / 3.0 * pi * 1.2 * 1.2 * 1.2, 0.1},
        {makeTorus(1.0f, 0.4f, 32, 12), 2.0 * pi * pi * 1.0 * 0.4 * 0.4, 0.1},
        {makeKnot(0.4f, 0.16f, 100, 10), 0.0, 1.0},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(closedAndConsistent(c.mesh));
        const double volume = signedVolume(c.mesh);
        EXPECT_GT(volume, 0.0);
        if (c.volume > 0.0) {
            EXPECT_NEAR(volume / c.volume, 1.0, c.tolerance);
        }
    }
    EXPECT_EQ(makeKnot(0.4f, 0.16f, 100, 10).triangles.size(), 2000u);
}

TEST(MeshShapes, CubeShowsItsFrontFacesFromOutsideAndNothingFromInside) {
    const ShapeMesh cube = makeCube(1.0f);
    Mesh mesh;
    mesh.points = cube.points;
    mesh.triangles = cube.triangles;
    mesh.pointCount = static_cast<int32_t>(cube.points.size());
    mesh.triangleCount = static_cast<int32_t>(cube.triangles.size());
    BoxObjet3D box = boxWith(mesh, 1);
    Rig outside;
    outside.look(Float3{-4, -3, -5}, Float3{0, 0, 0});
    outside.render(box);
    EXPECT_GT(outside.drawn(), 1000);
    Rig inside;
    inside.look(Float3{0.1f, 0.2f, 0.3f}, Float3{0.5f, 0, 0});
    inside.render(box);
    EXPECT_EQ(inside.drawn(), 0);
}

}  // namespace
}  // namespace velmora
