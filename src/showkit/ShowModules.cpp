// The music of the generated shows: small XM tunes with synthesized drums,
// bass, lead, pad and pluck, the same on every build.
#include "showkit/ShowModules.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace velmora::xm {

namespace {

constexpr double kRate = 44100.0;
constexpr double kPi = 3.14159265358979323846;
// Tonal samples hold whole cycles of this many frames, so their loops are seamless.
constexpr int kPeriod = 168;

// Deterministic noise: the same module on every build.
struct Noise {
    uint32_t state = 0x12345678u;
    double next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return static_cast<double>(state) / 2147483648.0 - 1.0;
    }
};

std::vector<int16_t> toPcm(const std::vector<double>& wave, double peak) {
    double top = 1e-9;
    for (double v : wave) top = std::max(top, std::fabs(v));
    std::vector<int16_t> pcm(wave.size());
    for (size_t i = 0; i < wave.size(); ++i)
        pcm[i] = static_cast<int16_t>(std::lround(wave[i] / top * peak * 32767.0));
    return pcm;
}

// Relative note and finetune that make note C-4 play `frames per second` equal
// to `rate`, with the sample's own pitch `pitch` sounding as C-4 (261.63 Hz).
void tune(Instrument& ins, double rate, double pitch) {
    double playback = rate * 261.6256 / pitch;
    double semis = 12.0 * std::log2(playback / 8363.0);
    int rel = static_cast<int>(std::floor(semis));
    int fine = static_cast<int>(std::lround((semis - rel) * 128.0));
    if (fine >= 128) ++rel, fine -= 128;
    ins.relativeNote = static_cast<int8_t>(rel);
    ins.finetune = static_cast<int8_t>(fine);
}
void tuneUnpitched(Instrument& ins) { tune(ins, kRate, 261.6256); }
void tunePitched(Instrument& ins) { tune(ins, kRate, kRate / kPeriod); }

Instrument kick() {
    Instrument ins;
    ins.name = "kick";
    Noise noise;
    std::vector<double> w(static_cast<size_t>(0.40 * kRate));
    double phase = 0.0;
    for (size_t n = 0; n < w.size(); ++n) {
        double t = n / kRate;
        double f = 46.0 + 150.0 * std::exp(-t * 28.0);
        phase += 2.0 * kPi * f / kRate;
        double body = std::sin(phase) * std::exp(-t * 6.5) * std::min(1.0, t * 1000.0);
        double click = noise.next() * std::exp(-t * 450.0) * 0.35;
        w[n] = std::tanh(1.6 * (body + click));
    }
    ins.sample = toPcm(w, 0.95);
    tuneUnpitched(ins);
    return ins;
}

Instrument snare() {
    Instrument ins;
    ins.name = "snare";
    Noise noise;
    std::vector<double> w(static_cast<size_t>(0.30 * kRate));
    double previous = 0.0;
    for (size_t n = 0; n < w.size(); ++n) {
        double t = n / kRate;
        double raw = noise.next();
        double bright = raw - 0.6 * previous;
        previous = raw;
        double tone = std::sin(2 * kPi * 188.0 * t) * std::exp(-t * 32.0) * 0.6 +
                      std::sin(2 * kPi * 331.0 * t) * std::exp(-t * 45.0) * 0.25;
        double rattle = bright * std::exp(-t * 15.0) * 0.55;
        w[n] = std::tanh(1.3 * (tone + rattle));
    }
    ins.sample = toPcm(w, 0.9);
    tuneUnpitched(ins);
    return ins;
}

// High-passed noise with an exponential decay: hats and the crash.
Instrument metal(const char* name, double seconds, double decay, double ring) {
    Instrument ins;
    ins.name = name;
    Noise noise;
    std::vector<double> w(static_cast<size_t>(seconds * kRate));
    double x1 = 0.0, x2 = 0.0;
    const double partials[] = {3147.0, 4221.0, 5589.0, 7103.0};
    for (size_t n = 0; n < w.size(); ++n) {
        double t = n / kRate;
        double x = noise.next();
        double high = x - 2.0 * x1 + x2;  // second difference: keeps the sizzle
        x2 = x1;
        x1 = x;
        double metallic = 0.0;
        for (double p : partials) metallic += std::sin(2 * kPi * p * t) * 0.15;
        w[n] = (high * 0.5 + metallic * ring) * std::exp(-t * decay) * std::min(1.0, t * 2000.0);
    }
    ins.sample = toPcm(w, 0.8);
    tuneUnpitched(ins);
    return ins;
}

// A tone of whole cycles: harmonic k of the cycle has amplitude amp(k, seconds).
// The amplitudes stop moving after `settle` cycles; the last cycle is the loop.
template <class Amplitude>
Instrument harmonicTone(const char* name, int settle, int maxHarmonic, Amplitude amp) {
    Instrument ins;
    ins.name = name;
    const int cycles = settle + 2;
    std::vector<double> w(static_cast<size_t>(cycles) * kPeriod);
    const double settleTime = settle * kPeriod / kRate;
    for (size_t n = 0; n < w.size(); ++n) {
        double t = std::min(n / kRate, settleTime);
        double v = 0.0;
        for (int k = 1; k <= maxHarmonic; ++k) v += amp(k, t) * std::sin(2 * kPi * k * double(n % kPeriod) / kPeriod);
        w[n] = v;
    }
    ins.sample = toPcm(w, 0.9);
    ins.loopStart = static_cast<uint32_t>((cycles - 1) * kPeriod);
    ins.loopLength = kPeriod;
    tunePitched(ins);
    return ins;
}

Instrument bass() {
    Instrument ins = harmonicTone("bass", 40, 24, [](int k, double t) {
        double brightness = 0.3 + 0.7 * std::exp(-t / 0.05);
        double cutoff = 2.0 + 18.0 * brightness;
        double a = 1.0 / k / (1.0 + std::pow(k / cutoff, 4.0));
        return k == 1 ? a * 1.6 : a;
    });
    ins.envelope = {{0, 64}, {6, 50}, {30, 38}, {60, 34}};
    ins.sustainPoint = 3;
    ins.fadeout = 3000;
    return ins;
}

Instrument lead() {
    Instrument ins = harmonicTone("lead", 12, 30, [](int k, double t) {
        double cutoff = 9.0 + 5.0 * std::exp(-t / 0.04);
        double a = (k % 2 ? 1.0 : 0.4) / k;
        return a / (1.0 + std::pow(k / cutoff, 3.0));
    });
    ins.envelope = {{0, 20}, {2, 64}, {14, 50}, {40, 44}};
    ins.sustainPoint = 3;
    ins.fadeout = 1400;
    ins.vibratoDepth = 5;
    ins.vibratoRate = 12;
    ins.vibratoSweep = 48;
    return ins;
}

// Three detuned saws whose cycle counts fit the loop exactly.
Instrument pad() {
    Instrument ins;
    ins.name = "pad";
    const int loopCycles = 128;
    const int length = kPeriod * loopCycles;
    std::vector<double> w(static_cast<size_t>(length));
    Noise noise;
    const int voices[] = {loopCycles - 1, loopCycles, loopCycles + 1};
    for (int cycles : voices) {
        for (int k = 1; k <= 14; ++k) {
            double a = 1.0 / k / (1.0 + std::pow(k / 5.0, 3.0));
            double phase = noise.next() * kPi;
            for (int n = 0; n < length; ++n)
                w[static_cast<size_t>(n)] += a * std::sin(2 * kPi * k * cycles * double(n) / length + phase);
        }
    }
    ins.sample = toPcm(w, 0.85);
    ins.loopStart = 0;
    ins.loopLength = static_cast<uint32_t>(length);
    tunePitched(ins);
    ins.envelope = {{0, 0}, {10, 64}, {50, 46}, {120, 40}};
    ins.sustainPoint = 3;
    ins.fadeout = 700;
    return ins;
}

// Karplus-Strong string: a noise burst in a delay line of one period.
Instrument pluck() {
    Instrument ins;
    ins.name = "pluck";
    Noise noise;
    std::vector<double> line(kPeriod);
    double smooth = 0.0;
    for (double& v : line) {
        smooth = 0.55 * smooth + 0.45 * noise.next();
        v = smooth;
    }
    std::vector<double> w(static_cast<size_t>(0.9 * kRate));
    size_t i = 0;
    for (double& out : w) {
        size_t j = (i + 1) % kPeriod;
        out = line[i];
        line[i] = 0.4985 * (line[i] + line[j]);
        i = j;
    }
    ins.sample = toPcm(w, 0.85);
    // The averaging filter adds half a frame of delay to the loop.
    tune(ins, kRate, kRate / (kPeriod + 0.5));
    return ins;
}

// Instrument numbers as the patterns use them.
enum : uint8_t { kKick = 1, kSnare, kClosedHat, kOpenHat, kCrash, kBass, kLead, kPad, kPluck };
// Channels.
enum : int { chKick, chSnare, chHat, chBass, chLead, chEcho, chPad0, chPad1, chPad2, chPluck, chCrash, chOpenHat, kChannels };

constexpr uint8_t vol(int v) { return static_cast<uint8_t>(0x10 + v); }

// "A-4" style note names.
uint8_t n(const char* name) {
    static const int semis[] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
    int s = semis[name[0] - 'A'];
    if (name[1] == '#') ++s;
    return note((name[2] - '0') * 12 + s);
}

struct Chord {
    const char* bass;
    const char* tones[3];
};
const Chord kChords[4] = {
    {"A-2", {"A-3", "C-4", "E-4"}},  // Am
    {"F-2", {"A-3", "C-4", "F-4"}},  // F
    {"C-3", {"G-3", "C-4", "E-4"}},  // C
    {"G-2", {"G-3", "B-3", "D-4"}},  // G
};

void put(Pattern& p, int row, int ch, uint8_t noteValue, uint8_t instrument, uint8_t volume = 0) {
    Cell& c = p.at(row, ch);
    c.note = noteValue;
    c.instrument = noteValue == kKeyOff ? 0 : instrument;
    c.volume = volume;
}

void setPanning(Pattern& p) {
    const std::pair<int, int> pans[] = {{chHat, 0x98}, {chEcho, 0x50}, {chPad0, 0x40}, {chPad1, 0x80},
                                        {chPad2, 0xC0}, {chPluck, 0xB0}, {chOpenHat, 0x70}};
    for (auto [ch, pan] : pans) {
        p.at(0, ch).effect = 0x08;
        p.at(0, ch).param = static_cast<uint8_t>(pan);
    }
}

void pads(Pattern& p, const int volumes[4]) {
    for (int bar = 0; bar < 4; ++bar)
        for (int v = 0; v < 3; ++v) put(p, bar * 16, chPad0 + v, n(kChords[bar].tones[v]), kPad, vol(volumes[bar]));
}

void arpeggio(Pattern& p, int volume) {
    static const int order[16] = {0, 1, 2, 3, 2, 1, 0, 1, 2, 3, 2, 1, 2, 3, 2, 1};
    for (int bar = 0; bar < 4; ++bar)
        for (int r = 0; r < 16; ++r) {
            int i = order[r];
            uint8_t tone = i == 3 ? static_cast<uint8_t>(n(kChords[bar].tones[0]) + 24)
                                  : static_cast<uint8_t>(n(kChords[bar].tones[i]) + 12);
            put(p, bar * 16 + r, chPluck, tone, kPluck, vol(r % 4 == 0 ? volume : volume * 3 / 4));
        }
}

void drums(Pattern& p, bool kicks, bool fill) {
    for (int r = 0; r < 64; ++r) {
        int inBar = r % 16;
        if (kicks && inBar % 4 == 0) put(p, r, chKick, n("C-4"), kKick, vol(64));
        if (inBar == 4 || inBar == 12) put(p, r, chSnare, n("C-4"), kSnare, vol(56));
        int hat = inBar % 4 == 2 ? 38 : (inBar % 2 ? 16 : 24);
        put(p, r, chHat, n("C-4"), kClosedHat, vol(hat));
    }
    for (int bar = 0; bar < 4; ++bar) put(p, bar * 16 + 14, chOpenHat, n("C-4"), kOpenHat, vol(26));
    if (kicks) put(p, 3 * 16 + 10, chKick, n("C-4"), kKick, vol(48));
    if (fill) {
        for (int r = 56; r < 64; ++r) put(p, r, chSnare, n("C-4"), kSnare, vol(24 + (r - 56) * 5));
        p.at(60, chKick) = Cell{};
    }
}

void bassLine(Pattern& p, bool halfTime) {
    for (int bar = 0; bar < 4; ++bar) {
        uint8_t root = n(kChords[bar].bass);
        int b = bar * 16;
        if (halfTime) {
            put(p, b, chBass, root, kBass, vol(52));
            put(p, b + 8, chBass, root, kBass, vol(40));
            put(p, b + 14, chBass, kKeyOff, 0);
            continue;
        }
        const std::pair<int, int> steps[] = {{0, 0}, {2, 0}, {3, 12}, {6, 0}, {8, 0}, {10, 12}, {12, 0}, {14, 7}};
        for (auto [row, interval] : steps)
            put(p, b + row, chBass, static_cast<uint8_t>(root + interval), kBass,
                vol(row % 4 == 0 ? 56 : (interval ? 38 : 46)));
    }
}

struct MelodyNote {
    int row;
    const char* name;  // nullptr: key off
};

void melody(Pattern& p, const std::vector<MelodyNote>& notes, int volume) {
    for (const MelodyNote& m : notes) {
        uint8_t value = m.name ? n(m.name) : kKeyOff;
        put(p, m.row, chLead, value, kLead, m.name ? vol(volume) : 0);
        // A dotted-sixteenth echo, quieter and to the left.
        if (m.row + 3 < 64) put(p, m.row + 3, chEcho, value, kLead, m.name ? vol(volume * 2 / 5) : 0);
    }
}

const std::vector<MelodyNote> kHookA = {
    {0, "E-5"},  {3, "D-5"},  {6, "C-5"},  {8, "D-5"},  {10, "E-5"}, {12, "A-4"}, {15, nullptr},
    {16, "C-5"}, {19, "A-4"}, {22, "C-5"}, {24, "F-5"}, {28, "E-5"}, {30, "C-5"},
    {32, "E-5"}, {35, "G-5"}, {38, "E-5"}, {40, "D-5"}, {42, "C-5"}, {44, "E-5"}, {47, nullptr},
    {48, "D-5"}, {54, "B-4"}, {56, "G-4"}, {58, "B-4"}, {60, "D-5"}, {63, nullptr},
};
const std::vector<MelodyNote> kHookB = {
    {0, "A-5"},  {4, "G-5"},  {6, "E-5"},  {8, "G-5"},  {10, "A-5"}, {12, "C-6"}, {14, "B-5"},
    {16, "A-5"}, {22, "F-5"}, {24, "A-5"}, {26, "C-6"}, {28, "A-5"}, {30, "G-5"},
    {32, "G-5"}, {38, "E-5"}, {40, "C-5"}, {42, "E-5"}, {44, "G-5"}, {46, "E-5"},
    {48, "D-5"}, {50, "B-4"}, {52, "D-5"}, {54, "G-5"}, {60, "B-4"}, {63, nullptr},
};
const std::vector<MelodyNote> kBreakdown = {
    {0, "E-5"},  {12, "D-5"}, {16, "C-5"}, {28, "A-4"}, {32, "G-4"},
    {40, "C-5"}, {44, "E-5"}, {48, "D-5"}, {56, "B-4"}, {62, nullptr},
};

Module makeInstruments() {
    Module m;
    m.name = "Velmora";
    m.channels = kChannels;
    m.speed = 6;
    m.tempo = 125;
    m.instruments = {kick(),
                     snare(),
                     metal("closed hat", 0.08, 60.0, 0.2),
                     metal("open hat", 0.35, 9.0, 0.3),
                     metal("crash", 1.6, 2.2, 0.5),
                     bass(),
                     lead(),
                     pad(),
                     pluck()};
    m.instruments[kKick - 1].volume = 60;
    m.instruments[kCrash - 1].volume = 40;
    return m;
}

}  // namespace

Module defaultShowModule() {
    Module m = makeInstruments();

    // 0: intro. Pads swell, the pluck sets the pulse, the drums come in.
    Pattern intro(64, kChannels);
    setPanning(intro);
    const int swell[4] = {18, 24, 30, 36};
    pads(intro, swell);
    arpeggio(intro, 30);
    for (int r = 32; r < 64; r += 2) put(intro, r, chHat, n("C-4"), kClosedHat, vol(r % 4 ? 30 : 18));
    for (int r = 48; r < 64; r += 4) put(intro, r, chKick, n("C-4"), kKick, vol(52));
    for (int r = 56; r < 64; ++r) put(intro, r, chSnare, n("C-4"), kSnare, vol(20 + (r - 56) * 6));

    const int steady[4] = {34, 34, 34, 34};
    // 1: groove. Drums, bass, pads, a soft pluck.
    Pattern groove(64, kChannels);
    setPanning(groove);
    drums(groove, true, false);
    bassLine(groove, false);
    pads(groove, steady);
    arpeggio(groove, 18);
    put(groove, 0, chCrash, n("C-4"), kCrash, vol(48));

    // 2 and 3: the hook and its answer.
    Pattern hookA = groove;
    melody(hookA, kHookA, 46);
    Pattern hookB(64, kChannels);
    setPanning(hookB);
    drums(hookB, true, true);
    bassLine(hookB, false);
    pads(hookB, steady);
    arpeggio(hookB, 16);
    melody(hookB, kHookB, 44);

    // 4: breakdown. No kick; half-time bass, the pluck up front, a snare roll.
    Pattern breakdown(64, kChannels);
    setPanning(breakdown);
    const int soft[4] = {30, 30, 32, 36};
    pads(breakdown, soft);
    arpeggio(breakdown, 32);
    bassLine(breakdown, true);
    melody(breakdown, kBreakdown, 36);
    for (int r = 0; r < 48; r += 4) put(breakdown, r + 2, chHat, n("C-4"), kClosedHat, vol(20));
    for (int r = 48; r < 64; ++r) put(breakdown, r, chSnare, n("C-4"), kSnare, vol(12 + (r - 48) * 3));

    m.patterns = {intro, groove, hookA, hookB, breakdown};
    m.orders = {0, 1, 2, 3, 4, 2, 3};
    m.restart = 1;
    return m;
}

Module newShowModule() {
    Module m = makeInstruments();
    m.name = "New show";
    // 0: pads and pluck alone; 1: the groove with the hook over it. Then back to 0.
    Pattern calm(64, kChannels);
    setPanning(calm);
    const int swell[4] = {20, 26, 30, 34};
    pads(calm, swell);
    arpeggio(calm, 30);
    for (int r = 48; r < 64; r += 4) put(calm, r, chKick, n("C-4"), kKick, vol(52));

    Pattern hook(64, kChannels);
    setPanning(hook);
    const int steady[4] = {34, 34, 34, 34};
    drums(hook, true, false);
    bassLine(hook, false);
    pads(hook, steady);
    arpeggio(hook, 18);
    melody(hook, kHookA, 46);
    put(hook, 0, chCrash, n("C-4"), kCrash, vol(48));

    m.patterns = {calm, hook};
    m.orders = {0, 1};
    m.restart = 0;
    return m;
}

}  // namespace velmora::xm
