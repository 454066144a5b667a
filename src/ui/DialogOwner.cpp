#include "ui/DialogOwner.h"

#include <QApplication>
#include <QScreen>
#include <QWindow>

namespace korvel {

DialogOwner::DialogOwner() : m_owner(QApplication::activeWindow()) {
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
    if (m_owner && disableOwner) {
        m_owner->setEnabled(false);
    }
}

void DialogOwner::restore() {
    if (!m_owner) {
        return;
    }
    m_owner->setEnabled(true);
    m_owner->activateWindow();
    if (m_focus) {
        m_focus->setFocus(Qt::OtherFocusReason);
    } else {
        m_owner->setFocus(Qt::OtherFocusReason);
    }
}

}  // namespace korvel
