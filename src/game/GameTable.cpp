// The table's small routines: the start position, who is to move, the move
// number and the cursor, said and shown; the way back to the menu; what a
// saved game keeps.
#include "game/GameTable.h"

#include "game/BoardReader.h"
#include "records/StartPosition.h"
#include "voice/Announcer.h"

namespace korvel {

GameTable::GameTable(Clock& clock, Settings& settings, RandomSource& random, Folders folders,
                     GameView& view)
    : clock(clock),
      settings(settings),
      random(random),
      folders(std::move(folders)),
      view(view),
      sinceStart(clock),
      players(view),
      switches(this->folders.data),
      moveClock(clock, view, match.setup(), cursorCol, player),
      steps(clock) {}

void GameTable::setStartPosition() {
    // A network game plays the host's position on both sides.
    const std::optional<std::pair<Board, int>> start =
        networkGame() ? network.start : StartFileIn(folders.user);
    if (start) {
        board = start->first;
        match.startFrom(start->second);
    } else {
        SetStandardPosition(board);
    }
    // A game never inherits the passes that ended the one before it, nor its turns.
    passCount = -1;
    history.forget();
    view.discsChanged();
}

void GameTable::seatPlayers(int opponent) {
    if (opponent == 2) {
        players.againstComputer(settings);
    }
    if (announcer) {
        switches.music(*announcer, "remembr.mid");
    }
}

void GameTable::sayMoveNumber(int number) {
    moveNumber = number;
    if (announcer) {
        announcer->AddFile("gamer");
        announcer->Number(number);
    }
}

void GameTable::showPlayer(int who) {
    if (who > 0) {
        player = who;
    }
    announcer->AddFile("comon");
    view.playerShown(player, moveNumber);
    announcer->AddFile(players.phrase(player));
}

void GameTable::nextTurn() {
    if (player == 2) {
        sayMoveNumber(moveNumber + 1);
    }
    showPlayer(3 - player);
}

void GameTable::moveCursorTo(int col, int row) {
    cursorCol = col;
    cursorRow = row;
    if (OnBoard(col, row)) {
        view.cursorMoved(col, row);
    }
}

void GameTable::sayCell(bool withEffect) {
    if (withEffect) {
        announcer->Clear();
        sounds.cursor(cursorCol, cursorRow);
    }
    reader().cell(cursorCol, cursorRow);
}

BoardReader GameTable::reader() {
    return BoardReader(*announcer, board);
}

void GameTable::endGame() {
    moveClock.stop();
    steps.cancel();
}

void GameTable::leaveToMenu() {
    endGame();
    view.backToMenu();
}

SavedGame GameTable::savedState() const {
    SavedGame game;
    const GameSetup& setup = match.setup();
    game.game = networkGame() ? 1 : setup.opponent;  // kept as a game of two at one keyboard
    game.gameType = setup.gameType;
    game.stage = match.stage();
    game.times = setup.secondsPerMove;
    game.timeLeft = moveClock.secondsLeft();
    game.moveNumber = moveNumber;
    game.curPlayer = player;
    game.cursorCol = cursorCol;
    game.cursorRow = cursorRow;
    game.points = match.score().points();
    game.discTotals = match.score().discTotals();
    // A two-player game keeps no level: loading one would rename player 2.
    game.level = setup.opponent == 2 ? setup.level : 0;
    game.board = board;
    return game;
}

}  // namespace korvel
