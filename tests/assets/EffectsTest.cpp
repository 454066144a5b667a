// The effect files: the format the board's pitch offsets assume, lengths that
// let an effect finish before it is needed again, levels in balance with the
// voice, and sounds that differ the way the player relies on.

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "AssetPaths.h"
#include "AssetReaders.h"
#include "AudioSignal.h"
#include "SdlAudioDevice.h"
#include "TempFolder.h"

namespace korvel::testing {
namespace {

Wav loadEffect(const std::string& name) {
    std::string error;
    auto wav = ParseWav(ReadBytes(ProgramDir() / "Sounds" / (name + ".wav")), error);
    if (!wav) {
        ADD_FAILURE() << name << ".wav: " << error;
        return {};
    }
    return *wav;
}

struct EffectLimits {
    const char* name;
    double maxSeconds;       // at the file's own rate
    int volume;              // the caller's, hundredths of a decibel
    double lowest, highest;  // loudness as played, LU from the voice
};

class Effect : public ::testing::TestWithParam<EffectLimits> {};

TEST_P(Effect, IsAShortCleanMonoClip) {
    KORVEL_SKIP_WITHOUT_ASSETS();
    Wav w = loadEffect(GetParam().name);
    EXPECT_EQ(w.format, 1);
    EXPECT_EQ(w.channels, 1);
    EXPECT_EQ(w.sampleRate, 22050);
    EXPECT_EQ(w.bitsPerSample, 16);
    ASSERT_FALSE(w.samples.empty());
    EXPECT_LE(w.seconds(), GetParam().maxSeconds);
    EXPECT_GE(w.seconds(), 0.015);
    // Far from full scale (how loud each is, is checked against the voice).
    EXPECT_GT(Peak(w.samples), 0.05);
    EXPECT_LT(Peak(w.samples), 0.71);
    // Sounds at once (an effect marks a key press) and ends without a click.
    EXPECT_LT(OnsetSeconds(w.samples, w.sampleRate, 0.05), 0.003);
    EXPECT_LT(std::abs(int(w.samples.back())), 330);
}

TEST_P(Effect, SitsInItsBandAroundTheVoice) {
    KORVEL_SKIP_WITHOUT_ASSETS();
    const double heard = Lufs(loadEffect(GetParam().name)) + GetParam().volume / 100.0;
    EXPECT_GE(heard - VoiceLufs(), GetParam().lowest);
    EXPECT_LE(heard - VoiceLufs(), GetParam().highest);
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

INSTANTIATE_TEST_SUITE_P(Sounds, Effect, ::testing::ValuesIn(kEffects),
                         [](const auto& info) { return std::string(info.param.name); });

// The loudest moment the game can make, heard on SDL's disk output: a long
// phrase over the faster music, every effect at full volume restarted as soon
// as it ends. Nothing reaches full scale.
TEST(Effects, EverythingAtOnceThroughTheMixerStaysBelowFullScale) {
    KORVEL_SKIP_WITHOUT_ASSETS();
    TempFolder folder;
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", (folder / "capture.raw").c_str(), 1);
    SdlAudioDevice device;
    ASSERT_TRUE(device.open());
    std::vector<AudioDevice::Handle> effects;
    for (const EffectLimits& e : kEffects) {
        effects.push_back(
            device.loadEffect(ProgramDir() / "Sounds" / (std::string(e.name) + ".wav")));
        EXPECT_NE(effects.back(), 0) << e.name;
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

TEST(Effects, TurnToWhiteIsBrighterThanTurnToBlack) {
    KORVEL_SKIP_WITHOUT_ASSETS();
    Wav white = loadEffect("fishka1");
    Wav black = loadEffect("fishka2");
    EXPECT_GT(ZeroCrossingsPerSecond(white.samples, white.sampleRate),
              1.5 * ZeroCrossingsPerSecond(black.samples, black.sampleRate));
}

// From pik3 to pik0 each cue is higher and louder than the one before.
TEST(Effects, CountDownGrowsMoreUrgent) {
    KORVEL_SKIP_WITHOUT_ASSETS();
    for (int k = 3; k > 0; --k) {
        SCOPED_TRACE("pik" + std::to_string(k) + " to pik" + std::to_string(k - 1));
        Wav calmer = loadEffect("pik" + std::to_string(k));
        Wav urgent = loadEffect("pik" + std::to_string(k - 1));
        EXPECT_GT(ZeroCrossingsPerSecond(urgent.samples, urgent.sampleRate),
                  ZeroCrossingsPerSecond(calmer.samples, calmer.sampleRate));
        EXPECT_GT(Rms(urgent.samples), Rms(calmer.samples));
    }
}

// The edge bump is dull and the refusals low; the tick that sounds every
// second is the softest effect of all.
TEST(Effects, CharacterOfTheBumpTheRefusalsAndTheTick) {
    KORVEL_SKIP_WITHOUT_ASSETS();
    Wav border = loadEffect("border");
    Wav error = loadEffect("error");
    Wav refusal = loadEffect("not");
    Wav cursor = loadEffect("cursor");
    Wav tick = loadEffect("tiktak");
    double cursorPitch = ZeroCrossingsPerSecond(cursor.samples, cursor.sampleRate);
    EXPECT_LT(ZeroCrossingsPerSecond(border.samples, border.sampleRate), cursorPitch / 2);
    EXPECT_LT(ZeroCrossingsPerSecond(refusal.samples, refusal.sampleRate), cursorPitch / 2);
    // The refusal sounds for its whole length, not a click.
    const auto half = error.samples.begin() + static_cast<std::ptrdiff_t>(error.samples.size() / 2);
    EXPECT_GT(Rms({half, error.samples.end()}), 0.3 * Rms({error.samples.begin(), half}));
    for (const char* other : {"cursor", "fishka0", "border", "error", "ok", "pik3", "not"}) {
        EXPECT_LT(Rms(tick.samples), Rms(loadEffect(other).samples)) << other;
    }
}

}  // namespace
}  // namespace korvel::testing
