// Looking at a refused picture file to say why it was refused.
#include "surface/PictureDiagnosis.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "core/MissingFile.h"
#include "core/RegularFile.h"

namespace velmora {

namespace {

bool startsWith(const unsigned char* bytes, size_t size, const char* signature, size_t length) {
    return size >= length && std::memcmp(bytes, signature, length) == 0;
}

}  // namespace

std::string diagnosePicture(const char* path) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) return "is a folder, not a picture file";
    std::string why;
    std::FILE* file = openRegularStream(path, &why);
    if (!file) {
        if (errno == ENOENT) return describeMissingFile();
        return why;
    }
    unsigned char head[8] = {};
    const size_t size = std::fread(head, 1, sizeof head, file);
    // A whole JPEG ends with its end-of-image marker, FF D9.
    unsigned char tail[2] = {};
    const bool hasTail = std::fseek(file, -2, SEEK_END) == 0 && std::fread(tail, 1, 2, file) == 2;
    std::fclose(file);

    // The content decides how a picture is read, whatever its name says.
    constexpr const char* kRead = "the loader reads JPEG and PNG pictures (save it as .jpg or .png)";
    if (size == 0) return "the file is empty; a picture is read from a JPEG or PNG file";
    if (startsWith(head, size, "\x89PNG", 4))
        return "the PNG could not be decoded (damaged, or larger than the loader accepts)";
    if (startsWith(head, size, "GIF8", 4)) return std::string("not a JPEG or PNG: it is a GIF picture; ") + kRead;
    if (startsWith(head, size, "BM", 2)) return std::string("not a JPEG or PNG: it is a BMP picture; ") + kRead;
    if (!startsWith(head, size, "\xFF\xD8", 2)) {
        char bytes[32];
        std::snprintf(bytes, sizeof bytes, "%02X %02X", head[0], size > 1 ? head[1] : 0);
        return std::string("not a JPEG or PNG: it begins with the bytes ") + bytes +
               " (a JPEG begins with FF D8, a PNG with 89 50)";
    }
    if (!hasTail || tail[0] != 0xFF || tail[1] != 0xD9)
        return "the JPEG is truncated: it ends before its end-of-image marker";
    return "the JPEG could not be decoded (damaged, or larger than the loader accepts)";
}

std::string describeJpegChannels(int components) {
    if (components == 4)
        return "the JPEG is in CMYK colour space (4 channels); the loader reads RGB and grey-level JPEGs only";
    return "the JPEG has " + std::to_string(components) +
           " channels; the loader reads RGB (3) and grey-level (1) JPEGs only";
}

}  // namespace velmora
