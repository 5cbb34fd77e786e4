// PngDecode: libpng's reading with its transformations set so that every kind
// of PNG arrives as 8-bit grey or 8-bit RGB rows.
#include "surface/PngDecode.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "core/RegularFile.h"

namespace velmora {

namespace {

// Everything the decoder must release, kept outside the function that libpng
// may leave by longjmp so that no destructor is skipped.
struct PngReader {
    std::FILE* file = nullptr;
    png_structp png = nullptr;
    png_infop info = nullptr;
    std::string message;  // libpng's reason, when it gave up
    const StopCheck* stop = nullptr;  // asked after every row
    bool interrupted = false;
    ~PngReader() {
        if (png) png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
        if (file) std::fclose(file);
    }
};

void keepError(png_structp png, png_const_charp message) {
    static_cast<PngReader*>(png_get_error_ptr(png))->message = message;
    png_longjmp(png, 1);
}
void ignoreWarning(png_structp, png_const_charp) {}

// After each row (each pass's row, for an interlaced picture): a large picture takes a while.
void askToStop(png_structp png, png_uint_32, int) {
    PngReader* reader = static_cast<PngReader*>(png_get_error_ptr(png));
    if (reader->stop && *reader->stop && (*reader->stop)()) {
        reader->interrupted = true;
        png_error(png, "interrupted");
    }
}

// The header, with the transformations that give 8-bit grey or RGB; false
// (and `message`) when libpng gave up.
bool readHeader(PngReader& reader, uint32_t& width, uint32_t& height, int& components) {
    if (setjmp(png_jmpbuf(reader.png))) return false;
    png_init_io(reader.png, reader.file);
    png_set_read_status_fn(reader.png, askToStop);
    png_read_info(reader.png, reader.info);
    width = png_get_image_width(reader.png, reader.info);
    height = png_get_image_height(reader.png, reader.info);
    const int type = png_get_color_type(reader.png, reader.info);
    png_set_scale_16(reader.png);
    png_set_packing(reader.png);
    if (type == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(reader.png);
    if (type == PNG_COLOR_TYPE_GRAY) png_set_expand_gray_1_2_4_to_8(reader.png);
    // The palette's expansion also turns a tRNS chunk into an alpha channel:
    // dropped like any other alpha (the compositing has none).
    if ((type & PNG_COLOR_MASK_ALPHA) || png_get_valid(reader.png, reader.info, PNG_INFO_tRNS))
        png_set_strip_alpha(reader.png);
    png_set_interlace_handling(reader.png);
    png_read_update_info(reader.png, reader.info);
    components = png_get_channels(reader.png, reader.info);
    return true;
}

bool readRows(PngReader& reader, std::vector<png_bytep>& rows) {
    if (setjmp(png_jmpbuf(reader.png))) return false;
    png_read_image(reader.png, rows.data());
    png_read_end(reader.png, nullptr);
    return true;
}

}  // namespace

bool isPngFile(const char* path) {
    unsigned char head[8] = {};
    std::FILE* file = openRegularStream(path);
    if (!file) return false;
    const bool whole = std::fread(head, 1, sizeof head, file) == sizeof head;
    std::fclose(file);
    return whole && png_sig_cmp(head, 0, sizeof head) == 0;
}

int decodePngFile(const char* path, DecodedJpeg& out, const SurfaceBudget* budget, std::string* refusal,
                  const StopCheck* stop) {
    auto refuse = [&](const std::string& why) {
        if (refusal) *refusal = why;
        return 1;
    };
    PngReader reader;
    reader.stop = stop;
    FileReadOutcome opened;
    reader.file = openRegularStream(path, opened);
    if (!reader.file) {
        if (isRefusedKind(opened)) return refuse("it " + describeNotRegular(opened));
        return 1;
    }
    reader.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &reader, keepError, ignoreWarning);
    if (!reader.png) return refuse("no memory to read the PNG");
    reader.info = png_create_info_struct(reader.png);
    if (!reader.info) return refuse("no memory to read the PNG");

    uint32_t width = 0, height = 0;
    int components = 0;
    if (!readHeader(reader, width, height, components)) return refuse("the PNG is damaged or cut short (libpng: " + reader.message + ")");
    const std::string tooLarge = pictureRefusal(path, width, height, budget);
    if (!tooLarge.empty()) return refuse(tooLarge);
    if (components != 1 && components != 3) return refuse("a PNG layout the loader does not read");

    const size_t stride = size_t{width} * static_cast<size_t>(components);
    std::vector<png_bytep> rows;
    try {
        out.samples.assign(stride * height, 0);
        rows.resize(height);
    } catch (const std::bad_alloc&) {
        return refuse("no memory for the picture's " + std::to_string(width) + "x" + std::to_string(height) +
                      " pixels");
    }
    for (uint32_t y = 0; y < height; ++y) rows[y] = out.samples.data() + stride * y;
    if (!readRows(reader, rows)) {
        out.samples.clear();
        if (reader.interrupted) throw LoadInterrupted();
        return refuse("the PNG is damaged or cut short (libpng: " + reader.message + ")");
    }
    out.width = static_cast<int32_t>(width);
    out.height = static_cast<int32_t>(height);
    out.components = components;
    return 0;
}

int decodePictureFile(const char* path, DecodedJpeg& out, const SurfaceBudget* budget, std::string* refusal,
                      const StopCheck* stop) {
    if (isPngFile(path)) return decodePngFile(path, out, budget, refusal, stop);
    return decodeJpegFile(path, out, budget, refusal, stop);
}

}  // namespace velmora
