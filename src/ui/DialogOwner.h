#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <utility>

#include "core/Clock.h"
#include "ui/DialogHost.h"

#include "game/DialogModels.h"

namespace korvel {

// The program window a dialog is shown over: the window of the program on top
// (the dialog shown last, else the main window), or, for a host that knows no
// shown window, the active one (none when the player is in another program:
// then the owner's steps are skipped). While the dialog shows, the owner is
// disabled (unless asked otherwise), so its keys cannot arrive; when it closes
// the owner is enabled again and the keyboard goes back to the window beneath.
class DialogOwner {
  public:
    explicit DialogOwner(DialogHost& host);

    // Centres `form` on the screen, shows it over the owner and gives it the
    // keyboard. Not every window manager (nor a bare X server) gives a new
    // window the keyboard by itself, and a player who cannot see it must never
    // be left typing into a disabled window.
    void show(QWidget& form, bool disableOwner = true);
    // Enables the owner and gives the keyboard to the window beneath: the
    // owner where it had it, or, when that part is gone from sight (the board
    // came meanwhile), the first part of the window that takes keys.
    void restore();

  private:
    DialogHost& m_host;
    QPointer<QWidget> m_owner;
    QPointer<QWidget> m_focus;
    QPointer<QWidget> m_form;
};

// What lives while a dialog of the form class `Form` is open, shared by the
// waits that refer to it and freed once it is answered: the owner it shows
// over, the form, the record the tests read, the wait for the answer and the
// step that closes it and passes the answer on.
template <class Form>
struct OpenDialog {
    template <class... FormArgs>
    explicit OpenDialog(DialogHost& host, FormArgs&&... args)
        : owner(host), form(std::forward<FormArgs>(args)...) {}

    DialogOwner owner;
    Form form;
    DialogRecord record;
    Clock::TimerId watch = 0;
    std::function<void()> finish;

    // Runs `finish` once `answered(form)` holds. `keep`, the shared pointer
    // holding this, keeps it alive until then.
    template <class Answered>
    void finishWhen(Clock& clock, std::shared_ptr<void> keep, Answered answered) {
        watch = clock.resumeWhen([this, answered] { return answered(form); },
                                 [this, keep = std::move(keep)] { finish(); });
    }

    // Closes the dialog at once as the window manager closes it and finishes
    // it; the caller holds it meanwhile.
    void closeNow(Clock& clock) {
        clock.stopTimer(watch);
        form.close();
        finish();
    }
};

// The look of every dialog button: black bold text on `colour` (a style sheet
// colour), navy with yellow text and a white frame while focused, so that the
// focus is plain to a weak eye.
QString DialogButtonStyle(const char* colour);

// The dialog key a Qt key stands for.
DialogKey ToDialogKey(int qtKey);

}  // namespace korvel
