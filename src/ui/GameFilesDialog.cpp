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
}  // namespace

GameFilesDialog::GameFilesDialog(Announcer* announcer, std::string word)
    : QWidget(nullptr, Qt::Dialog),
      m_announcer(announcer),
      m_word(std::move(word)),
      m_model(announcer, m_word, {}) {
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
    m_butt1->setStyleSheet(DialogButtonStyle("rgb(255, 255, 0)"));
    m_butt2 = new QPushButton(QStringLiteral("Нет"), this);
    m_butt2->setObjectName(QStringLiteral("noButton"));
    m_butt2->setGeometry(kButt2Rect);
    m_butt2->setStyleSheet(DialogButtonStyle("rgb(255, 255, 255)"));
    for (QPushButton* button : {m_butt1, m_butt2}) {
        button->setAutoDefault(false);
        button->installEventFilter(this);
    }
    m_list->installEventFilter(this);
    connect(m_butt1, &QPushButton::clicked, this, [this] { m_model.setResult(1); });
    connect(m_butt2, &QPushButton::clicked, this, [this] { m_model.setResult(2); });
    connect(m_list, &QListWidget::currentRowChanged, this,
            [this](int row) { m_model.setRow(row); });
    setTabOrder(m_list, m_butt1);
    setTabOrder(m_butt1, m_butt2);
}

GameFilesDialog::~GameFilesDialog() = default;

void GameFilesDialog::setItems(const QStringList& items) {
    std::vector<std::string> texts;
    for (const QString& item : items) {
        texts.push_back(item.toStdString());
    }
    m_model = SlotList(m_announcer, m_word, std::move(texts));
    m_list->clear();
    m_list->addItems(items);
}

void GameFilesDialog::selectFirst() {
    m_model.selectFirst();
    m_list->setCurrentRow(m_model.row());
}

int GameFilesDialog::controlOf(const QObject* control) const {
    return control == m_butt1 ? 1 : control == m_butt2 ? 2 : 0;
}

bool GameFilesDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        return handleKey(static_cast<QKeyEvent*>(event));
    }
    if (event->type() == QEvent::FocusIn) {
        // Only the player's Tab and Shift+Tab speak, not a switch of windows.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason) {
            m_model.focusIn(controlOf(watched));
        }
    }
    return false;
}

bool GameFilesDialog::handleKey(QKeyEvent* event) {
    const Qt::KeyboardModifiers mods = event->modifiers();
    const DialogKey key = ToDialogKey(event->key());
    const DialogKeyResult result = m_model.key(
        key, (mods & Qt::ShiftModifier) != 0, (mods & (Qt::ControlModifier | Qt::AltModifier)) != 0,
        controlOf(focusWidget()));
    if (m_model.row() != m_list->currentRow()) {
        m_list->setCurrentRow(m_model.row());
    }
    if (result.press != 0) {
        (result.press == 1 ? m_butt1 : m_butt2)->click();
    } else if (result.focus >= 0) {
        const std::array<QWidget*, 3> ring{m_list, m_butt1, m_butt2};
        const bool forward = key == DialogKey::Tab && !(mods & Qt::ShiftModifier);
        ring[static_cast<std::size_t>(result.focus)]->setFocus(forward ? Qt::TabFocusReason
                                                                       : Qt::BacktabFocusReason);
    }
    return true;
}

void GameFilesDialog::closeEvent(QCloseEvent* event) {
    // Closed by the window manager: a cancel, so the caller never waits forever.
    if (m_model.result() == 0) {
        m_model.setResult(2);
    }
    event->ignore();
}

namespace {

// A game-files dialog while it is open, with the items it lists.
struct OpenList : OpenDialog<GameFilesDialog> {
    OpenList(DialogHost& host, Announcer* announcer, std::string word)
        : OpenDialog(host, announcer, std::move(word)) {}
    QStringList items;
};

std::shared_ptr<OpenList> OpenGameList(DialogHost& host, const QString& caption,
                                       const QStringList& items, const std::string& word,
                                       Announcer& announcer, std::function<void(int)> chosen) {
    auto open = std::make_shared<OpenList>(host, &announcer, word);
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

namespace {

QStringList ToQt(const std::vector<std::string>& items) {
    QStringList list;
    for (const std::string& item : items) {
        list << QString::fromStdString(item);
    }
    return list;
}

}  // namespace

void ChooseSaveSlot(DialogHost& host, Announcer& announcer,
                    std::function<void(std::string)> chosen) {
    const SlotChoices choices = SaveChoices(host.userFolder());
    OpenGameList(host, QStringLiteral("Сохранить игру"), ToQt(choices.items), "saving", announcer,
                 [numbers = choices.numbers, chosen = std::move(chosen)](int k) {
                     chosen(k > 0 ? "lok" + std::to_string(numbers[k - 1]) : std::string());
                 });
}

void ChooseSavedGame(DialogHost& host, Announcer& announcer, const std::vector<SlotFile>& files,
                     std::function<void(std::string)> chosen) {
    std::vector<std::string> items;
    std::vector<std::string> records;  // the files may be gone by the answer
    for (const SlotFile* file : LoadChoices(files, items)) {
        records.push_back(file->record);
    }
    OpenGameList(host, QStringLiteral("Загрузить игру"), ToQt(items), "loading", announcer,
                 [records = std::move(records), chosen = std::move(chosen)](int i) {
                     chosen(i > 0 ? records[i - 1] : std::string());
                 });
}

}  // namespace korvel
