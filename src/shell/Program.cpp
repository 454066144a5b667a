#include "Program.h"

#include <QApplication>
#include <QCursor>
#include <chrono>

#include "IniFile.h"
#include "MainWindow.h"
#include "MusicList.h"
#include "QtClock.h"
#include "RandomSource.h"
#include "SdlAudioDevice.h"
#include "SingleInstanceGuard.h"
#include "SoundEffects.h"
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
    Settings settings(SettingsPath(programFolder));
    MainWindow window;
    window.show();

    // Start-up. The sound device falls back to a silent output when there is
    // no sound card, so the game can still be played with a screen reader.
    OpenSoundDevice(device);
    EnsureSettingsFile(settings);
    MusicList mm(clock, settings, device);
    mm.Init(20);
    mm.FoldMus((programFolder / "Speaks").string());
    QGuiApplication::setOverrideCursor(QCursor(Qt::BlankCursor));
    HandleReadMe(programFolder, FileDateText(executable));

    window.setCloseHandler([&] {
        mm.PlaySound("chao");
        clock.sleep(400);
        QGuiApplication::restoreOverrideCursor();
        mm.Clear();
        mm.StopSound();
        mm.StopMusic();
        CloseSoundDevice();
    });

    const int code = app.exec();
    guard.release();
    return code;
}

}  // namespace korvel
