// The XM file layout: header, patterns, instruments, samples as deltas.
#include "showkit/ModuleWriter.h"

#include <cstdio>

namespace velmora::xm {

namespace {
void put8(std::vector<uint8_t>& out, uint32_t v) { out.push_back(static_cast<uint8_t>(v)); }
void put16(std::vector<uint8_t>& out, uint32_t v) {
    put8(out, v & 0xFF);
    put8(out, (v >> 8) & 0xFF);
}
void put32(std::vector<uint8_t>& out, uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}
void putText(std::vector<uint8_t>& out, const std::string& text, size_t width) {
    for (size_t i = 0; i < width; ++i) put8(out, i < text.size() ? static_cast<uint8_t>(text[i]) : 0);
}
}  // namespace

// The whole file in memory.
std::vector<uint8_t> writeXm(const Module& m) {
    std::vector<uint8_t> out;
    putText(out, "Extended Module: ", 17);
    putText(out, m.name, 20);
    put8(out, 0x1A);
    putText(out, "Velmora make_module", 20);
    put16(out, 0x0104);
    put32(out, 276);  // header size, counted from this field
    put16(out, static_cast<uint32_t>(m.orders.size()));
    put16(out, static_cast<uint32_t>(m.restart));
    put16(out, static_cast<uint32_t>(m.channels));
    put16(out, static_cast<uint32_t>(m.patterns.size()));
    put16(out, static_cast<uint32_t>(m.instruments.size()));
    put16(out, 1);  // linear frequency table
    put16(out, static_cast<uint32_t>(m.speed));
    put16(out, static_cast<uint32_t>(m.tempo));
    for (size_t i = 0; i < 256; ++i) put8(out, i < m.orders.size() ? m.orders[i] : 0);

    for (const Pattern& p : m.patterns) {
        std::vector<uint8_t> data;
        for (int r = 0; r < p.rows; ++r)
            for (int c = 0; c < m.channels; ++c) {
                Cell cell = c < p.channels ? p.cells[static_cast<size_t>(r) * p.channels + c] : Cell{};
                uint8_t flags = 0x80;
                if (cell.note) flags |= 1;
                if (cell.instrument) flags |= 2;
                if (cell.volume) flags |= 4;
                if (cell.effect) flags |= 8;
                if (cell.param) flags |= 16;
                put8(data, flags);
                if (cell.note) put8(data, cell.note);
                if (cell.instrument) put8(data, cell.instrument);
                if (cell.volume) put8(data, cell.volume);
                if (cell.effect) put8(data, cell.effect);
                if (cell.param) put8(data, cell.param);
            }
        put32(out, 9);
        put8(out, 0);
        put16(out, static_cast<uint32_t>(p.rows));
        put16(out, static_cast<uint32_t>(data.size()));
        out.insert(out.end(), data.begin(), data.end());
    }

    for (const Instrument& ins : m.instruments) {
        const bool hasSample = !ins.sample.empty();
        put32(out, hasSample ? 263 : 29);
        putText(out, ins.name, 22);
        put8(out, 0);
        put16(out, hasSample ? 1 : 0);
        if (!hasSample) continue;
        put32(out, 40);                                // sample header size
        for (int i = 0; i < 96; ++i) put8(out, 0);     // every note plays sample 0
        for (size_t i = 0; i < 12; ++i) {              // volume envelope
            EnvelopePoint pt = i < ins.envelope.size() ? ins.envelope[i] : EnvelopePoint{0, 0};
            put16(out, pt.tick);
            put16(out, pt.level);
        }
        for (int i = 0; i < 24; ++i) put16(out, 0);    // panning envelope
        put8(out, static_cast<uint32_t>(ins.envelope.size()));
        put8(out, 0);
        put8(out, ins.sustainPoint < 0 ? 0 : static_cast<uint32_t>(ins.sustainPoint));
        put8(out, 0);
        put8(out, 0);
        put8(out, 0);
        put8(out, 0);
        put8(out, 0);
        uint32_t envelopeFlags = ins.envelope.empty() ? 0 : 1;
        if (!ins.envelope.empty() && ins.sustainPoint >= 0) envelopeFlags |= 2;
        put8(out, envelopeFlags);
        put8(out, 0);
        put8(out, 0);  // vibrato waveform: sine
        put8(out, ins.vibratoSweep);
        put8(out, ins.vibratoDepth);
        put8(out, ins.vibratoRate);
        put16(out, ins.fadeout);
        for (int i = 0; i < 22; ++i) put8(out, 0);  // reserved to the 263-byte header

        put32(out, static_cast<uint32_t>(ins.sample.size() * 2));
        put32(out, ins.loopStart * 2);
        put32(out, ins.loopLength * 2);
        put8(out, ins.volume);
        put8(out, static_cast<uint8_t>(ins.finetune));
        put8(out, 0x10 | (ins.loopLength ? 1 : 0));  // 16-bit, forward loop
        put8(out, ins.panning);
        put8(out, static_cast<uint8_t>(ins.relativeNote));
        put8(out, 0);
        putText(out, ins.name, 22);

        int16_t previous = 0;  // samples are stored as deltas
        for (int16_t s : ins.sample) {
            put16(out, static_cast<uint16_t>(static_cast<uint16_t>(s) - static_cast<uint16_t>(previous)));
            previous = s;
        }
    }
    return out;
}

bool saveXm(const Module& m, const char* path) {
    std::vector<uint8_t> bytes = writeXm(m);
    std::FILE* f = std::fopen(path, "wb");
    if (!f) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace velmora::xm
