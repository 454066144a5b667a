#pragma once

#include <array>
#include <filesystem>

#include "voice/SoundEffects.h"

namespace korvel {

// The board's own effects, placed by cell: pan by column, pitch by row, so the
// player hears where on the board a disc fell or the cursor stopped. It owns
// its effect buffers between loadEffects and releaseEffects.
class BoardSounds {
  public:
    void loadEffects(const std::filesystem::path& programFolder);
    void releaseEffects();

    // A disc of `code` (0 placed, 1 white, 2 black) landing on the cell.
    void disc(int code, int col, int row) const;
    void cursor(int col, int row) const;
    // The cursor met the board's edge at this cell.
    void border(int col, int row) const;
    // A move refused on this cell.
    void refused(int col, int row) const;
    // A question closed by its button.
    void ok() const;

  private:
    static void atCell(const EffectBuffer& effect, int col, int row, int volume, int freqBase,
                       int freqStep);

    EffectBuffer m_border, m_cursor, m_error, m_ok;
    std::array<EffectBuffer, 3> m_disc;
};

}  // namespace korvel
