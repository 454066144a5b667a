// The menu's load choice: a saved game chosen by ear and played on.
#include <algorithm>

#include "Assembly.h"
#include "GameFilesDialog.h"

namespace korvel {

void Assembly::LoadGame() {
    const std::vector<SlotFile> files = ListSlots(m_services.folders.user);
    m_mm->StopSound();
    if (std::none_of(files.begin(), files.end(), [](const SlotFile& f) { return f.valid(); })) {
        m_mm->AddFile("noload");
        return;
    }
    ShowMenu(false);
    const std::string record = ChooseSavedGame(m_dialogs, *m_mm, files);
    if (record.empty()) {
        m_mm->Clear();
        ShowMenu(true);
        return;
    }
    ReverControl& rever = *m_rever;
    // The names are not saved: a two-player game gets those of the settings.
    rever.Gamer(m_settings.GetIni("Game", "gamer1"), 1);
    rever.Gamer(m_settings.GetIni("Game", "gamer2"), 2);
    rever.show();
    m_window->activateWindow();
    rever.focusBoard();
    m_mm->Clear();
    m_mm->StopSound();
    rever.LoadingReverGame(record);
}

}  // namespace korvel
