// The score of games and staged matches, and the results said and shown.
#include "game/MatchScore.h"

#include <algorithm>

#include "voice/Announcer.h"

namespace korvel {
namespace {

constexpr const char* kBreak = "\r\n";

// "a<between>b", as the result texts give two numbers.
std::string Two(int a, const char* between, int b) {
    return std::to_string(a) + between + std::to_string(b);
}

// "victoria" (a game), "global" or "conditional" (a match): won by the player
// of `phrase`.
void SayVictory(Announcer& announcer, const char* kind, const std::string& phrase) {
    announcer.AddFile(kind);
    announcer.AddFile("victory");
    announcer.AddFile(phrase);
}

}  // namespace

MatchScore::Result MatchScore::addGame(const DiscCount& count, int stage, bool staged,
                                       Announcer& announcer, const Players& players) {
    const int w1 = count.white * stage;
    const int w2 = count.black * stage;
    m_discTotals[0] += w1;
    m_discTotals[1] += w2;
    Result result;
    std::string& text = result.text;
    std::string& caption = result.caption;
    if (w1 != w2) {
        const int winner = w1 > w2 ? 1 : 2;
        const int high = std::max(w1, w2);
        const int low = std::min(w1, w2);
        SayVictory(announcer, "victoria", players.phrases[winner - 1]);
        announcer.Number(high);
        announcer.Number(low);
        m_points[winner - 1] += 2;
        text = "Выиграл  " + players.names[winner - 1] + "!" + kBreak +
               "Со счётом:   " + Two(high, ",", low) + ".";
        caption = "ПОБЕДА!";
        result.winner = winner;
    } else {
        announcer.AddFile("whose");
        announcer.AddFile("balls");
        announcer.Number(w1);
        announcer.Number(w2);
        ++m_points[0];
        ++m_points[1];
        text = "Очей: " + Two(w1, "/", w2) + "." + kBreak;
        caption = "НЕ ЧЬЯ!";
    }
    if (staged) {
        announcer.AddFile("schet");
        announcer.Number(m_points[0]);
        announcer.Number(m_points[1]);
        if (!text.ends_with(kBreak)) {
            text += kBreak;  // the score goes on a line of its own after a win too
        }
        text += "Счёт: " + Two(m_points[0], "/", m_points[1]) + "." + kBreak;
        announcer.AddFile("alls");
        announcer.Number(m_discTotals[0]);
        announcer.Number(m_discTotals[1]);
        announcer.AddFile("ok");
        text += "Всего: " + Two(m_discTotals[0], "/", m_discTotals[1]) + ".";
    }
    return result;
}

MatchScore::Result MatchScore::verdict(Announcer& announcer, const Players& players) const {
    const auto [p1, p2] = m_points;
    const auto [d1, d2] = m_discTotals;
    auto numbers = [&announcer](int a, int b) {
        announcer.Number(a);
        announcer.Number(b);
    };
    if (p1 != p2) {
        const int winner = p1 > p2 ? 1 : 2;
        SayVictory(announcer, "global", players.phrases[winner - 1]);
        announcer.AddFile("schet");
        numbers(std::max(p1, p2), std::min(p1, p2));
        return {"ПОЛНАЯ   ПОБЕДА!",
                "Выиграл " + players.names[winner - 1] + "." + kBreak +
                    "Со счётом: " + Two(std::max(p1, p2), "/", std::min(p1, p2)) + "." + kBreak};
    }
    if (d1 != d2) {
        const int winner = d1 > d2 ? 1 : 2;
        SayVictory(announcer, "conditional", players.phrases[winner - 1]);
        announcer.AddFile("schet");
        numbers(p1, p2);
        announcer.AddFile("balls");
        announcer.Number(std::max(d1, d2));
        announcer.AddFile("opponent");
        announcer.Number(std::min(d1, d2));
        return {"УСЛОВНАЯ   ПОБЕДА!",
                "Выиграл " + players.names[winner - 1] + "." + kBreak +
                    "Счёт: " + Two(p1, "/", p2) + "." + kBreak +
                    "Очей: " + Two(std::max(d1, d2), " против ", std::min(d1, d2)) + "."};
    }
    announcer.AddFile("absolut");
    announcer.AddFile("schet");
    numbers(p1, p2);
    announcer.AddFile("balls");
    numbers(d1, d2);
    return {"АБСОЛЮТНАЯ  НЕ ЧЬЯ!!",
            "Счёт: " + Two(p1, "/", p2) + "." + kBreak + "Очей: " + Two(d1, " против ", d2) + "."};
}

void Match::begin(const GameSetup& setup) {
    const int level = m_setup.level;
    m_setup = setup;
    if (setup.opponent != 2) {
        m_setup.level = level;
    }
    m_stage = 1;
    m_firstPlayer = 1;
    m_score.clear();
}

void Match::restore(const SavedGame& game) {
    m_setup.opponent = game.game;
    m_setup.gameType = game.gameType;
    m_setup.secondsPerMove = game.times;
    if (game.level != 0) {
        m_setup.level = game.level;
    }
    m_stage = game.stage;
    m_firstPlayer = 1;
    m_score.restore(game.points, game.discTotals);
}

void Match::startFrom(int mover) {
    if (m_stage == 1) {
        m_firstPlayer = mover;
    }
}

MatchScore::Result Match::endGame(const DiscCount& count, Announcer& announcer,
                                  const MatchScore::Players& players) {
    MatchScore::Result result = m_score.addGame(count, m_stage, staged(), announcer, players);
    if (result.winner != 0) {
        m_firstPlayer = result.winner;
    }
    ++m_stage;
    return result;
}

}  // namespace korvel
