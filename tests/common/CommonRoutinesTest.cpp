#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>

#include "CommonRoutines.h"
#include "TempFolder.h"
#include "VirtualClock.h"

namespace korvel {
namespace {

using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

class PluralFormTable : public ::testing::TestWithParam<std::pair<int, int>> {};

TEST_P(PluralFormTable, PicksTheRussianForm) {
    EXPECT_EQ(PluralForm(GetParam().first), GetParam().second) << GetParam().first;
}

INSTANTIATE_TEST_SUITE_P(Numbers, PluralFormTable,
                         ::testing::Values(std::pair{1, 0}, std::pair{21, 0}, std::pair{101, 0},
                                           std::pair{2, 1}, std::pair{4, 1}, std::pair{34, 1},
                                           std::pair{0, 2}, std::pair{5, 2}, std::pair{11, 2},
                                           std::pair{14, 2}, std::pair{111, 2}, std::pair{112, 2},
                                           std::pair{20, 2}, std::pair{1001, 0}));

class SwapCodesTable : public ::testing::TestWithParam<std::pair<std::string, std::string>> {};

TEST_P(SwapCodesTable, SwapsBothRangesAndIsItsOwnInverse) {
    const auto& [plain, coded] = GetParam();
    EXPECT_EQ(SwapCodes(plain), coded);
    EXPECT_EQ(SwapCodes(coded), plain);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SwapCodesTable,
    ::testing::Values(std::pair{std::string(" "), std::string("\x90")},
                      std::pair{std::string("211"), std::string("\xA2\xA1\xA1")},
                      std::pair{std::string("0123456789"),
                                std::string("\xA0\xA1\xA2\xA3\xA4\xA5\xA6\xA7\xA8\xA9")},
                      std::pair{std::string("ABCDEF"), std::string("\xB1\xB2\xB3\xB4\xB5\xB6")},
                      std::pair{std::string("\r\n\t"), std::string("\r\n\t")},
                      std::pair{std::string("a\r\nb"), std::string("\xD1\r\n\xD2")},
                      std::pair{std::string("\x8F"), std::string("\xFF")},
                      std::pair{std::string("\x1F\x20"), std::string("\x1F\x90")}));

TEST(SwapCodes, EveryByteRoundTrips) {
    std::string all;
    for (int c = 0; c < 256; ++c) {
        all.push_back(static_cast<char>(c));
    }
    EXPECT_EQ(SwapCodes(SwapCodes(all)), all);
}

TEST(TextFiles, ReadAndWrite) {
    TempFolder dir;
    ASSERT_TRUE(WriteTextFile(dir / "a.txt", "one\r\ntwo"));
    EXPECT_EQ(ReadBytes(dir / "a.txt"), "one\r\ntwo\r\n");
    EXPECT_EQ(ReadTextFile(dir / "a.txt"), "one\r\ntwo");
    WriteBytes(dir / "unix.txt", "one\ntwo\rthree\n");
    EXPECT_EQ(ReadTextFile(dir / "unix.txt"), "one\r\ntwo\r\nthree");
    WriteBytes(dir / "empty.txt", "");
    EXPECT_EQ(ReadTextFile(dir / "empty.txt"), "");
    EXPECT_EQ(ReadTextFile(dir / "none.txt"), "");
    EXPECT_EQ(ReadTextFile(dir.path()), "") << "a folder is not a text file";
}

TEST(TextFiles, FailedWriteLeavesTheOldFileWhole) {
    TempFolder dir;
    ASSERT_TRUE(WriteTextFile(dir / "keep.txt", "old"));
    EXPECT_FALSE(WriteTextFile(dir / "missing" / "x.txt", "new"));
    std::filesystem::create_directory(dir / "sub");
    EXPECT_FALSE(WriteTextFile(dir / "sub", "replacing a folder"));
    // A disk that fills up half-way through the write, as a file size limit makes it.
    rlimit limit{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &limit), 0);
    const rlimit small{4096, limit.rlim_max};
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = WriteTextFile(dir / "keep.txt", std::string(100000, 'x'));
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(written);
    EXPECT_EQ(ReadTextFile(dir / "keep.txt"), "old");
    // No temporary files are left behind.
    EXPECT_EQ(ListFiles(dir.path(), "*").size(), 1u);
}

TEST(TextFiles, ReadTextLinesLeavesMissingLinesEmpty) {
    TempFolder dir;
    WriteBytes(dir / "two.txt", "first\r\nsecond");
    std::vector<std::string> lines(3, "junk");
    ReadTextLines(dir / "two.txt", lines);
    EXPECT_EQ(lines, (std::vector<std::string>{"first", "second", ""}));
    ReadTextLines(dir / "missing.txt", lines);
    EXPECT_EQ(lines, (std::vector<std::string>{"", "", ""}));
}

TEST(ListFilesTest, MatchesThePatternInNumericOrder) {
    TempFolder dir;
    for (const char* name : {"lok10.rsg", "lok2.rsg", "lok1.rsg", "lok.rsg", "other.rsg",
                             "lok3.txt", "LOK4.RSG", "lok02.rsg"}) {
        WriteBytes(dir / name, "x");
    }
    std::filesystem::create_directory(dir / "lok5.rsg");
    EXPECT_EQ(ListFiles(dir.path(), "lok*.rsg"),
              (std::vector<std::string>{"lok.rsg", "lok1.rsg", "lok02.rsg", "lok2.rsg", "LOK4.RSG",
                                        "lok10.rsg"}));
    EXPECT_TRUE(ListFiles(dir / "nowhere", "*").empty());
}

struct PatternCase {
    const char* name;
    const char* pattern;
    bool matches;
};

class Wildcards : public ::testing::TestWithParam<PatternCase> {};

TEST_P(Wildcards, Match) {
    EXPECT_EQ(MatchesPattern(GetParam().name, GetParam().pattern), GetParam().matches)
        << GetParam().name << " ~ " << GetParam().pattern;
}

INSTANTIATE_TEST_SUITE_P(Cases, Wildcards,
                         ::testing::Values(PatternCase{"lok1.rsg", "lok*.rsg", true},
                                           PatternCase{"lok.rsg", "lok*.rsg", true},
                                           PatternCase{"lok1.rsgx", "lok*.rsg", false},
                                           PatternCase{"xlok1.rsg", "lok*.rsg", false},
                                           PatternCase{"lok1.rsg", "lok?.rsg", true},
                                           PatternCase{"lok12.rsg", "lok?.rsg", false},
                                           PatternCase{"a.b.c", "*.c", true},
                                           PatternCase{"", "*", true}));

TEST(StopwatchTest, HoursMinutesSecondsRoundedHalfToEvenWithoutWrapping) {
    testing::VirtualClock clock;
    Stopwatch watch(clock);
    clock.advance(5000);
    EXPECT_EQ(watch.read(0), 0);
    clock.advance(3725500);  // 1 h 2 min 5.5 s
    EXPECT_EQ(watch.read(1) * 10000 + watch.read(2) * 100 + watch.read(3), 10206);
    EXPECT_EQ(watch.read(4) + watch.read(-1), 0);
    clock.advance(1000);  // 6.5 s
    EXPECT_EQ(watch.read(3), 6);
    clock.advance(60LL * 24 * 3600 * 1000);  // sixty days: past a 32-bit millisecond count
    EXPECT_EQ(watch.read(1), 60 * 24 + 1);
}

}  // namespace
}  // namespace korvel
