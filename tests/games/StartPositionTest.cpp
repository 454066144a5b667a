#include <gtest/gtest.h>

#include "StartPosition.h"
#include "TempFolder.h"

namespace korvel {
namespace {

struct StartCase {
    const char* name;
    std::string content;
    std::vector<std::pair<const char*, int>> cells;  // every non-empty cell
    int firstPlayer;
};

class StartFiles : public ::testing::TestWithParam<StartCase> {};

TEST_P(StartFiles, FillTheBoard) {
    testing::TempFolder dir;
    testing::WriteBytes(dir / "start.txt", GetParam().content);
    Board board;
    EXPECT_EQ(ReadStartPosition(dir / "start.txt", board), GetParam().firstPlayer);
    Board expected;
    for (const auto& [name, code] : GetParam().cells) {
        expected.at(name[0] - 'a' + 1, name[1] - '0') = static_cast<CellCode>(code);
    }
    EXPECT_EQ(board, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StartFiles,
    ::testing::Values(StartCase{"StandardBlackFirst",
                                "d4 e5\r\ne4 d5\r\n2\r\n",
                                {{"d4", 1}, {"e5", 1}, {"e4", 2}, {"d5", 2}},
                                2},
                      StartCase{"StandardWhiteFirst",
                                "d4 e5\r\ne4 d5\r\n1",
                                {{"d4", 1}, {"e5", 1}, {"e4", 2}, {"d5", 2}},
                                1},
                      StartCase{"UpperCaseSkipped", "D4 e5\r\ne4\r\n1", {{"e5", 1}, {"e4", 2}}, 1},
                      StartCase{"FirstAndLastCharacter", "d45\r\n\r\n2", {{"d5", 1}}, 2},
                      StartCase{"DoubleSpacesAndOffBoard",
                                "a1  h8 i1 a9 a0\r\nb2\r\n1",
                                {{"a1", 1}, {"h8", 1}, {"b2", 2}},
                                1},
                      StartCase{"BothLinesBlackWins", "c3\r\nc3\r\n2", {{"c3", 2}}, 2},
                      StartCase{"TwoLinesMovesWhiteFirst", "a1\r\nb1", {{"a1", 1}, {"b1", 2}}, 1},
                      StartCase{"ThirdLineNotAPlayer", "a1\r\nb1\r\n7", {{"a1", 1}, {"b1", 2}}, 1},
                      StartCase{"ThirdLineText", "a1\r\nb1\r\nчёрные", {{"a1", 1}, {"b1", 2}}, 1},
                      StartCase{"UnixLineEnds", "a1\nb1\n2\n", {{"a1", 1}, {"b1", 2}}, 2},
                      StartCase{"EmptyFile", "", {}, 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(StartPosition, MissingFileLeavesTheBoardEmpty) {
    testing::TempFolder dir;
    Board board;
    EXPECT_EQ(ReadStartPosition(dir / "start.txt", board), 1);
    EXPECT_EQ(board, Board{});
}

}  // namespace
}  // namespace korvel
