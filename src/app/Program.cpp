#include "app/Program.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QCursor>
#include <QMessageBox>
#include <QSocketNotifier>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <functional>
#include <memory>

#include "app/Assembly.h"
#include "app/Startup.h"
#include "core/ProgramFolders.h"
#include "core/Texts.h"
#include "opponent/RandomSource.h"
#include "platform/QtClock.h"
#include "platform/QtSpeechEngine.h"
#include "platform/RouterPortMapper.h"
#include "platform/SdlAudioDevice.h"
#include "platform/SingleInstanceGuard.h"
#include "platform/SystemFiles.h"

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

// The orderly end takes about a second. Should the window thread never read
// the byte (held up before its loop runs, as by a session bus that never
// answers), the alarm's own action ends the process: the lock against a
// second copy goes with it, so that the player can start the game again.
constexpr unsigned kSignalGraceSeconds = 10;

void OnSignal(int) {
    // The interrupted code may be about to read errno. The write end never
    // blocks: when it is full, a wake-up is already waiting to be read.
    const int savedErrno = errno;
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(g_signalPipe[1], &byte, 1);
    ::alarm(kSignalGraceSeconds);
    errno = savedErrno;
}

// Without a channel (only when the process has run out of descriptors) the
// signals keep their usual action: they end the program at once, as they end
// any program, rather than be caught and never heard.
bool InstallSignalHandlers() {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_signalPipe) != 0 &&
        ::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        g_signalPipe[0] = g_signalPipe[1] = -1;
        std::fprintf(stderr, "korvel: cannot watch for signals; a signal ends the game at once\n");
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

// Runs `onSignal` on the window thread for each signal caught; nothing when
// the signals could not be caught.
std::unique_ptr<QSocketNotifier> WatchSignals(QObject* context,
                                              const std::function<void()>& onSignal) {
    if (g_signalPipe[0] < 0) {
        return nullptr;
    }
    auto notifier = std::make_unique<QSocketNotifier>(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(notifier.get(), &QSocketNotifier::activated, context, [onSignal] {
        char bytes[16];
        while (::read(g_signalPipe[0], bytes, sizeof bytes) > 0) {
        }
        onSignal();
    });
    return notifier;
}

// What stops the start: a box over nothing, closed by the player or by a
// signal, after which the event loop ends with status 1. A second copy is
// refused aloud as well, through a sound device of the refusal's own.
struct Refusal {
    std::unique_ptr<QMessageBox> box;
    std::unique_ptr<QSocketNotifier> signalWatch;
    SdlAudioDevice device;

    void show(const QString& title, const QString& text) {
        box = std::make_unique<QMessageBox>(QMessageBox::Critical, title, text, QMessageBox::Ok);
        signalWatch = WatchSignals(box.get(), [this] { box->reject(); });
        QObject::connect(box.get(), &QDialog::finished, box.get(),
                         [] { QCoreApplication::exit(1); });
        box->open();
    }
};

// The refusal of a second copy, said as well as shown: a player without a
// screen reader hears why nothing else happened.
void RefuseSecondCopy(Refusal& refusal, const std::filesystem::path& dataFolder) {
    std::fprintf(stderr, "korvel: another copy is already running\n");
    if (refusal.device.open()) {
        refusal.device.startPlayer(
            refusal.device.openPlayer(dataFolder / "Speaks" / "running.mp3"));
    }
    refusal.show(QStringLiteral("Ошибка пользователя!"),
                 QStringLiteral("Ты чо делаешь?\r\nИгра \"корвел\" уже запущена!"));
}

// The user folder, made when missing: false when the start must stop there.
bool UserFolderUsable(Refusal& refusal, const Folders& folders) {
    switch (MakeUserFolder(folders)) {
        case UserFolderState::NotMade:
            std::fprintf(stderr,
                         "korvel: cannot create %s; settings and saved games are not kept\n",
                         folders.user.c_str());
            return true;
        case UserFolderState::NotPrivate:
            // With no home folder the files go to the temporary folder, which
            // every user can write in: one found there that is not the
            // player's own was planted, and nothing is read from it or written to it.
            std::fprintf(stderr,
                         "korvel: %s belongs to another user or others may write in it; "
                         "set HOME to a folder of your own\n",
                         folders.user.c_str());
            refusal.show(QStringLiteral("Ошибка!"),
                         QStringLiteral("Папка %1 чужая или открыта для записи другим.\r\n"
                                        "Игра не запущена: задайте свою домашнюю папку (HOME).")
                             .arg(QString::fromStdString(folders.user.string())));
            return false;
        case UserFolderState::Ready:
            break;
    }
    return true;
}

// One copy at a time: false, after the player has been told, when another runs.
bool MayRun(Refusal& refusal, SingleInstanceGuard& guard, const Folders& folders) {
    switch (guard.tryAcquire()) {
        case SingleInstanceGuard::Result::AlreadyRunning:
            RefuseSecondCopy(refusal, folders.data);
            return false;
        case SingleInstanceGuard::Result::Unavailable:
            std::fprintf(stderr,
                         "korvel: cannot make the lock that keeps a second copy from running; "
                         "starting anyway\n");
            break;
        case SingleInstanceGuard::Result::Acquired:
            break;
    }
    return true;
}

// The running program's services and its assembly.
struct Running {
    explicit Running(const Folders& folders)
        : random(SystemTickCount()),
          program(Services{clock, device, random, folders, speech, &ports}) {}

    // The program's one random generator, seeded from the system tick count.
    SeededRandom random;
    QtClock clock;
    SdlAudioDevice device;
    QtSpeechEngine speech;
    RouterPortMapper ports;
    Assembly program;
    std::unique_ptr<QSocketNotifier> signalWatch;
};

}  // namespace

struct Program::Parts {
    Folders folders;
    SingleInstanceGuard guard;
    std::unique_ptr<Refusal> refusal;
    std::unique_ptr<Running> running;
};

Program::Program() : m_parts(std::make_unique<Parts>()) {
    QCoreApplication::setApplicationName(
        QString::fromUtf8(kProgramTitle.data(), static_cast<int>(kProgramTitle.size())));
}

Program::~Program() {
    m_parts->running.reset();
    m_parts->refusal.reset();
    m_parts->guard.release();
}

void Program::start() {
    Parts& p = *m_parts;
    const std::filesystem::path executable = QCoreApplication::applicationFilePath().toStdString();
    p.folders = ChooseFolders(LookUpFolderFacts(AppFolder(executable)));
    InstallSignalHandlers();
    p.refusal = std::make_unique<Refusal>();
    if (!UserFolderUsable(*p.refusal, p.folders) || !MayRun(*p.refusal, p.guard, p.folders)) {
        return;
    }
    p.refusal.reset();

    p.running = std::make_unique<Running>(p.folders);
    Assembly& program = p.running->program;
    // The shutdown may be asked for from inside a step of a game in progress:
    // once it is done the process ends there, as nothing is left to save.
    program.onShutDown = [&p] {
        p.guard.release();
        // Only our own streams: a library may hold the lock of one of its own
        // (the speech service's socket is read on another thread).
        std::fflush(stdout);
        std::fflush(stderr);
        std::_Exit(0);
    };
    // A signal must end the program within a second: the farewell is cut short.
    p.running->signalWatch =
        WatchSignals(QCoreApplication::instance(), [&program] { program.Shutdown(500); });

    program.window().show();
    if (!program.StartUp()) {
        // The start failed: the loop ends with its status once the player has
        // answered why, or a signal or the window manager asked.
        program.onShutDown = [] { QCoreApplication::exit(1); };
        program.onStartRefused = [] { QCoreApplication::exit(1); };
        return;
    }
    QGuiApplication::setOverrideCursor(QCursor(Qt::BlankCursor));
    program.HandleReadMeStep(HandleReadMe(p.folders.user, FileDateText(executable)),
                             [&program] { program.ShowMenu(true); });
}

}  // namespace korvel
