// The real device, heard through SDL's disk output: the mixed signal is written
// to a raw file in real time and read back once the device is closed. Time runs
// on the program's own clock service, so lengths are measured within bounds.

#include "platform/SdlAudioDevice.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "AudioSignal.h"
#include "Session.h"
#include "platform/QtClock.h"
#include "voice/Announcer.h"
#include "voice/SoundEffects.h"

namespace korvel {
namespace {

using namespace korvel::testing;
namespace fs = std::filesystem;

constexpr int kRate = SdlAudioDevice::kRate;

std::string Le(std::uint32_t v, int bytes) {
    return bytes == 0 ? "" : char(v & 0xFF) + Le(v >> 8, bytes - 1);
}

// A 16-bit WAV at 22050 Hz of `ms` of a sine at `hz` (0: a steady level) with
// 2 ms fades, the same in each of its `channels`.
void WriteTone(const fs::path& path, double hz, int ms, double amplitude = 0.5, int channels = 1) {
    const int frames = 22050 * ms / 1000;
    std::string data;
    for (int i = 0; i < frames * channels; ++i) {
        const int f = i / channels;
        const double wave = hz > 0 ? std::sin(2 * std::numbers::pi * hz * f / 22050) : 1.0;
        const double v = amplitude * std::min({1.0, f / 44.0, (frames - 1 - f) / 44.0}) * wave;
        data += Le(std::uint32_t(std::lround(v * 32767)), 2);
    }
    const auto n = std::uint32_t(data.size()), frame = std::uint32_t(2 * channels);
    WriteBytes(path, "RIFF" + Le(36 + n, 4) + "WAVEfmt " + Le(16, 4) + Le(1, 2) + Le(frame / 2, 2) +
                         Le(22050, 4) + Le(22050 * frame, 4) + Le(frame, 2) + Le(16, 2) + "data" +
                         Le(n, 4) + data);
}

// The sounding stretches of a capture, as frame ranges: 1 ms blocks with a
// sample above 300 on either side, joined across silences of up to `joinMs`.
std::vector<std::pair<std::size_t, std::size_t>> Bursts(const Capture& c, std::size_t joinMs) {
    std::vector<std::pair<std::size_t, std::size_t>> bursts;
    const std::size_t block = kRate / 1000;
    for (std::size_t b = 0; b + block <= c.right.samples.size(); b += block) {
        if (std::max(Rms(c.left, b, b + block), Rms(c.right, b, b + block)) < 0.01) {
            continue;
        }
        if (bursts.empty() || b > bursts.back().second + joinMs * block) {
            bursts.push_back({b, b});
        }
        bursts.back().second = b + block;
    }
    return bursts;
}

// One capture: two phrases of 300 ms (WAV files by another name, the decoder
// goes by the content; the first in stereo, whose length must not depend on
// its channels) follow each other within a tick, an output buffer and some
// slack. One 600 ms phrase at 100%, 200% and 80% of the
// announcer's speed lasts its share of the recorded length, within 5%, at the
// same pitch. Then effects: pan -350 attenuates the right side by 3.5 dB;
// twice the rate is an octave up and half as long; a sounding effect is not
// restarted but moves to its new pan; two effects near full scale at once add
// up past it, and the mixer holds the sum at its ceiling, never wrapping; and
// it lets go again: a click after them sounds as loud as one before.
TEST(DiskDevice, PhrasesAndEffectsAreHeardAsPlayed) {
    StartQt();  // the clock's timers run in its event loop
    TempFolder folder;
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", (folder / "capture.raw").c_str(), 1);
    QtClock clock;
    Settings settings{folder / "Korvel.ini"};
    SdlAudioDevice device;
    Announcer announcer{clock, settings, device};
    announcer.Init(20);
    announcer.setPhraseFolder(folder.path().string());
    const auto playOut = [&] {
        return clock.waitUntil([&] { return announcer.Count() == 0; }, 5000);
    };
    WriteTone(folder / "a.mp3", 440, 300, 0.5, 2);
    WriteTone(folder / "b.mp3", 1000, 300);
    WriteTone(folder / "tone.mp3", 440, 600);
    fs::create_directories(folder / "Sounds");
    WriteTone(folder / "Sounds" / "click.wav", 1000, 200);
    WriteTone(folder / "Sounds" / "loud.wav", 0, 200, 0.95);
    EffectBuffer click, one, two;
    ASSERT_TRUE(OpenSoundDevice(device) && !device.isSilent() && device.outputRate() == kRate);
    ASSERT_TRUE(LoadEffect(click, folder.path(), "click") &&
                LoadEffect(one, folder.path(), "loud") && LoadEffect(two, folder.path(), "loud"));
    const auto stereo = device.openPlayer(folder / "a.mp3");  // as long as in mono
    EXPECT_NEAR(device.playerStopTime(stereo), 0.300, 0.005);
    device.releasePlayer(stereo);
    ASSERT_TRUE(announcer.AddFile("a") && announcer.AddFile("b") && playOut());
    const int rates[] = {100, 200, 80};
    for (const int rate : rates) {
        clock.waitFor(200);
        device.setPhraseRate(rate);
        ASSERT_TRUE(announcer.AddFile("tone") && playOut());
    }
    clock.waitFor(200);
    const std::tuple<EffectBuffer*, std::int32_t, std::int32_t, int> plays[] = {
        {&click, -350, 22050, 400},   {&click, 0, 22050, 350},     {&click, 0, 44100, 400},
        {&click, -10000, 22050, 120}, {&click, 10000, 22050, 400}, {&one, 0, 22050, 0},
        {&two, 0, 22050, 400},        {&click, 0, 22050, 400}};
    for (auto [effect, pan, frequency, thenMs] : plays) {
        std::int32_t volume = 0;
        PlayEffect(*effect, pan, volume, frequency);
        clock.waitFor(thenMs);
    }
    CloseSoundDevice();
    const Capture c = Capture::read(folder / "capture.raw", kRate);
    const auto b = Bursts(c, 50);
    ASSERT_EQ(b.size(), 10u);
    const auto ms = [&](std::size_t i) { return double(b[i].second - b[i].first) * 1000 / kRate; };
    const auto pitch = [&](std::size_t i) { return Pitch(c.left, b[i].first, b[i].second); };
    const auto balance = [&](std::size_t at) {  // (left - right) / (left + right) over 40 ms
        const double l = Rms(c.left, at, at + kRate / 25), r = Rms(c.right, at, at + kRate / 25);
        return (l - r) / (l + r);
    };
    EXPECT_TRUE(ms(0) > 590 && ms(0) < 600 + 20 + 11.6 + 8) << ms(0) << " ms";
    EXPECT_NEAR(ms(1), 600, 15);
    for (std::size_t i = 1; i < 4; ++i) {
        const double share = 100.0 / rates[i - 1];
        EXPECT_NEAR(ms(i) / ms(1), share, 0.05 * share) << rates[i - 1] << "%";
        EXPECT_NEAR(pitch(i), 440, 13) << rates[i - 1] << "%";
    }
    const double lengths[] = {200, 200, 100, 200, 200, 200};
    for (std::size_t i = 4; i < 10; ++i) {
        EXPECT_NEAR(ms(i), lengths[i - 4], 5) << i;
    }
    EXPECT_NEAR(balance(b[4].first), 0.199, 0.02);
    EXPECT_NEAR(balance(b[5].first), 0, 0.02);
    EXPECT_NEAR(pitch(6) / pitch(5), 2, 0.1);
    EXPECT_NEAR(balance(b[7].first), 1, 0.02);
    EXPECT_NEAR(balance(b[7].second - kRate / 25), -1, 0.02);
    const auto loud = c.left.samples.begin() + std::ptrdiff_t(b[8].first);
    EXPECT_GT(Peak({kRate, {loud, loud + kRate / 10}}), 0.85);
    EXPECT_GE(*std::min_element(loud, loud + kRate / 10), 0);
    EXPECT_NEAR(Rms(c.left, b[9].first, b[9].second) / Rms(c.left, b[5].first, b[5].second), 1,
                0.03);
    // With SDL's silent output, or none SDL can open at all, the device opens,
    // and phrases still take their time, so that the game's waits end.
    for (const std::string driver : {"dummy", "no-such-audio-driver"}) {
        setenv("SDL_AUDIODRIVER", driver.c_str(), 1);
        EXPECT_TRUE(OpenSoundDevice(device));
        EXPECT_EQ(device.isSilent(), driver != "dummy") << driver;
        const std::int64_t start = clock.tickCount();
        ASSERT_TRUE(announcer.AddFile("b") && announcer.AddFile("b") && playOut());
        EXPECT_GE(clock.tickCount() - start, 550);
        CloseSoundDevice();
    }
    setenv("SDL_AUDIODRIVER", "dummy", 1);  // as the tests run
}

}  // namespace
}  // namespace korvel
