#include "MessageDialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QKeySequence>
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

struct QtEnvironment : ::testing::Environment {
    void SetUp() override { app = std::make_unique<QApplication>(argc, argv); }
    void TearDown() override { app.reset(); }
    int argc = 1;
    char name[9] = "ui_tests";
    char* argv[2] = {name, nullptr};
    std::unique_ptr<QApplication> app;
};
[[maybe_unused]] const auto* const kQt = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

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

    // The player's keys ("Ctrl+Left Return"), one every 100 ms, to whatever has the keyboard.
    void press(const QString& keys) {
        int at = 0;
        for (const QString& name : keys.split(' ', Qt::SkipEmptyParts)) {
            const QKeyCombination key = QKeySequence(name)[0];
            clock.singleShot(100 * ++at, [key] {
                QKeyEvent down(QEvent::KeyPress, key.key(), key.keyboardModifiers());
                QKeyEvent up(QEvent::KeyRelease, key.key(), key.keyboardModifiers());
                if (QWidget* target = QApplication::focusWidget()) {
                    QApplication::sendEvent(target, &down);
                    QApplication::sendEvent(target, &up);
                }
            });
        }
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
    const char* shown;  // "caption beep: buttons -> answer to a close", the star on the first focus
};

class StyleTest : public MessageDialogTest, public ::testing::WithParamInterface<StyleCase> {};

TEST_P(StyleTest, ShowsTheButtonsOfItsOptionsAndAnswersAClose) {
    clock.singleShot(100, [] { QApplication::activeWindow()->close(); });
    const int answer = ShowMessage(host, "Текст", "", GetParam().style, nullptr);
    ASSERT_EQ(records.size(), 2u);
    ASSERT_EQ(device.effectPlays().size(), 1u);
    std::string shown = records[0].caption + " " + device.effectPlays()[0].name + ":";
    for (const auto& [n, caption] : records[0].buttons) {
        shown += (n == records[0].focus ? " *" : " ") + std::to_string(n) + " " + caption;
    }
    EXPECT_EQ(shown + " -> " + std::to_string(answer), GetParam().shown);
    EXPECT_EQ(device.liveEffects(), 0u);
}

const StyleCase kStyles[] = {
    {64, "Вопрос msginfo: *2 Продолжить 3 Отмена -> 3"},
    {33, "Внимание! msgquestion: *1 ОК -> 1"},
    {66, "Вопрос msginfo: *2 Закрыть -> 2"},
    {99, "Сообщение. msginfo: *1 Да 2 Нет -> 2"},
    {132, "Подтвердите. msginfo: *3 Отмена -> 3"},
    {5, "Ошибка! msgerror: *1 ОК 3 Отмена -> 3"},
    {38, "Внимание! msgquestion: *1 Пропустить 2 Продолжить 3 Отмена -> 3"},
    {71, "Вопрос msginfo: *1 Да 2 Нет 3 Отмена -> 3"},
    {104, "Сообщение. msginfo: *2 Продолжить 3 Отмена 4 Помощь -> 3"},
    {137, "Подтвердите. msginfo: *1 ОК 4 Помощь -> 4"},
    {10, "Ошибка! msgerror: *2 Закрыть 4 Помощь -> 4"},
    {43, "Внимание! msgquestion: *1 Да 2 Нет 4 Помощь -> 4"},
    {76, "Вопрос msginfo: *3 Отмена 4 Помощь -> 3"},
    {109, "Сообщение. msginfo: *1 ОК 3 Отмена 4 Помощь -> 3"},
    {142, "Подтвердите. msginfo: *1 Пропустить 2 Продолжить 3 Отмена 4 Помощь -> 3"},
    {15, "Ошибка! msgerror: *1 Да 2 Нет 3 Отмена 4 Помощь -> 3"},
    {48, "Внимание! msgquestion: 2 Продолжить *3 Отмена -> 3"},
    {81, "Вопрос msginfo: 1 Пропустить 2 Заменить 3 Отмена 4 Добавить -> 3"},
    {114, "Сообщение. msginfo: 1 Пропустить *2 Заменить 3 Отмена 4 Добавить -> 3"},
    {147, "Подтвердите. msginfo: 1 Да *2 Нет -> 2"},
    {20, "Ошибка! msgerror: 1 Пропустить 2 Заменить *3 Отмена 4 Добавить -> 3"},
    {53, "Внимание! msgquestion: 1 ОК *3 Отмена -> 3"},
    {86, "Вопрос msginfo: 1 Пропустить *2 Продолжить 3 Отмена -> 3"},
    {119, "Сообщение. msginfo: 1 Да *2 Нет 3 Отмена -> 3"},
    {152, "Подтвердите. msginfo: 2 Продолжить *3 Отмена 4 Помощь -> 3"},
    {25, "Ошибка! msgerror: 1 ОК *4 Помощь -> 4"},
    {58, "Внимание! msgquestion: 2 Закрыть *4 Помощь -> 4"},
    {91, "Вопрос msginfo: 1 Да *2 Нет 4 Помощь -> 4"},
    {124, "Сообщение. msginfo: 3 Отмена *4 Помощь -> 3"},
    {157, "Подтвердите. msginfo: 1 ОК *3 Отмена 4 Помощь -> 3"},
    {62, "Внимание! msgquestion: 1 Пропустить *2 Продолжить 3 Отмена 4 Помощь -> 3"},
    {31, "Ошибка! msgerror: 1 Да *2 Нет 3 Отмена 4 Помощь -> 3"},
    {160, "Сообщение. msginfo: *1 ОК -> 1"},
    {-1, "Сообщение. msginfo: *1 ОК -> 1"},
    {35, "Внимание! msgquestion: *1 Да 2 Нет -> 2"},
    {115, "Сообщение. msginfo: 1 Да *2 Нет -> 2"},
};
INSTANTIATE_TEST_SUITE_P(AllOptions, StyleTest, ::testing::ValuesIn(kStyles));

struct KeyCase {
    int style;
    const char* keys;
    const char* heard;  // "answer: phrases started", the caller's own "stop" first
};

class KeysTest : public MessageDialogTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(KeysTest, AnswersAndSpeaksAsThePlayerMoves) {
    mm.AddFile("stop");
    press(GetParam().keys);
    std::string heard = std::to_string(ShowMessage(host, "Текст", "", GetParam().style, &mm)) + ":";
    ASSERT_TRUE(clock.waitUntil([this] { return mm.Count() == 0; }, 60000));
    for (const std::string& phrase : device.startedPhraseStems()) {
        heard += " " + phrase;
    }
    EXPECT_EQ(heard, GetParam().heard) << "keys " << GetParam().keys;
}

const KeyCase kKeyCases[] = {{115, "Return", "2: stop"},
                             {115, "Shift+Backtab Return", "1: stop"},
                             {115, "Up Down Return", "2: stop 54"},
                             {115, "Left Right Left Return", "1: stop 53"},
                             {15, "Tab Tab Tab Tab Tab Space", "2: stop 53 54"},
                             {7, "Esc Return", "3: stop"},
                             {35, "Esc Return", "1: stop"},
                             {81, "Enter", "1: stop"},
                             {115, "Ctrl+Left Alt+Left Return", "2: stop"},
                             {115, "Ctrl+Return Alt+Space Left Return", "1: stop"},
                             {115, "", "2: stop"}};
INSTANTIATE_TEST_SUITE_P(Keys, KeysTest, ::testing::ValuesIn(kKeyCases));

TEST_F(MessageDialogTest, TheOwnerIsDisabledWhileItWaitsAndGetsTheKeyboardBack) {
    QWidget owner;
    new QLineEdit(&owner);
    auto* edit = new QLineEdit(&owner);
    owner.show();
    edit->setFocus();
    QCoreApplication::processEvents();
    ASSERT_EQ(QApplication::activeWindow(), &owner);
    bool enabledMeanwhile = true;
    clock.singleShot(50, [&] { enabledMeanwhile = owner.isEnabled(); });
    press("Return");
    EXPECT_EQ(ShowMessage(host, "Раз\r\nдва", "ПОБЕДА!", 35, nullptr), 1);
    QCoreApplication::processEvents();
    EXPECT_FALSE(enabledMeanwhile);
    EXPECT_TRUE(owner.isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), edit);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].caption + " " + records[0].text, "ПОБЕДА! Раз\r\nдва");
    EXPECT_EQ(records[0].answer, 0);
    EXPECT_EQ(records[1].answer, 1);
}

}  // namespace
}  // namespace korvel
