// The board's reading keys and controls beyond the original key set: legal
// moves (L), last turns (R), the cursor's row and column (E, H), a hint (S),
// the announcer's speed ([ and ]), the music's level (- and =) and taking a
// move back (Backspace). Like the other keys they act only while no move,
// computer turn, dialog or pause is under way, and cut the announcer first.
#include "CommonRoutines.h"
#include "ComputerMove.h"
#include "MusicList.h"
#include "ReverControl.h"

namespace korvel {
namespace {

std::string ColumnPhrase(int col) {
    return std::string(1, static_cast<char>('A' + col - 1));
}

}  // namespace

void ReverControl::sayCellName(int col, int row) {
    m_mm->AddFile(ColumnPhrase(col));
    m_mm->Number(row);
}

void ReverControl::sayLegalMoves() {
    if (!idle()) {
        return;
    }
    m_mm->Clear();
    std::vector<std::pair<int, int>> cells;
    for (int col = 1; col <= kBoardSize; ++col) {
        for (int row = 1; row <= kBoardSize; ++row) {
            if (CountFlips(m_board, col, row, m_curPlayer) > 0) {
                cells.emplace_back(col, row);
            }
        }
    }
    if (cells.empty()) {
        m_mm->AddFile("nomoves");
        return;
    }
    m_mm->AddFile("moves");
    m_mm->Number(static_cast<std::int32_t>(cells.size()));
    for (const auto& [col, row] : cells) {
        sayCellName(col, row);
    }
}

void ReverControl::sayLastTurns() {
    if (!idle()) {
        return;
    }
    m_mm->Clear();
    if (m_turns.lastPlayer == 0) {
        m_mm->AddFile("nolast");
        return;
    }
    for (const int player : {m_turns.lastPlayer, 3 - m_turns.lastPlayer}) {
        const std::optional<TurnNote>& note = m_turns.byPlayer[player - 1];
        if (!note) {
            continue;
        }
        m_mm->AddFile(m_playerPhrase[player - 1]);
        if (note->col == 0) {
            m_mm->AddFile("passed");
            continue;
        }
        sayCellName(note->col, note->row);
        m_mm->AddFile("flipped");
        m_mm->Number(note->flips, Gender::Feminine);
    }
}

void ReverControl::sayLine(bool row) {
    if (!idle()) {
        return;
    }
    m_mm->Clear();
    if (row) {
        m_mm->AddFile("row");
        m_mm->Number(m_cursorRow);
    } else {
        m_mm->AddFile("column");
        m_mm->AddFile(ColumnPhrase(m_cursorCol));
    }
    bool any = false;
    for (int k = 1; k <= kBoardSize; ++k) {
        const int col = row ? k : m_cursorCol;
        const int r = row ? m_cursorRow : k;
        const CellCode code = m_board.at(col, r);
        if (code != 1 && code != 2) {
            continue;
        }
        any = true;
        if (row) {
            m_mm->AddFile(ColumnPhrase(col));
        } else {
            m_mm->Number(r);
        }
        m_mm->AddFile("fishka" + std::to_string(code));
    }
    if (!any) {
        m_mm->AddFile("empty");
    }
}

void ReverControl::hintKey() {
    if (!idle()) {
        return;
    }
    m_mm->Clear();
    // In a staged match a hint could decide the match.
    if (m_Tip > 2) {
        m_mm->AddFile("unavailable");
        return;
    }
    const std::string cell = MasterHint(m_board, m_curPlayer, m_Hod);
    if (cell.size() != 2) {
        m_mm->AddFile("nomoves");
        return;
    }
    const int col = cell[0] - '0';
    const int row = cell[1] - '0';
    m_mm->AddFile("hint");
    sayCellName(col, row);
    m_mm->AddFile("hintflips");
    m_mm->Number(CountFlips(m_board, col, row, m_curPlayer), Gender::Feminine);
}

void ReverControl::stepRate(int direction) {
    if (!idle()) {
        return;
    }
    m_mm->Clear();
    m_mm->setRate(m_mm->Rate() + direction * MusicList::kRateStep);
    m_mm->AddFile("rate");
    m_mm->Number(m_mm->Rate());
    m_mm->AddFile("percent");
}

void ReverControl::stepMusicVolume(int direction) {
    if (!idle()) {
        return;
    }
    m_mm->Clear();
    m_mm->setMusicVolume(m_mm->MusicVolume() + direction * MusicList::kVolumeStep);
    const int db = m_mm->MusicVolume();
    m_mm->AddFile("musvol");
    if (db == 0) {
        m_mm->AddFile("global");  // "полная"
    } else if (db == MusicList::kVolumeSilent) {
        m_mm->AddFile("silent");
    } else {
        m_mm->AddFile("minus");
        m_mm->Number(-db);
        m_mm->AddFile("decibel");
    }
}

void ReverControl::takeBackKey() {
    if (!idle()) {
        return;
    }
    m_mm->Clear();
    // Only a single untimed game: a clock or a match score would be cheated.
    if (m_Tip != 1 || m_takeBack.empty()) {
        m_mm->AddFile("unavailable");
        return;
    }
    const TakeBackPoint point = m_takeBack.back();
    m_takeBack.pop_back();
    m_board = point.board;
    m_passCount = point.passCount;
    m_timeLeft = point.timeLeft;
    m_turns = point.turns;
    RedrawDiscs();
    updateLabels();
    m_mm->AddFile("takeback");
    setHod(point.hod);
    SetPlayer(point.curPlayer);
    setCursor(point.cursorCol, point.cursorRow);
    m_mm->AddFile("position");
    SayCell(false);
}

void ReverControl::noteTurn(int player, int col, int row, int flips) {
    m_turns.byPlayer[player - 1] = TurnNote{col, row, flips};
    m_turns.lastPlayer = player;
}

void ReverControl::noteTakeBackPoint() {
    m_takeBack.push_back(TakeBackPoint{m_board, m_Hod, m_curPlayer, m_passCount, m_timeLeft,
                                       m_cursorCol, m_cursorRow, m_turns});
}

void ReverControl::forgetTurns() {
    m_turns = {};
    m_takeBack.clear();
}

}  // namespace korvel
