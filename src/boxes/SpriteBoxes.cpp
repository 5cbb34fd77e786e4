// Sprite and animator boxes: choose the compositing operation from the
// functions' values; the animator draws a view of one frame of its strip, and
// drawn onto that strip, draws within the frame.
#include "boxes/SpriteBoxes.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/NearestWord.h"
#include "core/PixelMath.h"

namespace velmora {

void BoxSprite::configure(const char* text, ErrorReporter& reporter) {
    char word[32] = "";
    std::sscanf(text ? text : "", "%31s", word);
    if (std::strcmp(word, "put") == 0) {
        mode = kPut;
    } else if (std::strcmp(word, "add") == 0) {
        mode = kAdd;
    } else {
        mode = kNoMode;
        constexpr std::string_view kModes[] = {"put", "add"};
        reporter.report("ZYL_BoxSprite MODE non valide!!", describeWordChoice(word, "a sprite mode", kModes));
        return;
    }
}

void BoxSprite::draw(Surface& output, FunctionList functions, SurfaceList inputs, WorkerPool*) {
    drawSprite(output, functions, *inputs[0]);
}

void BoxSprite::drawSprite(Surface& output, FunctionList functions, PixelView source) {
    if (!isOn(*functions[4]) || !isOn(*functions[3])) return;
    if (mode != kPut && mode != kAdd) return;
    if (!source.pixels || source.width <= 0 || source.height <= 0 || !output.pixels) return;

    const int32_t x = truncToInt(functions[0]->value());
    const int32_t y = truncToInt(functions[1]->value());
    const float zoom = functions[2]->value();
    const float intensity = functions[3]->value();
    // Above 1.0 the factor would leave the 0..255 range the operations expect.
    const int32_t factor = std::clamp(truncToInt(static_cast<double>(intensity) * 255.0), 0, 255);

    // Exactly 1.0 draws the colours unchanged; any other intensity scales them
    // by factor/256 (0.999 gives 254/256).
    const bool fullIntensity = intensity == 1.0f;
    const Blend blend = mode == kPut ? (fullIntensity ? Blend::Put : Blend::Scaled)
                                     : (fullIntensity ? Blend::Add : Blend::AddScaled);
    output.drawCentered(source, x, y, zoom, blend, factor);
}

void BoxAnimator::configure(const char* text, ErrorReporter& reporter) {
    char word[32] = "";
    std::sscanf(text ? text : "", "%31s %d", word, &frameHeight);
    sprite.configure(word, reporter);
}

void BoxAnimator::draw(Surface& output, FunctionList functions, SurfaceList inputs, WorkerPool*) {
    Surface& strip = *inputs[0];
    if (!strip.pixels || strip.width <= 0 || frameHeight <= 0 || frameHeight > strip.height)
        return;

    // Frames outside the strip are clamped to its first and last frame.
    const int32_t lastFrame = strip.height / frameHeight - 1;
    const int32_t k =
        std::clamp(truncToInt(static_cast<double>(functions[5]->value()) * 15.0), 0, lastFrame);
    const PixelView frame = PixelView(strip).rows(k * frameHeight, frameHeight);
    if (&output != &strip) {
        sprite.drawSprite(output, functions, frame);
        return;
    }

    // Drawn onto its own strip, the box narrows the one surface to the frame:
    // the sprite is placed within that frame's rows, not on the whole strip.
    // The strip gets its full height and pixels back before the next line.
    const int32_t fullHeight = strip.height;
    uint32_t* const fullPixels = strip.pixels;
    strip.height = frameHeight;
    strip.pixels = fullPixels + static_cast<size_t>(k) * static_cast<size_t>(strip.width) *
                                    static_cast<size_t>(frameHeight);
    sprite.drawSprite(strip, functions, frame);
    strip.height = fullHeight;
    strip.pixels = fullPixels;
}

}  // namespace velmora
