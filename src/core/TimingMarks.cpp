#include "core/TimingMarks.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace korvel {
namespace {

struct MarkFile {
    MarkFile() {
        if (const char* name = std::getenv("KORVEL_TRACE"); name != nullptr && *name != '\0') {
            file = std::fopen(name, "a");
        }
    }
    ~MarkFile() {
        if (file != nullptr) {
            std::fclose(file);
        }
    }
    MarkFile(const MarkFile&) = delete;
    MarkFile& operator=(const MarkFile&) = delete;

    std::FILE* file = nullptr;
    std::mutex mutex;
};

MarkFile& Marks() {
    static MarkFile marks;
    return marks;
}

}  // namespace

bool TimingMarksOn() {
    return Marks().file != nullptr;
}

void TimingMark(std::string_view what) {
    MarkFile& marks = Marks();
    if (marks.file == nullptr) {
        return;
    }
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    const long long us = std::chrono::duration_cast<std::chrono::microseconds>(now).count();
    std::lock_guard lock(marks.mutex);
    std::fprintf(marks.file, "%lld %.*s\n", us, static_cast<int>(what.size()), what.data());
    std::fflush(marks.file);
}

}  // namespace korvel
