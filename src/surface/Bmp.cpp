// BMP writer: 14-byte file header, 40-byte information header, palette, then
// the rows last to first. Fields are written byte by byte, little-endian.
#include "surface/Bmp.h"

#include <cstdio>
#include <cstring>

namespace velmora {

namespace {

constexpr size_t kHeaderBytes = 54;
constexpr uint32_t kPixelsPerMetre = 2000;

void put16(uint8_t* at, uint32_t v) {
    at[0] = static_cast<uint8_t>(v);
    at[1] = static_cast<uint8_t>(v >> 8);
}

void put32(uint8_t* at, uint32_t v) {
    put16(at, v);
    put16(at + 2, v >> 16);
}

}  // namespace

void packPixels24(const uint32_t* src, uint8_t* dst, size_t count) {
    for (size_t i = 0; i < count; ++i, dst += 3) {
        const uint32_t p = src[i];
        dst[0] = static_cast<uint8_t>(p);
        dst[1] = static_cast<uint8_t>(p >> 8);
        dst[2] = static_cast<uint8_t>(p >> 16);
    }
}

int writeBmp(const char* path, const uint8_t* data, int32_t width, int32_t height, int bitsPerPixel,
             const uint8_t* palette) {
    const std::vector<uint8_t> bytes = encodeBmp(data, width, height, bitsPerPixel, palette);
    if (bytes.empty()) return 1;
    std::FILE* file = path != nullptr ? std::fopen(path, "wb") : nullptr;
    if (file == nullptr) return 2;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (std::fclose(file) != 0) ok = false;
    return ok ? 0 : 2;
}

std::vector<uint8_t> encodeBmp(const uint8_t* data, int32_t width, int32_t height, int bitsPerPixel,
                               const uint8_t* palette) {
    if ((bitsPerPixel != 8 && bitsPerPixel != 16 && bitsPerPixel != 24) || width < 0 || height < 0) return {};
    const uint32_t paletteEntries = bitsPerPixel == 8 ? 256 : 1;
    const size_t rowBytes = static_cast<size_t>(width) * static_cast<size_t>(bitsPerPixel) / 8;
    if (data == nullptr && rowBytes != 0 && height != 0) return {};
    const uint32_t dataOffset = static_cast<uint32_t>(kHeaderBytes) + 4 * paletteEntries;
    std::vector<uint8_t> bytes(dataOffset + rowBytes * static_cast<size_t>(height), 0);
    uint8_t* header = bytes.data();
    // The size field is 32 bits; larger images than any caller writes just wrap.
    header[0] = 'B';
    header[1] = 'M';
    put32(&header[2], static_cast<uint32_t>(bytes.size()));
    put32(&header[10], dataOffset);
    put32(&header[14], 40);
    put32(&header[18], static_cast<uint32_t>(width));
    put32(&header[22], static_cast<uint32_t>(height));
    put16(&header[26], 1);
    put16(&header[28], static_cast<uint32_t>(bitsPerPixel));
    put32(&header[38], kPixelsPerMetre);
    put32(&header[42], kPixelsPerMetre);
    if (paletteEntries == 256 && palette != nullptr) std::memcpy(&header[kHeaderBytes], palette, 1024);
    uint8_t* row = bytes.data() + dataOffset;
    for (int32_t r = height - 1; r >= 0 && rowBytes != 0; --r, row += rowBytes)
        std::memcpy(row, data + static_cast<size_t>(r) * rowBytes, rowBytes);
    return bytes;
}

}  // namespace velmora
