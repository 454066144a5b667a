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
    m_table.hold();
    m_moveClock.stop();
    m_table.view().holdPicture(true);
    m_position.place(col, row, static_cast<CellCode>(m_position.mover()));
    m_table.sounds().disc(0, col, row);
    m_table.view().discsChanged();
    co_await m_steps.pause(2 * m_table.turnPause());
    int flips = 0;
    for (int c = 1; c <= 8; ++c) {
        for (int r = 1; r <= 8; ++r) {
            const CellCode code = m_position.flips().at(c, r);
            if (code != 1 && code != 2) {
                continue;
            }
            m_position.place(c, r, code);
            ++flips;
            m_table.sounds().disc(code, c, r);
            m_table.view().discsChanged();
            co_await m_steps.pause(m_table.turnPause());
        }
    }
    m_table.view().holdPicture(false);
    m_table.history().note(m_position.mover(), col, row, flips);
    m_moveClock.reset();
    m_moveClock.start();
    m_position.forgetPasses();
}

Step<> Game::personMoves() {
    const int col = m_position.cursorCol();
    const int row = m_position.cursorRow();
    if (m_position.markFlips(col, row) == 0) {
        m_table.sounds().refused(col, row);
        co_return;
    }
    if (m_table.networkGame() && m_table.remote() != nullptr) {
        // Before the discs turn: the other side hears it at once.
        m_table.remote()->moved(col, row);
        turnBegins(m_table.clock().tickCount());
    }
    m_table.history().keep({m_position, m_moveClock.secondsLeft(), {}});
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
    if (m_table.match().againstComputer() && m_position.mover() == 2) {
        co_await computerTurn();
    } else if (m_table.remoteToMove()) {
        m_steps.start(remoteTurn());
    } else if (std::exchange(m_ownTimeEnded, false)) {
        turnBegins(m_table.clock().tickCount());
        m_steps.start(timeOut());
    } else {
        m_table.awaitMove();
    }
}

Step<> Game::passTurn() {
    if (GreedyCell(m_position.board(), m_position.mover()) != 0) {
        m_table.announcer().AddFile("pass");
        m_table.announcer().AddFile("unavailable");
        co_return;
    }
    if (m_table.networkGame() && m_table.remote() != nullptr) {
        m_table.remote()->passed();
        turnBegins(m_table.clock().tickCount());
    }
    co_await handOverPass();
}

Step<> Game::handOverPass() {
    m_table.hold();
    m_table.history().note(m_position.mover(), 0, 0, 0);
    m_table.nextTurn();
    m_position.passed();
    if (m_position.passes() > 1) {
        co_await checkGameEnd();
        co_return;
    }
    m_moveClock.reset();
    co_await moverPlays();
}

// The computer thinks for a time that grows with its greedy move, says a
// remark when the announcer is quiet, and plays; with no move, it passes.
Step<> Game::computerTurn() {
    m_table.hold();
    const int best = GreedyCell(m_position.board(), m_position.mover());
    if (best == 0) {
        m_table.history().note(m_position.mover(), 0, 0, 0);
        m_position.passed();
        if (m_position.passes() > 1) {
            co_await checkGameEnd();
            co_return;
        }
    } else {
        const int bestCount =
            CountFlips(m_position.board(), best / 10, best % 10, m_position.mover());
        const int perDisc =
            m_table.match().timed() ? GamePauses::kThinkPerDiscTimed : GamePauses::kThinkPerDisc;
        co_await m_steps.pause(bestCount * perDisc);
        const OpponentMove move =
            ComputerMove(m_position.board(), m_table.match().setup().level, m_position.moveNumber(),
                         m_table.match().firstPlayer(), m_table.random());
        if (move.sayNoReply) {
            m_table.announcer().AddFile("notfisha");
        }
        int col = best / 10;
        int row = best % 10;
        if (move.text.size() >= 2) {
            col = move.text.front() - '0';
            row = move.text.back() - '0';
        }
        const int remark = static_cast<int>(m_table.random().next() * 10);
        const int count = m_position.markFlips(col, row);
        if (m_table.announcer().Count() == 0) {
            m_table.announcer().AddFile(count < 8 ? "replica" + std::to_string(remark)
                                                  : "replica10");
        }
        co_await m_steps.pause(GamePauses::kBeforeComputerMove);
        m_table.moveCursorTo(col, row);
        m_table.sayCell(false);
        co_await playMove(col, row);
        if (co_await checkGameEnd()) {
            co_return;
        }
    }
    m_table.sayMoveNumber(m_position.moveNumber() + 1);
    m_table.showPlayer(3 - m_position.mover());
    m_table.awaitMove();
}

// Heard as the computer's move is: the mover's phrase, the cell, the discs.
Step<> Game::playRemoteMove() {
    const int col = m_remoteCell.first;
    const int row = m_remoteCell.second;
    m_table.hold();
    m_table.announcer().AddFile(m_table.players().phrase(m_position.mover()));
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
    m_table.hold();
    m_moveClock.hold(true);
    m_table.history().note(m_position.mover(), 0, 0, 0);
    m_table.nextTurn();
    m_moveClock.reset();
    co_await moverPlays();
    m_moveClock.setSecondsLeft(m_table.match().setup().secondsPerMove);
    m_moveClock.hold(false);
}

}  // namespace korvel
