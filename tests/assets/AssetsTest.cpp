// The generated assets, read the way the program reads them: the phrase table
// and the recordings made from it (decoded by SDL_mixer), the effects (read by
// SDL), and all of it with the music through the real mixer. A build without
// KORVEL_BUILD_ASSETS has only the table to check.

#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <map>
#include <numbers>
#include <sstream>

#include "AudioSignal.h"
#include "Loudness.h"
#include "QtClock.h"
#include "SdlAudioDevice.h"
#include "TempFolder.h"
#include "TextCodec.h"

namespace korvel::testing {
namespace {

namespace fs = std::filesystem;
const fs::path kProgram = KORVEL_PROGRAM_DIR;

// The generated files exist only in a build made with KORVEL_BUILD_ASSETS.
class Built : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!KORVEL_ASSETS_BUILT) {
            GTEST_SKIP() << "configured with KORVEL_BUILD_ASSETS=OFF";
        }
    }
};

struct PhraseLine {
    std::string name, wording;
    std::string spoken;  // what the voice reads: the pronunciation, else the wording
};

// NAME<TAB>wording[<TAB>pronunciation] lines; a line without a name and a tab
// fails the calling test.
std::vector<PhraseLine> ReadPhraseTable(const fs::path& path = KORVEL_PHRASE_TABLE) {
    std::vector<PhraseLine> lines;
    std::istringstream in(ReadBytes(path));
    for (std::string text; std::getline(in, text);) {
        const auto tab = text.find('\t'), second = text.find('\t', tab + 1);
        EXPECT_TRUE(tab > 0 && tab != std::string::npos) << path << ":" << lines.size() + 1;
        lines.push_back({text.substr(0, tab), text.substr(tab + 1, second - tab - 1),
                         text.substr((second == std::string::npos ? tab : second) + 1)});
    }
    EXPECT_FALSE(lines.empty()) << path;
    return lines;
}

// Every phrase's recording decoded by SDL_mixer as the program decodes it, by
// name: empty when it cannot be decoded.
const std::map<std::string, Signal>& Decoded() {
    static const auto all = [] {
        std::map<std::string, Signal> out;
        int rate = 0, channels = 0;
        Uint16 format = 0;
        EXPECT_TRUE(SDL_InitSubSystem(SDL_INIT_AUDIO) == 0 &&
                    Mix_OpenAudio(22050, AUDIO_S16SYS, 1, 1024) == 0 &&
                    Mix_QuerySpec(&rate, &format, &channels) && format == AUDIO_S16SYS &&
                    channels == 1)
            << "no 16-bit mono decoder: " << SDL_GetError();
        for (const PhraseLine& l : ReadPhraseTable()) {
            Mix_Chunk* c = Mix_LoadWAV((kProgram / "Speaks" / (l.name + ".mp3")).c_str());
            const auto* samples = c ? reinterpret_cast<const std::int16_t*>(c->abuf) : nullptr;
            out[l.name] = {rate, {samples, samples + (c ? c->alen / 2 : 0)}};
            Mix_FreeChunk(c);
        }
        Mix_CloseAudio();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return out;
    }();
    return all;
}

double Lufs(const Signal& s) {
    return LoudnessLufs(s.samples, s.rate, 32768.0);
}

// The meter reads as ITU-R BS.1770 calibrates it: a 997 Hz sine at full scale
// is -3.01 LUFS.
TEST(Loudness, AFullScaleSineReadsMinus3Lufs) {
    std::vector<double> sine(96000);
    for (std::size_t i = 0; i < sine.size(); ++i) {
        sine[i] = std::sin(2 * std::numbers::pi * 997 * double(i) / 48000);
    }
    EXPECT_NEAR(LoudnessLufs(sine, 48000), -3.01, 0.05);
}

// The voice's level: the median loudness of the recordings.
double VoiceLufs() {
    std::vector<double> all;
    for (const auto& [name, recording] : Decoded()) {
        all.push_back(Lufs(recording));
    }
    std::nth_element(all.begin(), all.begin() + std::ptrdiff_t(all.size() / 2), all.end());
    return all.empty() ? -70.0 : all[all.size() / 2];
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

// Every phrase as the voice reads it (espeak-ng -x), stress marks included,
// against the transcriptions reviewed by ear in data/Pronunciation.golden.tsv;
// a changed line there must have been listened to. No word may be spelled out
// letter by letter (espeak-ng gives the letters' names a secondary stress, ',').
// Without the voice, the names alone are compared.
TEST(PhraseTable, HoldsTheReviewedPhrasesAndTheVoiceReadsThemSo) {
    const auto lines = ReadPhraseTable(), reviewed = ReadPhraseTable(KORVEL_PRONUNCIATION);
    ASSERT_EQ(lines.size(), reviewed.size());
    TempFolder folder;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string phonemes = reviewed[i].wording;
        if (KORVEL_ASSETS_BUILT) {  // the voice is there only to record the phrases
            WriteBytes(folder / "text", lines[i].spoken);
            std::system(("'" KORVEL_ESPEAK_PROGRAM "' -v ru -q -x -f '" +
                         (folder / "text").string() + "' > '" + (folder / "out").string() + "'")
                            .c_str());
            std::istringstream out(ReadBytes(folder / "out"));
            phonemes.clear();
            for (std::string word; out >> word;) {
                phonemes += (phonemes.empty() ? "" : " ") + word;
            }
            EXPECT_EQ(phonemes.find(','), std::string::npos) << lines[i].name << ": spelled out";
        }
        EXPECT_EQ(lines[i].name + "\t" + phonemes, reviewed[i].name + "\t" + reviewed[i].wording);
    }
}

// A wording the recording script can pass to the voice: Russian text with no
// Latin letters (the voice would read them in English) or digits (read by the
// voice's own rules), none of the characters the script cannot carry, and in
// the pronunciation column words in the voice's phoneme input, [[...]].
TEST(PhraseTable, EveryWordingIsSpeakableRussian) {
    for (const PhraseLine& l : ReadPhraseTable()) {
        std::string spoken = l.spoken;
        for (auto at = spoken.find("[["), end = spoken.find("]]", at); end != std::string::npos;
             at = spoken.find("[["), end = spoken.find("]]", at)) {
            spoken.erase(at, end + 2 - at);
        }
        EXPECT_EQ(spoken.find_first_of("[]\\\t\""), std::string::npos) << l.spoken;
        EXPECT_EQ(l.wording.find_first_of(";\\\t\""), std::string::npos) << l.wording;
        EXPECT_TRUE(l.wording.find_first_not_of(' ') == 0 && !l.wording.ends_with(' ')) << l.name;
        for (const std::string& text : {l.wording, spoken}) {
            const std::string russian = Utf8ToCp1251(text);  // the code page of Russian text
            EXPECT_EQ(Cp1251ToUtf8(russian), text) << l.name << ": not UTF-8 of Russian text";
            EXPECT_TRUE(std::none_of(russian.begin(), russian.end(), [](unsigned char c) {
                return std::isalnum(c);
            })) << text;
        }
        EXPECT_TRUE(
            std::ranges::any_of(Utf8ToCp1251(l.wording), [](unsigned char c) { return c >= 0xC0; }))
            << l.wording << " has no Russian letter";
    }
}

// One for every phrase, clean and near the voice's level, so that no phrase of
// a sequence ("ход" then a number) drops out or stands out. Identical files
// for different wordings would mean the voice made a fixed sound instead.
TEST_F(Built, RecordingsAreCleanNearTheVoiceAndAsLongAsTheirWording) {
    const double voice = VoiceLufs();
    EXPECT_GT(voice, -25.0);
    std::map<std::string, std::string> byContent;  // bytes -> wording
    for (const PhraseLine& l : ReadPhraseTable()) {
        const Signal& s = Decoded().at(l.name);
        EXPECT_TRUE(s.seconds() > 0.1 && s.seconds() < 8.0) << l.name << " lasts " << s.seconds();
        EXPECT_NEAR(Lufs(s), voice, 4.0) << l.name;
        EXPECT_LT(Peak(s), 0.97) << l.name;
        const auto [it, added] =
            byContent.emplace(ReadBytes(kProgram / "Speaks" / (l.name + ".mp3")), l.wording);
        EXPECT_TRUE(added || it->second == l.wording) << l.name << " sounds like " << it->second;
    }
    // The minutes prompt against "Да".
    EXPECT_GT(Decoded().at("keynum").seconds(), 3 * Decoded().at("53").seconds());
}

struct EffectLimits {
    const char* name;
    double maxSeconds;       // at the file's own rate
    int volume;              // the caller's, hundredths of a decibel
    double lowest, highest;  // loudness as played, LU from the voice
};

class Effects : public Built, public ::testing::WithParamInterface<EffectLimits> {};

// A short clip at the rate the board's pitch offsets count from, far from full
// scale, sounding at once (an effect marks a key press) and ending without a
// click, in its band of loudness around the voice as the game plays it, and
// louder than the tick that sounds every second.
TEST_P(Effects, AreShortCleanClipsInTheirBandAroundTheVoice) {
    const EffectLimits& e = GetParam();
    const Signal clip = Effect(e.name);
    ASSERT_FALSE(clip.samples.empty());
    EXPECT_EQ(clip.rate, 22050);
    EXPECT_TRUE(clip.seconds() >= 0.015 && clip.seconds() <= e.maxSeconds) << clip.seconds();
    EXPECT_TRUE(Peak(clip) > 0.05 && Peak(clip) < 0.71) << Peak(clip);
    const auto onset = std::find_if(clip.samples.begin(), clip.samples.end(),
                                    [](int v) { return std::abs(v) > 0.05 * 32768; });
    EXPECT_LT(onset - clip.samples.begin(), clip.rate * 3 / 1000);
    EXPECT_LT(std::abs(int(clip.samples.back())), 330);
    const double heard = Lufs(clip) + e.volume / 100.0 - VoiceLufs();
    EXPECT_TRUE(heard >= e.lowest && heard <= e.highest) << heard << " LU from the voice";
    EXPECT_GE(Rms(clip), Rms(Effect("tiktak")));
}

// Lengths: the cursor repeats with the keyboard, a turned disc sounds every
// 100 ms, the count-down every second. Levels: the clicks that come with every
// key and move stay well below the voice, the signals at or below it; only the
// count-down may rise a little above it.
const EffectLimits kEffects[] = {
    {"cursor", 0.060, -500, -18, -6},  {"fishka0", 0.120, -500, -16, -4},
    {"fishka1", 0.090, -500, -16, -4}, {"fishka2", 0.090, -500, -16, -4},
    {"border", 0.150, 0, -12, -2},     {"error", 0.300, -500, -9, 0},
    {"tiktak", 0.050, -1000, -22, -8}, {"ok", 0.500, 0, -10, 0},
    {"pik0", 0.400, -800, -6, 3},      {"pik1", 0.400, -800, -6, 3},
    {"pik2", 0.400, -800, -6, 3},      {"pik3", 0.400, -800, -6, 3},
    {"not", 0.250, 0, -10, 0},         {"msgerror", 0.400, 0, -10, 0},
    {"msgquestion", 0.400, 0, -10, 0}, {"msginfo", 0.400, 0, -10, 0}};

INSTANTIATE_TEST_SUITE_P(Sounds, Effects, ::testing::ValuesIn(kEffects),
                         [](const auto& info) { return std::string(info.param.name); });

// The first effect's pitch (or level) above `factor` times the second's.
struct Contrast {
    const char *higher, *lower;
    double factor;
    bool louder;
};

class Contrasts : public Built, public ::testing::WithParamInterface<Contrast> {};

TEST_P(Contrasts, Hold) {
    const Contrast& c = GetParam();
    const Signal a = Effect(c.higher), b = Effect(c.lower);
    EXPECT_GT(c.louder ? Rms(a) : Pitch(a), c.factor * (c.louder ? Rms(b) : Pitch(b)));
}

// A disc turned to white is brighter than one turned to black; the edge bump
// is dull and the menu's refusal low; from pik3 to pik0 each count-down cue is
// higher and louder than the one before.
INSTANTIATE_TEST_SUITE_P(
    Effects, Contrasts,
    ::testing::Values(Contrast{"fishka1", "fishka2", 1.5, false},
                      Contrast{"cursor", "border", 2, false}, Contrast{"cursor", "not", 2, false},
                      Contrast{"pik0", "pik1", 1, false}, Contrast{"pik1", "pik2", 1, false},
                      Contrast{"pik2", "pik3", 1, false}, Contrast{"pik0", "pik1", 1, true},
                      Contrast{"pik1", "pik2", 1, true}, Contrast{"pik2", "pik3", 1, true}));

// The refusal of a move sounds for its whole length, not a click.
TEST_F(Built, TheRefusalOfAMoveLasts) {
    const Signal error = Effect("error");
    EXPECT_GT(Rms(error, error.samples.size() / 2), 0.3 * Rms(error, 0, error.samples.size() / 2));
}

// The loudest moment the game can make, heard on SDL's disk output: a long
// phrase over the faster music, every effect at full volume restarted as soon
// as it ends. Nothing reaches full scale.
TEST_F(Built, EverythingAtOnceThroughTheMixerStaysBelowFullScale) {
    TempFolder folder;
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", (folder / "capture.raw").c_str(), 1);
    SdlAudioDevice device;
    ASSERT_TRUE(device.open() && device.playMusic(kProgram / "Musics" / "remembr.mid", true) &&
                device.playMusic(kProgram / "Musics" / "heat.mid", true) &&
                device.startPlayer(device.openPlayer(kProgram / "Speaks" / "keynum.mp3")));
    std::vector<AudioDevice::Handle> effects;
    for (const EffectLimits& e : kEffects) {
        effects.push_back(device.loadEffect(kProgram / "Sounds" / (e.name + std::string(".wav"))));
    }
    EXPECT_EQ(std::count(effects.begin(), effects.end(), 0), 0);
    QtClock clock;
    for (int ms = 0; ms < 2000; ms += 5, clock.sleep(5)) {
        std::for_each(effects.begin(), effects.end(), [&](auto e) { device.startEffect(e); });
    }
    device.close();
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    const Capture capture = Capture::read(folder / "capture.raw", SdlAudioDevice::kRate);
    ASSERT_GT(capture.left.seconds(), 1.0);
    EXPECT_LT(std::max(Peak(capture.left), Peak(capture.right)), 32767 / 32768.0);
}

}  // namespace
}  // namespace korvel::testing
