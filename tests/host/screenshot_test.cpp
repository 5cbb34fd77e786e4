// The Enter action: grab_N.bmp files, their exact bytes and the counter.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "host/live/Screenshot.h"
#include "surface/Surface.h"
#include "HostTestSupport.h"

namespace fs = std::filesystem;
using velmora::hosttest::readFile;
using velmora::hosttest::le32;
using namespace velmora;

namespace {

// Runs the test body in its own empty working directory.
class Screenshot : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = fs::current_path();
        fs::current_path(scratch_.path());
    }
    void TearDown() override { fs::current_path(previous_); }
    testsupport::ScratchDirectory scratch_{"grab"};
    fs::path previous_;
    ScreenshotWriter screenshots;  // a new run: grab_1.bmp first
};

}  // namespace

TEST_F(Screenshot, FileHoldsTheFrameBottomRowFirst) {
    Surface frame;
    frame.allocate(512, 256);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 512; ++x) frame.pixels[y * 512 + x] = 0xAB000000u | (x & 0xFF) << 16 | y << 8 | (x >> 8);
    frame.pixels[0] = 0x00123456;

    screenshots.save(frame);
    const std::string b = readFile("grab_1.bmp");
    ASSERT_EQ(b.size(), 393274u);

    // Headers exactly as laid down: one zero palette entry, data at 58.
    const uint8_t header[58] = {'B', 'M', 0x3A, 0x00, 0x06, 0x00, 0, 0, 0, 0, 58, 0, 0, 0, 40, 0, 0, 0, 0x00, 0x02,
                                0, 0, 0x00, 0x01, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xD0, 0x07, 0, 0,
                                0xD0, 0x07, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    for (size_t i = 0; i < 58; ++i) EXPECT_EQ(static_cast<uint8_t>(b[i]), header[i]) << "byte " << i;
    EXPECT_EQ(le32(b, 2), 393274u);

    // Every pixel: blue, green, red, rows from the frame's last to its first.
    size_t mismatches = 0;
    for (int fileRow = 0; fileRow < 256; ++fileRow)
        for (int x = 0; x < 512; ++x) {
            const uint32_t p = frame.pixels[(255 - fileRow) * 512 + x];
            const size_t at = 58 + static_cast<size_t>(fileRow) * 1536 + x * 3;
            mismatches += static_cast<uint8_t>(b[at]) != (p & 0xFF) || static_cast<uint8_t>(b[at + 1]) != (p >> 8 & 0xFF) ||
                          static_cast<uint8_t>(b[at + 2]) != (p >> 16 & 0xFF);
        }
    EXPECT_EQ(mismatches, 0u);
    // The frame's top-left pixel 0x123456 is the first pixel of the last file row.
    const size_t last = 58 + 255 * 1536;
    EXPECT_EQ(static_cast<uint8_t>(b[last]), 0x56);
    EXPECT_EQ(static_cast<uint8_t>(b[last + 1]), 0x34);
    EXPECT_EQ(static_cast<uint8_t>(b[last + 2]), 0x12);
}

TEST_F(Screenshot, EachPressWritesTheNextFreeNumberAndNeverOverwrites) {
    Surface frame;
    frame.allocate(512, 256);
    frame.clear();
    // An earlier run left grab_1 and grab_3; grab_4 appears between two presses.
    for (const char* name : {"grab_1.bmp", "grab_3.bmp"}) std::ofstream(name) << "an older run's file";
    screenshots.save(frame);  // grab_2
    std::ofstream("grab_4.bmp") << "written meanwhile";
    screenshots.save(frame);  // grab_5
    EXPECT_EQ(screenshots.nextNumber(), 6);
    for (const char* name : {"grab_1.bmp", "grab_3.bmp"}) EXPECT_EQ(readFile(name), "an older run's file") << name;
    EXPECT_EQ(readFile("grab_4.bmp"), "written meanwhile");
    for (const char* name : {"grab_2.bmp", "grab_5.bmp"}) EXPECT_EQ(fs::file_size(name), 393274u) << name;
    // Nothing but the screenshots is left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 5);
}

TEST_F(Screenshot, AGivenFolderTakesTheScreenshotsAndIsNumberedOnItsOwn) {
    // A show played from an installed folder saves where the viewer called it from.
    Surface frame;
    frame.allocate(512, 256);
    frame.clear();
    fs::create_directory("caller");
    std::ofstream("caller/grab_1.bmp") << "an older run's file";
    ScreenshotWriter elsewhere("caller");
    elsewhere.save(frame);
    EXPECT_EQ(fs::file_size("caller/grab_2.bmp"), 393274u);
    EXPECT_FALSE(fs::exists("grab_1.bmp"));
    EXPECT_FALSE(fs::exists("grab_2.bmp"));
}

TEST_F(Screenshot, UnwritableFileIsSkippedWithAWarningAndUsesItsNumber) {
    Surface frame;
    frame.allocate(512, 256);
    frame.clear();
    // No temporary file can be made in a "folder" that is a plain file.
    std::ofstream("shots") << "not a folder";
    ScreenshotWriter blocked("shots");
    testing::internal::CaptureStderr();
    blocked.save(frame);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("grab_1.bmp"), std::string::npos) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_FALSE(fs::exists("shots/grab_1.bmp"));  // no partial file under the final name
    EXPECT_EQ(blocked.nextNumber(), 2);
    fs::remove("shots");
    fs::create_directory("shots");
    blocked.save(frame);
    EXPECT_EQ(fs::file_size("shots/grab_2.bmp"), 393274u);
    EXPECT_EQ(std::distance(fs::directory_iterator("shots"), fs::directory_iterator()), 1);
}

TEST_F(Screenshot, FrameOfAnotherSizeIsNotRead) {
    Surface small;
    small.allocate(16, 16);
    small.clear();
    testing::internal::CaptureStderr();
    screenshots.save(small);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(fs::exists("grab_1.bmp"));
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_EQ(screenshots.nextNumber(), 2);
}
