#include "SoundEffects.h"

#include <gtest/gtest.h>

#include <climits>

#include "FakeAudioDevice.h"
#include "VirtualClock.h"

namespace korvel {
namespace {

using testing::FakeAudioDevice;
using testing::VirtualClock;

class SoundEffectsTest : public ::testing::Test {
  protected:
    SoundEffectsTest() : device(clock) {}
    void SetUp() override {
        ASSERT_TRUE(OpenSoundDevice(device));
        ASSERT_TRUE(LoadEffect(cursor, "/k", "cursor"));
    }
    void TearDown() override {
        ReleaseEffect(cursor);
        CloseSoundDevice();
    }

    VirtualClock clock;
    FakeAudioDevice device;
    EffectBuffer cursor;
};

struct ClampCase {
    std::int32_t pan, volume;
    std::int32_t panAfter, volumeAfter;
};

class ClampTest : public SoundEffectsTest, public ::testing::WithParamInterface<ClampCase> {};

TEST_P(ClampTest, ClampsAndHandsTheClampedValuesBack) {
    std::int32_t pan = GetParam().pan;
    std::int32_t volume = GetParam().volume;
    std::int32_t frequency = 32000;
    PlayEffect(cursor, pan, volume, frequency);
    EXPECT_EQ(pan, GetParam().panAfter);
    EXPECT_EQ(volume, GetParam().volumeAfter);
    EXPECT_EQ(frequency, 32000);
    ASSERT_EQ(device.effectPlays().size(), 1u);
    const auto& play = device.effectPlays().front();
    EXPECT_EQ(play.name, "cursor");
    EXPECT_EQ(play.pan, GetParam().panAfter);
    EXPECT_EQ(play.volume, GetParam().volumeAfter);
    EXPECT_EQ(play.frequency, 32000);
    EXPECT_TRUE(play.started);
}

INSTANTIATE_TEST_SUITE_P(
    Values, ClampTest,
    ::testing::Values(ClampCase{0, 0, 0, 0}, ClampCase{12000, 0, 10000, 0},
                      ClampCase{-15000, 0, -10000, 0}, ClampCase{10000, -10000, 10000, -10000},
                      ClampCase{-10000, -3000, -10000, -3000}, ClampCase{-350, 0, -350, 0},
                      ClampCase{0, -12000, 0, -10000}, ClampCase{0, 500, 0, 500},
                      ClampCase{INT_MIN, INT_MIN, -10000, -10000},
                      ClampCase{INT_MAX, INT_MAX, 10000, INT_MAX}));

TEST_F(SoundEffectsTest, ASoundingEffectIsNotRestartedButTakesTheNewValues) {
    std::int32_t pan = -5000, volume = 0, frequency = 22050;
    PlayEffect(cursor, pan, volume, frequency);
    clock.advance(30);
    pan = 5000;
    volume = -600;
    frequency = 30000;
    PlayEffect(cursor, pan, volume, frequency);
    ASSERT_EQ(device.effectPlays().size(), 2u);
    EXPECT_TRUE(device.effectPlays()[0].started);
    EXPECT_FALSE(device.effectPlays()[1].started);
    EXPECT_EQ(device.effectPlays()[1].pan, 5000);
    EXPECT_EQ(device.effectPlays()[1].volume, -600);
    EXPECT_EQ(device.effectPlays()[1].frequency, 30000);
    clock.advance(200);  // the click has ended: the next play starts it anew
    PlayEffect(cursor, pan, volume, frequency);
    EXPECT_TRUE(device.effectPlays()[2].started);
}

TEST_F(SoundEffectsTest, DifferentEffectsSoundTogether) {
    EffectBuffer disc;
    ASSERT_TRUE(LoadEffect(disc, "/k", "fishka0"));
    std::int32_t pan = 0, volume = 0, frequency = 22050;
    PlayEffect(cursor, pan, volume, frequency);
    PlayEffect(disc, pan, volume, frequency);
    ASSERT_EQ(device.effectPlays().size(), 2u);
    EXPECT_TRUE(device.effectPlays()[1].started);
    EXPECT_EQ(device.effectPlays()[1].name, "fishka0");
    ReleaseEffect(disc);
}

TEST_F(SoundEffectsTest, AMissingEffectIsSilentAndTheOthersPlay) {
    device.setMissingEffect("pik3");
    EffectBuffer pik;
    EXPECT_FALSE(LoadEffect(pik, "/k", "pik3"));
    EXPECT_TRUE(pik.empty());
    std::int32_t pan = 20000, volume = 0, frequency = 22050;
    PlayEffect(pik, pan, volume, frequency);
    EXPECT_EQ(pan, 10000);  // still clamped for the caller
    EXPECT_TRUE(device.effectPlays().empty());
    PlayEffect(cursor, pan, volume, frequency);
    EXPECT_EQ(device.effectPlays().size(), 1u);
    ReleaseEffect(pik);
}

TEST_F(SoundEffectsTest, ReleaseEmptiesTheSlotAndIsHarmlessTwice) {
    EffectBuffer tick;
    ASSERT_TRUE(LoadEffect(tick, "/k", "tiktak"));
    EXPECT_EQ(device.liveEffects(), 2u);
    ReleaseEffect(tick);
    EXPECT_TRUE(tick.empty());
    EXPECT_EQ(device.liveEffects(), 1u);
    ReleaseEffect(tick);
    EXPECT_EQ(device.liveEffects(), 1u);
}

TEST_F(SoundEffectsTest, LoadingAgainReleasesTheOldBuffer) {
    ASSERT_TRUE(LoadEffect(cursor, "/k", "border"));
    EXPECT_EQ(device.liveEffects(), 1u);
}

TEST(SoundEffectsWithoutDevice, EverythingIsHarmless) {
    VirtualClock clock;
    FakeAudioDevice device(clock);
    device.setOpenResult(false);
    EXPECT_FALSE(OpenSoundDevice(device));
    EffectBuffer slot;
    EXPECT_FALSE(LoadEffect(slot, "/k", "cursor"));
    CloseSoundDevice();
    EXPECT_EQ(SoundDevice(), nullptr);
    EXPECT_FALSE(LoadEffect(slot, "/k", "cursor"));
    std::int32_t pan = -20000, volume = -20000, frequency = 0;
    PlayEffect(slot, pan, volume, frequency);
    EXPECT_EQ(pan, -10000);
    EXPECT_EQ(volume, -10000);
    ReleaseEffect(slot);
    EXPECT_TRUE(device.effectPlays().empty());
}

TEST(SoundEffectsWithoutDevice, ABufferKeptAfterCloseIsSilent) {
    VirtualClock clock;
    FakeAudioDevice device(clock);
    ASSERT_TRUE(OpenSoundDevice(device));
    EffectBuffer slot;
    ASSERT_TRUE(LoadEffect(slot, "/k", "cursor"));
    CloseSoundDevice();
    std::int32_t pan = 0, volume = 0, frequency = 22050;
    PlayEffect(slot, pan, volume, frequency);
    ReleaseEffect(slot);
    EXPECT_TRUE(device.effectPlays().empty());
    EXPECT_TRUE(slot.empty());
}

}  // namespace
}  // namespace korvel
