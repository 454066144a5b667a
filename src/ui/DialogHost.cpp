#include "ui/DialogHost.h"

namespace korvel {

DialogHost::DialogHost(Clock& clock, Folders folders)
    : m_clock(clock), m_folders(std::move(folders)) {}

void DialogHost::report(const DialogRecord& record) const {
    if (observer) {
        observer(record);
    }
}

}  // namespace korvel
