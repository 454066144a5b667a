#pragma once

// What the sound tests measure: a clip, or the real device's output as SDL's
// disk driver captures it.

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

// What SDL's disk driver wrote: interleaved 16-bit stereo frames.
struct Capture {
    Signal left, right;
    static Capture read(const std::filesystem::path& raw, int rate);
};

// Measures of the frames [begin, end) of a signal, in units of full scale.
constexpr std::size_t kAll = std::numeric_limits<std::size_t>::max();
double Rms(const Signal& s, std::size_t begin = 0, std::size_t end = kAll);
double Peak(const Signal& s);
// Pitch in Hz from the zero crossings of the sounding 5 ms blocks only, so that
// gaps and decay tails do not dilute it; 0 for silence, an empty signal or one
// without a rate.
double Pitch(const Signal& s, std::size_t begin = 0, std::size_t end = kAll);

}  // namespace korvel::testing
