#include "app/MainWindow.h"

#include <QCloseEvent>
#include <QPalette>

#include "core/Texts.h"

namespace korvel {

MainWindow::MainWindow() {
    setObjectName(QStringLiteral("fMain"));
    setWindowTitle(QString::fromStdString(VersionTitle()));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0, 0, 255));
    setPalette(pal);
    setAutoFillBackground(true);
    setFixedSize(kInnerWidth, kInnerHeight);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!m_closing) {
        m_closing = true;
        if (m_closeHandler) {
            m_closeHandler();
        }
    }
    event->accept();
}

}  // namespace korvel
