// JPEG encoder for the build-time picture generators and the tests: writes
// 8-bit RGB or grey samples to a baseline JPEG file through libjpeg.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <csetjmp>

#include <jpeglib.h>

namespace velmora {

namespace jpegwriter_detail {

// libjpeg reports errors by calling error_exit, which must not return; we jump
// back to writeJpeg so a failure becomes a false result instead of ending the process.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

inline void onError(j_common_ptr info) {
    ErrorManager* manager = reinterpret_cast<ErrorManager*>(info->err);
    std::longjmp(manager->jump, 1);
}

inline void onMessage(j_common_ptr) {}

// Everything that needs releasing lives outside the setjmp frame, so nothing
// with a destructor is skipped by the longjmp.
struct Encoder {
    jpeg_compress_struct info {};
    ErrorManager errors {};
    std::FILE* file = nullptr;
    bool created = false;
};

inline bool encode(Encoder& encoder, int width, int height, int components,
                   const uint8_t* samples, int quality) {
    jpeg_compress_struct& info = encoder.info;
    info.err = jpeg_std_error(&encoder.errors.base);
    encoder.errors.base.error_exit = onError;
    encoder.errors.base.output_message = onMessage;
    if (setjmp(encoder.errors.jump) != 0)
        return false;

    jpeg_create_compress(&info);
    encoder.created = true;
    jpeg_stdio_dest(&info, encoder.file);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = components;
    info.in_color_space = components == 4 ? JCS_CMYK : components == 3 ? JCS_RGB : JCS_GRAYSCALE;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    // Full-resolution chroma: colour edges stay crisp, and ringing around a
    // shape stays inside its own 8x8 blocks instead of 16x16 ones, which keeps
    // more of a transparent (black) background exactly 0.
    if (components == 3) {
        for (int c = 0; c < 3; ++c) {
            info.comp_info[c].h_samp_factor = 1;
            info.comp_info[c].v_samp_factor = 1;
        }
    }
    jpeg_start_compress(&info, TRUE);

    const size_t stride = static_cast<size_t>(width) * static_cast<size_t>(components);
    while (info.next_scanline < info.image_height) {
        // libjpeg's API takes non-const rows but never writes through them.
        JSAMPROW row = const_cast<JSAMPROW>(samples + stride * info.next_scanline);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    return true;
}

} // namespace jpegwriter_detail

// Writes width*height*components samples (rows top to bottom, RGB interleaved
// or grey, or CMYK) as a JPEG file. Returns false on bad arguments or any I/O or
// encoder failure; a partly written file is removed.
inline bool writeJpeg(const char* path, int width, int height, int components,
                      const uint8_t* samples, int quality) {
    if (path == nullptr || samples == nullptr) return false;
    if (components != 1 && components != 3 && components != 4) return false;  // 4: CMYK, for tests
    // Baseline JPEG limits each side to 65500 pixels.
    if (width <= 0 || height <= 0 || width > 65500 || height > 65500) return false;
    if (quality < 1) quality = 1;
    if (quality > 100) quality = 100;

    jpegwriter_detail::Encoder encoder;
    encoder.file = std::fopen(path, "wb");
    if (encoder.file == nullptr) return false;

    bool ok = jpegwriter_detail::encode(encoder, width, height, components, samples, quality);
    if (encoder.created) jpeg_destroy_compress(&encoder.info);
    if (std::fclose(encoder.file) != 0) ok = false;
    if (!ok) std::remove(path);
    return ok;
}

} // namespace velmora
