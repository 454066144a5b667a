// The balance a player hears: every recording near the voice's level, every
// effect at the volume its caller plays it with inside its band around the
// voice, and the real mixer never clipping, even with speech, music and every
// effect sounding at once.

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <map>
#include <string>
#include <thread>
#include <vector>

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

const char* const kEffects[] = {
    "border", "cursor", "error", "fishka0", "fishka1", "fishka2",  "ok",          "tiktak",
    "pik0",   "pik1",   "pik2",  "pik3",    "not",     "msgerror", "msgquestion", "msginfo"};

double FileLoudness(const fs::path& wav) {
    std::string error;
    auto w = ParseWav(ReadBytes(wav), error);
    EXPECT_TRUE(w) << wav << ": " << error;
    return w ? LoudnessLufs(w->samples, w->sampleRate, 32768.0) : -70.0;
}

// Loudness of every recording, decoded once for the whole suite.
class Levels : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (!kAssetsBuilt) {
            return;
        }
        TempFolder decoded;
        std::vector<std::string> errors;
        for (const auto& l : ReadPhraseTable(PhraseTablePath(), errors)) {
            const fs::path wav = decoded / (l.name + ".wav");
            const std::string command =
                std::string("'") + KORVEL_LAME_PROGRAM + "' --quiet --decode '" +
                (ProgramDir() / "Speaks" / (l.name + ".mp3")).string() + "' '" + wav.string() + "'";
            speech[l.name] = std::system(command.c_str()) == 0 ? FileLoudness(wav) : -70.0;
        }
        std::vector<double> all;
        for (const auto& [name, lufs] : speech) {
            all.push_back(lufs);
        }
        std::nth_element(all.begin(), all.begin() + all.size() / 2, all.end());
        voice = all.empty() ? -70.0 : all[all.size() / 2];
    }
    static std::map<std::string, double> speech;
    static double voice;  // the median recording, LUFS
};
std::map<std::string, double> Levels::speech;
double Levels::voice = -70.0;

TEST_F(Levels, EveryRecordingIsNearTheVoice) {
    KORVEL_SKIP_WITHOUT_ASSETS();
    ASSERT_EQ(speech.size(), 137u);
    std::printf("[ measured ] voice (median recording) %.1f LUFS\n", voice);
    EXPECT_GT(voice, -24.0);
    EXPECT_LT(voice, -16.0);
    for (const auto& [name, lufs] : speech) {
        EXPECT_NEAR(lufs, voice, 4.0) << name;
    }
}

struct EffectBand {
    const char* name;
    int volume;      // the caller's, hundredths of a decibel
    double lowest;   // loudness as played, LU relative to the voice
    double highest;  // likewise
};

class EffectLevel : public Levels, public ::testing::WithParamInterface<EffectBand> {};

TEST_P(EffectLevel, SitsInItsBandAroundTheVoice) {
    KORVEL_SKIP_WITHOUT_ASSETS();
    const EffectBand& b = GetParam();
    const double heard =
        FileLoudness(ProgramDir() / "Sounds" / (std::string(b.name) + ".wav")) + b.volume / 100.0;
    std::printf("[ measured ] %s as played %.1f LU from the voice\n", b.name, heard - voice);
    EXPECT_GE(heard - voice, b.lowest);
    EXPECT_LE(heard - voice, b.highest);
}

// The clicks that come with every key and move stay well below the voice; the
// signals sit at or below it; only the count-down may rise a little above it.
INSTANTIATE_TEST_SUITE_P(
    Sounds, EffectLevel,
    ::testing::Values(EffectBand{"cursor", -500, -18, -6}, EffectBand{"fishka0", -500, -16, -4},
                      EffectBand{"fishka1", -500, -16, -4}, EffectBand{"fishka2", -500, -16, -4},
                      EffectBand{"tiktak", -1000, -22, -8}, EffectBand{"border", 0, -12, -2},
                      EffectBand{"error", -500, -9, 0}, EffectBand{"ok", 0, -10, 0},
                      EffectBand{"not", 0, -10, 0}, EffectBand{"pik3", -800, -6, 3},
                      EffectBand{"pik2", -800, -6, 3}, EffectBand{"pik1", -800, -6, 3},
                      EffectBand{"pik0", -800, -6, 3}, EffectBand{"msgerror", 0, -10, 0},
                      EffectBand{"msgquestion", 0, -10, 0}, EffectBand{"msginfo", 0, -10, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// The loudest moment the game can make: a long phrase over the faster music,
// and every effect at full volume restarted as soon as it ends, heard through
// the real mixer on SDL's disk output.
TEST(Mix, EverythingAtOnceStaysBelowFullScale) {
    KORVEL_SKIP_WITHOUT_ASSETS();
    TempFolder folder;
    const fs::path raw = folder / "capture.raw";
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", raw.c_str(), 1);
    SdlAudioDevice device;
    ASSERT_TRUE(device.open());
    ASSERT_FALSE(device.isSilent());
    std::vector<AudioDevice::Handle> effects;
    for (const char* name : kEffects) {
        effects.push_back(
            device.loadEffect(ProgramDir() / "Sounds" / (std::string(name) + ".wav")));
        EXPECT_NE(effects.back(), 0) << name;
        device.setEffectParams(effects.back(), 0, 0, 0);
    }
    ASSERT_TRUE(device.playMusic(ProgramDir() / "Musics" / "heat.mid", true));
    const auto phrase = device.openPlayer(ProgramDir() / "Speaks" / "keynum.mp3");
    ASSERT_TRUE(device.startPlayer(phrase));
    for (int ms = 0; ms < 2000; ms += 5) {
        for (auto e : effects) {
            device.startEffect(e);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    device.close();
    unsetenv("SDL_DISKAUDIOFILE");
    setenv("SDL_AUDIODRIVER", "dummy", 1);

    const Capture capture = Capture::read(raw, SdlAudioDevice::kRate);
    ASSERT_GT(capture.left.size(), std::size_t{SdlAudioDevice::kRate});
    std::size_t clipped = 0;
    for (const auto* side : {&capture.left, &capture.right}) {
        clipped += static_cast<std::size_t>(std::count_if(
            side->begin(), side->end(), [](int v) { return v >= 32767 || v <= -32768; }));
    }
    std::printf("[ measured ] %zu clipped samples of %zu\n", clipped, 2 * capture.left.size());
    EXPECT_EQ(clipped, 0u);
}

}  // namespace
}  // namespace korvel::testing
