#pragma once

// Test sounds written to disk, and the measures the sound tests take of what
// they hear: the real device's output captured by SDL's disk driver, or a clip.

#include <cstdint>
#include <filesystem>
#include <limits>
#include <vector>

namespace korvel::testing {

// One channel of 16-bit samples at `rate` frames a second.
struct Signal {
    int rate = 0;
    std::vector<std::int16_t> samples;
    double seconds() const { return rate > 0 ? double(samples.size()) / rate : 0.0; }
};

// A 16-bit WAV at 22050 Hz of `ms` of a sine at `hz` (0: a steady level) with
// 2 ms fades, the same in each of its `channels`.
void WriteTone(const std::filesystem::path& path, double hz, int ms, double amplitude = 0.5,
               int channels = 1);
// A type-0 MIDI file: `notes` quarter notes of a piano at `bpm`.
void WriteMidi(const std::filesystem::path& path, int notes, int bpm);

// What SDL's disk driver wrote: interleaved 16-bit stereo frames.
struct Capture {
    Signal left, right;
    static Capture read(const std::filesystem::path& raw, int rate);
};

// A stretch of a capture, in frames.
struct Burst {
    std::size_t begin, end;
    double ms(int rate) const { return double(end - begin) * 1000.0 / rate; }
};
// The sounding stretches: 1 ms blocks whose peak on either side exceeds
// `threshold`, joined across silences of up to `joinMs`.
std::vector<Burst> FindBursts(const Capture& capture, int threshold = 300, int joinMs = 4);

// Measures of the frames [begin, end) of a signal, in units of full scale.
constexpr std::size_t kAll = std::numeric_limits<std::size_t>::max();
double Rms(const Signal& s, std::size_t begin = 0, std::size_t end = kAll);
double Peak(const Signal& s);
// Pitch in Hz from the zero crossings of the sounding 5 ms blocks only, so that
// gaps and decay tails do not dilute it; 0 for silence, an empty signal or one
// without a rate.
double Pitch(const Signal& s, std::size_t begin = 0, std::size_t end = kAll);

}  // namespace korvel::testing
