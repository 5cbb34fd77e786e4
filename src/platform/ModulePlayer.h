// The show's music: a tracker module played through SDL audio at 44100 Hz,
// stereo, and polled once per frame for the position of what is heard now.
#pragma once

#include <cstdint>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "platform/ChannelLevelTimeline.h"
#include "platform/ModuleStream.h"
#include "platform/RowTimeline.h"
#include "show/MusicTransport.h"

namespace velmora {

class ModulePlayer : public MusicTransport {
public:
    // Muted, no audio device is opened: the module is rendered on the calling
    // thread as far as a steady clock says a device would have played it, so
    // positions and levels are those of the music heard, without the sound.
    explicit ModulePlayer(std::string path, bool muted = false);
    ~ModulePlayer() override;

    // Sound system, module, playback; each failure is a fatal error with its
    // reason ("Can't initialize digital sound system", "Can't load music", "Can't play music").
    void start() override;
    // Closes the device and releases the sound system.
    void stop() override;
    // What is audible now, allowing for the device buffer still to be played.
    uint32_t channelPosition() override;
    // Each channel's level at the place channelPosition reported last. The
    // levels are kept from the first call on: before it nothing is read.
    std::span<const float> channelLevels() override;
    std::span<const int64_t> orderStartRows() override { return orderStartRows_; }

    // For authoring: jumps `direction` orders from the one heard now (-1 back,
    // +1 on) to row 0; the first order stays itself going back, the last going
    // on. The position reported follows at once. Returns the module's time at
    // the new place in seconds, as if played from the start; negative when
    // nothing is playing.
    double jumpOrder(int direction) override;
    // The same one row back (-1) or on (+1) from the row heard now, across
    // order boundaries (the very first and very last rows stay).
    double stepRow(int direction) override;
    // Goes to `row` of `order` (the show's start position); as jumpOrder.
    double seek(int32_t order, int32_t row) override;
    // Loops the order heard now until called again; true while looping. Jumps
    // and steps take the loop along to the order they land in.
    bool toggleLoop() override;
    bool looping() const { return looping_; }
    // True once each time the loop's return to its row 0 has been heard, with
    // the module's time there in `seconds`.
    bool takeLoopReturn(double& seconds) override;
    // Pauses and resumes the sound; the position holds still while paused.
    void setPaused(bool paused) override;
    bool paused() const { return paused_; }

private:
    static void fill(void* self, uint8_t* stream, int length);
    void fillBuffer(int16_t* out, size_t frames);
    // Moves playback to (order, row) and the reported position with it.
    double seekTo(int32_t order, int32_t row);
    void startKeepingLevels();
    void publishLevels();
    // Playing through a device or muted.
    bool playing() const { return device_ != 0 || mutedPlaying_; }
    // Muted: renders up to the frame the clock has reached and returns it.
    int64_t mutedFrameNow();

    std::string path_;
    ModuleStream stream_;
    std::vector<int64_t> orderStartRows_;  // read at start, before the sound runs
    uint32_t device_ = 0;
    bool audioStarted_ = false;
    bool muted_ = false;
    bool mutedPlaying_ = false;
    int64_t mutedBaseFrame_ = 0;     // the frame heard at mutedBaseSeconds_
    double mutedBaseSeconds_ = 0.0;  // steady clock
    std::vector<int16_t> mutedBuffer_;  // rendered and dropped
    int bufferFrames_ = 0;

    // Shared with the audio thread; held only to copy a few numbers.
    std::mutex mutex_;
    RowTimeline timeline_;
    int64_t bufferStart_ = 0;    // first frame of the buffer handed over last
    int64_t lastHeard_ = 0;      // main thread: the frame reported last
    uint64_t bufferTicks_ = 0;   // when it was handed over (SDL performance counter)
    bool anyBuffer_ = false;
    uint64_t ticksPerSecond_ = 1;
    int64_t loopReturnsSeen_ = 0;    // audio thread: the stream's count published last
    int64_t loopReturnFrame_ = -1;   // the latest return not yet heard; -1 none
    double loopReturnSeconds_ = 0.0;
    bool loopReturnHeard_ = false;   // the main thread has heard it
    bool looping_ = false;
    bool paused_ = false;
    uint32_t pausedPosition_ = 0;  // what channelPosition gives while paused

    // Channel levels: the stream notes them in the audio thread as it renders,
    // and each buffer's readings join the shared timeline with its rows.
    ChannelLevelTimeline renderedLevels_;  // audio thread, once kept
    ChannelLevelTimeline levels_;          // under mutex_
    std::vector<float> heardLevels_;       // main thread: what channelLevels gave
    bool keepingLevels_ = false;           // main thread
};

}  // namespace velmora
