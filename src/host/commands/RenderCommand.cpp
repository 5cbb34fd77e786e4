// Headless rendering: the script loaded as at start-up, the clock stepped by
// 1/fps, each frame written in the screenshot format or encoded into a video.
#include "host/commands/RenderCommand.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <system_error>
#include <vector>

#include "core/ThreadCount.h"
#include "core/AtomicFile.h"
#include "host/app/Interruption.h"
#include "host/outputs/RenderAudio.h"
#include "host/commands/RenderProgress.h"
#include "host/commands/RenderSettings.h"
#include "show/ShowSession.h"
#include "show/MusicTransport.h"
#include "host/app/StandardOutput.h"
#include "host/app/Startup.h"
#include "host/outputs/VideoExport.h"
#include "platform/ModuleStream.h"
#include "script/DemoGraph.h"
#include "script/ScriptChecker.h"
#include "surface/Bmp.h"

#include <openssl/evp.h>

namespace velmora {

namespace {

std::string frameName(const RenderOptions& options, int k) {
    char name[32];
    std::snprintf(name, sizeof name, "frame_%05d.bmp", k);
    return (std::filesystem::path(options.outDir) / name).string();
}

// Frame k as DIR/frame_NNNNN.bmp, complete or not at all; the reason when not.
std::optional<std::string> writeFrameBmp(const RenderOptions& options, int k, const Surface& output,
                                         std::vector<uint8_t>& packed) {
    AtomicFile file(frameName(options, k));
    packPixels24(output.pixels, packed.data(), output.pixelCount());
    errno = 0;
    std::string error = file.openError();
    if (!error.empty() || writeBmp(file.tempPath().c_str(), packed.data(), output.width, output.height, 24, nullptr) != 0 ||
        !file.commit(error)) {
        if (error.empty() && errno != 0) error = std::strerror(errno);
        return "cannot write '" + file.target() + "'" + (error.empty() ? "" : ": ") + error;
    }
    return std::nullopt;
}

// Every file the render will replace is a regular file or absent: told
// before the first frame, not after the encode. The reason when one is not.
std::optional<std::string> targetsProblem(const RenderOptions& options, int frames, bool withMusic) {
    std::vector<std::string> targets;
    if (!options.video.empty()) {
        targets.push_back(options.video);
    } else {
        if (withMusic) targets.push_back((std::filesystem::path(options.outDir) / "audio.wav").string());
        for (int k = 0; k < frames; ++k) targets.push_back(frameName(options, k));
    }
    for (const std::string& target : targets) {
        if (const std::optional<std::string> problem = replaceProblem(target))
            return "cannot write '" + target + "': " + *problem;
    }
    return std::nullopt;
}

// "frame K HEX": the SHA-256 of the frame's pixels as little-endian 32-bit
// 0x00RRGGBB words, top row first, the same bytes on any machine.
std::optional<std::string> printFrameHash(int k, const Surface& output, std::vector<uint8_t>& bytes) {
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
    if (EVP_Digest(bytes.data(), 4 * count, digest, &length, EVP_sha256(), nullptr) != 1)
        return "cannot compute the SHA-256 of frame " + std::to_string(k);
    std::printf("frame %d ", k);
    for (unsigned int i = 0; i < length; ++i) std::printf("%02x", digest[i]);
    std::printf("\n");
    // Each line out at once: a reader that went away (`| head -1`) ends the
    // render now, not when a buffer fills.
    return standardOutputProblem();
}

// The music as the render's frames hear it: the module decoded offline in
// step with them (the same decode gives the WAV or the video its sound).
class RenderMusic : public MusicTransport {
public:
    explicit RenderMusic(RenderAudio& audio) : audio_(audio) {}
    uint32_t channelPosition() override { return last_; }
    uint32_t positionAt(double seconds) override { return last_ = audio_.positionAt(seconds); }
    std::span<const float> channelLevelsAt(double seconds) override { return audio_.channelLevelsAt(seconds); }
    std::span<const int64_t> orderStartRows() override { return audio_.orderStartRows(); }

private:
    RenderAudio& audio_;
    uint32_t last_ = 0;
};

}  // namespace

CommandOutcome runRender(const RenderOptions& options) {
    // From the start: a file may be created before the first frame.
    catchInterruptions();
    const bool toVideo = !options.video.empty();
    if (toVideo)
        if (auto problem = targetsProblem(options, 0, false)) return CommandOutcome::failed(*problem);
    if (!toVideo && !options.hash) {
        std::error_code ec;
        std::filesystem::create_directories(options.outDir, ec);
        if (ec || !std::filesystem::is_directory(options.outDir))
            return CommandOutcome::failed("cannot create the directory '" + options.outDir + "'");
    }

    // The frames are evaluated by the show's session, at their times.
    RenderAudio audio;
    auto fixedPosition = std::make_unique<FixedMusicPosition>(options.musicPosition.value_or(0));
    // The song's rows, from the module even at a fixed --position.
    if (options.musicPosition) fixedPosition->setOrderStartRows(readOrderStartRows(options.music.c_str()));
    ShowSession session(chosenThreadCount(options.threads), std::move(fixedPosition));
    loadScriptOrDie(session, options.script, options.surfaceBudgetBytes, standardErrorReporter(),
                    interruptionStopCheck());
    DemoGraph& graph = session.graph();
    auto output = makeOutputSurface();

    // Without a fixed position the frames follow the music file, and its sound
    // for the rendered frames goes to DIR/audio.wav or into the video; a module
    // the show would stop on is refused as the show's other files are.
    const bool withMusic = !options.musicPosition;
    if (withMusic) {
        const std::vector<ScriptProblem> music = moduleFindings(options.music);
        printProblems(stderr, options.music, music);
        if (refuses(music)) return CommandOutcome::failed({});
        audio.load(options.music.c_str());
        session.setMusic(std::make_unique<RenderMusic>(audio));
    }
    if (interruptionSignal()) throw LoadInterrupted();  // asked while the music loaded
    if (rendersUntilEnd(options) && !withMusic)
        return CommandOutcome::failed("the length of the music is needed (--position fixes it); give --frames or --seconds");
    std::string error;
    const auto frames = renderFrameCount(options, withMusic ? audio.musicSeconds() : 0.0, error);
    if (!frames) return CommandOutcome::failed(error);

    if (!toVideo && !options.hash)
        if (auto problem = targetsProblem(options, *frames, withMusic)) return CommandOutcome::failed(*problem);

    // Channel levels come from the same decode, for a script that reads them.
    if (withMusic && graph.readsChannelLevels()) audio.recordChannelLevels();

    VideoExport video;
    std::string soundProblem;
    if (toVideo) {
        if (auto problem = video.open(options, output->width, output->height, withMusic))
            return CommandOutcome::failed(*problem);
        if (withMusic) soundProblem = audio.streamSound(video.soundOutput(), options.start, options.fps.perSecond, *frames);
    } else if (withMusic && options.hash) {
        // No file: the decode only places the frames in the music.
        soundProblem = audio.streamSound([](const int16_t*, size_t) {}, options.start, options.fps.perSecond, *frames);
    } else if (withMusic) {
        const std::string wavPath = (std::filesystem::path(options.outDir) / "audio.wav").string();
        soundProblem = audio.writeWav(wavPath.c_str(), options.start, options.fps.perSecond, *frames);
    }
    if (!soundProblem.empty()) return CommandOutcome::failed(soundProblem);

    // Stateful boxes advance once per evaluated frame: the frames a render
    // from 0 evaluates before --start, at their times, and nothing written.
    const int preroll = prerollFrameCount(options);
    RenderProgress progress(preroll + *frames, RenderProgress::styleFor(stderr, options.quiet));
    const auto started = std::chrono::steady_clock::now();
    double evaluation = 0.0;
    auto evaluate = [&](double seconds) {
        const auto start = std::chrono::steady_clock::now();
        session.evaluateAt(seconds, *output);
        evaluation += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    auto interrupted = [&](int written) {
        progress.finish();
        if (toVideo) {
            video.abandon();
            return CommandOutcome::failed("interrupted; '" + options.video + "' not written", interruptionExitStatus());
        }
        return CommandOutcome::failed("interrupted after " + std::to_string(written) + " of " +
                                          std::to_string(*frames) + " frames",
                                      interruptionExitStatus());
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

        std::optional<std::string> failure;
        if (toVideo) {
            failure = video.addFrame(output->pixels);
        } else {
            failure = options.hash ? printFrameHash(k, *output, packed) : writeFrameBmp(options, k, *output, packed);
        }
        if (failure) {
            progress.finish();
            return CommandOutcome::failed(*failure);
        }
        progress.update(preroll + k + 1);
    }
    progress.finish();
    if (withMusic && !audio.finish())
        return CommandOutcome::failed("cannot write '" +
                                      (std::filesystem::path(options.outDir) / "audio.wav").string() +
                                      "': " + audio.writeError());
    if (toVideo)
        if (auto problem = video.finish()) return CommandOutcome::failed(*problem);
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
        if (auto problem = standardOutputProblem()) return CommandOutcome::failed(*problem);
    }
    return {};
}

}  // namespace velmora
