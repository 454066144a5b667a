// The real device, heard through SDL's disk output: the mixed signal is written
// to a raw file in real time and read back once the device is closed. Time runs
// on the program's own clock service.

#include "SdlAudioDevice.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <algorithm>
#include <cstdlib>
#include <string>

#include "AudioSignal.h"
#include "MusicList.h"
#include "QtClock.h"
#include "SoundEffects.h"
#include "TempFolder.h"

namespace korvel {
namespace {

using namespace korvel::testing;
using namespace std::string_literals;

constexpr int kRate = SdlAudioDevice::kRate;
constexpr int kTick = 20;

// A program folder, the device on the given SDL driver, and the announcer on it.
class DeviceTest : public ::testing::Test {
  protected:
    explicit DeviceTest(const char* driver) {
        static int argc = 1;
        static char name[] = "audio_tests", *argv[] = {name, nullptr};
        static QCoreApplication app(argc, argv);  // the clock's timers run in its event loop
        setenv("SDL_AUDIODRIVER", driver, 1);
        setenv("SDL_DISKAUDIOFILE", (folder / "capture.raw").c_str(), 1);
        mm.Init(kTick);
        mm.FoldMus((folder / "Speaks").string());
        for (const char* sub : {"Speaks", "Sounds", "Musics"}) {
            std::filesystem::create_directories(folder / sub);
        }
    }
    ~DeviceTest() override {
        CloseSoundDevice();
        setenv("SDL_AUDIODRIVER", "dummy", 1);  // as the tests run
    }
    // Sounds/<name>.wav, a tone as WriteTone makes it, loaded into a slot.
    EffectBuffer effect(const char* name, double hz, int ms, double amplitude = 0.5) {
        WriteTone(folder / "Sounds" / (name + ".wav"s), hz, ms, amplitude);
        EffectBuffer slot;
        EXPECT_TRUE(LoadEffect(slot, folder.path(), name));
        return slot;
    }
    void play(const EffectBuffer& slot, std::int32_t pan, std::int32_t frequency) {
        std::int32_t volume = 0;
        PlayEffect(slot, pan, volume, frequency);
    }
    bool playOut() {
        return clock.waitUntil([&] { return mm.Count() == 0; }, 5000);
    }
    // Closes the device and reads back what it played.
    Capture heard() {
        CloseSoundDevice();
        return Capture::read(folder / "capture.raw", kRate);
    }

    TempFolder folder;
    QtClock clock;
    Settings settings{folder / "Korvel.ini"};
    SdlAudioDevice device;
    MusicList mm{clock, settings, device};
};

class DiskDevice : public DeviceTest {
  protected:
    DiskDevice() : DeviceTest("disk") {}
    void SetUp() override {
        ASSERT_TRUE(OpenSoundDevice(device));
        ASSERT_FALSE(device.isSilent());
        ASSERT_EQ(device.outputRate(), kRate);
    }
};

// Two phrases of 300 ms (WAV files by another name: the decoder goes by the
// content) follow each other within a tick, an output buffer and some slack.
TEST_F(DiskDevice, QueuedPhrasesAreHeardInOrderWithinATickOfEachOther) {
    WriteTone(folder / "Speaks" / "a.mp3", 440, 300);
    WriteTone(folder / "Speaks" / "b.mp3", 1000, 300);
    ASSERT_TRUE(mm.AddFile("a") && mm.AddFile("b") && playOut());
    clock.waitFor(100);
    const Capture c = heard();
    const auto bursts = FindBursts(c);
    ASSERT_TRUE(!bursts.empty() && bursts.size() <= 2);
    const std::size_t begin = bursts.front().begin, end = bursts.back().end, third = kRate * 3 / 10;
    EXPECT_NEAR(Pitch(c.left, begin, begin + third - kRate / 20), 440, 30);
    EXPECT_NEAR(Pitch(c.left, end - third + kRate / 20, end), 1000, 50);
    const double gap = double(end - begin) * 1000 / kRate - 600;
    EXPECT_TRUE(gap > -10 && gap < kTick + 11.6 + 8) << gap << " ms";
}

// An effect played at a pan and a rate and, `laterMs` after, played again.
struct EffectCase {
    int pan, frequency, laterMs, pan2, frequency2;
    std::vector<double> burstsMs;
    double headBalance, tailBalance;  // (left - right) / (left + right)
    double pitchRatio;                // of the last burst to the first
};

class DiskEffect : public DiskDevice, public ::testing::WithParamInterface<EffectCase> {};

TEST_P(DiskEffect, IsHeardAsPlayed) {
    const EffectCase& e = GetParam();
    const EffectBuffer click = effect("click", 1000, 200);
    play(click, e.pan, e.frequency);
    if (e.laterMs > 0) {
        clock.waitFor(e.laterMs);
        play(click, e.pan2, e.frequency2);
    }
    clock.waitFor(300);
    const Capture c = heard();
    const auto b = FindBursts(c);
    ASSERT_EQ(b.size(), e.burstsMs.size());
    for (std::size_t i = 0; i < b.size(); ++i) {
        EXPECT_NEAR(b[i].ms(kRate), e.burstsMs[i], 5);
    }
    auto balance = [&](std::size_t from) {  // over 40 ms
        const double l = Rms(c.left, from, from + kRate / 25);
        const double r = Rms(c.right, from, from + kRate / 25);
        return (l - r) / (l + r);
    };
    EXPECT_NEAR(balance(b.front().begin), e.headBalance, 0.02);
    EXPECT_NEAR(balance(b.back().end - kRate / 25), e.tailBalance, 0.02);
    EXPECT_NEAR(
        Pitch(c.left, b.back().begin, b.back().end) / Pitch(c.left, b.front().begin, b.front().end),
        e.pitchRatio, 0.1);
}

// Pan -350 attenuates the right side by 3.5 dB; twice the rate is an octave up
// and half as long; a sounding effect is not restarted but moves to its new pan.
INSTANTIATE_TEST_SUITE_P(Effects, DiskEffect,
                         ::testing::Values(EffectCase{-350, 22050, 0, 0, 0, {200}, 0.199, 0.199, 1},
                                           EffectCase{0, 22050, 350, 0, 44100, {200, 100}, 0, 0, 2},
                                           EffectCase{
                                               -10000, 22050, 120, 10000, 22050, {200}, 1, -1, 1}));

// Two effects near full scale at once add up past it: the mixer holds the sum
// at its ceiling and never lets it wrap round to the opposite sign.
TEST_F(DiskDevice, TwoLoudEffectsAtOnceAreLimitedNotWrapped) {
    const EffectBuffer one = effect("one", 0, 200, 0.95), two = effect("two", 0, 200, 0.95);
    play(one, 0, 22050);
    play(two, 0, 22050);
    clock.waitFor(300);
    const Capture c = heard();
    for (const Signal* side : {&c.left, &c.right}) {
        EXPECT_GT(Peak(*side), 0.85);
        EXPECT_GE(*std::min_element(side->samples.begin(), side->samples.end()), 0);
    }
}

TEST_F(DiskDevice, APhraseIsAsLongInStereoAsInMono) {
    for (int channels : {1, 2}) {
        WriteTone(folder / "Speaks" / "p.mp3", 500, 300, 0.5, channels);
        const auto player = device.openPlayer(folder / "Speaks" / "p.mp3");
        EXPECT_NEAR(device.playerStopTime(player), 0.300, 0.005) << channels << " channel(s)";
        device.releasePlayer(player);
    }
}

// Music loops without a gap; without the loop it ends, once the synthesizer
// has let the last notes ring out.
TEST_F(DiskDevice, MusicLoopsPastTheEndOfItsFileOrEnds) {
    WriteMidi(folder / "Musics" / "loop.mid", 8, 240);  // 2 seconds
    WriteMidi(folder / "Musics" / "once.mid", 2, 480);  // a quarter of a second
    ASSERT_TRUE(mm.PlayMusic((folder / "Musics" / "loop.mid").string()));
    clock.waitFor(3300);
    ASSERT_TRUE(device.musicPlaying());
    ASSERT_TRUE(mm.PlayMusic((folder / "Musics" / "once.mid").string(), false));
    EXPECT_TRUE(clock.waitUntil([&] { return !device.musicPlaying(); }, 8000));
    const Capture c = heard();
    const auto bursts = FindBursts(c, 100, 100);
    ASSERT_FALSE(bursts.empty());
    // Every 50 ms from the first note to well past the file's end carries sound.
    for (std::size_t at = bursts.front().begin, end = at + kRate * 26 / 10; at < end;
         at += kRate / 20) {
        EXPECT_GT(Rms(c.left, at, at + kRate / 20), 0.006) << at * 1000 / kRate << " ms";
    }
}

// Damaged and missing files: nothing plays, nothing breaks, the queue moves on.
TEST_F(DiskDevice, DamagedFilesAreSilentAndTheQueueMovesOn) {
    WriteBytes(folder / "Speaks" / "bad.mp3", "not an mp3 at all");
    WriteBytes(folder / "Sounds" / "bad.wav", "RIFF\x10\0\0\0WAVEfmt garbage"s);
    WriteBytes(folder / "Musics" / "bad.mid", "MThd garbage");
    WriteTone(folder / "Speaks" / "good.mp3", 700, 100);
    EffectBuffer bad;
    EXPECT_FALSE(LoadEffect(bad, folder.path(), "bad") || LoadEffect(bad, folder.path(), "none"));
    play(bad, 0, 22050);
    EXPECT_FALSE(mm.PlayMusic((folder / "Musics" / "bad.mid").string()) ||
                 mm.PlayMusic((folder / "Musics" / "none.mid").string()) || mm.PlaySound("bad"));
    ASSERT_TRUE(mm.AddFile("bad") && mm.AddFile("none") && mm.AddFile("good") && playOut());
    const Capture c = heard();
    const auto bursts = FindBursts(c);
    ASSERT_EQ(bursts.size(), 1u);
    EXPECT_NEAR(Pitch(c.left, bursts[0].begin, bursts[0].end), 700, 40);
}

class NoSoundCard : public DeviceTest, public ::testing::WithParamInterface<const char*> {
  protected:
    NoSoundCard() : DeviceTest(GetParam()) {}
};

// With SDL's silent output, or none SDL can open at all, the device opens, and
// phrases still take their time, so that the game's waits end.
TEST_P(NoSoundCard, TheGamePlaysOnSilently) {
    EXPECT_TRUE(OpenSoundDevice(device));
    EXPECT_EQ(device.isSilent(), GetParam() != "dummy"s);
    play(effect("click", 1000, 50), 0, 22050);
    WriteTone(folder / "Speaks" / "a.mp3", 500, 150);
    const std::int64_t start = clock.tickCount();
    ASSERT_TRUE(mm.AddFile("a") && mm.AddFile("a") && playOut());
    EXPECT_GE(clock.tickCount() - start, 250);
}

INSTANTIATE_TEST_SUITE_P(Drivers, NoSoundCard, ::testing::Values("dummy", "no-such-audio-driver"));

}  // namespace
}  // namespace korvel
