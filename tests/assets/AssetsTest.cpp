// The generated assets, read the way the program reads them: the phrase table
// and the recordings made from it (decoded by SDL_mixer), the effects (read by
// SDL) against their limits in data/effects.txt; the mixer that plays them is
// tested in tests/audio, its limiter holding any sum below full scale. A build
// without KORVEL_BUILD_ASSETS has only the table to check.

#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <numbers>
#include <sstream>

#include "AudioSignal.h"
#include "Golden.h"
#include "core/TextCodec.h"
#include "voice/Loudness.h"

namespace korvel::testing {
namespace {

namespace fs = std::filesystem;
const fs::path kProgram = KORVEL_PROGRAM_DIR;
using Rows = std::vector<std::vector<std::string>>;

// The lines of a table, split at `separator`.
Rows ReadRows(const fs::path& path, char separator) {
    Rows rows;
    for (const std::string& line : Split(ReadBytes(path))) {
        rows.push_back(Split(line, separator));
    }
    EXPECT_FALSE(rows.empty()) << path;
    return rows;
}

// The phrases: name, wording and what the voice reads, the pronunciation
// (words in the voice's phoneme input, [[...]]) or else the wording.
Rows Phrases() {
    Rows rows = ReadRows(KORVEL_PHRASE_TABLE, '\t');
    for (auto& row : rows) {
        row.resize(3, row.back());
    }
    return rows;
}

const auto Lufs = [](const Signal& s) { return LoudnessLufs(s.samples, s.rate, 32768.0); };

// The meter reads as ITU-R BS.1770 calibrates it: a 997 Hz sine at full scale
// is -3.01 LUFS.
TEST(Loudness, AFullScaleSineReadsMinus3Lufs) {
    std::vector<double> sine(96000);
    for (std::size_t i = 0; i < sine.size(); ++i) {
        sine[i] = std::sin(2 * std::numbers::pi * 997 * double(i) / 48000);
    }
    EXPECT_NEAR(LoudnessLufs(sine, 48000), -3.01, 0.05);
}

// A wording the recording script can pass to the voice: Russian text, with a
// Russian letter and no blank at either end, with no Latin letters (the voice
// would read them in English) or digits (read by the voice's own rules), and
// none of the characters the script cannot carry; outside [[...]] the same
// holds for what the voice reads.
TEST(PhraseTable, EveryWordingIsSpeakableRussian) {
    const std::string forbidden =
        "[]\\\t\";0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    for (const auto& row : Phrases()) {
        const std::string &name = row[0], &wording = row[1];
        std::string spoken = row[2];
        for (auto at = spoken.find("[["), end = spoken.find("]]", at); end != std::string::npos;
             at = spoken.find("[["), end = spoken.find("]]", at)) {
            spoken.erase(at, end + 2 - at);
        }
        for (const std::string& text : {wording, spoken}) {
            const std::string russian = Utf8ToCp1251(text);  // the code page of Russian text
            EXPECT_EQ(Cp1251ToUtf8(russian), text) << name << ": not UTF-8 of Russian text";
            EXPECT_EQ(russian.find_first_of(forbidden), std::string::npos) << name << ": " << text;
        }
        EXPECT_TRUE(wording.find_first_not_of(' ') == 0 && !wording.ends_with(' ')) << name;
        EXPECT_TRUE(
            std::ranges::any_of(Utf8ToCp1251(wording), [](unsigned char c) { return c >= 0xC0; }))
            << wording << " has no Russian letter";
    }
}

// Sounds/<name>.wav as SDL reads it; empty, failing the calling test, when it
// is missing, cut off, or not 16-bit mono.
Signal Effect(const std::string& name) {
    const auto path = kProgram / "Sounds" / (name + ".wav");
    SDL_SetHint(SDL_HINT_WAVE_TRUNCATION, "verystrict");
    SDL_AudioSpec format{};
    Uint8* buffer = nullptr;
    Uint32 length = 0;
    const bool read = SDL_LoadWAV(path.c_str(), &format, &buffer, &length) &&
                      format.format == AUDIO_S16LSB && format.channels == 1;
    EXPECT_TRUE(read) << path << " is no 16-bit mono WAV: " << SDL_GetError();
    const auto* samples = reinterpret_cast<const std::int16_t*>(buffer);
    Signal clip{read ? format.freq : 0, {samples, samples + (read ? length / 2 : 0)}};
    SDL_FreeWAV(buffer);
    return clip;
}

// Built with KORVEL_BUILD_ASSETS only:
//
// Every phrase as the voice reads it (espeak-ng -x), stress marks included, is
// the transcription reviewed by ear in data/pronunciation.txt; a changed line
// there must have been listened to. No word may be spelled out letter by
// letter (espeak-ng gives the letters' names a secondary stress, ',').
//
// Its recording is clean and near the voice's level (the median of them all),
// so that no phrase of a sequence ("ход" then a number) drops out or stands
// out; identical files for different wordings would mean the voice made a
// fixed sound instead.
//
// Each effect is a short clip at the rate the board's pitch offsets count
// from, far from full scale, sounding at once (an effect marks a key press)
// and ending without a click, in its band of loudness around the voice as the
// game plays it, and louder than the tick that sounds every second; the
// contrasts between them hold; the refusal of a move sounds its whole length.
//
// The effects' rows in data/effects.txt: "clip NAME LONGEST VOLUME LOWEST
// HIGHEST", the effect lasts at most LONGEST seconds at its own rate and,
// played at VOLUME (hundredths of a decibel, the caller's), its loudness lies
// from LOWEST to HIGHEST LU around the voice. Lengths: the cursor repeats with
// the keyboard, a turned disc sounds every 100 ms, the count-down every
// second. Levels: the clicks that come with every key and move stay well below
// the voice, the signals at or below it; only the count-down may rise a little
// above it. "higher A B FACTOR": A's pitch above FACTOR times B's; "louder":
// its level. A disc turned to white is brighter than one turned to black; the
// edge bump is dull and the menu's refusal low; from pik3 to pik0 each
// count-down cue is higher and louder than the one before.
TEST(Assets, PhrasesAndEffectsSitAroundTheVoice) {
    if (!KORVEL_ASSETS_BUILT) {
        GTEST_SKIP() << "configured with KORVEL_BUILD_ASSETS=OFF";
    }
    TempFolder folder;
    std::vector<std::string> transcriptions;
    std::map<std::string, Signal> decoded;
    std::map<std::string, std::string> byContent;  // bytes -> wording
    std::vector<double> levels;
    int rate = 0, channels = 0;
    Uint16 format = 0;
    ASSERT_TRUE(SDL_InitSubSystem(SDL_INIT_AUDIO) == 0 &&
                Mix_OpenAudio(22050, AUDIO_S16SYS, 1, 1024) == 0 &&
                Mix_QuerySpec(&rate, &format, &channels) && format == AUDIO_S16SYS && channels == 1)
        << "no 16-bit mono decoder: " << SDL_GetError();
    for (const auto& row : Phrases()) {
        const std::string &name = row[0], &wording = row[1];
        WriteBytes(folder / "text", row[2]);
        std::system(("'" KORVEL_ESPEAK_PROGRAM "' -v ru -q -x -f '" + (folder / "text").string() +
                     "' > '" + (folder / "out").string() + "'")
                        .c_str());
        std::istringstream out(ReadBytes(folder / "out"));
        std::string phonemes;
        for (std::string word; out >> word;) {
            phonemes += (phonemes.empty() ? "" : " ") + word;
        }
        EXPECT_EQ(phonemes.find(','), std::string::npos) << name << ": spelled out";
        transcriptions.push_back(name + "\t" + phonemes);
        const std::string file = kProgram / "Speaks" / (name + ".mp3");
        Mix_Chunk* c = Mix_LoadWAV(file.c_str());
        const auto* samples = c ? reinterpret_cast<const std::int16_t*>(c->abuf) : nullptr;
        const Signal& s = decoded[name] = {rate, {samples, samples + (c ? c->alen / 2 : 0)}};
        Mix_FreeChunk(c);
        levels.push_back(Lufs(s));
        EXPECT_TRUE(s.seconds() > 0.1 && s.seconds() < 8.0) << name << " lasts " << s.seconds();
        EXPECT_LT(Peak(s), 0.97) << name;
        const auto [it, added] = byContent.emplace(ReadBytes(file), wording);
        EXPECT_TRUE(added || it->second == wording) << name << " sounds like " << it->second;
    }
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    ExpectGolden(transcriptions, "pronunciation");
    std::ranges::nth_element(levels, levels.begin() + std::ptrdiff_t(levels.size() / 2));
    const double voice = levels[levels.size() / 2];
    EXPECT_GT(voice, -25.0);
    for (const auto& [name, s] : decoded) {
        EXPECT_NEAR(Lufs(s), voice, 4.0) << name;
    }
    EXPECT_GT(decoded["keynum"].seconds(), 3 * decoded["53"].seconds());  // minutes against "Да"
    const double tick = Rms(Effect("tiktak"));
    for (const auto& row : ReadRows(KORVEL_EFFECT_TABLE, ' ')) {
        const Signal a = Effect(row[1]), b = row[0] == "clip" ? a : Effect(row[2]);
        const double factor = std::stod(row[3]);  // of the contrast, or the clip's volume
        if (row[0] != "clip") {
            EXPECT_GT(row[0] == "louder" ? Rms(a) : Pitch(a),
                      factor * (row[0] == "louder" ? Rms(b) : Pitch(b)))
                << row[0] << " " << row[1] << " " << row[2];
        } else if (!a.samples.empty()) {
            EXPECT_EQ(a.rate, 22050) << row[1];
            EXPECT_TRUE(a.seconds() >= 0.015 && a.seconds() <= std::stod(row[2])) << row[1];
            EXPECT_TRUE(Peak(a) > 0.05 && Peak(a) < 0.71) << row[1] << " " << Peak(a);
            const auto onset = std::ranges::find_if(a.samples, [](int v) { return abs(v) > 1638; });
            EXPECT_LT(onset - a.samples.begin(), a.rate * 3 / 1000) << row[1];
            EXPECT_LT(std::abs(int(a.samples.back())), 330) << row[1];
            const double heard = Lufs(a) + factor / 100.0 - voice;
            EXPECT_TRUE(heard >= std::stod(row[4]) && heard <= std::stod(row[5]))
                << row[1] << heard;
            EXPECT_GE(Rms(a), tick) << row[1];
        }
    }
    const Signal error = Effect("error");
    EXPECT_GT(Rms(error, error.samples.size() / 2), 0.3 * Rms(error, 0, error.samples.size() / 2));
}

}  // namespace
}  // namespace korvel::testing
