#include "AudioSignal.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>

#include "TempFolder.h"

namespace korvel::testing {

namespace {

std::string Le(std::uint32_t v, int bytes) {
    std::string s;
    for (int i = 0; i < bytes; ++i) {
        s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    }
    return s;
}

}  // namespace

void WriteTone(const std::filesystem::path& path, double hz, int ms, double amplitude,
               int channels) {
    constexpr int kRate = 22050;
    const int frames = kRate * ms / 1000, fade = kRate / 500;
    const auto frameBytes = static_cast<std::uint32_t>(2 * channels);
    std::string data;
    for (int i = 0; i < frames; ++i) {
        const double envelope = std::min({1.0, double(i) / fade, double(frames - 1 - i) / fade});
        const double wave = hz > 0 ? std::sin(2 * std::numbers::pi * hz * i / kRate) : 1.0;
        for (int c = 0; c < channels; ++c) {
            data +=
                Le(static_cast<std::uint32_t>(std::lround(amplitude * envelope * wave * 32767)), 2);
        }
    }
    WriteBytes(path, "RIFF" + Le(36 + std::uint32_t(data.size()), 4) + "WAVEfmt " + Le(16, 4) +
                         Le(1, 2) + Le(std::uint32_t(channels), 2) + Le(kRate, 4) +
                         Le(kRate * frameBytes, 4) + Le(frameBytes, 2) + Le(16, 2) + "data" +
                         Le(std::uint32_t(data.size()), 4) + data);
}

void WriteMidi(const std::filesystem::path& path, int notes, int bpm) {
    const auto tempo = 60000000u / static_cast<std::uint32_t>(bpm);
    std::string track = std::string("\0\xFF\x51\x03", 4) + char(tempo >> 16) + char(tempo >> 8) +
                        char(tempo) + std::string("\0\xC0\0", 3);  // a piano
    for (int i = 0; i < notes; ++i) {
        const char key = static_cast<char>(60 + 2 * (i % 6));
        // On at once, off a quarter note (96 ticks) later.
        track += std::string("\0\x90", 2) + key + "\x64\x60\x80" + key + '\0';
    }
    track += std::string("\0\xFF\x2F\0", 4);
    const auto n = static_cast<std::uint32_t>(track.size());
    WriteBytes(path, std::string("MThd\0\0\0\x06\0\0\0\x01\0\x60MTrk", 18) + char(n >> 24) +
                         char(n >> 16) + char(n >> 8) + char(n) + track);
}

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

std::vector<Burst> FindBursts(const Capture& capture, int threshold, int joinMs) {
    const auto block = static_cast<std::size_t>(capture.left.rate / 1000);
    std::vector<Burst> bursts;
    std::size_t quiet = 0;
    for (std::size_t b = 0; block > 0 && b + block <= capture.right.samples.size(); b += block) {
        int peak = 0;
        for (std::size_t i = b; i < b + block; ++i) {
            peak = std::max({peak, std::abs(int(capture.left.samples[i])),
                             std::abs(int(capture.right.samples[i]))});
        }
        if (peak <= threshold) {
            ++quiet;
            continue;
        }
        if (bursts.empty() || quiet > std::size_t(joinMs)) {
            bursts.push_back({b, b});
        }
        bursts.back().end = b + block;
        quiet = 0;
    }
    return bursts;
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
