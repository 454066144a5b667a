// Many complete games, the computer at every level against random moves of a
// scripted player: every move legal, every game ended by the rules.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdio>

#include "ComputerMove.h"
#include "Session.h"

namespace korvel::testing {
namespace {

// True when `after` is `before` with one legal move of `player` played, or
// unchanged when the player had none.
bool OneLegalMoveOrPass(const Board& before, const Board& after, int player) {
    if (before == after) {
        return !HasLegalMove(before, player);
    }
    for (int col = 1; col <= 8; ++col) {
        for (int row = 1; row <= 8; ++row) {
            FlipMask mask;
            if (CountFlips(before, col, row, player, mask) > 0) {
                Board played = before;
                PlayMove(played, col, row, player, mask);
                if (played == after) {
                    return true;
                }
            }
        }
    }
    return false;
}

TEST(Soak, TwoHundredGamesAgainstTheComputer) {
    constexpr int kGames = 200;
    SeededRandom moves(20261207);
    std::array<long long, 5> longestTurnUs{};  // by level
    int personMoves = 0;
    int computerMoves = 0;
    for (int game = 0; game < kGames; ++game) {
        Session s(static_cast<std::uint32_t>(game + 1));
        s.setIni("Game", "interval", "0");
        s.app->StartUp();
        s.answerDialogsWith("Enter", 100);
        const std::int16_t level = static_cast<std::int16_t>(1 + game % 4);
        s.startGame({2, 1, 0, level});
        ReverControl& rever = s.rever();
        int guard = 0;
        while (s.boardShown() && ++guard < 200) {
            ASSERT_TRUE(
                s.clock.waitUntil([&] { return rever.timeCelRunning() && !rever.Busy(); }, 60000) ||
                !s.boardShown());
            if (!s.boardShown()) {
                break;
            }
            ASSERT_EQ(rever.CurPlayer(), 1);
            Board before = rever.board();
            std::vector<int> legal;
            for (int cell = 0; cell < 64; ++cell) {
                if (CountFlips(before, cell % 8 + 1, cell / 8 + 1, 1) > 0) {
                    legal.push_back(cell);
                }
            }
            if (legal.empty()) {
                s.sendKey("A");
            } else {
                const int cell = legal[static_cast<std::size_t>(moves.next() * legal.size())];
                rever.setCursor(cell % 8 + 1, cell / 8 + 1);
                FlipMask mask;
                CountFlips(before, cell % 8 + 1, cell / 8 + 1, 1, mask);
                PlayMove(before, cell % 8 + 1, cell / 8 + 1, 1, mask);
                ++personMoves;
                const auto t0 = std::chrono::steady_clock::now();
                s.sendKey("Space");
                longestTurnUs[level] = std::max<long long>(
                    longestTurnUs[level], std::chrono::duration_cast<std::chrono::microseconds>(
                                              std::chrono::steady_clock::now() - t0)
                                              .count());
            }
            if (!s.boardShown()) {
                break;
            }
            const Board after = rever.board();
            ASSERT_TRUE(OneLegalMoveOrPass(before, after, 2)) << "game " << game;
            computerMoves += before == after ? 0 : 1;
        }
        ASSERT_FALSE(s.boardShown()) << "game " << game << " did not end";
        const DiscCount count = CountDiscs(rever.board());
        EXPECT_TRUE(count.white == 0 || count.black == 0 || count.total() == 64 ||
                    (!HasLegalMove(rever.board(), 1) && !HasLegalMove(rever.board(), 2)))
            << "game " << game;
        EXPECT_EQ(s.dialogsShown, 1);
    }
    // The window thread's longest stretch without a wait, per level: a move
    // and the computer's reply with every pause taken in virtual time.
    std::printf(
        "soak: %d games, %d person moves, %d computer moves; longest move and reply "
        "(us) at levels 1-4: %lld %lld %lld %lld\n",
        kGames, personMoves, computerMoves, longestTurnUs[1], longestTurnUs[2], longestTurnUs[3],
        longestTurnUs[4]);
}

}  // namespace
}  // namespace korvel::testing
