#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <numbers>
#include <vector>

namespace korvel {

// The loudness of K-weighted sample powers: the mean of 400 ms blocks (75 %
// overlap) above the absolute gate of -70 LUFS, then above the relative gate
// 10 LU under that mean.
inline double GatedLoudness(const std::vector<double>& power, int rate) {
    constexpr double kFloor = -70.0;
    const std::size_t block = std::min(power.size(), static_cast<std::size_t>(rate) * 2 / 5);
    const std::size_t step = std::max<std::size_t>(1, block / 4);
    std::vector<double> blocks;
    for (std::size_t at = 0; at + block <= power.size(); at += step) {
        double sum = 0;
        for (std::size_t i = at; i < at + block; ++i) {
            sum += power[i];
        }
        blocks.push_back(sum / static_cast<double>(block));
    }
    auto lufs = [](double meanSquare) {
        return meanSquare > 0 ? -0.691 + 10.0 * std::log10(meanSquare) : -1000.0;
    };
    auto gatedMean = [&](double gate) {
        double sum = 0;
        int count = 0;
        for (double b : blocks) {
            if (lufs(b) > gate) {
                sum += b;
                ++count;
            }
        }
        return count > 0 ? sum / count : 0.0;
    };
    const double ungated = gatedMean(kFloor);
    if (ungated <= 0) {
        return kFloor;
    }
    return std::max(kFloor, lufs(gatedMean(lufs(ungated) - 10.0)));
}

// Loudness of a mono signal in LUFS, measured the way ITU-R BS.1770 does it:
// K-weighted (a high shelf of +4 dB above about 1.7 kHz and a high-pass at
// 38 Hz), mean square over 400 ms blocks overlapping by 75 %, blocks below
// -70 LUFS and then those more than 10 LU below the mean left out. A sound
// shorter than one block is measured as a single block of its own length, so
// a 30 ms click reads as loud as it is while it sounds, not averaged with
// silence. `samples` are in full-scale units of `fullScale` (32768 for 16-bit
// samples, 1 for floating point). Silence gives -70.
template <class Sample>
double LoudnessLufs(const std::vector<Sample>& samples, int rate, double fullScale = 1.0) {
    constexpr double kFloor = -70.0;
    if (samples.empty() || rate <= 0) {
        return kFloor;
    }
    // Biquad coefficients by the bilinear transform, for any sample rate.
    const double pi = std::numbers::pi;
    double k = std::tan(pi * 1681.974450955533 / rate);
    const double q1 = 0.7071752369554196;
    const double vh = std::pow(10.0, 3.999843853973347 / 20.0);
    const double vb = std::pow(vh, 0.4996667741545416);
    double a0 = 1.0 + k / q1 + k * k;
    const double sb[3] = {(vh + vb * k / q1 + k * k) / a0, 2.0 * (k * k - vh) / a0,
                          (vh - vb * k / q1 + k * k) / a0};
    const double sa[3] = {1.0, 2.0 * (k * k - 1.0) / a0, (1.0 - k / q1 + k * k) / a0};
    k = std::tan(pi * 38.13547087602444 / rate);
    const double q2 = 0.5003270373238773;
    a0 = 1.0 + k / q2 + k * k;
    const double hb[3] = {1.0, -2.0, 1.0};
    const double ha[3] = {1.0, 2.0 * (k * k - 1.0) / a0, (1.0 - k / q2 + k * k) / a0};

    std::vector<double> power(samples.size());
    double s1 = 0, s2 = 0, h1 = 0, h2 = 0;  // direct form II states
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const double x = static_cast<double>(samples[i]) / fullScale;
        const double w = x - sa[1] * s1 - sa[2] * s2;
        const double y = sb[0] * w + sb[1] * s1 + sb[2] * s2;
        s2 = s1;
        s1 = w;
        const double v = y - ha[1] * h1 - ha[2] * h2;
        const double z = hb[0] * v + hb[1] * h1 + hb[2] * h2;
        h2 = h1;
        h1 = v;
        power[i] = z * z;
    }

    return GatedLoudness(power, rate);
}

}  // namespace korvel
