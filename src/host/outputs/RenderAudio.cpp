// RenderAudio: the offline module stepped frame by frame, its sound clipped to
// the rendered stretch of time.
#include "host/outputs/RenderAudio.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/ModuleStream.h"
#include "core/Error.h"
#include "show/RenderBounds.h"

namespace velmora {

namespace {
int64_t moduleFrameAt(double seconds) { return std::llround(seconds * kMusicRate); }
}  // namespace

void RenderAudio::load(const char* musicPath) {
    if (!module_.load(musicPath)) fatalError("Can't load music", whyMusicDidNotLoad(musicPath), musicPath);
}

std::string RenderAudio::setTimes(double start, double fps, int frames) {
    // The module is rendered from its start up to the last frame's time: a
    // time hours away would take minutes of rendering, or days.
    std::string problem = musicReachProblem(start, fps, frames);
    if (!problem.empty()) return problem;
    start_ = start;
    fps_ = fps;
    soundBegin_ = moduleFrameAt(start);
    soundEnd_ = moduleFrameAt(start + frames / fps);
    return {};
}

std::string RenderAudio::writeWav(const char* wavPath, double start, double fps, int frames) {
    if (std::string problem = setTimes(start, fps, frames); !problem.empty()) return problem;
    if (soundEnd_ - soundBegin_ > WavWriter::kMaxFrames) {
        std::fprintf(stderr, "velmora render: %s not written: the sound is too long for a WAV file\n", wavPath);
        return {};  // a warning: the frames still follow the music
    }
    wavFile_.emplace(wavPath);
    if (wavFile_->tempPath().empty() || !wav_.open(wavFile_->tempPath().c_str(), soundEnd_ - soundBegin_)) {
        const std::string reason =
            wavFile_->tempPath().empty() ? wavFile_->openError() : std::strerror(wav_.systemError());
        return "cannot write '" + std::string(wavPath) + "': " + reason;
    }
    writing_ = true;
    emitSilenceBeforeTheStart();
    return {};
}

std::string RenderAudio::streamSound(SoundOutput output, double start, double fps, int frames) {
    if (std::string problem = setTimes(start, fps, frames); !problem.empty()) return problem;
    output_ = std::move(output);
    writing_ = true;
    emitSilenceBeforeTheStart();
    return {};
}

void RenderAudio::emitSilenceBeforeTheStart() {
    chunk_.fill(0);
    for (int64_t f = soundBegin_; f < std::min<int64_t>(0, soundEnd_);) {
        const int64_t n = std::min<int64_t>(static_cast<int64_t>(chunk_.size() / 2), std::min<int64_t>(0, soundEnd_) - f);
        emit(chunk_.data(), static_cast<size_t>(n));
        f += n;
    }
}

void RenderAudio::emit(const int16_t* samples, size_t frames) {
    if (output_) output_(samples, frames);
    else wav_.write(samples, frames);
}

void RenderAudio::advanceTo(int64_t frame) {
    while (module_.framesRendered() < frame) {
        const int64_t first = module_.framesRendered();
        const int64_t n = std::min<int64_t>(static_cast<int64_t>(chunk_.size() / 2), frame - first);
        module_.render(chunk_.data(), static_cast<size_t>(n));
        // The part of this chunk inside the rendered stretch of time.
        const int64_t from = std::max(first, soundBegin_);
        const int64_t to = std::min(first + n, soundEnd_);
        if (writing_ && from < to) emit(chunk_.data() + 2 * (from - first), static_cast<size_t>(to - from));
    }
}

uint32_t RenderAudio::positionAt(double seconds) {
    const int64_t frame = moduleFrameAt(seconds);
    if (frame < 0) return 0;
    advanceTo(frame + 1);
    return module_.positionAt(frame);
}

std::span<const float> RenderAudio::channelLevelsAt(double seconds) {
    const int64_t frame = moduleFrameAt(seconds);
    if (frame < 0) return {};
    advanceTo(frame + 1);
    return module_.channelLevelsAt(frame);
}

bool RenderAudio::finish() {
    if (!writing_) return true;
    advanceTo(soundEnd_);
    writing_ = false;
    if (output_) return true;
    if (!wav_.close()) {
        writeError_ = wav_.systemError() != 0 ? std::strerror(wav_.systemError()) : "the sound came out short";
        return false;
    }
    return wavFile_->commit(writeError_);
}

}  // namespace velmora
