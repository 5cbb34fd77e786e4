// A tracker module rendered with libopenmpt at 44100 Hz, 16-bit stereo, looping
// at its end, with the frame at which each row starts noted as it is rendered.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/ModuleInfo.h"
#include "platform/ChannelLevelTimeline.h"
#include "platform/RowTimeline.h"

struct openmpt_module;

namespace velmora {

inline constexpr int kMusicRate = 44100;

// Why the file at `path` gave no module, in one line, for under "Can't load music".
std::string whyMusicDidNotLoad(const char* path);
// The reason the show would stop on the module at `path`, read as the show
// reads it: "Can't load music: WHY" or "Can't play music: WHY"; empty when it plays.
std::string moduleRefusal(const char* path);
// Why a module that loaded plays nothing, for under "Can't play music".
inline constexpr const char* kModulePlaysNothing = "the module has no order to play, or lasts no time";

// The module at `path`'s ModuleStream::orderStartRows, without playing it;
// empty when it does not load.
std::vector<int64_t> readOrderStartRows(const char* path);

class ModuleStream {
public:
    ModuleStream() = default;
    ~ModuleStream();
    ModuleStream(const ModuleStream&) = delete;
    ModuleStream& operator=(const ModuleStream&) = delete;

    enum LoadResult { kLoaded = 0, kUnreadable = 1, kNotAModule = 2 };
    // Reads the whole file; the content decides the format (MO3, IT, XM, S3M, MOD...).
    LoadResult load(const char* path);
    LoadResult loadMemory(const void* data, size_t size);
    bool loaded() const { return module_ != nullptr; }
    // True when the module has something to play.
    bool playable() const;
    double durationSeconds() const;

    // Renders the next `frames` frames (interleaved left, right). Rows that start
    // in them are handed to `rows` in order. Past the data (never, while it
    // loops) the rest is silence.
    template <class RowSink>
    void render(int16_t* out, size_t frames, RowSink&& rows) {
        while (frames > 0) {
            const size_t n = sliceLength(frames);
            RowStart start;
            if (renderSlice(out, n, start)) rows(start);
            out += 2 * n;
            frames -= n;
        }
    }

    int64_t framesRendered() const { return framesRendered_; }

    // The module's title, format, length, channels and orders. Seeks to find
    // where each order starts: for a module not yet played (empty when none is loaded).
    ModuleInfo describe();

    // The order `direction` steps from `current` (-1 back, +1 on), passing over
    // entries of the order list that name no pattern; `current` itself when
    // there is none that way.
    int32_t neighbourOrder(int32_t current, int direction) const;
    // Goes to row 0 of `order`: the next frame rendered is that row's first.
    // `start` gets that row, placed at framesRendered(). Returns the module's
    // time there in seconds, as if played from the start (negative on failure).
    double seekOrder(int32_t order, RowStart& start) { return seekOrderRow(order, 0, start); }
    // The same for any row of the order's pattern.
    double seekOrderRow(int32_t order, int32_t row, RowStart& start);
    // The row `direction` steps from (order, row): within the pattern, else the
    // last row of the previous order or row 0 of the next; the first row of the
    // first order and the last of the last stay where they are.
    void neighbourRow(int32_t& order, int32_t& row, int direction) const;

    // While an order is looped, the row that would follow its last one is row 0
    // of the same order again; -1 plays on. Each such return is counted, with
    // the frame where it starts and the module's time there.
    void setLoopOrder(int32_t order) { loopOrder_ = order; }
    int32_t loopOrder() const { return loopOrder_; }
    int64_t loopReturns() const { return loopReturns_; }
    int64_t lastLoopReturnFrame() const { return lastLoopReturnFrame_; }
    double lastLoopReturnSeconds() const { return lastLoopReturnSeconds_; }

    // The song row at which each order of the order list begins (the rows of
    // the patterns before it; an entry that names no pattern has none), then
    // the song's total: FrameInput::orderStartRows. Empty without a module.
    std::vector<int64_t> orderStartRows() const;

    // The channels of the module loaded (0 without one).
    int channelCount() const;
    // Each channel's level now, the larger of its left and right VU meters in
    // 0..1; the meters move once a tick, so this is the level of the tick the
    // last frame rendered belongs to. Entries past the module's channels get 0.
    void readChannelLevels(std::span<float> levels) const;
    // From now on, after each slice rendered, the levels go to `levels`
    // (sized here for the loaded module's channels) as holding from the
    // slice's first frame; nullptr stops it. Nothing is read while it is off.
    void recordChannelLevels(ChannelLevelTimeline* levels);

private:
    // A row starts on a tick, and the module works out a tick as soon as it is
    // due, so a row seen after a slice began within that slice. Slices are 8
    // frames (0.18 ms) at most, and single frames where the next row is due
    // (one frame when the last row was placed exactly, a slice's width after a
    // surprise such as a tempo change): rows that come when speed and tempo
    // say are placed to the frame.
    static constexpr size_t kSliceFrames = 8;
    size_t sliceLength(size_t frames) const;
    bool orderHasPattern(int32_t order) const;
    int32_t rowsInOrder(int32_t order) const;
    // Frames of one row at the module's current speed and tempo; 0 if unknown.
    int64_t rowFrames() const;
    // Renders one slice; true (and `start` filled) when a new row began in it.
    bool renderSlice(int16_t* out, size_t frames, RowStart& start);
    void noteChannelLevels(int64_t sliceStart);

    openmpt_module* module_ = nullptr;
    int64_t framesRendered_ = 0;
    int64_t dueFrom_ = -1;  // frames where the next row is expected; -1: not known
    int64_t dueTo_ = -1;
    int32_t lastOrder_ = -1;
    int32_t lastRow_ = -1;
    bool ended_ = false;
    int32_t loopOrder_ = -1;
    int64_t loopReturns_ = 0;
    int64_t lastLoopReturnFrame_ = -1;
    double lastLoopReturnSeconds_ = 0.0;
    ChannelLevelTimeline* levelSink_ = nullptr;
    std::vector<float> levelReading_;  // one reading's levels, sized with the sink
};

}  // namespace velmora
