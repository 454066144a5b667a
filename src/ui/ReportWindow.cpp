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

std::int16_t ShowReport(DialogHost& host, const QVariant& caption, const QStringList& lines) {
    DialogOwner owner(host);
    ReportWindow form;
    form.setWindowTitle(caption.toString());
    form.list()->clear();
    owner.show(form, false);  // the report leaves its owner usable
    form.list()->addItems(lines);
    form.list()->setCurrentRow(0);
    form.list()->setFocus(Qt::OtherFocusReason);

    DialogRecord record;
    record.kind = "report";
    record.caption = form.windowTitle().toStdString();
    record.text = lines.join(QStringLiteral("\r\n")).toStdString();
    record.buttons.emplace_back(1, form.closeButton()->text().toStdString());
    host.report(record);

    host.clock().waitUntil([&form] { return form.closeFlag() != 0; });
    form.hide();
    owner.restore();
    record.answer = form.closeFlag() != 0 ? form.closeFlag() : -1;
    host.report(record);
    return static_cast<std::int16_t>(record.answer);
}

}  // namespace korvel
