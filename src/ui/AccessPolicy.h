#pragma once

#include <QAccessible>
#include <QObject>
#include <memory>

namespace korvel {

class Settings;

// What assistive technologies (a screen reader, a magnifier) are given of the
// program's windows. Korvel speaks for itself, and a screen reader that also
// read its widgets would talk over the game's own voice. So while the game is
// alone, every widget is given to them as a nameless, invisible object with no
// children, and no change of focus, text or selection is sent; each window is
// an empty window, the main window named by its title when the game takes the
// focus, so that a screen reader names the game once. The screen reader's own
// commands still reach it (the key events go to it as before), and other
// programs are not touched.
//
// With the ordinary tree (`[Access] screenreader=1` in the settings file) Qt's
// own accessible objects and events are given: a magnifier that follows the
// keyboard focus follows it then, and a screen reader reads the widgets too.
//
// One policy is in force at a time; it lasts for the life of this object and
// must be made before any widget is asked for its accessible object.
class AccessPolicy {
  public:
    explicit AccessPolicy(bool ordinaryTree);
    ~AccessPolicy();
    AccessPolicy(const AccessPolicy&) = delete;
    AccessPolicy& operator=(const AccessPolicy&) = delete;

    // The stored choice: true when [Access] screenreader is set (not 0).
    static bool OrdinaryTreeWanted(const Settings& settings);

  private:
    bool m_quiet;
    QAccessible::UpdateHandler m_previous = nullptr;
    std::unique_ptr<QObject> m_watch;  // where the focus goes among the game's windows
};

}  // namespace korvel
