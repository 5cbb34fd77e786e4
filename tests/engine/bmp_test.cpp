// Screenshot files: pixel packing, header fields, row order and refusals.
#include "surface/Bmp.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "TestSupport.h"

namespace velmora {
namespace {

std::vector<uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

bool exists(const std::string& path) { return std::ifstream(path).good(); }

uint32_t le32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t{b[at + 3]} << 24);
}
uint32_t le16(const std::vector<uint8_t>& b, size_t at) { return b[at] | (b[at + 1] << 8); }

TEST(BmpPack, BlueGreenRedAndTopByteDropped) {
    const uint32_t pixels[] = {0x00123456u, 0xAB010203u};
    uint8_t out[7] = {0, 0, 0, 0, 0, 0, 0xEE};
    packPixels24(pixels, out, 2);
    const uint8_t expected[] = {0x56, 0x34, 0x12, 0x03, 0x02, 0x01, 0xEE};
    for (int i = 0; i < 7; ++i) EXPECT_EQ(out[i], expected[i]) << i;
}

TEST(BmpWrite, ScreenshotLayout) {
    // A 512 by 256 frame whose rows are told apart by their green value.
    std::vector<uint32_t> frame(512 * 256);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 512; ++x)
            frame[y * 512 + x] = (uint32_t(x & 0xFF) << 16) | (y << 8) | 0x56;
    frame[255 * 512 + 0] = 0x123456;
    std::vector<uint8_t> packed(0x80000);
    packPixels24(frame.data(), packed.data(), frame.size());

    const testsupport::ScratchDirectory scratch("bmp");
    const std::string path = scratch.file("grab.bmp");
    ASSERT_EQ(writeBmp(path.c_str(), packed.data(), 512, 256, 24, nullptr), 0);
    const std::vector<uint8_t> b = readFile(path);
    ASSERT_EQ(b.size(), 393274u);
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    EXPECT_EQ(le32(b, 2), 393274u);
    EXPECT_EQ(le32(b, 6), 0u);
    EXPECT_EQ(le32(b, 10), 58u);
    EXPECT_EQ(le32(b, 14), 40u);
    EXPECT_EQ(le32(b, 18), 512u);
    EXPECT_EQ(le32(b, 22), 256u);
    EXPECT_EQ(le16(b, 26), 1u);
    EXPECT_EQ(le16(b, 28), 24u);
    EXPECT_EQ(le32(b, 30), 0u);
    EXPECT_EQ(le32(b, 34), 0u);
    EXPECT_EQ(le32(b, 38), 2000u);
    EXPECT_EQ(le32(b, 42), 2000u);
    EXPECT_EQ(le32(b, 46), 0u);
    EXPECT_EQ(le32(b, 50), 0u);
    EXPECT_EQ(le32(b, 54), 0u);  // the one zero palette entry

    // First stored row is the frame's bottom row (255), starting at offset 58.
    EXPECT_EQ(b[58], 0x56);
    EXPECT_EQ(b[59], 0x34);
    EXPECT_EQ(b[60], 0x12);
    EXPECT_EQ(b[58 + 3 + 1], 255);  // pixel (1, 255): green is the row
    EXPECT_EQ(b[58 + 3 + 2], 1);    // red is the column
    // Last stored row is the frame's top row.
    const size_t last = 58 + 255 * 1536;
    EXPECT_EQ(b[last + 1], 0);
    EXPECT_EQ(b[last + 3 * 7 + 2], 7);
}

TEST(BmpWrite, EightBitsCarryThePalette) {
    std::vector<uint8_t> palette(1024);
    for (size_t i = 0; i < palette.size(); ++i) palette[i] = static_cast<uint8_t>(i * 7);
    const uint8_t data[] = {1, 2, 3, 4, 5, 6, 7, 8};  // 4 by 2
    const testsupport::ScratchDirectory scratch("bmp");
    const std::string path = scratch.file("pal.bmp");
    ASSERT_EQ(writeBmp(path.c_str(), data, 4, 2, 8, palette.data()), 0);
    const std::vector<uint8_t> b = readFile(path);
    ASSERT_EQ(b.size(), 1078u + 8u);
    EXPECT_EQ(le32(b, 2), 1086u);
    EXPECT_EQ(le32(b, 10), 1078u);
    EXPECT_EQ(le16(b, 28), 8u);
    EXPECT_EQ(b[54 + 1023], palette[1023]);
    EXPECT_EQ(b[1078], 5);  // bottom row first
    EXPECT_EQ(b[1082], 1);
}

// The bytes in memory (the page's screenshot) are the file's, at every depth.
TEST(BmpWrite, EncodedBytesAreTheWrittenFile) {
    std::vector<uint8_t> palette(1024);
    for (size_t i = 0; i < palette.size(); ++i) palette[i] = static_cast<uint8_t>(i * 3);
    std::vector<uint8_t> data(7 * 5 * 3);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 11 + 1);
    const testsupport::ScratchDirectory scratch("bmp");
    for (int bits : {8, 16, 24}) {
        for (const uint8_t* colours : {static_cast<const uint8_t*>(nullptr), static_cast<const uint8_t*>(palette.data())}) {
            const std::string path = scratch.file("enc.bmp");
            ASSERT_EQ(writeBmp(path.c_str(), data.data(), 7, 5, bits, colours), 0);
            EXPECT_EQ(encodeBmp(data.data(), 7, 5, bits, colours), readFile(path)) << bits;
        }
    }
    EXPECT_TRUE(encodeBmp(data.data(), 7, 5, 32, nullptr).empty());
    EXPECT_TRUE(encodeBmp(nullptr, 7, 5, 24, nullptr).empty());
}

TEST(BmpWrite, SixteenBitsRowSize) {
    const uint8_t data[] = {1, 2, 3, 4, 5, 6};  // 3 by 1 at 2 bytes a pixel
    const testsupport::ScratchDirectory scratch("bmp");
    const std::string path = scratch.file("sixteen.bmp");
    ASSERT_EQ(writeBmp(path.c_str(), data, 3, 1, 16, nullptr), 0);
    const std::vector<uint8_t> b = readFile(path);
    ASSERT_EQ(b.size(), 58u + 6u);
    EXPECT_EQ(le32(b, 2), 64u);
    EXPECT_EQ(b[63], 6);
}

TEST(BmpWrite, UnsupportedBitsCreateNothing) {
    const uint8_t data[16] = {};
    const testsupport::ScratchDirectory scratch("bmp");
    const std::string path = scratch.file("thirtytwo.bmp");
    EXPECT_EQ(writeBmp(path.c_str(), data, 2, 2, 32, nullptr), 1);
    EXPECT_FALSE(exists(path));
    EXPECT_EQ(writeBmp(path.c_str(), data, -2, 2, 24, nullptr), 1);
    EXPECT_FALSE(exists(path));
}

TEST(BmpWrite, UnopenablePathReportsTwo) {
    const uint8_t data[12] = {};
    const testsupport::ScratchDirectory scratch("bmp");
    EXPECT_EQ(writeBmp(scratch.file("no_such_dir/grab_1.bmp").c_str(), data, 2, 2, 24, nullptr), 2);
}

TEST(BmpWrite, OverwritesAnExistingFile) {
    const testsupport::ScratchDirectory scratch("bmp");
    const std::string path = scratch.file("over.bmp");
    std::ofstream(path, std::ios::binary) << std::string(5000, 'x');
    const uint8_t data[12] = {};
    ASSERT_EQ(writeBmp(path.c_str(), data, 2, 2, 24, nullptr), 0);
    EXPECT_EQ(readFile(path).size(), 58u + 12u);
}

}  // namespace
}  // namespace velmora
