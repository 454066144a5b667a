#include "AssetReaders.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "AssetPaths.h"
#include "Loudness.h"
#include "TempFolder.h"

namespace korvel::testing {

namespace {

std::uint32_t le(const std::string& b, std::size_t at, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) {
        v = (v << 8) | static_cast<unsigned char>(b[at + static_cast<std::size_t>(i)]);
    }
    return v;
}

std::uint32_t be(const std::string& b, std::size_t at, int bytes) {
    std::uint32_t v = 0;
    for (int i = 0; i < bytes; ++i) {
        v = (v << 8) | static_cast<unsigned char>(b[at + static_cast<std::size_t>(i)]);
    }
    return v;
}

}  // namespace

std::vector<PhraseLine> ReadPhraseTable(const std::filesystem::path& path,
                                        std::vector<std::string>& errors) {
    std::vector<PhraseLine> result;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        errors.push_back("cannot open " + path.string());
        return result;
    }
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        auto tab = line.find('\t');
        if (tab == std::string::npos || tab == 0) {
            errors.push_back("line " + std::to_string(number) + ": no NAME<TAB>wording");
            continue;
        }
        std::string wording = line.substr(tab + 1);
        const auto second = wording.find('\t');
        std::string spoken = second == std::string::npos ? wording : wording.substr(second + 1);
        wording.resize(std::min(second, wording.size()));
        result.push_back({number, line.substr(0, tab), wording, spoken});
    }
    return result;
}

std::optional<Wav> ParseWav(const std::string& b, std::string& error) {
    if (b.size() < 12 || b.compare(0, 4, "RIFF") != 0 || b.compare(8, 4, "WAVE") != 0) {
        error = "not a RIFF WAVE file";
        return std::nullopt;
    }
    if (le(b, 4, 4) + 8 != b.size()) {
        error = "RIFF size does not match the file size";
        return std::nullopt;
    }
    Wav wav;
    bool haveFormat = false;
    std::size_t at = 12;
    while (at + 8 <= b.size()) {
        std::string id = b.substr(at, 4);
        std::uint32_t size = le(b, at + 4, 4);
        std::size_t body = at + 8;
        if (size > b.size() - body) {
            error = "chunk '" + id + "' runs past the end of the file";
            return std::nullopt;
        }
        if (id == "fmt " && size >= 16) {
            wav.format = static_cast<int>(le(b, body, 2));
            wav.channels = static_cast<int>(le(b, body + 2, 2));
            wav.sampleRate = static_cast<int>(le(b, body + 4, 4));
            wav.bitsPerSample = static_cast<int>(le(b, body + 14, 2));
            std::uint32_t blockAlign = le(b, body + 12, 2);
            std::uint32_t byteRate = le(b, body + 8, 4);
            if (blockAlign != std::uint32_t(wav.channels * wav.bitsPerSample / 8) ||
                byteRate != blockAlign * std::uint32_t(wav.sampleRate)) {
                error = "inconsistent block align or byte rate";
                return std::nullopt;
            }
            haveFormat = true;
        } else if (id == "data") {
            if (!haveFormat) {
                error = "data chunk before the format chunk";
                return std::nullopt;
            }
            if (wav.bitsPerSample == 16 && wav.channels == 1) {
                if (size % 2 != 0) {
                    error = "odd data size for 16-bit samples";
                    return std::nullopt;
                }
                for (std::size_t i = 0; i < size; i += 2) {
                    wav.samples.push_back(static_cast<std::int16_t>(le(b, body + i, 2)));
                }
            }
            return wav;
        }
        at = body + size + (size & 1);
    }
    error = "no data chunk";
    return std::nullopt;
}

double Peak(const std::vector<std::int16_t>& s) {
    int top = 0;
    for (auto v : s) {
        top = std::max(top, std::abs(int(v)));
    }
    return top / 32768.0;
}

double Rms(const std::vector<std::int16_t>& s) {
    if (s.empty()) {
        return 0.0;
    }
    double sum = 0.0;
    for (auto v : s) {
        sum += double(v) * v;
    }
    return std::sqrt(sum / double(s.size())) / 32768.0;
}

double ZeroCrossingsPerSecond(const std::vector<std::int16_t>& s, int rate) {
    // Counted over the sounding 5 ms blocks only, so that gaps between beeps
    // and the decay tail do not dilute the measure.
    const std::size_t block = std::size_t(rate) / 200;
    if (block == 0) {
        return 0.0;  // no rate (a file that failed to load): fail the check, never loop
    }
    int crossings = 0;
    std::size_t active = 0;
    for (std::size_t from = 0; from + block <= s.size(); from += block) {
        double sum = 0.0;
        for (std::size_t i = from; i < from + block; ++i) {
            sum += double(s[i]) * s[i];
        }
        if (std::sqrt(sum / double(block)) < 0.05 * 32768.0) {
            continue;
        }
        active += block;
        for (std::size_t i = from + 1; i < from + block; ++i) {
            if ((s[i - 1] < 0) != (s[i] < 0)) {
                ++crossings;
            }
        }
    }
    return active == 0 ? 0.0 : crossings * double(rate) / double(active);
}

double OnsetSeconds(const std::vector<std::int16_t>& s, int rate, double threshold) {
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (std::abs(int(s[i])) > threshold * 32768.0) {
            return double(i) / rate;
        }
    }
    return double(s.size()) / rate;
}

std::optional<Mp3> ParseMp3(const std::string& b, std::string& error) {
    std::size_t at = 0;
    if (b.size() >= 10 && b.compare(0, 3, "ID3") == 0) {
        std::uint32_t size = 0;
        for (int i = 6; i < 10; ++i) {
            size = (size << 7) | (static_cast<unsigned char>(b[std::size_t(i)]) & 0x7F);
        }
        at = 10 + size;
    }
    Mp3 mp3;
    static const int kBitrates[2][16] = {
        {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},  // MPEG-1
        {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},      // MPEG-2, 2.5
    };
    static const int kRates[4][3] = {
        {11025, 12000, 8000}, {0, 0, 0}, {22050, 24000, 16000}, {44100, 48000, 32000}};
    double seconds = 0.0;
    while (at + 4 <= b.size()) {
        std::uint32_t h = be(b, at, 4);
        if ((h & 0xFFE00000u) != 0xFFE00000u) {
            if (mp3.frames > 0 && b.compare(at, 3, "TAG") == 0) {
                break;  // ID3v1 trailer
            }
            error = "no MPEG frame header at byte " + std::to_string(at);
            return std::nullopt;
        }
        int version = int((h >> 19) & 3);  // 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5
        int layer = int((h >> 17) & 3);    // 1 is layer III
        int bitrateIndex = int((h >> 12) & 15);
        int rateIndex = int((h >> 10) & 3);
        int padding = int((h >> 9) & 1);
        int mode = int((h >> 6) & 3);
        if (version == 1 || layer != 1 || bitrateIndex == 0 || bitrateIndex == 15 ||
            rateIndex == 3) {
            error = "not an MPEG layer III frame at byte " + std::to_string(at);
            return std::nullopt;
        }
        int rate = kRates[version][rateIndex];
        int kbps = kBitrates[version == 3 ? 0 : 1][bitrateIndex];
        int samplesPerFrame = version == 3 ? 1152 : 576;
        std::size_t length = std::size_t(samplesPerFrame / 8 * kbps * 1000 / rate + padding);
        if (mp3.frames == 0) {
            mp3.sampleRate = rate;
            mp3.mono = mode == 3;
        } else if (rate != mp3.sampleRate) {
            error = "sample rate changes inside the stream";
            return std::nullopt;
        }
        if (at + length > b.size()) {
            error = "last frame truncated";
            return std::nullopt;
        }
        ++mp3.frames;
        seconds += double(samplesPerFrame) / rate;
        at += length;
    }
    if (mp3.frames == 0) {
        error = "no frames";
        return std::nullopt;
    }
    mp3.seconds = seconds;
    return mp3;
}

std::optional<Midi> ParseMidi(const std::string& b, std::string& error) {
    if (b.size() < 14 || b.compare(0, 4, "MThd") != 0 || be(b, 4, 4) != 6) {
        error = "no MThd header of length 6";
        return std::nullopt;
    }
    Midi midi;
    midi.format = int(be(b, 8, 2));
    int declaredTracks = int(be(b, 10, 2));
    midi.division = int(be(b, 12, 2));
    if (midi.division <= 0 || midi.division >= 0x8000) {
        error = "division is not in ticks per quarter note";
        return std::nullopt;
    }
    int tempoEvents = 0;
    std::size_t at = 14;
    while (at + 8 <= b.size()) {
        if (b.compare(at, 4, "MTrk") != 0) {
            error = "expected MTrk at byte " + std::to_string(at);
            return std::nullopt;
        }
        std::size_t size = be(b, at + 4, 4);
        std::size_t p = at + 8;
        std::size_t end = p + size;
        if (end > b.size()) {
            error = "track runs past the end of the file";
            return std::nullopt;
        }
        int track = midi.trackCount++;
        std::uint32_t tick = 0;
        int status = 0;
        bool ended = false;
        std::map<int, MidiNote> sounding;  // channel * 128 + key
        auto readLength = [&](std::uint32_t& v) {
            v = 0;
            for (int i = 0; i < 4; ++i) {
                if (p >= end) {
                    return false;
                }
                auto c = static_cast<unsigned char>(b[p++]);
                v = (v << 7) | (c & 0x7F);
                if ((c & 0x80) == 0) {
                    return true;
                }
            }
            return false;
        };
        while (p < end && !ended) {
            std::uint32_t delta = 0;
            if (!readLength(delta)) {
                error = "bad delta time";
                return std::nullopt;
            }
            tick += delta;
            if (p >= end) {
                error = "event missing after delta";
                return std::nullopt;
            }
            int c = static_cast<unsigned char>(b[p]);
            if (c & 0x80) {
                status = c;
                ++p;
            } else if (status == 0) {
                error = "running status without a status";
                return std::nullopt;
            }
            if (status == 0xFF) {
                if (p >= end) {
                    error = "truncated meta event";
                    return std::nullopt;
                }
                int type = static_cast<unsigned char>(b[p++]);
                std::uint32_t len = 0;
                if (!readLength(len) || p + len > end) {
                    error = "truncated meta event";
                    return std::nullopt;
                }
                if (type == 0x2F) {
                    ended = true;
                    midi.endTick = std::max(midi.endTick, tick);
                } else if (type == 0x51 && len == 3) {
                    ++tempoEvents;
                    midi.microsecondsPerQuarter = be(b, p, 3);
                } else if (type == 0x58 && len >= 1) {
                    midi.beatsPerBar = static_cast<unsigned char>(b[p]);
                }
                p += len;
                status = 0;
                continue;
            }
            if (status == 0xF0 || status == 0xF7) {
                std::uint32_t len = 0;
                if (!readLength(len) || p + len > end) {
                    error = "truncated sysex";
                    return std::nullopt;
                }
                p += len;
                status = 0;
                continue;
            }
            int kind = status & 0xF0;
            int channel = status & 0x0F;
            std::size_t dataBytes = (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
            if (p + dataBytes > end) {
                error = "truncated channel event";
                return std::nullopt;
            }
            int d1 = static_cast<unsigned char>(b[p]);
            int d2 = dataBytes == 2 ? static_cast<unsigned char>(b[p + 1]) : 0;
            p += dataBytes;
            if (d1 > 127 || d2 > 127) {
                error = "data byte above 127";
                return std::nullopt;
            }
            int id = channel * 128 + d1;
            if (kind == 0x90 && d2 > 0) {
                if (sounding.count(id) != 0) {
                    error = "note " + std::to_string(d1) + " switched on twice";
                    return std::nullopt;
                }
                sounding[id] = MidiNote{track, channel, d1, d2, tick, tick};
            } else if (kind == 0x80 || kind == 0x90) {
                auto it = sounding.find(id);
                if (it == sounding.end()) {
                    error = "note " + std::to_string(d1) + " switched off but not on";
                    return std::nullopt;
                }
                it->second.end = tick;
                midi.notes.push_back(it->second);
                sounding.erase(it);
            } else if (kind == 0xC0) {
                midi.programs[channel] = d1;
            }
        }
        if (!ended) {
            error = "track " + std::to_string(track) + " has no End of Track";
            return std::nullopt;
        }
        if (!sounding.empty()) {
            error = "track " + std::to_string(track) + " leaves a note sounding";
            return std::nullopt;
        }
        at = end;
    }
    if (at != b.size()) {
        error = "trailing bytes after the last track";
        return std::nullopt;
    }
    if (midi.trackCount != declaredTracks) {
        error = "header declares " + std::to_string(declaredTracks) + " tracks, file has " +
                std::to_string(midi.trackCount);
        return std::nullopt;
    }
    midi.tempoChanges = tempoEvents > 1;
    return midi;
}

double Lufs(const Wav& wav) {
    return LoudnessLufs(wav.samples, wav.sampleRate, 32768.0);
}

const std::map<std::string, Wav>& DecodedRecordings() {
    static const auto recordings = [] {
        std::map<std::string, Wav> all;
        TempFolder folder;
        std::vector<std::string> errors;
        for (const auto& l : ReadPhraseTable(PhraseTablePath(), errors)) {
            const std::string mp3 = (ProgramDir() / "Speaks" / (l.name + ".mp3")).string();
            const std::string wav = (folder / "decoded.wav").string();
            std::system(("'" + std::string(KORVEL_LAME_PROGRAM) + "' --quiet --decode '" + mp3 +
                         "' '" + wav + "'")
                            .c_str());
            std::string error;
            all[l.name] = ParseWav(ReadBytes(wav), error).value_or(Wav{});
        }
        return all;
    }();
    return recordings;
}

double VoiceLufs() {
    std::vector<double> all;
    for (const auto& [name, wav] : DecodedRecordings()) {
        all.push_back(Lufs(wav));
    }
    std::nth_element(all.begin(), all.begin() + all.size() / 2, all.end());
    return all.empty() ? -70.0 : all[all.size() / 2];
}

}  // namespace korvel::testing
