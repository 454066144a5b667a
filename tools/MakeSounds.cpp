// Generates the game's sound effects into a folder: 16-bit mono WAV files at
// 22050 Hz, the rate the board's pitch offsets (16000..32000 Hz) are counted
// against. Every effect is synthesised here from sines, damped resonances and
// seeded noise, so the output is the same on every run.
//
// Usage: korvel_make_sounds <Sounds folder>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

#include "voice/Loudness.h"

namespace korvel {
namespace {

constexpr int kRate = 22050;
constexpr double kTwoPi = 2.0 * std::numbers::pi;

using Signal = std::vector<double>;

Signal silence(double seconds) {
    return Signal(static_cast<std::size_t>(std::lround(seconds * kRate)), 0.0);
}

double timeOf(std::size_t i) {
    return static_cast<double>(i) / kRate;
}

// Deterministic white noise in -1..1 (a 32-bit xorshift).
class Noise {
  public:
    explicit Noise(std::uint32_t seed) : m_state(seed) {}
    double next() {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return static_cast<double>(m_state) / 2147483648.0 - 1.0;
    }

  private:
    std::uint32_t m_state;
};

// Adds a sine partial starting at `start` seconds with an exponential decay of
// time constant `tau` seconds (tau <= 0: no decay) and a `attack` second rise.
void addPartial(Signal& s, double start, double hz, double amp, double tau, double attack = 0.001) {
    auto first = static_cast<std::size_t>(std::lround(start * kRate));
    for (std::size_t i = first; i < s.size(); ++i) {
        double t = timeOf(i - first);
        double env = tau > 0 ? std::exp(-t / tau) : 1.0;
        if (t < attack) {
            env *= t / attack;
        }
        s[i] += amp * env * std::sin(kTwoPi * hz * t);
    }
}

// Adds a tone whose frequency glides exponentially from `fromHz` to `toHz`
// over `length` seconds, with soft edges (a 3 ms rise, a 15 ms fall). Its
// partials fall off by `brightness` per harmonic (0: a pure sine; 0.5: a mild,
// reedy tone), so even the most urgent cue stays round rather than shrill.
void addTone(Signal& s, double start, double length, double fromHz, double toHz, double amp,
             double brightness) {
    auto first = static_cast<std::size_t>(std::lround(start * kRate));
    auto count = static_cast<std::size_t>(std::lround(length * kRate));
    double phase = 0.0;
    for (std::size_t k = 0; k < count && first + k < s.size(); ++k) {
        double t = timeOf(k);
        double hz = fromHz * std::pow(toHz / fromHz, t / length);
        phase += kTwoPi * hz / kRate;
        double v = 0.0;
        double weight = 1.0;
        for (int h = 1; h <= 4 && h * hz < kRate / 2.0; ++h, weight *= brightness) {
            v += weight * std::sin(phase * h);
        }
        double rise = std::min(1.0, t / 0.003);
        double fall = std::clamp((length - t) / 0.015, 0.0, 1.0);
        s[first + k] += amp * rise * std::sin(0.5 * std::numbers::pi * fall) * v;
    }
}

// Adds a burst of noise through a one-pole low-pass (cutoff in Hz), decaying
// with time constant `tau`.
void addNoiseBurst(Signal& s, double start, double cutoffHz, double amp, double tau,
                   std::uint32_t seed) {
    Noise noise(seed);
    double a = std::exp(-kTwoPi * cutoffHz / kRate);
    double y = 0.0;
    auto first = static_cast<std::size_t>(std::lround(start * kRate));
    for (std::size_t i = first; i < s.size(); ++i) {
        y = (1.0 - a) * noise.next() + a * y;
        s[i] += amp * y * std::exp(-timeOf(i - first) / tau);
    }
}

// Scales the signal to `lufs` of loudness while it sounds (see Loudness.h),
// the level at which it sits against the voice when played at full volume,
// and fades the last few milliseconds to zero so that no effect ends on a
// click. The voice's recordings sit at about -22.5 LUFS.
void finish(Signal& s, double lufs) {
    double now = LoudnessLufs(s, kRate);
    if (now > -70.0) {
        double gain = std::pow(10.0, (lufs - now) / 20.0);
        for (double& v : s) {
            v *= gain;
        }
    }
    std::size_t fade = std::min<std::size_t>(s.size(), kRate * 4 / 1000);
    for (std::size_t k = 0; k < fade; ++k) {
        s[s.size() - 1 - k] *= static_cast<double>(k) / static_cast<double>(fade);
    }
}

void put16(std::ofstream& out, std::uint16_t v) {
    char b[2] = {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
    out.write(b, 2);
}

void put32(std::ofstream& out, std::uint32_t v) {
    put16(out, static_cast<std::uint16_t>(v & 0xFFFF));
    put16(out, static_cast<std::uint16_t>(v >> 16));
}

// Writes a canonical 44-byte-header PCM WAV; the file appears under its name
// only when complete.
bool writeWav(const std::filesystem::path& path, const Signal& s) {
    std::filesystem::path partial = path;
    partial += ".part";
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        if (!out) {
            return false;
        }
        auto dataBytes = static_cast<std::uint32_t>(s.size() * 2);
        out.write("RIFF", 4);
        put32(out, 36 + dataBytes);
        out.write("WAVEfmt ", 8);
        put32(out, 16);
        put16(out, 1);  // PCM
        put16(out, 1);  // mono
        put32(out, kRate);
        put32(out, kRate * 2);
        put16(out, 2);
        put16(out, 16);
        out.write("data", 4);
        put32(out, dataBytes);
        for (double v : s) {
            double clamped = std::clamp(v, -1.0, 1.0);
            put16(out, static_cast<std::uint16_t>(
                           static_cast<std::int16_t>(std::lround(clamped * 32767.0))));
        }
        if (!out.flush()) {
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(partial, path, ec);
    return !ec;
}

// Levels, in LUFS while sounding at full volume (see finish()). The callers play
// the clicks 5 dB down and the clock's tick 10 dB down, the count-down 8 dB down.
constexpr double kClickLevel = -25.5;   // cursor, discs: heard 8 LU below the voice
constexpr double kSignalLevel = -26.0;  // edge, confirmations, refusals, dialogs

// A disc set down on the board: a dry wooden knock, a low body thump under a
// few quickly damped resonances of the wood.
Signal placedDisc() {
    Signal s = silence(0.100);
    addPartial(s, 0.0, 170.0, 0.55, 0.018, 0.0015);
    addPartial(s, 0.0, 640.0, 0.50, 0.014);
    addPartial(s, 0.0, 1090.0, 0.35, 0.010);
    addPartial(s, 0.0, 1780.0, 0.20, 0.006);
    addNoiseBurst(s, 0.0, 2500.0, 0.55, 0.004, 11);
    finish(s, kClickLevel + 1.0);
    return s;
}

// A disc turned over: two light taps 22 ms apart (the disc leaving and
// landing), bright for white and dark for black.
Signal turnedDisc(bool white) {
    Signal s = silence(0.075);
    double base = white ? 1480.0 : 520.0;
    double cutoff = white ? 6000.0 : 1400.0;
    for (int tap = 0; tap < 2; ++tap) {
        double at = tap * 0.022;
        double amp = tap == 0 ? 0.55 : 1.0;
        addPartial(s, at, base, 0.5 * amp, 0.009);
        addPartial(s, at, base * 1.71, 0.3 * amp, 0.006);
        addPartial(s, at, base * 2.63, 0.15 * amp, 0.004);
        addNoiseBurst(s, at, cutoff, 0.35 * amp, 0.003, 23u + static_cast<std::uint32_t>(tap));
    }
    finish(s, kClickLevel);
    return s;
}

// The cursor reaching a new cell: a short neutral blip; the board shifts its
// pitch with the row.
Signal cursorBlip() {
    Signal s = silence(0.045);
    addPartial(s, 0.0, 1000.0, 0.8, 0.014, 0.002);
    addPartial(s, 0.0, 2000.0, 0.15, 0.008, 0.002);
    finish(s, kClickLevel - 2.0);
    return s;
}

// The cursor pushed against the edge: a dull, low bump with no ring.
Signal borderBump() {
    Signal s = silence(0.110);
    addTone(s, 0.0, 0.110, 130.0, 70.0, 0.8, 0.0);
    addNoiseBurst(s, 0.0, 300.0, 0.9, 0.020, 5);
    for (std::size_t i = 0; i < s.size(); ++i) {
        s[i] *= std::exp(-timeOf(i) / 0.035);
    }
    finish(s, kSignalLevel);
    return s;
}

// An illegal move: a low, hollow "bonk" of two slightly detuned tones that
// beat, sagging in pitch; unmistakably a refusal, without a buzz's rasp.
Signal refusalBuzz() {
    Signal s = silence(0.240);
    addTone(s, 0.0, 0.240, 220.0, 185.0, 0.5, 0.35);
    addTone(s, 0.0, 0.240, 233.0, 196.0, 0.5, 0.35);
    for (std::size_t i = 0; i < s.size(); ++i) {
        s[i] *= std::exp(-timeOf(i) / 0.16);
    }
    finish(s, -20.5);
    return s;
}

// A soft bell: a few slightly inharmonic partials that ring out.
void addBell(Signal& s, double start, double hz, double amp, double tau) {
    addPartial(s, start, hz, amp, tau, 0.004);
    addPartial(s, start, hz * 2.0, amp * 0.24, tau * 0.45, 0.004);
    addPartial(s, start, hz * 3.01, amp * 0.10, tau * 0.25, 0.004);
}

// A positive answer: a soft two-note bell, a rising fifth.
Signal confirmChime() {
    Signal s = silence(0.420);
    addBell(s, 0.0, 784.0, 0.5, 0.16);
    addBell(s, 0.090, 1175.0, 0.5, 0.16);
    finish(s, kSignalLevel);
    return s;
}

// The clock's second tick: a tiny, soft click of a mechanism.
Signal clockTick() {
    Signal s = silence(0.030);
    addNoiseBurst(s, 0.0, 4000.0, 0.6, 0.0025, 77);
    addPartial(s, 0.0, 3100.0, 0.35, 0.004);
    finish(s, kClickLevel);
    return s;
}

// Count-down cues. pik3 is a single soft low beep; each step towards pik0 is
// higher, louder, a little brighter and repeats more often, so the last second
// is unmistakable. Played 8 dB down, pik0 stands 2 LU above the voice.
Signal countdown(int level) {
    struct Cue {
        double hz;
        int beeps;
        double brightness;
        double beepLength;
        double lufs;
    };
    static const Cue cues[4] = {
        {1320.0, 3, 0.40, 0.060, -12.5},  // pik0: the last second
        {1050.0, 2, 0.30, 0.070, -13.5},  // pik1
        {880.0, 1, 0.20, 0.090, -15.0},   // pik2
        {660.0, 1, 0.10, 0.100, -16.5},   // pik3
    };
    const Cue& c = cues[level];
    double gap = 0.035;
    Signal s = silence(c.beeps * c.beepLength + (c.beeps - 1) * gap + 0.005);
    for (int b = 0; b < c.beeps; ++b) {
        addTone(s, b * (c.beepLength + gap), c.beepLength, c.hz, c.hz, 0.5, c.brightness);
    }
    finish(s, c.lufs);
    return s;
}

// The menu refusing a key: a short, low falling pair of soft tones.
Signal menuRefusal() {
    Signal s = silence(0.170);
    addTone(s, 0.0, 0.075, 330.0, 300.0, 0.6, 0.3);
    addTone(s, 0.085, 0.080, 220.0, 196.0, 0.6, 0.3);
    finish(s, kSignalLevel);
    return s;
}

// The message dialogs' own sounds, one per kind of message, each a short pair
// of soft bell notes: an error falls by a minor third, a question rises by a
// fourth as a voice does, a notice repeats one calm note.
Signal dialogSound(double firstHz, double secondHz) {
    Signal s = silence(0.360);
    addBell(s, 0.0, firstHz, 0.5, 0.12);
    addBell(s, 0.110, secondHz, 0.5, 0.14);
    finish(s, kSignalLevel);
    return s;
}

}  // namespace
}  // namespace korvel

int main(int argc, char** argv) {
    using namespace korvel;
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <Sounds folder>\n", argv[0]);
        return 2;
    }
    std::filesystem::path folder = argv[1];
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);

    struct Effect {
        const char* name;
        Signal signal;
    };
    const Effect effects[] = {
        {"fishka0", placedDisc()},
        {"fishka1", turnedDisc(true)},
        {"fishka2", turnedDisc(false)},
        {"cursor", cursorBlip()},
        {"border", borderBump()},
        {"error", refusalBuzz()},
        {"ok", confirmChime()},
        {"tiktak", clockTick()},
        {"pik0", countdown(0)},
        {"pik1", countdown(1)},
        {"pik2", countdown(2)},
        {"pik3", countdown(3)},
        {"not", menuRefusal()},
        {"msgerror", dialogSound(466.0, 392.0)},
        {"msgquestion", dialogSound(523.0, 698.0)},
        {"msginfo", dialogSound(659.0, 659.0)},
    };
    for (const Effect& e : effects) {
        if (!writeWav(folder / (std::string(e.name) + ".wav"), e.signal)) {
            std::fprintf(stderr, "korvel_make_sounds: cannot write %s.wav in %s\n", e.name,
                         folder.string().c_str());
            return 1;
        }
    }
    return 0;
}
