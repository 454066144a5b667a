#pragma once

#include <QKeyEvent>
#include <QLabel>
#include <QString>
#include <QWidget>
#include <functional>
#include <string>

#include "voice/SoundEffects.h"

namespace korvel {

class Announcer;

// The typed fields of the network game, over the menu's list: the host's
// address (a host name, IPv4 or bracketed IPv6 address), then the game's
// four-digit code; and the notice the host reads while waiting for a player.
// Every accepted character is said, a refused key sounds the refusal effect,
// Backspace says what it removed. Keys are physical keys: the letters are the
// same under the Russian layout.
class NetEntry : public QWidget {
  public:
    enum class Mode { Address, Code, Waiting };
    // What the player has done: `Done` Enter on a full field (or the code's
    // fourth digit), `Back` Escape.
    enum class Step { Done, Back };

    static constexpr int kMaxAddress = 255;
    static constexpr int kCodeDigits = 4;

    explicit NetEntry(QWidget* parent);

    // The announcer and the refusal effect, borrowed; none means silent.
    void attach(Announcer* announcer, const EffectBuffer* refusal);
    // Shows the field and gives it the keyboard. The address and code fields
    // say their request ("enteraddr", "entercode") and the text already typed;
    // the code starts empty. The waiting notice shows `text` and says nothing.
    void open(Mode mode, const QString& text = {});
    // Hides it and gives up the keyboard.
    void close();
    bool isOpen() const { return m_open; }
    Mode mode() const { return m_mode; }

    // The typed values. A stored address is taken only when every character
    // could have been typed here (letters in lower case) and it is not too
    // long; otherwise the field starts empty.
    const QString& address() const { return m_address; }
    void setAddress(const QString& address);
    const QString& code() const { return m_code; }

    std::function<void(Mode, Step)> onStep;

    // The character a key types into the address (0: none): digits, '.', '-',
    // '[', ']' and the Latin letters by their physical key, without Shift;
    // ':' from the semicolon key or a typed colon, with or without Shift.
    static char AddressChar(const QKeyEvent& event);
    // The phrase that says one typed character ("7", "K", "dot" ...).
    static std::string CharPhrase(QChar c);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool) override { return false; }

  private:
    QString& field() { return m_mode == Mode::Address ? m_address : m_code; }
    void typed(char c);
    void erase();
    void refuse();
    void say(std::initializer_list<std::string> phrases, const QString& spelled = {});
    void showText();
    void setShownText(const QString& text);

    Announcer* m_announcer = nullptr;
    const EffectBuffer* m_refusal = nullptr;
    Mode m_mode = Mode::Address;
    bool m_open = false;
    QString m_address;
    QString m_code;
    QLabel* m_caption;
    QLabel* m_hint;
    QLabel* m_text;
};

}  // namespace korvel
