#include "AudioSignal.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <string>

namespace korvel::testing {

namespace {

void Put16(std::string& s, std::uint32_t v) {
    s.push_back(static_cast<char>(v & 0xFF));
    s.push_back(static_cast<char>((v >> 8) & 0xFF));
}
void Put32(std::string& s, std::uint32_t v) {
    Put16(s, v & 0xFFFF);
    Put16(s, v >> 16);
}
void PutBe32(std::string& s, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        s.push_back(static_cast<char>((v >> shift) & 0xFF));
    }
}

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::int16_t Sample(const std::string& bytes, std::size_t at) {
    const auto lo = static_cast<unsigned char>(bytes[at]);
    const auto hi = static_cast<unsigned char>(bytes[at + 1]);
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(lo | (hi << 8)));
}

}  // namespace

void WriteSineWav(const std::filesystem::path& path, int rate, double hz, int ms,
                  double amplitude) {
    const int frames = rate * ms / 1000;
    const int fade = rate / 500;
    std::string data;
    for (int i = 0; i < frames; ++i) {
        double envelope = 1.0;
        envelope = std::min(envelope, static_cast<double>(i) / fade);
        envelope = std::min(envelope, static_cast<double>(frames - 1 - i) / fade);
        const double v = amplitude * envelope * std::sin(2.0 * M_PI * hz * i / rate);
        Put16(data, static_cast<std::uint16_t>(static_cast<std::int16_t>(v * 32767.0)));
    }
    std::string wav = "RIFF";
    Put32(wav, static_cast<std::uint32_t>(36 + data.size()));
    wav += "WAVEfmt ";
    Put32(wav, 16);
    Put16(wav, 1);  // PCM
    Put16(wav, 1);  // mono
    Put32(wav, static_cast<std::uint32_t>(rate));
    Put32(wav, static_cast<std::uint32_t>(rate * 2));
    Put16(wav, 2);
    Put16(wav, 16);
    wav += "data";
    Put32(wav, static_cast<std::uint32_t>(data.size()));
    wav += data;
    std::ofstream(path, std::ios::binary) << wav;
}

void WriteMidi(const std::filesystem::path& path, int notes, int bpm) {
    constexpr int kDivision = 96;
    std::string track;
    const std::uint32_t tempo = 60000000u / static_cast<std::uint32_t>(bpm);
    track += std::string("\x00\xFF\x51\x03", 4);
    track.push_back(static_cast<char>((tempo >> 16) & 0xFF));
    track.push_back(static_cast<char>((tempo >> 8) & 0xFF));
    track.push_back(static_cast<char>(tempo & 0xFF));
    track += std::string("\x00\xC0\x00", 3);  // piano
    const int scale[] = {60, 62, 64, 65, 67, 69, 71, 72};
    for (int i = 0; i < notes; ++i) {
        const char key = static_cast<char>(scale[i % 8]);
        track += std::string("\x00\x90", 2);
        track.push_back(key);
        track.push_back(100);
        // Delta of one quarter note (96 ticks fits one byte).
        track.push_back(static_cast<char>(kDivision));
        track.push_back(static_cast<char>(0x80));
        track.push_back(key);
        track.push_back(0);
    }
    track += std::string("\x00\xFF\x2F\x00", 4);
    std::string midi = "MThd";
    PutBe32(midi, 6);
    midi += std::string("\x00\x00\x00\x01", 4);
    midi.push_back(0);
    midi.push_back(static_cast<char>(kDivision));
    midi += "MTrk";
    PutBe32(midi, static_cast<std::uint32_t>(track.size()));
    midi += track;
    std::ofstream(path, std::ios::binary) << midi;
}

Capture Capture::read(const std::filesystem::path& raw, int rate) {
    Capture c;
    c.rate = rate;
    const std::string bytes = ReadAll(raw);
    for (std::size_t at = 0; at + 4 <= bytes.size(); at += 4) {
        c.left.push_back(Sample(bytes, at));
        c.right.push_back(Sample(bytes, at + 2));
    }
    return c;
}

std::vector<Burst> FindBursts(const Capture& capture, int threshold, int joinMs) {
    const std::size_t block = static_cast<std::size_t>(capture.rate / 1000);
    std::vector<Burst> bursts;
    std::size_t quietBlocks = 0;
    bool open = false;
    for (std::size_t b = 0; b + block <= capture.left.size(); b += block) {
        int peak = 0;
        for (std::size_t i = b; i < b + block; ++i) {
            peak = std::max({peak, std::abs(static_cast<int>(capture.left[i])),
                             std::abs(static_cast<int>(capture.right[i]))});
        }
        if (peak > threshold) {
            if (open && quietBlocks <= static_cast<std::size_t>(joinMs)) {
                bursts.back().end = b + block;
            } else {
                bursts.push_back({b, b + block});
            }
            open = true;
            quietBlocks = 0;
        } else {
            ++quietBlocks;
        }
    }
    return bursts;
}

Burst LongestQuiet(const Capture& capture, std::size_t begin, std::size_t end, int threshold) {
    Burst best{begin, begin};
    std::size_t runStart = begin;
    for (std::size_t i = begin; i < end && i < capture.left.size(); ++i) {
        if (std::abs(static_cast<int>(capture.left[i])) > threshold ||
            std::abs(static_cast<int>(capture.right[i])) > threshold) {
            runStart = i + 1;
        } else if (i + 1 - runStart > best.end - best.begin) {
            best = {runStart, i + 1};
        }
    }
    return best;
}

double Rms(const std::vector<std::int16_t>& side, std::size_t begin, std::size_t end) {
    double sum = 0;
    for (std::size_t i = begin; i < end && i < side.size(); ++i) {
        sum += static_cast<double>(side[i]) * side[i];
    }
    return end > begin ? std::sqrt(sum / static_cast<double>(end - begin)) : 0.0;
}

double ZeroCrossingHz(const Capture& capture, const Burst& burst) {
    int crossings = 0;
    for (std::size_t i = burst.begin + 1; i < burst.end; ++i) {
        if ((capture.left[i - 1] < 0) != (capture.left[i] < 0)) {
            ++crossings;
        }
    }
    return crossings / 2.0 / (static_cast<double>(burst.end - burst.begin) / capture.rate);
}

OwnSilence WavSilence(const std::filesystem::path& wav, int threshold) {
    const std::string bytes = ReadAll(wav);
    OwnSilence s;
    const auto data = bytes.find("data");
    if (bytes.size() < 44 || data == std::string::npos) {
        return s;
    }
    const int channels = Sample(bytes, 22);
    const int rate = static_cast<int>(static_cast<unsigned char>(bytes[24]) |
                                      (static_cast<unsigned char>(bytes[25]) << 8) |
                                      (static_cast<unsigned char>(bytes[26]) << 16));
    const std::size_t first = data + 8;
    const std::size_t frameBytes = 2 * static_cast<std::size_t>(std::max(1, channels));
    const std::size_t frames = (bytes.size() - first) / frameBytes;
    auto loud = [&](std::size_t f) {
        return std::abs(static_cast<int>(Sample(bytes, first + f * frameBytes))) > threshold;
    };
    std::size_t lead = 0;
    while (lead < frames && !loud(lead)) {
        ++lead;
    }
    std::size_t trail = 0;
    while (trail < frames - lead && !loud(frames - 1 - trail)) {
        ++trail;
    }
    s.leadingMs = lead * 1000.0 / rate;
    s.trailingMs = trail * 1000.0 / rate;
    return s;
}

}  // namespace korvel::testing
