// The real device, heard through SDL's disk output: the mixed signal is written
// to a raw file in real time, and read back after the device is closed.

#include "SdlAudioDevice.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>

#include "AudioSignal.h"
#include "MusicList.h"
#include "RealTimeClock.h"
#include "SoundEffects.h"
#include "TempFolder.h"

namespace korvel {
namespace {

using namespace korvel::testing;
namespace fs = std::filesystem;

constexpr int kRate = SdlAudioDevice::kRate;
constexpr int kTick = 20;

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const std::string& value) : m_name(name) {
        if (const char* old = std::getenv(name)) {
            m_old = old;
        }
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (m_old) {
            setenv(m_name, m_old->c_str(), 1);
        } else {
            unsetenv(m_name);
        }
    }

  private:
    const char* m_name;
    std::optional<std::string> m_old;
};

bool HaveLame() {
    return std::system("lame --version > /dev/null 2>&1") == 0;
}

class DiskDeviceTest : public ::testing::Test {
  protected:
    DiskDeviceTest()
        : raw(folder / "capture.raw"),
          driver("SDL_AUDIODRIVER", "disk"),
          file("SDL_DISKAUDIOFILE", raw.string()),
          settings(folder / "Korvel.ini") {
        fs::create_directories(folder / "Speaks");
        fs::create_directories(folder / "Sounds");
        fs::create_directories(folder / "Musics");
    }
    void SetUp() override {
        ASSERT_TRUE(device.open());
        ASSERT_FALSE(device.isSilent());
        ASSERT_EQ(device.outputRate(), kRate);
        openedAt = clock.tickCount();
    }
    void TearDown() override {
        CloseSoundDevice();
        device.close();
    }
    Capture finish() {
        device.close();
        return Capture::read(raw, kRate);
    }

    TempFolder folder;
    fs::path raw;
    ScopedEnv driver;
    ScopedEnv file;
    RealTimeClock clock;
    Settings settings;
    SdlAudioDevice device;
    std::int64_t openedAt = 0;
};

TEST_F(DiskDeviceTest, TwoQueuedPhrasesAreHeardInOrderWithinATickOfEachOther) {
    if (!HaveLame()) {
        GTEST_SKIP() << "lame is not installed";
    }
    WriteSineWav(folder / "a.wav", 22050, 440, 300);
    WriteSineWav(folder / "b.wav", 22050, 1000, 300);
    for (const char* name : {"a", "b"}) {
        const fs::path wav = folder / (std::string(name) + ".wav");
        const fs::path mp3 = folder / "Speaks" / (std::string(name) + ".mp3");
        const fs::path decoded = folder / (std::string(name) + "-decoded.wav");
        ASSERT_EQ(std::system(("lame --quiet -b 64 '" + wav.string() + "' '" + mp3.string() +
                               "' && lame --quiet --decode '" + mp3.string() + "' '" +
                               decoded.string() + "'")
                                  .c_str()),
                  0);
    }
    const double own = WavSilence(folder / "a-decoded.wav").trailingMs +
                       WavSilence(folder / "b-decoded.wav").leadingMs;

    MusicList mm(clock, settings, device);
    ASSERT_TRUE(mm.Init(kTick));
    mm.FoldMus((folder / "Speaks").string());
    ASSERT_TRUE(mm.AddFile("a"));
    ASSERT_TRUE(mm.AddFile("b"));
    EXPECT_EQ(mm.Count(), 2);
    ASSERT_TRUE(clock.waitUntil([&] { return mm.Count() == 0; }, 5000));
    clock.waitFor(100);
    const Capture capture = finish();

    // The two phrases may follow each other so closely that only the change of
    // pitch tells them apart: the gap is the longest silence within the sound.
    const auto bursts = FindBursts(capture);
    ASSERT_FALSE(bursts.empty());
    ASSERT_LE(bursts.size(), 2u);
    const Burst quiet = LongestQuiet(capture, bursts.front().begin, bursts.back().end);
    const Burst first{bursts.front().begin, quiet.begin};
    const Burst second{quiet.end, bursts.back().end};
    EXPECT_NEAR(ZeroCrossingHz(capture, first), 440, 30);
    EXPECT_NEAR(ZeroCrossingHz(capture, second), 1000, 50);
    EXPECT_NEAR(first.ms(kRate), 300, 30);
    EXPECT_NEAR(second.ms(kRate), 300, 30);
    const double gap = quiet.ms(kRate);
    std::printf(
        "[ measured ] gap between phrases %.1f ms (recordings' own silence %.1f ms, "
        "added by the queue %.1f ms)\n",
        gap, own, gap - own);
    // One tick, one output buffer and a little scheduling slack.
    EXPECT_LE(gap - own, kTick + 11.6 + 8.0);
}

TEST_F(DiskDeviceTest, AnEffectPannedLeftIsLouderOnTheLeftByItsAttenuation) {
    WriteSineWav(folder / "Sounds" / "click.wav", 22050, 1000, 200);
    ASSERT_TRUE(OpenSoundDevice(device));
    EffectBuffer click;
    ASSERT_TRUE(LoadEffect(click, folder.path(), "click"));
    clock.waitFor(150);
    std::int32_t pan = -350, volume = 0, frequency = 22050;
    const std::int64_t calledAt = clock.tickCount();
    PlayEffect(click, pan, volume, frequency);
    clock.waitFor(300);
    ReleaseEffect(click);
    const Capture capture = finish();

    const auto bursts = FindBursts(capture);
    ASSERT_EQ(bursts.size(), 1u);
    const Burst& b = bursts[0];
    const double left = Rms(capture.left, b.begin, b.end);
    const double right = Rms(capture.right, b.begin, b.end);
    ASSERT_GT(right, 1000.0);
    EXPECT_NEAR(left / right, std::pow(10.0, 350 / 2000.0), 0.05);
    EXPECT_NEAR(b.ms(kRate), 200, 5);
    std::size_t first = b.begin > 64 ? b.begin - 64 : 0;
    while (capture.left[first] == 0 && first < b.end) {
        ++first;
    }
    const double latency = first * 1000.0 / kRate - static_cast<double>(calledAt - openedAt);
    std::printf(
        "[ measured ] effect starts at frame %zu, %zu frames into an output buffer of "
        "%d; call to first sample by the disk output's clock %.1f ms\n",
        first, first % SdlAudioDevice::kBufferFrames, SdlAudioDevice::kBufferFrames, latency);
}

TEST_F(DiskDeviceTest, TheSameEffectAtTwiceTheFrequencyIsHigherAndHalfAsLong) {
    WriteSineWav(folder / "Sounds" / "click.wav", 22050, 1000, 200);
    ASSERT_TRUE(OpenSoundDevice(device));
    EffectBuffer click;
    ASSERT_TRUE(LoadEffect(click, folder.path(), "click"));
    std::int32_t pan = 0, volume = 0, frequency = 22050;
    PlayEffect(click, pan, volume, frequency);
    clock.waitFor(350);
    frequency = 44100;
    PlayEffect(click, pan, volume, frequency);
    clock.waitFor(250);
    const Capture capture = finish();

    const auto bursts = FindBursts(capture);
    ASSERT_EQ(bursts.size(), 2u);
    EXPECT_NEAR(bursts[0].ms(kRate), 200, 5);
    EXPECT_NEAR(bursts[1].ms(kRate), 100, 5);
    EXPECT_NEAR(ZeroCrossingHz(capture, bursts[1]) / ZeroCrossingHz(capture, bursts[0]), 2.0, 0.1);
}

// One 600 ms tone phrase at 100%, 200% and 80% of the announcer's speed: each
// lasts its share of the recorded length, within 5%, at the same pitch.
TEST_F(DiskDeviceTest, AStretchedPhraseKeepsItsPitchAndTakesItsShareOfTheTime) {
    WriteSineWav(folder / "tone.wav", 22050, 440, 600);
    const int rates[] = {100, 200, 80};
    for (const int rate : rates) {
        device.setPhraseRate(rate);
        const AudioDevice::Handle phrase = device.openPlayer(folder / "tone.wav");
        ASSERT_TRUE(device.startPlayer(phrase));
        ASSERT_TRUE(clock.waitUntil([&] { return device.playerFinished(phrase); }, 3000));
        clock.waitFor(200);
    }
    const Capture capture = finish();
    const auto bursts = FindBursts(capture);
    ASSERT_EQ(bursts.size(), 3u);
    EXPECT_NEAR(bursts[0].ms(kRate), 600, 15);
    for (std::size_t i = 0; i < 3; ++i) {
        const double share = bursts[i].ms(kRate) / bursts[0].ms(kRate);
        const double hz = ZeroCrossingHz(capture, bursts[i]);
        std::printf("[ measured ] phrase at %d%%: %.1f ms, %.1f Hz\n", rates[i],
                    bursts[i].ms(kRate), hz);
        EXPECT_NEAR(share, 100.0 / rates[i], 0.05 * 100.0 / rates[i]) << rates[i] << "%";
        EXPECT_NEAR(hz / ZeroCrossingHz(capture, bursts[0]), 1.0, 0.03) << rates[i] << "%";
    }
}

TEST_F(DiskDeviceTest, ASoundingEffectIsNotRestartedAndMovesToTheNewPan) {
    WriteSineWav(folder / "Sounds" / "click.wav", 22050, 1000, 200);
    ASSERT_TRUE(OpenSoundDevice(device));
    EffectBuffer click;
    ASSERT_TRUE(LoadEffect(click, folder.path(), "click"));
    std::int32_t pan = -10000, volume = 0, frequency = 22050;
    PlayEffect(click, pan, volume, frequency);
    clock.waitFor(120);
    pan = 10000;
    PlayEffect(click, pan, volume, frequency);
    clock.waitFor(300);
    const Capture capture = finish();

    const auto bursts = FindBursts(capture);
    ASSERT_EQ(bursts.size(), 1u);
    const Burst& b = bursts[0];
    EXPECT_NEAR(b.ms(kRate), 200, 5);      // one click, not two overlapping
    const std::size_t fifty = kRate / 25;  // 40 ms
    EXPECT_GT(Rms(capture.left, b.begin, b.begin + fifty), 1000.0);
    EXPECT_EQ(Rms(capture.right, b.begin, b.begin + fifty), 0.0);
    EXPECT_EQ(Rms(capture.left, b.end - fifty, b.end), 0.0);
    EXPECT_GT(Rms(capture.right, b.end - fifty, b.end), 1000.0);
}

TEST_F(DiskDeviceTest, MusicLoopsPastTheEndOfItsFile) {
    const fs::path midi = folder / "Musics" / "remembr.mid";
    WriteMidi(midi, 8, 240);  // 2 seconds
    MusicList mm(clock, settings, device);
    mm.Init(kTick);
    ASSERT_TRUE(mm.PlayMusic(midi.string()));
    clock.waitFor(3300);
    EXPECT_TRUE(device.musicPlaying());
    mm.StopMusic();
    const Capture capture = finish();

    const auto bursts = FindBursts(capture, 100, 100);
    ASSERT_FALSE(bursts.empty());
    // Every 50 ms from the first note to well past the file's end carries sound:
    // the second pass follows the first without a gap.
    const std::size_t start = bursts.front().begin;
    const std::size_t window = kRate / 20;
    ASSERT_LT(start + kRate * 2600 / 1000, capture.left.size());
    for (std::size_t at = start; at + window <= start + kRate * 2600 / 1000; at += window) {
        EXPECT_GT(Rms(capture.left, at, at + window), 200.0)
            << "at " << (at - start) * 1000 / kRate;
    }
}

TEST_F(DiskDeviceTest, MusicWithoutLoopEnds) {
    const fs::path midi = folder / "Musics" / "heat.mid";
    WriteMidi(midi, 2, 480);  // a quarter of a second
    MusicList mm(clock, settings, device);
    mm.Init(kTick);
    ASSERT_TRUE(mm.PlayMusic(midi.string(), false));
    // The synthesizer lets the last notes ring out before it reports the end.
    EXPECT_TRUE(clock.waitUntil([&] { return !device.musicPlaying(); }, 8000));
}

// Damaged and missing files: nothing plays, nothing breaks, the queue moves on.
TEST_F(DiskDeviceTest, DamagedFilesAreSilentAndTheQueueMovesOn) {
    std::ofstream(folder / "Speaks" / "bad.mp3") << "not an mp3 at all";
    std::ofstream(folder / "Sounds" / "bad.wav") << "RIFF\x10\x00\x00\x00WAVEfmt garbage";
    std::ofstream(folder / "Musics" / "bad.mid") << "MThd garbage";
    WriteSineWav(folder / "Speaks" / "good.mp3", 22050, 700, 100);  // a WAV by another name
    ASSERT_TRUE(OpenSoundDevice(device));
    EffectBuffer bad;
    EXPECT_FALSE(LoadEffect(bad, folder.path(), "bad"));
    EXPECT_FALSE(LoadEffect(bad, folder.path(), "missing"));
    std::int32_t pan = 0, volume = 0, frequency = 22050;
    PlayEffect(bad, pan, volume, frequency);

    MusicList mm(clock, settings, device);
    mm.Init(kTick);
    mm.FoldMus((folder / "Speaks").string());
    EXPECT_FALSE(mm.PlayMusic((folder / "Musics" / "bad.mid").string()));
    EXPECT_FALSE(mm.PlayMusic((folder / "Musics" / "missing.mid").string()));
    EXPECT_FALSE(mm.PlaySound("bad"));
    mm.AddFile("bad");
    mm.AddFile("missing");
    mm.AddFile("good");
    ASSERT_TRUE(clock.waitUntil([&] { return mm.Count() == 0; }, 3000));
    const Capture capture = finish();
    const auto bursts = FindBursts(capture);
    ASSERT_EQ(bursts.size(), 1u);
    EXPECT_NEAR(ZeroCrossingHz(capture, bursts[0]), 700, 40);
}

class NoSoundCardTest : public ::testing::TestWithParam<const char*> {};

// With SDL's silent output, or with no output SDL can open at all, the device
// opens, and phrases still take their time, so the game's waits end.
TEST_P(NoSoundCardTest, TheGamePlaysOnSilently) {
    TempFolder folder;
    ScopedEnv driver("SDL_AUDIODRIVER", GetParam());
    RealTimeClock clock;
    Settings settings(folder / "Korvel.ini");
    SdlAudioDevice device;
    EXPECT_TRUE(OpenSoundDevice(device));
    EXPECT_EQ(device.isSilent(), std::string(GetParam()) != "dummy");
    WriteSineWav(folder / "Sounds" / "click.wav", 22050, 1000, 50);
    fs::create_directories(folder / "Sounds");
    WriteSineWav(folder / "Sounds" / "click.wav", 22050, 1000, 50);
    EffectBuffer click;
    EXPECT_TRUE(LoadEffect(click, folder.path(), "click"));
    std::int32_t pan = 0, volume = 0, frequency = 22050;
    PlayEffect(click, pan, volume, frequency);

    fs::create_directories(folder / "Speaks");
    WriteSineWav(folder / "Speaks" / "a.mp3", 22050, 500, 150);
    MusicList mm(clock, settings, device);
    mm.Init(kTick);
    mm.FoldMus((folder / "Speaks").string());
    const std::int64_t start = clock.tickCount();
    mm.AddFile("a");
    mm.AddFile("a");
    ASSERT_TRUE(clock.waitUntil([&] { return mm.Count() == 0; }, 3000));
    EXPECT_GE(clock.tickCount() - start, 250);
    ReleaseEffect(click);
    CloseSoundDevice();
}

INSTANTIATE_TEST_SUITE_P(Drivers, NoSoundCardTest,
                         ::testing::Values("dummy", "no-such-audio-driver"));

}  // namespace
}  // namespace korvel
