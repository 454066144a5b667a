#include "ui/MenuControl.h"

#include <QKeyEvent>
#include <QPainter>
#include <array>

#include "core/Clock.h"
#include "voice/Announcer.h"

namespace korvel {
namespace {

const std::array<QString, 3> kTitles = {QStringLiteral("Главное  меню:"),
                                        QStringLiteral("Тип  игры:"),
                                        QStringLiteral("Вам противостоит:")};
const std::array<const char*, 3> kPrefixes = {"menu", "tipe", "level"};
const std::array<QStringList, 3> kItems = {
    QStringList{QStringLiteral("  Игра  на  двоих"), QStringLiteral("  Игра  против  машины"),
                QStringLiteral("  Игра  по  сети"), QStringLiteral("  Загрузить  игру"),
                QStringLiteral("  Начать  игру"), QStringLiteral("  Выход  из  игры")},
    QStringList{QStringLiteral("  Одиночная  игра."), QStringLiteral("  Игра  на  время."),
                QStringLiteral("  Этапная  игра."), QStringLiteral("  Этапная  на  время."),
                QStringLiteral("  Главное  меню.")},
    QStringList{QStringLiteral("   НОВИЧЁК"), QStringLiteral("   БЫВАЛЫЙ"),
                QStringLiteral("   ОПЫТНЫЙ"), QStringLiteral("   МАСТЕР")}};

// Twice the classic layout, for a player who reads the screen from close by.
constexpr int kScale = 2;

bool WithoutModifiers(const QKeyEvent* event) {
    return (event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) == 0;
}

}  // namespace

// The list box: moves its selection with the arrows, Home, End, Page Up and
// Page Down as a list box does, hands Enter to the menu, and ignores every
// other key (no search by typed letters, nothing with modifiers).
class MenuControl::List : public QListWidget {
  public:
    List(MenuControl& menu) : QListWidget(&menu), m_menu(menu) {}

  protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (!WithoutModifiers(event)) {
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
        if (m_menu.m_mm) {
            m_menu.m_mm->StopSound();
        }
        m_menu.Label1->hide();
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

    GlavMenu = new QLabel(this);
    GlavMenu->setGeometry(10 * kScale, 0, 300 * kScale, 25 * kScale);
    MenuList = new List(*this);
    MenuList->setObjectName(QStringLiteral("MenuList"));
    MenuList->setGeometry(10 * kScale, 26 * kScale, 300 * kScale, 147 * kScale);
    MenuList->setSelectionMode(QAbstractItemView::SingleSelection);
    KeyTip = new KeyPrompt(*this);
    KeyTip->setObjectName(QStringLiteral("KeyTip"));
    KeyTip->setGeometry(10 * kScale, 175 * kScale, 300 * kScale, 65 * kScale);
    Label1 = new QLabel(QStringLiteral("Нажмите  цифру  0 - 9"), this);
    Label1->setGeometry(0, 0, 300 * kScale, 25 * kScale);
    Label1->setAutoFillBackground(true);
    Label1->hide();
    connect(MenuList, &QListWidget::currentRowChanged, this,
            [this](int row) { itemSelected(row); });
    FillMenu();
}

MenuControl::~MenuControl() {
    UnInit();
}

void MenuControl::Init(Announcer& mm) {
    m_mm = &mm;
    LoadEffect(m_not, m_programFolder, "not");
}

void MenuControl::UnInit() {
    m_mm = nullptr;
    ReleaseEffect(m_not);
}

void MenuControl::FillMenu() {
    m_filling = true;
    GlavMenu->setText(kTitles[m_page - 1]);
    MenuList->clear();
    MenuList->addItems(kItems[m_page - 1]);
    MenuList->setCurrentRow(-1);
    m_filling = false;
}

void MenuControl::ShowAndListen() {
    show();
    MenuList_GotFocus();
}

void MenuControl::MenuList_GotFocus() {
    MenuList->setFocus();
    if (m_mm == nullptr) {
        return;
    }
    m_mm->AddFile(std::string(kPrefixes[m_page - 1]) + "0");
    m_clock.waitUntil([this] { return m_mm == nullptr || m_mm->Count() == 0; });
    const std::array<std::int16_t, 3> stored = {Menu, Tip, Level};
    const int position = stored[m_page - 1];
    if (position >= 1 && position <= MenuList->count()) {
        MenuList->setCurrentRow(position - 1);
    }
}

void MenuControl::itemSelected(int row) {
    if (m_filling || row < 0) {
        return;
    }
    playItem(row + 1);
}

void MenuControl::playItem(int position) {
    if (m_mm) {
        m_mm->Clear();
        m_mm->PlaySound(std::string(kPrefixes[m_page - 1]) + std::to_string(position));
    }
}

void MenuControl::toPage(int page) {
    m_page = static_cast<std::int16_t>(page);
    FillMenu();
    MenuList_GotFocus();
}

void MenuControl::activate(int code) {
    playItem(MenuList->currentRow() + 1);
    if (onChoice) {
        onChoice(code);
    }
}

void MenuControl::enterPressed() {
    const int n = MenuList->currentRow() + 1;
    if (n < 1 || m_mm == nullptr) {
        return;
    }
    if (m_page == 1) {
        switch (n) {
            case 1:
            case 2:
                Menu = static_cast<std::int16_t>(n);
                return toPage(2);
            case 3:
                m_mm->PlaySound("unavailable");
                return;
            case 4:
                return activate(3);
            case 5:
                if (Menu == 2) {
                    return toPage(3);
                }
                return activate(4);
            default:
                return activate(5);
        }
    }
    if (m_page == 2) {
        if (n == 1 || n == 3) {
            Tip = static_cast<std::int16_t>(n);
            Times = 0;
            return toPage(1);
        }
        if (n == 2 || n == 4) {
            Tip = static_cast<std::int16_t>(n);
            return openPrompt();
        }
        return toPage(1);
    }
    if (n == 4 && Tip % 2 == 0) {
        m_mm->PlaySound("unavailable");
        return;
    }
    Level = static_cast<std::int16_t>(n);
    m_page = 1;
    if (onChoice) {
        onChoice(4);
    }
    FillMenu();
}

void MenuControl::openPrompt() {
    MenuList->setFocusPolicy(Qt::NoFocus);
    KeyTip->setFocusPolicy(Qt::StrongFocus);
    KeyTip->setFocus();
    Label1->show();
    Label1->raise();
    m_mm->PlaySound("keynum");
}

void MenuControl::promptKey(QKeyEvent* event) {
    if ((event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) != 0 ||
        event->text().isEmpty() || m_mm == nullptr) {
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
    Times = static_cast<std::int16_t>(c == QLatin1Char('0') ? 10 : c.digitValue());
    m_mm->AddFile(std::to_string(Times));
    m_page = 1;
    FillMenu();
    MenuList->setFocusPolicy(Qt::StrongFocus);
    KeyTip->setFocusPolicy(Qt::NoFocus);
    MenuList_GotFocus();
}

}  // namespace korvel
