#include "ui/AccessPolicy.h"

#include <QAccessibleObject>
#include <QApplication>
#include <QWidget>

#include "core/IniFile.h"

namespace korvel {
namespace {

bool g_quiet = false;
// The focus came back to the main window from one of the game's own dialogs.
bool g_backFromDialog = false;

// The game's own window, not one of its dialogs.
bool IsMainWindow(const QWidget* w) {
    return w->isWindow() && w->windowType() == Qt::Window;
}

// A widget as the game gives it while it speaks alone. The main window is an
// empty window named by its title (a screen reader names the game by it when
// the game takes the focus), but nameless when the focus comes back to it
// from a dialog of the game's own; its role is one a screen reader does not
// say. A dialog is a nameless empty window, as the game says what it asks;
// any other widget a nameless, invisible object outside the tree.
class QuietWidget : public QAccessibleObject {
  public:
    explicit QuietWidget(QWidget* widget) : QAccessibleObject(widget) {}

    QAccessibleInterface* parent() const override {
        const QWidget* w = widget();
        if (w->isWindow()) {
            return QAccessible::queryAccessibleInterface(qApp);
        }
        return QAccessible::queryAccessibleInterface(w->window());
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

    QString text(QAccessible::Text t) const override {
        const QWidget* w = widget();
        return t == QAccessible::Name && IsMainWindow(w) && !g_backFromDialog
                   ? w->windowTitle().trimmed()
                   : QString();
    }
    QAccessible::Role role() const override {
        return widget()->isWindow() ? QAccessible::Client : QAccessible::NoRole;
    }
    // A dialog is not shown either: a screen reader passes over its window when
    // it opens.
    QAccessible::State state() const override {
        QAccessible::State s;
        const QWidget* w = widget();
        if (!IsMainWindow(w)) {
            s.invisible = true;
            return s;
        }
        s.invisible = !w->isVisible();
        s.active = w->isActiveWindow();
        return s;
    }
    QRect rect() const override {
        const QWidget* w = widget();
        return w->isVisible() ? QRect(w->mapToGlobal(QPoint(0, 0)), w->size()) : QRect();
    }
    QWindow* window() const override { return widget()->window()->windowHandle(); }

  private:
    QWidget* widget() const { return static_cast<QWidget*>(object()); }
};

QAccessibleInterface* QuietFactory(const QString&, QObject* object) {
    if (!g_quiet || !object->isWidgetType()) {
        return nullptr;
    }
    return new QuietWidget(static_cast<QWidget*>(object));
}

// Nothing the widgets do is told: no focus, name, text or selection change.
void DropEvent(QAccessibleEvent*) {}

// Notes where the focus went: a window of the game loses it before the next
// one gets it (and a screen reader asks that one's name).
class ActivationWatch : public QObject {
  public:
    bool eventFilter(QObject* target, QEvent* event) override {
        if (event->type() == QEvent::WindowDeactivate && target->isWidgetType()) {
            const auto* w = static_cast<const QWidget*>(target);
            if (w->isWindow()) {
                g_backFromDialog = !IsMainWindow(w);
            }
        }
        return false;
    }
};

}  // namespace

AccessPolicy::AccessPolicy(bool ordinaryTree) : m_quiet(!ordinaryTree) {
    if (!m_quiet) {
        return;
    }
    g_quiet = true;
    g_backFromDialog = false;
    m_watch = std::make_unique<ActivationWatch>();
    qApp->installEventFilter(m_watch.get());
    QAccessible::installFactory(QuietFactory);
    m_previous = QAccessible::installUpdateHandler(DropEvent);
}

AccessPolicy::~AccessPolicy() {
    if (!m_quiet) {
        return;
    }
    QAccessible::installUpdateHandler(m_previous);
    QAccessible::removeFactory(QuietFactory);
    g_quiet = false;
}

bool AccessPolicy::OrdinaryTreeWanted(const Settings& settings) {
    return settings.GetNumber("Access", "screenreader") != 0;
}

}  // namespace korvel
