// Many complete games of every type, against every level and between two
// players, either player first, played by a scripted player pressing random
// keys: legal moves, passes, reports, saves, pauses, quits and loads from the
// menu. Every move is legal and every game not quit is ended by the rules.
//
// The suite plays a short round; KORVEL_SOAK_GAMES=<n> plays n sessions (the
// long soak) and KORVEL_SOAK_SEED=<s> chooses the script; the same values
// always play the same games.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "GameSession.h"
#include "opponent/ComputerMove.h"

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

int EnvNumber(const char* name, int otherwise) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? std::atoi(value) : otherwise;
}

// What the sessions did, for the long soak's report.
struct Tally {
    int ended = 0, quit = 0, moves = 0, replies = 0, passes = 0, saves = 0, loads = 0;
};

// The keys a player presses between moves to hear about the game.
const std::vector<std::string> kIdleKeys = {"Up", "Left", "C", "V", "W",    "T", "X",
                                            "Z",  "B",    "G", "A", "ru:Ф", "F1"};

// One session: a game chosen by `number`, played until the board is left,
// perhaps a saved game loaded from the menu and played on, then the exit.
void PlaySession(int number, std::uint32_t seed, Tally& tally) {
    const int opponent = number % 5;  // 0 two players, else the computer's level
    const auto gameType = static_cast<std::int16_t>(number / 5 % 4 + 1);
    const bool secondFirst = (number + number / 20) % 2 == 1;
    SeededRandom dice(seed);
    auto roll = [&dice](int n) { return static_cast<int>(dice.next() * n); };
    GameSession s(seed);
    s.setIni("Game", "interval", "0");
    if (secondFirst) {  // the standard position, player 2 to move
        s.writeFile("start.txt", "d4 e5 \r\ne4 d5 \r\n2\r\n");
    }
    ASSERT_TRUE(s.startUp());
    bool keep = false;  // the save before a quit goes into a new slot
    s.onDialog = [&](const DialogNote& record) {
        if (record.answer != 0) {
            return;
        }
        const std::int64_t at = s.now() + 300;
        if (record.caption == "Сохранить игру") {  // a new slot, the first, or cancel
            ++tally.saves;
            s.pressAll(at, 300,
                       std::vector<std::vector<std::string>>{
                           {"End", "Enter"}, {"Enter"}, {"Escape"}}[keep ? 0 : roll(3)]);
        } else if (record.caption == "Загрузить игру") {
            ++tally.loads;
            s.pressAll(at, 300, {roll(2) ? "End" : "Home", "Enter"});
        } else if (record.caption == "Вопрос") {  // leave the game? mostly yes
            s.pressAll(at, 300, {roll(4) ? "Left" : "-", "Enter"});
        } else {
            tally.ended += record.kind == "help" ? 0 : 1;  // a game's result
            s.press(at, record.kind == "help" ? "Escape" : "Enter");
        }
    };
    Game& game = s.game();
    auto idle = [&] { return !s.boardShown() || game.idle(); };
    s.startGame({static_cast<std::int16_t>(opponent == 0 ? 1 : 2), gameType,
                 static_cast<std::int16_t>(gameType % 2 == 0 ? 1 + roll(10) : 0),
                 static_cast<std::int16_t>(opponent == 0 ? 1 : opponent)});
    const int quitTurn = roll(4) == 0 ? 2 + roll(60) : -1;  // a quarter save, quit and load
    for (int turn = 0; s.boardShown() && turn < 1500; ++turn) {
        ASSERT_TRUE(s.clock.waitUntil(idle, 700000)) << "session " << number << " hangs";
        if (!s.boardShown()) {
            break;
        }
        const int player = game.player();
        ASSERT_TRUE(opponent == 0 || player == 1) << "session " << number;
        keep = turn + 1 == quitTurn;
        const int action = turn == quitTurn ? -1 : keep ? 0 : roll(100);
        if (action < 0) {
            s.sendKey("Q");
            ASSERT_TRUE(s.clock.waitUntil(idle, 60000)) << "session " << number << " hangs";
            if (!s.boardShown()) {
                ++tally.quit;
                // The menu's load item, chosen as the player's five keys there
                // would: a game saved in this session goes on.
                s.clock.singleShot(1000 + 4 * 700, [&s] { s.loadGame(); });
                s.clock.advance(5000);
                ASSERT_TRUE(s.clock.waitUntil(idle, 60000));
            }
        } else if (action < 2) {
            s.sendKey("F2");
        } else if (action < 4) {
            s.sendKey("F11");
            s.clock.advance(2000);
            s.sendKey("F11");
        } else if (action < 9) {
            s.sendKey(
                kIdleKeys[static_cast<std::size_t>(roll(static_cast<int>(kIdleKeys.size())))]);
        } else if (action < 10 && game.setup().secondsPerMove > 0) {
            s.clock.advance(game.setup().secondsPerMove * 1000 + 1500);
        } else {
            const Board before = game.board();
            const int stageBefore = game.stage();
            std::vector<int> legal;
            for (int cell = 0; cell < 64; ++cell) {
                if (CountFlips(before, cell % 8 + 1, cell / 8 + 1, player) > 0) {
                    legal.push_back(cell);
                }
            }
            Board played = before;
            if (legal.empty()) {
                ++tally.passes;
                s.sendKey("A");
            } else {
                const int cell =
                    legal[static_cast<std::size_t>(roll(static_cast<int>(legal.size())))];
                FlipMask mask;
                CountFlips(before, cell % 8 + 1, cell / 8 + 1, player, mask);
                PlayMove(played, cell % 8 + 1, cell / 8 + 1, player, mask);
                game.setCursor(cell % 8 + 1, cell / 8 + 1);
                ++tally.moves;
                s.sendKey("Space");
            }
            ASSERT_TRUE(s.clock.waitUntil(idle, 700000)) << "session " << number << " hangs";
            const Board& after = game.board();
            if (s.boardShown() && game.stage() == stageBefore &&
                !IsGameOver(CountDiscs(after), 0)) {
                ASSERT_TRUE(after == played || OneLegalMoveOrPass(played, after, 3 - player))
                    << "session " << number << " turn " << turn;
                tally.replies += opponent != 0 && after != played ? 1 : 0;
            }
        }
    }
    ASSERT_FALSE(s.boardShown()) << "session " << number << " did not end";
}

void Report(int sessions, std::uint32_t seed, double seconds, int failed, const Tally& t) {
    std::printf(
        "soak: %d sessions (seed %u) in %.0f s, %d failed; games ended by the rules %d, "
        "left with Q %d; moves %d, computer replies %d, passes %d; saves %d, loads %d\n",
        sessions, seed, seconds, failed, t.ended, t.quit, t.moves, t.replies, t.passes, t.saves,
        t.loads);
    std::fflush(stdout);
}

// KORVEL_SOAK_MINUTES=<m> stops starting sessions after m minutes of wall
// time, for a long soak on a busy machine; the sessions played are the same
// first ones of the seed's sequence.
TEST(Soak, GamesOfEveryKindWithRandomKeys) {
    const int sessions = EnvNumber("KORVEL_SOAK_GAMES", 30);
    const auto seed = static_cast<std::uint32_t>(EnvNumber("KORVEL_SOAK_SEED", 20261207));
    const auto budget = std::chrono::minutes(EnvNumber("KORVEL_SOAK_MINUTES", 0));
    const auto* result = ::testing::UnitTest::GetInstance()->current_test_info()->result();
    Tally tally;
    int played = 0;
    int failed = 0;
    const auto t0 = std::chrono::steady_clock::now();
    for (; played < sessions && failed <= 20; ++played) {
        if (budget.count() > 0 && std::chrono::steady_clock::now() - t0 > budget) {
            break;
        }
        const int before = result->total_part_count();
        PlaySession(played, seed + static_cast<std::uint32_t>(played), tally);
        failed += result->total_part_count() > before ? 1 : 0;
    }
    Report(played, seed,
           std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count(), failed,
           tally);
}

}  // namespace
}  // namespace korvel::testing
