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

// The tree as a screen reader finds it: the menu list's role, name, shown
// state and children, the window's children, the question box's name,
// children and shown state, and whether the window names itself again once
// the box is answered.
struct TreeCase {
    const char* name;
    const char* stored;  // the value of [Access] screenreader; "" when missing
    const char* tree;
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
    auto* items = s.app->menu().findChild<QListWidget*>();
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(items);
    ASSERT_TRUE(window != nullptr && list != nullptr);
    EXPECT_TRUE(
        window->text(QAccessible::Name).contains(QString::fromStdString(VersionTitle()).trimmed()));
    const auto shown = [](QAccessibleInterface* a) {
        return a->state().invisible ? "hidden" : "shown";
    };
    std::string tree = std::to_string(list->role() == QAccessible::List) + " [" +
                       list->text(QAccessible::Name).toStdString() + "] " + shown(list) + " " +
                       std::to_string(list->childCount() == items->count()) + " " +
                       std::to_string(window->childCount() > 0);
    s.clock.singleShot(100, [&] {
        QAccessibleInterface* box =
            QAccessible::queryAccessibleInterface(QApplication::activeWindow());
        tree += " box [" + box->text(QAccessible::Name).toStdString() + "] " +
                std::to_string(box->childCount() > 0) + " " + shown(box);
    });
    s.press(200, "Enter");
    int answer = 0;
    OpenMessage(s.app->dialogs(), "Вы хотите прервать игру?", "Вопрос", 115, nullptr,
                [&answer](int pressed) { answer = pressed; });
    s.clock.advance(300);
    ASSERT_NE(answer, 0);
    // Back from the game's own dialog, the main window takes the focus again:
    // quiet, a screen reader is not made to name the game a second time.
    tree += " named again " + std::to_string(!window->text(QAccessible::Name).isEmpty());
    EXPECT_EQ(tree, c.tree);
}

// Nothing to read but the window's name; or Qt's ordinary tree.
constexpr const char* kQuiet = "0 [] hidden 0 0 box [] 0 hidden named again 0";
constexpr const char* kOrdinary = "1 [] hidden 1 1 box [Вопрос] 1 shown named again 1";

INSTANTIATE_TEST_SUITE_P(Settings, AccessTree,
                         ::testing::Values(TreeCase{"KeyMissing", "", kQuiet},
                                           TreeCase{"Zero", "0", kQuiet},
                                           TreeCase{"One", "1", kOrdinary}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace korvel::testing
