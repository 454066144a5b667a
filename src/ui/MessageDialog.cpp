#include "ui/MessageDialog.h"

#include "ui/DialogOwner.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QWindow>
#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

#include "core/Clock.h"
#include "ui/DialogHost.h"
#include "voice/Announcer.h"
#include "voice/SoundEffects.h"

namespace korvel {

namespace {

// The window's inner area and its controls, in pixels at 96 dots per inch.
constexpr int kWidth = 520;
constexpr int kHeight = 90;
const QRect kTextRect(5, 3, 510, 48);
const QRect kKontRect(5, 54, 510, 30);
constexpr int kButtonTop = 57;
constexpr int kButtonHeight = 24;
constexpr std::array<int, 4> kButtonLeft{15, 142, 269, 396};
constexpr std::array<int, 4> kButtonWidth{107, 107, 107, 108};
constexpr int kTextMargin = 2;
// A notice repeated while its box shows is said again after this long at the
// soonest, then after twice as long, up to the longest gap.
constexpr std::int64_t kFirstRepeatGapMs = 5000;
constexpr std::int64_t kLongestRepeatGapMs = 320000;

// Background colours of buttons 1..4. A focused button turns navy with
// yellow text, like the text area, so the focus is plain to a weak eye.
const std::array<const char*, 4> kButtonColour{"rgb(255, 255, 0)", "rgb(255, 255, 0)",
                                               "rgb(255, 255, 255)", "rgb(0, 255, 0)"};

QString classCaption(int style) {
    return QString::fromStdString(MessageCaption(style));
}

// Our own sound for the platform's message beep of `value` (style div 2 + 16).
const char* beepEffect(int value) {
    return MessageBeep((value - 16) * 2);
}

// The largest bold font, 12 down to 8 points, at which the whole of `text`
// fits the text area without scrolling; 8 points when none does.
QFont fittingFont(QFont font, const QString& text) {
    const int width = kTextRect.width() - 2 * kTextMargin;
    const int height = kTextRect.height() - 2 * kTextMargin;
    font.setBold(true);
    for (int size = 12; size > 8; --size) {
        font.setPointSize(size);
        const QRect box =
            QFontMetrics(font).boundingRect(QRect(0, 0, width, 100000), Qt::TextWordWrap, text);
        if (box.height() <= height && box.width() <= width) {
            return font;
        }
    }
    font.setPointSize(8);
    return font;
}

}  // namespace

MessageDialog::MessageDialog() : QWidget(nullptr, Qt::Dialog) {
    setObjectName(QStringLiteral("frmMessage"));
    setFixedSize(kWidth, kHeight);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(64, 192, 128));
    palette.setColor(QPalette::WindowText, Qt::white);
    setPalette(palette);
    setAutoFillBackground(true);

    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("textArea"));
    m_text->setGeometry(kTextRect);
    m_text->setReadOnly(true);
    m_text->setFrameShape(QFrame::NoFrame);
    m_text->document()->setDocumentMargin(kTextMargin);
    m_text->setStyleSheet(QStringLiteral(
        "QPlainTextEdit { background-color: rgb(0, 0, 128); color: rgb(255, 255, 0); }"));
    QFont textFont = m_text->font();
    textFont.setPointSize(8);
    m_text->setFont(textFont);
    m_text->installEventFilter(this);

    m_kont = new QLabel(this);
    m_kont->setObjectName(QStringLiteral("Mbkont"));
    m_kont->setGeometry(kKontRect);
    m_kont->setStyleSheet(QStringLiteral("background-color: black;"));

    for (int i = 0; i < 4; ++i) {
        auto* button = new QPushButton(this);
        button->setObjectName(QStringLiteral("button%1").arg(i + 1));
        button->setGeometry(kButtonLeft[i], kButtonTop, kButtonWidth[i], kButtonHeight);
        button->setAutoDefault(false);
        button->setStyleSheet(DialogButtonStyle(kButtonColour[i]));
        button->installEventFilter(this);
        connect(button, &QPushButton::clicked, this, [this, i] { m_result = i + 1; });
        m_butt[i] = button;
    }
    setTabOrder(m_text, m_butt[0]);
    for (int i = 0; i < 3; ++i) {
        setTabOrder(m_butt[i], m_butt[i + 1]);
    }

    m_text->hide();
    for (QPushButton* button : m_butt) {
        button->hide();
    }
}

MessageDialog::~MessageDialog() = default;

void MessageDialog::ApplyOptions(int options) {
    m_building = true;
    m_buttons = MessageButtons(options);
    m_buttons.setAnnouncer(m_announcer);
    for (int n = 1; n <= 4; ++n) {
        m_butt[n - 1]->setText(QString::fromStdString(m_buttons.caption(n)));
        m_butt[n - 1]->setVisible(m_buttons.shown(n));
    }

    m_text->hide();
    m_text->show();

    const int focus = m_buttons.firstFocus();
    if (focus == 0) {
        m_text->setFocus(Qt::OtherFocusReason);
    } else {
        m_butt[focus - 1]->setFocus(Qt::OtherFocusReason);
    }
    m_building = false;
}

std::int16_t MessageDialog::closeAnswer() const {
    return static_cast<std::int16_t>(m_buttons.closeAnswer());
}

int MessageDialog::focusedButton() const {
    return buttonNumber(focusWidget());
}

int MessageDialog::buttonNumber(const QObject* object) const {
    for (int i = 0; i < 4; ++i) {
        if (object == m_butt[i]) {
            return i + 1;
        }
    }
    return 0;
}

bool MessageDialog::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress:
            return handleKey(static_cast<QKeyEvent*>(event));
        case QEvent::FocusIn:
        case QEvent::FocusOut: {
            // Switching windows is not moving between buttons: only the
            // player's moves inside the window speak.
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            const int n = buttonNumber(watched);
            if (n != 0 && !m_building && reason != Qt::ActiveWindowFocusReason &&
                reason != Qt::PopupFocusReason) {
                if (event->type() == QEvent::FocusIn) {
                    m_buttons.focusIn(n);
                } else {
                    m_buttons.focusOut(n);
                }
            }
            return false;
        }
        default:
            return false;
    }
}

bool MessageDialog::handleKey(QKeyEvent* event) {
    const Qt::KeyboardModifiers mods = event->modifiers();
    const DialogKey key = ToDialogKey(event->key());
    const DialogKeyResult result =
        m_buttons.key(key, (mods & Qt::ShiftModifier) != 0,
                      (mods & (Qt::ControlModifier | Qt::AltModifier)) != 0, focusedButton());
    if (result.press != 0) {
        m_butt[result.press - 1]->click();
    } else if (result.focus > 0) {
        const bool forward = (key == DialogKey::Tab && !(mods & Qt::ShiftModifier)) ||
                             key == DialogKey::Right || key == DialogKey::Down;
        m_butt[result.focus - 1]->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    }
    return result.handled;
}

void MessageDialog::closeEvent(QCloseEvent* event) {
    // Closed by the window manager: answer as Escape would, or with the last
    // shown button, so the caller never waits forever. Its answer unloads it.
    if (m_result == 0) {
        m_result = closeAnswer();
    }
    event->ignore();
}

namespace {

DialogRecord makeRecord(const MessageDialog& form, const QString& text) {
    DialogRecord record;
    record.kind = "message";
    record.caption = form.windowTitle().toStdString();
    record.text = text.toStdString();
    for (int n = 1; n <= 4; ++n) {
        if (form.isShown(n)) {
            record.buttons.emplace_back(n, form.button(n)->text().toStdString());
        }
    }
    record.focus = form.focusedButton();
    return record;
}

}  // namespace

namespace {

// A message dialog while it is open, with the sound of its class.
struct OpenMessageDialog : OpenDialog<MessageDialog> {
    explicit OpenMessageDialog(DialogHost& host) : OpenDialog(host) {}
    EffectBuffer beep;
};

std::shared_ptr<OpenMessageDialog> Open(DialogHost& host, const QString& text,
                                        const QString& caption, int style, Announcer* announcer,
                                        std::function<void(int)> answered) {
    // At most one box is open: the one open is closed first, and the keyboard
    // is back in the window beneath before this one is shown over it.
    host.closeMessage();
    auto open = std::make_shared<OpenMessageDialog>(host);
    MessageDialog& form = open->form;
    form.setAnnouncer(announcer);

    if (style < 0 || style > 159) {
        style = 97;
    }
    form.setWindowTitle(caption.isEmpty() ? classCaption(style) : caption);
    QString shownText = text;
    shownText.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shownText.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    form.textArea()->setFont(fittingFont(form.textArea()->font(), shownText));
    form.textArea()->setPlainText(shownText);

    open->owner.show(form);
    form.textArea()->show();
    form.textArea()->setFocus(Qt::OtherFocusReason);

    if (LoadEffect(open->beep, host.dataFolder(), beepEffect(style / 2 + 16))) {
        std::int32_t pan = 0;
        std::int32_t volume = 0;
        std::int32_t frequency = 0;  // the file's own rate
        PlayEffect(open->beep, pan, volume, frequency);
    }

    form.ApplyOptions(style % 32);
    open->record = makeRecord(form, text);
    host.report(open->record);

    form.clearResult();
    host.setShownMessage(ShownMessage{caption.toStdString(), text.toStdString(),
                                      [weak = std::weak_ptr<OpenMessageDialog>(open), &host] {
                                          if (const std::shared_ptr<OpenMessageDialog> shown =
                                                  weak.lock()) {
                                              shown->closeNow(host.clock());
                                          }
                                      },
                                      host.clock().tickCount(), kFirstRepeatGapMs});
    open->finish = [open = open.get(), &host, answered = std::move(answered)] {
        host.setShownMessage({});
        const int answer = open->form.result();
        open->owner.restore();
        open->form.setAnnouncer(nullptr);
        open->form.hide();
        ReleaseEffect(open->beep);
        open->record.answer = answer;
        host.report(open->record);
        answered(answer);
    };
    open->finishWhen(host.clock(), open,
                     [](const MessageDialog& shown) { return shown.result() != 0; });
    return open;
}

}  // namespace

void OpenMessage(DialogHost& host, const QString& text, const QString& caption, int style,
                 Announcer* announcer, std::function<void(int)> answered) {
    Open(host, text, caption, style, announcer, std::move(answered));
}

void Notify(DialogHost& host, Announcer& announcer, const std::string& phrase, const QString& text,
            const QString& caption, int style) {
    ShownMessage* shown = host.shownMessage();
    if (shown == nullptr || shown->caption != caption.toStdString() ||
        shown->text != text.toStdString()) {
        announcer.Clear();
        announcer.AddFile(phrase);
        OpenMessage(host, text, caption, style, &announcer, [](int) {});
        return;
    }
    // The same fault again: said once what was said has ended, and seldom.
    const std::int64_t now = host.clock().tickCount();
    if (announcer.Count() == 0 && now - shown->saidAt >= shown->repeatGapMs) {
        announcer.AddFile(phrase);
        shown->saidAt = now;
        shown->repeatGapMs = std::min(shown->repeatGapMs * 2, kLongestRepeatGapMs);
    }
}

}  // namespace korvel
