// The effect files: the format the board's pitch offsets assume, lengths that
// let an effect finish before it is needed again, and sounds that differ the
// way the player relies on.

#include <string>

#include <gtest/gtest.h>

#include "AssetPaths.h"
#include "AssetReaders.h"
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
    double maxSeconds;  // at the file's own rate
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

// Limits: the cursor repeats with the keyboard, a turned disc sounds every
// 100 ms, the count-down every second.
INSTANTIATE_TEST_SUITE_P(
    Sounds, Effect,
    ::testing::Values(EffectLimits{"cursor", 0.060}, EffectLimits{"fishka0", 0.120},
                      EffectLimits{"fishka1", 0.090}, EffectLimits{"fishka2", 0.090},
                      EffectLimits{"border", 0.150}, EffectLimits{"error", 0.300},
                      EffectLimits{"tiktak", 0.050}, EffectLimits{"ok", 0.500},
                      EffectLimits{"pik0", 0.400}, EffectLimits{"pik1", 0.400},
                      EffectLimits{"pik2", 0.400}, EffectLimits{"pik3", 0.400},
                      EffectLimits{"not", 0.250}, EffectLimits{"msgerror", 0.400},
                      EffectLimits{"msgquestion", 0.400}, EffectLimits{"msginfo", 0.400}),
    [](const auto& info) { return std::string(info.param.name); });

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
