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
#include "Session.h"
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

// Every option: "style caption beep: buttons -> answer to a close", a star on
// the first focus.
TEST_F(MessageDialogTest, EveryOptionShowsItsButtonsAndAnswersAClose) {
    std::vector<std::string> lines;
    std::vector<int> styles = {33, 66, 99, 132, 160};  // the other captions, out of range
    for (int option = 31; option >= -1; --option) {
        styles.insert(styles.begin(), option);
    }
    for (const int style : styles) {
        records.clear();
        const std::size_t beeps = device.effectPlays().size();
        clock.singleShot(100, [] { QApplication::activeWindow()->close(); });
        const int answer = ShowMessage(host, "Текст", "", style, nullptr);
        ASSERT_EQ(records.size(), 2u);
        ASSERT_EQ(device.effectPlays().size(), beeps + 1);
        std::string shown = std::to_string(style) + " " + records[0].caption + " " +
                            device.effectPlays().back().name + ":";
        for (const auto& [n, caption] : records[0].buttons) {
            shown += (n == records[0].focus ? " *" : " ") + std::to_string(n) + " " + caption;
        }
        lines.push_back(shown + " -> " + std::to_string(answer));
    }
    EXPECT_EQ(device.liveEffects(), 0u);
    testing::ExpectGolden(lines, "message_styles");
}

// "style keys -> answer: phrases started", the caller's own "stop" first.
TEST_F(MessageDialogTest, AnswersAndSpeaksAsThePlayerMoves) {
    const std::pair<int, const char*> cases[] = {{115, "Return"},
                                                 {115, "Shift+Backtab Return"},
                                                 {115, "Up Down Return"},
                                                 {115, "Left Right Left Return"},
                                                 {15, "Tab Tab Tab Tab Tab Space"},
                                                 {7, "Esc Return"},
                                                 {35, "Esc Return"},
                                                 {81, "Enter"},
                                                 {115, "Ctrl+Left Alt+Left Return"},
                                                 {115, "Ctrl+Return Alt+Space Left Return"},
                                                 {115, ""}};
    std::vector<std::string> lines;
    for (const auto& [style, keys] : cases) {
        const std::size_t before = device.startedPhraseStems().size();
        mm.AddFile("stop");
        press(keys);
        std::string heard = std::to_string(style) + " " + keys + " -> " +
                            std::to_string(ShowMessage(host, "Текст", "", style, &mm)) + ":";
        ASSERT_TRUE(clock.waitUntil([this] { return mm.Count() == 0; }, 60000));
        const auto stems = device.startedPhraseStems();
        for (std::size_t i = before; i < stems.size(); ++i) {
            heard += " " + stems[i];
        }
        lines.push_back(heard);
    }
    testing::ExpectGolden(lines, "message_keys");
}

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
