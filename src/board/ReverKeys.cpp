// The board's keys: cursor, move, pass, reports, switches, quit, help, save, pause;
// the keys added to them are in ReverExtraKeys.cpp.
#include <QTime>

#include "BoardPicture.h"
#include "CommonRoutines.h"
#include "MessageDialog.h"
#include "MusicList.h"
#include "PhysicalKey.h"
#include "PlayerPanel.h"
#include "ReverControl.h"
#include "TextCodec.h"

namespace korvel {

void ReverControl::Pict_KeyDown(int key, Qt::KeyboardModifiers modifiers) {
    if (HasCommandModifier(modifiers) || m_mm == nullptr) {
        return;
    }
    switch (key) {
        case Qt::Key_Up:
        case Qt::Key_I:
            return moveCursor(0, 1);
        case Qt::Key_Down:
        case Qt::Key_M:
            return moveCursor(0, -1);
        case Qt::Key_Left:
        case Qt::Key_J:
            return moveCursor(-1, 0);
        case Qt::Key_Right:
        case Qt::Key_K:
            return moveCursor(1, 0);
        case Qt::Key_Home:
        case Qt::Key_U:
            return moveCursor(-1, 1);
        case Qt::Key_PageUp:
        case Qt::Key_O:
            return moveCursor(1, 1);
        case Qt::Key_End:
        case Qt::Key_N:
            return moveCursor(-1, -1);
        case Qt::Key_PageDown:
        case Qt::Key_Comma:
            return moveCursor(1, -1);
        case Qt::Key_Space:
            return playMoveKey();
        case Qt::Key_A:
            return passKey();
        case Qt::Key_B:
            return m_mm->Clear();
        case Qt::Key_C:
            m_mm->Clear();
            m_mm->AddFile("free");
            m_mm->Number(64 - CheckGameEnd(true), Gender::Feminine);
            return;
        case Qt::Key_D:
            return toggleAnnouncer();
        case Qt::Key_G:
            return toggleMusic();
        case Qt::Key_Q:
            return quitKey();
        case Qt::Key_T: {
            const QTime now = systemTime();
            m_mm->Clear();
            m_mm->AddFile("systime");
            m_mm->Number(now.hour());
            m_mm->Number(now.minute());
            m_mm->Number(now.second());
            return;
        }
        case Qt::Key_V:
            return sayTimeLeft();
        case Qt::Key_W:
            return saySinceStart();
        case Qt::Key_X:
            return sayDiscCounts();
        case Qt::Key_Z:
            m_mm->Clear();
            return SayCell(false);
        case Qt::Key_F1:
            return helpKey();
        case Qt::Key_F2:
            return saveKey();
        case Qt::Key_F11:
            return pauseKey();
        case Qt::Key_E:
            return sayLine(true);
        case Qt::Key_H:
            return sayLine(false);
        case Qt::Key_L:
            return sayLegalMoves();
        case Qt::Key_R:
            return sayLastTurns();
        case Qt::Key_S:
            return hintKey();
        case Qt::Key_BracketLeft:
            return stepRate(-1);
        case Qt::Key_BracketRight:
            return stepRate(1);
        case Qt::Key_Minus:
            return stepMusicVolume(-1);
        case Qt::Key_Equal:
        case Qt::Key_Plus:  // the keypad's plus
            return stepMusicVolume(1);
        case Qt::Key_Backspace:
            return takeBackKey();
        default:
            return;
    }
}

void ReverControl::moveCursor(int dCol, int dRow) {
    const int col = m_cursorCol + dCol;
    const int row = m_cursorRow + dRow;
    if (!OnBoard(col, row)) {
        cellEffect(m_border, m_cursorCol, m_cursorRow, 0, 20000, 500);
        return;
    }
    setCursor(col, row);
    SayCell(true);
}

bool ReverControl::idle() const {
    return timeCelRunning() && !m_busy;
}

void ReverControl::playMoveKey() {
    if (!idle()) {
        return;
    }
    if (CountFlips(m_board, m_cursorCol, m_cursorRow, m_curPlayer, m_flipMask) == 0) {
        cellEffect(m_error, m_cursorCol, m_cursorRow, -500, 16000, 2000);
        return;
    }
    m_busy = true;
    noteTakeBackPoint();
    PlayMove();
    if (CheckGameEnd(false) == 64) {
        return;
    }
    if (m_curPlayer == 1) {
        SetPlayer(2);
    } else {
        setHod(static_cast<std::int16_t>(m_Hod + 1));
        SetPlayer(1);
    }
    if (m_Game == 2) {
        m_busy = true;
        ComputerTurn(true);
    }
}

void ReverControl::passKey() {
    if (!idle()) {
        return;
    }
    if (ComputerTurn(false) != 0) {
        m_mm->AddFile("pass");
        m_mm->AddFile("unavailable");
        m_busy = false;
        return;
    }
    noteTurn(m_curPlayer, 0, 0, 0);
    if (m_curPlayer == 2) {
        setHod(static_cast<std::int16_t>(m_Hod + 1));
    }
    SetPlayer(3 - m_curPlayer);
    ++m_passCount;
    if (m_passCount > 1) {
        CheckGameEnd(false);
        return;
    }
    if (m_Tip % 2 == 0) {
        m_timeLeft = m_Times;
    }
    if (m_Game == 2) {
        ComputerTurn(true);
    } else {
        m_busy = false;
    }
}

void ReverControl::toggleAnnouncer() {
    m_mm->Clear();
    if (m_mm->NotPlay() == 1) {
        m_mm->setNotPlay(0);
        m_mm->AddFile("dictor");
        m_mm->AddFile("check");
    } else {
        m_mm->AddFile("dictor");
        m_mm->AddFile("uncheck");
        m_mm->setNotPlay(1);
    }
}

void ReverControl::toggleMusic() {
    if (m_YesMusic) {
        m_YesMusic = false;
        m_mm->StopMusic();
    } else {
        m_YesMusic = true;
        playMusicFile("remembr.mid");
    }
}

void ReverControl::quitKey() {
    if (!idle()) {
        return;
    }
    m_mm->Clear();
    m_mm->AddFile("stop");
    stopTimeCel();
    m_busy = true;
    const int answer = ShowMessage(m_dialogs, QStringLiteral("Вы хотите прервать игру?"),
                                   QStringLiteral("Вопрос"), 115, m_mm);
    m_mm->Clear();
    if (answer == 1) {
        if (m_YesMusic) {
            m_mm->StopMusic();
        }
        if (onBackToMenu) {
            onBackToMenu();
        }
        return;
    }
    m_busy = false;
    m_pict->setFocus();
    startTimeCel();
}

void ReverControl::sayTimeLeft() {
    if (m_Tip % 2 == 1) {
        return;
    }
    m_mm->Clear();
    m_mm->Number(m_timeLeft, Gender::Feminine);
    m_mm->AddFile("sek" + std::to_string(PluralForm(m_timeLeft)));
}

void ReverControl::saySinceStart() {
    const int hours = m_sinceCreated.read(1);
    const int minutes = m_sinceCreated.read(2);
    const int seconds = m_sinceCreated.read(3);
    m_mm->Clear();
    m_mm->AddFile("timer");
    sayDuration(hours, minutes, seconds);
}

void ReverControl::sayDuration(int hours, int minutes, int seconds) {
    if (hours > 0) {
        m_mm->Number(hours);
        m_mm->AddFile("hour" + std::to_string(PluralForm(hours)));
    }
    if (minutes > 0) {
        m_mm->Number(minutes, Gender::Feminine);
        m_mm->AddFile("minut" + std::to_string(PluralForm(minutes)));
    }
    if (seconds > 0) {
        m_mm->Number(seconds, Gender::Feminine);
        m_mm->AddFile("sek" + std::to_string(PluralForm(seconds)));
    }
}

void ReverControl::playOk() {
    std::int32_t pan = 0;
    std::int32_t volume = 0;
    std::int32_t frequency = 22050;
    PlayEffect(m_ok, pan, volume, frequency);
}

void ReverControl::sayDiscCounts() {
    const DiscCount count = CountDiscs(m_board);
    m_mm->Clear();
    m_mm->AddFile("color1");
    m_mm->Number(count.white, Gender::Feminine);
    m_mm->AddFile("color2");
    m_mm->Number(count.black, Gender::Feminine);
}

void ReverControl::helpKey() {
    if (!idle()) {
        return;
    }
    stopTimeCel();
    m_busy = true;
    if (onHelp) {
        if (onHelp(QStringLiteral("Помощь!"))) {
            playOk();
        }
    } else {
        m_mm->Clear();
        m_mm->AddFile("unavailable");
    }
    m_busy = false;
    m_pict->setFocus();
    startTimeCel();
}

void ReverControl::saveKey() {
    if (!idle()) {
        return;
    }
    m_mm->Clear();
    if (m_Hod <= 1 && m_Tur <= 1) {
        m_mm->AddFile("make");
        m_mm->AddFile("1");
        m_mm->AddFile("gamer");
        return;
    }
    const SaveResult result = SaveGame();
    m_mm->Clear();
    switch (result) {
        case SaveResult::Saved:
            m_mm->AddFile("save");
            break;
        case SaveResult::Cancelled:
            m_mm->AddFile("cancel");
            break;
        case SaveResult::Failed:
            m_mm->AddFile("savefail");
            break;
    }
}

void ReverControl::pauseKey() {
    if (!idle()) {
        return;
    }
    m_mm->Clear();
    if (m_Tip % 2 == 1) {
        m_mm->AddFile("unavailable");
        return;
    }
    m_info->show();
    m_info->raise();
    stopTimeCel();
    PlayerPanel* panel = m_picthod[m_curPlayer - 1];
    panel->setEnabled(true);
    m_mm->AddFile("pause");
    panel->setFocus();
    if (m_YesMusic) {
        playMusicFile("heat.mid");
    }
}

void ReverControl::Picthod_KeyDown(int index, int key, Qt::KeyboardModifiers modifiers) {
    if (HasCommandModifier(modifiers) || key != Qt::Key_F11 || m_mm == nullptr) {
        return;
    }
    m_info->hide();
    startTimeCel();
    m_picthod[index]->setEnabled(false);
    SayCell(false);
    m_pict->setFocus();
    if (m_YesMusic) {
        playMusicFile("remembr.mid");
    }
}

void ReverControl::focusBoard() {
    m_pict->setFocus();
}

}  // namespace korvel
