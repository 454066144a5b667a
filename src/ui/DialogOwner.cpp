#include "ui/DialogOwner.h"

#include <QApplication>
#include <QScreen>
#include <QWindow>

namespace korvel {

namespace {

// The last window a closing dialog gave the keyboard back to.
QPointer<QWidget> g_lastRestored;

// The window the player is in. A dialog that has just closed gave the keyboard
// back to its owner, but the window system confirms that only later: until
// then the active window is none, or the closed dialog. A dialog opened at once
// after another (the save list after "Сохранить игру?") is shown over that
// owner, so that closing it gives the keyboard back to a window that is there.
QWidget* PlayersWindow() {
    QWidget* active = QApplication::activeWindow();
    if ((active == nullptr || !active->isVisible()) && g_lastRestored &&
        g_lastRestored->isVisible()) {
        return g_lastRestored;
    }
    return active;
}

// The part of `window` that takes the keyboard now: the first shown, enabled
// one that takes keys.
QWidget* PartTakingKeys(QWidget& window) {
    for (QWidget* part : window.findChildren<QWidget*>()) {
        if (part->isVisible() && part->isEnabled() && (part->focusPolicy() & Qt::TabFocus) != 0) {
            return part;
        }
    }
    return &window;
}

}  // namespace

DialogOwner::DialogOwner(DialogHost& host) : m_host(host), m_owner(host.topWindow()) {
    if (!m_owner) {
        m_owner = PlayersWindow();
    }
    m_focus = m_owner ? m_owner->focusWidget() : nullptr;
}

void DialogOwner::show(QWidget& form, bool disableOwner) {
    QScreen* screen = m_owner ? m_owner->screen() : QGuiApplication::primaryScreen();
    if (screen != nullptr) {
        const QRect area = screen->geometry();
        form.move(area.x() + (area.width() - form.width()) / 2,
                  area.y() + (area.height() - form.height()) / 2);
    }
    if (m_owner) {
        form.winId();
        form.windowHandle()->setTransientParent(m_owner->windowHandle());
    }
    form.show();
    form.raise();
    form.activateWindow();
    m_form = &form;
    m_host.dialogShown(form);
    if (m_owner && disableOwner) {
        m_owner->setEnabled(false);
    }
}

void DialogOwner::restore() {
    if (m_form) {
        m_host.dialogClosed(*m_form);
    }
    if (!m_owner) {
        return;
    }
    m_owner->setEnabled(true);
    QWidget* beneath = m_owner->isVisible() ? m_owner.data() : m_host.topWindow();
    if (beneath == nullptr) {
        return;
    }
    beneath->activateWindow();
    g_lastRestored = beneath;
    const bool focusShown =
        m_focus && m_focus->window() == beneath && m_focus->isVisible() && m_focus->isEnabled();
    (focusShown ? m_focus.data() : PartTakingKeys(*beneath))->setFocus(Qt::OtherFocusReason);
}

QString DialogButtonStyle(const char* colour) {
    return QStringLiteral(
               "QPushButton { background-color: %1; color: black; font-weight: bold;"
               " border: 1px solid black; }"
               " QPushButton:focus { background-color: rgb(0, 0, 128);"
               " color: rgb(255, 255, 0); border: 2px solid white; }")
        .arg(QLatin1String(colour));
}

DialogKey ToDialogKey(int qtKey) {
    switch (qtKey) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return DialogKey::Enter;
        case Qt::Key_Space:
            return DialogKey::Space;
        case Qt::Key_Escape:
            return DialogKey::Escape;
        case Qt::Key_Tab:
            return DialogKey::Tab;
        case Qt::Key_Backtab:
            return DialogKey::Backtab;
        case Qt::Key_Left:
            return DialogKey::Left;
        case Qt::Key_Right:
            return DialogKey::Right;
        case Qt::Key_Up:
            return DialogKey::Up;
        case Qt::Key_Down:
            return DialogKey::Down;
        case Qt::Key_Home:
            return DialogKey::Home;
        case Qt::Key_End:
            return DialogKey::End;
        default:
            return DialogKey::Other;
    }
}

}  // namespace korvel
