#include "DialogHost.h"

namespace korvel {

DialogHost::DialogHost(Clock& clock, std::filesystem::path programFolder)
    : m_clock(clock), m_programFolder(std::move(programFolder)) {}

void DialogHost::report(const DialogRecord& record) const {
    if (observer) {
        observer(record);
    }
}

}  // namespace korvel
