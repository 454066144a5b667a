#include "game/GameLoading.h"

#include "game/TimeReader.h"
#include "voice/Announcer.h"

namespace korvel {

Step<> GameLoading::restoreDiscs(const Board& saved) {
    GameTable& t = m_table;
    t.board.clear();
    t.view.discsChanged();
    const int halfPause = static_cast<int>(RoundHalfEven(t.turnPause / 2.0));
    for (int row = 1; row <= 8; ++row) {
        for (int col = 1; col <= 8; ++col) {
            const CellCode code = saved.at(col, row);
            t.board.at(col, row) = code;
            t.view.discsChanged();
            if (code == 1 || code == 2) {
                t.sounds.disc(code, col, row);
                co_await t.steps.pause(halfPause);
            }
        }
    }
}

void GameLoading::announce(const SavedGame& game) {
    GameTable& t = m_table;
    Announcer& say = *t.announcer;
    t.score.restore(game.points, game.discTotals);
    say.Clear();
    say.AddFile("velcome");
    t.setOpponent(game.game);
    say.AddFile("menu" + std::to_string(game.game));
    t.setup.gameType = game.gameType;
    t.firstPlayer = 1;
    say.AddFile("tipe" + std::to_string(game.gameType));
    t.stage = game.stage;
    if (t.setup.gameType > 2) {
        say.AddFile("tur");
        say.Number(t.stage);
    }
    if (game.level != 0) {
        t.setup.level = game.level;
        t.players.setLevel(game.level);
    }
    t.setup.secondsPerMove = game.times;
    t.view.clockShown(game.times != 0);
    if (t.setup.gameType % 2 == 0 && t.setup.secondsPerMove > 0) {
        // The time per move, said as the W key says a time.
        TimeReader(say).duration(0, t.setup.secondsPerMove / 60, t.setup.secondsPerMove % 60);
    }
    say.AddFile("schet");
    say.Number(t.score.points()[0]);
    say.Number(t.score.points()[1]);
    say.AddFile("alls");
    say.Number(t.score.discTotals()[0]);
    say.Number(t.score.discTotals()[1]);

    t.sayMoveNumber(game.moveNumber);
    t.player = game.curPlayer;
    t.moveClock.setSecondsLeft(game.timeLeft);
    t.moveCursorTo(game.cursorCol, game.cursorRow);
    say.AddFile("position");
    t.sayCell(false);
    t.showPlayer(t.player);
}

}  // namespace korvel
