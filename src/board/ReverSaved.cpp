// The board's saved games: F2's save into a slot and the loading of a chosen game.
#include <system_error>

#include "BoardPicture.h"
#include "GameFilesDialog.h"
#include "MusicList.h"
#include "PlayerPanel.h"
#include "ReverControl.h"

namespace korvel {

SavedGame ReverControl::SavedState() const {
    SavedGame game;
    game.game = m_Game;
    game.tip = m_Tip;
    game.tur = m_Tur;
    game.times = m_Times;
    game.timeLeft = m_timeLeft;
    game.hod = m_Hod;
    game.curPlayer = m_curPlayer;
    game.cursorCol = m_cursorCol;
    game.cursorRow = m_cursorRow;
    game.points = {m_points[0], m_points[1]};
    game.discTotals = {m_discTotals[0], m_discTotals[1]};
    // A two-player game keeps no level: loading one would rename player 2.
    game.level = m_Game == 2 ? m_Level : 0;
    game.board = m_board;
    return game;
}

ReverControl::SaveResult ReverControl::SaveGame() {
    stopTimeCel();
    m_busy = true;
    const std::string record = BuildRecord(SavedState());
    const std::filesystem::path folder = GamesFolder(m_folders.user);
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    const std::string slot = ChooseSaveSlot(m_dialogs, *m_mm);
    SaveResult result = SaveResult::Cancelled;
    if (!slot.empty()) {
        result = WriteSlotFile(folder / (slot + ".rsg"), record) ? SaveResult::Saved
                                                                 : SaveResult::Failed;
    }
    m_pict->setFocus();
    startTimeCel();
    // When the computer is to move, its turn clears Busy.
    m_busy = m_Game == 2 && m_curPlayer == 2;
    return result;
}

void ReverControl::LoadingReverGame(const std::string& record) {
    const std::optional<SavedGame> parsed = ParseRecord(record);
    if (!parsed || m_mm == nullptr) {
        return;
    }
    const SavedGame& game = *parsed;
    m_busy = true;
    stopTimeCel();
    m_info->hide();
    m_mm->Clear();
    m_mm->StopSound();
    for (auto* panel : m_picthod) {
        panel->Imghod->hide();
    }

    // The position comes back audibly, row by row, each disc at its place.
    m_board.clear();
    RedrawDiscs();
    const int halfPause = static_cast<int>(RoundHalfEven(m_RevPause / 2.0));
    for (int row = 1; row <= 8; ++row) {
        for (int col = 1; col <= 8; ++col) {
            const CellCode code = game.board.at(col, row);
            m_board.at(col, row) = code;
            RedrawDiscs();
            if (code == 1 || code == 2) {
                cellEffect(m_fishka[code], col, row, -500, 20000, 500);
                m_clock.processEvents();
                m_clock.sleep(halfPause);
            }
        }
    }
    m_points = {static_cast<std::int16_t>(game.points[0]),
                static_cast<std::int16_t>(game.points[1])};
    m_discTotals = {static_cast<std::int16_t>(game.discTotals[0]),
                    static_cast<std::int16_t>(game.discTotals[1])};

    m_mm->Clear();
    m_mm->AddFile("velcome");
    setGame(static_cast<std::int16_t>(game.game));
    m_mm->AddFile("menu" + std::to_string(game.game));
    setTip(static_cast<std::int16_t>(game.tip));
    m_mm->AddFile("tipe" + std::to_string(game.tip));
    setTur(static_cast<std::int16_t>(game.tur));
    setTurs(9);
    if (m_Tip > 2) {
        m_mm->AddFile("tur");
        m_mm->Number(m_Tur);
    }
    if (game.level != 0) {
        setLevel(static_cast<std::int16_t>(game.level));
    }
    setTimes(static_cast<std::int16_t>(game.times));
    if (m_Tip % 2 == 0 && m_Times > 0) {
        // The time per move, said as the W key says a time.
        sayDuration(0, m_Times / 60, m_Times % 60);
    }
    m_mm->AddFile("schet");
    m_mm->Number(m_points[0]);
    m_mm->Number(m_points[1]);
    m_mm->AddFile("alls");
    m_mm->Number(m_discTotals[0]);
    m_mm->Number(m_discTotals[1]);

    setHod(static_cast<std::int16_t>(game.hod));
    m_curPlayer = game.curPlayer;
    m_timeLeft = static_cast<std::int16_t>(game.timeLeft);
    setCursor(game.cursorCol, game.cursorRow);
    m_mm->AddFile("position");
    SayCell(false);
    SetPlayer(m_curPlayer);
    m_clock.waitUntil([this] { return m_mm == nullptr || m_mm->Count() <= 1; });

    // A loaded game never inherits the passes of the game played before it,
    // nor its turns: the record keeps none.
    m_passCount = -1;
    forgetTurns();
    updateLabels();
    startTimeCel();
    if (m_Game == 2 && m_curPlayer == 2) {
        ComputerTurn(true);
    } else {
        m_busy = false;
    }
}

}  // namespace korvel
