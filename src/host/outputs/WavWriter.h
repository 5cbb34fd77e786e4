// A 16-bit stereo PCM WAV file at 44100 Hz whose length is known up front.
#pragma once

#include <cstdint>
#include <cstdio>

namespace velmora {

class WavWriter {
public:
    WavWriter() = default;
    ~WavWriter();
    WavWriter(const WavWriter&) = delete;
    WavWriter& operator=(const WavWriter&) = delete;

    // The largest number of frames a WAV file can say it holds.
    static constexpr int64_t kMaxFrames = (0xFFFFFFFFll - 36) / 4;

    // Creates the file with its header for exactly `frames` frames.
    bool open(const char* path, int64_t frames);
    // Appends interleaved left, right frames.
    bool write(const int16_t* samples, size_t frames);
    // Closes the file; false when any write failed or fewer frames came than announced.
    bool close();
    // The system's errno for the first failure of open, write or close (0 if none).
    int systemError() const { return errno_; }

private:
    void put(const uint8_t* bytes, size_t size);

    std::FILE* file_ = nullptr;
    int64_t announced_ = 0;
    int64_t written_ = 0;
    bool failed_ = false;
    int errno_ = 0;
};

}  // namespace velmora
