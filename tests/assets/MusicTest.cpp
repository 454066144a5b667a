// The music files: valid Standard MIDI Files that loop cleanly and stay calm
// and low enough to sit under the announcer.

#include <algorithm>
#include <string>

#include <gtest/gtest.h>

#include "AssetPaths.h"
#include "AssetReaders.h"
#include "TempFolder.h"

namespace korvel::testing {
namespace {

Midi loadMusic(const std::string& file) {
    std::string error;
    auto midi = ParseMidi(ReadBytes(ProgramDir() / "Musics" / file), error);
    if (!midi) {
        ADD_FAILURE() << file << ": " << error;
        return {};
    }
    return *midi;
}

struct Piece {
    const char* file;
    double minSeconds;
    double maxSeconds;
    int lowestKey;
    int highestKey;
};

class Music : public ::testing::TestWithParam<Piece> {};

TEST_P(Music, IsACalmLoop) {
    KORVEL_SKIP_WITHOUT_ASSETS();
    const Piece& p = GetParam();
    Midi m = loadMusic(p.file);
    ASSERT_FALSE(m.notes.empty());
    EXPECT_FALSE(m.tempoChanges);
    double seconds = m.seconds(m.endTick);
    EXPECT_GE(seconds, p.minSeconds);
    EXPECT_LE(seconds, p.maxSeconds);
    // Slow: at most 90 beats per minute.
    EXPECT_GE(m.microsecondsPerQuarter, 60000000u / 90u);

    // Loops without a gap or a jump: music from the first tick, the piece ends
    // on a bar line, and the last notes run right up to it.
    std::uint32_t bar = std::uint32_t(m.division * m.beatsPerBar);
    EXPECT_EQ(m.endTick % bar, 0u);
    std::uint32_t firstStart = m.endTick;
    std::uint32_t lastEnd = 0;
    for (const auto& n : m.notes) {
        firstStart = std::min(firstStart, n.start);
        lastEnd = std::max(lastEnd, n.end);
        EXPECT_LE(n.velocity, 70) << "key " << n.key << " at " << n.start;
        EXPECT_GE(n.key, p.lowestKey);
        EXPECT_LE(n.key, p.highestKey);
        EXPECT_NE(n.channel, 9) << "no drums under the speech";
        EXPECT_TRUE(m.programs.count(n.channel)) << "channel " << n.channel << " has no instrument";
    }
    EXPECT_EQ(firstStart, 0u);
    EXPECT_EQ(lastEnd, m.endTick);
}

INSTANTIATE_TEST_SUITE_P(Musics, Music,
                         ::testing::Values(Piece{"remembr.mid", 60.0, 240.0, 28, 79},
                                           Piece{"heat.mid", 10.0, 60.0, 28, 96}),
                         [](const auto& info) {
                             std::string n = info.param.file;
                             return n.substr(0, n.find('.'));
                         });

// The pause must not sound like play resumed: other instruments, another metre.
TEST(Musics, PauseMusicHasItsOwnCharacter) {
    KORVEL_SKIP_WITHOUT_ASSETS();
    Midi play = loadMusic("remembr.mid");
    Midi pause = loadMusic("heat.mid");
    for (const auto& [channel, program] : pause.programs) {
        for (const auto& [c, p] : play.programs) {
            EXPECT_NE(program, p) << "instrument " << program << " is in both pieces";
        }
    }
    EXPECT_NE(play.beatsPerBar, pause.beatsPerBar);
}

}  // namespace
}  // namespace korvel::testing
