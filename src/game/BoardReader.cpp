#include "game/BoardReader.h"

#include <string>
#include <utility>
#include <vector>

#include "opponent/ComputerMove.h"
#include "voice/Announcer.h"

namespace korvel {
namespace {

std::string ColumnPhrase(int col) {
    return std::string(1, static_cast<char>('A' + col - 1));
}

}  // namespace

void BoardReader::cellName(int col, int row) {
    m_announcer.AddFile(ColumnPhrase(col));
    m_announcer.Number(row);
}

void BoardReader::cell(int col, int row) {
    cellName(col, row);
    const CellCode code = m_board.at(col, row);
    if (code == 1 || code == 2) {
        m_announcer.AddFile("fishka" + std::to_string(code));
    }
}

void BoardReader::legalMoves(int player) {
    m_announcer.Clear();
    std::vector<std::pair<int, int>> cells;
    for (int col = 1; col <= kBoardSize; ++col) {
        for (int row = 1; row <= kBoardSize; ++row) {
            if (CountFlips(m_board, col, row, player) > 0) {
                cells.emplace_back(col, row);
            }
        }
    }
    if (cells.empty()) {
        m_announcer.AddFile("nomoves");
        return;
    }
    m_announcer.AddFile("moves");
    m_announcer.Number(static_cast<std::int32_t>(cells.size()));
    for (const auto& [col, row] : cells) {
        cellName(col, row);
    }
}

void BoardReader::line(int col, int row, bool wholeRow) {
    m_announcer.Clear();
    if (wholeRow) {
        m_announcer.AddFile("row");
        m_announcer.Number(row);
    } else {
        m_announcer.AddFile("column");
        m_announcer.AddFile(ColumnPhrase(col));
    }
    bool any = false;
    for (int k = 1; k <= kBoardSize; ++k) {
        const int c = wholeRow ? k : col;
        const int r = wholeRow ? row : k;
        const CellCode code = m_board.at(c, r);
        if (code != 1 && code != 2) {
            continue;
        }
        any = true;
        if (wholeRow) {
            m_announcer.AddFile(ColumnPhrase(c));
        } else {
            m_announcer.Number(r);
        }
        m_announcer.AddFile("fishka" + std::to_string(code));
    }
    if (!any) {
        m_announcer.AddFile("empty");
    }
}

void BoardReader::hint(int player, int moveNumber) {
    const std::string cell = MasterHint(m_board, player, moveNumber);
    if (cell.size() != 2) {
        m_announcer.AddFile("nomoves");
        return;
    }
    const int col = cell[0] - '0';
    const int row = cell[1] - '0';
    m_announcer.AddFile("hint");
    cellName(col, row);
    m_announcer.AddFile("hintflips");
    m_announcer.Number(CountFlips(m_board, col, row, player), Gender::Feminine);
}

void BoardReader::discCounts() {
    const DiscCount count = CountDiscs(m_board);
    m_announcer.Clear();
    m_announcer.AddFile("color1");
    m_announcer.Number(count.white, Gender::Feminine);
    m_announcer.AddFile("color2");
    m_announcer.Number(count.black, Gender::Feminine);
}

// C: the free cells, counted only: the game's end is the move's to find.
void BoardReader::freeCells() {
    m_announcer.Clear();
    m_announcer.AddFile("free");
    m_announcer.Number(64 - CountDiscs(m_board).total(), Gender::Feminine);
}

}  // namespace korvel
