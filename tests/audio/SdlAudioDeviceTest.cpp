// The real device, heard through SDL's disk output: the mixed signal is written
// to a raw file in real time and read back once the device is closed. Time runs
// on the program's own clock service.

#include "SdlAudioDevice.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>
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
namespace fs = std::filesystem;

constexpr int kRate = SdlAudioDevice::kRate;
constexpr int kTick = 20;

std::string Le(std::uint32_t v, int bytes) {
    return bytes == 0 ? "" : char(v & 0xFF) + Le(v >> 8, bytes - 1);
}

// A 16-bit WAV at 22050 Hz of `ms` of a sine at `hz` (0: a steady level) with
// 2 ms fades, the same in each of its `channels`.
void WriteTone(const fs::path& path, double hz, int ms, double amplitude = 0.5, int channels = 1) {
    const int frames = 22050 * ms / 1000;
    std::string data;
    for (int i = 0; i < frames; ++i) {
        const double wave = hz > 0 ? std::sin(2 * std::numbers::pi * hz * i / 22050) : 1.0;
        const double v = amplitude * std::min({1.0, i / 44.0, (frames - 1 - i) / 44.0}) * wave;
        for (int c = 0; c < channels; ++c) {
            data += Le(std::uint32_t(std::lround(v * 32767)), 2);
        }
    }
    const auto n = std::uint32_t(data.size()), frame = std::uint32_t(2 * channels);
    WriteBytes(path, "RIFF" + Le(36 + n, 4) + "WAVEfmt " + Le(16, 4) + Le(1, 2) + Le(frame / 2, 2) +
                         Le(22050, 4) + Le(22050 * frame, 4) + Le(frame, 2) + Le(16, 2) + "data" +
                         Le(n, 4) + data);
}

// A type-0 MIDI file: `notes` quarter notes of a piano at `bpm`.
void WriteMidi(const fs::path& path, int notes, int bpm) {
    const auto tempo = 60000000u / std::uint32_t(bpm);
    std::string track = "\0\xFF\x51\x03"s + char(tempo >> 16) + char(tempo >> 8) + char(tempo);
    for (int i = 0; i < notes; ++i) {  // on at once, off a quarter note (96 ticks) later
        track += "\0\x90"s + char(60 + i % 8) + "\x64\x60\x80" + char(60 + i % 8) + '\0';
    }
    track += "\0\xFF\x2F\0"s;
    WriteBytes(path, "MThd\0\0\0\x06\0\0\0\x01\0\x60MTrk\0\0"s + char(track.size() >> 8) +
                         char(track.size()) + track);
}

// A stretch of a capture, in frames.
struct Burst {
    std::size_t begin, end;
    double ms() const { return double(end - begin) * 1000.0 / kRate; }
};

// The sounding stretches: 1 ms blocks whose peak on either side exceeds
// `threshold`, joined across silences of up to `joinMs`.
std::vector<Burst> FindBursts(const Capture& c, int threshold = 300, std::size_t joinMs = 4) {
    std::vector<Burst> bursts;
    const std::size_t block = kRate / 1000;
    for (std::size_t b = 0; b + block <= c.right.samples.size(); b += block) {
        bool loud = false;
        for (std::size_t i = b; i < b + block; ++i) {
            loud = loud ||
                   std::max(std::abs(c.left.samples[i]), std::abs(c.right.samples[i])) > threshold;
        }
        if (loud && (bursts.empty() || b > bursts.back().end + joinMs * block)) {
            bursts.push_back({b, b});
        }
        if (loud) {
            bursts.back().end = b + block;
        }
    }
    return bursts;
}

// A program folder, the device on SDL's disk output, and the announcer on it.
class DiskDevice : public ::testing::Test {
  protected:
    DiskDevice() {
        static int argc = 1;
        static char name[] = "audio_tests", *argv[] = {name, nullptr};
        static QCoreApplication app(argc, argv);  // the clock's timers run in its event loop
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", (folder / "capture.raw").c_str(), 1);
        mm.Init(kTick);
        mm.FoldMus((folder / "Speaks").string());
        for (const char* sub : {"Speaks", "Sounds", "Musics"}) {
            fs::create_directories(folder / sub);
        }
    }
    ~DiskDevice() override {
        CloseSoundDevice();
        setenv("SDL_AUDIODRIVER", "dummy", 1);  // as the tests run
    }
    void SetUp() override {
        ASSERT_TRUE(OpenSoundDevice(device) && !device.isSilent() && device.outputRate() == kRate);
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

// One 600 ms phrase at 100%, 200% and 80% of the announcer's speed: each lasts
// its share of the recorded length, within 5%, at the same pitch.
TEST_F(DiskDevice, AStretchedPhraseKeepsItsPitchAndTakesItsShareOfTheTime) {
    WriteTone(folder / "Speaks" / "tone.mp3", 440, 600);
    const int rates[] = {100, 200, 80};
    for (const int rate : rates) {
        device.setPhraseRate(rate);
        ASSERT_TRUE(mm.AddFile("tone") && playOut());
        clock.waitFor(200);
    }
    const Capture c = heard();
    const auto b = FindBursts(c);
    ASSERT_EQ(b.size(), 3u);
    EXPECT_NEAR(b[0].ms(), 600, 15);
    for (std::size_t i = 0; i < 3; ++i) {
        const double hz = Pitch(c.left, b[i].begin, b[i].end);
        std::printf("[ measured ] phrase at %d%%: %.1f ms, %.1f Hz\n", rates[i], b[i].ms(), hz);
        EXPECT_NEAR(b[i].ms() / b[0].ms(), 100.0 / rates[i], 0.05 * 100.0 / rates[i]) << rates[i];
        EXPECT_NEAR(hz, 440, 13) << rates[i] << "%";
    }
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
        EXPECT_NEAR(b[i].ms(), e.burstsMs[i], 5);
    }
    auto balance = [&](std::size_t at) {  // over 40 ms
        const double l = Rms(c.left, at, at + kRate / 25), r = Rms(c.right, at, at + kRate / 25);
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
    WriteTone(folder / "Sounds" / "empty.wav", 700, 0);
    WriteTone(folder / "Speaks" / "good.mp3", 700, 100);
    EffectBuffer bad;
    EXPECT_FALSE(LoadEffect(bad, folder.path(), "bad") || LoadEffect(bad, folder.path(), "none") ||
                 LoadEffect(bad, folder.path(), "empty"));
    play(bad, 0, 22050);
    EXPECT_FALSE(mm.PlayMusic((folder / "Musics" / "bad.mid").string()) ||
                 mm.PlayMusic((folder / "Musics" / "none.mid").string()) || mm.PlaySound("bad"));
    ASSERT_TRUE(mm.AddFile("bad") && mm.AddFile("none") && mm.AddFile("good") && playOut());
    const Capture c = heard();
    const auto bursts = FindBursts(c);
    ASSERT_EQ(bursts.size(), 1u);
    EXPECT_NEAR(Pitch(c.left, bursts[0].begin, bursts[0].end), 700, 40);
}

// With SDL's silent output, or none SDL can open at all, the device opens, and
// phrases still take their time, so that the game's waits end.
TEST_F(DiskDevice, WithoutASoundCardTheGamePlaysOnSilently) {
    WriteTone(folder / "Speaks" / "a.mp3", 500, 150);
    for (const std::string driver : {"dummy", "no-such-audio-driver"}) {
        CloseSoundDevice();
        setenv("SDL_AUDIODRIVER", driver.c_str(), 1);
        EXPECT_TRUE(OpenSoundDevice(device));
        EXPECT_EQ(device.isSilent(), driver != "dummy") << driver;
        play(effect("click", 1000, 50), 0, 22050);
        const std::int64_t start = clock.tickCount();
        ASSERT_TRUE(mm.AddFile("a") && mm.AddFile("a") && playOut());
        EXPECT_GE(clock.tickCount() - start, 250);
    }
}

}  // namespace
}  // namespace korvel
