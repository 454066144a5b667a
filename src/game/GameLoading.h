#pragma once

#include "game/Steps.h"
#include "game/TableParts.h"
#include "records/SavedGameRecord.h"
#include "rules/Rules.h"

namespace korvel {

// A saved game coming back by ear: its discs row by row, each at its place,
// then its kind, stage, clock, score, move and cursor, said as they return.
class GameLoading {
  public:
    explicit GameLoading(LoadingTable& table) : m_table(table) {}

    Step<> restoreDiscs(const Board& saved);
    void announce(const SavedGame& game);

  private:
    LoadingTable& m_table;
};

}  // namespace korvel
