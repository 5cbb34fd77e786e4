// Writes an Extended Module (XM) file: patterns, instruments with one 16-bit
// sample each, volume envelopes. Used by make_module and by the music tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velmora::xm {

inline constexpr uint8_t kKeyOff = 97;

// Note number as XM counts them: C-0 is 1, C-4 (the sample's base pitch) is 49.
inline constexpr uint8_t note(int semitoneFromC0) { return static_cast<uint8_t>(semitoneFromC0 + 1); }

struct Cell {
    uint8_t note = 0;        // 1..96, kKeyOff, or 0 for none
    uint8_t instrument = 0;  // 1-based, 0 for none
    uint8_t volume = 0;      // volume column: 0x10 + 0..64 sets the volume
    uint8_t effect = 0;
    uint8_t param = 0;
};

struct Pattern {
    int rows = 64;
    int channels = 0;
    std::vector<Cell> cells;

    Pattern(int rowCount, int channelCount)
        : rows(rowCount), channels(channelCount),
          cells(static_cast<size_t>(rowCount) * static_cast<size_t>(channelCount)) {}
    Cell& at(int row, int channel) { return cells[static_cast<size_t>(row) * channels + channel]; }
};

struct EnvelopePoint {
    uint16_t tick;
    uint16_t level;  // 0..64
};

struct Instrument {
    std::string name;
    std::vector<int16_t> sample;
    uint32_t loopStart = 0;   // in sample frames
    uint32_t loopLength = 0;  // 0: no loop
    uint8_t volume = 64;
    int8_t finetune = 0;
    int8_t relativeNote = 0;
    uint8_t panning = 128;
    std::vector<EnvelopePoint> envelope;  // empty: no volume envelope
    int sustainPoint = -1;
    uint16_t fadeout = 0;
    uint8_t vibratoDepth = 0, vibratoRate = 0, vibratoSweep = 0;
};

struct Module {
    std::string name;
    int channels = 8;
    int speed = 6;    // ticks per row
    int tempo = 125;  // BPM
    int restart = 0;  // order the song loops back to
    std::vector<uint8_t> orders;
    std::vector<Pattern> patterns;
    std::vector<Instrument> instruments;
};

// The whole file in memory.
std::vector<uint8_t> writeXm(const Module& m);
// Writes the file; false when it cannot be written.
bool saveXm(const Module& m, const char* path);

}  // namespace velmora::xm
