#include "ui/DialogHost.h"

#include <QWidget>
#include <algorithm>

namespace korvel {

DialogHost::DialogHost(Clock& clock, Folders folders)
    : m_clock(clock), m_folders(std::move(folders)) {}

void DialogHost::report(const DialogRecord& record) const {
    if (observer) {
        observer(record);
    }
}

QWidget* DialogHost::topWindow() const {
    for (auto it = m_dialogs.rbegin(); it != m_dialogs.rend(); ++it) {
        if (*it && (*it)->isVisible()) {
            return *it;
        }
    }
    return m_mainWindow && m_mainWindow->isVisible() ? m_mainWindow.data() : nullptr;
}

void DialogHost::dialogShown(QWidget& form) {
    dialogClosed(form);
    m_dialogs.emplace_back(&form);
}

void DialogHost::dialogClosed(const QWidget& form) {
    std::erase_if(m_dialogs, [&form](const QPointer<QWidget>& w) { return !w || w == &form; });
}

void DialogHost::closeMessage() {
    // The close runs the box's own finish, which empties the slot (and its
    // caller may open the next box there).
    if (const std::function<void()> close = m_message.close) {
        close();
    }
}

}  // namespace korvel
