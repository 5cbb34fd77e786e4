// Surface sizing from script text, JPEG and PNG pictures (colour, grey,
// oversized, damaged) and clearing.
#include "surface/Surface.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <png.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "TestFunctions.h"
#include "TestSupport.h"
#include "boxes/SimpleBoxes.h"
#include "boxes/VoxelTunnel.h"
#include "core/Limits.h"
#include "showkit/JpegWriter.h"
#include "surface/JpegDecode.h"

namespace velmora {
namespace {

std::string tempPath(const std::string& name) {
    return ::testing::TempDir() + "surface_test_" + name;
}

// A flat-colour JPEG at the best quality, so decoded pixels stay close to it.
std::string writeFlatJpeg(const std::string& name, int w, int h, uint8_t r, uint8_t g, uint8_t b) {
    std::vector<uint8_t> samples(static_cast<size_t>(w) * h * 3);
    for (size_t i = 0; i < samples.size(); i += 3) {
        samples[i] = r;
        samples[i + 1] = g;
        samples[i + 2] = b;
    }
    const std::string path = tempPath(name);
    EXPECT_TRUE(writeJpeg(path.c_str(), w, h, 3, samples.data(), 100));
    return path;
}

void expectNear(uint32_t pixel, int r, int g, int b) {
    EXPECT_EQ(pixel >> 24, 0u);
    EXPECT_NEAR(static_cast<int>((pixel >> 16) & 0xFF), r, 2);
    EXPECT_NEAR(static_cast<int>((pixel >> 8) & 0xFF), g, 2);
    EXPECT_NEAR(static_cast<int>(pixel & 0xFF), b, 2);
}

TEST(SurfaceConfigure, SizesFromText) {
    Surface s;
    s.configure(" 320 200");
    EXPECT_EQ(s.width, 320);
    EXPECT_EQ(s.height, 200);
    ASSERT_NE(s.pixels, nullptr);
    EXPECT_EQ(s.pixelCount(), 320u * 200u);

    Surface big;
    big.configure("2048 2048");
    EXPECT_TRUE(big.isSize(2048, 2048));
}

TEST(SurfaceConfigure, ReconfiguringReplacesTheArray) {
    Surface s;
    s.configure("4 4");
    s.configure(" 64 32");
    EXPECT_TRUE(s.isSize(64, 32));
    s.clear();
    EXPECT_EQ(s.pixels[64 * 32 - 1], 0u);  // the whole new array is addressable
}

TEST(SurfaceConfigureFatal, InvalidSizesAreFatal) {
    const char* texts[] = {" 2049 10", " 10 0", " -5 5",  " 10 2049",
                           " 320",     "",      " abc 4", " 99999999999 5"};
    for (const char* text : texts) {
        SCOPED_TRACE(text);
        Surface s;
        EXPECT_EQ(testsupport::fatalMessageOf([&] { s.configure(text); }), "TAILLE DE LA SURFACE NON VALIDE");
    }
}

TEST(SurfaceConfigureFatal, TabBeforeQuoteIsReadAsASize) {
    const std::string path = writeFlatJpeg("tab.jpg", 8, 8, 200, 100, 50);
    Surface s;
    const std::string text = "\t\"" + path + "\"";
    EXPECT_EQ(testsupport::fatalMessageOf([&] { s.configure(text); }), "TAILLE DE LA SURFACE NON VALIDE");
}

TEST(SurfaceConfigureFatal, BlankAfterClosingQuoteBreaksThePath) {
    const std::string path = writeFlatJpeg("trailing.jpg", 8, 8, 200, 100, 50);
    Surface s;
    const std::string text = "  \"" + path + "\" ";
    EXPECT_EQ(testsupport::fatalMessageOf([&] { s.configure(text); }), "ERREUR A LA LECTURE D'UNE SURFACE");
}

TEST(SurfaceConfigureFatal, MissingPictureIsFatal) {
    Surface s;
    EXPECT_EQ(testsupport::fatalMessageOf([&] { s.configure(" \"no/such/picture.jpg\""); }), "ERREUR A LA LECTURE D'UNE SURFACE");
    EXPECT_EQ(testsupport::fatalMessageOf([&] { s.configure(" \""); }), "ERREUR A LA LECTURE D'UNE SURFACE");
}

TEST(SurfaceJpeg, QuotedPathLoadsPictureOfAnySize) {
    const std::string path = writeFlatJpeg("wide.jpg", 3000, 100, 18, 52, 86);
    Surface s;
    s.configure("  \"" + path + "\"");
    EXPECT_EQ(s.width, 3000);
    EXPECT_EQ(s.height, 100);
    expectNear(s.pixels[0], 18, 52, 86);
    expectNear(s.pixels[s.pixelCount() - 1], 18, 52, 86);
}

TEST(SurfaceJpeg, GreyPictureGivesEqualChannels) {
    std::vector<uint8_t> grey(16 * 8);
    for (size_t i = 0; i < grey.size(); ++i) grey[i] = static_cast<uint8_t>(i * 2);
    const std::string path = tempPath("grey.jpg");
    ASSERT_TRUE(writeJpeg(path.c_str(), 16, 8, 1, grey.data(), 100));

    Surface s;
    ASSERT_EQ(s.loadJpeg(path.c_str()), 0);
    ASSERT_TRUE(s.isSize(16, 8));
    for (size_t i = 0; i < s.pixelCount(); ++i) {
        const uint32_t p = s.pixels[i];
        EXPECT_EQ(p >> 24, 0u);
        EXPECT_EQ((p >> 16) & 0xFF, p & 0xFF);
        EXPECT_EQ((p >> 8) & 0xFF, p & 0xFF);
        EXPECT_NEAR(static_cast<int>(p & 0xFF), grey[i], 3);
    }
}

TEST(SurfaceJpeg, MissingFileReportsFailureAndKeepsSurface) {
    Surface s;
    s.allocate(5, 6);
    EXPECT_EQ(s.loadJpeg("no/such/file.jpg"), 1);
    EXPECT_TRUE(s.isSize(5, 6));
}

TEST(SurfaceJpeg, DamagedFileRaisesLibjpegsMessage) {
    const std::string path = tempPath("damaged.jpg");
    std::ofstream(path, std::ios::binary) << "this is not a picture at all";
    Surface s;
    const ShowError error = testsupport::errorRaisedBy([&] { s.configure(" \"" + path + "\""); });
    EXPECT_EQ(error.presentation, ErrorPresentation::StandardError);
    EXPECT_EQ(error.exitStatus, 1);
    EXPECT_EQ(error.message.rfind("Not a JPEG file", 0), 0u) << error.message;
    EXPECT_EQ(error.checkMessage, "ERREUR A LA LECTURE D'UNE SURFACE");
    EXPECT_EQ(error.file, path);
}

// Every refusal keeps its text and status and says why, in English, with the file.
TEST(SurfaceConfigureFatal, RefusalsSayWhy) {
    const std::string whole = writeFlatJpeg("whole.jpg", 64, 64, 10, 20, 30);
    const std::string jpegStart = testsupport::readFile(whole);
    ASSERT_FALSE(jpegStart.empty());
    const std::vector<uint8_t> cmyk(8 * 8 * 4, 60);
    ASSERT_TRUE(writeJpeg(tempPath("cmyk.jpg").c_str(), 8, 8, 4, cmyk.data(), 90));
    auto file = [](const std::string& name, const std::string& bytes) {
        const std::string path = tempPath(name);
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    };
    auto quoted = [](const std::string& path) { return std::string(1, '"').append(path).append(1, '"'); };
    // Opened without waiting for a writer, and refused: not read for ever.
    std::remove(tempPath("fifo.jpg").c_str());
    ASSERT_EQ(::mkfifo(tempPath("fifo.jpg").c_str(), 0600), 0);
    constexpr const char* kPicture = "ERREUR A LA LECTURE D'UNE SURFACE";
    const struct {
        std::string text;     // the surface's parameter text
        std::string file;     // the file the error names ("" when none)
        int status;           // 9999: the fatal box; 1: libjpeg's own line
        const char* message;  // nullptr: libjpeg's text, whatever it is
        const char* reason;
    } cases[] = {
        {quoted(tempPath("absent.jpg")), tempPath("absent.jpg"), 9999, kPicture,
         "not found (the working directory is "},
        {quoted(file("p.png", "\x89PNG\r\n\x1a\n....")), tempPath("p.png"), 9999, kPicture,
         "the PNG is damaged or cut short"},
        {quoted(file("g.gif", "GIF89a....")), tempPath("g.gif"), 1, nullptr,
         "not a JPEG or PNG: it is a GIF picture; the loader reads JPEG and PNG pictures"},
        {quoted(file("gif.jpg", "GIF89a....")), tempPath("gif.jpg"), 1, nullptr,
         "it is a GIF picture; the loader reads JPEG and PNG pictures (save it as .jpg or .png)"},
        {quoted(file("t.jpg", "plain text")), tempPath("t.jpg"), 1, nullptr,
         "not a JPEG or PNG: it begins with the bytes 70 6C"},
        {quoted(file("e.jpg", "")), tempPath("e.jpg"), 1, nullptr, "the file is empty"},
        {quoted(file("cut.jpg", jpegStart.substr(0, 40))), tempPath("cut.jpg"), 1, nullptr,
         "the JPEG is truncated"},
        {quoted(tempPath("cmyk.jpg")), tempPath("cmyk.jpg"), 9999, kPicture, "CMYK colour space"},
        {quoted(tempPath("fifo.jpg")), tempPath("fifo.jpg"), 9999, kPicture, "it is a FIFO, not a regular file"},
        {quoted("/dev/zero"), "/dev/zero", 9999, kPicture, "it is a device, not a regular file"},
        {quoted(::testing::TempDir()), ::testing::TempDir(), 9999, kPicture, "is a folder, not a picture file"},
        {"data/x.jpg", "", 9999, "TAILLE DE LA SURFACE NON VALIDE",
         "'data/x.jpg' is neither W H nor a quoted file name: write \"data/x.jpg\""},
        {"512 wide", "", 9999, "TAILLE DE LA SURFACE NON VALIDE", "'512 wide' is not W H"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        Surface s;
        const ShowError error = testsupport::errorRaisedBy([&] { s.configure(c.text); });
        EXPECT_EQ(error.exitStatus, c.status);
        if (c.message) {
            EXPECT_EQ(error.message, c.message);
        }
        EXPECT_EQ(error.file, c.file);
        EXPECT_NE(error.reason.find(c.reason), std::string::npos) << error.reason;
    }
    for (const char* name : {"whole.jpg", "cmyk.jpg", "p.png", "g.gif", "gif.jpg", "t.jpg", "e.jpg", "cut.jpg", "fifo.jpg"})
        std::remove(tempPath(name).c_str());
}

TEST(JpegDecode, ReportsLayoutOfColourAndGreyFiles) {
    const std::string colour = writeFlatJpeg("layout.jpg", 24, 10, 1, 2, 3);
    DecodedJpeg out;
    ASSERT_EQ(decodeJpegFile(colour.c_str(), out), 0);
    EXPECT_EQ(out.width, 24);
    EXPECT_EQ(out.height, 10);
    EXPECT_EQ(out.components, 3);
    EXPECT_EQ(out.samples.size(), 24u * 10u * 3u);

    std::vector<uint8_t> grey(12 * 7, 90);
    const std::string greyPath = tempPath("layout_grey.jpg");
    ASSERT_TRUE(writeJpeg(greyPath.c_str(), 12, 7, 1, grey.data(), 90));
    ASSERT_EQ(decodeJpegFile(greyPath.c_str(), out), 0);
    EXPECT_EQ(out.components, 1);
    EXPECT_EQ(out.samples.size(), 12u * 7u);
}

// A small picture whose header announces width x height pixels; only the
// header is ever read when that is too large.
// With `scans` > 0 the picture becomes progressive (SOF2) and its one scan is
// replaced by that many empty DC scans: a pass over the picture each.
std::string writeJpegDeclaring(const std::string& name, int components, int width, int height, int scans = 0) {
    std::vector<uint8_t> samples(16 * 16 * components, 9);
    const std::string path = tempPath(name);
    EXPECT_TRUE(writeJpeg(path.c_str(), 16, 16, components, samples.data(), 90));
    std::vector<char> bytes;
    {
        std::ifstream in(path, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    bool patched = false;
    for (size_t i = 0; i + 9 < bytes.size() && !patched; ++i) {
        if (static_cast<uint8_t>(bytes[i]) == 0xFF && static_cast<uint8_t>(bytes[i + 1]) == 0xC0) {
            // SOF0: length(2) precision(1) height(2) width(2)
            bytes[i + 5] = static_cast<char>(height >> 8);
            bytes[i + 6] = static_cast<char>(height & 0xFF);
            bytes[i + 7] = static_cast<char>(width >> 8);
            bytes[i + 8] = static_cast<char>(width & 0xFF);
            if (scans > 0) bytes[i + 1] = static_cast<char>(0xC2);
            patched = true;
        }
    }
    EXPECT_TRUE(patched);
    for (size_t i = 0; scans > 0 && i + 1 < bytes.size(); ++i) {
        if (static_cast<uint8_t>(bytes[i]) == 0xFF && static_cast<uint8_t>(bytes[i + 1]) == 0xDA) {
            const char components1 = bytes[i + 4], firstId = bytes[i + 5];
            bytes.resize(i);
            for (int k = 0; k < scans; ++k) {
                // SOS: length 8, one component, tables 0/0, DC only (Ss = Se = 0), first pass.
                bytes.insert(bytes.end(), {'\xFF', '\xDA', 0, 8, 1, firstId, 0, 0, 0, 0});
            }
            bytes.insert(bytes.end(), {'\xFF', '\xD9'});
            EXPECT_EQ(components1, components);
            break;
        }
    }
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
}

// Pictures over the pixel limit, or over what the show's surfaces have left,
// are refused from their header, before anything of their size is allocated:
// the show's own failure (a surface, or a height map) with the reason.
TEST(PictureLimits, RefusedFromTheHeaderWithTheirReason) {
    struct Case {
        const char* name;
        int components, width, height;
        uint64_t budgetMiB;  // 0: no budget
        bool heightMap;
        std::string reason;  // after the path
        int scans;           // 0: baseline
    } cases[] = {
        {"bomb.jpg", 1, 16384, 16384, 0, false,
         " declares 16384x16384 pixels, more than the 67108864 (8192x8192) a picture may have", 0},
        {"absurd.jpg", 3, 60000, 60000, 0, false,
         " declares 60000x60000 pixels, more than the 67108864 (8192x8192) a picture may have", 0},
        {"bomb_map.jpg", 1, 16384, 16384, 0, true,
         " declares 16384x16384 pixels, more than the 67108864 (8192x8192) a picture may have", 0},
        {"budget.jpg", 3, 8192, 4096, 64, false,
         " declares 8192x4096 pixels, 128 MiB as a surface, more than the 64 MiB left of the 64 MiB that all "
         "surfaces of a show may hold (VELMORA_SURFACE_BUDGET sets another budget, in MiB)", 0},
        // Read in time as well as in memory: a scan is a pass over the whole picture.
        {"scans.jpg", 1, 64, 64, 0, false, " holds more than 100 scans, more than the 100 a progressive picture may have",
         101},
        {"scans_map.jpg", 1, 256, 256, 0, true,
         " holds more than 100 scans, more than the 100 a progressive picture may have", 5000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = writeJpegDeclaring(c.name, c.components, c.width, c.height, c.scans);
        SurfaceBudget budget(c.budgetMiB * kMiB);
        SurfaceBudget* budgetUsed = c.budgetMiB ? &budget : nullptr;
        ShowError error = testsupport::errorRaisedBy([&] {
            if (c.heightMap) {
                BoxVoxelTunnel tunnel;
                tunnel.configure((" " + path).c_str());
            } else {
                Surface s;
                s.configure(" \"" + path + "\"", budgetUsed);
            }
        });
        EXPECT_EQ(error.exitStatus, 9999);
        EXPECT_EQ(error.message, c.heightMap ? "FICHIER NON TROUVE" : "ERREUR A LA LECTURE D'UNE SURFACE");
        EXPECT_EQ(error.file, path);
        EXPECT_EQ(error.reason, path + c.reason);
        EXPECT_EQ(budget.used(), 0u);
        // The plain decoder refuses the same way and says why.
        DecodedJpeg out;
        std::string refusal;
        EXPECT_EQ(decodeJpegFile(path.c_str(), out, budgetUsed, &refusal), 1);
        EXPECT_TRUE(out.samples.empty());
        EXPECT_EQ(refusal, path + c.reason);
    }
}

// The budget counts every surface of a show: blank ones too, and what is
// taken stays taken.
TEST(PictureLimits, TheBudgetCountsEverySurface) {
    const std::string picture = writeFlatJpeg("budget_fits.jpg", 512, 512, 1, 2, 3);
    SurfaceBudget budget(2 * kMiB);
    Surface blank, fits, over;
    blank.configure(" 512 256", &budget);     // 0.5 MiB
    fits.configure(" \"" + picture + "\"", &budget);  // 1 MiB
    EXPECT_EQ(budget.used(), 3 * kMiB / 2);
    const ShowError error = testsupport::errorRaisedBy([&] { over.configure(" 512 512", &budget); });
    EXPECT_EQ(error.message, "TAILLE DE LA SURFACE NON VALIDE");
    EXPECT_EQ(error.reason, "a 512x512 surface takes 1 MiB, more than the 0.5 MiB left of the 2 MiB that all "
                            "surfaces of a show may hold (VELMORA_SURFACE_BUDGET sets another budget, in MiB)");
    EXPECT_EQ(over.pixels, nullptr);
    EXPECT_EQ(budget.used(), 3 * kMiB / 2);

    uint64_t bytes = 0;
    EXPECT_TRUE(parseSurfaceBudgetMiB("512", bytes));
    EXPECT_EQ(bytes, 512 * kMiB);
    for (const char* bad : {"", "0", "-4", "12MB", "1.5", "99999999999"})
        EXPECT_FALSE(parseSurfaceBudgetMiB(bad, bytes)) << bad;
}

TEST(SurfaceClear, ZeroesEveryPixel) {
    Surface s;
    s.configure("512 256");
    for (size_t i = 0; i < s.pixelCount(); ++i) s.pixels[i] = 0xFFFFFFFFu;
    s.clear();
    size_t zeros = 0;
    for (size_t i = 0; i < s.pixelCount(); ++i) zeros += s.pixels[i] == 0;
    EXPECT_EQ(zeros, 131072u);
}

TEST(SurfaceAllocate, EmptySizesGiveNoPixels) {
    Surface s;
    s.allocate(0, 10);
    EXPECT_EQ(s.pixels, nullptr);
    EXPECT_EQ(s.pixelCount(), 0u);
    s.clear();  // nothing to clear, must not crash
}

}  // namespace
}  // namespace velmora

namespace velmora {
namespace {

// Every kind of PNG, 512x256, written sample by sample; what the surface must
// hold is known exactly (16-bit samples are v * 257, palette entries distinct).
struct PngKind {
    const char* name;
    int colourType;
    int bitDepth;
    bool transparency = false;  // a tRNS chunk: palette alphas, or one transparent grey or RGB colour
};

class PngSurface : public ::testing::TestWithParam<PngKind> {};

// The picture's colour at (x, y); grey kinds use its red.
uint32_t pngColour(int x, int y, bool grey, bool palette) {
    if (palette) return ((x / 32 + y / 32) % 16) * 0x0F0D0Bu + 0x040506u;
    const uint32_t r = static_cast<uint32_t>(x / 2), g = static_cast<uint32_t>(y), b = static_cast<uint32_t>((x ^ y) & 0xFF);
    return grey ? r * 0x010101u : r << 16 | g << 8 | b;
}

std::string writePngKind(const std::string& path, const PngKind& kind) {
    const bool grey = !(kind.colourType & PNG_COLOR_MASK_COLOR), palette = kind.colourType == PNG_COLOR_TYPE_PALETTE;
    const int channels = palette ? 1 : (grey ? 1 : 3) + (kind.colourType & PNG_COLOR_MASK_ALPHA ? 1 : 0);
    const int bytes = kind.bitDepth == 16 ? 2 : 1;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return "cannot write " + path;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, file);
    png_set_IHDR(png, info, 512, 256, kind.bitDepth, kind.colourType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_color entries[16];
    for (int i = 0; i < 16; ++i) {
        const uint32_t c = i * 0x0F0D0Bu + 0x040506u;
        entries[i] = png_color{static_cast<png_byte>(c >> 16), static_cast<png_byte>(c >> 8), static_cast<png_byte>(c)};
    }
    if (palette) png_set_PLTE(png, info, entries, 16);
    png_byte alphas[16];
    for (int i = 0; i < 16; ++i) alphas[i] = static_cast<png_byte>(i * 17);
    png_color_16 transparent{0, 10, 20, 30, 40};
    if (kind.transparency) png_set_tRNS(png, info, alphas, palette ? 16 : 0, palette ? nullptr : &transparent);
    png_write_info(png, info);
    std::vector<png_byte> row(512 * channels * bytes);
    for (int y = 0; y < 256; ++y) {
        std::fill(row.begin(), row.end(), 0);
        for (int x = 0; x < 512; ++x) {
            if (palette) {  // 4 bits an index, the first in the high half; or a byte
                const int index = (x / 32 + y / 32) % 16;
                if (kind.bitDepth == 8) row[x] = static_cast<png_byte>(index);
                else row[x / 2] |= static_cast<png_byte>(x % 2 ? index : index << 4);
                continue;
            }
            const uint32_t c = pngColour(x, y, grey, false);
            const uint32_t samples[4] = {c >> 16 & 0xFF, c >> 8 & 0xFF, c & 0xFF, static_cast<uint32_t>(x % 256)};
            for (int k = 0; k < channels; ++k) {
                const uint32_t v = grey && k == 0 ? samples[0] : grey ? samples[3] : samples[k];
                png_byte* at = &row[(x * channels + k) * bytes];
                at[0] = static_cast<png_byte>(v);
                if (bytes == 2) at[1] = static_cast<png_byte>(v);  // v * 257, big-endian
            }
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    return {};
}

TEST_P(PngSurface, CopiedToTheFrameItRendersExactlyItsPixels) {
    const PngKind& kind = GetParam();
    const std::string path = tempPath(std::string(kind.name) + ".png");
    ASSERT_EQ(writePngKind(path, kind), "");
    SurfaceBudget budget(kMiB);
    Surface picture;
    picture.configure(" \"" + path + "\"", &budget);
    ASSERT_TRUE(picture.isSize(512, 256));
    EXPECT_EQ(budget.used(), 512u * 256u * 4u);
    Surface frame;
    frame.configure("512 256");
    BoxCopier copier;  // as `copie OUT picture on on` wires it
    testsupport::Wiring wiring({1.0f, 1.0f}, {&picture});
    copier.render(frame, wiring.fns(), wiring.ins());
    const bool grey = !(kind.colourType & PNG_COLOR_MASK_COLOR), palette = kind.colourType == PNG_COLOR_TYPE_PALETTE;
    int wrong = 0;
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 512; ++x) wrong += frame.pixels[y * 512 + x] != pngColour(x, y, grey, palette);
    EXPECT_EQ(wrong, 0);
    // As a height map it is read, then refused for its size or colour with a
    // reason that names what a height map may be, not a missing file.
    const ShowError refused = testsupport::errorRaisedBy([&] { BoxVoxelTunnel().configure((" " + path).c_str()); });
    EXPECT_EQ(refused.message, "FICHIER NON TROUVE");
    EXPECT_NE(refused.reason.find("the file is there and was read, but a height map must be a 512x512 grey-level "
                                  "JPEG or PNG; it is 512x256"),
              std::string::npos)
        << refused.reason;
    std::remove(path.c_str());
}

INSTANTIATE_TEST_SUITE_P(
    EveryKind, PngSurface,
    ::testing::Values(PngKind{"rgb8", PNG_COLOR_TYPE_RGB, 8}, PngKind{"rgb16", PNG_COLOR_TYPE_RGB, 16},
                      PngKind{"rgba8", PNG_COLOR_TYPE_RGB_ALPHA, 8}, PngKind{"rgba16", PNG_COLOR_TYPE_RGB_ALPHA, 16},
                      PngKind{"grey8", PNG_COLOR_TYPE_GRAY, 8}, PngKind{"grey16", PNG_COLOR_TYPE_GRAY, 16},
                      PngKind{"grey_alpha8", PNG_COLOR_TYPE_GRAY_ALPHA, 8}, PngKind{"palette4", PNG_COLOR_TYPE_PALETTE, 4},
                      PngKind{"grey_alpha16", PNG_COLOR_TYPE_GRAY_ALPHA, 16}, PngKind{"palette8", PNG_COLOR_TYPE_PALETTE, 8},
                      // Transparency from tRNS is dropped like an alpha channel.
                      PngKind{"palette4_trns", PNG_COLOR_TYPE_PALETTE, 4, true},
                      PngKind{"palette8_trns", PNG_COLOR_TYPE_PALETTE, 8, true},
                      PngKind{"grey8_trns", PNG_COLOR_TYPE_GRAY, 8, true}, PngKind{"rgb8_trns", PNG_COLOR_TYPE_RGB, 8, true},
                      PngKind{"rgb16_trns", PNG_COLOR_TYPE_RGB, 16, true}),
    [](const ::testing::TestParamInfo<PngKind>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace velmora
