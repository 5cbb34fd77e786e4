// `velmora render`: the show evaluated headless, frame by frame, into BMP files.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace velmora {

struct RenderOptions {
    std::string script = "script.zyl";
    std::string music = "data/zik.mo3";
    std::string outDir;
    int frames = 1;
    double fps = 50.0;
    double start = 0.0;
    // A fixed channel position (see MusicPlayer); without it the music file's.
    std::optional<uint32_t> musicPosition;
};

// Renders the frames and returns the exit code.
int runRender(const RenderOptions& options);

}  // namespace velmora
