// The end of a game: the count weighted by the stage, the points of a staged
// match, the result spoken and shown, the next stage or the match's verdict,
// and the way back to the menu.
#include <algorithm>
#include <string>

#include "game/Game.h"
#include "voice/Announcer.h"

namespace korvel {
namespace {

constexpr const char* kBreak = "\r\n";

// "a<between>b", as the result texts give two numbers.
std::string Two(int a, const char* between, int b) {
    return std::to_string(a) + between + std::to_string(b);
}

}  // namespace

Step<bool> Game::checkGameEnd() {
    const DiscCount count = CountDiscs(m_board);
    if (!IsGameOver(count, m_passCount)) {
        co_return false;
    }
    m_state = State::Over;
    stopClock();
    auto [caption, text] = scoreGame(count);
    if (m_setup.gameType > 2) {
        co_await showResult(text, caption);
        if (m_stageCount >= m_stage) {
            co_await startGame();
            co_return true;
        }
        std::tie(caption, text) = matchVerdict();
    }
    m_announcer->AddFile("ok");
    co_await showResult(text, caption);
    co_await m_steps.until([this] { return m_announcer->Count() == 0; });
    co_await m_steps.pause(GamePauses::kAfterGame);
    m_view.backToMenu();
    co_return true;
}

// The count weighted by the stage into the match's totals and points, the
// result said; its dialog caption and text. In a staged match the score and
// the totals follow.
std::pair<std::string, std::string> Game::scoreGame(const DiscCount& count) {
    const int w1 = count.white * m_stage;
    const int w2 = count.black * m_stage;
    m_discTotals[0] += w1;
    m_discTotals[1] += w2;
    std::string text;
    std::string caption;
    if (w1 != w2) {
        const int winner = w1 > w2 ? 1 : 2;
        const int high = std::max(w1, w2);
        const int low = std::min(w1, w2);
        sayVictory("victoria", winner);
        m_announcer->Number(high);
        m_announcer->Number(low);
        m_points[winner - 1] += 2;
        text = "Выиграл  " + playerName(winner) + "!" + kBreak +
               "Со счётом:   " + Two(high, ",", low) + ".";
        caption = "ПОБЕДА!";
        m_firstPlayer = winner;
    } else {
        m_announcer->AddFile("whose");
        m_announcer->AddFile("balls");
        m_announcer->Number(w1);
        m_announcer->Number(w2);
        ++m_points[0];
        ++m_points[1];
        text = "Очей: " + Two(w1, "/", w2) + "." + kBreak;
        caption = "НЕ ЧЬЯ!";
    }
    ++m_stage;
    if (m_setup.gameType > 2) {
        m_announcer->AddFile("schet");
        m_announcer->Number(m_points[0]);
        m_announcer->Number(m_points[1]);
        if (!text.ends_with(kBreak)) {
            text += kBreak;  // the score goes on a line of its own after a win too
        }
        text += "Счёт: " + Two(m_points[0], "/", m_points[1]) + "." + kBreak;
        m_announcer->AddFile("alls");
        m_announcer->Number(m_discTotals[0]);
        m_announcer->Number(m_discTotals[1]);
        m_announcer->AddFile("ok");
        text += "Всего: " + Two(m_discTotals[0], "/", m_discTotals[1]) + ".";
    }
    return {caption, text};
}

void Game::sayVictory(const char* kind, int winner) {
    m_announcer->AddFile(kind);
    m_announcer->AddFile("victory");
    m_announcer->AddFile(m_playerPhrase[winner - 1]);
}

Step<> Game::showResult(const std::string& text, const std::string& caption) {
    // Only trivially copied values go into an awaited expression: GCC 12
    // copies its temporaries into the coroutine's frame byte by byte.
    const Question question{text, caption, 33, false};
    auto shown = m_steps.ask<int>(
        [this, &question](auto answer) { m_view.ask(question, std::move(answer)); });
    const int answer = co_await shown;
    if (answer != 0) {
        playOk();
        m_announcer->Clear();
    }
}

// The match's verdict by points, else by the weighted disc totals: its
// caption and text, with its phrases queued.
std::pair<std::string, std::string> Game::matchVerdict() {
    const auto [p1, p2] = m_points;
    const auto [d1, d2] = m_discTotals;
    auto numbers = [this](int a, int b) {
        m_announcer->Number(a);
        m_announcer->Number(b);
    };
    if (p1 != p2) {
        const int winner = p1 > p2 ? 1 : 2;
        sayVictory("global", winner);
        m_announcer->AddFile("schet");
        numbers(std::max(p1, p2), std::min(p1, p2));
        return {"ПОЛНАЯ   ПОБЕДА!",
                "Выиграл " + playerName(winner) + "." + kBreak +
                    "Со счётом: " + Two(std::max(p1, p2), "/", std::min(p1, p2)) + "." + kBreak};
    }
    if (d1 != d2) {
        const int winner = d1 > d2 ? 1 : 2;
        sayVictory("conditional", winner);
        m_announcer->AddFile("schet");
        numbers(p1, p2);
        m_announcer->AddFile("balls");
        m_announcer->Number(std::max(d1, d2));
        m_announcer->AddFile("opponent");
        m_announcer->Number(std::min(d1, d2));
        return {"УСЛОВНАЯ   ПОБЕДА!",
                "Выиграл " + playerName(winner) + "." + kBreak + "Счёт: " + Two(p1, "/", p2) + "." +
                    kBreak + "Очей: " + Two(std::max(d1, d2), " против ", std::min(d1, d2)) + "."};
    }
    m_announcer->AddFile("absolut");
    m_announcer->AddFile("schet");
    numbers(p1, p2);
    m_announcer->AddFile("balls");
    numbers(d1, d2);
    return {"АБСОЛЮТНАЯ  НЕ ЧЬЯ!!",
            "Счёт: " + Two(p1, "/", p2) + "." + kBreak + "Очей: " + Two(d1, " против ", d2) + "."};
}

}  // namespace korvel
