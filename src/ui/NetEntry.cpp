#include "ui/NetEntry.h"

#include <algorithm>

#include "ui/PhysicalKey.h"
#include "voice/Announcer.h"

namespace korvel {
namespace {

bool IsModifierKey(int key) {
    switch (key) {
        case Qt::Key_Shift:
        case Qt::Key_Control:
        case Qt::Key_Alt:
        case Qt::Key_AltGr:
        case Qt::Key_Meta:
        case Qt::Key_Super_L:
        case Qt::Key_Super_R:
        case Qt::Key_CapsLock:
        case Qt::Key_NumLock:
        case Qt::Key_ScrollLock:
            return true;
        default:
            return false;
    }
}

bool IsAddressChar(QChar c) {
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
           (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('.') ||
           c == QLatin1Char('-') || c == QLatin1Char(':') || c == QLatin1Char('[') ||
           c == QLatin1Char(']');
}

QLabel* MakeLabel(QWidget* parent, int pointSize, const QColor& text, const QColor& back) {
    auto* label = new QLabel(parent);
    QFont font = label->font();
    font.setPointSize(pointSize);
    font.setBold(true);
    label->setFont(font);
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, text);
    pal.setColor(QPalette::Window, back);
    label->setPalette(pal);
    label->setAutoFillBackground(true);
    return label;
}

}  // namespace

NetEntry::NetEntry(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("m_netEntry"));
    setFocusPolicy(Qt::NoFocus);
    setAutoFillBackground(true);
    const QColor navy(0, 0, 96), yellow(255, 255, 0);
    m_caption = MakeLabel(this, 20, yellow, navy);
    m_hint = MakeLabel(this, 16, QColor(255, 255, 255), navy);
    m_hint->setWordWrap(true);
    m_text = MakeLabel(this, 28, yellow, QColor(0, 0, 0));
    m_text->setWordWrap(true);
    m_text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_text->setMargin(8);
    hide();
}

void NetEntry::attach(Announcer* announcer, const EffectBuffer* refusal) {
    m_announcer = announcer;
    m_refusal = refusal;
}

void NetEntry::setAddress(const QString& address) {
    const QString lower = address.trimmed().toLower();
    const bool typeable =
        lower.size() <= kMaxAddress && std::all_of(lower.begin(), lower.end(), IsAddressChar);
    m_address = typeable ? lower : QString();
    if (m_open && m_mode == Mode::Address) {
        showText();
    }
}

void NetEntry::open(Mode mode, const QString& text) {
    QWidget* owner = parentWidget();
    setGeometry(owner ? owner->rect() : rect());
    const int width = this->width();
    m_caption->setGeometry(20, 0, width - 40, 50);
    m_hint->setGeometry(20, 50, width - 40, 60);
    m_text->setGeometry(20, 120, width - 40, height() - 140);
    m_mode = mode;
    m_open = true;
    if (mode == Mode::Code) {
        m_code.clear();
    }
    switch (mode) {
        case Mode::Address:
            m_caption->setText(QStringLiteral("Введите  адрес:"));
            m_hint->setText(
                QStringLiteral("Цифры,  точки,  латинские  буквы.  Enter  —  далее,  "
                               "Escape  —  назад."));
            break;
        case Mode::Code:
            m_caption->setText(QStringLiteral("Введите  код:"));
            m_hint->setText(QStringLiteral("Четыре  цифры.  Escape  —  назад."));
            break;
        case Mode::Waiting:
            m_caption->setText(QStringLiteral("Игра  по  сети:"));
            m_hint->setText(QStringLiteral("Escape  —  отмена."));
            break;
    }
    if (mode == Mode::Waiting) {
        setShownText(text);
    } else {
        showText();
    }
    show();
    raise();
    setFocusPolicy(Qt::StrongFocus);
    setFocus();
    if (mode == Mode::Address) {
        say({"enteraddr"}, m_address);
    } else if (mode == Mode::Code) {
        say({"entercode"});
    }
}

void NetEntry::close() {
    m_open = false;
    setFocusPolicy(Qt::NoFocus);
    hide();
}

// Characters are shown with room to break between any two of them, so that a
// long host name wraps instead of running off the screen.
void NetEntry::showText() {
    QString shown;
    for (const QChar c : field()) {
        shown += c;
        shown += QChar(0x200B);
    }
    if (m_mode == Mode::Code) {
        for (qsizetype i = m_code.size(); i < kCodeDigits; ++i) {
            shown += QStringLiteral("_ ");
        }
    } else if (m_address.size() < kMaxAddress) {
        shown += QLatin1Char('_');
    }
    setShownText(shown);
}

// Large letters while they fit; a long text in smaller ones, all of it on the screen.
void NetEntry::setShownText(const QString& text) {
    QFont font = m_text->font();
    const qsizetype characters = text.size() - text.count(QChar(0x200B));
    font.setPointSize(characters > 100 ? 16 : 28);
    m_text->setFont(font);
    m_text->setText(text);
}

char NetEntry::AddressChar(const QKeyEvent& event) {
    const int key = PhysicalKey(event);
    if (key == Qt::Key_Semicolon || key == Qt::Key_Colon) {
        return ':';
    }
    if ((event.modifiers() & Qt::ShiftModifier) != 0) {
        return 0;
    }
    if (key >= Qt::Key_A && key <= Qt::Key_Z) {
        return static_cast<char>('a' + (key - Qt::Key_A));
    }
    if (key >= Qt::Key_0 && key <= Qt::Key_9) {
        return static_cast<char>('0' + (key - Qt::Key_0));
    }
    switch (key) {
        case Qt::Key_Period:
            return '.';
        case Qt::Key_Comma:  // the keypad's decimal key gives a comma in some layouts
            return (event.modifiers() & Qt::KeypadModifier) != 0 ? '.' : 0;
        case Qt::Key_Minus:
            return '-';
        case Qt::Key_BracketLeft:
            return '[';
        case Qt::Key_BracketRight:
            return ']';
        default:
            return 0;
    }
}

std::string NetEntry::CharPhrase(QChar c) {
    const char latin = c.toLatin1();
    if (latin >= 'a' && latin <= 'z') {
        return std::string(1, static_cast<char>(latin - 'a' + 'A'));
    }
    if (latin >= '0' && latin <= '9') {
        return std::string(1, latin);
    }
    switch (latin) {
        case '.':
            return "dot";
        case ':':
            return "colon";
        case '-':
            return "dash";
        case '[':
            return "bracket";
        default:
            return "endbracket";
    }
}

void NetEntry::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers mods = event->modifiers();
    if ((mods & (Qt::ControlModifier | Qt::AltModifier)) != 0 || IsModifierKey(event->key())) {
        return;
    }
    const bool shift = (mods & Qt::ShiftModifier) != 0;
    const int key = event->key();
    if (m_mode == Mode::Waiting) {
        if (key == Qt::Key_Escape && !shift && onStep) {
            onStep(m_mode, Step::Back);
        }
        return;
    }
    if (!shift && key == Qt::Key_Escape) {
        if (onStep) {
            onStep(m_mode, Step::Back);
        }
        return;
    }
    if (!shift && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
        const bool full =
            m_mode == Mode::Address ? !m_address.isEmpty() : m_code.size() == kCodeDigits;
        if (!full) {
            return refuse();
        }
        if (onStep) {
            onStep(m_mode, Step::Done);
        }
        return;
    }
    if (!shift && key == Qt::Key_Backspace) {
        return erase();
    }
    char c = AddressChar(*event);
    if (m_mode == Mode::Code && (c < '0' || c > '9')) {
        c = 0;
    }
    const qsizetype limit = m_mode == Mode::Address ? kMaxAddress : kCodeDigits;
    if (c == 0 || field().size() >= limit) {
        return refuse();
    }
    typed(c);
}

void NetEntry::typed(char c) {
    field() += QLatin1Char(c);
    showText();
    say({CharPhrase(QLatin1Char(c))});
    if (m_mode == Mode::Code && m_code.size() == kCodeDigits && onStep) {
        onStep(m_mode, Step::Done);
    }
}

void NetEntry::erase() {
    QString& text = field();
    if (text.isEmpty()) {
        return refuse();
    }
    const QChar removed = text.back();
    text.chop(1);
    showText();
    say({"deleted", CharPhrase(removed)});
}

void NetEntry::refuse() {
    if (m_refusal == nullptr) {
        return;
    }
    std::int32_t pan = 0;
    std::int32_t volume = 0;
    std::int32_t frequency = 22050;
    PlayEffect(*m_refusal, pan, volume, frequency);
}

// What was being said stops: the player hears at once what the key did.
void NetEntry::say(std::initializer_list<std::string> phrases, const QString& spelled) {
    if (m_announcer == nullptr) {
        return;
    }
    m_announcer->Clear();
    m_announcer->StopSound();
    for (const std::string& phrase : phrases) {
        m_announcer->AddFile(phrase);
    }
    for (const QChar c : spelled) {
        m_announcer->AddFile(CharPhrase(c));
    }
}

}  // namespace korvel
