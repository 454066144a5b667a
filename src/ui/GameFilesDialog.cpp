#include "ui/GameFilesDialog.h"

#include "ui/DialogOwner.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QWindow>
#include <array>
#include <functional>
#include <memory>

#include "core/Clock.h"
#include "ui/DialogHost.h"
#include "voice/Announcer.h"

namespace korvel {

namespace {

constexpr int kWidth = 460;
constexpr int kHeight = 300;
const QRect kListRect(10, 10, 440, 230);
const QRect kButt1Rect(80, 252, 130, 36);
const QRect kButt2Rect(250, 252, 130, 36);
const QString kLok = QStringLiteral("        Лок: ");

QString ButtonStyle(const char* colour) {
    return QStringLiteral(
               "QPushButton { background-color: %1; color: black; font-weight: bold;"
               " border: 1px solid black; }"
               " QPushButton:focus { background-color: rgb(0, 0, 128);"
               " color: rgb(255, 255, 0); border: 2px solid white; }")
        .arg(QLatin1String(colour));
}

}  // namespace

GameFilesDialog::GameFilesDialog(Announcer* mm, std::string word)
    : QWidget(nullptr, Qt::Dialog), m_mm(mm), m_word(std::move(word)) {
    setObjectName(QStringLiteral("frmGameFiles"));
    setWindowTitle(QStringLiteral("Список сохранения и загрузки"));
    setFixedSize(kWidth, kHeight);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(64, 192, 128));
    setPalette(palette);
    setAutoFillBackground(true);

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("GameList"));
    m_list->setGeometry(kListRect);
    m_list->setStyleSheet(QStringLiteral(
        "QListWidget { background-color: rgb(0, 0, 128); color: rgb(255, 255, 0);"
        " font-size: 16pt; font-weight: bold; }"
        " QListWidget::item:selected { background-color: rgb(255, 255, 0); color: black; }"));
    m_butt1 = new QPushButton(QStringLiteral("Да"), this);
    m_butt1->setObjectName(QStringLiteral("yesButton"));
    m_butt1->setGeometry(kButt1Rect);
    m_butt1->setStyleSheet(ButtonStyle("rgb(255, 255, 0)"));
    m_butt2 = new QPushButton(QStringLiteral("Нет"), this);
    m_butt2->setObjectName(QStringLiteral("noButton"));
    m_butt2->setGeometry(kButt2Rect);
    m_butt2->setStyleSheet(ButtonStyle("rgb(255, 255, 255)"));
    for (QPushButton* button : {m_butt1, m_butt2}) {
        button->setAutoDefault(false);
        button->installEventFilter(this);
    }
    m_list->installEventFilter(this);
    connect(m_butt1, &QPushButton::clicked, this, [this] { m_result = 1; });
    connect(m_butt2, &QPushButton::clicked, this, [this] { m_result = 2; });
    setTabOrder(m_list, m_butt1);
    setTabOrder(m_butt1, m_butt2);
}

GameFilesDialog::~GameFilesDialog() = default;

void GameFilesDialog::setItems(const QStringList& items) {
    m_list->clear();
    m_list->addItems(items);
}

void GameFilesDialog::announce() {
    if (m_mm != nullptr) {
        m_mm->Clear();
        m_mm->AddFile(m_word);
    }
}

void GameFilesDialog::selectFirst() {
    if (m_list->count() > 0) {
        m_list->setCurrentRow(0);
        sayItem();
    }
}

int GameFilesDialog::chosen() const {
    return m_list->currentRow() + 1;
}

// "lok", the slot number the item names and, for a saved game, "tur" and its
// stage digit.
void GameFilesDialog::sayItem() {
    const QListWidgetItem* item = m_list->currentItem();
    if (m_mm == nullptr || item == nullptr) {
        return;
    }
    const QString text = item->text();
    int slot = 0;
    for (int i = kLok.size(); i < text.size() && text[i].isDigit(); ++i) {
        slot = slot * 10 + text[i].digitValue();
    }
    m_mm->AddFile("lok");
    m_mm->Number(slot);
    const QChar last = text.back();
    if (!text.endsWith(QLatin1Char('.')) && last >= QLatin1Char('0') && last <= QLatin1Char('9')) {
        m_mm->AddFile("tur");
        m_mm->AddFile(std::string(1, last.toLatin1()));
    }
}

void GameFilesDialog::select(int row) {
    if (m_list->count() == 0) {
        return;
    }
    m_list->setCurrentRow(std::clamp(row, 0, m_list->count() - 1));
    if (m_mm != nullptr) {
        m_mm->Clear();
    }
    sayItem();
}

bool GameFilesDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        return handleKey(static_cast<QKeyEvent*>(event));
    }
    if (event->type() == QEvent::FocusIn) {
        // Only the player's Tab and Shift+Tab speak, not a switch of windows.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason) {
            focusIn(watched);
        }
    }
    return false;
}

void GameFilesDialog::focusIn(QObject* watched) {
    if (m_mm == nullptr) {
        return;
    }
    m_mm->Clear();
    if (watched == m_list) {
        m_mm->AddFile(m_word);
        sayItem();
    } else {
        m_mm->AddFile(watched == m_butt1 ? "53" : "54");
    }
}

bool GameFilesDialog::handleKey(QKeyEvent* event) {
    const Qt::KeyboardModifiers mods = event->modifiers();
    const int key = event->key();
    if ((mods & (Qt::ControlModifier | Qt::AltModifier)) ||
        ((mods & Qt::ShiftModifier) && key != Qt::Key_Tab && key != Qt::Key_Backtab)) {
        return true;
    }
    QWidget* focus = focusWidget();
    const bool inList = focus == m_list;
    switch (key) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            (focus == m_butt2 ? m_butt2 : m_butt1)->click();
            break;
        case Qt::Key_Space:
            if (focus == m_butt1 || focus == m_butt2) {
                static_cast<QPushButton*>(focus)->click();
            }
            break;
        case Qt::Key_Escape:
            m_butt2->click();
            break;
        case Qt::Key_Tab:
            moveFocus(!(mods & Qt::ShiftModifier));
            break;
        case Qt::Key_Backtab:
            moveFocus(false);
            break;
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Home:
        case Qt::Key_End:
            if (inList) {
                const int row = m_list->currentRow();
                select(key == Qt::Key_Up     ? row - 1
                       : key == Qt::Key_Down ? row + 1
                       : key == Qt::Key_Home ? 0
                                             : m_list->count() - 1);
            }
            break;
        default:
            break;
    }
    return true;
}

void GameFilesDialog::moveFocus(bool forward) {
    const std::array<QWidget*, 3> order{m_list, m_butt1, m_butt2};
    int at = 0;
    for (int i = 0; i < 3; ++i) {
        if (order[i] == focusWidget()) {
            at = i;
        }
    }
    order[(at + (forward ? 1 : 2)) % 3]->setFocus(forward ? Qt::TabFocusReason
                                                          : Qt::BacktabFocusReason);
}

void GameFilesDialog::closeEvent(QCloseEvent* event) {
    // Closed by the window manager: a cancel, so the caller never waits forever.
    if (m_result == 0) {
        m_result = 2;
    }
    event->ignore();
}

namespace {

// A game-files dialog while it is open, with the items it lists.
struct OpenList : OpenDialog<GameFilesDialog> {
    OpenList(Announcer* mm, std::string word) : OpenDialog(mm, std::move(word)) {}
    QStringList items;
};

std::shared_ptr<OpenList> OpenGameList(DialogHost& host, const QString& caption,
                                       const QStringList& items, const std::string& word,
                                       Announcer& mm, std::function<void(int)> chosen) {
    auto open = std::make_shared<OpenList>(&mm, word);
    GameFilesDialog& form = open->form;
    open->items = items;
    form.setWindowTitle(caption);
    form.setItems(items);
    open->owner.show(form);
    form.list()->setFocus(Qt::OtherFocusReason);

    open->record.kind = "gamefiles";
    open->record.caption = caption.toStdString();
    open->record.text = items.join(QStringLiteral("\r\n")).toStdString();
    open->record.buttons = {{1, form.yesButton()->text().toStdString()},
                            {2, form.noButton()->text().toStdString()}};
    host.report(open->record);

    form.announce();
    // The first item follows the phrase rather than cutting it short.
    host.clock().resumeAfter(GameFilesDialog::kActivatePause, [open] {
        if (open->form.result() == 0) {
            open->form.selectFirst();
        }
    });
    open->finish = [open = open.get(), &host, chosen = std::move(chosen)] {
        const bool picked = open->form.result() == 1 && open->form.chosen() > 0;
        const int answer = picked ? open->form.chosen() : 0;
        open->form.detach();
        open->owner.restore();
        open->form.hide();
        open->record.answer = picked ? 1 : 2;
        open->record.text =
            picked ? open->items[answer - 1].trimmed().toStdString() : std::string();
        host.report(open->record);
        chosen(answer);
    };
    open->finishWhen(host.clock(), open,
                     [](const GameFilesDialog& shown) { return shown.result() != 0; });
    return open;
}

}  // namespace

std::int16_t SelectGameList(DialogHost& host, const QString& caption, const QStringList& items,
                            const std::string& word, Announcer& announcer) {
    int answer = -1;
    const std::shared_ptr<OpenList> open = OpenGameList(host, caption, items, word, announcer,
                                                        [&answer](int given) { answer = given; });
    open->waitInPlace(host.clock(), [&answer] { return answer >= 0; });
    return static_cast<std::int16_t>(answer);
}

QString SavedGameItem(const SlotFile& file) {
    const char stage = file.stage();
    return kLok + QString::number(file.slot) + QStringLiteral(".   Этап: ") +
           (stage != 0 ? QString(QLatin1Char(stage)) : QString());
}

QString NewSlotItem(int slot) {
    return kLok + QString::number(slot) + QLatin1Char('.');
}

void ChooseSaveSlot(DialogHost& host, Announcer& mm, std::function<void(std::string)> chosen) {
    const std::vector<SlotFile> files = ListSlots(host.userFolder());
    QStringList items;
    std::vector<int> numbers;
    for (const SlotFile& file : files) {
        items << SavedGameItem(file);
        numbers.push_back(file.slot);
    }
    // A new slot never takes a name that something else holds (a folder
    // named like a saved game): the save would fail where another slot works.
    int slot = NewSlot(files);
    std::error_code error;
    while (std::filesystem::exists(GamesFolder(host.userFolder()) / SlotFileName(slot), error)) {
        ++slot;
    }
    numbers.push_back(slot);
    items << NewSlotItem(numbers.back());
    OpenGameList(host, QStringLiteral("Сохранить игру"), items, "saving", mm,
                 [numbers, chosen = std::move(chosen)](int k) {
                     chosen(k > 0 ? "lok" + std::to_string(numbers[k - 1]) : std::string());
                 });
}

std::string ChooseSavedGame(DialogHost& host, Announcer& mm, const std::vector<SlotFile>& files) {
    QStringList items;
    std::vector<const SlotFile*> offered;
    for (const SlotFile& file : files) {
        if (file.valid()) {
            items << SavedGameItem(file);
            offered.push_back(&file);
        }
    }
    const int i = SelectGameList(host, QStringLiteral("Загрузить игру"), items, "loading", mm);
    return i > 0 ? offered[i - 1]->record : std::string();
}

}  // namespace korvel
