#include "ui/BoardControl.h"

#include <QKeyEvent>
#include <QPainter>
#include <string>
#include <utility>

#include "core/TimingMarks.h"
#include "game/BoardKeys.h"
#include "ui/BoardPicture.h"
#include "ui/DialogHost.h"
#include "ui/GameFilesDialog.h"
#include "ui/MessageDialog.h"
#include "ui/PhysicalKey.h"
#include "ui/PlayerPanel.h"

namespace korvel {
namespace {

constexpr int kLeft = 40;  // the board picture's place in the control
constexpr int kTop = 38;

QString Utf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<int>(text.size()));
}

// The names of the keys that are not a letter or sign, as the game's key table
// (game/BoardKeys.h) knows them.
constexpr std::pair<int, const char*> kKeyNames[] = {
    {Qt::Key_Up, "Up"},         {Qt::Key_Down, "Down"},
    {Qt::Key_Left, "Left"},     {Qt::Key_Right, "Right"},
    {Qt::Key_Home, "Home"},     {Qt::Key_End, "End"},
    {Qt::Key_PageUp, "PageUp"}, {Qt::Key_PageDown, "PageDown"},
    {Qt::Key_Space, "Space"},   {Qt::Key_F1, "F1"},
    {Qt::Key_F2, "F2"},         {Qt::Key_F11, "F11"},
    {Qt::Key_Minus, "Minus"},   {Qt::Key_Equal, "Equal"},
    {Qt::Key_Plus, "Plus"},     {Qt::Key_Backspace, "Backspace"},
};

// The physical key's name under the Latin layout: a letter or sign as printed
// on it, or its name; empty for a key the game does not know.
std::string KeyName(int key) {
    for (const auto& [bound, name] : kKeyNames) {
        if (bound == key) {
            return name;
        }
    }
    return key > ' ' && key < 0x7f ? std::string(1, static_cast<char>(key)) : std::string();
}

}  // namespace

BoardControl::BoardControl(Clock& clock, Settings& settings, RandomSource& random,
                           DialogHost& dialogs, Folders folders, QWidget* parent)
    : QWidget(parent),
      m_dialogs(dialogs),
      m_game(clock, settings, random, std::move(folders), *this) {
    setObjectName(QStringLiteral("Rever"));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0, 0, 64));
    pal.setColor(QPalette::WindowText, QColor(255, 255, 0));
    setPalette(pal);

    m_picture = new BoardPicture(m_game.board(), this);
    m_picture->move(kLeft, kTop);
    m_picture->onKey = [this](QKeyEvent* e) { boardKey(*e); };
    for (int i = 0; i < 2; ++i) {
        m_panels[i] = new PlayerPanel(i, this);
        m_panels[i]->setGeometry(kLeft + BoardPicture::kSide + 56, kTop + i * 340, 250, 308);
        m_panels[i]->setEnabled(false);
        m_panels[i]->onKey = [this](QKeyEvent* e) { panelKey(*e); };
    }
    m_pauseNotice = new QLabel(QStringLiteral("\nПАУЗА\n______"), this);
    QFont big = m_pauseNotice->font();
    big.setPointSize(128);
    big.setBold(true);
    m_pauseNotice->setFont(big);
    QPalette noticePal = m_pauseNotice->palette();
    noticePal.setColor(QPalette::WindowText, QColor(255, 192, 255));
    m_pauseNotice->setPalette(noticePal);
    m_pauseNotice->setAlignment(Qt::AlignCenter);
    m_pauseNotice->setGeometry(kLeft, kTop, BoardPicture::kSide, BoardPicture::kSide);
    m_pauseNotice->hide();
}

BoardControl::~BoardControl() = default;

QString BoardControl::shownName(int player) const {
    return m_panels[player - 1]->name->text();
}

void BoardControl::focusBoard() {
    m_picture->setFocus();
}

void BoardControl::boardKey(QKeyEvent& event) {
    if (HasCommandModifier(event.modifiers())) {
        return;
    }
    const std::string key = KeyName(PhysicalKey(event));
    if (const auto command = BoardCommand(key)) {
        if (TimingMarksOn()) {
            TimingMark("key " + key);
        }
        m_game.command(*command);
    }
}

void BoardControl::panelKey(QKeyEvent& event) {
    if (HasCommandModifier(event.modifiers())) {
        return;
    }
    if (const auto command = PanelCommand(KeyName(PhysicalKey(event)))) {
        m_game.command(*command);
    }
}

void BoardControl::discsChanged() {
    m_picture->update();
}

void BoardControl::holdPicture(bool held) {
    m_picture->setUpdatesEnabled(!held);
}

void BoardControl::cursorMoved(int col, int row) {
    m_picture->setCursor(col, row);
}

void BoardControl::cursorFramesShown(bool first, bool second) {
    m_picture->setCursorImages(first, second);
}

void BoardControl::playerShown(int player, int moveNumber) {
    m_panels[player - 1]->show();
    m_panels[2 - player]->hide();
    m_panels[player - 1]->moveLabel->setText(
        QStringLiteral("Х%1").arg(moveNumber, 3, 10, QLatin1Char('0')));
}

void BoardControl::nameShown(int player, const std::string& name) {
    m_panels[player - 1]->name->setText(Utf8(name));
}

void BoardControl::clockShown(bool shown) {
    for (PlayerPanel* panel : m_panels) {
        panel->clockLabel->setVisible(shown);
    }
}

void BoardControl::secondsLeftShown(int player, int seconds) {
    for (int p = 1; p <= 2; ++p) {
        if (player == 0 || player == p) {
            m_panels[p - 1]->clockLabel->setText(QString::number(seconds));
        }
    }
}

void BoardControl::turnMarkBlinked() {
    for (PlayerPanel* panel : m_panels) {
        panel->turnMark->setVisible(panel->isVisible() && !panel->turnMark->isVisible());
    }
}

void BoardControl::turnMarksHidden() {
    for (PlayerPanel* panel : m_panels) {
        panel->turnMark->hide();
    }
}

void BoardControl::pauseShown(bool shown, int player) {
    m_pauseNotice->setVisible(shown);
    PlayerPanel* panel = m_panels[player - 1];
    panel->setEnabled(shown);
    if (shown) {
        m_pauseNotice->raise();
        panel->setFocus();
    }
}

void BoardControl::keyboardToBoard() {
    m_picture->setFocus();
}

void BoardControl::ask(const Question& question, std::function<void(int)> answer) {
    OpenMessage(m_dialogs, Utf8(question.text), Utf8(question.caption), question.style,
                question.spoken ? m_game.announcer() : nullptr, std::move(answer));
}

void BoardControl::chooseSaveSlot(std::function<void(std::string)> answer) {
    ChooseSaveSlot(m_dialogs, *m_game.announcer(), std::move(answer));
}

void BoardControl::showHelp(std::function<void(bool)> answer) {
    if (!onHelp) {
        return answer(false);
    }
    onHelp(QStringLiteral("Помощь!"), [answer = std::move(answer)] { answer(true); });
}

void BoardControl::backToMenu() {
    if (onBackToMenu) {
        onBackToMenu();
    }
}

void BoardControl::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QFont font = p.font();
    font.setPointSize(20);
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(255, 255, 0));
    const int cell = BoardPicture::kCell;
    const int side = BoardPicture::kSide;
    for (int i = 0; i < 8; ++i) {
        const QString letter(QChar('A' + i));
        const QString number = QString::number(8 - i);
        // The column letters above and below, the rows left and right, 8 at the top.
        p.drawText(QRect(kLeft + i * cell, 0, cell, kTop), Qt::AlignCenter, letter);
        p.drawText(QRect(kLeft + i * cell, kTop + side, cell, kTop), Qt::AlignCenter, letter);
        p.drawText(QRect(0, kTop + i * cell, kLeft, cell), Qt::AlignCenter, number);
        p.drawText(QRect(kLeft + side, kTop + i * cell, kLeft, cell), Qt::AlignCenter, number);
    }
}

}  // namespace korvel
