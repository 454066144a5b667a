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
        s.app->announcer().AddFile("stop");
        int answer = 0;
        OpenMessage(s.app->dialogs(), "Текст", "", style, &s.app->announcer(),
                    [&answer](int given) { answer = given; });
        ASSERT_TRUE(s.clock.waitUntil(
            [&] { return answer != 0 && s.app->announcer().Count() == 0; }, 60000));
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
    std::vector<int> answers;
    OpenMessage(host, "Раз\r\nдва", "ПОБЕДА!", 35, nullptr, [&](int first) {
        answers.push_back(first);
        OpenMessage(host, "Три", "ПОБЕДА!", 35, nullptr,
                    [&](int second) { answers.push_back(second); });
    });
    s.clock.advance(300);
    EXPECT_EQ(answers, (std::vector<int>{1, 1}));
    QCoreApplication::processEvents();
    EXPECT_TRUE(!enabledMeanwhile && owner.isEnabled() && QApplication::focusWidget() == edit);
}

// A notice replaces the question open, whose caller gets the answer of its
// cancel button ("Нет" of a yes-no question, "Отмена" when shown); closing
// the notice gives the menu its keys back.
class NoticeOverQuestion : public ::testing::TestWithParam<std::pair<int, int>> {};

TEST_P(NoticeOverQuestion, AnswersItAsCancelled) {
    Session s;
    s.app->StartUp();
    s.app->ShowMenu(true);
    s.runUntil(3000);
    QWidget* keys = QApplication::focusWidget();
    int answered = 0;
    OpenMessage(s.app->dialogs(), "Сохранить игру?", "Вопрос", GetParam().first, nullptr,
                [&answered](int given) { answered = given; });
    Notify(s.app->dialogs(), s.app->announcer(), "wrongcode", "Неверный код", "Игра по сети", 33);
    s.press(3100, "Enter");
    s.runUntil(3500);
    EXPECT_EQ(answered, GetParam().second);
    EXPECT_TRUE(s.app->window().isEnabled() && QApplication::focusWidget() == keys);
}

INSTANTIATE_TEST_SUITE_P(Styles, NoticeOverQuestion,
                         ::testing::Values(std::pair{115, 2}, std::pair{99, 2}, std::pair{7, 3}));

}  // namespace
}  // namespace korvel::testing
