// One video file encoded with FFmpeg's libraries: the show's frames scaled and
// converted for the video encoder, the 44100 Hz music for the audio encoder,
// both muxed into the container. Frames on one thread and sound on another
// may be encoded at the same time (VideoWriter does); open and finish on
// their own. No FFmpeg type shows here.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "video/FrameLayout.h"
#include "video/VideoFormat.h"

namespace velmora {

struct VideoSettings {
    std::string path;     // the file written (a temporary name, renamed by the caller)
    std::string name;     // the file as messages name it
    VideoFormat format;
    int sourceWidth = 512, sourceHeight = 256;
    FrameLayout layout;
    bool smooth = false;  // scale with a bicubic filter instead of whole blocks
    int fpsNumerator = 50, fpsDenominator = 1;
    int crf = 0;
    std::string preset;
    std::string encoderParams;  // x264's own "key=value:key=value" settings, after the preset's
    bool withSound = false;  // 44100 Hz 16-bit stereo
};

// Seconds spent in each step, summed over the file.
struct VideoTimes {
    double conversion = 0.0;  // scaling and colours (a GIF's frames handed to the palette filters)
    double encoding = 0.0;    // the video encoder (a GIF's palette too)
    double muxing = 0.0;      // packets written to the file, both streams
    double sound = 0.0;       // resampling and encoding the sound
};

class VideoEncoder {
public:
    VideoEncoder();
    ~VideoEncoder();
    VideoEncoder(const VideoEncoder&) = delete;
    VideoEncoder& operator=(const VideoEncoder&) = delete;

    // Creates the file and writes the container's header. False, with a
    // message naming the file in `error`, when an encoder is missing, refuses
    // the settings, or the file cannot be created.
    bool open(const VideoSettings& settings, std::string& error);
    // Encodes the next frame (sourceWidth x sourceHeight 0x00RRGGBB pixels).
    bool encodeFrame(const uint32_t* pixels, std::string& error);
    // Encodes interleaved left, right sound frames that follow those sent before.
    bool encodeSound(const int16_t* samples, size_t frames, std::string& error);
    // Drains the encoders and writes the trailer; the file is then complete.
    bool finish(std::string& error);
    // The time spent so far (until close).
    VideoTimes times() const;
    // Closes the file wherever it stands (the caller removes it).
    void close();

private:
    struct State;
    std::unique_ptr<State> state_;
};

// The message for an encoder that this FFmpeg lacks, or empty when it has it.
std::string missingEncoderMessage(const char* encoder, const std::string& fileName);

}  // namespace velmora
