// Message boxes in the whole program (data/message_cases.txt, kept as the
// golden data/message_dialog.txt): each case "STYLE [KEYS]" shows the text in
// that style while the announcer is saying "stop"; the keys (Qt's names) are
// pressed 100 ms apart, or with none the window manager closes the box.
#include "ui/MessageDialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLineEdit>
#include <sstream>

#include "Session.h"
#include "core/IniFile.h"
#include "ui/GameFilesDialog.h"
#include "ui/HelpWindow.h"
#include "voice/SpeechLayer.h"

namespace korvel::testing {
namespace {

void PressLater(VirtualClock& clock, int at, const std::string& name) {
    const QKeyCombination key = QKeySequence(QString::fromStdString(name))[0];
    clock.singleShot(at, [key] {
        QKeyEvent down(QEvent::KeyPress, key.key(), key.keyboardModifiers());
        QKeyEvent up(QEvent::KeyRelease, key.key(), key.keyboardModifiers());
        if (QWidget* target = QApplication::focusWidget()) {
            QApplication::sendEvent(target, &down);
            QApplication::sendEvent(target, &up);
        }
    });
}

TEST(MessageDialog, AnswersAsRecorded) {
    Session s;
    s.app->StartUp();
    s.runUntil(8000);
    const std::size_t effects = s.device.liveEffects();
    for (const std::string& line : DataLines("message_cases.txt")) {
        std::istringstream in(line);
        int style = 0, at = 0;
        in >> style;
        for (std::string key; in >> key;) {
            PressLater(s.clock, 100 * ++at, key);
        }
        if (at == 0) {
            s.clock.singleShot(100, [] { QApplication::activeWindow()->close(); });
        }
        s.device.write("case " + line);
        s.app->mm().AddFile("stop");
        const int answer = ShowMessage(s.app->dialogs(), "Текст", "", style, &s.app->mm());
        ASSERT_TRUE(s.clock.waitUntil([&] { return s.app->mm().Count() == 0; }, 60000));
        s.device.write("returns " + std::to_string(answer));
    }
    EXPECT_EQ(s.device.liveEffects(), effects);
    ExpectGolden(s.lines, "message_dialog");
}

// The owner is disabled while the box waits, and gets the keyboard back; so
// does it after a second box shown at once, while the first is still the
// active window.
TEST(MessageDialog, TheOwnerGetsTheKeyboardBack) {
    Session s;
    QWidget owner;
    auto* edit = new QLineEdit(&owner);
    owner.show();
    edit->setFocus();
    QCoreApplication::processEvents();
    bool enabledMeanwhile = true;
    s.clock.singleShot(50, [&] { enabledMeanwhile = owner.isEnabled(); });
    PressLater(s.clock, 100, "Return");
    PressLater(s.clock, 200, "Return");
    DialogHost host(s.clock, s.folder.path());  // knows no window: the active one is the owner
    EXPECT_EQ(ShowMessage(host, "Раз\r\nдва", "ПОБЕДА!", 35, nullptr), 1);
    EXPECT_EQ(ShowMessage(host, "Три", "ПОБЕДА!", 35, nullptr), 1);
    QCoreApplication::processEvents();
    EXPECT_TRUE(!enabledMeanwhile && owner.isEnabled() && QApplication::focusWidget() == edit);
}

// Each dialog waited for in place that nothing is left to answer (no key, no
// timer) is closed as the window manager closes it, and its caller goes on.
TEST(Dialogs, NothingLeftToAnswerClosesThemAsTheWindowManager) {
    StartQt();
    TempFolder folder;
    VirtualClock clock;
    DialogHost host(clock, folder.path());
    std::vector<std::string> closed;
    host.observer = [&closed](const DialogRecord& r) {
        if (r.answer != 0) {
            closed.push_back(r.kind + " " + std::to_string(r.answer));
        }
    };
    Settings settings(folder / "Korvel.ini");
    std::vector<std::string> heard;
    TranscriptDevice device(clock, heard);
    Announcer announcer(clock, settings, device);
    FakeSpeech speech;
    SpeechLayer layer(speech, settings);
    EXPECT_EQ(ShowMessage(host, "Текст", "", 35, nullptr), 2);
    EXPECT_EQ(ShowMessage(host, "Текст", "", 36, nullptr), 3);
    EXPECT_EQ(SelectGameList(host, "Загрузить игру", {"        Лок: 1."}, "loading", announcer), 0);
    ShowHelp(host, layer, "Строка", "Помощь");
    EXPECT_EQ(closed,
              (std::vector<std::string>{"message 2", "message 3", "gamefiles 2", "help 1"}));
}

}  // namespace
}  // namespace korvel::testing
