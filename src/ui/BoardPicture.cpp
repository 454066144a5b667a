#include "ui/BoardPicture.h"

#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>

namespace korvel {
namespace {

const QColor kLightCell(0, 128, 255);
const QColor kDarkCell(0, 32, 96);

}  // namespace

BoardPicture::BoardPicture(const Board& board, QWidget* parent) : QWidget(parent), m_board(board) {
    setObjectName(QStringLiteral("Pict"));
    setFixedSize(kSide, kSide);
    setFocusPolicy(Qt::StrongFocus);
}

QRect BoardPicture::cellRect(int col, int row) {
    return {(col - 1) * kCell, kSide - row * kCell, kCell, kCell};
}

// The cursor blinks all through a game: only the cells it leaves and enters
// are painted again, not the whole board.
void BoardPicture::setCursor(int col, int row) {
    update(cellRect(m_col, m_row));
    m_col = col;
    m_row = row;
    update(cellRect(m_col, m_row));
}

void BoardPicture::setCursorImages(bool blue, bool orange) {
    if (blue != m_blueFrame || orange != m_orangeFrame) {
        m_blueFrame = blue;
        m_orangeFrame = orange;
        update(cellRect(m_col, m_row));
    }
}

void BoardPicture::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    for (int c = 1; c <= 8; ++c) {
        for (int r = 1; r <= 8; ++r) {
            const QRect cell = cellRect(c, r);
            if (!event->region().intersects(cell)) {
                continue;
            }
            p.fillRect(cell, (c + r) % 2 == 0 ? kLightCell : kDarkCell);
            const CellCode code = m_board.at(c, r);
            if (code == 1 || code == 2) {
                // Large discs with a ring of the other colour, readable on both cells.
                p.setPen(QPen(code == 1 ? Qt::black : Qt::white, 4));
                p.setBrush(code == 1 ? Qt::white : Qt::black);
                p.drawEllipse(cell.adjusted(7, 7, -7, -7));
            }
        }
    }
    // The cursor: a thick frame in blues or in oranges, blinking in turn.
    const QRect cursor = cellRect(m_col, m_row);
    auto frame = [&](const QColor& outer, const QColor& inner) {
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(outer, 8));
        p.drawRect(cursor.adjusted(4, 4, -4, -4));
        p.setPen(QPen(inner, 3));
        p.drawRect(cursor.adjusted(10, 10, -10, -10));
    };
    if (m_blueFrame) {
        frame(QColor(0, 255, 255), QColor(0, 0, 160));
    }
    if (m_orangeFrame) {
        frame(QColor(255, 140, 0), QColor(255, 220, 0));
    }
}

void BoardPicture::keyPressEvent(QKeyEvent* event) {
    if (onKey) {
        onKey(event);
    }
}

bool BoardPicture::focusNextPrevChild(bool) {
    return false;  // Tab stays on the board
}

}  // namespace korvel
