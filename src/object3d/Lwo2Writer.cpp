// LWO2 writing: big-endian numbers, even-padded strings, chunks in the order given.
#include "object3d/Lwo2Writer.h"

#include <cstdio>
#include <cstring>

namespace velmora {

namespace {

void putU16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v >> 8));
    out.push_back(static_cast<uint8_t>(v));
}
void putU32(std::vector<uint8_t>& out, uint32_t v) {
    putU16(out, v >> 16);
    putU16(out, v & 0xFFFFu);
}
void putFloat(std::vector<uint8_t>& out, float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    putU32(out, bits);
}
void putVector(std::vector<uint8_t>& out, const Float3& p) {
    putFloat(out, p.x);
    putFloat(out, p.y);
    putFloat(out, p.z);
}
void putId(std::vector<uint8_t>& out, std::string_view id) {
    for (size_t k = 0; k < 4; ++k) out.push_back(k < id.size() ? static_cast<uint8_t>(id[k]) : ' ');
}
// Zero-terminated, padded to an even length.
void putString(std::vector<uint8_t>& out, std::string_view s) {
    out.insert(out.end(), s.begin(), s.end());
    out.push_back(0);
    if ((s.size() + 1) % 2) out.push_back(0);
}
void putIndex(std::vector<uint8_t>& out, uint32_t index) {
    if (index < 0xFF00u) {
        putU16(out, index);
    } else {
        putU32(out, 0xFF000000u | index);
    }
}

}  // namespace

Lwo2Writer& Lwo2Writer::chunk(std::string_view id, std::span<const uint8_t> body) {
    putId(chunks_, id);
    putU32(chunks_, static_cast<uint32_t>(body.size()));
    chunks_.insert(chunks_.end(), body.begin(), body.end());
    return *this;
}

Lwo2Writer& Lwo2Writer::tags(std::span<const std::string> names) {
    std::vector<uint8_t> body;
    for (const std::string& name : names) putString(body, name);
    return chunk("TAGS", body);
}

Lwo2Writer& Lwo2Writer::layer(uint16_t number) {
    std::vector<uint8_t> body;
    putU16(body, number);
    putU16(body, 0);
    for (int k = 0; k < 3; ++k) putFloat(body, 0.0f);
    putString(body, "");
    return chunk("LAYR", body);
}

Lwo2Writer& Lwo2Writer::points(std::span<const Float3> list) {
    std::vector<uint8_t> body;
    for (const Float3& p : list) putVector(body, p);
    return chunk("PNTS", body);
}

Lwo2Writer& Lwo2Writer::boundingBox(std::span<const Float3> list) {
    Float3 low{}, high{};
    for (size_t i = 0; i < list.size(); ++i) {
        const Float3& p = list[i];
        if (i == 0 || p.x < low.x) low.x = p.x;
        if (i == 0 || p.y < low.y) low.y = p.y;
        if (i == 0 || p.z < low.z) low.z = p.z;
        if (i == 0 || p.x > high.x) high.x = p.x;
        if (i == 0 || p.y > high.y) high.y = p.y;
        if (i == 0 || p.z > high.z) high.z = p.z;
    }
    std::vector<uint8_t> body;
    putVector(body, low);
    putVector(body, high);
    return chunk("BBOX", body);
}

Lwo2Writer& Lwo2Writer::polygons(std::span<const MeshTriangle> list, std::string_view type) {
    std::vector<uint8_t> body;
    putId(body, type);
    for (const MeshTriangle& t : list) {
        putU16(body, 3);
        for (int32_t index : t.corner) putIndex(body, static_cast<uint32_t>(index));
    }
    return chunk("POLS", body);
}

Lwo2Writer& Lwo2Writer::polygonTags(size_t polygonCount) {
    std::vector<uint8_t> body;
    putId(body, "SURF");
    for (size_t n = 0; n < polygonCount; ++n) {
        putIndex(body, static_cast<uint32_t>(n));
        putU16(body, 0);
    }
    return chunk("PTAG", body);
}

Lwo2Writer& Lwo2Writer::surface(const std::string& name) {
    std::vector<uint8_t> body;
    putString(body, name);
    putString(body, "");
    putId(body, "COLR");
    putU16(body, 14);
    for (int k = 0; k < 3; ++k) putFloat(body, 0.8f);
    putU16(body, 0);
    return chunk("SURF", body);
}

std::vector<uint8_t> Lwo2Writer::bytes() const { return bytesWithFormSize(static_cast<uint32_t>(4 + chunks_.size())); }

std::vector<uint8_t> Lwo2Writer::bytesWithFormSize(uint32_t formSize) const {
    std::vector<uint8_t> out;
    putId(out, "FORM");
    putU32(out, formSize);
    putId(out, "LWO2");
    out.insert(out.end(), chunks_.begin(), chunks_.end());
    return out;
}

std::vector<uint8_t> Lwo2Writer::meshFile(std::span<const Float3> pointList,
                                          std::span<const MeshTriangle> triangleList) {
    const std::string names[] = {"Default"};
    Lwo2Writer writer;
    writer.tags(names).layer().points(pointList).boundingBox(pointList);
    writer.polygons(triangleList).polygonTags(triangleList.size()).surface("Default");
    return writer.bytes();
}

bool Lwo2Writer::save(const std::string& path, std::span<const uint8_t> data) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool written = std::fwrite(data.data(), 1, data.size(), file) == data.size();
    return std::fclose(file) == 0 && written;
}

}  // namespace velmora
