// VideoExport: options to VideoSettings, and the temporary file around the writer.
#include "host/outputs/VideoExport.h"

#include <cstdio>
#include <string>

#include "host/commands/RenderSettings.h"

namespace velmora {

namespace {
void report(const std::string& message) { std::fprintf(stderr, "velmora render: %s\n", message.c_str()); }
}  // namespace

bool VideoExport::open(const RenderOptions& options, int width, int height, bool withSound) {
    const VideoFormat format = *videoFormatForPath(options.video);
    file_.emplace(options.video);
    if (file_->tempPath().empty()) {
        report("cannot create '" + options.video + "': " + file_->openError());
        abandon();
        return false;
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
        report(error);
        abandon();
        return false;
    }
    return true;
}

RenderAudio::SoundOutput VideoExport::soundOutput() {
    return [this](const int16_t* samples, size_t frames) { writer_.addSound(samples, frames); };
}

bool VideoExport::addFrame(const uint32_t* pixels) {
    if (writer_.addFrame(pixels)) return true;
    finish();  // tells why
    return false;
}

bool VideoExport::finish() {
    std::string error;
    if (!writer_.finish(error)) {
        report(error);
        abandon();
        return false;
    }
    if (!file_->commit(error)) {
        report("cannot write '" + file_->target() + "': " + error);
        abandon();
        return false;
    }
    return true;
}

void VideoExport::abandon() {
    writer_.abandon();
    file_.reset();
}

}  // namespace velmora
