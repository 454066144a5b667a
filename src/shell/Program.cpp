#include "Program.h"

#include <QApplication>
#include <QCursor>
#include <QTimer>
#include <chrono>

#include "Assembly.h"
#include "QtClock.h"
#include "QtSpeechEngine.h"
#include "RandomSource.h"
#include "SdlAudioDevice.h"
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
    app.setApplicationName(
        QString::fromUtf8(kProgramTitle.data(), static_cast<int>(kProgramTitle.size())));

    SingleInstanceGuard guard;
    if (!guard.tryAcquire()) {
        ShowAlreadyRunningMessage();
        return 1;
    }

    // The program's one random generator, seeded from the system tick count.
    SeededRandom random(SystemTickCount());
    const std::filesystem::path executable = QCoreApplication::applicationFilePath().toStdString();
    const std::filesystem::path programFolder = AppFolder(executable);

    QtClock clock;
    SdlAudioDevice device;
    QtSpeechEngine speech;
    Assembly program(Services{clock, device, random, programFolder, speech});
    program.window().show();
    program.StartUp();
    QGuiApplication::setOverrideCursor(QCursor(Qt::BlankCursor));
    program.HandleReadMeStep(HandleReadMe(programFolder, FileDateText(executable)));

    // Until the spoken menu is built, the program opens on the game last
    // chosen and takes its leave, with its farewell, when that game is left.
    program.onMenuShown = [&program] { program.window().close(); };
    QTimer::singleShot(0, &program.window(),
                       [&program] { program.StartGame(StoredGameChoice(program.settings())); });

    const int code = app.exec();
    guard.release();
    return code;
}

}  // namespace korvel
