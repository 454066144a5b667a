#pragma once

#include <optional>
#include <string>
#include <utility>

#include "core/Clock.h"
#include "core/CommonRoutines.h"
#include "core/ProgramFolders.h"
#include "game/BoardSounds.h"
#include "game/GameView.h"
#include "game/MatchScore.h"
#include "game/MoveClock.h"
#include "game/Players.h"
#include "game/Position.h"
#include "game/SoundSwitches.h"
#include "game/Steps.h"
#include "game/TableParts.h"
#include "game/TurnHistory.h"
#include "records/SavedGameRecord.h"
#include "rules/Rules.h"

namespace korvel {

class Announcer;
class BoardReader;
class RemotePlayer;
class RandomSource;
class Settings;

// The fixed delays of the game, in milliseconds. The computer's thinking pause
// grows with the number of discs its greedy move would turn, ten times shorter
// in timed games, so that it feels like thought without eating the clock.
struct GamePauses {
    static constexpr int kThinkPerDisc = 120;
    static constexpr int kThinkPerDiscTimed = 12;
    static constexpr int kBeforeComputerMove = 300;
    static constexpr int kSetUp = 800;
    static constexpr int kBeforePlay = 1000;
    static constexpr int kAfterGame = 500;
    static constexpr int kTick = 1000;
};

// What a network game needs beyond its setup: the other side, the colour
// played here (1 white, 2 black), and the start position both sides use (the
// host's start.txt, or none for the standard opening).
struct NetworkSide {
    RemotePlayer* remote = nullptr;
    int localPlayer = 1;
    std::optional<std::pair<Board, int>> start;  // the discs and the first mover
};

// The table a game is played at, shared by the game's parts (its turns, its
// questions, its keys, loading): the services it borrows, the position, who
// holds the game, the players, the score and the clock, and the small
// routines every part says things with. Its parts are classes of their own;
// who holds the game changes only by the named steps below. The questions,
// the keys and loading each see only what they use of it (game/TableParts.h).
class GameTable final : public LoadingTable, public QuestionTable, public CommandTable {
  public:
    using State = TableState;

    GameTable(Clock& clock, Settings& settings, RandomSource& random, Folders folders,
              GameView& view);

    // The services the game borrows.
    Clock& clock() { return m_clock; }
    RandomSource& random() { return m_random; }
    // The folders: the recordings, effects and music, and start.txt.
    const Folders& folders() const override { return m_folders; }
    GameView& view() override { return m_view; }
    Steps& steps() override { return m_steps; }
    // The announcer is the game's between attach and detach, and the game
    // owns its effect buffers meanwhile.
    void attach(Announcer& announcer);
    void detach();
    bool attached() const override { return m_announcer != nullptr; }
    Announcer& announcer() override { return *m_announcer; }
    Announcer* announcerOrNull() const { return m_announcer; }

    Position& position() override { return m_position; }
    const Position& position() const { return m_position; }
    // The kind of game, the stage, who opens it, the score.
    Match& match() override { return m_match; }
    const Match& match() const { return m_match; }
    Players& players() override { return m_players; }
    const Players& players() const { return m_players; }
    // The turns for R, the points for Backspace.
    TurnHistory& history() override { return m_history; }
    const TurnHistory& history() const { return m_history; }
    SoundSwitches& switches() override { return m_switches; }
    const SoundSwitches& switches() const { return m_switches; }
    BoardSounds& sounds() override { return m_sounds; }
    MoveClock& moveClock() override { return m_moveClock; }
    const MoveClock& moveClock() const { return m_moveClock; }
    // W: since this game began or was loaded.
    Stopwatch& sinceStart() override { return m_sinceStart; }
    int turnPause() const override { return m_turnPause; }  // between turned discs
    void setTurnPause(int ms) { m_turnPause = ms; }

    State state() const override { return m_state; }
    // A step holds the game: no key starts another.
    void hold() override { m_state = State::Busy; }
    // The player to move (or the other side) may move now.
    void awaitMove() override { m_state = State::Waiting; }
    void pauseGame() override { m_state = State::Paused; }
    // The game is over or left: its clock stops for good.
    void finish() override;

    // A network game's other side, the colour played here and its start.
    void setNetwork(const NetworkSide& side) { m_network = side; }
    RemotePlayer* remote() const { return m_network.remote; }
    // Nothing more goes out to the other side; the caller gets it a last time.
    RemotePlayer* dropRemote() override { return std::exchange(m_network.remote, nullptr); }
    int localPlayer() const { return m_network.localPlayer; }
    bool networkGame() const override { return m_match.networkGame(); }
    // In a network game, the other side is to move.
    bool remoteToMove() const override {
        return networkGame() && m_position.mover() != m_network.localPlayer;
    }
    // No move, computer turn, question or pause is under way: a move may start.
    bool idle() const override { return m_moveClock.running() && m_state == State::Waiting; }

    // The discs a game begins with (the network game's, start.txt's or the
    // standard opening) and, for a match's first stage, its first mover; no
    // passes or turns behind it.
    void setStartPosition();
    // The players' names and the music of a game against `opponent`.
    void seatPlayers(int opponent) override;
    void sayMoveNumber(int number) override;
    // Shows and says the player to move (`who` > 0 makes them the mover).
    void showPlayer(int who) override;
    // Hands the turn to the other player: the move number after player 2.
    void nextTurn();
    void moveCursorTo(int col, int row) override;
    // The cursor's cell, after the cursor's own sound at its place when `withEffect`.
    void sayCell(bool withEffect) override;
    BoardReader reader() override;
    // Ends the steps of the game under way: a new game or a loaded one
    // begins, or the game is left.
    void endGame();
    // Every way back to the menu ends the game's steps that are still under way.
    void leaveToMenu() override;
    // The values a saved game keeps, as the game holds them now.
    SavedGame savedState() const override;

  private:
    Clock& m_clock;
    Settings& m_settings;
    RandomSource& m_random;
    Folders m_folders;
    GameView& m_view;
    Announcer* m_announcer = nullptr;
    Stopwatch m_sinceStart;

    Match m_match;
    Position m_position;
    State m_state = State::Over;
    int m_turnPause = 100;
    Players m_players;
    NetworkSide m_network;
    TurnHistory m_history;
    SoundSwitches m_switches;
    BoardSounds m_sounds;   // loaded when the announcer is attached
    MoveClock m_moveClock;  // its effects too

    Steps m_steps;  // last: its steps end before the state they use; endGame() ends them
};

}  // namespace korvel
