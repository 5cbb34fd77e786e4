// VideoExport: options to VideoSettings, and the temporary file around the writer.
#include "host/outputs/VideoExport.h"

#include <string>

#include "host/commands/RenderSettings.h"

namespace velmora {

std::optional<std::string> VideoExport::open(const RenderOptions& options, int width, int height, bool withSound) {
    const VideoFormat format = *videoFormatForPath(options.video);
    file_.emplace(options.video);
    if (file_->tempPath().empty()) {
        std::string problem = "cannot create '" + options.video + "': " + file_->openError();
        abandon();
        return problem;
    }
    VideoSettings settings;
    settings.path = file_->tempPath();
    settings.name = options.video;
    settings.format = format;
    settings.sourceWidth = width;
    settings.sourceHeight = height;
    settings.layout = videoLayout(options, format, width, height);
    settings.smooth = options.smooth;
    settings.fpsNumerator = options.fps.numerator;
    settings.fpsDenominator = options.fps.denominator;
    settings.crf = options.crf >= 0 ? options.crf : format.defaultCrf;
    settings.preset = options.preset.empty() ? format.defaultPreset : options.preset;
    if (options.preset.empty()) settings.encoderParams = format.defaultPresetParams;
    settings.withSound = withSound && *format.audioEncoder != 0;
    std::string error;
    if (!writer_.open(settings, error)) {
        abandon();
        return error;
    }
    return std::nullopt;
}

RenderAudio::SoundOutput VideoExport::soundOutput() {
    return [this](const int16_t* samples, size_t frames) { writer_.addSound(samples, frames); };
}

std::optional<std::string> VideoExport::addFrame(const uint32_t* pixels) {
    if (writer_.addFrame(pixels)) return std::nullopt;
    std::optional<std::string> problem = finish();  // says why
    return problem ? problem : std::string();  // failed all the same
}

std::optional<std::string> VideoExport::finish() {
    std::string error;
    if (!writer_.finish(error)) {
        abandon();
        return error;
    }
    if (!file_->commit(error)) {
        std::string problem = "cannot write '" + file_->target() + "': " + error;
        abandon();
        return problem;
    }
    return std::nullopt;
}

void VideoExport::abandon() {
    writer_.abandon();
    file_.reset();
}

}  // namespace velmora
