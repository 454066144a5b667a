#include "ui/ReportWindow.h"

#include "ui/DialogOwner.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QWindow>

#include "core/Clock.h"
#include "ui/DialogHost.h"
#include "ui/PhysicalKey.h"

namespace korvel {

namespace {
constexpr int kWidth = 480;
constexpr int kHeight = 360;
}  // namespace

ReportWindow::ReportWindow() : QWidget(nullptr, Qt::Dialog) {
    setObjectName(QStringLiteral("frmOtchet"));
    setWindowTitle(QStringLiteral("Отчёт"));
    resize(kWidth, kHeight);
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("Lotchet"));
    m_list->setGeometry(8, 8, kWidth - 16, kHeight - 60);
    QFont font = m_list->font();
    font.setPointSize(12);
    m_list->setFont(font);
    m_list->installEventFilter(this);
    m_button = new QPushButton(QStringLiteral("&Закрыть к чёртовой матери!"), this);
    m_button->setObjectName(QStringLiteral("Cotchet"));
    m_button->setGeometry(8, kHeight - 44, kWidth - 16, 36);
    m_button->installEventFilter(this);
    connect(m_button, &QPushButton::clicked, this, [this] { m_closeFlag = -1; });
}

bool ReportWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) {
        return false;
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    const int physical = PhysicalKey(*key);
    const Qt::KeyboardModifiers mods = CommandModifiers(key->modifiers());
    const bool enterOnButton =
        watched == m_button && (physical == Qt::Key_Return || physical == Qt::Key_Enter);
    if ((mods == Qt::NoModifier && (physical == Qt::Key_Escape || enterOnButton)) ||
        (mods == Qt::AltModifier && physical == Qt::Key_P)) {
        m_button->click();
        return true;
    }
    // The list and the button keep their own plain keys (arrows, Tab, Space).
    return mods != Qt::NoModifier;
}

void ReportWindow::closeEvent(QCloseEvent* event) {
    // Closed by the window manager: as if its button were pressed.
    m_closeFlag = -1;
    event->ignore();
}

void OpenReport(DialogHost& host, const QVariant& caption, const QStringList& lines,
                std::function<void()> closed) {
    auto open = std::make_shared<OpenDialog<ReportWindow>>(host);
    ReportWindow& form = open->form;
    form.setWindowTitle(caption.toString());
    form.list()->clear();
    open->owner.show(form, false);  // the report leaves its owner usable
    form.list()->addItems(lines);
    form.list()->setCurrentRow(0);
    form.list()->setFocus(Qt::OtherFocusReason);

    open->record.kind = "report";
    open->record.caption = form.windowTitle().toStdString();
    open->record.text = lines.join(QStringLiteral("\r\n")).toStdString();
    open->record.buttons.emplace_back(1, form.closeButton()->text().toStdString());
    host.report(open->record);

    open->finish = [open = open.get(), &host, closed = std::move(closed)] {
        open->form.hide();
        open->owner.restore();
        open->record.answer = open->form.closeFlag();
        host.report(open->record);
        closed();
    };
    open->finishWhen(host.clock(), open,
                     [](const ReportWindow& shown) { return shown.closeFlag() != 0; });
}

}  // namespace korvel
