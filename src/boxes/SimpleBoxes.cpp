// The simple boxes: gate checks, then one whole-surface operation each.
#include "boxes/SimpleBoxes.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/NearestWord.h"
#include "core/PixelMath.h"
#include "core/WorkerPool.h"
#include "surface/RowKernels.h"

namespace velmora {

namespace {

// The two gates every simple box reads, in order, first off one wins.
bool gatesOn(const Function& first, const Function& second) {
    return isOn(first) && isOn(second);
}

// Below this many pixels a pass costs less than waking a thread.
constexpr size_t kBandsFrom = 16384;

// op(first pixel, count) over the surface in bands of whole rows, one a
// thread: every pixel is changed on its own, so the bands are independent,
// and a whole-frame pass left on one thread keeps the others idle.
template <class Op>
void inRowBands(Surface& output, WorkerPool* workers, Op&& op) {
    const size_t width = static_cast<size_t>(output.width);
    if (output.pixelCount() == 0) return;
    runInParts(output.pixelCount() < kBandsFrom ? nullptr : workers, output.height, [&](int firstRow, int endRow) {
        if (endRow > firstRow)
            op(output.pixels + static_cast<size_t>(firstRow) * width, static_cast<size_t>(endRow - firstRow) * width);
    });
}

}  // namespace

void BoxClearSurface::draw(Surface& output, FunctionList functions, SurfaceList, WorkerPool*) {
    if (!gatesOn(*functions[0], *functions[1])) return;
    output.clear();
}

void BoxCopier::draw(Surface& output, FunctionList functions, SurfaceList inputs, WorkerPool*) {
    if (!gatesOn(*functions[0], *functions[1])) return;
    // copyFrom copies only as many pixels as both surfaces hold.
    output.copyFrom(*inputs[0]);
}

void BoxInverseVideo::draw(Surface& output, FunctionList functions, SurfaceList, WorkerPool* workers) {
    if (!gatesOn(*functions[0], *functions[1])) return;
    inRowBands(output, workers, [](uint32_t* p, size_t n) { rows::active->invert(p, n); });
}

void BoxFader::configure(const char* text, ErrorReporter& reporter) {
    char word[32] = "";
    std::sscanf(text ? text : "", "%31s", word);
    if (std::strcmp(word, "sub") == 0) {
        mode = kSub;
    } else if (std::strcmp(word, "add") == 0) {
        mode = kAdd;
    } else if (std::strcmp(word, "mul") == 0) {
        mode = kMul;
    } else {
        mode = kNoMode;
        constexpr std::string_view kModes[] = {"sub", "add", "mul"};
        reporter.report("ZYL_BoxFader MODE non valide!!", describeWordChoice(word, "a mode of ZYL_BoxFader", kModes));
        return;
    }
}

void BoxFader::draw(Surface& output, FunctionList functions, SurfaceList, WorkerPool* workers) {
    if (!gatesOn(*functions[1], *functions[2])) return;
    const int32_t level =
        std::clamp(truncToInt(static_cast<double>(functions[0]->value()) * 255.0), 0, 255);
    switch (mode) {
        case kSub:
            if (level != 0)
                inRowBands(output, workers, [&](uint32_t* p, size_t n) { rows::active->darken(p, n, level); });
            break;
        case kAdd:
            if (level != 0)
                inRowBands(output, workers, [&](uint32_t* p, size_t n) { rows::active->brighten(p, n, level); });
            break;
        case kMul:
            if (level != 255)
                inRowBands(output, workers, [&](uint32_t* p, size_t n) { rows::active->multiply(p, n, level); });
            break;
        default:
            break;
    }
}

}  // namespace velmora
