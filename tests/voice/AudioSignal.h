#pragma once

// What the sound tests measure: a clip, or the real device's output as SDL's
// disk driver captures it.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <vector>

#include "TempFolder.h"

namespace korvel::testing {

// One channel of 16-bit samples at `rate` frames a second.
struct Signal {
    int rate = 0;
    std::vector<std::int16_t> samples;
    double seconds() const { return rate > 0 ? double(samples.size()) / rate : 0.0; }
};

// What SDL's disk driver wrote: interleaved 16-bit little-endian stereo frames.
struct Capture {
    Signal left, right;
    static Capture read(const std::filesystem::path& raw, int rate) {
        Capture c{{rate, {}}, {rate, {}}};
        const std::string bytes = ReadBytes(raw);
        for (std::size_t at = 0; at < bytes.size() / 4 * 4; at += 2) {
            const auto lo = static_cast<unsigned char>(bytes[at]);
            const auto sample = lo | static_cast<unsigned char>(bytes[at + 1]) << 8;
            (at % 4 == 0 ? c.left : c.right).samples.push_back(std::int16_t(sample));
        }
        return c;
    }
};

// Measures of the frames [begin, end) of a signal, in units of full scale.
constexpr std::size_t kAll = std::numeric_limits<std::size_t>::max();

inline double Rms(const Signal& s, std::size_t begin = 0, std::size_t end = kAll) {
    end = std::min(end, s.samples.size());
    double sum = 0;
    for (std::size_t i = begin; i < end; ++i) {
        sum += double(s.samples[i]) * s.samples[i];
    }
    return end > begin ? std::sqrt(sum / double(end - begin)) / 32768.0 : 0.0;
}

inline double Peak(const Signal& s) {
    const auto [low, high] = std::minmax_element(s.samples.begin(), s.samples.end());
    return s.samples.empty() ? 0.0 : std::max(-double(*low), double(*high)) / 32768.0;
}

// Pitch in Hz from the zero crossings of the sounding 5 ms blocks only, so that
// gaps and decay tails do not dilute it; 0 for silence, an empty signal or one
// without a rate.
inline double Pitch(const Signal& s, std::size_t begin = 0, std::size_t end = kAll) {
    const auto block = static_cast<std::size_t>(std::max(0, s.rate / 200));
    end = std::min(end, s.samples.size());
    double crossings = 0, sounding = 0;
    for (std::size_t from = begin; block > 0 && from + block <= end; from += block) {
        if (Rms(s, from, from + block) >= 0.05) {
            sounding += double(block);
            for (std::size_t i = from + 1; i < from + block; ++i) {
                crossings += (s.samples[i - 1] < 0) != (s.samples[i] < 0) ? 1 : 0;
            }
        }
    }
    return sounding > 0 ? crossings / 2 * s.rate / sounding : 0.0;
}

}  // namespace korvel::testing
