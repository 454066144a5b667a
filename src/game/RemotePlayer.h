#pragma once

namespace korvel {

// The other side of a network game, as the game sees it: what the local
// player does is sent to it at once. Moves are cells 1..8; a stage is 1..9.
// An illegal move from the other side is reported here too, so that the
// connection can be ended with its reason.
class RemotePlayer {
  public:
    virtual ~RemotePlayer() = default;
    virtual void moved(int col, int row) = 0;
    virtual void passed() = 0;
    virtual void timedOut() = 0;
    virtual void quit() = 0;
    virtual void stageStarted(int stage) = 0;
    virtual void illegalMove() = 0;
};

}  // namespace korvel
