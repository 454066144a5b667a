#include "ui/PlayerPanel.h"

#include <QKeyEvent>
#include <QVBoxLayout>

namespace korvel {

PlayerPanel::PlayerPanel(int index, QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Picthod%1").arg(index));
    setFocusPolicy(Qt::StrongFocus);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0, 0, 64));
    pal.setColor(QPalette::WindowText, QColor(255, 255, 0));
    setPalette(pal);

    auto label = [this](const QString& text, int size) {
        auto* l = new QLabel(text, this);
        QFont f = l->font();
        f.setPointSize(size);
        f.setBold(true);
        l->setFont(f);
        l->setAlignment(Qt::AlignCenter);
        return l;
    };
    name = label(index == 0 ? QStringLiteral("БЕЛЫЙ") : QStringLiteral("ЧЁРНЫЙ"), 26);
    turnLabel = label(QStringLiteral("ХОДИТ:"), 22);
    moveLabel = label(QStringLiteral("Х001"), 30);
    clockLabel = label(QStringLiteral("0000"), 30);
    turnMark = new QWidget(this);
    turnMark->setFixedSize(100, 32);
    turnMark->setAutoFillBackground(true);
    QPalette ind = turnMark->palette();
    ind.setColor(QPalette::Window, index == 0 ? QColor(255, 150, 0) : QColor(0, 160, 255));
    turnMark->setPalette(ind);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(turnLabel);
    layout->addWidget(name);
    layout->addWidget(turnMark, 0, Qt::AlignHCenter);
    layout->addWidget(moveLabel);
    layout->addWidget(clockLabel);
}

void PlayerPanel::keyPressEvent(QKeyEvent* event) {
    if (onKey) {
        onKey(event);
    }
}

bool PlayerPanel::focusNextPrevChild(bool) {
    return false;
}

}  // namespace korvel
