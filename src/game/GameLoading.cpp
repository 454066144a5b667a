#include "game/GameLoading.h"

#include "core/CommonRoutines.h"
#include "game/BoardSounds.h"
#include "game/GameView.h"
#include "game/MatchScore.h"
#include "game/MoveClock.h"
#include "game/Players.h"
#include "game/Position.h"
#include "game/TimeReader.h"
#include "voice/Announcer.h"

namespace korvel {

Step<> GameLoading::restoreDiscs(const Board& saved) {
    LoadingTable& t = m_table;
    t.position().clearBoard();
    t.view().discsChanged();
    const int halfPause = static_cast<int>(RoundHalfEven(t.turnPause() / 2.0));
    for (int row = 1; row <= 8; ++row) {
        for (int col = 1; col <= 8; ++col) {
            const CellCode code = saved.at(col, row);
            t.position().place(col, row, code);
            t.view().discsChanged();
            if (code == 1 || code == 2) {
                t.sounds().disc(code, col, row);
                co_await t.steps().pause(halfPause);
            }
        }
    }
}

void GameLoading::announce(const SavedGame& game) {
    LoadingTable& t = m_table;
    Announcer& say = t.announcer();
    t.match().restore(game);
    say.Clear();
    say.AddFile("velcome");
    t.seatPlayers(game.game);
    say.AddFile("menu" + std::to_string(game.game));
    say.AddFile("tipe" + std::to_string(game.gameType));
    if (t.match().staged()) {
        say.AddFile("tur");
        say.Number(t.match().stage());
    }
    if (game.level != 0) {
        t.players().setLevel(game.level);
    }
    t.view().clockShown(game.times != 0);
    if (t.match().timed() && game.times > 0) {
        // The time per move, said as the W key says a time.
        TimeReader(say).duration(0, game.times / 60, game.times % 60);
    }
    const MatchScore& score = t.match().score();
    say.AddFile("schet");
    say.Number(score.points()[0]);
    say.Number(score.points()[1]);
    say.AddFile("alls");
    say.Number(score.discTotals()[0]);
    say.Number(score.discTotals()[1]);

    t.sayMoveNumber(game.moveNumber);
    t.position().setMover(game.curPlayer);
    t.moveClock().setSecondsLeft(game.timeLeft);
    t.moveCursorTo(game.cursorCol, game.cursorRow);
    say.AddFile("position");
    t.sayCell(false);
    t.showPlayer(t.position().mover());
}

}  // namespace korvel
