// The music of `velmora render`: the module rendered offline in step with the
// frames, giving each frame's position and the sound of exactly those frames.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "core/AtomicFile.h"
#include "host/outputs/WavWriter.h"
#include "platform/OfflineModule.h"

namespace velmora {

class RenderAudio {
public:
    // Where the sound goes when it goes to no WAV file: interleaved left, right
    // frames, handed over in order.
    using SoundOutput = std::function<void(const int16_t* samples, size_t frames)>;

    // Loads the module; a module that does not load is the fatal error "Can't load music".
    void load(const char* musicPath);
    // The song's length in seconds (libopenmpt's reckoning), once loaded.
    double musicSeconds() const { return module_.durationSeconds(); }
    // Where each order begins in song rows, once loaded.
    std::span<const int64_t> orderStartRows() const { return module_.orderStartRows(); }

    // Frame k is at start + k / fps; the sound covers the frames
    // [start, start + frames / fps) and goes to a new WAV file at wavPath.
    // Why not, when the WAV cannot be created or the frames reach past 6
    // hours of music (empty when going on); a sound too long for a WAV file is
    // left out with a warning.
    std::string writeWav(const char* wavPath, double start, double fps, int frames);
    // The same, with the sound handed to `output` instead.
    std::string streamSound(SoundOutput output, double start, double fps, int frames);
    // The module's channel position at a frame's time (never before the last one asked).
    uint32_t positionAt(double seconds);
    // Keeps the module's channel levels from now on; call before the first frame.
    void recordChannelLevels() { module_.recordChannelLevels(); }
    // Each channel's level (0..1) at a frame's time: the levels of the
    // offline decode once it has rendered that time. Empty before the music starts.
    std::span<const float> channelLevelsAt(double seconds);
    // Renders the sound to the end of the last frame and closes the WAV,
    // giving it its name; false when writing it failed.
    bool finish();
    // The system's reason when finish failed.
    const std::string& writeError() const { return writeError_; }

private:
    std::string setTimes(double start, double fps, int frames);
    // Time before the module starts is silence.
    void emitSilenceBeforeTheStart();
    void emit(const int16_t* samples, size_t frames);
    void advanceTo(int64_t frame);

    OfflineModule module_;
    std::optional<AtomicFile> wavFile_;  // audio.wav appears only when complete
    WavWriter wav_;
    SoundOutput output_;
    std::string writeError_;
    bool writing_ = false;
    double start_ = 0.0;
    double fps_ = 50.0;
    int64_t soundBegin_ = 0;  // module frames that go into the WAV
    int64_t soundEnd_ = 0;
    std::array<int16_t, 2 * 4096> chunk_{};
};

}  // namespace velmora
