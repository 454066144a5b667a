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

const QString kDa = QStringLiteral("Да");
const QString kNet = QStringLiteral("Нет");

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

// Background colours of buttons 1..4. A focused button turns navy with
// yellow text, like the text area, so the focus is plain to a weak eye.
const std::array<const char*, 4> kButtonColour{"rgb(255, 255, 0)", "rgb(255, 255, 0)",
                                               "rgb(255, 255, 255)", "rgb(0, 255, 0)"};

QString classCaption(int style) {
    switch (style / 32) {
        case 0:
            return QStringLiteral("Ошибка!");
        case 1:
            return QStringLiteral("Внимание!");
        case 2:
            return QStringLiteral("Вопрос");
        case 3:
            return QStringLiteral("Сообщение.");
        default:
            return QStringLiteral("Подтвердите.");
    }
}

// Our own sound for the platform's message beep of `value` (style div 2 + 16),
// one per dialog class: error, question, information.
const char* beepEffect(int value) {
    if (value < 32) {
        return "msgerror";
    }
    return value < 48 ? "msgquestion" : "msginfo";
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

    const std::array<QString, 4> captions{kDa, kNet, QStringLiteral("Отмена"),
                                          QStringLiteral("Помощь")};
    for (int i = 0; i < 4; ++i) {
        auto* button = new QPushButton(captions[i], this);
        button->setObjectName(QStringLiteral("button%1").arg(i + 1));
        button->setGeometry(kButtonLeft[i], kButtonTop, kButtonWidth[i], kButtonHeight);
        button->setAutoDefault(false);
        button->setStyleSheet(
            QStringLiteral("QPushButton { background-color: %1; color: black; font-weight: bold;"
                           " border: 1px solid black; }"
                           " QPushButton:focus { background-color: rgb(0, 0, 128);"
                           " color: rgb(255, 255, 0); border: 2px solid white; }")
                .arg(QLatin1String(kButtonColour[i])));
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
    const int o = options;
    const int b = o % 16;
    const bool replace = o == 17 || o == 18 || o == 20;
    m_building = true;

    if (b % 8 == 6) {
        m_butt[0]->setText(QStringLiteral("Пропустить"));
    }
    if (b % 4 == 1) {
        m_butt[0]->setText(QStringLiteral("ОК"));
    }
    if (b % 8 == 2) {
        m_butt[1]->setText(QStringLiteral("Закрыть"));
    }
    if (b % 8 == 0 || b % 8 == 6) {
        m_butt[1]->setText(QStringLiteral("Продолжить"));
    }
    if (replace) {
        m_butt[0]->setText(QStringLiteral("Пропустить"));
        m_butt[1]->setText(QStringLiteral("Заменить"));
        m_butt[3]->setText(QStringLiteral("Добавить"));
    }

    m_shown[0] = b % 2 == 1 || b % 8 == 6;
    m_shown[1] = b % 4 >= 2 || b % 8 == 0;
    m_shown[2] = b % 8 >= 4 || b % 8 == 0;
    m_shown[3] = b >= 8;
    for (int i = 0; i < 4; ++i) {
        m_shown[i] = m_shown[i] || replace;
        m_butt[i]->setVisible(m_shown[i]);
    }

    m_text->hide();
    m_text->show();

    int focus = 1;
    if (o < 16) {
        // The first shown button takes the focus, never a hidden one.
        while (!m_shown[focus - 1]) {
            ++focus;
        }
    } else if (o == 17) {
        focus = 0;
    } else if (o == 18 || o == 19 || o == 22 || o == 23 || o == 27 || o == 30 || o == 31) {
        focus = 2;
    } else if (o == 16 || o == 20 || o == 21 || o == 24 || o == 29) {
        focus = 3;
    } else {
        focus = 4;
    }
    if (focus == 0) {
        m_text->setFocus(Qt::OtherFocusReason);
    } else {
        m_butt[focus - 1]->setFocus(Qt::OtherFocusReason);
    }
    m_building = false;
}

std::int16_t MessageDialog::closeAnswer() const {
    if (m_shown[2]) {
        return 3;
    }
    for (int n = 4; n > 1; --n) {
        if (m_shown[n - 1]) {
            return static_cast<std::int16_t>(n);
        }
    }
    return 1;
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
                    buttonFocusIn(n);
                } else {
                    buttonFocusOut(n);
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
    if (mods & (Qt::ControlModifier | Qt::AltModifier)) {
        return true;
    }
    const int focused = focusedButton();
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (focused != 0) {
                press(focused);
            } else if (m_shown[0]) {
                press(1);
            }
            return true;
        case Qt::Key_Space:
            if (focused != 0) {
                press(focused);
            }
            return true;
        case Qt::Key_Escape:
            if (m_shown[2]) {
                press(3);
            }
            return true;
        case Qt::Key_Tab:
            moveFocus(!(mods & Qt::ShiftModifier));
            return true;
        case Qt::Key_Backtab:
        case Qt::Key_Left:
        case Qt::Key_Up:
            moveFocus(false);
            return true;
        case Qt::Key_Right:
        case Qt::Key_Down:
            moveFocus(true);
            return true;
        default:
            return false;
    }
}

void MessageDialog::moveFocus(bool forward) {
    std::vector<int> shown;
    for (int n = 1; n <= 4; ++n) {
        if (m_shown[n - 1]) {
            shown.push_back(n);
        }
    }
    if (shown.empty()) {
        return;
    }
    const int count = static_cast<int>(shown.size());
    const auto at = std::find(shown.begin(), shown.end(), focusedButton());
    int index = 0;
    if (at == shown.end()) {
        index = forward ? 0 : count - 1;
    } else {
        index = (static_cast<int>(at - shown.begin()) + (forward ? 1 : count - 1)) % count;
    }
    m_butt[shown[index] - 1]->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
}

void MessageDialog::press(int n) {
    m_butt[n - 1]->click();
}

// The "Да" and "Нет" buttons name themselves on every arrival but the first;
// leaving any button cuts the announcer short, except the first leaving of
// buttons 1 and 2, which only marks them as seen.
void MessageDialog::buttonFocusIn(int n) {
    if (n > 2 || m_mm == nullptr || !m_seen[n - 1]) {
        return;
    }
    if (m_butt[n - 1]->text() == (n == 1 ? kDa : kNet)) {
        m_mm->AddFile(n == 1 ? "53" : "54");
    }
}

void MessageDialog::buttonFocusOut(int n) {
    if (n <= 2 && !m_seen[n - 1]) {
        m_seen[n - 1] = true;
    } else if (m_mm != nullptr) {
        m_mm->Clear();
    }
}

void MessageDialog::closeEvent(QCloseEvent* event) {
    // Closed by the window manager: answer as Escape would, or with the last
    // shown button, so the caller never waits forever. ShowMessage unloads it.
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
    EffectBuffer beep;
};

std::shared_ptr<OpenMessageDialog> Open(DialogHost& host, const QString& text,
                                        const QString& caption, int style, Announcer* mm,
                                        std::function<void(int)> answered) {
    auto open = std::make_shared<OpenMessageDialog>();
    MessageDialog& form = open->form;
    form.setAnnouncer(mm);

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
    open->finish = [open = open.get(), &host, answered = std::move(answered)] {
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
                 Announcer* mm, std::function<void(int)> answered) {
    Open(host, text, caption, style, mm, std::move(answered));
}

std::int16_t ShowMessage(DialogHost& host, const QString& text, const QString& caption, int style,
                         Announcer* mm) {
    std::int16_t answer = 0;
    const std::shared_ptr<OpenMessageDialog> open =
        Open(host, text, caption, style, mm,
             [&answer](int given) { answer = static_cast<std::int16_t>(given); });
    open->waitInPlace(host.clock(), [&answer] { return answer != 0; });
    return answer;
}

}  // namespace korvel
