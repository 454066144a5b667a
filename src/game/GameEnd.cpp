// The end of a game: its score, the result spoken and shown, the next stage
// or the match's verdict, and the way back to the menu.
#include "game/Game.h"
#include "voice/Announcer.h"

namespace korvel {

Step<bool> Game::checkGameEnd() {
    const DiscCount count = CountDiscs(m_board);
    if (!IsGameOver(count, m_passCount)) {
        co_return false;
    }
    m_state = State::Over;
    m_moveClock.stop();
    const bool staged = m_setup.gameType > 2;
    const MatchScore::Players players{m_players.phrases(), m_players.names()};
    MatchScore::Result result = m_score.addGame(count, m_stage, staged, *m_announcer, players);
    if (result.winner != 0) {
        m_firstPlayer = result.winner;  // the winner begins the next stage
    }
    ++m_stage;
    if (staged) {
        co_await showResult(result.text, result.caption);
        if (m_stage <= kStageCount) {
            co_await startGame();
            co_return true;
        }
        result = m_score.verdict(*m_announcer, players);
    }
    m_announcer->AddFile("ok");
    co_await showResult(result.text, result.caption);
    co_await m_steps.until([this] { return m_announcer->Count() == 0; });
    co_await m_steps.pause(GamePauses::kAfterGame);
    leaveToMenu();
    co_return true;
}

Step<> Game::showResult(const std::string& text, const std::string& caption) {
    // Only trivially copied values go into an awaited expression: GCC 12
    // copies its temporaries into the coroutine's frame byte by byte.
    const Question question{text, caption, 33, false};
    auto shown = m_steps.ask<int>(
        [this, &question](auto answer) { m_view.ask(question, std::move(answer)); });
    const int answer = co_await shown;
    if (answer != 0) {
        m_sounds.ok();
        m_announcer->Clear();
    }
}

}  // namespace korvel
