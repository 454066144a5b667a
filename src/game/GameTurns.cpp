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
    m_state = State::Busy;
    m_moveClock.stop();
    m_view.holdPicture(true);
    m_board.at(col, row) = static_cast<CellCode>(m_player);
    m_sounds.disc(0, col, row);
    m_view.discsChanged();
    co_await m_steps.pause(2 * m_turnPause);
    int flips = 0;
    for (int c = 1; c <= 8; ++c) {
        for (int r = 1; r <= 8; ++r) {
            const CellCode code = m_flipMask.at(c, r);
            if (code != 1 && code != 2) {
                continue;
            }
            m_board.at(c, r) = code;
            ++flips;
            m_sounds.disc(code, c, r);
            m_view.discsChanged();
            co_await m_steps.pause(m_turnPause);
        }
    }
    m_view.holdPicture(false);
    m_history.note(m_player, col, row, flips);
    m_moveClock.reset();
    m_moveClock.start();
    m_passCount = -1;
}

void Game::nextTurn() {
    if (m_player == 2) {
        sayMoveNumber(m_moveNumber + 1);
    }
    showPlayer(3 - m_player);
}

Step<> Game::personMoves() {
    const int col = m_cursorCol;
    const int row = m_cursorRow;
    if (CountFlips(m_board, col, row, m_player, m_flipMask) == 0) {
        m_sounds.refused(col, row);
        co_return;
    }
    if (networkGame() && m_network.remote != nullptr) {
        m_network.remote->moved(col,
                                row);  // before the discs turn: the other side hears it at once
    }
    m_history.keep({m_board,
                    m_moveNumber,
                    m_player,
                    m_passCount,
                    m_moveClock.secondsLeft(),
                    m_cursorCol,
                    m_cursorRow,
                    {}});
    co_await playMove(col, row);
    if (co_await checkGameEnd()) {
        co_return;
    }
    nextTurn();
    co_await moverPlays();
}

// The player to move now plays: the computer takes its turn, a person's keys
// are waited for.
Step<> Game::moverPlays() {
    if (m_setup.opponent == 2 && m_player == 2) {
        co_await computerTurn();
    } else if (remoteToMove()) {
        m_steps.start(remoteTurn());
    } else {
        m_state = State::Waiting;
    }
}

Step<> Game::passTurn() {
    if (GreedyCell(m_board, m_player) != 0) {
        m_announcer->AddFile("pass");
        m_announcer->AddFile("unavailable");
        co_return;
    }
    if (networkGame() && m_network.remote != nullptr) {
        m_network.remote->passed();
    }
    co_await handOverPass();
}

Step<> Game::handOverPass() {
    m_state = State::Busy;
    m_history.note(m_player, 0, 0, 0);
    nextTurn();
    ++m_passCount;
    if (m_passCount > 1) {
        co_await checkGameEnd();
        co_return;
    }
    m_moveClock.reset();
    co_await moverPlays();
}

// The computer thinks for a time that grows with its greedy move, says a
// remark when the announcer is quiet, and plays; with no move, it passes.
Step<> Game::computerTurn() {
    m_state = State::Busy;
    const int best = GreedyCell(m_board, m_player);
    if (best == 0) {
        m_history.note(m_player, 0, 0, 0);
        ++m_passCount;
        if (m_passCount > 1) {
            co_await checkGameEnd();
            co_return;
        }
    } else {
        const int bestCount = CountFlips(m_board, best / 10, best % 10, m_player);
        const int perDisc =
            m_setup.gameType % 2 == 0 ? GamePauses::kThinkPerDiscTimed : GamePauses::kThinkPerDisc;
        co_await m_steps.pause(bestCount * perDisc);
        const OpponentMove move =
            ComputerMove(m_board, m_setup.level, m_moveNumber, m_firstPlayer, m_random);
        if (move.sayNoReply) {
            m_announcer->AddFile("notfisha");
        }
        int col = best / 10;
        int row = best % 10;
        if (move.text.size() >= 2) {
            col = move.text.front() - '0';
            row = move.text.back() - '0';
        }
        const int remark = static_cast<int>(m_random.next() * 10);
        const int count = CountFlips(m_board, col, row, m_player, m_flipMask);
        if (m_announcer->Count() == 0) {
            m_announcer->AddFile(count < 8 ? "replica" + std::to_string(remark) : "replica10");
        }
        co_await m_steps.pause(GamePauses::kBeforeComputerMove);
        moveCursorTo(col, row);
        sayCell(false);
        co_await playMove(col, row);
        if (co_await checkGameEnd()) {
            co_return;
        }
    }
    sayMoveNumber(m_moveNumber + 1);
    showPlayer(3 - m_player);
    m_state = State::Waiting;
}

// Heard as the computer's move is: the mover's phrase, the cell, the discs.
Step<> Game::playRemoteMove() {
    const int col = m_remoteCell.first;
    const int row = m_remoteCell.second;
    m_state = State::Busy;
    m_announcer->AddFile(m_players.phrase(m_player));
    moveCursorTo(col, row);
    sayCell(false);
    co_await playMove(col, row);
    if (co_await checkGameEnd()) {
        co_return;
    }
    nextTurn();
    co_await moverPlays();
}

// Time is up: the player loses the move, as by a pass that ends no game.
Step<> Game::timeOut() {
    m_state = State::Busy;
    m_moveClock.hold(true);
    m_history.note(m_player, 0, 0, 0);
    nextTurn();
    m_moveClock.reset();
    co_await moverPlays();
    m_moveClock.setSecondsLeft(m_setup.secondsPerMove);
    m_moveClock.hold(false);
}

}  // namespace korvel
