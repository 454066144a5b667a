#pragma once

#include <string>

namespace korvel {

class Announcer;
class BoardReader;
class BoardSounds;
class GameView;
class Match;
class MoveClock;
class Players;
class Position;
class RemotePlayer;
class SoundSwitches;
class Steps;
class Stopwatch;
class TurnHistory;
struct Folders;
struct SavedGame;

// Who holds the game: the player to move, or a step under way.
enum class TableState { Waiting, Busy, Paused, Over };

// What every part of the game at the table uses: the voice, the position, the
// kind of game and its score, the effects, the move clock, the window and the
// steps, and the cursor's cell said.
class TablePart {
  public:
    virtual Announcer& announcer() = 0;
    virtual Position& position() = 0;
    virtual Match& match() = 0;
    virtual BoardSounds& sounds() = 0;
    virtual MoveClock& moveClock() = 0;
    virtual GameView& view() = 0;
    virtual Steps& steps() = 0;
    // The cursor's cell, after the cursor's own sound at its place when `withEffect`.
    virtual void sayCell(bool withEffect) = 0;

  protected:
    ~TablePart() = default;
};

// What a saved game's return uses beyond that: the players seated and shown,
// the pause between discs, the move number said, the cursor put back.
class LoadingTable : public virtual TablePart {
  public:
    virtual Players& players() = 0;
    virtual int turnPause() const = 0;
    virtual void seatPlayers(int opponent) = 0;
    virtual void sayMoveNumber(int number) = 0;
    virtual void moveCursorTo(int col, int row) = 0;
    virtual void showPlayer(int who) = 0;

  protected:
    ~LoadingTable() = default;
};

// What the questions use beyond that: who holds the game, the music, the
// folder the games are saved in and the state they keep, the other side of a
// network game, and the way back to the menu.
class QuestionTable : public virtual TablePart {
  public:
    virtual SoundSwitches& switches() = 0;
    virtual const Folders& folders() const = 0;
    virtual bool networkGame() const = 0;
    virtual TableState state() const = 0;
    virtual void hold() = 0;
    virtual void awaitMove() = 0;
    virtual void pauseGame() = 0;
    virtual void finish() = 0;
    virtual RemotePlayer* dropRemote() = 0;
    virtual void leaveToMenu() = 0;
    virtual SavedGame savedState() const = 0;

  protected:
    ~QuestionTable() = default;
};

// What the board's keys use beyond that: whether a key may act now, the
// reports (the board reader, the turns behind, the time since the start), the
// switches, and the position and players a take-back puts back.
class CommandTable : public virtual TablePart {
  public:
    virtual bool attached() const = 0;
    virtual TableState state() const = 0;
    virtual bool idle() const = 0;
    virtual bool networkGame() const = 0;
    virtual bool remoteToMove() const = 0;
    virtual Players& players() = 0;
    virtual SoundSwitches& switches() = 0;
    virtual TurnHistory& history() = 0;
    virtual Stopwatch& sinceStart() = 0;
    virtual BoardReader reader() = 0;
    virtual void sayMoveNumber(int number) = 0;
    virtual void moveCursorTo(int col, int row) = 0;
    virtual void showPlayer(int who) = 0;

  protected:
    ~CommandTable() = default;
};

}  // namespace korvel
