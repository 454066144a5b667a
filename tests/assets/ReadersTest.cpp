// The readers must reject the damaged files the asset checks are there to
// catch; otherwise those checks could never fail.

#include <string>

#include <gtest/gtest.h>

#include "AssetReaders.h"

namespace korvel::testing {
namespace {

std::string le16(unsigned v) {
    return {char(v & 0xFF), char(v >> 8)};
}
std::string le32(unsigned v) {
    return le16(v & 0xFFFF) + le16(v >> 16);
}

std::string wavImage(const std::string& data, unsigned declaredData) {
    std::string fmt = le16(1) + le16(1) + le32(22050) + le32(44100) + le16(2) + le16(16);
    std::string body = "WAVEfmt " + le32(16) + fmt + "data" + le32(declaredData) + data;
    return "RIFF" + le32(unsigned(body.size())) + body;
}

TEST(WavReader, ReadsAWellFormedFile) {
    std::string error;
    auto wav = ParseWav(wavImage(le16(1000) + le16(0xFC18), 4), error);
    ASSERT_TRUE(wav) << error;
    EXPECT_EQ(wav->sampleRate, 22050);
    ASSERT_EQ(wav->samples.size(), 2u);
    EXPECT_EQ(wav->samples[1], -1000);
}

TEST(WavReader, RejectsDamage) {
    std::string error;
    EXPECT_FALSE(ParseWav(wavImage(le16(1), 8), error)) << "data chunk past the end";
    std::string good = wavImage(le16(1) + le16(2), 4);
    EXPECT_FALSE(ParseWav(good.substr(0, good.size() - 1), error)) << "truncated";
    EXPECT_FALSE(ParseWav("RIFX" + good.substr(4), error)) << "wrong magic";
}

std::string be32(unsigned v) {
    return {char(v >> 24), char((v >> 16) & 0xFF), char((v >> 8) & 0xFF), char(v & 0xFF)};
}

std::string midiImage(const std::string& events) {
    return std::string("MThd") + be32(6) + std::string("\0\1\0\1\x01\xE0", 6) + "MTrk" +
           be32(unsigned(events.size())) + events;
}

const std::string kEnd("\x00\xFF\x2F\x00", 4);

TEST(MidiReader, PairsNotesAndTimes) {
    std::string error;
    // Note 60 on at 0, off (as velocity 0) at 480, End of Track at 960.
    auto midi = ParseMidi(midiImage(std::string("\x00\x90\x3C\x40\x83\x60\x3C\x00", 8) +
                                    std::string("\x83\x60\xFF\x2F\x00", 5)),
                          error);
    ASSERT_TRUE(midi) << error;
    ASSERT_EQ(midi->notes.size(), 1u);
    EXPECT_EQ(midi->notes[0].end, 480u);
    EXPECT_EQ(midi->endTick, 960u);
    EXPECT_DOUBLE_EQ(midi->seconds(960), 1.0);  // default tempo 120 per minute
}

TEST(MidiReader, RejectsDamage) {
    std::string error;
    EXPECT_FALSE(ParseMidi(midiImage(std::string("\x00\x90\x3C\x40", 4) + kEnd), error))
        << "note left sounding";
    EXPECT_FALSE(ParseMidi(midiImage(std::string("\x00\x90\x3C\x40\x00\x80\x3C\x40", 8)), error))
        << "no End of Track";
    std::string good = midiImage(std::string("\x00\x90\x3C\x40\x10\x80\x3C\x40", 8) + kEnd);
    EXPECT_TRUE(ParseMidi(good, error)) << error;
    EXPECT_FALSE(ParseMidi(good.substr(0, good.size() - 2), error)) << "truncated";
}

TEST(Mp3Reader, RejectsWhatIsNotMpegAudio) {
    std::string error;
    EXPECT_FALSE(ParseMp3("", error));
    EXPECT_FALSE(ParseMp3(wavImage(le16(1), 2), error));
    // One MPEG-2 layer III mono frame of 8 kbit/s at 22050 Hz: 26 bytes.
    std::string frame = std::string("\xFF\xF3\x10\xC0", 4) + std::string(22, '\0');
    auto mp3 = ParseMp3(frame + frame, error);
    ASSERT_TRUE(mp3) << error;
    EXPECT_EQ(mp3->frames, 2);
    EXPECT_TRUE(mp3->mono);
    EXPECT_EQ(mp3->sampleRate, 22050);
    EXPECT_FALSE(ParseMp3(frame + frame.substr(0, 10), error)) << "truncated frame";
}

}  // namespace
}  // namespace korvel::testing
