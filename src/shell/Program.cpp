#include "Program.h"

#include <QApplication>
#include <QCursor>
#include <chrono>
#include <random>

#include "IniFile.h"
#include "MainWindow.h"
#include "QtClock.h"
#include "SingleInstanceGuard.h"
#include "Startup.h"
#include "Texts.h"

namespace korvel {
namespace {

// Milliseconds since the system started: the seed of the program's random generator.
std::uint32_t SystemTickCount() {
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

}  // namespace

int RunProgram(int argc, char** argv) {
    QApplication app(argc, argv);
    app.setApplicationName(QString::fromUtf8(kProgramTitle.data(),
                                             static_cast<int>(kProgramTitle.size())));

    SingleInstanceGuard guard;
    if (!guard.tryAcquire()) {
        ShowAlreadyRunningMessage();
        return 1;
    }

    std::mt19937 random(SystemTickCount());
    const std::filesystem::path executable =
        QCoreApplication::applicationFilePath().toStdString();
    const std::filesystem::path programFolder = AppFolder(executable);

    QtClock clock;
    MainWindow window;
    window.setCloseHandler([&clock] {
        clock.sleep(400);
        QGuiApplication::restoreOverrideCursor();
    });
    window.show();

    Settings settings(SettingsPath(programFolder));
    EnsureSettingsFile(settings);
    QGuiApplication::setOverrideCursor(QCursor(Qt::BlankCursor));
    HandleReadMe(programFolder, FileDateText(executable));

    const int code = app.exec();
    guard.release();
    return code;
}

}  // namespace korvel
