// Small XM modules made for the music tests, with timing that is easy to
// predict: speed 6 at tempo 125 is 6 ticks of 882 frames, 5292 frames a row.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>

#include "showkit/ModuleWriter.h"

namespace velmora::testing_modules {

inline constexpr int kRowFrames = 5292;

// The parts of a channel position: order, row, and progress through the row.
inline uint32_t orderOf(uint32_t p) { return p & 0xFFFF; }
inline uint32_t rowOf(uint32_t p) { return p >> 24; }
inline uint32_t fractionOf(uint32_t p) { return (p >> 16) & 0xFF; }

// A short square-wave blip, played at C-4.
inline xm::Instrument blip() {
    xm::Instrument ins;
    ins.name = "blip";
    ins.sample.resize(2000);
    for (size_t i = 0; i < ins.sample.size(); ++i) ins.sample[i] = (i / 20) % 2 ? 12000 : -12000;
    ins.relativeNote = 28;  // about 44100 Hz at C-4
    ins.finetune = 100;
    return ins;
}

// Patterns of the given row counts, played in the given order; one blip at the
// start of each row listed in noteRows (pattern 0 only).
inline xm::Module timingModule(std::vector<int> patternRows, std::vector<uint8_t> orders,
                               std::vector<int> noteRows = {}) {
    xm::Module m;
    m.name = "timing";
    m.channels = 2;
    m.speed = 6;
    m.tempo = 125;
    m.orders = std::move(orders);
    for (int rows : patternRows) m.patterns.emplace_back(rows, 2);
    for (int r : noteRows) {
        m.patterns[0].at(r, 0).note = xm::note(48);
        m.patterns[0].at(r, 0).instrument = 1;
    }
    m.instruments.push_back(blip());
    return m;
}

}  // namespace velmora::testing_modules
