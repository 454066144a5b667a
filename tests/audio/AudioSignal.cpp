#include "AudioSignal.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "TempFolder.h"

namespace korvel::testing {

Capture Capture::read(const std::filesystem::path& raw, int rate) {
    Capture c{{rate, {}}, {rate, {}}};
    const std::string bytes = ReadBytes(raw);
    for (std::size_t at = 0; at < bytes.size() / 4 * 4; at += 2) {
        const auto lo = static_cast<unsigned char>(bytes[at]);
        const auto hi = static_cast<unsigned char>(bytes[at + 1]);
        (at % 4 == 0 ? c.left : c.right).samples.push_back(static_cast<std::int16_t>(lo | hi << 8));
    }
    return c;
}

double Rms(const Signal& s, std::size_t begin, std::size_t end) {
    end = std::min(end, s.samples.size());
    double sum = 0;
    for (std::size_t i = begin; i < end; ++i) {
        sum += double(s.samples[i]) * s.samples[i];
    }
    return end > begin ? std::sqrt(sum / double(end - begin)) / 32768.0 : 0.0;
}

double Peak(const Signal& s) {
    const auto [low, high] = std::minmax_element(s.samples.begin(), s.samples.end());
    return s.samples.empty() ? 0.0 : std::max(-double(*low), double(*high)) / 32768.0;
}

double Pitch(const Signal& s, std::size_t begin, std::size_t end) {
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
