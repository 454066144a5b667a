#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

namespace korvel::testing {

// Test inputs and the reading of a captured signal, for the tests that listen to
// the real device through SDL's disk output.

// A mono 16-bit WAV of a sine burst (with 2 ms fades), `ms` long.
void WriteSineWav(const std::filesystem::path& path, int rate, double hz, int ms,
                  double amplitude = 0.5);
// A type-0 MIDI file: `notes` quarter notes of a piano at `bpm`.
void WriteMidi(const std::filesystem::path& path, int notes, int bpm);

// A raw capture of interleaved 16-bit stereo frames.
struct Capture {
    int rate = 44100;
    std::vector<std::int16_t> left;
    std::vector<std::int16_t> right;
    static Capture read(const std::filesystem::path& raw, int rate);
};

// A stretch of sound in a capture, in frames.
struct Burst {
    std::size_t begin;
    std::size_t end;
    double ms(int rate) const { return (end - begin) * 1000.0 / rate; }
};

// The sounding stretches: 1 ms blocks whose peak on either side exceeds
// `threshold`, joined across silences shorter than `joinMs`.
std::vector<Burst> FindBursts(const Capture& capture, int threshold = 300, int joinMs = 4);
// The longest run of frames within [begin, end) where both sides stay at or
// below `threshold`.
Burst LongestQuiet(const Capture& capture, std::size_t begin, std::size_t end, int threshold = 300);
double Rms(const std::vector<std::int16_t>& side, std::size_t begin, std::size_t end);
// Dominant frequency from zero crossings of the left side, in Hz.
double ZeroCrossingHz(const Capture& capture, const Burst& burst);
// Leading and trailing silence of a 16-bit mono or stereo WAV file, in ms.
struct OwnSilence {
    double leadingMs = 0;
    double trailingMs = 0;
};
OwnSilence WavSilence(const std::filesystem::path& wav, int threshold = 300);

}  // namespace korvel::testing
