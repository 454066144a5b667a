// The recording script: it remakes only what changed, keeps a player's own
// recordings, and fails cleanly without leaving broken files.

#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "AssetPaths.h"
#include "AssetReaders.h"
#include "TempFolder.h"

namespace korvel::testing {
namespace {

class MakeSpeaks : public ::testing::Test {
  protected:
    void SetUp() override {
        KORVEL_SKIP_WITHOUT_ASSETS();
        m_speaks = m_folder / "Speaks";
    }

    void writeTable(const std::string& text) { WriteBytes(m_folder / "table.tsv", text); }

    // Runs the script on the test's table; returns its exit status.
    int run(const std::string& voice = "ru") {
        std::string command =
            std::string("\"") + KORVEL_CMAKE_COMMAND + "\"" +
            " \"-DTABLE=" + (m_folder / "table.tsv").string() + "\"" +
            " \"-DOUT_DIR=" + m_speaks.string() + "\"" +
            " \"-DCACHE_DIR=" + (m_folder / "sig").string() + "\"" + " \"-DVOICE=" + voice + "\"" +
            " \"-DESPEAK=" + KORVEL_ESPEAK_PROGRAM + "\"" + " \"-DLAME=" + KORVEL_LAME_PROGRAM +
            "\"" + " -P \"" + KORVEL_MAKE_SPEAKS + "\" > \"" + (m_folder / "log.txt").string() +
            "\" 2>&1";
        return std::system(command.c_str());
    }

    std::string recording(const std::string& name) { return ReadBytes(m_speaks / (name + ".mp3")); }

    bool leftovers() {
        if (!std::filesystem::exists(m_speaks)) {
            return false;
        }
        for (const auto& e : std::filesystem::directory_iterator(m_speaks)) {
            if (e.path().extension() != ".mp3") {
                return true;
            }
        }
        return false;
    }

    TempFolder m_folder;
    std::filesystem::path m_speaks;
};

TEST_F(MakeSpeaks, RemakesOnlyChangedLinesAndKeepsOwnRecordings) {
    writeTable("first\tраз\nsecond\tдва\n");
    ASSERT_EQ(run(), 0) << ReadBytes(m_folder / "log.txt");
    std::string error;
    ASSERT_TRUE(ParseMp3(recording("first"), error)) << error;
    std::string secondBefore = recording("second");
    ASSERT_TRUE(ParseMp3(secondBefore, error)) << error;

    // A player's own recording in place of "first", and a new wording for "second".
    WriteBytes(m_speaks / "first.mp3", "own recording");
    writeTable("first\tраз\nsecond\tдва и три\n");
    ASSERT_EQ(run(), 0) << ReadBytes(m_folder / "log.txt");
    EXPECT_TRUE(recording("first") == "own recording");
    EXPECT_TRUE(recording("second") != secondBefore);
    EXPECT_TRUE(ParseMp3(recording("second"), error)) << error;

    // A deleted recording comes back.
    std::filesystem::remove(m_speaks / "second.mp3");
    ASSERT_EQ(run(), 0);
    EXPECT_TRUE(ParseMp3(recording("second"), error)) << error;
    EXPECT_FALSE(leftovers());
}

// The third column is what the voice reads: here the same word, stressed otherwise.
TEST_F(MakeSpeaks, ThePronunciationIsWhatTheVoiceReads) {
    writeTable("plain\tчаса\nstressed\tчаса\t[[tS;Is'A]]\n");
    ASSERT_EQ(run(), 0) << ReadBytes(m_folder / "log.txt");
    EXPECT_TRUE(recording("plain") != recording("stressed"));
}

TEST_F(MakeSpeaks, AnUnknownVoiceFailsAndLeavesTheRecordingsAlone) {
    writeTable("first\tраз\n");
    ASSERT_EQ(run(), 0);
    std::string before = recording("first");
    EXPECT_NE(run("nosuchvoice"), 0);
    EXPECT_TRUE(recording("first") == before);
    EXPECT_FALSE(leftovers());
    EXPECT_NE(ReadBytes(m_folder / "log.txt").find("nosuchvoice"), std::string::npos);
}

TEST_F(MakeSpeaks, AMalformedTableIsRefused) {
    for (const char* table : {"first раз\n", "first\tраз; два\n", "fi rst\tраз\n", "first\tраз\t\n",
                              "first\tраз\tраз\tраз\n"}) {
        SCOPED_TRACE(table);
        writeTable(table);
        EXPECT_NE(run(), 0);
        EXPECT_FALSE(std::filesystem::exists(m_speaks / "first.mp3"));
    }
}

}  // namespace
}  // namespace korvel::testing
