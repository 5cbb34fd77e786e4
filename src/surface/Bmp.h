// Uncompressed BMP output for screenshots: packing 32-bit pixels to 3 bytes and
// writing 8, 16 or 24 bits-per-pixel files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace velmora {

// Each 0x00RRGGBB pixel becomes the bytes blue, green, red; the top byte is dropped.
void packPixels24(const uint32_t* src, uint8_t* dst, size_t count);

// Writes `height` rows of width * bitsPerPixel / 8 bytes (top row first in `data`)
// as a bottom-up BMP file without row padding. `palette` (256 four-byte entries)
// is read only at 8 bits per pixel; a null palette writes zero entries.
// Returns 0 when written; 1 when bitsPerPixel is not 8, 16 or 24, or the size is
// negative, or data is missing (no file is created); 2 when the file cannot be
// opened or written.
int writeBmp(const char* path, const uint8_t* data, int32_t width, int32_t height, int bitsPerPixel,
             const uint8_t* palette);

// The same file's bytes in memory (empty where writeBmp returns 1).
std::vector<uint8_t> encodeBmp(const uint8_t* data, int32_t width, int32_t height, int bitsPerPixel,
                               const uint8_t* palette);

}  // namespace velmora
