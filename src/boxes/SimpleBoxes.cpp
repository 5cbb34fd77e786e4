// The simple boxes: gate checks, then one whole-surface operation each.
#include "boxes/SimpleBoxes.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/NearestWord.h"
#include "core/PixelMath.h"

namespace velmora {

namespace {

// The two gates every simple box reads, in order, first off one wins.
bool gatesOn(const Function& first, const Function& second) {
    return isOn(first) && isOn(second);
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

void BoxInverseVideo::draw(Surface& output, FunctionList functions, SurfaceList, WorkerPool*) {
    if (!gatesOn(*functions[0], *functions[1])) return;
    output.invert();
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

void BoxFader::draw(Surface& output, FunctionList functions, SurfaceList, WorkerPool*) {
    if (!gatesOn(*functions[1], *functions[2])) return;
    const int32_t level =
        std::clamp(truncToInt(static_cast<double>(functions[0]->value()) * 255.0), 0, 255);
    switch (mode) {
        case kSub:
            if (level != 0) output.darken(level);
            break;
        case kAdd:
            if (level != 0) output.brighten(level);
            break;
        case kMul:
            if (level != 255) output.multiply(level);
            break;
        default:
            break;
    }
}

}  // namespace velmora
