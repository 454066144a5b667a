// The rules on pictured positions, the end of the game and the number of move
// sequences from the standard position: their cases are in data/rules.txt.
#include <gtest/gtest.h>

#include "Golden.h"
#include "core/Texts.h"
#include "rules/Rules.h"

namespace korvel {
namespace {

std::string CellName(int col, int row) {
    return std::string(1, static_cast<char>('a' + col - 1)) + std::to_string(row);
}

// Counts the move sequences of a given length; a player with no move passes,
// and a sequence ends when neither can move.
std::uint64_t Sequences(const Board& board, int player, int depth, bool passed = false) {
    std::uint64_t total = 0;
    bool any = false;
    for (int cell = 0; depth > 0 && cell < 64; ++cell) {
        FlipMask mask;
        if (CountFlips(board, cell / 8 + 1, cell % 8 + 1, player, mask) > 0) {
            any = true;
            Board next = board;
            PlayMove(next, cell / 8 + 1, cell % 8 + 1, player, mask);
            total += Sequences(next, 3 - player, depth - 1);
        }
    }
    return depth == 0 ? 1
           : any      ? total
           : passed   ? 1
                      : Sequences(board, 3 - player, depth - 1, true);
}

// Every legal move of each player; see data/rules.txt.
std::string Moves(const Board& board) {
    std::string out;
    for (int player = 1; player <= 2; ++player) {
        out += player == 1 ? "W:" : "\nB:";
        for (int cell = 0; cell < 64; ++cell) {
            const int col = cell / 8 + 1, row = cell % 8 + 1;
            FlipMask mask;
            mask.cells.fill(7);  // left alone on an occupied cell, else rebuilt
            const int n = CountFlips(board, col, row, player, mask);
            EXPECT_TRUE(board.at(col, row) == 0 || (n == 0 && mask.cells[0] == 7));
            Board played = board;
            const auto turned =
                n ? PlayMove(played, col, row, player, mask) : std::vector<DiscChange>{};
            for (std::size_t i = 0; i < turned.size(); ++i) {
                out += (i ? "," : " " + std::to_string(n) + "@") +
                       CellName(turned[i].col, turned[i].row);
            }
            const DiscCount after = CountDiscs(played);
            out += n ? "=" + std::to_string(after.white) + "/" + std::to_string(after.black) : "";
        }
        const int greedy = GreedyCell(board, player);
        out += "; greedy " + (greedy ? CellName(greedy / 10, greedy % 10) : "none");
    }
    return out;
}

TEST(Rules, CasesAsWritten) {
    testing::RunCaseFile("rules", [](const std::string& c, const testing::Args& a) -> std::string {
        Board board;
        SetStandardPosition(board);
        if (c == "over") {
            const DiscCount discs{std::stoi(a[0]), std::stoi(a[1])};
            return IsGameOver(discs, std::stoi(a[2])) ? "yes" : "no";
        } else if (c == "sequences") {
            return std::to_string(Sequences(board, 1, std::stoi(a[0])));
        }
        for (int cell = 0; cell < 64; ++cell) {  // "moves NAME" and the rows
            const char at = a.at(1 + static_cast<std::size_t>(cell / 8)).at(cell % 8);
            board.at(cell % 8 + 1, 8 - cell / 8) = at == 'W' ? 1 : at == 'B' ? 2 : 0;
        }
        return Moves(board);
    });
}

// The cells named in the text after `marker` up to `end`, as board indices.
std::vector<std::size_t> CellsAfter(const std::string& text, const std::string& marker, char end) {
    EXPECT_NE(text.find(marker), std::string::npos) << marker;
    std::vector<std::size_t> cells;
    for (std::size_t i = text.find(marker) + marker.size(); i + 1 < text.size() && text[i] != end;
         ++i) {
        if (text[i] >= 'a' && text[i] <= 'h' && text[i + 1] >= '1' && text[i + 1] <= '8') {
            cells.push_back(
                static_cast<std::size_t>(CellIndex(text[i] - 'a' + 1, text[i + 1] - '0')));
        }
    }
    return cells;
}

// The rules text a player learns the game from by ear tells the truth about
// this board: the start position, the worked example and the move it forbids,
// and the example that turns every disc it names.
TEST(Rules, TextTellsTheBoardAsItIs) {
    const std::string text = RulesText("d");
    ASSERT_TRUE(text.starts_with(VersionTitle() + "\r\n"));
    EXPECT_TRUE(ReadMeIsCurrent(text));
    const auto cells = [&text](const char* m, char end) { return CellsAfter(text, m, end); };
    const auto whiteFlips = [](const Board& board, std::size_t cell, FlipMask& mask) {
        return CountFlips(board, static_cast<int>(cell % 8 + 1), static_cast<int>(cell / 8 + 1), 1,
                          mask);
    };
    Board start, told, example;
    FlipMask mask;
    SetStandardPosition(start);
    for (const auto& [marker, end, board, code] : {std::tuple{"такова:\r\nбелые ", ',', &told, 1},
                                                   {", а черные ", '.', &told, 2},
                                                   {"такова:\r\nчерные ", ',', &example, 2},
                                                   {"позиция белых: ", '.', &example, 1}}) {
        for (const std::size_t cell : cells(marker, end)) {
            board->cells[cell] = static_cast<CellCode>(code);
        }
    }
    EXPECT_EQ(told, start);
    const std::size_t move = cells("фишку на поле ", '.').at(0);
    EXPECT_EQ(whiteFlips(start, move, mask), 1);
    EXPECT_EQ(mask.cells[cells("фишка противника на ", ' ').at(0)], 1);
    EXPECT_EQ(start.cells[cells("поставили и ", ',').at(0)], 1);  // "А именно <move>, ... и d4"
    EXPECT_EQ(whiteFlips(start, cells("белым ходить на ", '.').at(0), mask), 0);
    const std::size_t sweep = cells("белую фишку на поле ", ' ').at(0);
    EXPECT_EQ(whiteFlips(example, sweep, mask), CountDiscs(example).black);
}

}  // namespace
}  // namespace korvel
