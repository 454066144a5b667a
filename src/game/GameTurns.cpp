// The turns: a move played disc by disc, the person's move, the computer's
// turn, passes, and the time-outs of the move clock.
#include "game/Game.h"
#include "game/RemotePlayer.h"
#include "opponent/ComputerMove.h"
#include "opponent/RandomSource.h"
#include "voice/Announcer.h"

namespace korvel {

// The placed disc's click, then each turned disc in column order with its own
// click and pause. The cell is the one chosen when the move began: the cursor
// may move on while the discs turn.
Step<> Game::playMove(int col, int row) {
    m_table.state = State::Busy;
    m_table.moveClock.stop();
    m_table.view.holdPicture(true);
    m_table.board.at(col, row) = static_cast<CellCode>(m_table.player);
    m_table.sounds.disc(0, col, row);
    m_table.view.discsChanged();
    co_await m_table.steps.pause(2 * m_table.turnPause);
    int flips = 0;
    for (int c = 1; c <= 8; ++c) {
        for (int r = 1; r <= 8; ++r) {
            const CellCode code = m_table.flipMask.at(c, r);
            if (code != 1 && code != 2) {
                continue;
            }
            m_table.board.at(c, r) = code;
            ++flips;
            m_table.sounds.disc(code, c, r);
            m_table.view.discsChanged();
            co_await m_table.steps.pause(m_table.turnPause);
        }
    }
    m_table.view.holdPicture(false);
    m_table.history.note(m_table.player, col, row, flips);
    m_table.moveClock.reset();
    m_table.moveClock.start();
    m_table.passCount = -1;
}

Step<> Game::personMoves() {
    const int col = m_table.cursorCol;
    const int row = m_table.cursorRow;
    if (CountFlips(m_table.board, col, row, m_table.player, m_table.flipMask) == 0) {
        m_table.sounds.refused(col, row);
        co_return;
    }
    if (m_table.networkGame() && m_table.network.remote != nullptr) {
        // Before the discs turn: the other side hears it at once.
        m_table.network.remote->moved(col, row);
        turnBegins(m_table.clock.tickCount());
    }
    m_table.history.keep({m_table.board,
                          m_table.moveNumber,
                          m_table.player,
                          m_table.passCount,
                          m_table.moveClock.secondsLeft(),
                          m_table.cursorCol,
                          m_table.cursorRow,
                          {}});
    co_await playMove(col, row);
    if (co_await checkGameEnd()) {
        co_return;
    }
    m_table.nextTurn();
    co_await moverPlays();
}

// The player to move now plays: the computer takes its turn, a person's keys
// are waited for.
Step<> Game::moverPlays() {
    if (m_table.match.againstComputer() && m_table.player == 2) {
        co_await computerTurn();
    } else if (m_table.remoteToMove()) {
        m_table.steps.start(remoteTurn());
    } else if (std::exchange(m_ownTimeEnded, false)) {
        turnBegins(m_table.clock.tickCount());
        m_table.steps.start(timeOut());
    } else {
        m_table.state = State::Waiting;
    }
}

Step<> Game::passTurn() {
    if (GreedyCell(m_table.board, m_table.player) != 0) {
        m_table.announcer->AddFile("pass");
        m_table.announcer->AddFile("unavailable");
        co_return;
    }
    if (m_table.networkGame() && m_table.network.remote != nullptr) {
        m_table.network.remote->passed();
        turnBegins(m_table.clock.tickCount());
    }
    co_await handOverPass();
}

Step<> Game::handOverPass() {
    m_table.state = State::Busy;
    m_table.history.note(m_table.player, 0, 0, 0);
    m_table.nextTurn();
    ++m_table.passCount;
    if (m_table.passCount > 1) {
        co_await checkGameEnd();
        co_return;
    }
    m_table.moveClock.reset();
    co_await moverPlays();
}

// The computer thinks for a time that grows with its greedy move, says a
// remark when the announcer is quiet, and plays; with no move, it passes.
Step<> Game::computerTurn() {
    m_table.state = State::Busy;
    const int best = GreedyCell(m_table.board, m_table.player);
    if (best == 0) {
        m_table.history.note(m_table.player, 0, 0, 0);
        ++m_table.passCount;
        if (m_table.passCount > 1) {
            co_await checkGameEnd();
            co_return;
        }
    } else {
        const int bestCount = CountFlips(m_table.board, best / 10, best % 10, m_table.player);
        const int perDisc =
            m_table.match.timed() ? GamePauses::kThinkPerDiscTimed : GamePauses::kThinkPerDisc;
        co_await m_table.steps.pause(bestCount * perDisc);
        const OpponentMove move =
            ComputerMove(m_table.board, m_table.match.setup().level, m_table.moveNumber,
                         m_table.match.firstPlayer(), m_table.random);
        if (move.sayNoReply) {
            m_table.announcer->AddFile("notfisha");
        }
        int col = best / 10;
        int row = best % 10;
        if (move.text.size() >= 2) {
            col = move.text.front() - '0';
            row = move.text.back() - '0';
        }
        const int remark = static_cast<int>(m_table.random.next() * 10);
        const int count = CountFlips(m_table.board, col, row, m_table.player, m_table.flipMask);
        if (m_table.announcer->Count() == 0) {
            m_table.announcer->AddFile(count < 8 ? "replica" + std::to_string(remark)
                                                 : "replica10");
        }
        co_await m_table.steps.pause(GamePauses::kBeforeComputerMove);
        m_table.moveCursorTo(col, row);
        m_table.sayCell(false);
        co_await playMove(col, row);
        if (co_await checkGameEnd()) {
            co_return;
        }
    }
    m_table.sayMoveNumber(m_table.moveNumber + 1);
    m_table.showPlayer(3 - m_table.player);
    m_table.state = State::Waiting;
}

// Heard as the computer's move is: the mover's phrase, the cell, the discs.
Step<> Game::playRemoteMove() {
    const int col = m_remoteCell.first;
    const int row = m_remoteCell.second;
    m_table.state = State::Busy;
    m_table.announcer->AddFile(m_table.players.phrase(m_table.player));
    m_table.moveCursorTo(col, row);
    m_table.sayCell(false);
    co_await playMove(col, row);
    if (co_await checkGameEnd()) {
        co_return;
    }
    m_table.nextTurn();
    co_await moverPlays();
}

// Time is up: the player loses the move, as by a pass that ends no game.
Step<> Game::timeOut() {
    m_table.state = State::Busy;
    m_table.moveClock.hold(true);
    m_table.history.note(m_table.player, 0, 0, 0);
    m_table.nextTurn();
    m_table.moveClock.reset();
    co_await moverPlays();
    m_table.moveClock.setSecondsLeft(m_table.match.setup().secondsPerMove);
    m_table.moveClock.hold(false);
}

}  // namespace korvel
