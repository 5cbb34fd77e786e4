// The video file of `velmora render --video`: the options turned into encoder
// settings, the file written under a temporary name and renamed when complete,
// and every failure returned as its line (the file's name in it) for the
// command's outcome.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/AtomicFile.h"
#include "host/commands/RenderCommand.h"
#include "host/outputs/RenderAudio.h"
#include "video/VideoWriter.h"

namespace velmora {

class VideoExport {
public:
    // Opens options.video for frames of width x height pixels (the options are
    // checked already), with a sound track when `withSound`. The problem, if any.
    std::optional<std::string> open(const RenderOptions& options, int width, int height, bool withSound);
    // Where the sound goes: into the video's sound track.
    RenderAudio::SoundOutput soundOutput();
    // The problem, if any; the file is dropped then.
    std::optional<std::string> addFrame(const uint32_t* pixels);
    // Completes the file and gives it its name. The problem, if any.
    std::optional<std::string> finish();
    // Drops the unfinished file.
    void abandon();
    // The time each step of the encoding took, once finished.
    VideoTimes times() const { return writer_.times(); }

private:
    std::optional<AtomicFile> file_;
    VideoWriter writer_;
};

}  // namespace velmora
