// `velmora render`: the show evaluated headless, frame by frame, into BMP files
// or one video file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/Limits.h"
#include "core/CommandOutcome.h"
#include "host/commands/RenderSettings.h"

namespace velmora {

struct RenderOptions {
    std::string script = "script.zyl";
    std::string music = "data/zik.mo3";
    std::string outDir;
    FrameRate fps;  // the clock steps by fps.perSecond; a video's time base is the exact ratio
    double start = 0.0;
    // A fixed channel position (see MusicTransport); without it the music file's.
    std::optional<uint32_t> musicPosition;

    // The length: --frames N, --seconds S (above 0 when given) or --until-end;
    // one frame without any, and a video without any runs to the end of the music.
    std::optional<int> frames;
    double seconds = 0.0;
    bool untilEnd = false;
    // --preroll: the show evaluated from time 0 up to --start before the first frame.
    bool preroll = false;
    // --video FILE: one encoded file (.mp4, .webm, .mkv, .gif) instead of BMP frames.
    std::string video;
    int scale = 0;     // --scale N; 0: the format's default
    FrameSize size;    // --size WxH; 0x0: from the scale
    bool smooth = false;  // --smooth
    int crf = -1;         // --crf N; -1: the format's default
    std::string preset;   // --preset NAME; empty: the format's default
    bool quiet = false;   // --quiet: no progress line
    bool timing = false;  // --timing: the time of each step of the export
    // --hash: "frame K HEX" on standard output for each frame (the SHA-256 of
    // its pixels as 32-bit little-endian words 0x00RRGGBB, top row first),
    // then "done"; no files.
    bool hash = false;
    int threads = 0;      // threads per frame; 0: VELMORA_THREADS, else one per core
    uint64_t surfaceBudgetBytes = kDefaultSurfaceBudgetBytes;
};

// Renders the frames or the video; the outcome says why it stopped short.
CommandOutcome runRender(const RenderOptions& options);

}  // namespace velmora
