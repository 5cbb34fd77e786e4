// Fuzz target: a script loaded and two frames of its wiring evaluated.
#include <cstdint>
#include <string_view>

#include "FuzzSupport.h"
#include "script/DemoGraph.h"
#include "show/MusicTransport.h"

using namespace velmora;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::prepareScratch();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        DemoGraph graph;
        fuzz::SilentReporter reporter;
        if (graph.loadText(text, reporter) != LoadResult::Loaded) return 0;
        Surface frame;
        frame.allocate(512, 256);
        frame.clear();
        const TrackerPosition position = trackerPositionOf(makeChannelPosition(1, 5, 128));
        graph.evaluate(FrameInput{0.0f, position}, frame);
        graph.evaluate(FrameInput{1.5f, position}, frame);
    } catch (const ShowError&) {
        // A fatal error: the show would have stopped with its message.
    }
    return 0;
}
