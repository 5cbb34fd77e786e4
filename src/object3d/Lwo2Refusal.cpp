// The loader's walk once more, stopping with a description instead of an exit:
// passes of "points, polygons, one skipped chunk" until the FORM size is used up.
#include "object3d/Lwo2Refusal.h"

#include <cstdio>
#include <algorithm>
#include <cstring>
#include <vector>

namespace velmora {

namespace {

uint32_t readU32(const uint8_t* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}
uint16_t readU16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }

Lwo2Refusal damaged(std::string what) {
    Lwo2Refusal refusal;
    refusal.kind = Lwo2Refusal::Kind::Damaged;
    refusal.damage = std::move(what);
    return refusal;
}

Lwo2Refusal atPolygon(Lwo2Refusal::Kind kind, uint32_t polygon) {
    Lwo2Refusal refusal;
    refusal.kind = kind;
    refusal.polygon = polygon;
    return refusal;
}

// The walk over the bytes; `fail` holds the first refusal met.
class Walk {
public:
    explicit Walk(std::span<const uint8_t> file) : file_(file) {}

    std::optional<Lwo2Refusal> run() {
        const uint32_t formSize = readU32(file_.data() + 4);
        if (formSize > file_.size() - 8) return damaged("the FORM size");
        uint64_t passed = 4;
        while (passed < formSize && !fail_) {
            if (at("PNTS")) points(passed);
            if (fail_ || passed >= formSize) break;
            if (at("POLS")) polygons(passed);
            if (fail_ || passed >= formSize) break;
            skip(passed);
        }
        if (!fail_) checkIndices();
        if (fail_) fail_->layers = layers_;
        return fail_;
    }

private:
    // The next `count` bytes, or nothing (and a refusal) past the end.
    const uint8_t* take(uint64_t count, const char* what) {
        if (count > file_.size() - at_) {
            fail_ = damaged(what);
            return nullptr;
        }
        const uint8_t* p = file_.data() + at_;
        at_ += static_cast<size_t>(count);
        return p;
    }
    bool at(const char* id) {
        if (fail_) return false;
        if (file_.size() - at_ < 4) {
            fail_ = damaged("a chunk expected before the FORM size is used up");
            return false;
        }
        return std::memcmp(file_.data() + at_, id, 4) == 0;
    }

    void points(uint64_t& passed) {
        const uint8_t* header = take(8, "the PNTS header");
        if (!header) return;
        const uint32_t size = readU32(header + 4);
        passed += uint64_t{size} + 8;
        pointCount_ = size / 12;
        take(uint64_t{pointCount_} * 12, "the point list");
    }

    void polygons(uint64_t& passed) {
        const uint8_t* header = take(12, "the POLS header");
        if (!header) return;
        const uint32_t size = readU32(header + 4);
        passed += uint64_t{size} + 8;
        const uint32_t count = size >> 3;
        // The loader takes 8 bytes a polygon; the list's own length tells a
        // larger polygon first, wherever the chunk stands in the file.
        if (firstOutsideSubset(size)) return;
        const uint8_t* data = take(uint64_t{count} * 8, "the polygon list");
        if (!data) return;
        corners_.assign(data, data + size_t{count} * 8);
        for (uint32_t n = 0; n < count; ++n) {
            const uint8_t* p = data + size_t{n} * 8;
            const uint16_t field = readU16(p);
            // The low ten bits count the corners; the top six are flags.
            if ((field & 0x3FFu) != 3) {
                fail_ = atPolygon(Lwo2Refusal::Kind::NotTriangle, n);
                fail_->corners = field & 0x3FFu;
                return;
            }
            if (field != 3) {
                fail_ = atPolygon(Lwo2Refusal::Kind::FlaggedPolygon, n);
                fail_->flags = field & 0xFC00u;
                return;
            }
            for (int k = 0; k < 3; ++k) {
                if (p[2 + 2 * k] == 0xFF) {
                    fail_ = atPolygon(Lwo2Refusal::Kind::LongIndex, n);
                    return;
                }
            }
        }
    }

    // Walks the list (after its 4-byte type) over plain triangles, within the
    // chunk and the file, to the first polygon that is none; true when that
    // one has another corner count (`fail_` then says so).
    bool firstOutsideSubset(uint32_t size) {
        const uint64_t inChunk = size >= 4 ? uint64_t{size} - 4 : 0;
        const size_t end = at_ + static_cast<size_t>(std::min<uint64_t>(inChunk, file_.size() - at_));
        size_t p = at_;
        for (uint32_t n = 0; p + 2 <= end; ++n) {
            const uint16_t field = readU16(file_.data() + p);
            const uint32_t corners = field & 0x3FFu;
            if (corners != 3) {
                fail_ = atPolygon(Lwo2Refusal::Kind::NotTriangle, n);
                fail_->corners = corners;
                return true;
            }
            // Anything else outside the subset comes first, met as the loader meets it.
            if (field != 3) return false;
            for (size_t k = 0; k < 3; ++k)
                if (p + 2 + 2 * k < end && file_[p + 2 + 2 * k] == 0xFF) return false;
            p += 8;
        }
        return false;
    }

    void skip(uint64_t& passed) {
        const uint8_t* header = take(8, "a chunk header");
        if (!header) return;
        if (std::memcmp(header, "LAYR", 4) == 0) ++layers_;
        const uint32_t size = readU32(header + 4);
        char what[32];
        std::snprintf(what, sizeof what, "the %c%c%c%c chunk", printable(header[0]), printable(header[1]),
                      printable(header[2]), printable(header[3]));
        take(size, what);
        passed += uint64_t{size} + 8;
    }

    // Only the last polygon list read counts, against the last point list.
    void checkIndices() {
        for (size_t n = 0; n * 8 < corners_.size(); ++n) {
            for (int k = 0; k < 3; ++k) {
                const uint32_t index = readU16(corners_.data() + n * 8 + 2 + 2 * k);
                if (index >= pointCount_) {
                    fail_ = atPolygon(Lwo2Refusal::Kind::IndexOutside, static_cast<uint32_t>(n));
                    fail_->index = index;
                    fail_->pointCount = pointCount_;
                    return;
                }
            }
        }
    }

    static char printable(uint8_t c) { return c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?'; }

    std::span<const uint8_t> file_;
    size_t at_ = 12;
    uint32_t pointCount_ = 0;
    std::vector<uint8_t> corners_;  // the last polygon list, 8 bytes a triangle
    uint32_t layers_ = 0;
    std::optional<Lwo2Refusal> fail_;
};

// An LWO2 file is converted in place; any other keeps its own name, and the
// LWO2 goes beside it as NAME.lwo (NAME_lwo2.lwo when it already ends so).
std::string convertHint(std::string_view path, bool lwo2) {
    const std::string name(path);
    if (lwo2) return ": convert it with `velmora mesh " + name + " -o " + name + "`";
    const size_t slash = name.find_last_of('/');
    const size_t dot = name.find_last_of('.');
    const std::string stem = dot != std::string::npos && (slash == std::string::npos || dot > slash) ? name.substr(0, dot)
                                                                                                      : name;
    std::string output = stem + ".lwo";
    if (output == name) output = stem + "_lwo2.lwo";
    return ": convert it with `velmora mesh " + name + " -o " + output + "` and name that in the script";
}

}  // namespace

std::optional<Lwo2Refusal> describeLwo2Refusal(std::span<const uint8_t> file) {
    if (file.size() < 12) {
        Lwo2Refusal refusal;
        refusal.kind = Lwo2Refusal::Kind::TooShort;
        refusal.fileSize = file.size();
        return refusal;
    }
    if (std::memcmp(file.data(), "FORM", 4) != 0) {
        Lwo2Refusal refusal;
        refusal.kind = Lwo2Refusal::Kind::NotIff;
        return refusal;
    }
    if (std::memcmp(file.data() + 8, "LWO2", 4) != 0) {
        Lwo2Refusal refusal;
        refusal.kind = Lwo2Refusal::Kind::NotLwo2;
        for (int k = 0; k < 4; ++k) {
            const uint8_t c = file[8 + static_cast<size_t>(k)];
            refusal.formType.push_back(c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?');
        }
        return refusal;
    }
    return Walk(file).run();
}

std::string explainLwo2Refusal(const Lwo2Refusal& refusal, std::string_view path) {
    using Kind = Lwo2Refusal::Kind;
    const std::string polygon = "polygon " + std::to_string(refusal.polygon);
    std::string reason;
    switch (refusal.kind) {
    case Kind::TooShort:
        reason = "only " + std::to_string(refusal.fileSize) + " bytes, too short for an LWO2 object";
        break;
    case Kind::NotIff:
        reason = "not an LWO2 object (no IFF FORM header); the object box reads LWO2 triangle meshes only" +
                 convertHint(path, false);
        break;
    case Kind::NotLwo2:
        reason = "an IFF FORM of type " + refusal.formType +
                 ", not LWO2; the object box reads LWO2 triangle meshes only" + convertHint(path, false);
        break;
    case Kind::Damaged:
        reason = "damaged: " + refusal.damage + " runs past the end of the file";
        break;
    case Kind::NotTriangle:
        reason = polygon + " has " + std::to_string(refusal.corners) +
                 " corners; the object box reads triangles only" + convertHint(path, true);
        break;
    case Kind::FlaggedPolygon: {
        char flags[8];
        std::snprintf(flags, sizeof flags, "0x%04X", static_cast<unsigned>(refusal.flags));
        reason = polygon + " has the flag bits " + flags +
                 " in its corner count; the object box reads plain triangles only" + convertHint(path, true);
        break;
    }
    case Kind::LongIndex:
        reason = polygon +
                 " uses the four-byte point index of meshes with 65280 points or more; the object box reads "
                 "two-byte indices only: reduce the mesh below 65280 points";
        break;
    case Kind::IndexOutside:
        if (refusal.layers > 1)
            reason = "holds " + std::to_string(refusal.layers) +
                     " layers; the object box reads one point list and one polygon list" + convertHint(path, true) +
                     " (all layers joined)";
        else
            reason = "damaged: " + polygon + " names point " + std::to_string(refusal.index) +
                     ", but the point list holds " + std::to_string(refusal.pointCount);
        break;
    }
    return std::string(path) + ": " + reason;
}

}  // namespace velmora
