// Why the LWO2 loader refuses a file, in words a user can act on. The loader
// itself ends with its own terse status; this walks the same bytes the same way
// and names the first thing outside the subset the object box reads.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace velmora {

struct Lwo2Refusal {
    enum class Kind {
        TooShort,        // fewer than 12 bytes
        NotIff,          // no "FORM" at byte 0
        NotLwo2,         // a FORM of another type (formType)
        Damaged,         // something runs past the end of the file (damage)
        NotTriangle,     // polygon `polygon` has `corners` corners
        FlaggedPolygon,  // polygon `polygon` has `flags` set in its corner count
        LongIndex,       // polygon `polygon` uses the four-byte index form
        IndexOutside,    // polygon `polygon` names point `index` of `pointCount`
    };
    Kind kind = Kind::Damaged;
    uint32_t polygon = 0;  // counted from 0 within its POLS chunk, as the loader reads it
    uint32_t corners = 0;
    uint32_t flags = 0;
    uint32_t index = 0;
    uint32_t pointCount = 0;
    uint32_t layers = 0;  // LAYR chunks met before the walk stopped
    uint64_t fileSize = 0;
    std::string formType;
    std::string damage;
};

// The first reason the loader refuses `file`, or nothing when it reads it.
std::optional<Lwo2Refusal> describeLwo2Refusal(std::span<const uint8_t> file);

// "PATH: polygon 12 has 4 corners; the object box reads triangles only: convert
// it with `velmora mesh PATH -o PATH`", and likewise for every other kind; a
// file that is not LWO2 gets `-o NAME.lwo`, beside it.
std::string explainLwo2Refusal(const Lwo2Refusal& refusal, std::string_view path);

}  // namespace velmora
