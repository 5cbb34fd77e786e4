// Headless rendering: the script loaded as at start-up, the clock stepped by
// 1/fps, each frame written in the screenshot format or encoded into a video.
#include "host/RenderCommand.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

#include "core/ThreadCount.h"
#include "core/AtomicFile.h"
#include "host/Interruption.h"
#include "host/RenderAudio.h"
#include "host/RenderProgress.h"
#include "host/RenderSettings.h"
#include "host/ShowSession.h"
#include "host/StandardOutput.h"
#include "host/Startup.h"
#include "host/VideoExport.h"
#include "script/DemoGraph.h"
#include "surface/Bmp.h"

#include <openssl/evp.h>

namespace velmora {

namespace {

std::string frameName(const RenderOptions& options, int k) {
    char name[32];
    std::snprintf(name, sizeof name, "frame_%05d.bmp", k);
    return (std::filesystem::path(options.outDir) / name).string();
}

// Frame k as DIR/frame_NNNNN.bmp, complete or not at all.
bool writeFrameBmp(const RenderOptions& options, int k, const Surface& output, std::vector<uint8_t>& packed) {
    AtomicFile file(frameName(options, k));
    packPixels24(output.pixels, packed.data(), output.pixelCount());
    errno = 0;
    std::string error = file.openError();
    if (!error.empty() || writeBmp(file.tempPath().c_str(), packed.data(), output.width, output.height, 24, nullptr) != 0 ||
        !file.commit(error)) {
        if (error.empty() && errno != 0) error = std::strerror(errno);
        std::fprintf(stderr, "velmora render: cannot write '%s'%s%s\n", file.target().c_str(),
                     error.empty() ? "" : ": ", error.c_str());
        return false;
    }
    return true;
}

// Every file the render will replace is a regular file or absent: told
// before the first frame, not after the encode.
bool targetsReplaceable(const RenderOptions& options, int frames, bool withMusic) {
    std::vector<std::string> targets;
    if (!options.video.empty()) {
        targets.push_back(options.video);
    } else {
        if (withMusic) targets.push_back((std::filesystem::path(options.outDir) / "audio.wav").string());
        for (int k = 0; k < frames; ++k) targets.push_back(frameName(options, k));
    }
    for (const std::string& target : targets) {
        if (const std::optional<std::string> problem = replaceProblem(target)) {
            std::fprintf(stderr, "velmora render: cannot write '%s': %s\n", target.c_str(), problem->c_str());
            return false;
        }
    }
    return true;
}

// "frame K HEX": the SHA-256 of the frame's pixels as little-endian 32-bit
// 0x00RRGGBB words, top row first, the same bytes on any machine.
bool printFrameHash(int k, const Surface& output, std::vector<uint8_t>& bytes) {
    const size_t count = output.pixelCount();
    for (size_t i = 0; i < count; ++i) {
        const uint32_t word = output.pixels[i] & 0xFFFFFFu;
        bytes[4 * i] = static_cast<uint8_t>(word);
        bytes[4 * i + 1] = static_cast<uint8_t>(word >> 8);
        bytes[4 * i + 2] = static_cast<uint8_t>(word >> 16);
        bytes[4 * i + 3] = 0;
    }
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_Digest(bytes.data(), 4 * count, digest, &length, EVP_sha256(), nullptr) != 1) {
        std::fprintf(stderr, "velmora render: cannot compute the SHA-256 of frame %d\n", k);
        return false;
    }
    std::printf("frame %d ", k);
    for (unsigned int i = 0; i < length; ++i) std::printf("%02x", digest[i]);
    std::printf("\n");
    // Each line out at once: a reader that went away (`| head -1`) ends the
    // render now, not when a buffer fills.
    return flushedStandardOutput("velmora render");
}

}  // namespace

int runRender(const RenderOptions& options) {
    // From the start: a file may be created before the first frame.
    catchInterruptions();
    const bool toVideo = !options.video.empty();
    if (toVideo && !targetsReplaceable(options, 0, false)) return 1;
    if (!toVideo && !options.hash) {
        std::error_code ec;
        std::filesystem::create_directories(options.outDir, ec);
        if (ec || !std::filesystem::is_directory(options.outDir)) {
            std::fprintf(stderr, "velmora render: cannot create the directory '%s'\n", options.outDir.c_str());
            return 1;
        }
    }

    // The session brings the threads; each frame's input is built here.
    ShowSession session(chosenThreadCount(options.threads));
    {
        auto loaded = std::make_unique<DemoGraph>();
        loaded->setSurfaceBudget(options.surfaceBudgetBytes);
        loaded->setStopCheck(interruptionStopCheck());
        loadScriptOrDie(*loaded, options.script.c_str());
        session.setGraph(std::move(loaded));
    }
    DemoGraph& graph = session.graph();
    auto output = makeOutputSurface();

    // Without a fixed position the frames follow the music file, when there is
    // one, and its sound for the rendered frames goes to DIR/audio.wav or into
    // the video.
    std::error_code musicError;
    const bool withMusic = !options.musicPosition && std::filesystem::exists(options.music, musicError);
    RenderAudio audio;
    if (withMusic) audio.load(options.music.c_str());
    if (rendersUntilEnd(options) && !withMusic) {
        std::fprintf(stderr, "velmora render: the length of the music is needed (%s); give --frames or --seconds\n",
                     options.musicPosition ? "--position fixes it" : ("no '" + options.music + "'").c_str());
        return 1;
    }
    if (interruptionSignal()) throw LoadInterrupted();  // asked while the music loaded
    std::string error;
    const auto frames = renderFrameCount(options, withMusic ? audio.musicSeconds() : 0.0, error);
    if (!frames) {
        std::fprintf(stderr, "velmora render: %s\n", error.c_str());
        return 1;
    }

    if (!toVideo && !options.hash && !targetsReplaceable(options, *frames, withMusic)) return 1;

    // Channel levels come from the same decode, for a script that reads them.
    const bool withLevels = withMusic && graph.readsChannelLevels();
    if (withLevels) audio.recordChannelLevels();

    VideoExport video;
    if (toVideo) {
        if (!video.open(options, output->width, output->height, withMusic)) return 1;
        if (withMusic && !audio.streamSound(video.soundOutput(), options.start, options.fps.perSecond, *frames)) return 1;
    } else if (withMusic && options.hash) {
        // No file: the decode only places the frames in the music.
        if (!audio.streamSound([](const int16_t*, size_t) {}, options.start, options.fps.perSecond, *frames))
            return 1;
    } else if (withMusic) {
        const std::string wavPath = (std::filesystem::path(options.outDir) / "audio.wav").string();
        if (!audio.writeWav(wavPath.c_str(), options.start, options.fps.perSecond, *frames)) return 1;
    }

    // Stateful boxes advance once per evaluated frame: the frames a render
    // from 0 evaluates before --start, at their times, and nothing written.
    const int preroll = prerollFrameCount(options);
    RenderProgress progress(preroll + *frames, RenderProgress::styleFor(stderr, options.quiet));
    const auto started = std::chrono::steady_clock::now();
    double evaluation = 0.0;
    auto evaluate = [&](double seconds) {
        const auto start = std::chrono::steady_clock::now();
        FrameInput frame;
        frame.seconds = static_cast<float>(seconds);
        frame.position = trackerPositionOf(withMusic ? audio.positionAt(seconds) : options.musicPosition.value_or(0));
        if (withLevels) frame.channelLevels = audio.channelLevelsAt(seconds);
        graph.evaluate(frame, *output);
        evaluation += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    auto interrupted = [&](int written) {
        progress.finish();
        if (toVideo) {
            video.abandon();
            std::fprintf(stderr, "velmora render: interrupted; '%s' not written\n", options.video.c_str());
        } else {
            std::fprintf(stderr, "velmora render: interrupted after %d of %d frames\n", written, *frames);
        }
        return interruptionExitStatus();
    };
    for (int j = 0; j < preroll; ++j) {
        if (interruptionSignal()) return interrupted(0);
        evaluate(0.0 + j / options.fps.perSecond);
        progress.update(j + 1);
    }

    std::vector<uint8_t> packed(static_cast<size_t>(output->width) * output->height * (options.hash ? 4 : 3));
    for (int k = 0; k <= *frames; ++k) {
        if (interruptionSignal()) return interrupted(k);
        if (k == *frames) break;  // a last look for an interruption before the files are completed

        evaluate(options.start + k / options.fps.perSecond);

        const bool written = toVideo       ? video.addFrame(output->pixels)
                             : options.hash ? printFrameHash(k, *output, packed)
                                            : writeFrameBmp(options, k, *output, packed);
        if (!written) {
            progress.finish();
            return 1;
        }
        progress.update(preroll + k + 1);
    }
    progress.finish();
    if (withMusic && !audio.finish()) {
        std::fprintf(stderr, "velmora render: cannot write '%s': %s\n",
                     (std::filesystem::path(options.outDir) / "audio.wav").string().c_str(), audio.writeError().c_str());
        return 1;
    }
    if (toVideo && !video.finish()) return 1;
    if (toVideo && options.timing) {
        // The steps overlap: evaluation on this thread, the video and the sound on threads of their own.
        const VideoTimes times = video.times();
        const double total = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        std::fprintf(stderr,
                     "velmora render: %d frames (%d before the first) in %.2f s: evaluation %.2f s, conversion "
                     "%.2f s, encoding %.2f s, muxing %.2f s, sound %.2f s\n",
                     preroll + *frames, preroll, total, evaluation, times.conversion, times.encoding, times.muxing,
                     times.sound);
    }
    if (options.hash) {
        std::printf("done\n");
        if (!flushedStandardOutput("velmora render")) return 1;
    }
    return 0;
}

}  // namespace velmora
