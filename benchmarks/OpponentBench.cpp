// Decision time and memory of the computer opponent.
//
// A fixed suite of 64 middle-game positions (20 seeded random moves from the
// standard opening, the computer opening the game, so that player 2 is to move
// with at least two legal moves, and the look-ahead decides; stored in data/middle_games.txt, made
// by `opponent_bench --generate`). Each position is one benchmark per level (2, 3, 4) and per
// opponent (the fast one and the literal reference). After the runs the medians over the positions
// are printed; the last line is
//   level4 median_us=<fast median> ratio=<reference median / fast median>
//
// Beside them, "greedy" times the greedy cell of both players on all 64
// positions (128 calls an iteration): the board's own choice each turn.
//
// Memory is the peak of heap bytes in use during one decision above the bytes
// in use before it, counted by the replaced global operator new and delete of
// this program. The call stack of the fast opponent is bounded by its depth of
// six plies and is not counted.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "ReferenceOpponent.h"
#include "opponent/ComputerMove.h"
#include "rules/Rules.h"

namespace {

std::atomic<long long> g_inUse{0};
std::atomic<long long> g_peak{0};

void* CountedAlloc(std::size_t size) {
    // A 16-byte header keeps the size and the alignment of plain new.
    void* block = std::malloc(size + 16);
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    *static_cast<std::size_t*>(block) = size;
    const long long now =
        g_inUse.fetch_add(static_cast<long long>(size)) + static_cast<long long>(size);
    long long peak = g_peak.load();
    while (now > peak && !g_peak.compare_exchange_weak(peak, now)) {
    }
    return static_cast<char*>(block) + 16;
}

void CountedFree(void* p) {
    if (p == nullptr) {
        return;
    }
    void* block = static_cast<char*>(p) - 16;
    g_inUse.fetch_sub(static_cast<long long>(*static_cast<std::size_t*>(block)));
    std::free(block);
}

}  // namespace

void* operator new(std::size_t size) {
    return CountedAlloc(size);
}
void* operator new[](std::size_t size) {
    return CountedAlloc(size);
}
void operator delete(void* p) noexcept {
    CountedFree(p);
}
void operator delete[](void* p) noexcept {
    CountedFree(p);
}
void operator delete(void* p, std::size_t) noexcept {
    CountedFree(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    CountedFree(p);
}

namespace {

using korvel::Board;

constexpr int kPositions = 64;
constexpr int kMovesPlayed = 20;

// Positions as 64 characters '0', '1', '2' in board order (a1, b1, .., h1, a2, ..).
std::vector<Board> LoadPositions(const std::string& path) {
    std::vector<Board> boards;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        if (line.size() < 64) {
            continue;
        }
        Board b;
        for (std::size_t i = 0; i < 64; ++i) {
            b.cells[i] = static_cast<korvel::CellCode>(line[i] - '0');
        }
        boards.push_back(b);
    }
    return boards;
}

int LegalMoveCount(const Board& b, int player) {
    int n = 0;
    for (int col = 1; col <= 8; ++col) {
        for (int row = 1; row <= 8; ++row) {
            n += korvel::CountFlips(b, col, row, player) > 0 ? 1 : 0;
        }
    }
    return n;
}

// True when a corner or an inner corner is legal for player 2: the decision
// is then made by a fixed rule, without the look-ahead that is measured here.
bool TakesAFixedRule(const Board& b) {
    for (int col : {1, 3, 6, 8}) {
        for (int row : {1, 3, 6, 8}) {
            if ((col == 1 || col == 8) == (row == 1 || row == 8) &&
                korvel::CountFlips(b, col, row, 2) > 0) {
                return true;
            }
        }
    }
    return false;
}

// 20 random moves from the standard opening, player 2 first, one seed per
// game; kept when player 2 is then to move with at least two legal moves and
// the look-ahead decides (no corner or inner corner is legal).
void Generate() {
    std::cout << "# " << kPositions << " middle games: " << kMovesPlayed
              << " seeded random moves from the standard opening, player 2 first\n"
              << "# (std::mt19937 seeded 1, 2, ..; a game is kept when player 2 is to move\n"
              << "# with at least two legal moves, none of them on a corner or an inner\n"
              << "# corner, so that the look-ahead decides). Cells a1, b1, .., h1, a2, .., h8:\n"
              << "# 0 empty, 1 white, 2 black. Made by `opponent_bench --generate`.\n";
    int made = 0;
    for (std::uint32_t seed = 1; made < kPositions; ++seed) {
        std::mt19937 engine(seed);
        Board b;
        korvel::SetStandardPosition(b);
        int player = 2;
        int played = 0;
        while (played < kMovesPlayed) {
            std::vector<int> moves;
            for (int col = 1; col <= 8; ++col) {
                for (int row = 1; row <= 8; ++row) {
                    if (korvel::CountFlips(b, col, row, player) > 0) {
                        moves.push_back(col * 10 + row);
                    }
                }
            }
            if (moves.empty()) {
                if (LegalMoveCount(b, 3 - player) == 0) {
                    break;
                }
                player = 3 - player;
                continue;
            }
            const int m = moves[engine() % moves.size()];
            korvel::FlipMask mask;
            korvel::CountFlips(b, m / 10, m % 10, player, mask);
            korvel::PlayMove(b, m / 10, m % 10, player, mask);
            player = 3 - player;
            ++played;
        }
        if (played < kMovesPlayed || player != 2 || LegalMoveCount(b, 2) < 2 ||
            TakesAFixedRule(b)) {
            continue;
        }
        for (korvel::CellCode c : b.cells) {
            std::cout << static_cast<char>('0' + c);
        }
        std::cout << '\n';
        ++made;
    }
}

korvel::OpponentMove Fast(const Board& b, int level) {
    korvel::SeededRandom random(12345);
    return korvel::ComputerMove(b, level, 11, 1, random);
}

korvel::OpponentMove Slow(const Board& b, int level) {
    korvel::SeededRandom random(12345);
    korvel::reference::ReferenceOpponent reference;
    return reference.computerMove(b, level, 11, 1, random);
}

// Time per decision (microseconds) and peak heap bytes of a decision, by
// benchmark name, besides the usual console report.
class Collector : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && !run.error_occurred) {
                m_micros[run.run_name.function_name] = run.GetAdjustedRealTime();
                const auto bytes = run.counters.find("peak_bytes");
                if (bytes != run.counters.end()) {
                    m_bytes[run.run_name.function_name] = bytes->second.value;
                }
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> m_micros;
    std::map<std::string, double> m_bytes;
};

double Median(std::vector<double> v) {
    if (v.empty()) {
        return 0;
    }
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 == 1 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double Largest(const std::vector<double>& v) {
    return v.empty() ? 0 : *std::max_element(v.begin(), v.end());
}

// The answers of every benchmark's last decision, to check that both opponents agree.
std::map<std::string, korvel::OpponentMove> g_answers;

template <korvel::OpponentMove (*Decide)(const Board&, int)>
void Decision(benchmark::State& state, const std::string& name, const Board& b, int level) {
    const long long before = g_inUse.load();
    g_peak.store(before);
    korvel::OpponentMove answer;
    for (auto _ : state) {
        answer = Decide(b, level);
        benchmark::DoNotOptimize(answer);
    }
    state.counters["peak_bytes"] = static_cast<double>(g_peak.load() - before);
    g_answers[name] = answer;
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--generate") {
            Generate();
            return 0;
        }
    }
    const std::vector<Board> boards = LoadPositions(KORVEL_BENCH_POSITIONS);
    if (boards.size() != kPositions) {
        std::cerr << "expected " << kPositions << " positions in " << KORVEL_BENCH_POSITIONS
                  << ", found " << boards.size() << "\n";
        return 1;
    }

    for (int level = 2; level <= 4; ++level) {
        for (std::size_t i = 0; i < boards.size(); ++i) {
            const Board& b = boards[i];
            const std::string suffix = "level" + std::to_string(level) + "/" + std::to_string(i);
            const std::string fastName = "fast/" + suffix;
            const std::string slowName = "reference/" + suffix;
            benchmark::RegisterBenchmark(
                fastName.c_str(),
                [=](benchmark::State& state) { Decision<Fast>(state, fastName, b, level); })
                ->Unit(benchmark::kMicrosecond)
                ->MinTime(0.02);
            auto* slow = benchmark::RegisterBenchmark(
                slowName.c_str(),
                [=](benchmark::State& state) { Decision<Slow>(state, slowName, b, level); });
            slow->Unit(benchmark::kMicrosecond);
            if (level == 4) {
                slow->Iterations(1);
            } else {
                slow->MinTime(0.02);
            }
        }
    }

    benchmark::RegisterBenchmark("greedy", [&boards](benchmark::State& state) {
        for (auto _ : state) {
            for (const Board& b : boards) {
                benchmark::DoNotOptimize(korvel::GreedyCell(b, 1));
                benchmark::DoNotOptimize(korvel::GreedyCell(b, 2));
            }
        }
    })->Unit(benchmark::kMicrosecond);

    benchmark::Initialize(&argc, argv);
    Collector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);
    benchmark::Shutdown();

    std::printf(
        "\nmedians over the positions run: microseconds per decision, peak heap bytes "
        "of a decision (median/largest)\n");
    double fast4 = 0;
    double ratio4 = 0;
    int mismatches = 0;
    for (int level = 2; level <= 4; ++level) {
        std::vector<double> fast;
        std::vector<double> slow;
        std::vector<double> fastBytes;
        std::vector<double> slowBytes;
        for (std::size_t i = 0; i < boards.size(); ++i) {
            const std::string suffix = "level" + std::to_string(level) + "/" + std::to_string(i);
            const auto f = collector.m_micros.find("fast/" + suffix);
            const auto s = collector.m_micros.find("reference/" + suffix);
            if (f != collector.m_micros.end()) {
                fast.push_back(f->second);
                fastBytes.push_back(collector.m_bytes["fast/" + suffix]);
            }
            if (s != collector.m_micros.end()) {
                slow.push_back(s->second);
                slowBytes.push_back(collector.m_bytes["reference/" + suffix]);
            }
            if (f != collector.m_micros.end() && s != collector.m_micros.end() &&
                !(g_answers["fast/" + suffix] == g_answers["reference/" + suffix])) {
                ++mismatches;
                std::printf("position %zu level %d: fast %s, reference %s\n", i, level,
                            g_answers["fast/" + suffix].text.c_str(),
                            g_answers["reference/" + suffix].text.c_str());
            }
        }
        const double f = Median(fast);
        const double s = Median(slow);
        const double ratio = f > 0 ? s / f : 0.0;
        std::printf(
            "level%d positions=%zu fast_us=%.2f (largest %.2f) reference_us=%.1f ratio=%.0f "
            "fast_bytes=%.0f/%.0f reference_bytes=%.0f/%.0f\n",
            level, fast.size(), f, Largest(fast), s, ratio, Median(fastBytes), Largest(fastBytes),
            Median(slowBytes), Largest(slowBytes));
        if (level == 4) {
            fast4 = f;
            ratio4 = ratio;
        }
    }
    std::printf("answers_differing=%d\n", mismatches);
    std::printf("level4 median_us=%.2f ratio=%.0f\n", fast4, ratio4);
    return mismatches == 0 ? 0 : 1;
}
