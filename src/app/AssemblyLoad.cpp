// The menu's load choice: a saved game chosen by ear and played on.
#include <algorithm>

#include "app/Assembly.h"
#include "ui/GameFilesDialog.h"

namespace korvel {

void Assembly::LoadGame() {
    const std::vector<SlotFile> files = ListSlots(m_services.folders.user);
    m_announcer->StopSound();
    if (std::none_of(files.begin(), files.end(), [](const SlotFile& f) { return f.valid(); })) {
        m_announcer->AddFile("noload");
        return;
    }
    ShowMenu(false);
    ChooseSavedGame(m_dialogs, *m_announcer, files, [this](const std::string& record) {
        if (record.empty()) {
            m_announcer->Clear();
            ShowMenu(true);
            return;
        }
        // The names are not saved: a two-player game gets those of the settings.
        game().setPlayerPhrase(1, m_settings.GetIni("Game", "gamer1"));
        game().setPlayerPhrase(2, m_settings.GetIni("Game", "gamer2"));
        m_board->show();
        m_window->activateWindow();
        m_board->focusBoard();
        m_announcer->Clear();
        m_announcer->StopSound();
        game().load(record);
    });
}

}  // namespace korvel
