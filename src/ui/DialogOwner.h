#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include "game/DialogModels.h"

namespace korvel {

// The program window a dialog is shown over: the active window when the
// dialog is made, or none when the player is in another program (then the
// owner's steps are skipped). While the dialog shows, the owner is disabled
// (unless asked otherwise), so its keys cannot arrive; when it closes the owner
// is enabled again and gets the keyboard back where it had it.
class DialogOwner {
  public:
    DialogOwner();

    // Centres `form` on the screen, shows it over the owner and gives it the
    // keyboard. Not every window manager (nor a bare X server) gives a new
    // window the keyboard by itself, and a player who cannot see it must never
    // be left typing into a disabled window.
    void show(QWidget& form, bool disableOwner = true);
    // Enables the owner and gives it the keyboard back.
    void restore();

  private:
    QPointer<QWidget> m_owner;
    QPointer<QWidget> m_focus;
};

// The look of every dialog button: black bold text on `colour` (a style sheet
// colour), navy with yellow text and a white frame while focused, so that the
// focus is plain to a weak eye.
QString DialogButtonStyle(const char* colour);

// The dialog key a Qt key stands for.
DialogKey ToDialogKey(int qtKey);

}  // namespace korvel
