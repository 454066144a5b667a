#pragma once

// Minimal readers of the generated asset formats, strict enough to reject the
// faults a player would hear: a truncated or mis-declared WAV, an MP3 that is
// not MPEG audio, a MIDI file with a note left hanging or a broken chunk.

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace korvel::testing {

// One line of the phrase table: name, wording and what the voice is given to
// read (the pronunciation column, or the wording when it has none), with its
// line number.
struct PhraseLine {
    int line = 0;
    std::string name;
    std::string wording;
    std::string spoken;
};

// Reads "NAME<TAB>wording[<TAB>pronunciation]" lines; `errors` gets one message
// per malformed line.
std::vector<PhraseLine> ReadPhraseTable(const std::filesystem::path& path,
                                        std::vector<std::string>& errors);

// A PCM WAV file: format fields as declared and the samples of a 16-bit mono file.
struct Wav {
    int format = 0;
    int channels = 0;
    int sampleRate = 0;
    int bitsPerSample = 0;
    std::vector<std::int16_t> samples;

    double seconds() const { return sampleRate > 0 ? double(samples.size()) / sampleRate : 0.0; }
};

// Parses a RIFF WAVE image; nullopt with `error` set when it is malformed or
// its data chunk runs past the end of the file.
std::optional<Wav> ParseWav(const std::string& bytes, std::string& error);

// Measures of a sound used to compare effects.
double Peak(const std::vector<std::int16_t>& s);  // 0..1
double Rms(const std::vector<std::int16_t>& s);   // 0..1
// Zero crossings per second of sound, a rough measure of brightness or pitch.
double ZeroCrossingsPerSecond(const std::vector<std::int16_t>& s, int rate);
// Seconds from the start to the first sample above `threshold` of full scale.
double OnsetSeconds(const std::vector<std::int16_t>& s, int rate, double threshold);

// Loudness of a 16-bit WAV in LUFS (see Loudness.h).
double Lufs(const Wav& wav);
// The built program folder's recordings, decoded by lame once, by phrase name;
// and the voice's level, the median of their loudness.
const std::map<std::string, Wav>& DecodedRecordings();
double VoiceLufs();

// MPEG audio layer III stream summary: frames walked from the first frame to
// the end of the file.
struct Mp3 {
    int frames = 0;
    int sampleRate = 0;
    bool mono = false;
    double seconds = 0.0;
};
std::optional<Mp3> ParseMp3(const std::string& bytes, std::string& error);

// A MIDI note with absolute times in ticks.
struct MidiNote {
    int track = 0;
    int channel = 0;
    int key = 0;
    int velocity = 0;
    std::uint32_t start = 0;
    std::uint32_t end = 0;
};

// A Standard MIDI File reduced to what the tests check.
struct Midi {
    int format = 0;
    int division = 0;  // ticks per quarter note
    int trackCount = 0;
    std::vector<MidiNote> notes;
    std::map<int, int> programs;  // channel -> program
    std::uint32_t microsecondsPerQuarter = 500000;
    int beatsPerBar = 4;
    std::uint32_t endTick = 0;  // the latest End of Track
    bool tempoChanges = false;  // more than one tempo event

    double seconds(std::uint32_t tick) const {
        return double(tick) * microsecondsPerQuarter / 1e6 / division;
    }
};

// Parses an SMF image; nullopt with `error` set when a chunk is broken, an
// event is unknown or truncated, a track lacks its End of Track, or a note is
// switched on twice or never switched off.
std::optional<Midi> ParseMidi(const std::string& bytes, std::string& error);

}  // namespace korvel::testing
