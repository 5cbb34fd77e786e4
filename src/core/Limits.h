// How much a show may ask of the machine, and the English reasons given when
// something is refused or cut. The numbers and every such text live here, so
// that the loaders, `velmora check` and the README say the same thing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/Text.h"

namespace velmora {

inline constexpr uint64_t kMiB = uint64_t{1} << 20;

// The script file: read whole and kept for the show.
inline constexpr uint64_t kMaxScriptBytes = 64 * kMiB;
// One picture (surface or height map), checked from its header before decoding:
// 8192x8192, 256 MiB as a surface.
inline constexpr uint64_t kMaxPicturePixels = uint64_t{1} << 26;
// Scans of one progressive JPEG: each is a pass over the whole picture, and a
// real picture has a few dozen at most.
inline constexpr int kMaxJpegScans = 100;
// Every surface of one show together, blank or picture, 4 bytes per pixel.
inline constexpr uint64_t kDefaultSurfaceBudgetBytes = 1024 * kMiB;
// Overrides the budget, in MiB (a whole number from 1 to kMaxSurfaceBudgetMiB).
inline constexpr const char* kSurfaceBudgetVariable = "VELMORA_SURFACE_BUDGET";
inline constexpr uint64_t kMaxSurfaceBudgetMiB = uint64_t{1} << 20;

// What the script reader takes at once (the design's fixed buffers): a name or
// a wiring word is cut to 255 characters; a wiring line or a parameter text is
// read 2559 characters at a time.
inline constexpr size_t kMaxNameCharacters = 255;
inline constexpr size_t kMaxLineCharacters = 2559;
inline constexpr int kMaxListEntries = 10;  // inputs, or functions, on one wiring line

// A track file (the keys of ZYL_FnctTrack): read whole, every line at most a
// script line long, and no more tracks and keys than any show could use.
inline constexpr uint64_t kMaxTrackFileBytes = 16 * kMiB;
inline constexpr int kMaxTracks = 4096;
inline constexpr int kMaxTrackKeys = 1 << 20;  // all tracks of one file together

// Reads a budget in MiB ("512"); false for anything but a whole number in range.
bool parseSurfaceBudgetMiB(std::string_view text, uint64_t& bytes);
// The budget from VELMORA_SURFACE_BUDGET, or the default when it is unset or
// not a valid number (then after a one-line warning, once a run). Read by the
// host, once; the engine takes the budget as a value.
uint64_t surfaceBudgetFromEnvironment();

// The bytes that the surfaces of one show hold, against its budget.
class SurfaceBudget {
public:
    explicit SurfaceBudget(uint64_t limitBytes = kDefaultSurfaceBudgetBytes) : limit_(limitBytes) {}
    // Empty when a width x height surface fits in what is left; otherwise why
    // not, naming the picture's file (empty for a blank surface).
    std::string refusal(std::string_view file, uint64_t width, uint64_t height) const;
    void take(uint64_t width, uint64_t height);
    uint64_t used() const { return used_; }
    uint64_t limit() const { return limit_; }

private:
    uint64_t limit_;
    uint64_t used_ = 0;
};

// Why a picture that declares width x height may not be decoded: over the
// pixel limit, or (with a budget) over what the show's surfaces have left.
// Empty when it may.
std::string pictureRefusal(std::string_view file, uint64_t width, uint64_t height, const SurfaceBudget* budget);

// Why a progressive JPEG with more than kMaxJpegScans scans is not decoded.
std::string scanRefusal(std::string_view file);

// Why the script file at `path` was refused ("script.zyl is a directory, not a
// file"); empty for a file that was read.
std::string scriptFileRefusal(std::string_view path, FileReadOutcome outcome);

// What the script reader cuts, as `check` warns about it.
std::string cutNameWarning(std::string_view kind, std::string_view name);
std::string nameCollisionWarning(std::string_view kind, std::string_view name, int firstLine);
std::string longParameterTextWarning();
std::string longWiringLineWarning();
std::string longWiringWordWarning(std::string_view word);
std::string longListWarning();

}  // namespace velmora
