// JPEG decoding through libjpeg with the library's default output: RGB for
// colour pictures, one grey byte per pixel for grey-level ones.
#include "surface/JpegDecode.h"

#include <cstddef>
#include <cstdio>
#include <new>
#include <string>

// After <cstdio>: jpeglib.h uses FILE and size_t without including them.
#include <jpeglib.h>

#include <csetjmp>

#include "core/Error.h"
#include "core/RegularFile.h"

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
    jpeg_progress_mgr progress{};
    bool tooManyScans = false;
    const StopCheck* stop = nullptr;  // asked as the input is read
    bool interrupted = false;
    // What libjpeg's standard error manager would have printed on standard
    // error by the time it gave up: its warnings, one per line, then its error.
    std::string printed;
};

// Returned by decode when the library gave up on the file.
constexpr int kRefusedByLibrary = 2;

// The library's lines are kept rather than printed: they become the error's
// text when the file is refused, and nothing is printed when it is read.
void keepMessage(j_common_ptr common) {
    Decoder* decoder = static_cast<Decoder*>(common->client_data);
    char line[JMSG_LENGTH_MAX];
    (*common->err->format_message)(common, line);
    if (!decoder->printed.empty()) decoder->printed += '\n';
    decoder->printed += line;
}

// libjpeg must not end the process: the decoder jumps back to decode, which
// returns; the error is raised outside the setjmp frame.
void jumpBack(j_common_ptr common) {
    keepMessage(common);
    std::longjmp(static_cast<Decoder*>(common->client_data)->jump, 1);
}

// Each scan of a progressive picture is a pass over all of it: a file of
// thousands of empty scans would take minutes. Counted as the input is read.
// The same monitor asks whether the load should stop: a large picture takes a while.
void countScans(j_common_ptr common) {
    Decoder* decoder = static_cast<Decoder*>(common->client_data);
    if (decoder->stop && *decoder->stop && (*decoder->stop)()) {
        decoder->interrupted = true;
        std::longjmp(decoder->jump, 1);
    }
    if (decoder->info.input_scan_number <= kMaxJpegScans) return;
    decoder->tooManyScans = true;
    std::longjmp(decoder->jump, 1);
}

bool sizeSamples(std::vector<uint8_t>& samples, size_t bytes) {
    try {
        samples.resize(bytes);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

// Returns 0, 1 or kRefusedByLibrary; on any path the caller releases the decoder.
int decode(Decoder& decoder, DecodedJpeg& out, const char* path, const SurfaceBudget* budget, std::string* refusal) {
    jpeg_decompress_struct& info = decoder.info;
    info.err = jpeg_std_error(&decoder.errors);
    decoder.errors.error_exit = jumpBack;
    decoder.errors.output_message = keepMessage;
    if (setjmp(decoder.jump) != 0) {
        if (decoder.interrupted) return 1;
        if (!decoder.tooManyScans) return kRefusedByLibrary;
        if (refusal) *refusal = scanRefusal(path);
        return 1;
    }
    info.client_data = &decoder;  // kept by jpeg_create_decompress
    jpeg_create_decompress(&info);
    decoder.created = true;
    decoder.progress.progress_monitor = countScans;
    info.progress = &decoder.progress;
    jpeg_stdio_src(&info, decoder.file);
    jpeg_read_header(&info, TRUE);
    jpeg_calc_output_dimensions(&info);

    const std::string tooLarge = pictureRefusal(path, info.output_width, info.output_height, budget);
    if (!tooLarge.empty()) {
        if (refusal) *refusal = tooLarge;
        return 1;
    }
    const uint64_t bytes = uint64_t{info.output_width} * info.output_height *
                           static_cast<uint64_t>(info.output_components);
    if (bytes == 0) return 1;
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

// Start-of-scan markers in the whole file, counted before decoding: the
// decoder would pass over the whole picture once for each. FF DA cannot occur
// inside the compressed data, where every FF byte is followed by 00.
int scanMarkers(std::FILE* file, const StopCheck* stop) {
    int scans = 0;
    unsigned char chunk[65536];
    bool afterFF = false;
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0 && scans <= kMaxJpegScans) {
        stopIfAsked(stop);
        for (size_t i = 0; i < n; ++i) {
            scans += afterFF && chunk[i] == 0xDA;
            afterFF = chunk[i] == 0xFF;
        }
    }
    std::rewind(file);
    return scans;
}

}  // namespace

int decodeJpegFile(const char* path, DecodedJpeg& out, const SurfaceBudget* budget, std::string* refusal,
                   const StopCheck* stop) {
    out = DecodedJpeg{};
    if (path == nullptr) return 1;
    Decoder decoder;
    decoder.stop = stop;
    // A FIFO or a device is refused here, not waited on or read for ever.
    FileReadOutcome opened;
    decoder.file = openRegularStream(path, opened);
    if (decoder.file == nullptr) {
        if (refusal && isRefusedKind(opened)) *refusal = "it " + describeNotRegular(opened);
        return 1;
    }
    int scans = 0;
    try {
        scans = scanMarkers(decoder.file, stop);
    } catch (const LoadInterrupted&) {
        std::fclose(decoder.file);
        throw;
    }
    if (scans > kMaxJpegScans) {
        std::fclose(decoder.file);
        if (refusal) *refusal = scanRefusal(path);
        return 1;
    }

    const int result = decode(decoder, out, path, budget, refusal);
    if (decoder.created) jpeg_destroy_decompress(&decoder.info);
    std::fclose(decoder.file);
    if (result != 0) out = DecodedJpeg{};
    if (decoder.interrupted) throw LoadInterrupted();
    if (result == kRefusedByLibrary) throw ShowError(ErrorPresentation::StandardError, 1, decoder.printed, path);
    return result;
}

}  // namespace velmora
