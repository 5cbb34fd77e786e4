// Surface creation: sizing from the script's text, JPEG pictures, clearing.
#include "surface/Surface.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>

#include "core/Error.h"
#include "surface/JpegDecode.h"
#include "surface/PngDecode.h"
#include "surface/PictureDiagnosis.h"
#include "core/PixelMath.h"

namespace velmora {

namespace {

constexpr int32_t kMaxConfiguredSide = 2048;
constexpr const char* kBadSize = "TAILLE DE LA SURFACE NON VALIDE";
constexpr const char* kBadPicture = "ERREUR A LA LECTURE D'UNE SURFACE";

// Reads one "%d" field: optional white space, an optional sign, digits.
// A value that does not fit in 32 bits counts as no value at all.
bool scanInt(std::string_view text, size_t& pos, int32_t& value) {
    while (pos < text.size() && std::isspace(static_cast<unsigned char>(text[pos]))) ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    int64_t magnitude = 0;
    size_t digits = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
        magnitude = magnitude * 10 + (text[pos] - '0');
        if (magnitude > int64_t{1} << 31) return false;
        ++pos;
        ++digits;
    }
    if (digits == 0) return false;
    const int64_t signedValue = negative ? -magnitude : magnitude;
    if (signedValue > INT32_MAX) return false;
    value = static_cast<int32_t>(signedValue);
    return true;
}

// Why a surface's text is no size: most often a file name without its quotes.
std::string describeBadSize(std::string_view text) {
    const std::string shown(text.substr(0, text.find_last_not_of(" \t\r\n") + 1));
    const bool looksLikeFile = shown.find('.') != std::string::npos || shown.find('/') != std::string::npos;
    const bool startsNumeric = !shown.empty() && (std::isdigit(static_cast<unsigned char>(shown[0])) ||
                                                  shown[0] == '-' || shown[0] == '+');
    if (looksLikeFile && !startsNumeric)
        return "'" + shown + "' is neither W H nor a quoted file name: write \"" + shown + "\"";
    return "'" + shown + "' is not W H, two whole numbers from 1 to " + std::to_string(kMaxConfiguredSide) +
           ", nor a quoted JPEG file name";
}

}  // namespace

void Surface::configure(std::string_view text, SurfaceBudget* budget, const StopCheck* stop) {
    size_t pos = 0;
    while (pos < text.size() && text[pos] == ' ') ++pos;  // spaces only, not tabs
    const size_t pos0 = pos;

    if (pos < text.size() && text[pos] == '"') {
        // The last character of the whole text is taken for the closing quote,
        // whatever it is.
        const size_t begin = pos + 1;
        const size_t end = text.size() - 1;
        const std::string path(end > begin ? text.substr(begin, end - begin) : std::string_view{});
        int refused = 1;
        std::string reason;
        try {
            refused = loadJpeg(path.c_str(), budget, &reason, stop);
        } catch (ShowError& damaged) {
            damaged.checkMessage = kBadPicture;  // the checker names the step, the show prints libjpeg's text
            if (damaged.reason.empty()) damaged.reason = diagnosePicture(path.c_str());
            throw;
        }
        if (refused) fatalError(kBadPicture, reason, path);
        if (budget) budget->take(static_cast<uint64_t>(width), static_cast<uint64_t>(height));
        return;
    }

    int32_t w = 0, h = 0;
    const bool scanned = scanInt(text, pos, w) && scanInt(text, pos, h);
    if (!scanned || w > kMaxConfiguredSide || h > kMaxConfiguredSide || h <= 0 || w <= 0)
        fatalError(kBadSize, describeBadSize(text.substr(pos0)));
    if (budget) {
        const uint64_t width64 = static_cast<uint64_t>(w), height64 = static_cast<uint64_t>(h);
        const std::string overBudget = budget->refusal({}, width64, height64);
        if (!overBudget.empty()) fatalError(kBadSize, overBudget);
        budget->take(width64, height64);
    }
    allocate(w, h);
}

int Surface::loadJpeg(const char* path, const SurfaceBudget* budget, std::string* reason, const StopCheck* stop) {
    DecodedJpeg picture;
    if (decodePictureFile(path, picture, budget, reason, stop) != 0) {
        // A limit that refused the picture has said why; otherwise find out.
        if (reason && reason->empty()) *reason = diagnosePicture(path);
        return 1;
    }
    // Colour pictures come as R, G, B; grey-level ones repeat the grey in all
    // three channels. Other layouts (CMYK) are not pictures we can show.
    if (picture.components != 3 && picture.components != 1) {
        if (reason) *reason = describeJpegChannels(picture.components);
        return 1;
    }

    allocate(picture.width, picture.height);
    const size_t count = pixelCount();
    const uint8_t* in = picture.samples.data();
    if (picture.components == 3) {
        for (size_t i = 0; i < count; ++i, in += 3) pixels[i] = packRgb(in[0], in[1], in[2]);
    } else {
        for (size_t i = 0; i < count; ++i) pixels[i] = packRgb(in[i], in[i], in[i]);
    }
    return 0;
}

void Surface::clear() {
    if (pixels) std::memset(pixels, 0, pixelCount() * sizeof(uint32_t));
}

void Surface::allocate(int32_t w, int32_t h) {
    // A new array every time: sizing an already sized surface replaces it.
    if (w <= 0 || h <= 0) {
        storage_ = std::vector<uint32_t>();
        width = 0;
        height = 0;
        pixels = nullptr;
        return;
    }
    storage_ = std::vector<uint32_t>(static_cast<size_t>(w) * static_cast<size_t>(h));
    width = w;
    height = h;
    pixels = storage_.data();
}

}  // namespace velmora
