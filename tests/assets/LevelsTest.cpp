// The balance a player hears: the recordings clean and near the voice's level,
// each effect at its caller's volume in its band around the voice, and the real
// mixer never clipping with speech, music and every effect sounding at once.

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>

#include <gtest/gtest.h>

#include "AssetPaths.h"
#include "AssetReaders.h"
#include "AudioSignal.h"
#include "Loudness.h"
#include "SdlAudioDevice.h"
#include "TempFolder.h"

namespace korvel::testing {
namespace {

namespace fs = std::filesystem;

Wav Load(const fs::path& wav) {
    std::string error;
    return ParseWav(ReadBytes(wav), error).value_or(Wav{});
}

double Lufs(const Wav& w) {
    return LoudnessLufs(w.samples, w.sampleRate, 32768.0);
}

// Every recording, decoded once.
const std::map<std::string, Wav>& Recordings() {
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
            all[l.name] = Load(wav);
        }
        return all;
    }();
    return recordings;
}

double VoiceLufs() {  // the median recording's
    std::vector<double> all;
    for (const auto& [name, wav] : Recordings()) {
        all.push_back(Lufs(wav));
    }
    std::nth_element(all.begin(), all.begin() + all.size() / 2, all.end());
    return all.empty() ? -70.0 : all[all.size() / 2];
}

TEST(Levels, RecordingsAreCleanAndNearTheVoice) {
    KORVEL_SKIP_WITHOUT_ASSETS();
    ASSERT_EQ(Recordings().size(), 137u);
    const double voice = VoiceLufs();
    EXPECT_GT(voice, -25.0);
    for (const auto& [name, wav] : Recordings()) {
        EXPECT_NEAR(Lufs(wav), voice, 4.0) << name;
        EXPECT_LT(Peak(wav.samples), 0.97) << name;
    }
}

struct Band {
    const char* name;
    int volume;              // the caller's, hundredths of a decibel
    double lowest, highest;  // as played, LU from the voice
};

// The clicks that come with every key and move stay well below the voice, the
// signals at or below it; only the count-down may rise a little above it.
const Band kBands[] = {
    {"cursor", -500, -18, -6},  {"fishka0", -500, -16, -4}, {"fishka1", -500, -16, -4},
    {"fishka2", -500, -16, -4}, {"tiktak", -1000, -22, -8}, {"border", 0, -12, -2},
    {"error", -500, -9, 0},     {"ok", 0, -10, 0},          {"not", 0, -10, 0},
    {"pik3", -800, -6, 3},      {"pik2", -800, -6, 3},      {"pik1", -800, -6, 3},
    {"pik0", -800, -6, 3},      {"msgerror", 0, -10, 0},    {"msgquestion", 0, -10, 0},
    {"msginfo", 0, -10, 0}};

class EffectLevel : public ::testing::TestWithParam<Band> {};

TEST_P(EffectLevel, SitsInItsBandAroundTheVoice) {
    KORVEL_SKIP_WITHOUT_ASSETS();
    const Wav w = Load(ProgramDir() / "Sounds" / (std::string(GetParam().name) + ".wav"));
    const double heard = Lufs(w) + GetParam().volume / 100.0 - VoiceLufs();
    EXPECT_GE(heard, GetParam().lowest);
    EXPECT_LE(heard, GetParam().highest);
}

INSTANTIATE_TEST_SUITE_P(Sounds, EffectLevel, ::testing::ValuesIn(kBands),
                         [](const auto& info) { return std::string(info.param.name); });

// The loudest moment the game can make, heard on SDL's disk output: a long
// phrase over the faster music, every effect at full volume restarted as soon
// as it ends.
TEST(Levels, EverythingAtOnceStaysBelowFullScale) {
    KORVEL_SKIP_WITHOUT_ASSETS();
    TempFolder folder;
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", (folder / "capture.raw").c_str(), 1);
    SdlAudioDevice device;
    ASSERT_TRUE(device.open());
    std::vector<AudioDevice::Handle> effects;
    for (const Band& b : kBands) {
        effects.push_back(
            device.loadEffect(ProgramDir() / "Sounds" / (std::string(b.name) + ".wav")));
        EXPECT_NE(effects.back(), 0) << b.name;
    }
    ASSERT_TRUE(device.playMusic(ProgramDir() / "Musics" / "heat.mid", true));
    ASSERT_TRUE(device.startPlayer(device.openPlayer(ProgramDir() / "Speaks" / "keynum.mp3")));
    for (int ms = 0; ms < 2000; ms += 5) {
        std::for_each(effects.begin(), effects.end(), [&](auto e) { device.startEffect(e); });
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    device.close();
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    const Capture capture = Capture::read(folder / "capture.raw", SdlAudioDevice::kRate);
    ASSERT_GT(capture.left.size(), std::size_t{SdlAudioDevice::kRate});
    auto full = [](int v) { return v >= 32767 || v <= -32768; };
    EXPECT_EQ(std::count_if(capture.left.begin(), capture.left.end(), full) +
                  std::count_if(capture.right.begin(), capture.right.end(), full),
              0);
}

}  // namespace
}  // namespace korvel::testing
