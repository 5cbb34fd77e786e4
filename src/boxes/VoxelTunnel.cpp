// Voxel tunnel box: height-map loading, the polar tables, the column march and the
// remap onto the screen.
#include "boxes/VoxelTunnel.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "boxes/Kernels.h"
#include "boxes/WasmGather.h"
#include "core/Cpu.h"
#include "core/Error.h"
#include "core/FrameGeometry.h"
#include "core/PixelMath.h"
#include "core/WorkerPool.h"
#include "surface/JpegDecode.h"
#include "surface/PngDecode.h"
#include "surface/PictureDiagnosis.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if VELMORA_X86
#include <immintrin.h>
#endif

namespace velmora {

namespace {

constexpr int kFirstStep = 45;
constexpr int kLastStep = 219;
constexpr int kClearedRows = 50;  // rows 0 to 49: the far end stays black

// Colour of ray step i: darkened near the far end, brightened near the viewer.
inline uint32_t shadeStep(uint32_t p, int i) {
    const int s = 2 * i - 220;
    uint32_t red = p >> 16, green = (p >> 8) & 0xFFu, blue = p & 0xFFu;
    if (s < -70) {
        const uint32_t k = static_cast<uint32_t>(std::max(570 - 8 * i, 0));
        red = red > k ? red - k : 0;
        green = green > k ? green - k : 0;
        blue = blue > k ? blue - k : 0;
    } else if (s > 0) {
        red = std::min<uint32_t>(red + s, 255);
        green = std::min<uint32_t>(green + s, 255);
        blue = std::min<uint32_t>(blue + s, 255);
    } else {
        return p;
    }
    return (red << 16) + (green << 8) + blue;
}

constexpr int kStripColumns = BoxVoxelTunnel::kStripColumns;
constexpr int kStripPixels = 256 * kStripColumns;

// The strip that holds polar columns [firstColumn, firstColumn + 16).
inline uint32_t* stripOf(uint32_t* polar, int firstColumn) { return polar + (firstColumn / kStripColumns) * kStripPixels; }

// Threads take the march's groups of sixteen columns in an order that starts
// at angle 384: the first half of that order holds the angles the top half of
// the screen reads (384 to 511, then 0 to 127), the second half those of the
// bottom half. The remap cuts the screen into bands of rows, so a thread
// remaps from the strips its own core marched, and leaves the frame in the
// bands of rows the object and invert boxes draw in next.
constexpr int kGroups = 512 / kStripColumns;
constexpr int kFirstGroupOfTop = 384 / kStripColumns;

// fn(firstGroup, endGroup) over the groups at places [first, end) of that
// order: one or two runs of neighbouring groups.
template <class Fn>
void forGroupsInCutOrder(int first, int end, Fn&& fn) {
    const int lo = first + kFirstGroupOfTop;
    const int hi = end + kFirstGroupOfTop;
    if (lo < kGroups) fn(lo, std::min(hi, kGroups));
    if (hi > kGroups) fn(std::max(lo, kGroups) - kGroups, hi - kGroups);
}

}  // namespace

int BoxVoxelTunnel::loadHeightMap(const char* fileName, uint8_t* destination, std::string* reason) {
    DecodedJpeg jpeg;
    if (decodePictureFile(fileName, jpeg, nullptr, reason) != 0) {
        // A limit that refused the picture has said why; otherwise find out.
        if (reason && reason->empty()) *reason = diagnosePicture(fileName);
        return 1;
    }
    // One byte per pixel, 512 by 512: colour files and other sizes are refused.
    if (jpeg.components != 1 || jpeg.width != 512 || jpeg.height != 512 ||
        jpeg.samples.size() < static_cast<size_t>(kMapPixels)) {
        if (reason)
            *reason = "the file is there and was read, but a height map must be a 512x512 grey-level JPEG or PNG; "
                      "it is " + std::to_string(jpeg.width) + "x" + std::to_string(jpeg.height) +
                      (jpeg.components == 1 ? " grey-level" : jpeg.components == 3 ? " colour" : " CMYK");
        return 1;
    }
    std::memcpy(destination, jpeg.samples.data(), kMapPixels);
    return 0;
}

void BoxVoxelTunnel::configure(const char* text, ErrorReporter&) {
    constexpr const char* kNoMap = "FICHIER NON TROUVE";
    heightMap.assign(kMapPixels, 0);
    char fileName[256] = "";
    int refused = 1;
    std::string reason;
    try {
        refused = std::sscanf(text ? text : "", "%255s", fileName) != 1 ||
                  loadHeightMap(fileName, heightMap.data(), &reason) != 0;
    } catch (ShowError& damaged) {
        damaged.checkMessage = kNoMap;  // the checker names the step, the show prints libjpeg's text
        if (damaged.reason.empty()) damaged.reason = diagnosePicture(fileName);
        throw;
    }
    if (refused && fileName[0] == '\0') reason = "the parameter text names no height map file";
    if (refused) fatalError(kNoMap, reason, fileName);
    buildTables();
}

void BoxVoxelTunnel::buildTables() {
    const double pi = 4.0 * std::atan2(1.0, 1.0);
    screenToPolar.assign(kPolarPixels, 0);
    for (int y = 0; y < 256; ++y) {
        const int dy = y - 128;
        for (int x = 0; x < 512; ++x) {
            const int dx = x - 255;
            int32_t dist = truncToInt(std::sqrt(static_cast<double>(dx * dx + dy * dy)) * 0.7);
            if (dist > 255) dist = 255;
            int32_t ang = truncToInt(std::atan2(static_cast<double>(dx), static_cast<double>(dy)) *
                                         256.0 / pi +
                                     256.0);
            ang = std::clamp(ang, 0, 511);
            screenToPolar[y * 512 + x] = polarIndex(dist, ang);
        }
    }
    // 0.0199999996 is 0.02 as a float.
    const double stepLength = static_cast<double>(0.02f);
    depthRow.assign(512, 0);
    for (int i = 1; i < 512; ++i) {
        depthRow[i] = (truncToInt(2000000.0 * stepLength / i) & 511) * 512;
    }
    polarImage.assign(kPolarPixels, 0xFFFFFFFFu);
}

void BoxVoxelTunnel::draw(Surface& output, FunctionList functions, SurfaceList inputs, WorkerPool* workers) {
    if (!isOn(*functions[1]) || !isOn(*functions[2])) return;
    if (!output.isSize(kFrameWidth, kFrameHeight) || inputs[0]->pixelCount() < static_cast<size_t>(kMapPixels)) return;
    if (!ready()) return;
    const double t = functions[0]->value();
    const double fa = std::sin(t * 0.53) * 10.0;
    const double fb = std::sin(t) * 0.05 + 0.06;
    marchColumns(static_cast<float>(t), inputs[0]->pixels, fb, fa, workers);
    remapToScreen(output.pixels, workers);
}

bool BoxVoxelTunnel::ready() const {
    return heightMap.size() == kMapPixels && polarImage.size() == kPolarPixels &&
           screenToPolar.size() == kPolarPixels && depthRow.size() == 512;
}

namespace {

// Rows 0 to 49 of the strips of groups [firstGroup, endGroup) cleared: done
// by the piece that marches them, just before, rather than for the whole image
// on the calling thread.
void clearFarRows(uint32_t* polar, int firstGroup, int endGroup) {
    for (int strip = firstGroup; strip < endGroup; ++strip)
        std::fill_n(polar + strip * kStripPixels, kClearedRows * kStripColumns, 0u);
}

// The part of a frame both march paths share before the march: the bend
// table and the scroll offset.
int32_t startMarch(BoxVoxelTunnel& box, float t, double fb, double fa) {
    for (int i = kFirstStep; i <= kLastStep; ++i) {
        box.bend[i] = static_cast<int8_t>(truncToInt(std::cos(i * fb) * fa));
    }
    return wrapMul(truncToInt(t * 200.0), 512);
}

}  // namespace

namespace {

// One column of the plain march: `base` is its map offset, column[r * 16] its
// pixel in row r.
void marchPlainColumn(const uint8_t* map, const uint32_t* colour, const int8_t* bend, const int32_t* depthRow,
                      int32_t base, uint32_t* column) {
    int prev = kFirstStep;
    for (int i = kFirstStep; i <= kLastStep; ++i) {
        const int32_t idx = wrapAdd(bend[i] + depthRow[i], base) & 0x3FFFF;
        const int h = map[idx];
        const int y = std::clamp(i - ((h * i) >> 9), 0, 255);
        if (y != prev) {
            const uint32_t c = shadeStep(colour[idx], i);
            const int top = std::min(y, prev), end = std::max(y, prev);
            for (int r = top; r < end; ++r) column[r * kStripColumns] = c;
        }
        prev = y;
    }
}

// Groups [firstGroup, endGroup) of sixteen columns of the plain march, one
// strip each. A column writes only its own pixels of the polar image, so
// groups can run side by side.
void marchPlainColumns(const BoxVoxelTunnel& box, uint32_t* polar, const uint32_t* colour, int32_t scroll,
                       int firstGroup, int endGroup) {
    const uint8_t* map = box.heightMap.data();
    const int8_t* bend = box.bend;
    const int32_t* depthRow = box.depthRow.data();
    for (int group = firstGroup; group < endGroup; ++group) {
        const int col0 = group * kStripColumns;
        uint32_t* strip = stripOf(polar, col0);
        for (int c = 0; c < kStripColumns; ++c)
            marchPlainColumn(map, colour, bend, depthRow, wrapAdd(col0 + c, scroll), strip + c);
    }
}

constexpr int kScreenRows = 256;

// Screen pixels [first, end), each read from the polar image where the table
// points.
void remapPixels(uint32_t* out, const uint32_t* polar, const int32_t* table, int first, int end) {
    int k = first;
#if defined(__wasm_simd128__)
    // Four pixels a step in the page, each read straight into its lane: far
    // fewer instructions there than one pixel at a time.
    for (; k + 4 <= end; k += 4) {
        const v128_t index = wasm_v128_load(table + k);
        wasm_v128_store(out + k, gatherLanes(laneAddresses(polar, index)));
    }
#endif
    for (; k < end; ++k) out[k] = polar[table[k]];
}

}  // namespace

void BoxVoxelTunnel::marchColumnsPlain(float t, const uint32_t* colour, double fb, double fa, WorkerPool* workers) {
    if (!ready()) return;
    const int32_t scroll = startMarch(*this, t, fb, fa);
    runInParts(workers, kGroups, [&](int first, int end) {
        forGroupsInCutOrder(first, end, [&](int firstGroup, int endGroup) {
            clearFarRows(polarImage.data(), firstGroup, endGroup);
            marchPlainColumns(*this, polarImage.data(), colour, scroll, firstGroup, endGroup);
        });
    });
}

void BoxVoxelTunnel::remapToScreen(uint32_t* out, WorkerPool* workers) const {
    if (!ready()) return;
    const uint32_t* polar = polarImage.data();
    const int32_t* table = screenToPolar.data();
    // Bands of screen rows, cut as the march's groups are (forGroupsInCutOrder).
    runInParts(workers, kScreenRows, [&](int firstRow, int endRow) {
        remapPixels(out, polar, table, firstRow * 512, endRow * 512);
    });
}

#if defined(__SSE2__)

namespace {

// The march at 128 bits: sixteen columns as four vectors of four, as the
// AVX2 march takes them in two of eight. Every value it compares (heights,
// steps, rows) lies in 0..255, so the signed 16-bit minimum and maximum of
// SSE2 order them as 32-bit numbers (the upper halves are zero).
constexpr int kVectors = kStripColumns / 4;

inline int lowestLane(__m128i v) {
    v = _mm_min_epi16(v, _mm_shuffle_epi32(v, 0x4E));
    v = _mm_min_epi16(v, _mm_shuffle_epi32(v, 0xB1));
    return _mm_cvtsi128_si32(v);
}

inline int highestLane(__m128i v) {
    v = _mm_max_epi16(v, _mm_shuffle_epi32(v, 0x4E));
    v = _mm_max_epi16(v, _mm_shuffle_epi32(v, 0xB1));
    return _mm_cvtsi128_si32(v);
}

// shadeStep on four pixels, as shadeEight: the red value is the whole upper
// half-word. The unsigned 16-bit minimum is x - (x - y saturated at 0).
inline __m128i shadeFour(__m128i p, int i) {
    const int s = 2 * i - 220;
    if (s < -70) {
        const int k = std::max(570 - 8 * i, 0);
        p = _mm_subs_epu16(p, _mm_set1_epi32(k << 16));
        return _mm_subs_epu8(p, _mm_set1_epi32(k * 0x0101));
    }
    if (s > 0) {
        const __m128i sum = _mm_adds_epu16(p, _mm_set1_epi32(s << 16));
        p = _mm_sub_epi16(sum, _mm_subs_epu16(sum, _mm_set1_epi32(0x00FFFFFF)));
        return _mm_adds_epu8(p, _mm_set1_epi32(s * 0x0101));
    }
    return p;
}

// Heights and colours of sixteen map entries from `start` on, wrapping around
// the end of the maps as the plain index does.
inline void loadEntries(const uint8_t* map, const uint32_t* colour, uint32_t start, __m128i h[kVectors],
                        __m128i c[kVectors]) {
    if (start <= 0x3FFFFu - 15) {
        const __m128i zero = _mm_setzero_si128();
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(map + start));
        const __m128i lo = _mm_unpacklo_epi8(bytes, zero), hi = _mm_unpackhi_epi8(bytes, zero);
        h[0] = _mm_unpacklo_epi16(lo, zero);
        h[1] = _mm_unpackhi_epi16(lo, zero);
        h[2] = _mm_unpacklo_epi16(hi, zero);
        h[3] = _mm_unpackhi_epi16(hi, zero);
        for (int v = 0; v < kVectors; ++v)
            c[v] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(colour + start + 4 * v));
        return;
    }
    alignas(16) int32_t heights[16];
    alignas(16) uint32_t colours[16];
    for (uint32_t k = 0; k < 16; ++k) {
        heights[k] = map[(start + k) & 0x3FFFFu];
        colours[k] = colour[(start + k) & 0x3FFFFu];
    }
    for (int v = 0; v < kVectors; ++v) {
        h[v] = _mm_load_si128(reinterpret_cast<const __m128i*>(heights + 4 * v));
        c[v] = _mm_load_si128(reinterpret_cast<const __m128i*>(colours + 4 * v));
    }
}

// Asks for the map entries of a step to come: each step reads a row of the
// maps of its own, 512 and 2048 bytes from the last, which the processor
// does not foresee, and waiting for them was most of the march.
constexpr int kPrefetchSteps = 8;

inline void prefetchEntries(const uint8_t* map, const uint32_t* colour, uint32_t start) {
    for (const uint32_t k : {start & 0x3FFFFu, (start + 15) & 0x3FFFFu}) {
        __builtin_prefetch(map + k);
        __builtin_prefetch(colour + k);
    }
}

// The wall row of step i: i - ((h * i) >> 9). h * i <= 255 * 219 fits in 16
// bits, so the 16-bit product is the 32-bit one; the row lies in 1..219, where
// the plain clamp to 0..255 changes nothing.
inline __m128i wallRow(__m128i h, __m128i step) {
    return _mm_sub_epi32(step, _mm_srli_epi32(_mm_mullo_epi16(h, step), 9));
}

// A step's fill of four columns, row after row from a first one: each
// column's pixel becomes the shaded colour on the rows lo <= row < hi the plain
// loop fills for it, and keeps its value elsewhere. The test is row - lo <
// hi - lo as unsigned numbers: one signed compare once both sides are offset
// by 2^31, with row - lo counted up a row at a time.
struct FourColumnFill {
    __m128i shaded, span, climbed;

    static FourColumnFill at(__m128i shaded, __m128i lo, __m128i hi, int firstRow) {
        const __m128i offset = _mm_set1_epi32(INT32_MIN);
        return {shaded, _mm_add_epi32(_mm_sub_epi32(hi, lo), offset),
                _mm_add_epi32(_mm_sub_epi32(_mm_set1_epi32(firstRow), lo), offset)};
    }
    // The four pixels at `out` on the current row, then on to the next row.
    void row(uint32_t* out) {
        const __m128i inside = _mm_cmpgt_epi32(span, climbed);
        climbed = _mm_add_epi32(climbed, _mm_set1_epi32(1));
        __m128i* at = reinterpret_cast<__m128i*>(out);
        const __m128i kept = _mm_loadu_si128(at);
        _mm_storeu_si128(at, _mm_xor_si128(kept, _mm_and_si128(inside, _mm_xor_si128(kept, shaded))));
    }
};

void marchSse2(uint32_t* polar, const uint8_t* map, const uint32_t* colour, const int32_t* stepOffset,
               int32_t scroll, int firstColumn, int endColumn) {
    for (int col0 = firstColumn; col0 < endColumn; col0 += 16) {
        uint32_t* strip = stripOf(polar, col0);
        __m128i prev[kVectors];
        for (int v = 0; v < kVectors; ++v) prev[v] = _mm_set1_epi32(kFirstStep);
        for (int i = kFirstStep; i <= kLastStep; ++i) {
            const uint32_t start = static_cast<uint32_t>(stepOffset[i]) + static_cast<uint32_t>(scroll) +
                                   static_cast<uint32_t>(col0);
            prefetchEntries(map, colour,
                            static_cast<uint32_t>(stepOffset[i + kPrefetchSteps]) + static_cast<uint32_t>(scroll) +
                                static_cast<uint32_t>(col0));
            __m128i h[kVectors], c[kVectors], lo[kVectors], hi[kVectors];
            loadEntries(map, colour, start & 0x3FFFFu, h, c);
            const __m128i step = _mm_set1_epi32(i);
            for (int v = 0; v < kVectors; ++v) {
                const __m128i y = wallRow(h[v], step);
                lo[v] = _mm_min_epi16(y, prev[v]);
                hi[v] = _mm_max_epi16(y, prev[v]);
                prev[v] = y;
            }
            const int first =
                lowestLane(_mm_min_epi16(_mm_min_epi16(lo[0], lo[1]), _mm_min_epi16(lo[2], lo[3])));
            const int end = highestLane(_mm_max_epi16(_mm_max_epi16(hi[0], hi[1]), _mm_max_epi16(hi[2], hi[3])));
            if (first >= end) continue;  // no lane moved
            const auto fillFrom = [&](int v, int row) {
                return FourColumnFill::at(shadeFour(c[v], i), lo[v], hi[v], row);
            };
            // Where the walls are uneven (a noisy map), each vector of four
            // columns may span far fewer rows than the sixteen together: it
            // then fills its own rows alone, saving the stores, which are what
            // costs. Otherwise a row's four vectors go together, one cache
            // line at a time.
            if (end - first >= 16) {
                int firsts[kVectors], ends[kVectors], spans = 0;
                for (int v = 0; v < kVectors; ++v) {
                    firsts[v] = lowestLane(lo[v]);
                    ends[v] = highestLane(hi[v]);
                    spans += std::max(ends[v] - firsts[v], 0);
                }
                if (2 * spans < kVectors * (end - first)) {
                    for (int v = 0; v < kVectors; ++v) {
                        FourColumnFill fill = fillFrom(v, firsts[v]);
                        uint32_t* out = strip + firsts[v] * kStripColumns + 4 * v;
                        for (int r = firsts[v]; r < ends[v]; ++r, out += kStripColumns) fill.row(out);
                    }
                    continue;
                }
            }
            FourColumnFill fills[kVectors];
            for (int v = 0; v < kVectors; ++v) fills[v] = fillFrom(v, first);
            uint32_t* out = strip + first * kStripColumns;
            for (int r = first; r < end; ++r, out += kStripColumns)
                for (int v = 0; v < kVectors; ++v) fills[v].row(out + 4 * v);
        }
    }
}

}  // namespace

void kernels::voxelMarchSse2(uint32_t* polar, const uint8_t* map, const uint32_t* colour, const int32_t* stepOffset,
                             int32_t scroll, int first, int end) {
    marchSse2(polar, map, colour, stepOffset, scroll, first, end);
}

#endif

#if VELMORA_X86

namespace {

[[gnu::target("avx2")]] inline int lowestLane(__m256i v) {
    __m128i m = _mm_min_epi32(_mm256_castsi256_si128(v), _mm256_extracti128_si256(v, 1));
    m = _mm_min_epi32(m, _mm_shuffle_epi32(m, 0x4E));
    m = _mm_min_epi32(m, _mm_shuffle_epi32(m, 0xB1));
    return _mm_cvtsi128_si32(m);
}

[[gnu::target("avx2")]] inline int highestLane(__m256i v) {
    __m128i m = _mm_max_epi32(_mm256_castsi256_si128(v), _mm256_extracti128_si256(v, 1));
    m = _mm_max_epi32(m, _mm_shuffle_epi32(m, 0x4E));
    m = _mm_max_epi32(m, _mm_shuffle_epi32(m, 0xB1));
    return _mm_cvtsi128_si32(m);
}

// shadeStep on eight pixels. The red value is the whole upper half-word (the
// top byte included), as the plain shift by 16 takes it, so a stray top byte
// gives the same bits here.
[[gnu::target("avx2")]] inline __m256i shadeEight(__m256i p, int i) {
    const int s = 2 * i - 220;
    if (s < -70) {
        const int k = std::max(570 - 8 * i, 0);
        p = _mm256_subs_epu16(p, _mm256_set1_epi32(k << 16));
        return _mm256_subs_epu8(p, _mm256_set1_epi32(k * 0x0101));
    }
    if (s > 0) {
        p = _mm256_min_epu16(_mm256_adds_epu16(p, _mm256_set1_epi32(s << 16)),
                             _mm256_set1_epi32(0x00FFFFFF));
        return _mm256_adds_epu8(p, _mm256_set1_epi32(s * 0x0101));
    }
    return p;
}

// Heights and colours of eight map entries from `start` on, wrapping around
// the end of the maps as the plain index does.
[[gnu::target("avx2")]] inline void loadEntries(const uint8_t* map, const uint32_t* colour, uint32_t start,
                                                __m256i& h, __m256i& c) {
    if (start <= 0x3FFFFu - 7) {
        h = _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(map + start)));
        c = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(colour + start));
        return;
    }
    alignas(32) int32_t heights[8];
    alignas(32) uint32_t colours[8];
    for (uint32_t k = 0; k < 8; ++k) {
        heights[k] = map[(start + k) & 0x3FFFFu];
        colours[k] = colour[(start + k) & 0x3FFFFu];
    }
    h = _mm256_load_si256(reinterpret_cast<const __m256i*>(heights));
    c = _mm256_load_si256(reinterpret_cast<const __m256i*>(colours));
}

// The wall row of step i for eight heights, as the plain march clamps it.
[[gnu::target("avx2")]] inline __m256i wallRow(__m256i h, __m256i step) {
    const __m256i y = _mm256_sub_epi32(step, _mm256_srli_epi32(_mm256_mullo_epi32(h, step), 9));
    return _mm256_min_epi32(_mm256_max_epi32(y, _mm256_setzero_si256()), _mm256_set1_epi32(255));
}

// The march sixteen columns at a time (two vectors of eight). Each lane is one
// column and sees its steps in the same order as the plain loop; a step's
// fills become blended stores, one per row between the lowest and the highest
// row any lane fills. Sixteen columns use whole cache lines of the colours.
[[gnu::target("avx2")]] void marchAvx2(uint32_t* polar, const uint8_t* map, const uint32_t* colour,
                                       const int32_t* stepOffset, int32_t scroll, int firstColumn, int endColumn) {
    const __m256i one = _mm256_set1_epi32(1);
    for (int col0 = firstColumn; col0 < endColumn; col0 += 16) {
        uint32_t* strip = stripOf(polar, col0);
        __m256i prev0 = _mm256_set1_epi32(kFirstStep), prev1 = prev0;
        for (int i = kFirstStep; i <= kLastStep; ++i) {
            const uint32_t start = static_cast<uint32_t>(stepOffset[i]) + static_cast<uint32_t>(scroll) +
                                   static_cast<uint32_t>(col0);
            prefetchEntries(map, colour,
                            static_cast<uint32_t>(stepOffset[i + kPrefetchSteps]) + static_cast<uint32_t>(scroll) +
                                static_cast<uint32_t>(col0));
            __m256i h0, c0, h1, c1;
            loadEntries(map, colour, start & 0x3FFFFu, h0, c0);
            loadEntries(map, colour, (start + 8) & 0x3FFFFu, h1, c1);
            const __m256i step = _mm256_set1_epi32(i);
            const __m256i y0 = wallRow(h0, step), y1 = wallRow(h1, step);
            const __m256i lo0 = _mm256_min_epi32(y0, prev0), hi0 = _mm256_max_epi32(y0, prev0);
            const __m256i lo1 = _mm256_min_epi32(y1, prev1), hi1 = _mm256_max_epi32(y1, prev1);
            prev0 = y0;
            prev1 = y1;
            const int first = lowestLane(_mm256_min_epi32(lo0, lo1));
            const int end = highestLane(_mm256_max_epi32(hi0, hi1));
            if (first >= end) continue;  // no lane moved
            const __m256i shaded0 = shadeEight(c0, i), shaded1 = shadeEight(c1, i);
            __m256i row = _mm256_set1_epi32(first);
            uint32_t* out = strip + first * kStripColumns;
            for (int r = first; r < end; ++r, out += kStripColumns, row = _mm256_add_epi32(row, one)) {
                const __m256i inside0 =
                    _mm256_andnot_si256(_mm256_cmpgt_epi32(lo0, row), _mm256_cmpgt_epi32(hi0, row));
                const __m256i inside1 =
                    _mm256_andnot_si256(_mm256_cmpgt_epi32(lo1, row), _mm256_cmpgt_epi32(hi1, row));
                // A blend and a whole store rather than a masked store: the
                // strip row is the group's own, so rewriting the pixels outside
                // the mask with their own values changes nothing, and some
                // processors take many cycles per masked store.
                __m256i* out0 = reinterpret_cast<__m256i*>(out);
                __m256i* out1 = reinterpret_cast<__m256i*>(out + 8);
                _mm256_storeu_si256(out0, _mm256_blendv_epi8(_mm256_loadu_si256(out0), shaded0, inside0));
                _mm256_storeu_si256(out1, _mm256_blendv_epi8(_mm256_loadu_si256(out1), shaded1, inside1));
            }
        }
    }
}

}  // namespace

void kernels::voxelMarchAvx2(uint32_t* polar, const uint8_t* map, const uint32_t* colour, const int32_t* stepOffset,
                             int32_t scroll, int first, int end) {
    marchAvx2(polar, map, colour, stepOffset, scroll, first, end);
}

#endif

void BoxVoxelTunnel::marchColumns(float t, const uint32_t* colour, double fb, double fa, WorkerPool* workers) {
    if (const auto march = boxKernels->voxelMarch; march && ready()) {
        const int32_t scroll = startMarch(*this, t, fb, fa);
        int32_t stepOffset[256] = {};
        for (int i = kFirstStep; i <= kLastStep; ++i) stepOffset[i] = bend[i] + depthRow[i];
        // Whole groups of sixteen columns per piece, in the cut order.
        runInParts(workers, kGroups, [&](int first, int end) {
            forGroupsInCutOrder(first, end, [&](int firstGroup, int endGroup) {
                clearFarRows(polarImage.data(), firstGroup, endGroup);
                march(polarImage.data(), heightMap.data(), colour, stepOffset, scroll, firstGroup * kStripColumns,
                      endGroup * kStripColumns);
            });
        });
        return;
    }
    marchColumnsPlain(t, colour, fb, fa, workers);
}


}  // namespace velmora
