#include "MessageDialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <memory>

#include "DialogHost.h"
#include "FakeAudioDevice.h"
#include "MusicList.h"
#include "SoundEffects.h"
#include "TempFolder.h"
#include "VirtualClock.h"

namespace korvel {
namespace {

using Words = std::vector<std::string>;

class QtEnvironment : public ::testing::Environment {
  public:
    void SetUp() override { m_app = std::make_unique<QApplication>(m_argc, m_argv); }
    void TearDown() override { m_app.reset(); }

  private:
    int m_argc = 1;
    char m_name[9] = "ui_tests";
    char* m_argv[2] = {m_name, nullptr};
    std::unique_ptr<QApplication> m_app;
};
[[maybe_unused]] const auto* const kQt = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

struct Key {
    int key;
    Qt::KeyboardModifiers mods = Qt::NoModifier;
};

class MessageDialogTest : public ::testing::Test {
  protected:
    MessageDialogTest()
        : settings(folder / "Korvel.ini"),
          device(clock),
          mm(clock, settings, device),
          host(clock, folder.path()) {
        clock.setPump([] { QCoreApplication::processEvents(); });
        OpenSoundDevice(device);
        mm.Init(20);
        mm.FoldMus((folder / "Speaks").string());
        host.observer = [this](const DialogRecord& record) { records.push_back(record); };
    }
    ~MessageDialogTest() override { CloseSoundDevice(); }

    // The player's keys, one every 100 ms, sent to whatever has the keyboard.
    void press(const std::vector<Key>& keys) {
        for (std::size_t i = 0; i < keys.size(); ++i) {
            clock.singleShot(100 * static_cast<int>(i + 1), [key = keys[i]] {
                QKeyEvent down(QEvent::KeyPress, key.key, key.mods);
                QKeyEvent up(QEvent::KeyRelease, key.key, key.mods);
                QApplication::sendEvent(QApplication::focusWidget(), &down);
                QApplication::sendEvent(QApplication::focusWidget(), &up);
            });
        }
    }
    // Visible buttons as "1 Да, *2 Нет", the star on the first focus.
    static std::string buttons(const DialogRecord& record) {
        std::string out;
        for (const auto& [n, caption] : record.buttons) {
            out += (out.empty() ? "" : ", ") + std::string(n == record.focus ? "*" : "") +
                   std::to_string(n) + " " + caption;
        }
        return out;
    }

    testing::TempFolder folder;
    testing::VirtualClock clock;
    Settings settings;
    testing::FakeAudioDevice device;
    MusicList mm;
    DialogHost host;
    std::vector<DialogRecord> records;
};

struct StyleCase {
    int style;
    const char* caption;  // given; empty for the class's own
    const char* shown;    // caption seen
    const char* buttons;
    int closeAnswer;
    const char* beep;
};

class StyleTest : public MessageDialogTest, public ::testing::WithParamInterface<StyleCase> {};

TEST_P(StyleTest, ShowsTheButtonsOfItsOptionsAndAnswersAClose) {
    const StyleCase& c = GetParam();
    clock.singleShot(100, [] { QApplication::activeWindow()->close(); });
    EXPECT_EQ(ShowMessage(host, "Раз\r\nдва", QString::fromUtf8(c.caption), c.style, nullptr),
              c.closeAnswer);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].caption, c.shown);
    EXPECT_EQ(records[0].text, "Раз\r\nдва");
    EXPECT_EQ(buttons(records[0]), c.buttons);
    EXPECT_EQ(records[0].answer, 0);
    EXPECT_EQ(records[1].answer, c.closeAnswer);
    ASSERT_EQ(device.effectPlays().size(), 1u);
    EXPECT_EQ(device.effectPlays()[0].name, c.beep);
    EXPECT_EQ(device.liveEffects(), 0u);
}

const char* const kErr = "msgerror";
const char* const kAsk = "msgquestion";
const char* const kInf = "msginfo";

INSTANTIATE_TEST_SUITE_P(
    AllOptions, StyleTest,
    ::testing::Values(
        StyleCase{0, "", "Ошибка!", "*2 Продолжить, 3 Отмена", 3, kErr},
        StyleCase{33, "", "Внимание!", "*1 ОК", 1, kAsk},
        StyleCase{66, "", "Вопрос", "*2 Закрыть", 2, kInf},
        StyleCase{99, "", "Сообщение.", "*1 Да, 2 Нет", 2, kInf},
        StyleCase{132, "", "Подтвердите.", "*3 Отмена", 3, kInf},
        StyleCase{5, "", "Ошибка!", "*1 ОК, 3 Отмена", 3, kErr},
        StyleCase{38, "", "Внимание!", "*1 Пропустить, 2 Продолжить, 3 Отмена", 3, kAsk},
        StyleCase{71, "", "Вопрос", "*1 Да, 2 Нет, 3 Отмена", 3, kInf},
        StyleCase{104, "", "Сообщение.", "*2 Продолжить, 3 Отмена, 4 Помощь", 3, kInf},
        StyleCase{137, "", "Подтвердите.", "*1 ОК, 4 Помощь", 4, kInf},
        StyleCase{10, "", "Ошибка!", "*2 Закрыть, 4 Помощь", 4, kErr},
        StyleCase{43, "", "Внимание!", "*1 Да, 2 Нет, 4 Помощь", 4, kAsk},
        StyleCase{76, "", "Вопрос", "*3 Отмена, 4 Помощь", 3, kInf},
        StyleCase{109, "", "Сообщение.", "*1 ОК, 3 Отмена, 4 Помощь", 3, kInf},
        StyleCase{142, "", "Подтвердите.", "*1 Пропустить, 2 Продолжить, 3 Отмена, 4 Помощь", 3,
                  kInf},
        StyleCase{15, "", "Ошибка!", "*1 Да, 2 Нет, 3 Отмена, 4 Помощь", 3, kErr},
        StyleCase{48, "", "Внимание!", "2 Продолжить, *3 Отмена", 3, kAsk},
        StyleCase{81, "", "Вопрос", "1 Пропустить, 2 Заменить, 3 Отмена, 4 Добавить", 3, kInf},
        StyleCase{114, "", "Сообщение.", "1 Пропустить, *2 Заменить, 3 Отмена, 4 Добавить", 3,
                  kInf},
        StyleCase{147, "", "Подтвердите.", "1 Да, *2 Нет", 2, kInf},
        StyleCase{20, "", "Ошибка!", "1 Пропустить, 2 Заменить, *3 Отмена, 4 Добавить", 3, kErr},
        StyleCase{53, "", "Внимание!", "1 ОК, *3 Отмена", 3, kAsk},
        StyleCase{86, "", "Вопрос", "1 Пропустить, *2 Продолжить, 3 Отмена", 3, kInf},
        StyleCase{119, "", "Сообщение.", "1 Да, *2 Нет, 3 Отмена", 3, kInf},
        StyleCase{152, "", "Подтвердите.", "2 Продолжить, *3 Отмена, 4 Помощь", 3, kInf},
        StyleCase{25, "", "Ошибка!", "1 ОК, *4 Помощь", 4, kErr},
        StyleCase{58, "", "Внимание!", "2 Закрыть, *4 Помощь", 4, kAsk},
        StyleCase{91, "", "Вопрос", "1 Да, *2 Нет, 4 Помощь", 4, kInf},
        StyleCase{124, "", "Сообщение.", "3 Отмена, *4 Помощь", 3, kInf},
        StyleCase{157, "", "Подтвердите.", "1 ОК, *3 Отмена, 4 Помощь", 3, kInf},
        StyleCase{30, "", "Ошибка!", "1 Пропустить, *2 Продолжить, 3 Отмена, 4 Помощь", 3, kErr},
        StyleCase{63, "", "Внимание!", "1 Да, *2 Нет, 3 Отмена, 4 Помощь", 3, kAsk},
        StyleCase{32, "", "Внимание!", "*2 Продолжить, 3 Отмена", 3, kAsk},
        StyleCase{64, "", "Вопрос", "*2 Продолжить, 3 Отмена", 3, kInf},
        StyleCase{160, "", "Сообщение.", "*1 ОК", 1, kInf},
        StyleCase{-1, "", "Сообщение.", "*1 ОК", 1, kInf},
        StyleCase{35, "", "Внимание!", "*1 Да, 2 Нет", 2, kAsk},
        StyleCase{115, "", "Сообщение.", "1 Да, *2 Нет", 2, kInf},
        StyleCase{1, "Error", "Error", "*1 ОК", 1, kErr},
        StyleCase{33, "ПОБЕДА!", "ПОБЕДА!", "*1 ОК", 1, kAsk}));

struct KeyCase {
    int style;
    std::vector<Key> keys;
    int answer;
    Words heard;  // after the caller's own "stop"
};

class KeysTest : public MessageDialogTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(KeysTest, AnswersAndSpeaksAsThePlayerMoves) {
    mm.AddFile("stop");
    press(GetParam().keys);
    EXPECT_EQ(ShowMessage(host, "Вы хотите прервать игру?", "", GetParam().style, &mm),
              GetParam().answer);
    ASSERT_TRUE(clock.waitUntil([this] { return mm.Count() == 0; }, 60000));
    Words heard{"stop"};
    heard.insert(heard.end(), GetParam().heard.begin(), GetParam().heard.end());
    EXPECT_EQ(device.startedPhraseStems(), heard);
}

const Key kEnter{Qt::Key_Return};
const Key kTab{Qt::Key_Tab};

INSTANTIATE_TEST_SUITE_P(
    Keys, KeysTest,
    ::testing::Values(
        KeyCase{115, {kEnter}, 2, {}}, KeyCase{115, {{Qt::Key_Left}, kEnter}, 1, {}},
        KeyCase{115, {{Qt::Key_Backtab, Qt::ShiftModifier}, kEnter}, 1, {}},
        KeyCase{115, {{Qt::Key_Up}, {Qt::Key_Down}, kEnter}, 2, {"54"}},
        KeyCase{115, {{Qt::Key_Left}, {Qt::Key_Right}, {Qt::Key_Left}, kEnter}, 1, {"53"}},
        KeyCase{15, {kTab, kTab, kTab, kTab, kTab, {Qt::Key_Space}}, 2, {"53", "54"}},
        KeyCase{35, {{Qt::Key_Right}, {Qt::Key_Space}}, 2, {}},
        KeyCase{7, {{Qt::Key_Escape}}, 3, {}}, KeyCase{35, {{Qt::Key_Escape}, kEnter}, 1, {}},
        KeyCase{81, {{Qt::Key_Enter, Qt::KeypadModifier}}, 1, {}},
        KeyCase{115,
                {{Qt::Key_Return, Qt::ControlModifier}, {Qt::Key_Left, Qt::AltModifier}, kEnter},
                2,
                {}},
        KeyCase{115, {}, 2, {}}));

TEST_F(MessageDialogTest, TheOwnerIsDisabledWhileItWaitsAndGetsTheKeyboardBack) {
    QWidget owner;
    new QLineEdit(&owner);
    auto* edit = new QLineEdit(&owner);
    owner.show();
    owner.activateWindow();
    edit->setFocus();
    QCoreApplication::processEvents();
    ASSERT_EQ(QApplication::activeWindow(), &owner);
    bool enabledMeanwhile = true;
    clock.singleShot(50, [&] { enabledMeanwhile = owner.isEnabled(); });
    press({kEnter});
    EXPECT_EQ(ShowMessage(host, "Текст", "", 35, nullptr), 1);
    QCoreApplication::processEvents();
    EXPECT_FALSE(enabledMeanwhile);
    EXPECT_TRUE(owner.isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), edit);
}

}  // namespace
}  // namespace korvel
