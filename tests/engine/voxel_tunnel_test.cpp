// Voxel tunnel box: height-map loading, the polar tables, the column march with
// its shading, scrolling and bending, and what the gates leave alone.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include "showkit/JpegWriter.h"
#include "boxes/VoxelTunnel.h"
#include "TestFunctions.h"
#include "TestSupport.h"

namespace velmora {
namespace {

using testsupport::fill;
using testsupport::snapshot;
using testsupport::kNaN;
using testsupport::renderWith;
using testsupport::Wiring;
constexpr uint32_t kUntouched = 0xFFFFFFFFu;

std::string tempPath(const char* name) { return ::testing::TempDir() + "voxel_tunnel_" + name; }

// A configured box without a file: flat map, tables built.
void prepare(BoxVoxelTunnel& box, uint8_t height = 0) {
    box.heightMap.assign(BoxVoxelTunnel::kMapPixels, height);
    box.buildTables();
}

// Colour map whose pixel i is i itself, so a drawn pixel tells which entry was read.
void fillIndexMap(Surface& s) {
    s.allocate(512, 512);
    for (int i = 0; i < BoxVoxelTunnel::kMapPixels; ++i) s.pixels[i] = uint32_t(i);
}

uint32_t polarAt(const BoxVoxelTunnel& box, int row, int col) {
    return box.polarImage[BoxVoxelTunnel::polarIndex(row, col)];
}

// --- Tables -------------------------------------------------------------------------

TEST(VoxelTunnelTables, DepthRows) {
    BoxVoxelTunnel box;
    prepare(box);
    EXPECT_EQ(box.depthRow[0], 0);
    EXPECT_EQ(box.depthRow[1], 63 * 512);   // 39999
    EXPECT_EQ(box.depthRow[2], 31 * 512);   // 19999
    EXPECT_EQ(box.depthRow[81], 493 * 512);  // 493
    EXPECT_EQ(box.depthRow[511], 78 * 512);  // 78
}

TEST(VoxelTunnelTables, ScreenToPolar) {
    BoxVoxelTunnel box;
    prepare(box);
    auto entry = [&](int x, int y) { return box.screenToPolar[y * 512 + x]; };
    const auto at = BoxVoxelTunnel::polarIndex;
    EXPECT_EQ(entry(255, 128), at(0, 256));         // centre: row 0, angle of atan2(0, 0)
    EXPECT_EQ(entry(255, 0), at(89, 511));          // straight above: pi clamps to 511
    const auto angleOf = [](int32_t e) {  // the column of a polar index
        return e / (256 * BoxVoxelTunnel::kStripColumns) * BoxVoxelTunnel::kStripColumns +
               e % BoxVoxelTunnel::kStripColumns;
    };
    for (int y = 0; y < 128; ++y) EXPECT_EQ(angleOf(entry(255, y)), 511) << y;
    EXPECT_EQ(entry(255, 200), at(50, 256));        // straight below: angle 0
    EXPECT_EQ(entry(300, 128), at(31, 384));        // right: a quarter turn
    EXPECT_EQ(entry(210, 128), at(31, 128));        // left
    for (int32_t e : box.screenToPolar) {
        ASSERT_GE(e, 0);
        ASSERT_LT(e, BoxVoxelTunnel::kPolarPixels);
    }
    EXPECT_EQ(box.polarImage, std::vector<uint32_t>(BoxVoxelTunnel::kPolarPixels, kUntouched));
}

// --- March ------------------------------------------------------------------------

TEST(VoxelTunnelMarch, FlatMapIsACylinder) {
    BoxVoxelTunnel box;
    prepare(box);
    Surface colour;
    fill(colour, 512, 512, 0x808080);
    box.marchColumns(0.0f, colour.pixels, 0.06, 0.0);
    for (int col : {0, 17, 511}) {
        // Row r carries the shade of step r + 1.
        EXPECT_EQ(polarAt(box, 0, col), 0u);
        EXPECT_EQ(polarAt(box, 44, col), 0u);
        EXPECT_EQ(polarAt(box, 45, col), 0u);          // step 46: 128 - 202, floored
        EXPECT_EQ(polarAt(box, 60, col), 0x2E2E2Eu);   // step 61: 128 - 82
        EXPECT_EQ(polarAt(box, 70, col), 0x7E7E7Eu);   // step 71: 128 - 2
        EXPECT_EQ(polarAt(box, 71, col), 0x808080u);   // step 72: k is 0
        EXPECT_EQ(polarAt(box, 74, col), 0x808080u);   // step 75: unchanged
        EXPECT_EQ(polarAt(box, 109, col), 0x808080u);  // step 110: unchanged
        EXPECT_EQ(polarAt(box, 110, col), 0x828282u);  // step 111: + 2
        EXPECT_EQ(polarAt(box, 120, col), 0x969696u);  // step 121: + 22
        EXPECT_EQ(polarAt(box, 218, col), 0xFFFFFFu);  // step 219: + 218, capped
        EXPECT_EQ(polarAt(box, 219, col), kUntouched);
        EXPECT_EQ(polarAt(box, 255, col), kUntouched);
    }
}

TEST(VoxelTunnelMarch, RowsReadTheDepthRowOfTheirStep) {
    BoxVoxelTunnel box;
    prepare(box);
    Surface colour;
    fillIndexMap(colour);
    box.marchColumns(0.0f, colour.pixels, 0.06, 0.0);
    EXPECT_EQ(polarAt(box, 80, 0), 493u * 512);        // step 81
    EXPECT_EQ(polarAt(box, 80, 300), 493u * 512 + 300);
    // Step 2 would be row 1 but the march starts at step 45: row 45 is step 46.
    EXPECT_EQ(polarAt(box, 90, 7), uint32_t(box.depthRow[91] + 7));
}

TEST(VoxelTunnelMarch, ScrollMovesAlongTheMapAndWraps) {
    BoxVoxelTunnel box;
    prepare(box);
    Surface colour;
    fillIndexMap(colour);
    box.marchColumns(0.5f, colour.pixels, 0.06, 0.0);  // scroll 100 rows
    EXPECT_EQ(polarAt(box, 80, 5), (593u - 512) * 512 + 5);
    box.marchColumns(-0.5f, colour.pixels, 0.06, 0.0);
    EXPECT_EQ(polarAt(box, 80, 5), 393u * 512 + 5);
    box.marchColumns(0.004f, colour.pixels, 0.06, 0.0);  // t * 200 below 1: no scroll
    EXPECT_EQ(polarAt(box, 80, 5), 493u * 512 + 5);
    // The sum crosses into the next map row: column 511 plus one.
    box.marchColumns(0.0f, colour.pixels, 0.0, 1.5);  // bend 1 everywhere
    EXPECT_EQ(polarAt(box, 80, 511), 494u * 512);
}

TEST(VoxelTunnelMarch, BendIsKeptAsASignedByte) {
    BoxVoxelTunnel box;
    prepare(box);
    Surface colour;
    fillIndexMap(colour);
    box.marchColumns(0.0f, colour.pixels, 0.0, -300.0);  // -300 as a byte is -44
    EXPECT_EQ(box.bend[100], -44);
    EXPECT_EQ(polarAt(box, 80, 100), 493u * 512 + 100 - 44);
    box.marchColumns(0.0f, colour.pixels, 0.0, 3.7);
    EXPECT_EQ(box.bend[45], 3);
    EXPECT_EQ(polarAt(box, 80, 100), 493u * 512 + 103);
}

TEST(VoxelTunnelMarch, HighWallIsDrawnNearerTheCentre) {
    BoxVoxelTunnel box;
    prepare(box, 255);
    Surface colour;
    fill(colour, 512, 512, 0x808080);
    box.marchColumns(0.0f, colour.pixels, 0.06, 0.0);
    // Step i lands on row i - (255 i >> 9), about i / 2: the strip climbs one row
    // every other step, each step filling the row it leaves. Steps 218 and 219 both
    // land on row 110, so the strip ends with row 109.
    EXPECT_EQ(polarAt(box, 23, 3), 0u);                 // step 46: 128 - 202, floored
    EXPECT_EQ(polarAt(box, 44, 3), 0x808080u);          // step 88: unchanged band
    EXPECT_EQ(polarAt(box, 30, 3), 0x262626u);          // step 60: 128 - 90
    EXPECT_EQ(polarAt(box, 109, 3), 0xFFFFFFu);         // step 218: + 216, capped
    EXPECT_EQ(polarAt(box, 110, 3), kUntouched);        // never reached
    EXPECT_EQ(polarAt(box, 120, 3), kUntouched);
}

// --- Render ------------------------------------------------------------------------

TEST(VoxelTunnelRender, CentrePixelIsAlwaysBlack) {
    BoxVoxelTunnel box;
    prepare(box, 90);
    Surface colour, out;
    fill(colour, 512, 512, 0xFFFFFF);
    fill(out, 512, 256, 0x123456);
    for (float t : {0.0f, 0.7f, -13.0f, 1e30f, -1e30f, kNaN, std::numeric_limits<float>::infinity()}) {
        renderWith(box, out, {t, 1.0f, 1.0f}, {&colour});
        ASSERT_EQ(out.pixels[128 * 512 + 255], 0u) << t;
        ASSERT_NE(out.pixels[0], 0x123456u) << t;
    }
}

TEST(VoxelTunnelRender, OutputIsThePolarImageThroughTheTable) {
    BoxVoxelTunnel box;
    prepare(box);
    Surface colour, out;
    fillIndexMap(colour);
    fill(out, 512, 256, 0);
    renderWith(box, out, {0.0f, 1.0f, 1.0f}, {&colour});
    for (int k = 0; k < BoxVoxelTunnel::kPolarPixels; k += 97)
        ASSERT_EQ(out.pixels[k], box.polarImage[box.screenToPolar[k]]) << k;
    // Straight below the centre at distance 80 / 0.7: polar row 80, column 256.
    const int y = 128 + 115;  // trunc(115 * 0.7) = 80
    EXPECT_EQ(out.pixels[y * 512 + 255], 493u * 512 + 256);
}

TEST(VoxelTunnelRender, GatesOffChangeNothing) {
    BoxVoxelTunnel box;
    prepare(box, 40);
    Surface colour, out;
    fill(colour, 512, 512, 0x336699);
    fill(out, 512, 256, 0x010101);
    for (float off : {0.0f, -2.0f, kNaN}) {
        renderWith(box, out, {1.0f, off, 1.0f}, {&colour});
        renderWith(box, out, {1.0f, 1.0f, off}, {&colour});
    }
    EXPECT_EQ(snapshot(out), std::vector<uint32_t>(512 * 256, 0x010101));
    EXPECT_EQ(box.polarImage, std::vector<uint32_t>(BoxVoxelTunnel::kPolarPixels, kUntouched));
}

TEST(VoxelTunnelRender, WrongSizesDrawNothing) {
    BoxVoxelTunnel box;
    prepare(box);
    Surface colour, smallColour, wideColour, out, shortOut;
    fill(colour, 512, 512, 0x336699);
    fill(smallColour, 512, 511, 0x336699);
    fill(wideColour, 1024, 256, 0x336699);  // enough pixels in another shape
    fill(out, 512, 256, 0x010101);
    fill(shortOut, 512, 255, 0x020202);
    renderWith(box, out, {1.0f, 1.0f, 1.0f}, {&smallColour});
    Wiring good({1.0f, 1.0f, 1.0f}, {&colour});
    box.render(shortOut, good.fns(), good.ins());
    EXPECT_EQ(snapshot(out), std::vector<uint32_t>(512 * 256, 0x010101));
    EXPECT_EQ(snapshot(shortOut), std::vector<uint32_t>(512 * 255, 0x020202));
    EXPECT_EQ(box.polarImage, std::vector<uint32_t>(BoxVoxelTunnel::kPolarPixels, kUntouched));

    renderWith(box, out, {1.0f, 1.0f, 1.0f}, {&wideColour});
    EXPECT_NE(snapshot(out), std::vector<uint32_t>(512 * 256, 0x010101));

    BoxVoxelTunnel unconfigured;
    fill(out, 512, 256, 0x010101);
    unconfigured.render(out, good.fns(), good.ins());
    EXPECT_EQ(snapshot(out), std::vector<uint32_t>(512 * 256, 0x010101));
}

TEST(VoxelTunnelRender, TwoRunsGiveIdenticalFrames) {
    Surface colour;
    colour.allocate(512, 512);
    for (int i = 0; i < BoxVoxelTunnel::kMapPixels; ++i) colour.pixels[i] = (uint32_t(i) * 2654435761u) & 0xFFFFFF;
    auto run = [&]() {
        BoxVoxelTunnel box;
        box.heightMap.resize(BoxVoxelTunnel::kMapPixels);
        for (int i = 0; i < BoxVoxelTunnel::kMapPixels; ++i) box.heightMap[i] = uint8_t((i * 7) ^ (i >> 9));
        box.buildTables();
        Surface out;
        fill(out, 512, 256, 0);
        std::vector<uint32_t> frames;
        for (float t : {0.0f, 0.33f, 2.5f, 7.0f}) {
            renderWith(box, out, {t, 1.0f, 1.0f}, {&colour});
            frames.insert(frames.end(), out.pixels, out.pixels + out.pixelCount());
        }
        return frames;
    };
    const std::vector<uint32_t> first = run();
    EXPECT_EQ(run(), first);
}

// --- Height-map files ------------------------------------------------------------

TEST(VoxelTunnelHeightMap, LoadsAGreyMapOfTheRightSize) {
    std::vector<uint8_t> grey(512 * 512);
    for (int y = 0; y < 512; ++y)
        for (int x = 0; x < 512; ++x) grey[y * 512 + x] = y < 256 ? 0 : 200;
    const std::string path = tempPath("map.jpg");
    ASSERT_TRUE(writeJpeg(path.c_str(), 512, 512, 1, grey.data(), 100));
    std::vector<uint8_t> map(BoxVoxelTunnel::kMapPixels, 77);
    ASSERT_EQ(BoxVoxelTunnel::loadHeightMap(path.c_str(), map.data()), 0);
    EXPECT_EQ(map[0], 0);
    EXPECT_EQ(map[255 * 512 + 511], 0);
    EXPECT_EQ(map[256 * 512], 200);
    EXPECT_EQ(map[511 * 512 + 511], 200);

    BoxVoxelTunnel box;
    EXPECT_EQ(testsupport::rejectionsOf(box, (" " + path + " extra").c_str()), 0);
    EXPECT_EQ(box.heightMap, map);
    EXPECT_TRUE(box.ready());
    std::remove(path.c_str());
}

TEST(VoxelTunnelHeightMap, RefusesColourOtherSizesAndMissingFiles) {
    std::vector<uint8_t> samples(512 * 513 * 3, 100);
    const std::string colourPath = tempPath("colour.jpg");
    const std::string smallPath = tempPath("small.jpg");
    const std::string tallPath = tempPath("tall.jpg");
    ASSERT_TRUE(writeJpeg(colourPath.c_str(), 512, 512, 3, samples.data(), 90));
    ASSERT_TRUE(writeJpeg(smallPath.c_str(), 256, 256, 1, samples.data(), 90));
    ASSERT_TRUE(writeJpeg(tallPath.c_str(), 512, 513, 1, samples.data(), 90));
    std::vector<uint8_t> map(BoxVoxelTunnel::kMapPixels, 7);
    EXPECT_EQ(BoxVoxelTunnel::loadHeightMap(colourPath.c_str(), map.data()), 1);
    EXPECT_EQ(BoxVoxelTunnel::loadHeightMap(smallPath.c_str(), map.data()), 1);
    EXPECT_EQ(BoxVoxelTunnel::loadHeightMap(tallPath.c_str(), map.data()), 1);
    EXPECT_EQ(BoxVoxelTunnel::loadHeightMap(tempPath("absent.jpg").c_str(), map.data()), 1);
    EXPECT_EQ(map, std::vector<uint8_t>(BoxVoxelTunnel::kMapPixels, 7));
    for (const std::string& p : {colourPath, smallPath, tallPath}) std::remove(p.c_str());
}

// The height map's refusals keep "FICHIER NON TROUVE" and say what the file is.
TEST(VoxelTunnelHeightMap, RefusalsNameTheFileAndWhy) {
    std::vector<uint8_t> samples(512 * 512 * 3, 100);
    const std::string colour = tempPath("why_colour.jpg");
    const std::string small = tempPath("why_small.jpg");
    const std::string png = tempPath("why.png");
    ASSERT_TRUE(writeJpeg(colour.c_str(), 512, 512, 3, samples.data(), 90));
    ASSERT_TRUE(writeJpeg(small.c_str(), 256, 128, 1, samples.data(), 90));
    std::ofstream(png, std::ios::binary) << "\x89PNG\r\n\x1a\n....";
    const struct {
        std::string text;
        std::string file;
        const char* reason;
    } cases[] = {
        {tempPath("why_absent.jpg"), tempPath("why_absent.jpg"), "not found (the working directory is "},
        {colour, colour, "must be a 512x512 grey-level JPEG or PNG; it is 512x512 colour"},
        {small, small, "must be a 512x512 grey-level JPEG or PNG; it is 256x128 grey-level"},
        {png, png, "the PNG is damaged or cut short"},
        {"", "", "names no height map file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const ShowError error = testsupport::errorRaisedBy([&] { BoxVoxelTunnel().configure(c.text.c_str()); });
        EXPECT_EQ(error.file, c.file);
        EXPECT_NE(error.reason.find(c.reason), std::string::npos) << error.reason;
    }
    for (const std::string& p : {colour, small, png}) std::remove(p.c_str());
}

TEST(VoxelTunnelHeightMap, UnusableFileIsFatal) {
    using testsupport::fatalMessageOf;
    std::vector<uint8_t> rgb(512 * 512 * 3, 50);
    const std::string colourPath = tempPath("fatal_colour.jpg");
    ASSERT_TRUE(writeJpeg(colourPath.c_str(), 512, 512, 3, rgb.data(), 90));
    EXPECT_EQ(fatalMessageOf([&] { BoxVoxelTunnel().configure(colourPath.c_str()); }), "FICHIER NON TROUVE");
    EXPECT_EQ(fatalMessageOf([&] { BoxVoxelTunnel().configure(tempPath("absent.jpg").c_str()); }),
              "FICHIER NON TROUVE");
    EXPECT_EQ(fatalMessageOf([] { BoxVoxelTunnel().configure(""); }), "FICHIER NON TROUVE");
    std::remove(colourPath.c_str());

    // A file libjpeg refuses: its message for the show, the step's for the checker.
    const std::string damagedPath = tempPath("damaged_map.jpg");
    std::FILE* damaged = std::fopen(damagedPath.c_str(), "wb");
    ASSERT_NE(damaged, nullptr);
    std::fputs("\xff\xd8\xff\xe0 not really a picture", damaged);
    std::fclose(damaged);
    const ShowError error = testsupport::errorRaisedBy([&] { BoxVoxelTunnel().configure(damagedPath.c_str()); });
    EXPECT_EQ(error.presentation, ErrorPresentation::StandardError);
    EXPECT_EQ(error.exitStatus, 1);
    EXPECT_FALSE(error.message.empty());
    EXPECT_EQ(error.checkMessage, "FICHIER NON TROUVE");
    std::remove(damagedPath.c_str());
}

}  // namespace
}  // namespace velmora
