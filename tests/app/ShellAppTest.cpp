#include <gtest/gtest.h>

#include <unistd.h>
#include <QApplication>
#include <QProcess>
#include <QThread>
#include <csignal>

#include "TempFolder.h"
#include "app/MainWindow.h"
#include "app/Startup.h"
#include "core/CommonRoutines.h"
#include "core/IniFile.h"
#include "core/TextCodec.h"
#include "core/Texts.h"

namespace korvel {
namespace {

using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

const std::string kDefaultIni =
    "[Menu]\r\nlevel=1\r\ntime=0\r\ntype=1\r\nposition=1\r\n"
    "[Game]\r\ninterval=100\r\ngamer1=white\r\ngamer2=black\r\n"
    "player_name=\xC8\xC3\xD0\xCE\xCA\r\nplayer_sound=player\r\n"
    "[Music]\r\nmusic=1\r\n";

TEST(MainWindowTest, CloseRunsTheShutdownOnce) {
    MainWindow window;
    int runs = 0;
    window.setCloseHandler([&runs] { ++runs; });
    window.show();
    window.close();
    window.show();
    window.close();
    EXPECT_EQ(runs, 1);
}

class OldReadMe : public ::testing::TestWithParam<const char*> {};

TEST_P(OldReadMe, IsRewritten) {
    TempFolder dir;
    WriteBytes(dir / "ReadMe.txt", GetParam());
    EXPECT_EQ(HandleReadMe(dir.path(), "d"), ReadMeState::Updated);
    EXPECT_EQ(ReadBytes(dir / "ReadMe.txt"), Utf8ToCp1251(RulesText("d")) + "\r\n");
    EXPECT_EQ(HandleReadMe(dir.path(), "d"), ReadMeState::Current);
}

INSTANTIATE_TEST_SUITE_P(Versions, OldReadMe,
                         ::testing::Values("   KORVEL  -  1.2.9    -    beta\r\n", "no version",
                                           ""));

// What the guard probe prints with `args`, its home being `home` and its
// runtime folder home/shared.
std::string Probe(const QStringList& args, const std::filesystem::path& home) {
    QProcess probe;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", QString::fromStdString(home / "shared"));
    env.insert("HOME", QString::fromStdString(home));
    env.remove("XDG_CACHE_HOME");
    probe.setProcessEnvironment(env);
    probe.start(QString::fromUtf8(KORVEL_GUARD_PROBE), args);
    probe.waitForFinished(30000);
    return probe.readAllStandardOutput().trimmed().toStdString();
}

// Locks planted by another user, one open to others' writes and a link (whose
// target must not be made), are not taken and keep no one out.
TEST(SingleInstance, PlantedLocksAreNeitherTakenNorFollowed) {
    TempFolder dir;
    const auto lock = dir / "guard.lock";
    WriteBytes(lock, "");
    std::filesystem::permissions(lock, std::filesystem::perms::all);
    std::string seen = Probe({QString::fromStdString(lock)}, dir.path());
    std::filesystem::remove(lock);
    std::filesystem::create_symlink(dir / "chosen", lock);
    seen += " " + Probe({QString::fromStdString(lock)}, dir.path());
    EXPECT_EQ(seen, "unavailable unavailable");
    EXPECT_FALSE(std::filesystem::exists(dir / "chosen"));
}

// The runtime folder holds the lock only when it is this user's own and no one
// else may write in it; otherwise the lock goes to the cache folder, made private.
struct RuntimeFolder {
    const char* name;
    std::filesystem::perms mode;
    bool otherOwner;  // given to another user (needs root)
    bool used;
};

class LockFolder : public ::testing::TestWithParam<RuntimeFolder> {};

TEST_P(LockFolder, OnlyAPrivateRuntimeFolderHoldsTheLock) {
    const RuntimeFolder& folder = GetParam();
    if (folder.otherOwner && ::geteuid() != 0) {
        GTEST_SKIP() << "giving a folder to another user needs root";
    }
    TempFolder dir;
    std::filesystem::create_directory(dir / "shared");
    std::filesystem::permissions(dir / "shared", folder.mode);
    if (folder.otherOwner) {
        ASSERT_EQ(::chown((dir / "shared").c_str(), 65534, 65534), 0);
    }
    const std::string name = "korvel-" + std::to_string(::getuid()) + ".lock";
    EXPECT_EQ(Probe({}, dir.path()),
              "default " + ((folder.used ? dir / "shared" : dir / ".cache") / name).string());
    EXPECT_TRUE(folder.used || std::filesystem::status(dir / ".cache").permissions() ==
                                   std::filesystem::perms::owner_all);
}

using std::filesystem::perms;
INSTANTIATE_TEST_SUITE_P(
    Modes, LockFolder,
    ::testing::Values(
        RuntimeFolder{"own", perms::owner_all, false, true},
        RuntimeFolder{"group_readable",
                      perms::owner_all | perms::group_read | perms::group_exec | perms::others_read,
                      false, true},
        RuntimeFolder{"group_writable", perms::owner_all | perms::group_write, false, false},
        RuntimeFolder{"others_writable", perms::owner_all | perms::others_write, false, false},
        RuntimeFolder{"another_users", perms::owner_all, true, false}),
    [](const auto& info) { return std::string(info.param.name); });

// Starts a copy of the real program in `dir`, with no display or sound card and
// its lock in `dir`, and waits (real time, bounded) until start-up has written
// its files.
void StartProgram(QProcess& korvel, const TempFolder& dir, bool waitForFiles = true) {
    const auto program = dir / "korvel";
    std::filesystem::copy_file(KORVEL_PROGRAM, program);
    // The recordings, effects and music the program needs to start, beside it.
    for (const char* assets : {"Speaks", "Sounds", "Musics"}) {
        std::filesystem::create_directory_symlink(
            std::filesystem::path(KORVEL_PROGRAM).parent_path() / assets, dir / assets);
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_RUNTIME_DIR", QString::fromStdString(dir.path().string()));
    env.insert("SDL_AUDIODRIVER", "dummy");
    korvel.setProcessEnvironment(env);
    korvel.start(QString::fromStdString(program.string()), {});
    ASSERT_TRUE(korvel.waitForStarted(30000));
    for (int i = 0; waitForFiles && i < 600 && !std::filesystem::exists(dir / "ReadMe.txt"); ++i) {
        QThread::msleep(50);
    }
}

// The real program in an empty folder, with its own runtime folder for the
// single-instance lock; `leftover` is put where the lock goes before it starts.
// Its first start writes the settings and the rules; a signal ends it in order.
struct Ending {
    int signal;
    const char* leftover;  // "empty", "garbled" or "folder"
};

class ProgramEnding : public ::testing::TestWithParam<Ending> {};

TEST_P(ProgramEnding, FirstStartWritesItsFilesLeftoverLocksDoNotBlockSignalsEndInOrder) {
    TempFolder dir;
    const auto lock = dir / ("korvel-" + std::to_string(::getuid()) + ".lock");
    const std::string leftover = GetParam().leftover;
    if (leftover == "folder") {
        std::filesystem::create_directory(lock);
    } else {
        WriteBytes(lock, leftover == "empty" ? "" : "\x01garbage\xff 99999\n");
    }
    QProcess korvel;
    StartProgram(korvel, dir);
    QThread::msleep(300);
    ASSERT_EQ(korvel.state(), QProcess::Running) << "a leftover lock must not block the start";
    const std::string settings = ReadBytes(dir / "Korvel.ini");
    EXPECT_EQ(settings.substr(0, kDefaultIni.size()), kDefaultIni);
    EXPECT_EQ(ReadBytes(dir / "ReadMe.txt"),
              Utf8ToCp1251(RulesText(FileDateText(dir / "korvel"))) + "\r\n");
    ::kill(static_cast<pid_t>(korvel.processId()), GetParam().signal);
    ASSERT_TRUE(korvel.waitForFinished(10000));
    EXPECT_EQ(korvel.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(korvel.exitCode(), 0);
    EXPECT_EQ(ReadBytes(dir / "Korvel.ini"), settings);
}

// The real program started while another copy holds the lock: it says so,
// touches none of the player's files, and a signal closes its box.
TEST(SingleInstance, TheRealProgramRefusesASecondCopy) {
    TempFolder dir;
    QProcess holder;
    holder.start(
        QString::fromUtf8(KORVEL_GUARD_PROBE),
        {QString::fromStdString(dir / ("korvel-" + std::to_string(::getuid()) + ".lock"))});
    ASSERT_TRUE(holder.waitForReadyRead(30000));
    ASSERT_EQ(holder.readLine().trimmed(), "acquired");
    QProcess korvel;
    StartProgram(korvel, dir, false);
    QByteArray said;
    korvel.setReadChannel(QProcess::StandardError);
    while (!said.contains("already running") && korvel.waitForReadyRead(30000)) {
        said += korvel.readAllStandardError();
    }
    EXPECT_TRUE(said.contains("korvel: another copy is already running")) << said.toStdString();
    ::kill(static_cast<pid_t>(korvel.processId()), SIGTERM);
    ASSERT_TRUE(korvel.waitForFinished(10000));
    EXPECT_EQ(korvel.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(korvel.exitCode(), 1);
    EXPECT_FALSE(std::filesystem::exists(dir / "Korvel.ini"));
    EXPECT_FALSE(std::filesystem::exists(dir / "ReadMe.txt"));
    holder.closeWriteChannel();
    ASSERT_TRUE(holder.waitForFinished(30000));
}

INSTANTIATE_TEST_SUITE_P(Shell, ProgramEnding,
                         ::testing::Values(Ending{SIGTERM, "empty"}, Ending{SIGINT, "garbled"},
                                           Ending{SIGHUP, "folder"}));

}  // namespace
}  // namespace korvel

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
