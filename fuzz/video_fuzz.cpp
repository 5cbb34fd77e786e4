// Fuzz target: the video export. The input is `velmora render` options, one a
// line, up to the first NUL; what follows fills the frames' pixels and the
// sound. Options that parse are exported like `render --video` would, to a
// file of the same kind in a scratch directory: at most three frames, and
// frames no larger than 1024x512 so that each run stays quick. Every step
// ends in a file or a message, never in a crash.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "host/app/CommandLine.h"
#include "host/commands/RenderSettings.h"
#include "host/outputs/VideoExport.h"

using namespace velmora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = (fuzz::prepareScratch(), true);
    (void)ready;
    const uint8_t* end = std::find(data, data + size, uint8_t{0});
    std::vector<std::string> args{"render"};
    args.emplace_back();
    for (const uint8_t* p = data; p < end; ++p) {
        if (*p == '\n') args.emplace_back();
        else args.back().push_back(static_cast<char>(*p));
    }
    if (args.back().empty()) args.pop_back();
    const uint8_t* payload = end < data + size ? end + 1 : end;
    const size_t payloadSize = static_cast<size_t>(data + size - payload);

    CommandLineOptions options;
    std::ostringstream out, err;
    if (parseCommandLine(args, options, out, err) || options.render.video.empty()) return 0;
    RenderOptions& render = options.render;
    // The same kind of file, in the scratch directory.
    const size_t dot = render.video.find_last_of('.');
    render.video = "out" + render.video.substr(dot);
    const auto format = videoFormatForPath(render.video);
    if (!format) __builtin_trap();  // the checks let only known formats through
    const FrameLayout layout = videoLayout(render, *format, 512, 256);
    if (layout.width > 1024 || layout.height > 512) return 0;

    std::vector<uint32_t> pixels(512 * 256);
    std::vector<int16_t> sound(2 * 882);
    auto fill = [&](int frame) {
        for (size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = payloadSize ? payload[(i * 3 + frame) % payloadSize] * 0x010203u & 0xFFFFFF : 0;
        for (size_t i = 0; i < sound.size(); ++i)
            sound[i] = static_cast<int16_t>(payloadSize ? payload[(i + frame) % payloadSize] << 7 : 0);
    };
    VideoExport video;
    if (!video.open(render, 512, 256, true)) return 0;
    const int frames = std::min(render.frames.value_or(1), 3);
    for (int k = 0; k < frames; ++k) {
        fill(k);
        video.soundOutput()(sound.data(), sound.size() / 2);
        if (!video.addFrame(pixels.data())) return 0;
    }
    video.finish();
    return 0;
}
