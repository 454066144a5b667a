#include <gtest/gtest.h>

#include "CommonRoutines.h"
#include "SavedGameRecord.h"
#include "TempFolder.h"

namespace korvel {
namespace {

using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

SavedGame MidMatch() {
    SavedGame g;
    g.game = 2;
    g.tip = 4;
    g.tur = 3;
    g.times = 60;
    g.timeLeft = 45;
    g.hod = 17;
    g.curPlayer = 2;
    g.cursorCol = 5;
    g.cursorRow = 7;
    g.points = {3, 1};
    g.discTotals = {0x1F4, 0x0AB};
    g.level = 4;
    SetStandardPosition(g.board);
    g.board.at(1, 1) = 2;
    g.board.at(8, 8) = 1;
    return g;
}

TEST(SavedGameRecordTest, FieldsAtTheirPositions) {
    // Game, type, stage; seconds a move and left (hex); move; player and cursor;
    // points; disc totals (hex); level; the board from a1 along row 1, then row 2...
    std::string expected =
        "243 00003C 02D 17 257 0301 1F40AB 4 20000000 00000000 00000000 "
        "00012000 00021000 00000000 00000000 00000001";
    std::erase(expected, ' ');
    EXPECT_EQ(BuildRecord(MidMatch()), expected);
    SavedGame untimed;
    untimed.hod = 130;  // stored as 99
    EXPECT_EQ(BuildRecord(untimed).substr(0, 14), "11100000000099");
    EXPECT_EQ(ParseRecord(BuildRecord(untimed))->hod, 99);
}

TEST(SavedGameRecordTest, RoundTripThroughAFile) {
    TempFolder dir;
    const auto file = GamesFolder(dir.path()) / SlotFileName(3);
    std::filesystem::create_directories(file.parent_path());
    EXPECT_EQ(file.filename(), "lok3.rsg");
    const SavedGame g = MidMatch();
    ASSERT_TRUE(WriteSlotFile(file, BuildRecord(g)));
    const std::string bytes = ReadBytes(file);
    ASSERT_EQ(bytes.size(), 94u);
    EXPECT_EQ(bytes.substr(0, 3), "\xA2\xA4\xA3");
    EXPECT_EQ(bytes.substr(92), "\r\n");
    for (std::size_t i = 0; i < 92; ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        EXPECT_TRUE((c >= 0xA0 && c <= 0xA9) || (c >= 0xB1 && c <= 0xB6)) << i;
    }
    const auto back = ParseRecord(ReadSlotFile(file));
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, g);
}

struct DamageCase {
    const char* name;
    std::size_t position;  // 0-based
    std::string replacement;
};

class DamagedRecords : public ::testing::TestWithParam<DamageCase> {};

TEST_P(DamagedRecords, AreRejected) {
    std::string record = BuildRecord(MidMatch());
    ASSERT_TRUE(ParseRecord(record).has_value());
    if (GetParam().replacement.empty()) {  // a record cut short or grown
        record.resize(GetParam().position);
    } else {
        record.replace(GetParam().position, GetParam().replacement.size(), GetParam().replacement);
    }
    EXPECT_FALSE(ParseRecord(record).has_value()) << record;
}

INSTANTIATE_TEST_SUITE_P(
    Fields, DamagedRecords,
    ::testing::Values(DamageCase{"GameZero", 0, "0"}, DamageCase{"GameThree", 0, "3"},
                      DamageCase{"TipFive", 1, "5"}, DamageCase{"TurZero", 2, "0"},
                      DamageCase{"TimesTooLong", 3, "000FFF"},
                      DamageCase{"TimesLowerCaseHex", 3, "00003c"},
                      DamageCase{"TimeLeftTooLong", 9, "FFF"}, DamageCase{"PlayerSeven", 14, "7"},
                      DamageCase{"CursorColumnZero", 15, "0"}, DamageCase{"CursorRowNine", 16, "9"},
                      DamageCase{"PointsTooMany", 17, "19"}, DamageCase{"TotalsTooMany", 21, "FFF"},
                      DamageCase{"LevelFive", 27, "5"}, DamageCase{"CellCodeFive", 28 + 10, "5"},
                      DamageCase{"NotADigit", 12, "x"}, DamageCase{"SpaceInBoard", 91, " "},
                      DamageCase{"Short", 91, ""}, DamageCase{"Long", 93, ""},
                      DamageCase{"Empty", 0, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SavedGameRecordTest, DamagedFileDecodesToSomethingRejected) {
    TempFolder dir;
    WriteBytes(dir / "lok1.rsg", "garbage\r\nmore");
    EXPECT_FALSE(ParseRecord(ReadSlotFile(dir / "lok1.rsg")).has_value());
    EXPECT_EQ(ReadSlotFile(dir / "missing.rsg"), "");
}

}  // namespace
}  // namespace korvel
