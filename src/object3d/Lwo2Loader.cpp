// The LWO2 walk: big-endian chunks read in passes of "points, polygons, one
// skipped chunk" until the FORM size is accounted for.
#include "object3d/Lwo2Loader.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <utility>

#include "core/Error.h"
#include "core/RegularFile.h"

namespace velmora {

namespace {

bool traceOn = false;

// A diagnostic line of the walk: composed only when the trace is on.
__attribute__((format(printf, 1, 2))) void trace(const char* format, ...) {
    if (!traceOn) return;
    char line[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    std::fprintf(stderr, "%s\n", line);
}

// The loader's message, composed as its printf would have printed it.
std::string formatMessage(const char* format, va_list args) {
    va_list counting;
    va_copy(counting, args);
    const int length = std::vsnprintf(nullptr, 0, format, counting);
    va_end(counting);
    if (length <= 0) return {};
    std::string text(static_cast<size_t>(length), '\0');
    std::vsnprintf(text.data(), text.size() + 1, format, args);
    return text;
}

__attribute__((format(printf, 1, 2))) std::string formatMessage(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = formatMessage(format, args);
    va_end(args);
    return text;
}

// A file the walk cannot read safely: status 1, the message for standard output.
[[noreturn]] __attribute__((format(printf, 2, 3))) void refuse(const char* path, const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string message = formatMessage(format, args);
    va_end(args);
    refuseLwo2(1, std::move(message), path);
}

uint32_t readU32(const uint8_t* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

uint16_t readU16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }

float readFloat(const uint8_t* p) {
    const uint32_t bits = readU32(p);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

bool isId(const uint8_t* p, const char* id) { return std::memcmp(p, id, 4) == 0; }

// The walk's cursor over the file bytes: every read is checked against the end.
class Cursor {
public:
    Cursor(std::span<const uint8_t> file, const char* path, size_t at)
        : file_(file), path_(path), at_(at) {}

    // The next `count` bytes, after which the cursor stands; refused past the end.
    const uint8_t* take(uint64_t count, const char* what) {
        if (count > file_.size() - at_)
            refuse(path_, "LWO2 endommage: %s au-dela de la fin du fichier: %s\n", what, path_);
        const uint8_t* p = file_.data() + at_;
        at_ += static_cast<size_t>(count);
        return p;
    }
    // True when the four bytes at the cursor are `id` (the cursor does not move).
    bool at(const char* id) {
        if (file_.size() - at_ < 4)
            refuse(path_, "LWO2 endommage: chunk attendu a la fin du fichier: %s\n", path_);
        return isId(file_.data() + at_, id);
    }

private:
    std::span<const uint8_t> file_;
    const char* path_;
    size_t at_;
};

void readPoints(Cursor& cursor, Mesh& mesh, uint64_t& passed) {
    const uint32_t size = readU32(cursor.take(8, "en-tete PNTS") + 4);
    trace("TAILLE DU CHUNK PNTS --> 0x%x", size);
    passed += uint64_t{size} + 8;
    const uint32_t count = size / 12;
    const uint8_t* data = cursor.take(uint64_t{count} * 12, "chunk PNTS");
    mesh.points.assign(count, Float3{});
    mesh.pointCount = static_cast<int32_t>(count);
    for (uint32_t n = 0; n < count; ++n) {
        const uint8_t* p = data + size_t{n} * 12;
        Float3& point = mesh.points[n];
        point = Float3{readFloat(p), readFloat(p + 4), readFloat(p + 8)};
        trace("POINT n= %d --> [%f][%f][%f]", static_cast<int>(n), static_cast<double>(point.x),
              static_cast<double>(point.y), static_cast<double>(point.z));
    }
}

void readPolygons(Cursor& cursor, Mesh& mesh, uint64_t& passed, const char* path) {
    // Identifier, size, then the polygon type tag, which is not looked at.
    const uint32_t size = readU32(cursor.take(12, "en-tete POLS") + 4);
    trace("TAILLE DU CHUNK POLS --> 0x%x", size);
    passed += uint64_t{size} + 8;
    const uint32_t count = size >> 3;
    const uint8_t* data = cursor.take(uint64_t{count} * 8, "chunk POLS");
    mesh.triangles.assign(count, MeshTriangle{});
    mesh.triangleCount = static_cast<int32_t>(count);
    for (uint32_t n = 0; n < count; ++n) {
        const uint8_t* p = data + size_t{n} * 8;
        const uint16_t corners = readU16(p);
        if (corners != 3) {
            trace("nb de points ds ce triangle : %d", corners);
            refuseLwo2(1, "", path);
        }
        MeshTriangle& triangle = mesh.triangles[n];
        for (int k = 0; k < 3; ++k) {
            const uint8_t* index = p + 2 + 2 * k;
            // A first byte 0xFF starts the four-byte index form (65280 points or more).
            if (index[0] == 0xFF) refuse(path, "LWO2: indice de point sur 4 octets non supporte: %s\n", path);
            triangle.corner[k] = readU16(index);
        }
        trace("Triangle n = %d --> [%d][%d][%d]", static_cast<int>(n), triangle.corner[0],
              triangle.corner[1], triangle.corner[2]);
    }
}

void skipChunk(Cursor& cursor, uint64_t& passed) {
    const uint8_t* header = cursor.take(8, "en-tete de chunk");
    char id[5] = {0, 0, 0, 0, 0};
    std::memcpy(id, header, 4);
    trace("Chunk non traité : %s", id);
    const uint32_t size = readU32(header + 4);
    trace("Saut de 0x%x ou %d octets", size, static_cast<int>(size));
    cursor.take(size, id);
    passed += uint64_t{size} + 8;
}

}  // namespace

void refuseLwo2(int status, std::string message, const char* path) {
    ShowError error(ErrorPresentation::StandardOutput, status, std::move(message), path ? path : "");
    error.checkMessage = "fichier LWO2 refuse (code " + std::to_string(status) + ")";
    throw error;
}

void setLwo2Trace(bool on) { traceOn = on; }

std::vector<uint8_t> loadWholeFile(const char* path) {
    // A FIFO or a device is refused as a file that cannot be opened, never
    // waited on; a directory as before, by its absurd size below.
    FileReadOutcome outcome;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(openRegularStream(path, outcome), std::fclose);
    if (!file && outcome == FileReadOutcome::Directory) {
        refuseLwo2(1, formatMessage("no enough memory!! for loading: %s", path), path);
    }
    if (!file) {
        refuseLwo2(2, formatMessage("ca chie! -> impossible d'ouvrir le fichier: %s \n", path), path);
    }
    const long start = std::ftell(file.get());
    std::fseek(file.get(), 0, SEEK_END);
    const long size = std::ftell(file.get());
    std::fseek(file.get(), start, SEEK_SET);
    if (start < 0 || size < 0) {
        refuseLwo2(3, formatMessage("read error: ca chie a la lecture de :%s", path), path);
    }
    // A directory reports an absurd size; no mesh file comes near this.
    constexpr long kMaxMeshFileBytes = 256L << 20;
    if (size > kMaxMeshFileBytes) {
        refuseLwo2(1, formatMessage("no enough memory!! for loading: %s", path), path);
    }
    std::vector<uint8_t> bytes;
    try {
        bytes.resize(static_cast<size_t>(size));
    } catch (const std::bad_alloc&) {
        refuseLwo2(1, formatMessage("no enough memory!! for loading: %s", path), path);
    } catch (const std::length_error&) {
        refuseLwo2(1, formatMessage("no enough memory!! for loading: %s", path), path);
    }
    if (std::fread(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) {
        refuseLwo2(3, formatMessage("read error: ca chie a la lecture de :%s", path), path);
    }
    return bytes;
}

Mesh parseLwo2(std::span<const uint8_t> file, const char* path) {
    if (file.size() < 12) refuse(path, "LWO2: fichier trop court (%zu octets): %s\n", file.size(), path);
    if (!isId(file.data(), "FORM")) refuseLwo2(1, "", path);
    const uint32_t formSize = readU32(file.data() + 4);
    trace("Taille du chunk FORM = %ld", static_cast<long>(formSize));
    if (!isId(file.data() + 8, "LWO2")) refuseLwo2(1, "", path);
    if (formSize > file.size() - 8) refuse(path, "LWO2 endommage: FORM plus long que le fichier: %s\n", path);

    Mesh mesh;
    Cursor cursor(file, path, 12);
    uint64_t passed = 4;  // the "LWO2" tag counts in the FORM size
    while (passed < formSize) {
        if (cursor.at("PNTS")) readPoints(cursor, mesh, passed);
        if (passed >= formSize) break;
        if (cursor.at("POLS")) readPolygons(cursor, mesh, passed, path);
        if (passed >= formSize) break;
        skipChunk(cursor, passed);
    }

    // Only the last point list counts, and it may come after the polygons.
    for (const MeshTriangle& triangle : mesh.triangles)
        for (int32_t index : triangle.corner)
            if (index >= mesh.pointCount)
                refuse(path, "LWO2 endommage: indice de point %d hors de la liste (%d points): %s\n", index,
                       mesh.pointCount, path);
    return mesh;
}

Mesh loadLwo2(const char* path) {
    trace("Ouverture du fichier : %s", path);
    const std::vector<uint8_t> bytes = loadWholeFile(path);
    return parseLwo2(bytes, path);
}

}  // namespace velmora
