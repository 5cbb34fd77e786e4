// Helpers every test may share: a scratch directory, whole files as bytes, the
// NaN that hostile values start from, and quick surface set-up and reading.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "surface/Surface.h"

namespace velmora::testsupport {

inline constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

// A fresh, empty directory under the system's temporary one, named for `tag`,
// the process and the running test (when there is one), and removed with all
// it holds when this goes.
class ScratchDirectory {
public:
    explicit ScratchDirectory(const std::string& tag) {
        std::string name = "velmora_" + tag + "_" + std::to_string(::getpid());
        if (const auto* test = ::testing::UnitTest::GetInstance()->current_test_info())
            name += std::string("_") + test->test_suite_name() + "_" + test->name();
        std::replace(name.begin(), name.end(), '/', '_');  // parameterised names
        path_ = std::filesystem::temp_directory_path() / name;
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~ScratchDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

inline std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void writeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

// Every pixel of `s` set to `pixel`; the w by h form sizes the surface first.
inline void fill(Surface& s, uint32_t pixel) { std::fill(s.pixels, s.pixels + s.pixelCount(), pixel); }
inline void fill(Surface& s, int32_t w, int32_t h, uint32_t pixel) {
    s.allocate(w, h);
    fill(s, pixel);
}

inline uint32_t& at(Surface& s, int x, int y) { return s.pixels[static_cast<size_t>(y) * s.width + x]; }

inline std::vector<uint32_t> snapshot(const Surface& s) {
    return std::vector<uint32_t>(s.pixels, s.pixels + s.pixelCount());
}

inline uint32_t grey(uint32_t level) { return level * 0x010101u; }

}  // namespace velmora::testsupport
