#include "ui/MenuControl.h"

#include <QKeyEvent>
#include <QPainter>
#include <array>
#include <utility>

#include "core/Clock.h"
#include "ui/PhysicalKey.h"
#include "voice/Announcer.h"

namespace korvel {
namespace {

// The pages: main, game type, the computer's level and the network game.
const std::array<QString, 4> kTitles = {
    QStringLiteral("Главное  меню:"), QStringLiteral("Тип  игры:"),
    QStringLiteral("Вам противостоит:"), QStringLiteral("Игра  по  сети:")};
const std::array<const char*, 4> kPrefixes = {"menu", "tipe", "level", "net"};
const std::array<QStringList, 4> kItems = {
    QStringList{QStringLiteral("  Игра  на  двоих"), QStringLiteral("  Игра  против  машины"),
                QStringLiteral("  Игра  по  сети"), QStringLiteral("  Загрузить  игру"),
                QStringLiteral("  Начать  игру"), QStringLiteral("  Выход  из  игры")},
    QStringList{QStringLiteral("  Одиночная  игра."), QStringLiteral("  Игра  на  время."),
                QStringLiteral("  Этапная  игра."), QStringLiteral("  Этапная  на  время."),
                QStringLiteral("  Главное  меню.")},
    QStringList{QStringLiteral("   НОВИЧЁК"), QStringLiteral("   БЫВАЛЫЙ"),
                QStringLiteral("   ОПЫТНЫЙ"), QStringLiteral("   МАСТЕР")},
    QStringList{QStringLiteral("  Создать  игру"), QStringLiteral("  Подключиться"),
                QStringLiteral("  Главное  меню")}};

// Twice the classic layout, for a player who reads the screen from close by.
constexpr int kScale = 2;

}  // namespace

// The list box: moves its selection with the arrows, Home, End, Page Up and
// Page Down as a list box does, hands Enter to the menu, and ignores every
// other key (no search by typed letters, nothing with modifiers).
class MenuControl::List : public QListWidget {
  public:
    List(MenuControl& menu) : QListWidget(&menu), m_menu(menu) {}

  protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (HasCommandModifier(event->modifiers())) {
            return;
        }
        switch (event->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
                return m_menu.enterPressed();
            case Qt::Key_Up:
            case Qt::Key_Down:
            case Qt::Key_Home:
            case Qt::Key_End:
            case Qt::Key_PageUp:
            case Qt::Key_PageDown:
                return QListWidget::keyPressEvent(event);
            default:
                return;
        }
    }
    bool focusNextPrevChild(bool) override { return false; }
    // Taking the keyboard selects nothing by itself: the menu selects the
    // stored choice once the page's title has been said.
    void focusInEvent(QFocusEvent* event) override {
        QWidget::focusInEvent(event);
        viewport()->update();
    }

  private:
    MenuControl& m_menu;
};

// The minutes prompt: takes one typed digit.
class MenuControl::KeyPrompt : public QWidget {
  public:
    KeyPrompt(MenuControl& menu) : QWidget(&menu), m_menu(menu) { setFocusPolicy(Qt::NoFocus); }

  protected:
    void keyPressEvent(QKeyEvent* event) override { m_menu.promptKey(event); }
    void focusOutEvent(QFocusEvent*) override {
        if (m_menu.m_announcer) {
            m_menu.m_announcer->StopSound();
        }
        m_menu.m_promptLabel->hide();
    }
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), QColor(0, 0, 96));
        p.setPen(QPen(QColor(255, 255, 0), 4));
        p.drawRect(rect().adjusted(2, 2, -2, -2));
        QFont font = p.font();
        font.setPointSize(28);
        font.setBold(true);
        p.setFont(font);
        p.drawText(rect(), Qt::AlignCenter, QStringLiteral("1 2 3 4 5 6 7 8 9 0"));
    }
    bool focusNextPrevChild(bool) override { return false; }

  private:
    MenuControl& m_menu;
};

MenuControl::MenuControl(Clock& clock, const std::filesystem::path& programFolder, QWidget* parent)
    : QWidget(parent), m_clock(clock), m_programFolder(programFolder) {
    setObjectName(QStringLiteral("Menu"));
    setFixedSize(320 * kScale, 240 * kScale);
    QFont font = this->font();
    font.setPointSize(20);
    font.setBold(true);
    setFont(font);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0, 0, 96));
    pal.setColor(QPalette::WindowText, QColor(255, 255, 0));
    pal.setColor(QPalette::Base, QColor(0, 0, 64));
    pal.setColor(QPalette::Text, QColor(255, 255, 255));
    pal.setColor(QPalette::Highlight, QColor(255, 255, 0));
    pal.setColor(QPalette::HighlightedText, QColor(0, 0, 0));
    setPalette(pal);
    setAutoFillBackground(true);

    m_title = new QLabel(this);
    m_title->setGeometry(10 * kScale, 0, 300 * kScale, 25 * kScale);
    m_list = new List(*this);
    m_list->setObjectName(QStringLiteral("m_list"));
    m_list->setGeometry(10 * kScale, 26 * kScale, 300 * kScale, 147 * kScale);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_prompt = new KeyPrompt(*this);
    m_prompt->setObjectName(QStringLiteral("m_prompt"));
    m_prompt->setGeometry(10 * kScale, 175 * kScale, 300 * kScale, 65 * kScale);
    m_promptLabel = new QLabel(QStringLiteral("Нажмите  цифру  0 - 9"), this);
    m_promptLabel->setGeometry(0, 0, 300 * kScale, 25 * kScale);
    m_promptLabel->setAutoFillBackground(true);
    m_promptLabel->hide();
    m_entry = new NetEntry(this);
    m_entry->onStep = [this](NetEntry::Mode mode, NetEntry::Step step) { entryStep(mode, step); };
    connect(m_list, &QListWidget::currentRowChanged, this, [this](int row) { itemSelected(row); });
    fillPage();
}

MenuControl::~MenuControl() {
    UnInit();
}

void MenuControl::Init(Announcer& announcer) {
    m_announcer = &announcer;
    LoadEffect(m_not, m_programFolder, "not");
    m_entry->attach(m_announcer, &m_not);
}

void MenuControl::UnInit() {
    endTitle();
    m_announcer = nullptr;
    m_entry->attach(nullptr, nullptr);
    ReleaseEffect(m_not);
}

void MenuControl::fillPage() {
    m_filling = true;
    m_title->setText(kTitles[m_page - 1]);
    m_list->clear();
    m_list->addItems(kItems[m_page - 1]);
    m_list->setCurrentRow(-1);
    m_filling = false;
}

void MenuControl::ShowAndListen() {
    m_hosting = false;
    closeEntry();
    show();
    listTakesKeyboard();
}

void MenuControl::listTakesKeyboard() {
    endTitle();
    m_list->setFocus();
    if (m_announcer == nullptr) {
        return;
    }
    m_announcer->AddFile(std::string(kPrefixes[m_page - 1]) + "0");
    m_titleWait =
        m_clock.resumeWhen([this] { return m_announcer == nullptr || m_announcer->Count() == 0; },
                           [this] {
                               m_titleWait = 0;
                               titleSaid();
                           });
}

// The stored choice is chosen and named, even when it already was.
void MenuControl::titleSaid() {
    const std::array<std::int16_t, 4> stored = {choices.opponent, choices.gameType, choices.level,
                                                m_netItem};
    const int position = stored[m_page - 1];
    if (position < 1 || position > m_list->count()) {
        return;
    }
    if (m_list->currentRow() == position - 1) {
        playItem(position);
    } else {
        m_list->setCurrentRow(position - 1);
    }
}

void MenuControl::endTitle() {
    m_clock.stopTimer(std::exchange(m_titleWait, 0));
}

void MenuControl::hideEvent(QHideEvent* event) {
    if (!event->spontaneous()) {  // not merely the window minimized
        endTitle();
    }
    QWidget::hideEvent(event);
}

void MenuControl::itemSelected(int row) {
    if (m_filling || row < 0) {
        return;
    }
    endTitle();  // an item the player chose while the title was said stays chosen
    playItem(row + 1);
}

void MenuControl::playItem(int position) {
    if (m_announcer) {
        m_announcer->Clear();
        m_announcer->PlaySound(std::string(kPrefixes[m_page - 1]) + std::to_string(position));
    }
}

void MenuControl::toPage(int page) {
    m_page = static_cast<std::int16_t>(page);
    fillPage();
    listTakesKeyboard();
}

void MenuControl::activate(int code) {
    playItem(m_list->currentRow() + 1);
    if (onChoice) {
        onChoice(code);
    }
}

void MenuControl::enterPressed() {
    const int n = m_list->currentRow() + 1;
    if (n < 1 || m_announcer == nullptr) {
        return;
    }
    endTitle();
    if (m_page == 1) {
        switch (n) {
            case 1:
            case 2:
                choices.opponent = static_cast<std::int16_t>(n);
                return toPage(2);
            case 3:
                return toPage(4);
            case 4:
                return activate(3);
            case 5:
                if (choices.opponent == 2) {
                    return toPage(3);
                }
                return activate(4);
            default:
                return activate(5);
        }
    }
    if (m_page == 2) {
        if (n == 1 || n == 3) {
            choices.gameType = static_cast<std::int16_t>(n);
            choices.minutes = 0;
            return m_hosting ? hostChosen() : toPage(1);
        }
        if (n == 2 || n == 4) {
            choices.gameType = static_cast<std::int16_t>(n);
            return openPrompt();
        }
        const bool hosting = std::exchange(m_hosting, false);
        return toPage(hosting ? 4 : 1);
    }
    if (m_page == 4) {
        return netChosen(n);
    }
    if (n == 4 && choices.gameType % 2 == 0) {
        m_announcer->PlaySound("unavailable");
        return;
    }
    choices.level = static_cast<std::int16_t>(n);
    m_page = 1;
    if (onChoice) {
        onChoice(4);
    }
    fillPage();
}

void MenuControl::openPrompt() {
    m_list->setFocusPolicy(Qt::NoFocus);
    m_prompt->setFocusPolicy(Qt::StrongFocus);
    m_prompt->setFocus();
    m_promptLabel->show();
    m_promptLabel->raise();
    m_announcer->PlaySound("keynum");
}

void MenuControl::promptKey(QKeyEvent* event) {
    if ((event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) != 0 ||
        event->text().isEmpty() || m_announcer == nullptr) {
        return;  // no character typed
    }
    const QChar c = event->text().at(0);
    if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
        std::int32_t pan = 0;
        std::int32_t volume = 0;
        std::int32_t frequency = 22050;
        PlayEffect(m_not, pan, volume, frequency);
        return;
    }
    choices.minutes = static_cast<std::int16_t>(c == QLatin1Char('0') ? 10 : c.digitValue());
    m_announcer->AddFile(std::to_string(choices.minutes));
    m_list->setFocusPolicy(Qt::StrongFocus);
    m_prompt->setFocusPolicy(Qt::NoFocus);
    if (m_hosting) {
        return hostChosen();
    }
    m_page = 1;
    fillPage();
    listTakesKeyboard();
}

void MenuControl::netChosen(int n) {
    if (n == 3) {
        return toPage(1);
    }
    m_netItem = static_cast<std::int16_t>(n);
    if (n == 1) {
        m_hosting = true;
        return toPage(2);
    }
    openEntry(NetEntry::Mode::Address);
}

// The host's game type is chosen: the menu is back on the network page, its
// create item selected without a word, and the game is handed on.
void MenuControl::hostChosen() {
    m_hosting = false;
    m_page = 4;
    fillPage();
    m_list->setFocus();
    m_filling = true;
    m_list->setCurrentRow(m_netItem - 1);
    m_filling = false;
    if (onChoice) {
        onChoice(6);
    }
}

void MenuControl::openEntry(NetEntry::Mode mode, const QString& text) {
    endTitle();
    m_list->setFocusPolicy(Qt::NoFocus);
    m_entry->open(mode, text);
}

void MenuControl::closeEntry() {
    if (!m_entry->isOpen()) {
        return;
    }
    m_entry->close();
    m_list->setFocusPolicy(Qt::StrongFocus);
}

void MenuControl::entryStep(NetEntry::Mode mode, NetEntry::Step step) {
    const bool done = step == NetEntry::Step::Done;
    switch (mode) {
        case NetEntry::Mode::Address:
            if (done) {
                return openEntry(NetEntry::Mode::Code);
            }
            if (m_announcer) {  // the address may still be being read
                m_announcer->Clear();
            }
            closeEntry();
            return toPage(4);
        case NetEntry::Mode::Code:
            if (onChoice) {  // a join still connecting is not wanted once the code is left
                onChoice(done ? 7 : 8);
            }
            if (done) {
                return;
            }
            return openEntry(NetEntry::Mode::Address);
        case NetEntry::Mode::Waiting:
            closeEntry();
            if (onChoice) {
                onChoice(8);
            }
            return toPage(4);
    }
}

void MenuControl::showWaiting(const QString& text) {
    m_hosting = false;
    if (m_page != 4) {
        m_page = 4;
        fillPage();
    }
    openEntry(NetEntry::Mode::Waiting, text);
}

void MenuControl::endWaiting() {
    if (!m_entry->isOpen() || m_entry->mode() != NetEntry::Mode::Waiting) {
        return;
    }
    closeEntry();
    m_list->setFocus();
}

std::int16_t MenuControl::page() const {
    if (!m_entry->isOpen()) {
        return m_page;
    }
    switch (m_entry->mode()) {
        case NetEntry::Mode::Address:
            return 5;
        case NetEntry::Mode::Code:
            return 6;
        default:
            return 7;
    }
}

const QString& MenuControl::hostAddress() const {
    return m_entry->address();
}

void MenuControl::setHostAddress(const QString& address) {
    m_entry->setAddress(address);
}

const QString& MenuControl::joinCode() const {
    return m_entry->code();
}

}  // namespace korvel
