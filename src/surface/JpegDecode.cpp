// JPEG decoding through libjpeg with the library's default output: RGB for
// colour pictures, one grey byte per pixel for grey-level ones.
#include "surface/JpegDecode.h"

#include <cstddef>
#include <cstdio>
#include <new>

// After <cstdio>: jpeglib.h uses FILE and size_t without including them.
#include <jpeglib.h>

#include <csetjmp>

#include "core/Errors.h"

namespace velmora {

namespace {

// Everything the decoder must release, kept outside the function that may be
// left by longjmp so that no destructor is skipped.
struct Decoder {
    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    std::jmp_buf jump;
    std::FILE* file = nullptr;
    bool created = false;
};

// When load failures are recoverable (`check`, fuzzing) a damaged file must not
// end the process: jump back and report failure. Otherwise libjpeg's standard
// error manager prints its message and exits, as the show always did.
void jumpBack(j_common_ptr common) {
    Decoder* decoder = static_cast<Decoder*>(common->client_data);
    std::longjmp(decoder->jump, 1);
}
void stayQuiet(j_common_ptr) {}

bool sizeSamples(std::vector<uint8_t>& samples, size_t bytes) {
    try {
        samples.resize(bytes);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

// Returns 0 or 1; on any path the caller releases the decoder.
int decode(Decoder& decoder, DecodedJpeg& out) {
    jpeg_decompress_struct& info = decoder.info;
    info.err = jpeg_std_error(&decoder.errors);
    if (loadFailuresRecoverable()) {
        decoder.errors.error_exit = jumpBack;
        decoder.errors.output_message = stayQuiet;
        if (setjmp(decoder.jump) != 0) return 1;
    }
    info.client_data = &decoder;  // kept by jpeg_create_decompress
    jpeg_create_decompress(&info);
    decoder.created = true;
    jpeg_stdio_src(&info, decoder.file);
    jpeg_read_header(&info, TRUE);
    jpeg_calc_output_dimensions(&info);

    const uint64_t bytes = uint64_t{info.output_width} * info.output_height *
                           static_cast<uint64_t>(info.output_components);
    if (bytes == 0 || bytes > kMaxJpegSampleBytes) return 1;
    if (!sizeSamples(out.samples, static_cast<size_t>(bytes))) return 1;

    jpeg_start_decompress(&info);
    const size_t stride = size_t{info.output_width} * static_cast<size_t>(info.output_components);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = out.samples.data() + stride * info.output_scanline;
        // The stdio source never suspends; no progress would mean a hang.
        if (jpeg_read_scanlines(&info, &row, 1) == 0) return 1;
    }
    jpeg_finish_decompress(&info);
    out.width = static_cast<int32_t>(info.output_width);
    out.height = static_cast<int32_t>(info.output_height);
    out.components = info.output_components;
    return 0;
}

}  // namespace

int decodeJpegFile(const char* path, DecodedJpeg& out) {
    out = DecodedJpeg{};
    if (path == nullptr) return 1;
    Decoder decoder;
    decoder.file = std::fopen(path, "rb");
    if (decoder.file == nullptr) return 1;

    const int result = decode(decoder, out);
    if (decoder.created) jpeg_destroy_decompress(&decoder.info);
    std::fclose(decoder.file);
    if (result != 0) out = DecodedJpeg{};
    return result;
}

}  // namespace velmora
