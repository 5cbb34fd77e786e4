// The show in a web page: the calls the page's script makes into the engine.
// The page fetches the show's files into the virtual file system, then loads
// the script, and either evaluates frames headless (render and bench modes) or
// plays the show with its music, the page's audio asking for the sound.
// This is the one file of the web player that sees the graph.
#include <emscripten/emscripten.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "core/Error.h"
#include "core/FrameGeometry.h"
#include "core/MissingFile.h"
#include "platform/ChannelLevelTimeline.h"
#include "platform/ModuleStream.h"
#include "platform/OfflineModule.h"
#include "platform/RowTimeline.h"
#include "script/DemoGraph.h"
#include "script/Music.h"
#include "script/ScriptChecker.h"

namespace velmora {
namespace {

constexpr const char* kMusicPath = "data/zik.mo3";

int64_t moduleFrameAt(double seconds) { return std::llround(seconds * kMusicRate); }

TrackerPosition trackerPosition(uint32_t p) {
    TrackerPosition position;
    position.order = static_cast<int32_t>(p & 0xFFFFu);
    position.row = static_cast<int32_t>(p >> 24);
    position.rowFraction = static_cast<int32_t>((p >> 16) & 0xFFu);
    return position;
}

bool fileExists(const char* path) {
    struct stat status {};
    return ::stat(path, &status) == 0;
}

struct Page {
    std::unique_ptr<DemoGraph> graph;
    Surface frame;
    std::string error;               // the fatal message, as the native show's box shows it
    std::vector<uint32_t> words;     // the frame as 0x00RRGGBB words, for the digest
    std::vector<uint8_t> rgba;       // the frame for the canvas

    // Headless: the module decoded offline, frame k at start + k / fps.
    OfflineModule offline;
    bool withMusic = false;
    double start = 0.0, fps = 50.0;
    uint32_t fixedPosition = 0;

    // Live: the module rendered as the page's audio asks, with where each row
    // began and the channel levels, so that the position of what is heard
    // can be told.
    ModuleStream stream;
    RowTimeline rows;
    ChannelLevelTimeline levels;
    std::vector<int16_t> pcm;
    std::vector<float> sound;        // left then right, for the audio buffer
    int64_t heardFloor = 0;          // after a jump: the first frame of the new place
    int64_t loopReturnsSeen = 0;
    int64_t loopReturnFrame = -1;
    double loopReturnSeconds = 0.0;
    uint32_t lastPosition = 0;
    std::vector<int64_t> orderStartRows;  // the song's rows, read with the module
};

Page page;

// Keeps the error's text as the native show puts it in its box.
void keep(const ShowError& error) {
    const std::string explanation = explainShowError(error);
    page.error = explanation.empty() ? error.message : error.message + "\n\n" + explanation;
    std::fprintf(stderr, "FATAL ERROR: %s\n", page.error.c_str());
}

template <class Call>
int guarded(Call&& call) {
    try {
        call();
        return 0;
    } catch (const ShowError& error) {
        keep(error);
    } catch (const std::exception& error) {
        page.error = error.what();
    }
    return 1;
}

void evaluate(FrameInput input) {
    input.orderStartRows = page.orderStartRows;
    page.graph->evaluate(input, page.frame);
}

}  // namespace
}  // namespace velmora

using namespace velmora;

extern "C" {

// Loads the script (relative to the working folder, where the page put the
// show); 0 when loaded, else 1 with the fatal message in velmora_error().
EMSCRIPTEN_KEEPALIVE int velmora_load(const char* script) {
    return guarded([&] {
        page.graph = std::make_unique<DemoGraph>();
        const WarnedLoad load = loadWithWarnings(*page.graph, script, standardErrorReporter());
        if (load.result == LoadResult::ScriptNotFound) fatalError("Script non trouvé!!", describeMissingFile(), script);
        if (load.result == LoadResult::ScriptInvalid) {
            ShowError error(ErrorPresentation::FatalBox, 9999, "Script non valide!!");
            if (!load.fileRefusal.empty()) {
                error.reason = load.fileRefusal;
            } else {
                error.script = script;
                error.scriptLine = page.graph->firstProblem().line;
                error.reason = page.graph->firstProblem().message;
            }
            throw error;
        }
        page.frame.configure(std::to_string(kFrameWidth) + " " + std::to_string(kFrameHeight));
        page.frame.clear();
        page.words.resize(page.frame.pixelCount());
        page.rgba.resize(4 * page.frame.pixelCount());
    });
}

EMSCRIPTEN_KEEPALIVE const char* velmora_error() { return page.error.c_str(); }

// Headless frames as `velmora render` evaluates them: the music position of
// each frame from the module decoded offline, when the show has one, or the
// fixed `position` (packed as the music reports it) when that is not negative.
EMSCRIPTEN_KEEPALIVE int velmora_render_begin(double start, double fps, double position) {
    return guarded([&] {
        page.start = start;
        page.fps = fps;
        page.fixedPosition = position >= 0 ? static_cast<uint32_t>(position) : 0;
        page.withMusic = position < 0 && fileExists(kMusicPath);
        page.orderStartRows = readOrderStartRows(kMusicPath);
        if (page.withMusic && !page.offline.load(kMusicPath)) fatalError("Can't load music");
        if (page.withMusic && page.graph->readsChannelLevels()) page.offline.recordChannelLevels();
    });
}

// Frame k; its pixels as little-endian 0x00RRGGBB words (null on a fatal error).
EMSCRIPTEN_KEEPALIVE const uint32_t* velmora_render_frame(int k) {
    const int failed = guarded([&] {
        FrameInput input;
        input.position = trackerPosition(page.fixedPosition);
        if (page.withMusic) {
            const int64_t at = moduleFrameAt(page.start + k / page.fps);
            if (at >= 0) {
                std::vector<int16_t>& chunk = page.pcm;
                chunk.resize(2 * 4096);
                while (page.offline.framesRendered() < at + 1) {
                    const int64_t n = std::min<int64_t>(4096, at + 1 - page.offline.framesRendered());
                    page.offline.render(chunk.data(), static_cast<size_t>(n));
                }
                input.position = trackerPosition(page.offline.positionAt(at));
                if (page.graph->readsChannelLevels()) input.channelLevels = page.offline.channelLevelsAt(at);
            }
        }
        input.seconds = static_cast<float>(page.start + k / page.fps);
        evaluate(input);
    });
    if (failed) return nullptr;
    for (size_t i = 0; i < page.words.size(); ++i) page.words[i] = page.frame.pixels[i] & 0xFFFFFFu;
    return page.words.data();
}

// The frame as RGBA bytes for the canvas.
EMSCRIPTEN_KEEPALIVE const uint8_t* velmora_rgba() {
    for (size_t i = 0; i < page.frame.pixelCount(); ++i) {
        const uint32_t p = page.frame.pixels[i];
        page.rgba[4 * i] = static_cast<uint8_t>(p >> 16);
        page.rgba[4 * i + 1] = static_cast<uint8_t>(p >> 8);
        page.rgba[4 * i + 2] = static_cast<uint8_t>(p);
        page.rgba[4 * i + 3] = 255;
    }
    return page.rgba.data();
}

// Milliseconds a frame takes at a fixed position of order `order`, row 0:
// `frames` frames at 50 per second after one that resolves the wiring, as
// `velmora bench` times them.
EMSCRIPTEN_KEEPALIVE double velmora_bench_order(int order, int frames) {
    double ms = -1.0;
    guarded([&] {
        page.orderStartRows = readOrderStartRows(kMusicPath);
        FrameInput input;
        input.position = trackerPosition(makeChannelPosition(static_cast<uint32_t>(order), 0, 0));
        evaluate(input);
        const auto begin = std::chrono::steady_clock::now();
        for (int k = 1; k <= frames; ++k) {
            input.seconds = static_cast<float>(k / 50.0);
            evaluate(input);
        }
        ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count() / frames;
    });
    return ms;
}

// The orders of the module, for the bench (0 without one).
EMSCRIPTEN_KEEPALIVE int velmora_order_count() {
    ModuleStream stream;
    if (stream.load(kMusicPath) != ModuleStream::kLoaded) return 0;
    return static_cast<int>(stream.describe().orders.size());
}

// Live: loads the module to play; 1 with "Can't load music" when it does not.
EMSCRIPTEN_KEEPALIVE int velmora_music_start() {
    return guarded([&] {
        if (page.stream.load(kMusicPath) != ModuleStream::kLoaded || !page.stream.playable())
            fatalError("Can't load music");
        page.orderStartRows = page.stream.orderStartRows();
        if (page.graph->readsChannelLevels()) page.stream.recordChannelLevels(&page.levels);
    });
}

// The next `frames` frames of sound as floats, all the left ones then all the
// right ones.
EMSCRIPTEN_KEEPALIVE const float* velmora_music_fill(int frames) {
    page.pcm.resize(2 * static_cast<size_t>(frames));
    page.sound.resize(2 * static_cast<size_t>(frames));
    page.stream.render(page.pcm.data(), static_cast<size_t>(frames), [](const RowStart& start) { page.rows.add(start); });
    for (int i = 0; i < frames; ++i) {
        page.sound[i] = page.pcm[2 * i] / 32768.0f;
        page.sound[frames + i] = page.pcm[2 * i + 1] / 32768.0f;
    }
    if (page.stream.loopReturns() != page.loopReturnsSeen) {
        page.loopReturnsSeen = page.stream.loopReturns();
        page.loopReturnFrame = page.stream.lastLoopReturnFrame();
        page.loopReturnSeconds = page.stream.lastLoopReturnSeconds();
    }
    return page.sound.data();
}

// Live frame at clock `seconds`, the sound heard now being module frame
// `heard`. Returns the time the clock must jump to when a looped order has
// just been heard starting again, else -1; -2 on a fatal error.
EMSCRIPTEN_KEEPALIVE double velmora_live_frame(double heard, double seconds) {
    const int64_t at = std::max(static_cast<int64_t>(heard), page.heardFloor);
    double clockJump = -1.0;
    if (page.loopReturnFrame >= 0 && at >= page.loopReturnFrame) {
        clockJump = page.loopReturnSeconds + static_cast<double>(at - page.loopReturnFrame) / kMusicRate;
        page.loopReturnFrame = -1;
        seconds = clockJump;
    }
    const int failed = guarded([&] {
        FrameInput input;
        page.lastPosition = page.rows.positionAt(at);
        input.position = trackerPosition(page.lastPosition);
        if (page.graph->readsChannelLevels()) input.channelLevels = page.levels.levelsAt(at);
        input.seconds = static_cast<float>(seconds);
        evaluate(input);
    });
    return failed ? -2.0 : clockJump;
}

// The position of the last live frame, packed as the music reports it.
EMSCRIPTEN_KEEPALIVE uint32_t velmora_position() { return page.lastPosition; }

// The keys that move the music: `what` 0 jumps an order, 1 steps a row, in
// `direction` (-1 back, +1 on), from the place heard last. Returns the
// module's time at the new place (the clock's new time), negative when
// nothing plays.
EMSCRIPTEN_KEEPALIVE double velmora_seek(int what, int direction) {
    if (!page.stream.loaded()) return -1.0;
    int32_t order = static_cast<int32_t>(page.lastPosition & 0xFFFFu);
    int32_t row = static_cast<int32_t>(page.lastPosition >> 24);
    if (what == 0) {
        order = page.stream.neighbourOrder(order, direction);
        row = 0;
    } else {
        page.stream.neighbourRow(order, row, direction);
    }
    RowStart start;
    const double seconds = page.stream.seekOrderRow(order, row, start);
    if (page.stream.loopOrder() >= 0) page.stream.setLoopOrder(order);
    page.rows.clear();
    page.rows.add(start);
    page.levels.clear();
    page.heardFloor = start.frame;
    page.loopReturnFrame = -1;
    page.lastPosition = page.rows.positionAt(start.frame);
    return seconds;
}

// Loops the order heard now until called again; 1 while looping.
EMSCRIPTEN_KEEPALIVE int velmora_toggle_loop() {
    if (!page.stream.loaded()) return 0;
    const bool looping = page.stream.loopOrder() < 0;
    page.stream.setLoopOrder(looping ? static_cast<int32_t>(page.lastPosition & 0xFFFFu) : -1);
    return looping ? 1 : 0;
}

}  // extern "C"
