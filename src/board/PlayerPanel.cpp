#include "PlayerPanel.h"

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
    Lname = label(index == 0 ? QStringLiteral("БЕЛЫЙ") : QStringLiteral("ЧЁРНЫЙ"), 26);
    Lhod = label(QStringLiteral("ХОДИТ:"), 22);
    Lball = label(QStringLiteral("Х001"), 30);
    Lvrem = label(QStringLiteral("0000"), 30);
    Imghod = new QWidget(this);
    Imghod->setFixedSize(100, 32);
    Imghod->setAutoFillBackground(true);
    QPalette ind = Imghod->palette();
    ind.setColor(QPalette::Window, index == 0 ? QColor(255, 150, 0) : QColor(0, 160, 255));
    Imghod->setPalette(ind);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Lhod);
    layout->addWidget(Lname);
    layout->addWidget(Imghod, 0, Qt::AlignHCenter);
    layout->addWidget(Lball);
    layout->addWidget(Lvrem);
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
