// The menu's load choice: a saved game chosen by ear and played on.
#include "app/Assembly.h"
#include "ui/GameFilesDialog.h"

namespace korvel {

void Assembly::LoadGame() {
    const std::vector<SlotFile> files = GamesToLoad(m_services.folders.user, *m_announcer);
    if (files.empty()) {
        return;
    }
    ShowMenu(false);
    ChooseSavedGame(m_dialogs, *m_announcer, files, [this](const std::string& record) {
        if (record.empty()) {
            m_announcer->Clear();
            ShowMenu(true);
            return;
        }
        m_board->show();
        m_window->activateWindow();
        m_board->focusBoard();
        PlaySavedGame(m_settings, game(), record);
    });
}

}  // namespace korvel
