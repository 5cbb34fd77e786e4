// WavWriter: RIFF header, then little-endian 16-bit samples.
#include "host/outputs/WavWriter.h"

#include <cerrno>

namespace velmora {

namespace {

void put16(uint8_t*& p, uint32_t v) {
    *p++ = static_cast<uint8_t>(v);
    *p++ = static_cast<uint8_t>(v >> 8);
}
void put32(uint8_t*& p, uint32_t v) {
    put16(p, v & 0xFFFF);
    put16(p, v >> 16);
}
void putTag(uint8_t*& p, const char* tag) {
    for (int i = 0; i < 4; ++i) *p++ = static_cast<uint8_t>(tag[i]);
}

}  // namespace

WavWriter::~WavWriter() { close(); }

bool WavWriter::open(const char* path, int64_t frames) {
    close();
    errno_ = 0;
    if (frames < 0 || frames > kMaxFrames) return false;
    file_ = std::fopen(path, "wb");
    if (!file_) {
        errno_ = errno;
        return false;
    }
    announced_ = frames;
    written_ = 0;
    failed_ = false;

    const uint32_t dataBytes = static_cast<uint32_t>(frames * 4);
    uint8_t header[44];
    uint8_t* p = header;
    putTag(p, "RIFF");
    put32(p, 36 + dataBytes);
    putTag(p, "WAVE");
    putTag(p, "fmt ");
    put32(p, 16);
    put16(p, 1);          // PCM
    put16(p, 2);          // stereo
    put32(p, 44100);
    put32(p, 44100 * 4);  // bytes per second
    put16(p, 4);          // bytes per frame
    put16(p, 16);         // bits per sample
    putTag(p, "data");
    put32(p, dataBytes);
    failed_ = std::fwrite(header, 1, sizeof header, file_) != sizeof header;
    if (failed_) errno_ = errno;
    return !failed_;
}

bool WavWriter::write(const int16_t* samples, size_t frames) {
    if (!file_) return false;
    uint8_t chunk[4096];
    size_t used = 0;
    for (size_t i = 0; i < frames * 2; ++i) {
        const uint16_t v = static_cast<uint16_t>(samples[i]);
        chunk[used++] = static_cast<uint8_t>(v);
        chunk[used++] = static_cast<uint8_t>(v >> 8);
        if (used == sizeof chunk) {
            put(chunk, used);
            used = 0;
        }
    }
    if (used) put(chunk, used);
    written_ += static_cast<int64_t>(frames);
    return !failed_;
}

void WavWriter::put(const uint8_t* bytes, size_t size) {
    if (std::fwrite(bytes, 1, size, file_) == size || failed_) return;
    failed_ = true;
    errno_ = errno;
}

bool WavWriter::close() {
    if (!file_) return false;
    const bool closed = std::fclose(file_) == 0;
    if (!closed && errno_ == 0) errno_ = errno;
    file_ = nullptr;
    return closed && !failed_ && written_ == announced_;
}

}  // namespace velmora
