#include "app/Program.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QCursor>
#include <QMessageBox>
#include <QSocketNotifier>
#include <QTimer>
#include <chrono>
#include <csignal>
#include <cstdio>

#include "app/Assembly.h"
#include "app/Startup.h"
#include "core/ProgramFolders.h"
#include "core/Texts.h"
#include "opponent/RandomSource.h"
#include "platform/QtClock.h"
#include "platform/QtSpeechEngine.h"
#include "platform/SdlAudioDevice.h"
#include "platform/SingleInstanceGuard.h"

namespace korvel {
namespace {

// Milliseconds since the system started: the seed of the program's random generator.
std::uint32_t SystemTickCount() {
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

// SIGTERM, SIGINT and SIGHUP end the program in order: the handler only
// writes a byte, which the window thread reads and turns into a close.
int g_signalPipe[2] = {-1, -1};

void OnSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(g_signalPipe[1], &byte, 1);
}

bool InstallSignalHandlers() {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe) != 0) {
        return false;
    }
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        ::sigaction(signal, &action, nullptr);
    }
    return true;
}

// The refusal of a second copy, said as well as shown: a player without a
// screen reader hears why nothing else happened.
void RefuseSecondCopy(const std::filesystem::path& dataFolder) {
    SdlAudioDevice device;
    AudioDevice::Handle phrase = 0;
    if (device.open()) {
        phrase = device.openPlayer(dataFolder / "Speaks" / "running.mp3");
        device.startPlayer(phrase);
    }
    QMessageBox::critical(nullptr, QStringLiteral("Ошибка пользователя!"),
                          QStringLiteral("Ты чо делаешь?\r\nИгра \"корвел\" уже запущена!"));
    device.close();
}

}  // namespace

int RunProgram(int argc, char** argv) {
    QApplication app(argc, argv);
    app.setApplicationName(
        QString::fromUtf8(kProgramTitle.data(), static_cast<int>(kProgramTitle.size())));
    const std::filesystem::path executable = QCoreApplication::applicationFilePath().toStdString();
    const Folders folders = ChooseFolders(LookUpFolderFacts(AppFolder(executable)));
    if (!MakeUserFolder(folders)) {
        std::fprintf(stderr, "korvel: cannot create %s; settings and saved games are not kept\n",
                     folders.user.c_str());
    }

    SingleInstanceGuard guard;
    switch (guard.tryAcquire()) {
        case SingleInstanceGuard::Result::AlreadyRunning:
            RefuseSecondCopy(folders.data);
            return 1;
        case SingleInstanceGuard::Result::Unavailable:
            std::fprintf(stderr,
                         "korvel: cannot make the lock that keeps a second copy from running; "
                         "starting anyway\n");
            break;
        case SingleInstanceGuard::Result::Acquired:
            break;
    }
    InstallSignalHandlers();

    // The program's one random generator, seeded from the system tick count.
    SeededRandom random(SystemTickCount());
    QtClock clock;
    SdlAudioDevice device;
    QtSpeechEngine speech;
    Assembly program(Services{clock, device, random, folders, speech});
    // The shutdown may be asked for from inside a wait of a game in progress:
    // once it is done the process ends there, as nothing is left to save.
    program.onShutDown = [&guard] {
        guard.release();
        // Only our own streams: a library may hold the lock of one of its own
        // (the speech service's socket is read on another thread).
        std::fflush(stdout);
        std::fflush(stderr);
        std::_Exit(0);
    };
    QSocketNotifier signalNotifier(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app, [&program] {
        char byte = 0;
        [[maybe_unused]] const auto got = ::read(g_signalPipe[0], &byte, 1);
        // A signal must end the program within a second: the farewell is cut short.
        program.Shutdown(500);
    });

    program.window().show();
    if (!program.StartUp()) {
        program.onShutDown = nullptr;  // the start failed: end with its status
        return 1;
    }
    QGuiApplication::setOverrideCursor(QCursor(Qt::BlankCursor));
    program.HandleReadMeStep(HandleReadMe(folders.user, FileDateText(executable)));
    program.ShowMenu(true);

    const int code = app.exec();
    guard.release();
    return code;
}

}  // namespace korvel
