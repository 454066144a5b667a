// The end of a game: its score, the result spoken and shown, the next stage
// or the match's verdict, and the way back to the menu.
#include "game/Game.h"
#include "voice/Announcer.h"

namespace korvel {

Step<bool> Game::checkGameEnd() {
    const DiscCount count = CountDiscs(m_position.board());
    if (!IsGameOver(count, m_position.passes())) {
        co_return false;
    }
    m_table.finish();
    Match& match = m_table.match();
    const MatchScore::Players players{m_table.players().phrases(), m_table.players().names()};
    MatchScore::Result result = match.endGame(count, m_table.announcer(), players);
    if (match.staged()) {
        co_await showResult(result.text, result.caption);
        if (match.stageLeft()) {
            co_await startGame();
            co_return true;
        }
        result = match.verdict(m_table.announcer(), players);
    }
    m_table.announcer().AddFile("ok");
    co_await showResult(result.text, result.caption);
    co_await m_steps.until([this] { return m_table.announcer().Count() == 0; });
    co_await m_steps.pause(GamePauses::kAfterGame);
    m_table.leaveToMenu();
    co_return true;
}

Step<> Game::showResult(const std::string& text, const std::string& caption) {
    // Only trivially copied values go into an awaited expression: GCC 12
    // copies its temporaries into the coroutine's frame byte by byte.
    const Question question{text, caption, 33, false};
    auto shown = m_steps.ask<int>(
        [this, &question](auto answer) { m_table.view().ask(question, std::move(answer)); });
    const int answer = co_await shown;
    if (answer != 0) {
        m_table.sounds().ok();
        m_table.announcer().Clear();
    }
}

}  // namespace korvel
