#include "ui/HelpWindow.h"

#include "ui/DialogOwner.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTextBlock>
#include <QWindow>
#include <array>
#include <functional>
#include <memory>

#include "core/Clock.h"
#include "core/IniFile.h"
#include "ui/DialogHost.h"
#include "ui/PhysicalKey.h"
#include "voice/SpeechLayer.h"

namespace korvel {
namespace {

const QString kCloseCaption = QStringLiteral("Да понял я! Сколько можно?");

// More natural Russian voices a player may have installed (RHVoice), tried
// before the first Russian voice of the list.
constexpr std::array<const char*, 4> kPreferredVoices{"Aleksandr", "Anna", "Elena", "Irina"};

// How long the window waits for the speech service before it reads silently.
constexpr int kConnectTimeoutMs = 5000;

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr int kSpeedStep = 5;

// The keys whose virtual-key codes are 219 and above: they read no line.
bool HighKeyCode(int key) {
    return key == Qt::Key_BracketLeft || key == Qt::Key_BracketRight || key == Qt::Key_Backslash ||
           key == Qt::Key_Apostrophe;
}

bool IsEnter(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

}  // namespace

HelpWindow::HelpWindow(SpeechLayer& speech) : QWidget(nullptr, Qt::Dialog), m_speech(speech) {
    setObjectName(QStringLiteral("frmHelp"));
    resize(kWidth, kHeight);

    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("Lhelp"));
    m_text->setGeometry(8, 8, kWidth - 16, kHeight - 64);
    m_text->setReadOnly(true);
    m_text->setTabChangesFocus(true);
    m_text->setStyleSheet(QStringLiteral(
        "QPlainTextEdit { background-color: rgb(0, 0, 128); color: rgb(255, 255, 0); }"));
    QFont font = m_text->font();
    font.setPointSize(12);
    m_text->setFont(font);
    m_text->installEventFilter(this);

    m_button = new QPushButton(kCloseCaption, this);
    m_button->setObjectName(QStringLiteral("Chelp"));
    m_button->setGeometry(8, kHeight - 48, kWidth - 16, 40);
    m_button->setDefault(true);
    m_button->setStyleSheet(QStringLiteral(
        "QPushButton { background-color: rgb(0, 191, 255); color: black; font-weight: bold; }"
        " QPushButton:focus { border: 3px solid white; }"));
    m_button->installEventFilter(this);
    connect(m_button, &QPushButton::clicked, this, [this] { m_open = false; });
}

void HelpWindow::setHelpText(const QString& text) {
    m_helpText = text;
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_text->setPlainText(shown);
}

void HelpWindow::chooseVoice() {
    m_speechOn = m_speech.FindRussianEngine() != 0;
    if (!m_speechOn) {
        return;
    }
    for (const char* preferred : kPreferredVoices) {
        for (int n = 1; n <= m_speech.EngineCount(); ++n) {
            if (m_speech.ModeName(n) == preferred) {
                m_speech.UseEngine(static_cast<std::int16_t>(n));
                return;
            }
        }
    }
}

void HelpWindow::Activated() {
    if (m_speechOn) {
        m_speech.SpeakVoice(windowTitle().toStdString());
    }
    m_lines = m_helpText.split(QLatin1Char('\n'));
    m_currentLine = 0;
    showCurrentLine();
    if (m_speechOn) {
        m_speech.SpeakPlain(m_lines[0].toStdString());
    }
}

void HelpWindow::speakCurrentLine() {
    if (m_speechOn) {
        m_speech.SpeakLine(m_lines[m_currentLine].toStdString());
    }
}

void HelpWindow::showCurrentLine() {
    QTextCursor cursor(m_text->document()->findBlockByNumber(m_currentLine));
    m_text->setTextCursor(cursor);
    m_text->ensureCursorVisible();
}

void HelpWindow::readingKey(int key, Qt::KeyboardModifiers modifiers) {
    if (m_lines.isEmpty()) {
        return;
    }
    if (!HasCommandModifier(modifiers)) {
        SpeechLayer::VoiceRow& voice = m_speech.current();
        switch (key) {
            case Qt::Key_Escape:
                m_open = false;
                break;
            case Qt::Key_PageUp:
                m_currentLine = std::max(m_currentLine - 10, 0);
                break;
            case Qt::Key_PageDown:
                m_currentLine = std::min(m_currentLine + 10, LastLine());
                break;
            case Qt::Key_Up:
                m_currentLine -= m_currentLine > 0 ? 1 : 0;
                break;
            case Qt::Key_Down:
                m_currentLine += m_currentLine < LastLine() ? 1 : 0;
                break;
            case Qt::Key_BracketLeft:
            case Qt::Key_BracketRight: {
                const bool slower = key == Qt::Key_BracketLeft;
                if (slower ? voice.MinSpeed + kSpeedStep < voice.speed
                           : voice.speed < voice.MaxSpeed - kSpeedStep) {
                    voice.speed += slower ? -kSpeedStep : kSpeedStep;
                    m_speech.SpeakVoice(std::to_string(voice.speed));
                    m_speech.settings().SetNumber("Dictor", "speed", voice.speed);
                }
                break;
            }
            default:
                break;
        }
        if (!HighKeyCode(key)) {
            speakCurrentLine();
        }
    } else if (modifiers & Qt::ControlModifier) {
        if (key == Qt::Key_End) {
            m_currentLine = LastLine();
        } else if (key == Qt::Key_Home) {
            m_currentLine = 0;
        }
        speakCurrentLine();
    }
    showCurrentLine();
    if (m_lines[m_currentLine].size() <= 1) {
        m_speech.SpeakVoice("Пусто.");
    }
}

bool HelpWindow::event(QEvent* event) {
    // Another window taking the keyboard silences the reading; coming back
    // starts it again from the caption and the first line.
    if (event->type() == QEvent::WindowDeactivate && m_open) {
        m_deactivated = true;
        m_speech.Unbind();
    } else if (event->type() == QEvent::WindowActivate && m_deactivated && m_open) {
        m_deactivated = false;
        m_speech.Bind();
        Activated();
    }
    return QWidget::event(event);
}

bool HelpWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn && watched == m_button && m_speechOn &&
        static_cast<QFocusEvent*>(event)->reason() != Qt::ActiveWindowFocusReason) {
        m_speech.SpeakVoice(kCloseCaption.toStdString());
    }
    if (event->type() != QEvent::KeyPress) {
        return false;
    }
    auto* key = static_cast<QKeyEvent*>(event);
    const int physical = PhysicalKey(*key);
    const bool plain = !HasCommandModifier(key->modifiers());
    if (IsEnter(physical) && plain) {
        m_button->click();
        return true;
    }
    if (watched == m_text) {
        if (physical == Qt::Key_Tab || physical == Qt::Key_Backtab) {
            return false;
        }
        readingKey(physical, key->modifiers());
        return true;
    }
    // The button: Space presses it, Tab and Shift+Tab go back to the text.
    const bool tab = physical == Qt::Key_Tab || physical == Qt::Key_Backtab;
    return !tab && !(plain && physical == Qt::Key_Space);
}

void HelpWindow::closeEvent(QCloseEvent* event) {
    // Closed by the window manager: as if its button were pressed.
    m_open = false;
    event->ignore();
}

namespace {

DialogRecord MakeRecord(const HelpWindow& form, const QString& text) {
    DialogRecord record;
    record.kind = "help";
    record.caption = form.windowTitle().toStdString();
    record.text = text.toStdString();
    record.buttons.emplace_back(1, form.closeButton()->text().toStdString());
    return record;
}

}  // namespace

namespace {

// A help window while it is open, with the waits for the speech service (its
// answer, or the time it is given).
struct OpenHelpWindow : OpenDialog<HelpWindow> {
    OpenHelpWindow(DialogHost& host, SpeechLayer& speech) : OpenDialog(host, speech) {}
    Clock::TimerId connected = 0, connectTimeout = 0;
};

std::shared_ptr<OpenHelpWindow> Open(DialogHost& host, SpeechLayer& speech, const QString& text,
                                     const QString& caption, std::function<void()> closed) {
    auto open = std::make_shared<OpenHelpWindow>(host, speech);
    HelpWindow& form = open->form;
    form.setWindowTitle(caption);
    form.setHelpText(text);
    form.setOpen(true);
    open->owner.show(form);
    form.textBox()->setFocus(Qt::OtherFocusReason);
    open->record = MakeRecord(form, text);
    host.report(open->record);

    // The reading starts once the speech service has answered, or has had its
    // time: without it the window reads silently.
    speech.Bind();
    Clock& clock = host.clock();
    auto start = [open = open.get(), &clock] {
        clock.stopTimer(open->connected);
        clock.stopTimer(open->connectTimeout);
        open->form.chooseVoice();
        open->form.Activated();
    };
    open->connected = clock.resumeWhen([&speech] { return !speech.connecting(); }, start);
    open->connectTimeout = clock.resumeAfter(kConnectTimeoutMs, start);
    open->finish = [open = open.get(), &host, &speech, closed = std::move(closed)] {
        host.clock().stopTimer(open->connected);
        host.clock().stopTimer(open->connectTimeout);
        open->form.setOpen(false);
        speech.Unbind();
        open->owner.restore();
        open->form.hide();
        open->record.answer = 1;
        host.report(open->record);
        closed();
    };
    open->finishWhen(clock, open, [](const HelpWindow& shown) { return !shown.isOpen(); });
    return open;
}

}  // namespace

void OpenHelp(DialogHost& host, SpeechLayer& speech, const QString& text, const QString& caption,
              std::function<void()> closed) {
    Open(host, speech, text, caption, std::move(closed));
}

}  // namespace korvel
