// Headless rendering: the script loaded as at start-up, the clock stepped by
// 1/fps, each frame written in the screenshot format.
#include "host/RenderCommand.h"

#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

#include "host/RenderAudio.h"
#include "host/Startup.h"
#include "script/DemoGraph.h"
#include "surface/Bmp.h"

namespace velmora {

int runRender(const RenderOptions& options) {
    std::error_code ec;
    std::filesystem::create_directories(options.outDir, ec);
    if (ec || !std::filesystem::is_directory(options.outDir)) {
        std::fprintf(stderr, "velmora render: cannot create the directory '%s'\n", options.outDir.c_str());
        return 1;
    }

    DemoGraph graph;
    loadScriptOrDie(graph, options.script.c_str());
    auto output = makeOutputSurface();

    auto position = std::make_unique<FixedMusicPosition>(
        makeChannelPosition(options.order, options.row, options.rowFraction));
    FixedMusicPosition* musicPosition = position.get();
    graph.setMusic(std::move(position));

    // Without a fixed position the frames follow the music file, when there is
    // one, and its sound for the rendered frames goes to DIR/audio.wav.
    std::error_code musicError;
    const bool withMusic = !options.positionGiven && std::filesystem::exists(options.music, musicError);
    RenderAudio audio;
    if (withMusic) {
        const std::string wavPath = (std::filesystem::path(options.outDir) / "audio.wav").string();
        if (!audio.open(options.music.c_str(), wavPath.c_str(), options.start, options.fps, options.frames))
            return 1;
    }

    // Channel levels come from the same decode, for a script that reads them.
    const bool withLevels = withMusic && graph.readsChannelLevels();
    if (withLevels) audio.recordChannelLevels();

    std::vector<uint8_t> packed(static_cast<size_t>(output->width) * output->height * 3);
    for (int k = 0; k < options.frames; ++k) {
        if (withMusic) musicPosition->set(audio.positionForFrame(k));
        if (withLevels) musicPosition->setChannelLevels(audio.channelLevelsForFrame(k));
        FrameInput frame = graph.readMusicInput();
        frame.seconds = static_cast<float>(options.start + k / options.fps);
        graph.evaluateFrame(*output, frame);

        char name[32];
        std::snprintf(name, sizeof name, "frame_%05d.bmp", k);
        const std::string path = (std::filesystem::path(options.outDir) / name).string();
        packPixels24(output->pixels, packed.data(), output->pixelCount());
        if (writeBmp(path.c_str(), packed.data(), output->width, output->height, 24, nullptr) != 0) {
            std::fprintf(stderr, "velmora render: cannot write '%s'\n", path.c_str());
            return 1;
        }
    }
    if (withMusic && !audio.finish()) {
        std::fprintf(stderr, "velmora render: cannot write '%s'\n",
                     (std::filesystem::path(options.outDir) / "audio.wav").string().c_str());
        return 1;
    }
    return 0;
}

}  // namespace velmora
