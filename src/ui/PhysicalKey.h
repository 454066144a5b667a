#pragma once

#include <QKeyEvent>

namespace korvel {

// The command a key press stands for, decided by the physical key, so that a
// player with the Russian layout active presses the same keys as one with the
// Latin layout. Letters, comma, period, semicolon, quote and the brackets come
// back as the Qt key of the Latin layout (Qt::Key_A .. Qt::Key_Z, Qt::Key_Comma,
// Qt::Key_BracketLeft ...); every other key as the event's own key.
//
// The X11 key code (Qt's native scan code on xcb and Wayland) decides first;
// without one, the key codes of both layouts do.
int PhysicalKey(const QKeyEvent& event);
int PhysicalKey(int key, quint32 nativeScanCode, quint32 nativeVirtualKey);

// The Shift, Ctrl and Alt of `modifiers`: what changes a key's command. The
// keypad and layout-group flags a key may carry are left out.
Qt::KeyboardModifiers CommandModifiers(Qt::KeyboardModifiers modifiers);

// True when Shift, Ctrl or Alt is held: the game's keys then do nothing.
inline bool HasCommandModifier(Qt::KeyboardModifiers modifiers) {
    return CommandModifiers(modifiers) != Qt::NoModifier;
}

}  // namespace korvel
