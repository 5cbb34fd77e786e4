// ModulePlayer: libopenmpt rendering inside the SDL audio callback.
#include "platform/ModulePlayer.h"

#include <SDL.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <string>
#include <utility>

#include "core/Error.h"

namespace velmora {

namespace {
// About 23 ms: short enough to keep the picture in step, long enough not to stutter.
constexpr int kBufferFrames = 1024;

// Should the process end with the music still playing, the audio thread must
// not render into a module that static destruction is tearing down: a static
// object made when the music first starts locks the device as the process ends.
std::atomic<uint32_t> playingDevice{0};
struct AudioHoldAtProcessEnd {
    ~AudioHoldAtProcessEnd() {
        if (uint32_t device = playingDevice.load()) SDL_LockAudioDevice(device);
    }
};
// The first fatal error, and a line under it that says how to play on.
[[noreturn]] void noSoundDevice() {
    fatalError("Can't initialize digital sound system",
               std::string("no sound device could be opened (") + SDL_GetError() +
                   "); --mute plays the show without sound");
}

double steadySeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}
}  // namespace

ModulePlayer::ModulePlayer(std::string path, bool muted) : path_(std::move(path)), muted_(muted) {}

ModulePlayer::~ModulePlayer() { stop(); }

void ModulePlayer::start() {
    if (muted_) {
        if (stream_.load(path_.c_str()) != ModuleStream::kLoaded)
            fatalError("Can't load music", whyMusicDidNotLoad(path_.c_str()), path_);
        if (!stream_.playable()) fatalError("Can't play music", kModulePlaysNothing, path_);
        orderStartRows_ = stream_.orderStartRows();
        timeline_.clear();
        bufferFrames_ = kBufferFrames;
        mutedBuffer_.assign(static_cast<size_t>(kBufferFrames) * 2, 0);
        lastHeard_ = 0;
        paused_ = false;
        mutedBaseFrame_ = 0;
        mutedBaseSeconds_ = steadySeconds();
        mutedPlaying_ = true;
        return;
    }
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) noSoundDevice();
    audioStarted_ = true;
    ticksPerSecond_ = SDL_GetPerformanceFrequency();

    SDL_AudioSpec wanted{};
    wanted.freq = kMusicRate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 2;
    wanted.samples = kBufferFrames;
    wanted.callback = &ModulePlayer::fill;
    wanted.userdata = this;
    SDL_AudioSpec got{};
    // No changes allowed: SDL converts to whatever the device really wants.
    device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, &got, 0);
    if (device_ == 0) noSoundDevice();
    bufferFrames_ = got.samples > 0 ? got.samples : kBufferFrames;

    if (stream_.load(path_.c_str()) != ModuleStream::kLoaded)
        fatalError("Can't load music", whyMusicDidNotLoad(path_.c_str()), path_);
    timeline_.clear();  // the device is still paused: no callback runs yet
    anyBuffer_ = false;
    lastHeard_ = 0;
    paused_ = false;
    if (!stream_.playable()) fatalError("Can't play music", kModulePlaysNothing, path_);
    orderStartRows_ = stream_.orderStartRows();  // the device is still paused

    static AudioHoldAtProcessEnd holdAtProcessEnd;
    (void)holdAtProcessEnd;
    playingDevice = device_;
    SDL_PauseAudioDevice(device_, 0);
    if (SDL_GetAudioDeviceStatus(device_) != SDL_AUDIO_PLAYING)
        fatalError("Can't play music", std::string("the sound device does not play: ") + SDL_GetError());
}

void ModulePlayer::stop() {
    mutedPlaying_ = false;
    if (device_ != 0) {
        playingDevice = 0;
        SDL_CloseAudioDevice(device_);  // waits for a running callback to return
        device_ = 0;
    }
    if (audioStarted_) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        audioStarted_ = false;
    }
}

void ModulePlayer::fill(void* self, uint8_t* stream, int length) {
    static_cast<ModulePlayer*>(self)->fillBuffer(reinterpret_cast<int16_t*>(stream),
                                                 static_cast<size_t>(length) / (2 * sizeof(int16_t)));
}

void ModulePlayer::fillBuffer(int16_t* out, size_t frames) {
    // Render without the lock, then publish the rows and the buffer's time.
    std::array<RowStart, 64> rows;
    size_t rowCount = 0;
    const int64_t first = stream_.framesRendered();
    stream_.render(out, frames, [&](const RowStart& start) {
        if (rowCount < rows.size()) rows[rowCount++] = start;
        else rows.back() = start;
    });
    const uint64_t now = SDL_GetPerformanceCounter();

    std::lock_guard<std::mutex> lock(mutex_);
    if (stream_.loopReturns() != loopReturnsSeen_) {
        loopReturnsSeen_ = stream_.loopReturns();
        loopReturnFrame_ = stream_.lastLoopReturnFrame();
        loopReturnSeconds_ = stream_.lastLoopReturnSeconds();
    }
    for (size_t i = 0; i < rowCount; ++i) timeline_.add(rows[i]);
    publishLevels();
    bufferStart_ = first;
    bufferTicks_ = now;
    anyBuffer_ = true;
}

int64_t ModulePlayer::mutedFrameNow() {
    const double elapsed = std::max(steadySeconds() - mutedBaseSeconds_, 0.0);
    const int64_t heard = std::max<int64_t>(mutedBaseFrame_ + static_cast<int64_t>(elapsed * kMusicRate), lastHeard_);
    // As a device would: the buffer that holds the frame heard is rendered.
    while (stream_.framesRendered() <= heard) fillBuffer(mutedBuffer_.data(), static_cast<size_t>(kBufferFrames));
    return heard;
}

uint32_t ModulePlayer::channelPosition() {
    if (paused_) return pausedPosition_;
    if (mutedPlaying_) {
        const int64_t heard = mutedFrameNow();
        std::lock_guard<std::mutex> lock(mutex_);
        lastHeard_ = heard;
        if (loopReturnFrame_ >= 0 && heard >= loopReturnFrame_) {
            loopReturnHeard_ = true;
            loopReturnFrame_ = -1;
        }
        return timeline_.positionAt(heard);
    }
    std::lock_guard<std::mutex> lock(mutex_);
    if (!anyBuffer_) return 0;
    // At the hand-over of a buffer the device starts on the one before it, so
    // what is heard runs through [bufferStart_ - bufferFrames_, bufferStart_).
    // A late hand-over holds the position at that buffer's end; it never steps back.
    const uint64_t now = SDL_GetPerformanceCounter();
    const double elapsed = static_cast<double>(now - bufferTicks_) / static_cast<double>(ticksPerSecond_);
    int64_t heard = bufferStart_ - bufferFrames_ + static_cast<int64_t>(elapsed * kMusicRate);
    heard = std::min<int64_t>(heard, bufferStart_ - 1);
    heard = std::max<int64_t>(heard, lastHeard_);
    lastHeard_ = heard;
    if (loopReturnFrame_ >= 0 && heard >= loopReturnFrame_) {
        loopReturnHeard_ = true;
        loopReturnFrame_ = -1;
    }
    return timeline_.positionAt(heard);
}

std::span<const float> ModulePlayer::channelLevels() {
    if (!playing() || !stream_.loaded()) return {};
    if (!keepingLevels_) startKeepingLevels();
    std::lock_guard<std::mutex> lock(mutex_);
    const std::span<const float> levels = levels_.levelsAt(lastHeard_);
    heardLevels_.assign(levels.begin(), levels.end());
    return heardLevels_;
}

void ModulePlayer::startKeepingLevels() {
    // The callback is not running while the device is locked.
    SDL_LockAudioDevice(device_);
    stream_.recordChannelLevels(&renderedLevels_);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        levels_.setChannels(renderedLevels_.channels());
    }
    SDL_UnlockAudioDevice(device_);
    heardLevels_.reserve(static_cast<size_t>(renderedLevels_.channels()));
    keepingLevels_ = true;
}

// Audio thread, with mutex_ held: the readings of the buffer just rendered.
void ModulePlayer::publishLevels() {
    if (renderedLevels_.size() == 0) return;
    levels_.append(renderedLevels_);
    renderedLevels_.clear();
}

double ModulePlayer::jumpOrder(int direction) {
    if (!playing() || !stream_.loaded()) return -1.0;
    const int32_t heardOrder = static_cast<int32_t>(channelPosition() & 0xFFFFu);
    return seekTo(stream_.neighbourOrder(heardOrder, direction), 0);
}

double ModulePlayer::stepRow(int direction) {
    if (!playing() || !stream_.loaded()) return -1.0;
    const uint32_t heard = channelPosition();
    int32_t order = static_cast<int32_t>(heard & 0xFFFFu);
    int32_t row = static_cast<int32_t>(heard >> 24);
    stream_.neighbourRow(order, row, direction);
    return seekTo(order, row);
}

double ModulePlayer::seek(int32_t order, int32_t row) {
    if (!playing() || !stream_.loaded()) return -1.0;
    return seekTo(stream_.neighbourOrder(order, 0), row);
}

bool ModulePlayer::toggleLoop() {
    if (!playing() || !stream_.loaded()) return false;
    const int32_t heardOrder = static_cast<int32_t>(channelPosition() & 0xFFFFu);
    looping_ = !looping_;
    SDL_LockAudioDevice(device_);
    stream_.setLoopOrder(looping_ ? heardOrder : -1);
    SDL_UnlockAudioDevice(device_);
    return looping_;
}

bool ModulePlayer::takeLoopReturn(double& seconds) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!loopReturnHeard_) return false;
    loopReturnHeard_ = false;
    seconds = loopReturnSeconds_;
    return true;
}

double ModulePlayer::seekTo(int32_t order, int32_t row) {
    // The callback is not running while the device is locked; only the seek
    // itself is done under it.
    SDL_LockAudioDevice(device_);
    RowStart start;
    const double seconds = stream_.seekOrderRow(order, row, start);
    if (looping_) stream_.setLoopOrder(order);
    SDL_UnlockAudioDevice(device_);

    // From now on the new row is what is heard: its first frame now, one more
    // each 1/44100 s. Until the next buffer is handed over the position runs
    // on from it; after that it holds until the device has caught up.
    std::lock_guard<std::mutex> lock(mutex_);
    timeline_.clear();
    timeline_.add(start);
    levels_.clear();  // the levels before the jump are not those of the new place
    bufferStart_ = start.frame + bufferFrames_;
    bufferTicks_ = SDL_GetPerformanceCounter();
    anyBuffer_ = true;
    lastHeard_ = start.frame;
    loopReturnFrame_ = -1;
    loopReturnHeard_ = false;
    pausedPosition_ = timeline_.positionAt(start.frame);
    mutedBaseFrame_ = start.frame;
    mutedBaseSeconds_ = steadySeconds();
    return seconds;
}

void ModulePlayer::setPaused(bool paused) {
    if (!playing() || paused == paused_) return;
    if (mutedPlaying_) {
        if (paused) pausedPosition_ = channelPosition();
        // Resumed, the clock counts on from the frame held.
        else mutedBaseFrame_ = lastHeard_, mutedBaseSeconds_ = steadySeconds();
        paused_ = paused;
        return;
    }
    if (paused) {
        pausedPosition_ = channelPosition();
        paused_ = true;
        SDL_PauseAudioDevice(device_, 1);
        return;
    }
    SDL_PauseAudioDevice(device_, 0);
    paused_ = false;
    // Count on from the position held; it stays there until the device plays again.
    std::lock_guard<std::mutex> lock(mutex_);
    bufferTicks_ = SDL_GetPerformanceCounter();
}

}  // namespace velmora
