#pragma once

#include <array>
#include <string>

#include "records/SavedGameRecord.h"
#include "rules/Rules.h"

namespace korvel {

class Announcer;

// The score of a game and of a staged match: two points for a win and one
// each for a draw, and the disc totals weighted by the stage. It says each
// result as it is counted and gives the result dialog's caption and text.
// The announcer is borrowed for each call.
class MatchScore {
  public:
    // The players' phrases and their names as the dialogs show them.
    struct Players {
        const std::array<std::string, 2>& phrases;
        const std::array<std::string, 2>& names;
    };
    struct Result {
        std::string caption;
        std::string text;  // lines broken by CR LF
        int winner = 0;    // 0 for a draw
    };

    void clear() { *this = {}; }
    void restore(const std::array<int, 2>& points, const std::array<int, 2>& discTotals) {
        m_points = points;
        m_discTotals = discTotals;
    }
    const std::array<int, 2>& points() const { return m_points; }
    const std::array<int, 2>& discTotals() const { return m_discTotals; }

    // A game ended with `count` at `stage`; in a staged match the score and
    // the totals follow its result.
    Result addGame(const DiscCount& count, int stage, bool staged, Announcer& announcer,
                   const Players& players);
    // The match's verdict by points, else by the weighted disc totals.
    Result verdict(Announcer& announcer, const Players& players) const;

  private:
    std::array<int, 2> m_points{};
    std::array<int, 2> m_discTotals{};
};

// The kinds of game: type 1 single, 2 timed, 3 staged match, 4 timed staged
// match (even: timed, above 2: staged); opponent 1 two players, 2 the computer,
// 3 a player at another Korvel over the network.
struct GameSetup {
    int gameType = 1;
    int opponent = 1;
    int level = 1;
    int secondsPerMove = 0;
};

// The kind of game under way and the match it is part of: the setup chosen,
// the stage being played, who opens it, and the score. A start position's
// first mover opens the match; each later stage is opened by the winner of
// the one before, or after a draw by the player who opened that one.
class Match {
  public:
    static constexpr int kStageCount = 9;  // the games of a staged match

    const GameSetup& setup() const { return m_setup; }
    bool timed() const { return m_setup.gameType % 2 == 0; }
    bool staged() const { return m_setup.gameType > 2; }
    bool againstComputer() const { return m_setup.opponent == 2; }
    bool networkGame() const { return m_setup.opponent == 3; }
    int stage() const { return m_stage; }
    int firstPlayer() const { return m_firstPlayer; }
    const MatchScore& score() const { return m_score; }

    // A new game or match of `setup`: its first stage, no score. The
    // computer's level stays as it was when another opponent is chosen.
    void begin(const GameSetup& setup);
    // A saved game's match: its kind, stage and score; white opens the next stage.
    void restore(const SavedGame& game);
    // A stage begins from a position that `mover` is to open: the match's first one does.
    void startFrom(int mover);

    // Scores the game just ended (said, and its dialog text) and moves on to
    // the next stage, which its winner opens.
    MatchScore::Result endGame(const DiscCount& count, Announcer& announcer,
                               const MatchScore::Players& players);
    // A staged match has a stage left to play.
    bool stageLeft() const { return staged() && m_stage <= kStageCount; }
    // The whole match's verdict, said and its dialog text.
    MatchScore::Result verdict(Announcer& announcer, const MatchScore::Players& players) {
        return m_score.verdict(announcer, players);
    }

  private:
    GameSetup m_setup;
    int m_stage = 1;
    int m_firstPlayer = 1;
    MatchScore m_score;
};

}  // namespace korvel
