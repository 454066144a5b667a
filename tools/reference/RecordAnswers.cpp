// Records the literal reference opponent's answers on a fixed set of
// positions, for the opponent tests to hold the fast opponent to:
//   korvel_record_answers <file>
// The positions come from seeded random games (an equal share from each stage
// of 8 discs, every position after a forced pass among them, now and then the
// opening rule asked for on a later position), from positions where a move
// keeps the person's replies in the ring b2..g7 so that the deep plies decide,
// from a few ring-heavy boards that reach the deepest classes, and from boards
// with odd cell codes at levels outside 1..4. The same build always writes the
// same file. It refuses to write when the sample misses a stage or a path of
// the look-ahead that it is meant to reach.

#include <array>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "ReferenceOpponent.h"
#include "opponent/ComputerMove.h"
#include "rules/Bitboard.h"

namespace korvel::reference {
namespace {

// A seeded source that counts its draws.
class CountingRandom : public RandomSource {
  public:
    explicit CountingRandom(std::uint32_t seed) : m_random(seed) {}
    double next() override {
        ++m_draws;
        return m_random.next();
    }
    int draws() const { return m_draws; }

  private:
    SeededRandom m_random;
    int m_draws = 0;
};

// A position met in a game, seen from player 2 (the colours exchanged when
// player 1 was to move).
struct GamePosition {
    Board board;
    int discs = 0;
    bool afterPass = false;
};

Board Swapped(const Board& board) {
    Board b = board;
    for (CellCode& c : b.cells) {
        c = c == 0 ? 0 : static_cast<CellCode>(3 - c);
    }
    return b;
}

// Every position of one game of seeded random legal moves from the standard
// opening in which the player to move can move.
std::vector<GamePosition> RandomGame(std::uint32_t seed) {
    std::mt19937 engine(seed);
    Board board;
    SetStandardPosition(board);
    int player = 1 + static_cast<int>(engine() % 2);
    bool passed = false;
    std::vector<GamePosition> positions;
    for (;;) {
        std::vector<int> moves;
        for (int col = 1; col <= 8; ++col) {
            for (int row = 1; row <= 8; ++row) {
                if (CountFlips(board, col, row, player) > 0) {
                    moves.push_back(col * 10 + row);
                }
            }
        }
        if (moves.empty()) {
            if (passed || !HasLegalMove(board, 3 - player)) {
                break;
            }
            passed = true;
            player = 3 - player;
            continue;
        }
        positions.push_back(
            {player == 2 ? board : Swapped(board), CountDiscs(board).total(), passed});
        const int move = moves[engine() % moves.size()];
        FlipMask mask;
        CountFlips(board, move / 10, move % 10, player, mask);
        PlayMove(board, move / 10, move % 10, player, mask);
        passed = false;
        player = 3 - player;
    }
    return positions;
}

bool InRingOrCentre(int col, int row) {
    const bool ring = (col == 2 || col == 7 || row == 2 || row == 7) && col >= 2 && col <= 7 &&
                      row >= 2 && row <= 7;
    return ring || ((col == 4 || col == 5) && (row == 4 || row == 5));
}

// Random discs with the ring b2..g7 mostly empty and most other cells taken
// (the centre always), as a hand-written start position may give.
Board RingHeavyBoard(std::uint32_t seed) {
    std::mt19937 engine(seed);
    std::uniform_real_distribution<double> fraction(0.0, 1.0);
    Board board;
    for (int col = 1; col <= 8; ++col) {
        for (int row = 1; row <= 8; ++row) {
            const bool centre = (col == 4 || col == 5) && (row == 4 || row == 5);
            const double empty = centre ? 0.0 : InRingOrCentre(col, row) ? 0.7 : 0.05;
            if (fraction(engine) >= empty) {
                board.at(col, row) = fraction(engine) < 0.5 ? 1 : 2;
            }
        }
    }
    return board;
}

// True when some move of player 2 leaves the person replies only in the ring
// and the centre, so that the later plies rate it.
bool NeedsDeepLook(const Board& board) {
    for (int col = 1; col <= 8; ++col) {
        for (int row = 1; row <= 8; ++row) {
            FlipMask mask;
            if (CountFlips(board, col, row, 2, mask) == 0) {
                continue;
            }
            Board after = board;
            PlayMove(after, col, row, 2, mask);
            bool any = false;
            bool outside = false;
            for (int c = 1; c <= 8; ++c) {
                for (int r = 1; r <= 8; ++r) {
                    if (CountFlips(after, c, r, 1) > 0) {
                        any = true;
                        outside = outside || !InRingOrCentre(c, r);
                    }
                }
            }
            if (any && !outside) {
                return true;
            }
        }
    }
    return false;
}

// True when a corner or an inner corner is a legal move of player 2.
bool TakesAFixedRule(const Board& board) {
    for (int col : {1, 3, 6, 8}) {
        for (int row : {1, 3, 6, 8}) {
            if ((col == 1 || col == 8) == (row == 1 || row == 8) &&
                CountFlips(board, col, row, 2) > 0) {
                return true;
            }
        }
    }
    return false;
}

long CountFrom(const bits::Position& p, int ply, int depth, long limit) {
    const int player = ply % 2 == 1 ? 2 : 1;
    const bits::Bits own = p.of(player);
    const bits::Bits opp = p.of(3 - player);
    bits::Bits moves = bits::LegalMoves(own, opp, ~(own | opp));
    if (ply == depth) {
        return bits::Count(moves);
    }
    long lines = 0;
    while (moves && lines <= limit) {
        const bits::Bits move = moves & (~moves + 1);
        moves &= moves - 1;
        const long below = CountFrom(bits::Played(p, player, move, bits::Flips(own, opp, move)),
                                     ply + 1, depth, limit);
        lines += below == 0 ? 1 : below;
    }
    return lines;
}

// Lines of a `depth`-ply look-ahead of player 2, counted up to past `limit`.
long CountLines(const Board& board, int depth, long limit) {
    bits::Bits blocked = 0;
    return CountFrom(bits::FromBoard(board, blocked), 1, depth, limit);
}

struct Sample {
    Board board;
    int level;
    int moveNumber;
    int firstPlayer;
    std::uint32_t seed;
    int discs;
    bool afterPass;
};

struct LevelPlan {
    int level;
    int positions;   // how many positions
    int deep;        // of which positions where the later plies decide
    long lineLimit;  // positions with more lines are skipped (the reference lists them all)
};

std::vector<Sample> Samples(const LevelPlan& plan) {
    std::vector<Sample> samples;
    const int spread = plan.positions - plan.deep;
    const int quota = (spread + 7) / 8;
    std::array<int, 8> perStage{};
    auto affordable = [&](const Board& b) {
        return plan.lineLimit == 0 ||
               CountLines(b, plan.level * 2 - 2, plan.lineLimit) <= plan.lineLimit;
    };
    auto seedOf = [&] { return static_cast<std::uint32_t>(samples.size() * 7919 + 13); };
    std::uint32_t seed = static_cast<std::uint32_t>(1000 * plan.level);
    while (static_cast<int>(samples.size()) < spread) {
        const std::vector<GamePosition> game = RandomGame(seed++);
        for (std::size_t i = 0; i < game.size(); ++i) {
            const GamePosition& p = game[i];
            int& taken = perStage[static_cast<std::size_t>(p.discs / 8)];
            if (taken >= quota || (!p.afterPass && (i + seed) % 5 != 0) || !affordable(p.board)) {
                continue;
            }
            ++taken;
            const bool opening = samples.size() % 11 == 5;
            samples.push_back({p.board, plan.level, opening ? 1 : 1 + p.discs / 2,
                               opening ? 2 : 1 + static_cast<int>(seed % 2), seedOf(), p.discs,
                               p.afterPass});
            if (static_cast<int>(samples.size()) == spread) {
                break;
            }
        }
    }
    // Half from random play, half random ring-heavy boards.
    std::uint32_t boardSeed = seed;
    while (static_cast<int>(samples.size()) < plan.positions) {
        std::vector<GamePosition> candidates;
        if (samples.size() % 2 == 0) {
            candidates = RandomGame(seed++);
        } else {
            const Board b = RingHeavyBoard(boardSeed++);
            candidates.push_back({b, CountDiscs(b).total(), false});
        }
        for (const GamePosition& p : candidates) {
            if (NeedsDeepLook(p.board) && !TakesAFixedRule(p.board) && affordable(p.board)) {
                samples.push_back({p.board, plan.level, 20, 1, seedOf(), p.discs, false});
                break;
            }
        }
    }
    return samples;
}

// Ring-heavy boards on which the choice falls at the deepest ply (class 3 at
// level 4 and class 1 at level 3, or class 5 and class 1), found by a search
// over random ring-heavy boards; random play hardly ever leads to them.
const char* const kDeepBoards[] = {
    "2112012112110202111212212021111212221011102211021022112122221222",
    "2112111220111002122111222112112221021001211111012211020121222112",
    "1012121220120022101011112111120011112201122211012211101112112212",
    "1222111220120111222222012211112222011102111112021111101112022122",
    "2212202211211002122112021022222220221201102222011002220021221121",
    "2111222210210001111212211111222222121121122222221001102111121101",
    "1112122210101002122121012012211112212102222111021101111120112111",
};

// Boards of random games with cell codes 3 and -1 here and there, at every
// level from 0 to 5: the reference takes odd cells for nobody's and a level
// outside 1..4 to the fixed rules only.
std::vector<Sample> OddSamples() {
    std::vector<Sample> samples;
    for (std::uint32_t seed = 1; samples.size() < 20 * 6; ++seed) {
        const std::vector<GamePosition> game = RandomGame(seed);
        Board board = game[(seed * 7) % game.size()].board;
        std::mt19937 engine(seed);
        for (int k = 0; k < 3; ++k) {
            board.cells[engine() % 64] = k % 2 == 0 ? 3 : -1;
        }
        if (!HasLegalMove(board, 2) || CountLines(board, 6, 20000) > 20000) {
            continue;
        }
        for (int level = 0; level <= 5; ++level) {
            samples.push_back({board, level, 1, 2, seed, CountDiscs(board).total(), false});
        }
    }
    return samples;
}

std::string CellsText(const Board& board) {
    std::string text;
    for (CellCode c : board.cells) {
        text += static_cast<char>('0' + c);  // -1 is '/'
    }
    return text;
}

}  // namespace
}  // namespace korvel::reference

int main(int argc, char** argv) {
    using namespace korvel;
    using namespace korvel::reference;
    if (argc != 2) {
        std::cerr << "usage: korvel_record_answers <file>\n";
        return 2;
    }
    std::vector<Sample> all;
    std::map<int, std::array<int, 8>> stages;
    for (const LevelPlan& plan : {LevelPlan{1, 600, 0, 0}, LevelPlan{2, 700, 150, 0},
                                  LevelPlan{3, 600, 150, 0}, LevelPlan{4, 160, 60, 100000}}) {
        for (const Sample& s : Samples(plan)) {
            ++stages[s.level][static_cast<std::size_t>(s.discs / 8)];
            all.push_back(s);
        }
    }
    for (const char* cells : kDeepBoards) {
        Board board;
        for (std::size_t i = 0; i < 64; ++i) {
            board.cells[i] = static_cast<CellCode>(cells[i] - '0');
        }
        for (int level = 2; level <= 4; ++level) {
            for (std::uint32_t seed = 1; seed <= 4; ++seed) {
                all.push_back({board, level, 20, 1, seed, CountDiscs(board).total(), false});
            }
        }
    }
    const std::vector<Sample> odd = OddSamples();
    all.insert(all.end(), odd.begin(), odd.end());

    std::ofstream out(argv[1], std::ios::binary);
    out << "# level move-number first-player seed cells(a1..h1,a2..h8; '/' is -1) "
           "answer('-' none) no-reply draws class\n";
    std::map<int, std::map<int, int>> classes;  // level -> class -> count
    std::map<int, int> passes, noReply, drawn, left;
    for (const Sample& s : all) {
        ReferenceOpponent opponent;
        CountingRandom random(s.seed);
        const OpponentMove move =
            opponent.computerMove(s.board, s.level, s.moveNumber, s.firstPlayer, random);
        out << s.level << ' ' << s.moveNumber << ' ' << s.firstPlayer << ' ' << s.seed << ' '
            << CellsText(s.board) << ' ' << (move.text.empty() ? "-" : move.text) << ' '
            << (move.sayNoReply ? 1 : 0) << ' ' << random.draws() << ' ' << opponent.chosenClass()
            << '\n';
        ++classes[s.level][opponent.chosenClass()];
        passes[s.level] += s.afterPass ? 1 : 0;
        noReply[s.level] += move.sayNoReply ? 1 : 0;
        drawn[s.level] += random.draws() > 0 ? 1 : 0;
        left[s.level] += move.text.empty() ? 1 : 0;
    }
    // The sample must reach every stage of the game and the rarer paths:
    // classes 1..4 decided at the person's deepest ply, 5..8 two plies nearer,
    // 9..14 at level 4's first watched ply, and 0 (nothing reached).
    bool covered = true;
    auto need = [&](bool ok, int level, const char* what) {
        if (!ok) {
            std::cerr << "level " << level << ": no sample " << what << '\n';
            covered = false;
        }
    };
    auto chosen = [&](int level, int from, int to) {
        int n = 0;
        for (int c = from; c <= to; ++c) {
            n += classes[level][c];
        }
        return n > 0;
    };
    for (int level = 1; level <= 4; ++level) {
        for (int stage = 0; stage < 8; ++stage) {
            need(stages[level][static_cast<std::size_t>(stage)] > 0, level, "in a stage");
        }
        need(passes[level] > 0, level, "after a pass");
        need(drawn[level] > 0, level, "with a draw");
        need(left[level] > 0, level, "left to the greedy cell");
        need(level == 1 || noReply[level] > 0, level, "leaving no reply");
        need(level == 1 || chosen(level, 0, 0), level, "of class 0");
        need(level == 1 || chosen(level, 1, 4), level, "of classes 1..4");
        need(level < 3 || chosen(level, 5, 8), level, "of classes 5..8");
        need(level < 4 || chosen(level, 9, 14), level, "of classes 9..14");
    }
    out.close();
    if (!covered || !out) {
        std::remove(argv[1]);
        return 1;
    }
    std::printf("%zu answers written to %s\n", all.size(), argv[1]);
    return 0;
}
