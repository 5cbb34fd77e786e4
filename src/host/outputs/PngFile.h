// PNG files of 0x00RRGGBB pictures, through libpng: 8-bit RGB written, and any
// 8-bit RGB or RGBA file read back.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace velmora {

struct Picture {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> pixels;  // row-major, 0x00RRGGBB
};

// False when the file cannot be written or the picture is empty.
bool writePng(const std::string& path, const Picture& picture);
// nullopt when the file is missing or not a PNG of 8-bit RGB samples (with or
// without alpha, which is dropped).
std::optional<Picture> readPng(const std::string& path);

}  // namespace velmora
