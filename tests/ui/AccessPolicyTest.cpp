// What a screen reader is given of the game: by default a tree with nothing to
// read in it (the game's own voice speaks alone), with [Access] screenreader=1
// in the settings file Qt's ordinary one, which a magnifier can follow.
#include "ui/AccessPolicy.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QListWidget>

#include "Session.h"
#include "core/IniFile.h"
#include "core/Texts.h"
#include "ui/MessageDialog.h"

namespace korvel::testing {
namespace {

struct TreeCase {
    const char* name;
    const char* stored;  // the value of [Access] screenreader; "" when missing
    bool ordinary;
};

class AccessTree : public ::testing::TestWithParam<TreeCase> {};

TEST_P(AccessTree, MenuListAndQuestionBox) {
    const TreeCase c = GetParam();
    Session s(1, [&](const std::filesystem::path& temp) {
        if (*c.stored != '\0') {
            WriteIni(temp / "Korvel.ini", "Access", "screenreader", c.stored);
        }
        return Folders(temp);
    });
    QAccessibleInterface* window = QAccessible::queryAccessibleInterface(&s.app->window());
    QAccessibleInterface* list =
        QAccessible::queryAccessibleInterface(s.app->menu().findChild<QListWidget*>());
    ASSERT_TRUE(window != nullptr && list != nullptr);
    EXPECT_TRUE(
        window->text(QAccessible::Name).contains(QString::fromStdString(VersionTitle()).trimmed()));

    QString boxName;
    int boxChildren = -1;
    bool boxShown = false;
    s.clock.singleShot(100, [&] {
        QAccessibleInterface* box =
            QAccessible::queryAccessibleInterface(QApplication::activeWindow());
        boxName = box->text(QAccessible::Name);
        boxChildren = box->childCount();
        boxShown = !box->state().invisible;
    });
    s.press(200, "Enter");
    int answer = 0;
    OpenMessage(s.app->dialogs(), "Вы хотите прервать игру?", "Вопрос", 115, nullptr,
                [&answer](int pressed) { answer = pressed; });
    s.clock.advance(300);
    ASSERT_NE(answer, 0);
    // Back from the game's own dialog, the main window takes the focus again:
    // quiet, a screen reader is not made to name the game a second time.
    const QString nameAfterDialog = window->text(QAccessible::Name);

    if (c.ordinary) {
        EXPECT_EQ(list->role(), QAccessible::List);
        EXPECT_EQ(list->childCount(), s.app->menu().findChild<QListWidget*>()->count());
        EXPECT_GT(window->childCount(), 0);
        EXPECT_EQ(boxName, QStringLiteral("Вопрос"));
        EXPECT_GT(boxChildren, 0);
        EXPECT_TRUE(boxShown);
        EXPECT_FALSE(nameAfterDialog.isEmpty());
    } else {
        EXPECT_TRUE(list->text(QAccessible::Name).isEmpty() && list->state().invisible);
        EXPECT_EQ(list->childCount(), 0);
        EXPECT_EQ(window->childCount(), 0);
        EXPECT_TRUE(boxName.isEmpty() && !boxShown);
        EXPECT_EQ(boxChildren, 0);
        EXPECT_TRUE(nameAfterDialog.isEmpty()) << nameAfterDialog.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Settings, AccessTree,
                         ::testing::Values(TreeCase{"KeyMissing", "", false},
                                           TreeCase{"Zero", "0", false},
                                           TreeCase{"One", "1", true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace korvel::testing
