// The show in a web page: the calls the page's script makes, each a shim over
// the show core (the session, its pass, its bounds). The page fetches the
// show's files into the virtual file system, loads the script, and either
// evaluates frames headless (render and bench modes) or plays the show, its
// audio asking the music for sound. Plain C++ behind the exported names, so
// that the tests drive the same entry points natively.
#ifdef __EMSCRIPTEN__
#include <emscripten/emscripten.h>
#else
#define EMSCRIPTEN_KEEPALIVE
#endif

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <vector>

#include "core/Error.h"
#include "core/ErrorReporter.h"
#include "core/FrameGeometry.h"
#include "platform/FeedMusic.h"
#include "platform/ModuleInfo.h"
#include "platform/ModuleStream.h"
#include "platform/OfflineMusic.h"
#include "platform/web/PagePlatform.h"
#include "script/DemoGraph.h"
#include "script/TypeTable.h"
#include "show/LiveShow.h"
#include "show/RenderBounds.h"
#include "show/ShowSession.h"

namespace velmora {
namespace {

constexpr const char* kMusicPath = "data/zik.mo3";

bool fileExists(const char* path) {
    struct stat status {};
    return ::stat(path, &status) == 0;
}

std::string fatalText(const ShowError& error) {
    const std::string explanation = explainShowError(error);
    return explanation.empty() ? error.message : error.message + "\n\n" + explanation;
}

struct Page {
    std::string script;
    PagePlatform platform;
    std::unique_ptr<ShowSession> session;   // the show loaded, then played
    std::unique_ptr<LiveShow> live;
    std::unique_ptr<ShowSession> headless;  // render and bench frames, beside the live show
    std::string lastGood;                   // the text of the script playing now
    std::string problems;                   // the last refused reload's problems, as JSON
    FeedMusic* feed = nullptr;       // the live music, owned by the session
    OfflineMusic* offline = nullptr; // the headless music, owned by the session
    HeadlessRender render;
    int prerolled = 0;
    bool musicReached = false;
    Surface frame;
    std::vector<uint32_t> words;     // the frame as 0x00RRGGBB words, for the digest
    std::vector<int16_t> pcm;
    std::vector<float> sound;        // left then right, for the audio buffer
    std::string song;                // the module's orders as JSON, for the track pane
    std::vector<float> levels;       // the channel levels handed to the track pane
    FeedMusic* levelsFrom = nullptr; // the feed keeping them
};

Page page;

template <class Call>
int guarded(Call&& call) {
    try {
        call();
        return 0;
    } catch (const ShowError& error) {
        page.platform.showFatal(fatalText(error));
    } catch (const std::exception& error) {
        page.platform.showFatal(error.what());
    }
    std::fprintf(stderr, "FATAL ERROR: %s\n", page.platform.error.c_str());
    return 1;
}

int refuse(const std::string& message) {
    page.platform.showFatal(message);
    std::fprintf(stderr, "FATAL ERROR: %s\n", message.c_str());
    return 1;
}

// A position that never moves, with the song's rows of the show's module.
std::unique_ptr<MusicTransport> fixedPosition(uint32_t position) {
    auto music = std::make_unique<FixedMusicPosition>(position);
    music->setOrderStartRows(readOrderStartRows(kMusicPath));
    return music;
}

// A session over `music` into `slot`, its script loaded as the show's start loads it.
void openSession(std::unique_ptr<ShowSession>& slot, std::unique_ptr<MusicTransport> music) {
    slot.reset();  // the old show's surfaces go before the new one loads
    slot = std::make_unique<ShowSession>(1, std::move(music),
                                         [] { return static_cast<int64_t>(page.platform.nowSeconds * 1e9); });
    ShowLoad load = slot->load(page.script, kDefaultSurfaceBudgetBytes, standardErrorReporter());
    if (load.fatal) throw *load.fatal;
    for (const std::string& warning : load.warnings) std::fprintf(stderr, "%s\n", warning.c_str());
    page.frame.configure(std::to_string(kFrameWidth) + " " + std::to_string(kFrameHeight));
    page.frame.clear();
}

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

std::string jsonString(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(c));
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

const uint32_t* frameWords() {
    page.words.resize(page.frame.pixelCount());
    for (size_t i = 0; i < page.words.size(); ++i) page.words[i] = page.frame.pixels[i] & 0xFFFFFFu;
    return page.words.data();
}

}  // namespace
}  // namespace velmora

using namespace velmora;

extern "C" {

// Loads the script (relative to the working folder, where the page put the
// show); 0 when loaded, else 1 with the fatal message in velmora_error().
EMSCRIPTEN_KEEPALIVE int velmora_load(const char* script) {
    page.script = script;
    page.live.reset();
    page.lastGood = fileText(page.script);
    return guarded([] { openSession(page.session, nullptr); });
}

EMSCRIPTEN_KEEPALIVE const char* velmora_error() { return page.platform.error.c_str(); }

// Headless frames as `velmora render` evaluates them, the query's texts
// checked as the command line checks its options (null: not given).
EMSCRIPTEN_KEEPALIVE int velmora_render_begin(const char* frames, const char* fps, const char* start,
                                              const char* position, int preroll) {
    std::string error;
    const auto render = checkHeadlessRender(frames, fps, start, position, preroll != 0, error);
    if (!render) return refuse("velmora render: " + error);
    page.render = *render;
    page.prerolled = 0;
    const bool withMusic = !render->position && fileExists(kMusicPath);
    if (withMusic) {
        error = musicReachProblem(render->start, render->fps.perSecond, render->frames);
        if (!error.empty()) return refuse("velmora render: " + error);
    }
    return guarded([&] {
        auto offline = std::make_unique<OfflineMusic>();
        page.offline = withMusic ? offline.get() : nullptr;
        if (withMusic && !offline->load(kMusicPath))
            fatalError("Can't load music", whyMusicDidNotLoad(kMusicPath), kMusicPath);
        std::unique_ptr<MusicTransport> music;
        if (withMusic)
            music = std::move(offline);
        else
            music = fixedPosition(render->position.value_or(0));
        openSession(page.headless, std::move(music));
        if (page.offline && page.headless->graph().readsChannelLevels()) page.offline->keepChannelLevels();
        page.musicReached = !page.offline;
    });
}

// Work toward the first frame for about `milliseconds`: the frames before
// --start (preroll), then the music up to the first frame's time. Returns the
// share done (1 when the frames can be asked for), -1 on a fatal error.
EMSCRIPTEN_KEEPALIVE double velmora_render_prepare(double milliseconds) {
    const auto begin = std::chrono::steady_clock::now();
    const auto spent = [&] {
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count();
    };
    const HeadlessRender& render = page.render;
    const int failed = guarded([&] {
        while (page.prerolled < render.prerollFrames && spent() < milliseconds) {
            page.headless->evaluateAt(0.0 + page.prerolled / render.fps.perSecond, page.frame);
            ++page.prerolled;
        }
        while (page.prerolled >= render.prerollFrames && !page.musicReached && spent() < milliseconds)
            page.musicReached = page.offline->decodeToward(render.start, OfflineMusic::kSliceFrames);
    });
    if (failed) return -1.0;
    if (page.prerolled >= render.prerollFrames && page.musicReached) return 1.0;
    const double total = render.prerollFrames + std::max(render.start, 0.0) + 1.0;
    const double done = page.prerolled + (page.musicReached ? std::max(render.start, 0.0) : 0.0);
    return std::min(done / total, 0.999);
}

// Frame k; its pixels as little-endian 0x00RRGGBB words (null on a fatal error).
EMSCRIPTEN_KEEPALIVE const uint32_t* velmora_render_frame(int k) {
    const int failed = guarded(
        [&] { page.headless->evaluateAt(page.render.start + k / page.render.fps.perSecond, page.frame); });
    return failed ? nullptr : frameWords();
}

// The orders of the module, for the bench (0 without one).
EMSCRIPTEN_KEEPALIVE int velmora_order_count() {
    ModuleStream stream;
    if (stream.load(kMusicPath) != ModuleStream::kLoaded) return 0;
    return static_cast<int>(stream.describe().orders.size());
}

// The bench's frame count (bench, frames=N) checked as `velmora bench`
// checks --frames; 0 with the fatal message when refused.
EMSCRIPTEN_KEEPALIVE int velmora_bench_frames(const char* frames) {
    std::string error;
    const auto count = checkBenchFrames(frames, error);
    if (!count) return refuse("velmora bench: " + error), 0;
    return *count;
}

// Milliseconds a frame takes at a fixed position of order `order`, row 0:
// `frames` frames at 50 per second after one that resolves the wiring, as
// `velmora bench` times them.
EMSCRIPTEN_KEEPALIVE double velmora_bench_order(int order, int frames) {
    double ms = -1.0;
    guarded([&] {
        openSession(page.headless, fixedPosition(makeChannelPosition(static_cast<uint32_t>(order), 0, 0)));
        page.headless->evaluateAt(0.0, page.frame);
        const auto begin = std::chrono::steady_clock::now();
        for (int k = 1; k <= frames; ++k) page.headless->evaluateAt(k / 50.0, page.frame);
        ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count() / frames;
    });
    return ms;
}

// Live: the show with its music from the page's audio feed, at the page's
// time `milliseconds`; 1 with "Can't load music" when the module does not play.
EMSCRIPTEN_KEEPALIVE int velmora_play(double milliseconds) {
    return guarded([&] {
        page.platform.nowSeconds = milliseconds / 1000.0;
        auto feed = std::make_unique<FeedMusic>();
        page.feed = feed.get();
        if (!feed->load(kMusicPath)) fatalError("Can't load music", whyMusicDidNotLoad(kMusicPath), kMusicPath);
        page.live.reset();
        openSession(page.session, std::move(feed));
        if (page.session->graph().readsChannelLevels()) page.feed->keepChannelLevels();
        page.session->start();
        page.live = std::make_unique<LiveShow>(*page.session, page.script);
    });
}

// The module (data/zik.mo3) was replaced, by a dropped one: the live show
// starts again on it at the order and row it was at, its sound counted from 0.
// 1 with the reason when the new module does not play (the show plays on).
EMSCRIPTEN_KEEPALIVE int velmora_music_replaced(double milliseconds) {
    if (!page.live) return 0;
    bool plays = false;
    try {
        plays = FeedMusic().load(kMusicPath);
    } catch (...) {  // whatever the module library throws at bytes that are no module
    }
    if (!plays) return refuse("Can't load music");
    const uint32_t at = page.session->lastPosition();
    if (velmora_play(milliseconds) != 0) return 1;
    return guarded([&] { page.session->startAt(at & 0xFFFFu, at >> 24); });
}

// The next `frames` frames of sound as floats, all the left ones then all the
// right ones.
EMSCRIPTEN_KEEPALIVE const float* velmora_music_fill(int frames) {
    page.pcm.resize(2 * static_cast<size_t>(frames));
    page.sound.resize(2 * static_cast<size_t>(frames));
    page.feed->fill(page.pcm.data(), static_cast<size_t>(frames));
    for (int i = 0; i < frames; ++i) {
        page.sound[i] = page.pcm[2 * i] / 32768.0f;
        page.sound[frames + i] = page.pcm[2 * i + 1] / 32768.0f;
    }
    return page.sound.data();
}

// A key the page saw, by its DOM name; its command is taken at the next frame.
// Returns 1 when the key is one of the show's.
EMSCRIPTEN_KEEPALIVE int velmora_key(const char* key) {
    const ShowCommand command = commandForKey(key);
    if (command == ShowCommand::None || command == ShowCommand::FullScreen) return command == ShowCommand::FullScreen;
    page.platform.pending = command;
    return 1;
}

// One pass of the live show at the page's time `milliseconds`, the sound
// frame `heard` being heard now: the key's command, the loop's return, the
// frame. 0, or 1 on a fatal error, 2 when asked to quit.
EMSCRIPTEN_KEEPALIVE int velmora_frame(double milliseconds, double heard) {
    page.platform.nowSeconds = milliseconds / 1000.0;
    page.feed->setHeard(static_cast<int64_t>(heard));
    bool going = true;
    if (guarded([&] { going = page.live->pass(page.platform); })) return 1;
    return going ? 0 : 2;
}

// The frame as RGBA bytes for the canvas (live), or the last headless one.
EMSCRIPTEN_KEEPALIVE const uint8_t* velmora_rgba() {
    if (!page.live) page.platform.present(page.frame, page.platform.overlay);
    return page.platform.rgba.data();
}

// 1 while the show is paused (the page holds its audio then).
EMSCRIPTEN_KEEPALIVE int velmora_paused() { return page.session && page.session->clock().paused() ? 1 : 0; }

// The overlay's text over the last frame; empty when nothing shows.
EMSCRIPTEN_KEEPALIVE const char* velmora_overlay() { return page.platform.overlayText().c_str(); }

// The screenshot taken at the last frame (the BMP's bytes; size 0 when none),
// handed over once.
EMSCRIPTEN_KEEPALIVE int velmora_screenshot_size() { return static_cast<int>(page.platform.screenshot.size()); }
EMSCRIPTEN_KEEPALIVE const uint8_t* velmora_screenshot() { return page.platform.screenshot.data(); }
EMSCRIPTEN_KEEPALIVE void velmora_screenshot_taken() { page.platform.screenshot.clear(); }

// Reloads the show from `source`: a path in the page's file system, or the
// script's text (anything with a line break), which then replaces the show's
// script file. The music, its place, pause and loop play on; a refused script
// keeps the last good show (and its file). 0 when reloaded, else 1 with the
// problems in velmora_reload_problems().
EMSCRIPTEN_KEEPALIVE int velmora_reload(const char* source) {
    if (!page.session) return 1;
    std::string path = source;
    const bool fromText = path.find('\n') != std::string::npos;
    if (fromText) {
        writeText(page.script, source);
        path = page.script;
    }
    const ReloadOutcome outcome = page.live ? page.live->reloadFrom(path, page.platform.nowSeconds)
                                            : page.session->reload(path);
    page.platform.text.clear();
    for (const std::string& problem : outcome.problems) page.platform.text += problem + "\n";
    page.problems.assign(1, '[');
    for (const ScriptProblem& problem : outcome.refusals)
        page.problems.append(page.problems.size() > 1 ? "," : "")
            .append("{\"line\":")
            .append(std::to_string(problem.line))
            .append(",\"text\":")
            .append(jsonString(problem.message))
            .append("}");
    page.problems += "]";
    if (!outcome.reloaded) {
        if (fromText) writeText(page.script, page.lastGood);
        return 1;
    }
    page.lastGood = fileText(path);
    if (page.feed && page.session->graph().readsChannelLevels()) page.feed->keepChannelLevels();
    return 0;
}

// The last refused reload's problems, one a line as the overlay tells them.
EMSCRIPTEN_KEEPALIVE const char* velmora_reload_problems() { return page.platform.text.c_str(); }
// The same problems as values: [{"line": N, "text": "as check words it"}].
EMSCRIPTEN_KEEPALIVE const char* velmora_reload_problems_json() { return page.problems.c_str(); }

// The text of the script the show plays now (the last good one).
EMSCRIPTEN_KEEPALIVE const char* velmora_script() { return page.lastGood.c_str(); }

// Where the live music is, as the show reads it: order | fraction << 16 | row << 24.
EMSCRIPTEN_KEEPALIVE uint32_t velmora_position() { return page.live ? page.session->lastPosition() : 0; }

// The script's type words with a declaration line of each, for the editor:
// [{"word": "...", "example": "..."}].
EMSCRIPTEN_KEEPALIVE const char* velmora_type_words() {
    static std::string json;
    if (json.empty()) {
        json.assign(1, '[');
        for (const ScriptType& type : scriptTypes())
            json.append(json.size() > 1 ? "," : "")
                .append("{\"word\":")
                .append(jsonString(type.word))
                .append(",\"example\":")
                .append(jsonString(type.exampleDeclaration))
                .append("}");
        json += ",{\"word\":\"ZYL_Surface\",\"example\":\"ZYL_Surface NAME WIDTH HEIGHT\"}]";
    }
    return json.c_str();
}

// The module's song for the track pane, read once:
// {"channels": N, "orders": [{"pattern": P, "rows": R}, ...]} (pattern -1: a
// marker entry that names no pattern), or {"error": "..."} without one.
EMSCRIPTEN_KEEPALIVE const char* velmora_song_json() {
    if (!page.song.empty()) return page.song.c_str();
    ModuleInfo info;
    std::string error;
    bool read = false;
    try {
        read = readModuleInfo(kMusicPath, info, error);
    } catch (...) {  // whatever the module library throws at bytes that are no module
        error = "the module cannot be read";
    }
    if (!read) return (page.song = "{\"error\":" + jsonString(error) + "}").c_str();
    page.song = "{\"channels\":" + std::to_string(info.channels) + ",\"orders\":[";
    for (size_t i = 0; i < info.orders.size(); ++i)
        page.song.append(i ? "," : "")
            .append("{\"pattern\":")
            .append(std::to_string(info.orders[i].pattern))
            .append(",\"rows\":")
            .append(std::to_string(info.orders[i].rows))
            .append("}");
    page.song += "]}";
    return page.song.c_str();
}

// Moves the live show and its music to (order, row), as the keys' moves do;
// the page starts its sound afresh there. 1 on a fatal error.
EMSCRIPTEN_KEEPALIVE int velmora_seek(int order, int row) {
    if (!page.live || order < 0 || row < 0) return 0;
    return guarded([&] { page.session->startAt(static_cast<uint32_t>(order), static_cast<uint32_t>(row)); });
}

// The live music's channel levels now (0..1 each, `count` of them), kept from
// the first call on; null while nothing plays.
EMSCRIPTEN_KEEPALIVE const float* velmora_channel_levels(int count) {
    if (!page.live || !page.feed || count <= 0) return nullptr;
    if (page.levelsFrom != page.feed) {
        page.feed->keepChannelLevels();
        page.levelsFrom = page.feed;
    }
    const std::span<const float> now = page.feed->channelLevels();
    page.levels.assign(static_cast<size_t>(count), 0.0f);
    for (size_t i = 0; i < now.size() && i < page.levels.size(); ++i) page.levels[i] = now[i];
    return page.levels.data();
}

}  // extern "C"
