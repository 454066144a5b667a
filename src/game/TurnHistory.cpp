#include "game/TurnHistory.h"

#include "core/CommonRoutines.h"
#include "voice/Announcer.h"

namespace korvel {

void TurnHistory::note(int player, int col, int row, int flips) {
    m_notes.byPlayer[player - 1] = Note{col, row, flips};
    m_notes.lastPlayer = player;
}

void TurnHistory::keep(Point point) {
    point.turns = m_notes;
    m_points.push_back(std::move(point));
}

std::optional<TurnHistory::Point> TurnHistory::takeBack() {
    if (m_points.empty()) {
        return std::nullopt;
    }
    Point point = std::move(m_points.back());
    m_points.pop_back();
    m_notes = point.turns;
    return point;
}

void TurnHistory::forget() {
    m_notes = {};
    m_points.clear();
}

void TurnHistory::say(Announcer& announcer, const std::array<std::string, 2>& playerPhrases) const {
    announcer.Clear();
    if (m_notes.lastPlayer == 0) {
        announcer.AddFile("nolast");
        return;
    }
    for (const int player : {m_notes.lastPlayer, 3 - m_notes.lastPlayer}) {
        const std::optional<Note>& turn = m_notes.byPlayer[player - 1];
        if (!turn) {
            continue;
        }
        announcer.AddFile(playerPhrases[player - 1]);
        if (turn->col == 0) {
            announcer.AddFile("passed");
            continue;
        }
        announcer.AddFile(std::string(1, static_cast<char>('A' + turn->col - 1)));
        announcer.Number(turn->row);
        announcer.AddFile("flipped");
        announcer.Number(turn->flips, Gender::Feminine);
    }
}

}  // namespace korvel
