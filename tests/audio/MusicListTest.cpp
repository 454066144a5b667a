#include "MusicList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "FakeAudioDevice.h"
#include "TempFolder.h"
#include "VirtualClock.h"

namespace korvel {
namespace {

using testing::FakeAudioDevice;
using testing::TempFolder;
using testing::VirtualClock;
using Words = std::vector<std::string>;

constexpr int kTick = 20;

class MusicListTest : public ::testing::Test {
  protected:
    MusicListTest() : settings(folder / "Korvel.ini"), device(clock), mm(clock, settings, device) {
        device.open();
        mm.Init(kTick);
        mm.FoldMus((folder / "Speaks").string());
    }

    // Lets virtual time run until the queue is idle; false when it never gets there.
    bool playOut() {
        return clock.waitUntil([this] { return mm.Count() == 0; }, 600000);
    }
    std::string phrase(const std::string& name) const {
        return (folder / "Speaks" / (name + ".mp3")).string();
    }

    TempFolder folder;
    VirtualClock clock;
    Settings settings;
    FakeAudioDevice device;
    MusicList mm;
};

struct NumberCase {
    std::int32_t n;
    Words words;
    Gender gender = Gender::Masculine;
};

class NumberTest : public MusicListTest, public ::testing::WithParamInterface<NumberCase> {};

TEST_P(NumberTest, QueuesTheNumberWordsInOrder) {
    mm.Number(GetParam().n, GetParam().gender);
    EXPECT_EQ(mm.Count(), static_cast<std::int32_t>(GetParam().words.size()));
    ASSERT_TRUE(playOut());
    EXPECT_EQ(device.startedPhraseStems(), GetParam().words);
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, NumberTest,
    ::testing::Values(
        NumberCase{0, {"0"}}, NumberCase{7, {"7"}}, NumberCase{15, {"15"}}, NumberCase{19, {"19"}},
        NumberCase{20, {"20"}}, NumberCase{21, {"20", "1"}}, NumberCase{45, {"40", "5"}},
        NumberCase{99, {"90", "9"}}, NumberCase{100, {"21"}}, NumberCase{101, {"21", "1"}},
        NumberCase{110, {"21", "10"}}, NumberCase{111, {"21", "11"}}, NumberCase{120, {"21", "20"}},
        NumberCase{305, {"23", "5"}}, NumberCase{999, {"29", "90", "9"}},
        NumberCase{1000, {"51", "31"}}, NumberCase{1005, {"51", "31", "5"}},
        NumberCase{1011, {"51", "31", "11"}}, NumberCase{1050, {"51", "31", "50"}},
        NumberCase{1100, {"51", "31", "21"}}, NumberCase{2000, {"52", "32"}},
        NumberCase{2022, {"52", "32", "20", "2"}}, NumberCase{3500, {"3", "32", "25"}},
        NumberCase{4004, {"4", "32", "4"}}, NumberCase{5021, {"5", "33", "20", "1"}},
        NumberCase{9999, {"9", "33", "29", "90", "9"}}, NumberCase{10000, {}},
        NumberCase{123456, {}}, NumberCase{-5, {}},
        // Seconds, minutes, cells and discs: "одна", "две" at the end only.
        NumberCase{1, {"51"}, Gender::Feminine}, NumberCase{2, {"52"}, Gender::Feminine},
        NumberCase{12, {"12"}, Gender::Feminine}, NumberCase{21, {"20", "51"}, Gender::Feminine},
        NumberCase{1002, {"51", "31", "52"}, Gender::Feminine},
        NumberCase{2000, {"52", "32"}, Gender::Feminine}, NumberCase{3, {"3"}, Gender::Feminine}));

TEST_F(MusicListTest, NumberSaysNothingWithoutAFolder) {
    MusicList bare(clock, settings, device);
    bare.Init(kTick);
    bare.Number(5);
    EXPECT_EQ(bare.Count(), 0);
    EXPECT_TRUE(device.openedPhrases().empty());
}

TEST_F(MusicListTest, FirstPhraseStartsAtOnceAndTheNextFollowsWithinOneTick) {
    device.setPhraseDuration("tur", 130);
    device.setPhraseDuration("gamer", 170);
    ASSERT_TRUE(mm.AddFile("tur"));
    EXPECT_EQ(device.phraseStarts(), std::vector<std::int64_t>{0});
    EXPECT_EQ(mm.Count(), 1);
    ASSERT_TRUE(mm.AddFile("gamer"));
    EXPECT_EQ(mm.Count(), 2);
    ASSERT_TRUE(playOut());
    EXPECT_EQ(device.openedPhrases(), (Words{phrase("tur"), phrase("gamer")}));
    ASSERT_EQ(device.phraseStarts().size(), 2u);
    const std::int64_t gap = device.phraseStarts()[1] - 130;
    EXPECT_GE(gap, 0);
    EXPECT_LE(gap, kTick);
}

TEST_F(MusicListTest, CountKeepsItsHeightUntilTheLastPhraseEnds) {
    for (const char* name : {"a", "b", "c"}) {
        mm.AddFile(name);
    }
    std::vector<std::int32_t> seen;
    while (mm.Count() != 0 && clock.tickCount() < 10000) {
        seen.push_back(mm.Count());
        clock.advance(kTick);
    }
    // Three phrases of 500 ms each: at least 1500 ms at height 3, then 0.
    EXPECT_GE(clock.tickCount(), 1500);
    EXPECT_LE(clock.tickCount(), 1500 + 3 * kTick);
    EXPECT_EQ(std::count(seen.begin(), seen.end(), 3), static_cast<long>(seen.size()));
    EXPECT_FALSE(mm.ticking());
    EXPECT_EQ(device.livePlayers(), 0u);
}

TEST_F(MusicListTest, PhraseAddedDuringTheLastOneIsPlayedNext) {
    mm.AddFile("a");
    clock.advance(300);
    mm.AddFile("b");
    EXPECT_EQ(mm.Count(), 2);
    ASSERT_TRUE(playOut());
    EXPECT_EQ(device.startedPhraseStems(), (Words{"a", "b"}));
}

TEST_F(MusicListTest, ClearStopsAtOnceAndTheNextPhraseStartsImmediately) {
    mm.AddFile("a");
    mm.AddFile("b");
    clock.advance(100);
    mm.Clear();
    EXPECT_EQ(mm.Count(), 0);
    EXPECT_FALSE(mm.ticking());
    EXPECT_EQ(device.livePlayers(), 0u);
    clock.advance(2000);
    EXPECT_EQ(device.startedPhraseStems(), Words{"a"});
    ASSERT_TRUE(mm.AddFile("c"));
    EXPECT_EQ(device.phraseStarts().back(), clock.tickCount());
    EXPECT_EQ(mm.Count(), 1);
}

TEST_F(MusicListTest, TheQueueHolds1024PhrasesAndRefusesThe1025th) {
    for (int i = 0; i < MusicList::kQueueSlots; ++i) {
        ASSERT_TRUE(mm.AddFile(std::to_string(i % 20))) << i;
    }
    EXPECT_FALSE(mm.AddFile("tur"));
    EXPECT_EQ(mm.Count(), MusicList::kQueueSlots);
    clock.advance(600);  // one phrase done: still no room until the queue is idle
    EXPECT_FALSE(mm.AddFile("tur"));
    mm.Clear();
    EXPECT_TRUE(mm.AddFile("tur"));
}

TEST_F(MusicListTest, AFullQueuePlaysEveryPhraseOnce) {
    device.setDefaultPhraseDuration(10);
    for (int i = 0; i < MusicList::kQueueSlots; ++i) {
        mm.AddFile(std::to_string(i));
    }
    ASSERT_TRUE(playOut());
    const Words stems = device.startedPhraseStems();
    ASSERT_EQ(stems.size(), static_cast<std::size_t>(MusicList::kQueueSlots));
    EXPECT_EQ(stems.front(), "0");
    EXPECT_EQ(stems.back(), "1023");
}

TEST_F(MusicListTest, MutingQueuesNothingButLeavesQueuedPhrasesAndMusic) {
    ASSERT_TRUE(mm.PlayMusic((folder / "Musics" / "remembr.mid").string()));
    mm.AddFile("ok");
    mm.setNotPlay(1);
    EXPECT_EQ(settings.GetIni("Music", "play"), "1");
    EXPECT_FALSE(mm.AddFile("tur"));
    mm.Number(42);
    EXPECT_FALSE(mm.PlaySound("chao"));
    EXPECT_EQ(mm.Count(), 1);
    ASSERT_TRUE(playOut());
    EXPECT_EQ(device.startedPhraseStems(), Words{"ok"});
    EXPECT_TRUE(device.musicPlaying());
    EXPECT_TRUE(mm.PlayMusic((folder / "Musics" / "heat.mid").string()));
    // A full path on the sound channel is not the announcer's speech.
    EXPECT_TRUE(mm.PlaySound((folder / "x.mp3").string(), false));
}

TEST_F(MusicListTest, AMissingPhraseIsSkippedAtTheNextTick) {
    device.setUnplayable("missing");
    device.setPhraseDuration("a", 100);
    mm.AddFile("a");
    mm.AddFile("missing");
    mm.AddFile("b");
    ASSERT_TRUE(playOut());
    EXPECT_EQ(device.startedPhraseStems(), (Words{"a", "b"}));
    ASSERT_EQ(device.phraseStarts().size(), 2u);
    EXPECT_LE(device.phraseStarts()[1] - 100, 2 * kTick);
}

TEST_F(MusicListTest, AQueueOfMissingPhrasesStillBecomesIdle) {
    device.setUnplayable("x");
    mm.AddFile("x");
    mm.AddFile("x");
    ASSERT_TRUE(playOut());
    EXPECT_LE(clock.tickCount(), 2 * kTick);
    EXPECT_TRUE(device.startedPhraseStems().empty());
}

TEST_F(MusicListTest, SoundChannelPlaysBesideTheQueueAndIsReplaced) {
    mm.AddFile("a");
    ASSERT_TRUE(mm.PlaySound("chao"));
    EXPECT_EQ(device.openedPhrases().back(), phrase("chao"));
    EXPECT_EQ(device.livePlayers(), 2u);
    ASSERT_TRUE(mm.PlaySound("ok"));
    EXPECT_EQ(device.livePlayers(), 2u);  // the first sound was released
    mm.StopSound();
    EXPECT_EQ(device.livePlayers(), 1u);
    device.setUnplayable("bad");
    EXPECT_FALSE(mm.PlaySound("bad"));
    EXPECT_EQ(mm.Count(), 1);
}

TEST_F(MusicListTest, MusicLoopsByDefaultAndFailsCleanly) {
    ASSERT_TRUE(mm.PlayMusic("/m/remembr.mid"));
    EXPECT_TRUE(device.musicLooping());
    ASSERT_TRUE(mm.PlayMusic("/m/heat.mid", false));
    EXPECT_FALSE(device.musicLooping());
    device.setUnplayable("broken");
    EXPECT_FALSE(mm.PlayMusic("/m/broken.mid"));
    EXPECT_FALSE(device.musicPlaying());
    ASSERT_TRUE(mm.PlayMusic("/m/heat.mid"));
    mm.StopMusic();
    EXPECT_FALSE(device.musicPlaying());
}

TEST_F(MusicListTest, PositionFollowsTheCurrentPhrase) {
    EXPECT_FLOAT_EQ(mm.Position(), 0.0f);
    mm.AddFile("a");
    clock.advance(250);
    EXPECT_NEAR(mm.Position(), 0.25f, 0.021f);
}

TEST_F(MusicListTest, InitMakesTheQueueIdleAndSetsTheTick) {
    mm.AddFile("a");
    mm.AddFile("b");
    EXPECT_TRUE(mm.Init());
    EXPECT_EQ(mm.Count(), 0);
    EXPECT_FALSE(mm.ticking());
    EXPECT_EQ(mm.interval(), 200);
    EXPECT_EQ(device.livePlayers(), 0u);
}

TEST_F(MusicListTest, DestroyingStopsTheTickAndReleasesPlayers) {
    {
        MusicList other(clock, settings, device);
        other.Init(kTick);
        other.AddFile("/a.mp3");
        other.PlaySound("/b.mp3", false);
        EXPECT_EQ(clock.pendingCount(), 1u);
    }
    EXPECT_EQ(clock.pendingCount(), 0u);
    EXPECT_EQ(device.livePlayers(), 0u);
}

struct FolderCase {
    std::string given;
    std::string stored;
};

class FoldMusTest : public MusicListTest, public ::testing::WithParamInterface<FolderCase> {};

TEST_P(FoldMusTest, StoresTheFolderWithOneFinalSeparator) {
    MusicList fresh(clock, settings, device);
    fresh.FoldMus(GetParam().given);
    EXPECT_EQ(fresh.Folder(), GetParam().stored);
    EXPECT_EQ(fresh.Dilation(), ".mp3");
}

INSTANTIATE_TEST_SUITE_P(Folders, FoldMusTest,
                         ::testing::Values(FolderCase{"/k/Speaks", "/k/Speaks/"},
                                           FolderCase{"/k/Speaks/", "/k/Speaks/"},
                                           FolderCase{"Speaks", "Speaks/"}, FolderCase{"", "/"}));

TEST_F(MusicListTest, DilationIsSetOnceByFoldMusAndGainsADot) {
    MusicList fresh(clock, settings, device);
    fresh.FoldMus("/k", ".wav");
    EXPECT_EQ(fresh.Dilation(), ".wav");
    fresh.FoldMus("/j");
    EXPECT_EQ(fresh.Dilation(), ".wav");
    EXPECT_EQ(fresh.Folder(), "/j/");
    fresh.setDilation("ogg");
    EXPECT_EQ(fresh.Dilation(), ".ogg");
    fresh.setDilation(".mp3");
    EXPECT_EQ(fresh.Dilation(), ".mp3");
    fresh.Init(kTick);
    fresh.AddFile("tur");
    EXPECT_EQ(device.openedPhrases().back(), "/j/tur.mp3");
}

TEST_F(MusicListTest, WithoutAFolderAPhraseIsAFullPath) {
    MusicList bare(clock, settings, device);
    bare.Init(kTick);
    bare.setDilation(".mp3");
    bare.AddFile("/abs/file.ogg");
    EXPECT_EQ(device.openedPhrases().back(), "/abs/file.ogg");
}

struct StoredPlayCase {
    const char* stored;  // nullptr: no key at all
    std::int16_t notPlay;
    std::string written;
};

class InitTest : public ::testing::TestWithParam<StoredPlayCase> {};

TEST_P(InitTest, LoadsTheMuteSwitchAndWritesItBack) {
    TempFolder folder;
    VirtualClock clock;
    Settings settings(folder / "Korvel.ini");
    settings.SetIni("Menu", "level", "2");
    if (GetParam().stored != nullptr) {
        settings.SetIni("Music", "play", GetParam().stored);
    }
    FakeAudioDevice device(clock);
    MusicList mm(clock, settings, device);
    EXPECT_TRUE(mm.Init(kTick));
    EXPECT_EQ(mm.NotPlay(), GetParam().notPlay);
    EXPECT_EQ(settings.GetIni("Music", "play"), GetParam().written);
    EXPECT_EQ(settings.GetIni("Menu", "level"), "2");
    mm.FoldMus("/k");
    device.open();
    EXPECT_EQ(mm.AddFile("tur"), GetParam().notPlay == 0);
}

INSTANTIATE_TEST_SUITE_P(
    StoredValues, InitTest,
    ::testing::Values(StoredPlayCase{nullptr, 0, "0"}, StoredPlayCase{"0", 0, "0"},
                      StoredPlayCase{"1", 1, "1"}, StoredPlayCase{"-1", -1, "-1"},
                      StoredPlayCase{"2", 2, "2"}, StoredPlayCase{" 1 ", 1, "1"},
                      StoredPlayCase{"abc", 0, "0"}, StoredPlayCase{"", 0, "0"},
                      StoredPlayCase{"1x", 0, "0"}));

TEST(MusicListSettings, AReadOnlySettingsFileDoesNotStopTheAnnouncer) {
    VirtualClock clock;
    Settings settings("/proc/korvel-no-such-folder/Korvel.ini");
    FakeAudioDevice device(clock);
    device.open();
    MusicList mm(clock, settings, device);
    EXPECT_TRUE(mm.Init(kTick));
    mm.setNotPlay(1);
    EXPECT_EQ(mm.NotPlay(), 1);
    EXPECT_FALSE(mm.AddFile("/a.mp3"));
}

}  // namespace
}  // namespace korvel
