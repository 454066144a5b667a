// The announcer's speed and the music's level: the stored values as the
// announcer reads them, and the speed as heard through SDL's disk output.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "AudioSignal.h"
#include "FakeAudioDevice.h"
#include "MusicList.h"
#include "RealTimeClock.h"
#include "SdlAudioDevice.h"
#include "TempFolder.h"
#include "VirtualClock.h"

namespace korvel {
namespace {

using namespace korvel::testing;

struct Stored {
    const char* rate;    // [Music] rate as written by hand; nullptr: missing
    const char* volume;  // [Music] volume
    int expectRate;
    int expectVolume;
    int expectDeviceVolume;  // hundredths of a decibel
};

class StoredSettings : public ::testing::TestWithParam<Stored> {};

TEST_P(StoredSettings, AreReadWithinTheirRangeInWholeSteps) {
    TempFolder folder;
    VirtualClock clock;
    Settings settings(folder / "Korvel.ini");
    FakeAudioDevice device(clock);
    device.open();
    const Stored& p = GetParam();
    if (p.rate != nullptr) {
        settings.SetIni("Music", "rate", p.rate);
    }
    if (p.volume != nullptr) {
        settings.SetIni("Music", "volume", p.volume);
    }
    MusicList mm(clock, settings, device);
    mm.Init(20);
    EXPECT_EQ(mm.Rate(), p.expectRate);
    EXPECT_EQ(device.phraseRate(), p.expectRate);
    EXPECT_EQ(mm.MusicVolume(), p.expectVolume);
    EXPECT_EQ(device.musicVolume(), p.expectDeviceVolume);
    // Reading never writes them: the default settings file stays as it was.
    EXPECT_EQ(settings.GetIni("Music", "rate"), p.rate ? p.rate : "0");
    mm.setRate(mm.Rate() + 10);
    EXPECT_EQ(settings.GetNumber("Music", "rate"), std::min(p.expectRate + 10, 250));
}

INSTANTIATE_TEST_SUITE_P(
    Music, StoredSettings,
    ::testing::Values(Stored{nullptr, nullptr, 100, 0, 0}, Stored{"0", "0", 100, 0, 0},
                      Stored{"200", "-9", 200, -9, -900}, Stored{"205", "-10", 210, -9, -900},
                      Stored{"1000", "5", 250, 0, 0}, Stored{"50", "-31", 80, -30, -3000},
                      Stored{"-20", "-32", 80, -33, -10000},
                      Stored{"fast", "-1000", 100, -33, -10000}));

// One 600 ms tone phrase at 100%, 200% and 80% on the real device: each lasts
// its share of the recorded length, within 5%, at the same pitch.
TEST(PhraseRate, AStretchedPhraseKeepsItsPitchAndTakesItsShareOfTheTime) {
    TempFolder folder;
    const auto raw = folder / "capture.raw";
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", raw.c_str(), 1);
    WriteSineWav(folder / "tone.wav", 22050, 440, 600);
    RealTimeClock clock;
    SdlAudioDevice device;
    const bool opened = device.open() && !device.isSilent();
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ASSERT_TRUE(opened);
    const int rates[] = {100, 200, 80};
    for (const int rate : rates) {
        device.setPhraseRate(rate);
        const AudioDevice::Handle phrase = device.openPlayer(folder / "tone.wav");
        ASSERT_TRUE(device.startPlayer(phrase));
        ASSERT_TRUE(clock.waitUntil([&] { return device.playerFinished(phrase); }, 3000));
        device.releasePlayer(phrase);
        clock.waitFor(200);
    }
    device.close();
    const Capture capture = Capture::read(raw, SdlAudioDevice::kRate);
    const auto bursts = FindBursts(capture);
    ASSERT_EQ(bursts.size(), 3u);
    const double ms100 = bursts[0].ms(capture.rate);
    const double hz100 = ZeroCrossingHz(capture, bursts[0]);
    EXPECT_NEAR(ms100, 600, 15);
    for (std::size_t i = 0; i < 3; ++i) {
        const double ms = bursts[i].ms(capture.rate);
        std::printf("[ measured ] phrase at %d%%: %.1f ms, %.1f Hz\n", rates[i], ms,
                    ZeroCrossingHz(capture, bursts[i]));
        EXPECT_NEAR(ms / ms100, 100.0 / rates[i], 0.05 * 100.0 / rates[i]) << rates[i] << "%";
        EXPECT_NEAR(ZeroCrossingHz(capture, bursts[i]) / hz100, 1.0, 0.03) << rates[i] << "%";
    }
}

}  // namespace
}  // namespace korvel
