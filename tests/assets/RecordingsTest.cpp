// The built program folder holds a playable recording for every phrase.

#include <map>
#include <string>

#include <gtest/gtest.h>

#include "AssetPaths.h"
#include "AssetReaders.h"
#include "TempFolder.h"

namespace korvel::testing {
namespace {

TEST(Recordings, EveryPhraseHasAPlayableRecording) {
    KORVEL_SKIP_WITHOUT_ASSETS();
    std::vector<std::string> errors;
    auto lines = ReadPhraseTable(PhraseTablePath(), errors);
    ASSERT_TRUE(errors.empty());
    ASSERT_EQ(lines.size(), 156u);
    for (const auto& l : lines) {
        SCOPED_TRACE(l.name + " \"" + l.wording + "\"");
        auto file = ProgramDir() / "Speaks" / (l.name + ".mp3");
        ASSERT_TRUE(std::filesystem::is_regular_file(file)) << file;
        std::string error;
        auto mp3 = ParseMp3(ReadBytes(file), error);
        ASSERT_TRUE(mp3) << error;
        EXPECT_TRUE(mp3->mono);
        EXPECT_EQ(mp3->sampleRate, 22050);
        // A single short word still takes a tenth of a second; nothing the
        // announcer says should hold the queue for long.
        EXPECT_GT(mp3->seconds, 0.1);
        EXPECT_LT(mp3->seconds, 8.0);
    }
}

// The recordings are clean and near the voice's level, so that no phrase of a
// sequence ("ход" then a number) drops out or stands out.
TEST(Recordings, AreCleanAndNearTheVoice) {
    KORVEL_SKIP_WITHOUT_ASSETS();
    ASSERT_EQ(DecodedRecordings().size(), 156u);
    const double voice = VoiceLufs();
    EXPECT_GT(voice, -25.0);
    for (const auto& [name, wav] : DecodedRecordings()) {
        EXPECT_NEAR(Lufs(wav), voice, 4.0) << name;
        EXPECT_LT(Peak(wav.samples), 0.97) << name;
    }
}

// Different wordings must give different recordings: identical files would
// mean the voice produced a fixed sound (an error tone, silence) instead.
TEST(Recordings, DifferentWordingsSoundDifferent) {
    KORVEL_SKIP_WITHOUT_ASSETS();
    std::vector<std::string> errors;
    std::map<std::string, std::string> byContent;  // bytes -> wording
    for (const auto& l : ReadPhraseTable(PhraseTablePath(), errors)) {
        std::string bytes = ReadBytes(ProgramDir() / "Speaks" / (l.name + ".mp3"));
        auto [it, added] = byContent.emplace(bytes, l.wording);
        EXPECT_TRUE(added || it->second == l.wording)
            << l.name << " sounds exactly like \"" << it->second << "\"";
    }
}

// Longer wordings give longer recordings: the sentence of the minutes prompt
// against the single word "Да".
TEST(Recordings, LengthFollowsTheWording) {
    KORVEL_SKIP_WITHOUT_ASSETS();
    std::string error;
    auto shortOne = ParseMp3(ReadBytes(ProgramDir() / "Speaks" / "53.mp3"), error);
    auto longOne = ParseMp3(ReadBytes(ProgramDir() / "Speaks" / "keynum.mp3"), error);
    ASSERT_TRUE(shortOne && longOne) << error;
    EXPECT_GT(longOne->seconds, 3 * shortOne->seconds);
}

}  // namespace
}  // namespace korvel::testing
