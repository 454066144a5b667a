#include "Session.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QThreadPool>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "Startup.h"

namespace korvel::testing {
namespace {

// The letter keys of the standard PC keyboard by rows, the Russian letters in
// the same places, and the X11 key code of each row's first key.
const std::u32string kLatinRows[3] = {U"QWERTYUIOP[]", U"ASDFGHJKL;'", U"ZXCVBNM,."};
const std::u32string kRussianRows[3] = {U"ЙЦУКЕНГШЩЗХЪ", U"ФЫВАПРОЛДЖЭ", U"ЯЧСМИТЬБЮ"};
constexpr int kFirstCode[3] = {24, 38, 52};

const std::map<std::string, int> kNamedKeys = {
    {"Up", Qt::Key_Up},         {"Down", Qt::Key_Down},
    {"Left", Qt::Key_Left},     {"Right", Qt::Key_Right},
    {"Home", Qt::Key_Home},     {"End", Qt::Key_End},
    {"PageUp", Qt::Key_PageUp}, {"PageDown", Qt::Key_PageDown},
    {"Space", Qt::Key_Space},   {"Enter", Qt::Key_Return},
    {"Escape", Qt::Key_Escape}, {"Tab", Qt::Key_Tab},
    {"F1", Qt::Key_F1},         {"F2", Qt::Key_F2},
    {"F11", Qt::Key_F11},       {"Backspace", Qt::Key_Backspace},
    {"Minus", Qt::Key_Minus},   {"Equal", Qt::Key_Equal},
};

struct KeySpec {
    int key = 0;
    quint32 scanCode = 0;
    QString text;
    Qt::KeyboardModifiers modifiers;
};

KeySpec ParseKey(std::string name) {
    KeySpec made;
    for (const auto& [prefix, modifier] :
         {std::pair{"Shift+", Qt::ShiftModifier}, std::pair{"Ctrl+", Qt::ControlModifier},
          std::pair{"Alt+", Qt::AltModifier}}) {
        if (name.rfind(prefix, 0) == 0) {
            made.modifiers |= modifier;
            name = name.substr(std::string(prefix).size());
        }
    }
    if (auto it = kNamedKeys.find(name); it != kNamedKeys.end()) {
        made.key = it->second;
        const std::map<int, QString> texts = {{Qt::Key_Return, QStringLiteral("\r")},
                                              {Qt::Key_Escape, QStringLiteral("\x1b")},
                                              {Qt::Key_Space, QStringLiteral(" ")},
                                              {Qt::Key_Tab, QStringLiteral("\t")}};
        made.text = texts.count(made.key) ? texts.at(made.key) : QString();
        return made;
    }
    if (name.size() == 1 && name[0] >= '0' && name[0] <= '9') {
        // The digit row: 1..9 then 0, key codes 10..19.
        made.key = name[0];
        made.scanCode = static_cast<quint32>(name[0] == '0' ? 19 : 9 + (name[0] - '0'));
        made.text = QString::fromStdString(name);
        return made;
    }
    // "ru:Л": the Russian letter with its key code; "bare:Л": the letter alone,
    // as a platform without key codes gives it; otherwise a Latin character.
    const bool russian = name.rfind("ru:", 0) == 0;
    const bool bare = name.rfind("bare:", 0) == 0;
    const std::u32string letter = QString::fromStdString(name.substr(russian ? 3
                                                                     : bare  ? 5
                                                                             : 0))
                                      .toStdU32String();
    const auto& rows = russian || bare ? kRussianRows : kLatinRows;
    for (int r = 0; r < 3; ++r) {
        if (const auto col = rows[r].find(letter.at(0)); col != std::u32string::npos) {
            made.key = static_cast<int>(letter.at(0));
            made.scanCode = bare ? 0 : static_cast<quint32>(kFirstCode[r] + static_cast<int>(col));
            made.text = QString::fromStdU32String(letter).toLower();
            return made;
        }
    }
    ADD_FAILURE() << "unknown key " << name;
    return made;
}

std::string Stamp(std::int64_t ms) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%8.3f ", static_cast<double>(ms) / 1000.0);
    return buffer;
}

std::string OneLine(std::string text) {
    for (std::size_t at; (at = text.find("\r\n")) != std::string::npos;) {
        text.replace(at, 2, " | ");
    }
    return text;
}

QApplication& Application() {
    static int argc = 1;
    static char name[] = "korvel-tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

}  // namespace

void TranscriptDevice::log(const std::string& what) {
    m_lines.push_back(Stamp(m_clock.tickCount()) + what);
}

AudioDevice::Handle TranscriptDevice::loadEffect(const std::filesystem::path& wavFile) {
    if (playable && !playable(wavFile)) {
        return 0;
    }
    const Handle h = FakeAudioDevice::loadEffect(wavFile);
    m_names[h] = wavFile.stem().string();
    return h;
}

void TranscriptDevice::setEffectParams(Handle effect, int pan, int volume, int frequency) {
    FakeAudioDevice::setEffectParams(effect, pan, volume, frequency);
    m_params[effect] = " pan=" + std::to_string(pan) + " vol=" + std::to_string(volume) +
                       " freq=" + std::to_string(frequency);
}

void TranscriptDevice::startEffect(Handle effect) {
    FakeAudioDevice::startEffect(effect);
    if (recordTicks || m_names[effect] != "tiktak") {
        log("fx " + m_names[effect] + m_params[effect]);
    }
}

AudioDevice::Handle TranscriptDevice::openPlayer(const std::filesystem::path& file) {
    return playable && !playable(file) ? 0 : FakeAudioDevice::openPlayer(file);
}

bool TranscriptDevice::startPlayer(Handle player) {
    const bool started = FakeAudioDevice::startPlayer(player);
    const auto& opened = openedPhrases();
    if (!opened.empty()) {
        log("say " + std::filesystem::path(opened.back()).stem().string());
    }
    return started;
}

bool TranscriptDevice::playMusic(const std::filesystem::path& file, bool loop) {
    if (playable && !playable(file)) {
        log("music " + file.filename().string() + " cannot be played");
        FakeAudioDevice::stopMusic();
        return false;
    }
    log("music " + file.filename().string() + (loop ? " looping" : ""));
    return FakeAudioDevice::playMusic(file, loop);
}

void TranscriptDevice::stopMusic() {
    if (musicPlaying()) {
        log("music stops");
    }
    FakeAudioDevice::stopMusic();
}

void TranscriptDevice::setMusicVolume(int hundredthsDb) {
    if (hundredthsDb != musicVolume()) {
        log("music volume " + std::to_string(hundredthsDb));
    }
    FakeAudioDevice::setMusicVolume(hundredthsDb);
}

Session::Session(std::uint32_t seed, const Prepare& prepare)
    : folders(prepare ? prepare(folder.path()) : Folders(folder.path())),
      device(clock, lines),
      random(seed) {
    Application();
    clock.setPump([] { QCoreApplication::processEvents(); });
    speech.onLine = [this](const std::string& line) {
        lines.push_back(Stamp(clock.tickCount()) + line);
    };
    app = std::make_unique<Assembly>(Services{clock, device, random, folders, speech});
    app->dialogs().observer = [this](const DialogRecord& record) {
        if (record.answer != 0) {
            lines.push_back(
                Stamp(clock.tickCount()) + "answer " + std::to_string(record.answer) +
                (record.kind != "message" && record.kind != "help" && !record.text.empty()
                     ? " " + record.text
                     : ""));
            return;
        }
        ++dialogsShown;
        if (record.kind == "help") {
            // The long text is known; its first line names it.
            lines.push_back(Stamp(clock.tickCount()) + "help [" + record.caption + "] " +
                            record.text.substr(0, record.text.find('\r')));
            return;
        }
        std::string buttons;
        for (const auto& [number, caption] : record.buttons) {
            buttons +=
                (number == record.focus ? " >" : " ") + std::to_string(number) + ":" + caption;
        }
        lines.push_back(Stamp(clock.tickCount()) + "dialog [" + record.caption + "] " +
                        OneLine(record.text) + " /" + buttons);
        if (!m_answerKey.empty()) {
            press(clock.tickCount() + m_answerDelay, m_answerKey);
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

void Session::writeFile(const std::string& name, const std::string& bytes) {
    WriteBytes(folder / name, bytes);
}

void Session::sendKey(const std::string& name) {
    const KeySpec made = ParseKey(name);
    QWidget* target = QApplication::focusWidget();
    lines.push_back(Stamp(clock.tickCount()) + "key " + name +
                    (target ? "" : " (nothing holds the keyboard)"));
    if (target == nullptr) {
        return;
    }
    QKeyEvent press(QEvent::KeyPress, made.key, made.modifiers, made.scanCode, 0, 0, made.text);
    QApplication::sendEvent(target, &press);
    if (QWidget* now = QApplication::focusWidget()) {
        QKeyEvent release(QEvent::KeyRelease, made.key, made.modifiers, made.scanCode, 0, 0,
                          made.text);
        QApplication::sendEvent(now, &release);
    }
}

void Session::startGame(const GameChoiceValues& choice) {
    MenuControl& menu = app->menu();
    menu.Menu = choice.menu;
    menu.Tip = choice.tip;
    menu.Times = choice.minutes;
    menu.Level = choice.level;
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

void Session::press(std::int64_t atMs, const std::string& key) {
    const std::int64_t delay = atMs > clock.tickCount() ? atMs - clock.tickCount() : 0;
    clock.singleShot(static_cast<int>(delay), [this, key] { sendKey(key); });
}

void Session::pressAll(std::int64_t atMs, int stepMs, const std::vector<std::string>& keys) {
    for (const auto& key : keys) {
        if (key != "-") {  // "-": a step with no key
            press(atMs, key);
        }
        atMs += stepMs;
    }
}

void Session::runUntil(std::int64_t atMs) {
    if (atMs > clock.tickCount()) {
        clock.advance(atMs - clock.tickCount());
    }
}

void Session::answerDialogsWith(const std::string& key, int delayMs) {
    m_answerKey = key;
    m_answerDelay = delayMs;
}

}  // namespace korvel::testing
