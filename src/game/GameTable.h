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
#include "game/SoundSwitches.h"
#include "game/Steps.h"
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
// questions, its keys, loading): the services it borrows, the position, whose
// turn it is and where the cursor stands, the players, the score and the
// clock, and the small routines every part says things with.
struct GameTable {
    // Who holds the game: the player to move, or a step under way.
    enum class State { Waiting, Busy, Paused, Over };

    GameTable(Clock& clock, Settings& settings, RandomSource& random, Folders folders,
              GameView& view);

    bool networkGame() const { return match.networkGame(); }
    // In a network game, the other side is to move.
    bool remoteToMove() const { return networkGame() && player != network.localPlayer; }
    // No move, computer turn, question or pause is under way: a move may start.
    bool idle() const { return moveClock.running() && state == State::Waiting; }

    // The discs a game begins with (the network game's, start.txt's or the
    // standard opening) and, for a match's first stage, its first mover; no
    // passes or turns behind it.
    void setStartPosition();
    // The players' names and the music of a game against `opponent`.
    void seatPlayers(int opponent);
    void sayMoveNumber(int number);
    // Shows and says the player to move (`who` > 0 makes them the mover).
    void showPlayer(int who);
    // Hands the turn to the other player: the move number after player 2.
    void nextTurn();
    void moveCursorTo(int col, int row);
    // The cursor's cell, after the cursor's own sound at its place when `withEffect`.
    void sayCell(bool withEffect);
    BoardReader reader();
    // Ends the steps of the game under way: a new game or a loaded one
    // begins, or the game is left.
    void endGame();
    // Every way back to the menu ends the game's steps that are still under way.
    void leaveToMenu();
    // The values a saved game keeps, as the game holds them now.
    SavedGame savedState() const;

    Clock& clock;
    Settings& settings;
    RandomSource& random;
    Folders folders;  // recordings, effects, music; start.txt
    GameView& view;
    Announcer* announcer = nullptr;
    Stopwatch sinceStart;  // W: since this game began or was loaded

    Match match;  // the kind of game, the stage, who opens it, the score
    Board board;
    FlipMask flipMask;
    State state = State::Over;
    int cursorCol = 4;
    int cursorRow = 4;
    int player = 1;
    int moveNumber = 1;
    int passCount = 0;
    int turnPause = 100;  // between turned discs
    Players players;
    NetworkSide network;
    TurnHistory history;  // the turns for R, the points for Backspace
    SoundSwitches switches;
    BoardSounds sounds;   // loaded when the announcer is attached
    MoveClock moveClock;  // its effects too

    Steps steps;  // last: its steps end before the state they use; endGame() ends them
};

}  // namespace korvel
