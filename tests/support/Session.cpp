#include "Session.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QTcpServer>
#include <QThreadPool>
#include <algorithm>
#include <cstdlib>

#include "app/Startup.h"
#include "voice/Announcer.h"

namespace korvel::testing {
namespace {

// The letter keys of the standard PC keyboard by rows, the Russian letters in
// the same places, and the X11 key code of each row's first key.
const std::u32string kLatinRows[3] = {U"QWERTYUIOP[]", U"ASDFGHJKL;'", U"ZXCVBNM,."};
const std::u32string kRussianRows[3] = {U"ЙЦУКЕНГШЩЗХЪ", U"ФЫВАПРОЛДЖЭ", U"ЯЧСМИТЬБЮ"};
constexpr int kFirstCode[3] = {24, 38, 52};

// Named keys in Qt's words where the flows name them otherwise, and the text
// that the keys which type one type.
const std::map<std::string, std::string> kQtNames = {{"PageUp", "PgUp"},  {"PageDown", "PgDown"},
                                                     {"Enter", "Return"}, {"Escape", "Esc"},
                                                     {"Minus", "-"},      {"Equal", "="}};
const std::map<int, const char*> kTyped = {
    {Qt::Key_Space, " "}, {Qt::Key_Return, "\r"}, {Qt::Key_Escape, "\x1b"}, {Qt::Key_Tab, "\t"}};

QKeyEvent MakeKey(QEvent::Type type, std::string name) {
    Qt::KeyboardModifiers modifiers;
    for (const auto& [prefix, modifier] :
         {std::pair{"Shift+", Qt::ShiftModifier}, std::pair{"Ctrl+", Qt::ControlModifier},
          std::pair{"Alt+", Qt::AltModifier}}) {
        if (name.rfind(prefix, 0) == 0) {
            modifiers |= modifier;
            name = name.substr(std::string(prefix).size());
        }
    }
    if (name.size() > 1 && name.find(':') == std::string::npos) {  // a named key
        const auto qt = kQtNames.find(name);
        const int key =
            QKeySequence(QString::fromStdString(qt == kQtNames.end() ? name : qt->second))[0].key();
        const auto typed = kTyped.find(key);
        EXPECT_NE(key, 0) << "unknown key " << name;
        return QKeyEvent(type, key, modifiers, 0, 0, 0, typed == kTyped.end() ? "" : typed->second);
    }
    const QString text = QString::fromStdString(name);
    if (name.size() == 1 && name[0] >= '0' && name[0] <= '9') {  // the digit row, codes 10..19
        return QKeyEvent(type, name[0], modifiers, name[0] == '0' ? 19 : 9 + (name[0] - '0'), 0, 0,
                         text);
    }
    // "ru:Л" and "bare:Л" (no key code) a Russian letter, otherwise a Latin character.
    const bool russian = name.rfind("ru:", 0) == 0, bare = name.rfind("bare:", 0) == 0;
    const std::u32string letter = text.mid(russian ? 3 : bare ? 5 : 0).toStdU32String();
    for (int r = 0; r < 3; ++r) {
        if (const auto col = (russian || bare ? kRussianRows : kLatinRows)[r].find(letter.at(0));
            col != std::u32string::npos) {
            return QKeyEvent(type, static_cast<int>(letter.at(0)), modifiers,
                             bare ? 0 : static_cast<quint32>(kFirstCode[r] + static_cast<int>(col)),
                             0, 0, QString::fromStdU32String(letter).toLower());
        }
    }
    ADD_FAILURE() << "unknown key " << name;
    return QKeyEvent(type, 0, modifiers);
}

}  // namespace

void StartQt() {
    static int argc = 1;
    static char name[] = "korvel-tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    (void)app;
}

int FreePort() {
    for (int attempt = 0; attempt < 50; ++attempt) {
        QTcpServer probe;
        if (probe.listen(QHostAddress::Any, 0) && probe.serverPort() >= 10000) {
            return probe.serverPort();
        }
    }
    return 0;
}

std::string SaidCode(const std::vector<std::string>& lines) {
    std::string code;
    for (const std::string& line : lines) {
        const std::string what = line.substr(9);
        if (what == "say yourcode" || what == "say newcode") {
            code = "-";
        } else if (!code.empty() && code.size() <= 4 && what.size() == 5 &&
                   what.starts_with("say ") && std::isdigit(static_cast<unsigned char>(what[4]))) {
            code += what[4];
        }
    }
    return code.empty() ? code : code.substr(1);
}

void MaskSaidPort(std::vector<std::string>& lines) {
    bool port = false;
    for (std::string& line : lines) {
        const std::string what = line.substr(9);
        port = what == "say port" || (port && what != "say yourcode" && what != "say address");
        if (port && what.size() == 5 && std::isdigit(static_cast<unsigned char>(line.back()))) {
            line.back() = '#';
        }
    }
}

Session::Session(std::uint32_t seed, const Prepare& prepare) : KeyHand(seed, prepare) {
    StartQt();
    clock.setPump([] { QCoreApplication::processEvents(); });
    speech.onLine = [this](const std::string& line) { device.write(line); };
    app = std::make_unique<Assembly>(Services{clock, device, random, folders, speech, &portMapper});
    app->network().codeSource = &codes;
    app->dialogs().observer = [this](const DialogRecord& record) {
        if (record.answer != 0) {
            const bool plain = record.kind == "message" || record.kind == "help";
            device.write("answer " + std::to_string(record.answer) +
                         (plain || record.text.empty() ? "" : " " + record.text));
        } else if (record.kind == "help") {  // the long text is known; its first line names it
            device.write("help [" + record.caption + "] " +
                         record.text.substr(0, record.text.find('\r')));
        } else {
            std::string buttons;
            for (const auto& [number, caption] : record.buttons) {
                buttons +=
                    (number == record.focus ? " >" : " ") + std::to_string(number) + ":" + caption;
            }
            device.write("dialog [" + record.caption + "] " + OneLine(record.text) + " /" +
                         buttons);
            if (!answerKey.empty()) {
                press(now() + 500, answerKey);
            }
        }
    };
    EnsureSettingsFile(app->settings());
    app->window().show();
    QCoreApplication::processEvents();
}

Session::~Session() {
    app.reset();
    QCoreApplication::processEvents();
    // Qt paints large areas on its global pool of threads: they are ended
    // here, so that none is still ending (and its memory reported as a leak)
    // while the test program exits.
    QThreadPool::globalInstance()->waitForDone();
}

void Session::setIni(const std::string& section, const std::string& key, const std::string& value) {
    app->settings().SetIni(section, key, value);
}

void Session::sendKey(const std::string& name) {
    // A key comes after the window events already pending (a test with a
    // connection serves its sockets itself, between its clock's steps).
    QCoreApplication::processEvents(QEventLoop::ExcludeSocketNotifiers);
    QWidget* target = QApplication::focusWidget();
    device.write("key " + name + (target ? "" : " (nothing holds the keyboard)"));
    if (target != nullptr) {
        QKeyEvent press = MakeKey(QEvent::KeyPress, name);
        QApplication::sendEvent(target, &press);
    }
    if (QWidget* now = target ? QApplication::focusWidget() : nullptr) {
        QKeyEvent release = MakeKey(QEvent::KeyRelease, name);
        QApplication::sendEvent(now, &release);
    }
}

void Session::startGame(const MenuChoices& choice) {
    app->menu().choices = choice;
    app->GameChoice(4);
}

bool Session::heard(const std::string& what, bool prefix) const {
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
        return line.size() > 9 &&
               (prefix ? line.compare(9, what.size(), what) == 0 : line.substr(9) == what);
    });
}

bool Session::judgeFilesByTheRealDevice() {
    m_judge = std::make_unique<SdlAudioDevice>();
    device.playable = [this](const std::filesystem::path& file) {
        if (m_judged.count(file) == 0) {
            const std::string kind = file.extension().string();
            m_judged[file] = kind == ".mid"   ? m_judge->playMusic(file, false)
                             : kind == ".wav" ? m_judge->loadEffect(file) != 0
                                              : m_judge->openPlayer(file) != 0;
            m_judge->stopMusic();
        }
        return m_judged[file];
    };
    return m_judge->open();
}

std::vector<std::string> PlayFlow(const std::string& flow) {
    const FlowScript script = ParseFlow(flow);
    Session s;
    s.layOut(script);
    s.app->StartUp();
    if (script.option.count("readme")) {
        HandleReadMe(s.folder.path(), "01.02.2026 03:04:05");
    }
    // The network game's choices are noted with what the menu hands on, and
    // go no further (no socket in these flows); with "waiting" the host's
    // choice shows the waiting notice.
    MenuControl& menu = s.app->menu();
    menu.onChoice = [&s, &menu, waits = script.option.count("waiting") > 0,
                     handOn = menu.onChoice](int code) {
        const std::string values = code == 6
                                       ? " type " + std::to_string(menu.choices.gameType) +
                                             " minutes " + std::to_string(menu.choices.minutes)
                                   : code == 7 ? " host " + menu.hostAddress().toStdString() +
                                                     " code " + menu.joinCode().toStdString()
                                               : "";
        if (code >= 6) {
            s.device.write("choice " + std::to_string(code) + values);
        }
        if (code == 6 && waits) {
            return menu.showWaiting(QStringLiteral("Код  1234"));
        }
        if (code == 6 || code == 7) {
            return;  // the menu's part ends here: the network game has tests of its own
        }
        handOn(code);
    };
    std::istringstream ends(script.option.count("endwait") ? script.option.at("endwait") : "");
    for (int at; ends >> at;) {
        s.clock.singleShot(at, [&menu] { menu.endWaiting(); });
    }
    s.play(script, s.game());
    if (script.option.count("firstrun")) {
        s.clock.singleShot(4000, [] { QApplication::activeWindow()->close(); });
        bool back = false;
        s.app->HandleReadMeStep(HandleReadMe(s.folder.path(), "01.02.2026 03:04:05"), [&] {
            back = true;
            s.lines.push_back("back at " + std::to_string(s.now()) + " ms");
        });
        s.clock.waitUntil([&back] { return back; }, 60000);
    } else if (script.option.count("menu")) {
        s.app->ShowMenu(true);
    } else {
        s.startGame(script.choice);
    }
    s.runUntil(script.until);
    return s.transcript(s.boardShown(), s.game(), s.app->settings(), s.app->announcer());
}

}  // namespace korvel::testing
