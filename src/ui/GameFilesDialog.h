#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "game/DialogModels.h"
#include "records/SavedGameRecord.h"

class QListWidget;
class QPushButton;

namespace korvel {

class Clock;
class DialogHost;
class Announcer;

// The game-files window: the list of saved games and free slots with the
// buttons "Да" and "Нет", built afresh for each choice. It
// owns its controls; the announcer is borrowed while open. What its keys do
// and say is the SlotList's (game/DialogModels.h); the window shows it.
class GameFilesDialog : public QWidget {
  public:
    GameFilesDialog(Announcer* announcer, std::string word);
    ~GameFilesDialog() override;

    QListWidget* list() const { return m_list; }
    QPushButton* yesButton() const { return m_butt1; }
    QPushButton* noButton() const { return m_butt2; }

    void setItems(const QStringList& items);
    // What the window does when it comes up: the phrase, then, kActivatePause
    // later, the first item selected and named.
    static constexpr int kActivatePause = SlotList::kActivatePause;
    void announce() { m_model.announce(); }
    void selectFirst();

    // 0 while waiting, 1 after "Да", 2 after "Нет" or a close by the window manager.
    std::int16_t result() const { return static_cast<std::int16_t>(m_model.result()); }
    // The selected list position, 1-based; 0 with none.
    int chosen() const { return m_model.row() + 1; }
    // Forgets the announcer: the window says nothing more.
    void detach() { m_model.detach(); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    bool handleKey(QKeyEvent* event);
    // The control's place in the Tab ring: 0 the list, 1 and 2 the buttons.
    int controlOf(const QObject* control) const;

    QListWidget* m_list = nullptr;
    QPushButton* m_butt1 = nullptr;
    QPushButton* m_butt2 = nullptr;
    Announcer* m_announcer = nullptr;
    std::string m_word;
    SlotList m_model;
};

// The save flow: every slot file and a new slot past the highest. The dialog
// shows and this returns at once; `chosen` gets "lok" + the chosen slot
// number, or empty text when cancelled, when the player answers.
void ChooseSaveSlot(DialogHost& host, Announcer& announcer,
                    std::function<void(std::string)> chosen);

// The load flow over `files`, offering only the valid records under their own
// slot numbers. The dialog shows and this returns at once; `chosen` gets the
// decoded record chosen, or empty text when cancelled, when the player answers.
void ChooseSavedGame(DialogHost& host, Announcer& announcer, const std::vector<SlotFile>& files,
                     std::function<void(std::string)> chosen);

}  // namespace korvel
