#include "ReverControl.h"

#include <QPainter>
#include <tuple>

#include "BoardPicture.h"
#include "ComputerMove.h"
#include "IniFile.h"
#include "MessageDialog.h"
#include "MusicList.h"
#include "PhysicalKey.h"
#include "PlayerPanel.h"
#include "RandomSource.h"
#include "StartPosition.h"

namespace korvel {
namespace {

constexpr int kLeft = 40;  // the board picture's place in the control
constexpr int kTop = 38;

QString Utf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<int>(text.size()));
}

// "Х007" for move 7.
QString MoveLabel(int hod) {
    return QStringLiteral("Х%1").arg(hod, 3, 10, QLatin1Char('0'));
}

QString LevelName(int level) {
    switch (level) {
        case 1:
            return QStringLiteral("НОВИЧЁК");
        case 2:
            return QStringLiteral("БЫВАЛЫЙ");
        case 3:
            return QStringLiteral("ОПЫТНЫЙ");
        case 4:
            return QStringLiteral("МАСТЕР");
        default:
            return {};
    }
}

}  // namespace

ReverControl::ReverControl(Clock& clock, Settings& settings, RandomSource& random,
                           DialogHost& dialogs, Folders folders, QWidget* parent)
    : QWidget(parent),
      m_clock(clock),
      m_settings(settings),
      m_random(random),
      m_dialogs(dialogs),
      m_folders(std::move(folders)),
      m_sinceCreated(clock) {
    setObjectName(QStringLiteral("Rever"));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0, 0, 64));
    pal.setColor(QPalette::WindowText, QColor(255, 255, 0));
    setPalette(pal);

    m_pict = new BoardPicture(m_board, this);
    m_pict->move(kLeft, kTop);
    m_pict->onKey = [this](QKeyEvent* e) { Pict_KeyDown(PhysicalKey(*e), e->modifiers()); };
    for (int i = 0; i < 2; ++i) {
        m_picthod[i] = new PlayerPanel(i, this);
        m_picthod[i]->setGeometry(kLeft + BoardPicture::kSide + 56, kTop + i * 340, 250, 308);
        m_picthod[i]->setEnabled(false);
        m_picthod[i]->onKey = [this, i](QKeyEvent* e) {
            Picthod_KeyDown(i, PhysicalKey(*e), e->modifiers());
        };
    }
    m_info = new QLabel(QStringLiteral("\nПАУЗА\n______"), this);
    QFont big = m_info->font();
    big.setPointSize(128);
    big.setBold(true);
    m_info->setFont(big);
    QPalette infoPal = m_info->palette();
    infoPal.setColor(QPalette::WindowText, QColor(255, 192, 255));
    m_info->setPalette(infoPal);
    m_info->setAlignment(Qt::AlignCenter);
    m_info->setGeometry(kLeft, kTop, BoardPicture::kSide, BoardPicture::kSide);
    m_info->hide();
    m_playerPhrase = {"white", "black"};
}

ReverControl::~ReverControl() {
    stopTimeCel();
    UnInit();
}

void ReverControl::Init(MusicList& mm) {
    m_mm = &mm;
    m_mm->AddFile("reverse");
    for (int i = 0; i < 4; ++i) {
        LoadEffect(m_pik[i], m_folders.data, "pik" + std::to_string(i));
    }
    LoadEffect(m_border, m_folders.data, "border");
    LoadEffect(m_cursor, m_folders.data, "cursor");
    LoadEffect(m_error, m_folders.data, "error");
    for (int i = 0; i < 3; ++i) {
        LoadEffect(m_fishka[i], m_folders.data, "fishka" + std::to_string(i));
    }
    LoadEffect(m_ok, m_folders.data, "ok");
    LoadEffect(m_tiktak, m_folders.data, "tiktak");
}

void ReverControl::UnInit() {
    m_mm = nullptr;
    for (auto* slot : {&m_pik[0], &m_pik[1], &m_pik[2], &m_pik[3], &m_border, &m_cursor, &m_error,
                       &m_fishka[0], &m_fishka[1], &m_fishka[2], &m_ok, &m_tiktak}) {
        ReleaseEffect(*slot);
    }
}

void ReverControl::Gamer(const std::string& text, int player) {
    if (player == 1 || player == 2) {
        m_playerPhrase[player - 1] = text;
        m_picthod[player - 1]->Lname->setText(Utf8(text));
    }
}

void ReverControl::Donull() {
    m_points = {0, 0};
    m_discTotals = {0, 0};
}

QString ReverControl::PlayerName(int player) const {
    return m_picthod[player - 1]->Lname->text();
}

void ReverControl::setTip(std::int16_t value) {
    m_Tip = value;
    m_CheyHod = 1;
}

void ReverControl::setTimes(std::int16_t value) {
    m_Times = value;
    for (auto* panel : m_picthod) {
        panel->Lvrem->setVisible(value != 0);
    }
}

void ReverControl::setGame(std::int16_t value) {
    m_Game = value;
    if (value == 2) {
        Gamer(m_settings.GetIni("Game", "player_sound"), 1);
        m_picthod[0]->Lname->setText(Utf8(m_settings.GetIni("Game", "player_name")));
        m_playerPhrase[1] = "computer";
        m_picthod[1]->Lname->setText(QStringLiteral("Комп"));
    }
    if (m_YesMusic) {
        playMusicFile("remembr.mid");
    }
}

void ReverControl::setHod(std::int16_t value) {
    m_Hod = value;
    if (m_mm) {
        m_mm->AddFile("gamer");
        m_mm->Number(value);
    }
}

void ReverControl::setLevel(std::int16_t value) {
    m_Level = value;
    m_playerPhrase[1] = "level" + std::to_string(value);
    const QString name = LevelName(value);
    if (!name.isEmpty()) {
        m_picthod[1]->Lname->setText(name);
    }
}

void ReverControl::setCursor(int col, int row) {
    m_cursorCol = col;
    m_cursorRow = row;
    if (OnBoard(col, row)) {
        m_pict->setCursor(col, row);
    }
}

void ReverControl::RedrawDiscs() {
    m_pict->update();
}

void ReverControl::Start() {
    m_busy = true;
    for (auto* panel : m_picthod) {
        panel->Imghod->hide();
    }
    setCursor(m_CheyHod + 3, 4);
    m_board.clear();
    const std::filesystem::path start = m_folders.user / "start.txt";
    std::error_code error;
    if (std::filesystem::is_regular_file(start, error)) {
        m_CheyHod = static_cast<std::int16_t>(ReadStartPosition(start, m_board));
    } else {
        SetStandardPosition(m_board);
    }
    // A game never inherits the passes that ended the one before it, nor its turns.
    m_passCount = -1;
    forgetTurns();
    RedrawDiscs();
    m_clock.sleep(BoardPauses::kSetUp);
    if (m_Tur == 1) {
        m_mm->AddFile("velcome");
        m_mm->AddFile("menu" + std::to_string(m_Game));
        m_mm->AddFile("tipe" + std::to_string(m_Tip));
    }
    if (m_Tip > 2) {
        m_mm->AddFile("tur");
        m_mm->Number(m_Tur);
    }
    setHod(1);
    SetPlayer(m_CheyHod);
    m_mm->AddFile("position");
    SayCell(false);
    m_clock.waitUntil([this] { return m_mm == nullptr || m_mm->Count() <= 1; });
    if (m_Tip % 2 == 0) {
        m_timeLeft = m_Times;
    }
    updateLabels();
    startTimeCel();
    m_clock.waitFor(BoardPauses::kBeforePlay);
    if (m_Game == 2 && m_CheyHod == 2) {
        ComputerTurn(true);
    } else {
        m_busy = false;
    }
}

void ReverControl::SetPlayer(int player) {
    if (player > 0) {
        m_curPlayer = player;
    }
    m_mm->AddFile("comon");
    m_picthod[m_curPlayer - 1]->show();
    m_picthod[2 - m_curPlayer]->hide();
    m_mm->AddFile(m_playerPhrase[m_curPlayer - 1]);
    m_picthod[m_curPlayer - 1]->Lball->setText(MoveLabel(m_Hod));
}

void ReverControl::updateLabels() {
    for (auto* panel : m_picthod) {
        panel->Lvrem->setText(QString::number(m_timeLeft));
    }
}

void ReverControl::cellEffect(const EffectBuffer& effect, int col, int row, int volume,
                              int freqBase, int freqStep) {
    std::int32_t pan = col * 100 - 450;
    std::int32_t vol = volume;
    std::int32_t freq = row * freqStep + freqBase;
    PlayEffect(effect, pan, vol, freq);
}

void ReverControl::PlayMove() {
    m_busy = true;
    stopTimeCel();
    m_pict->setUpdatesEnabled(false);
    m_board.at(m_cursorCol, m_cursorRow) = static_cast<CellCode>(m_curPlayer);
    cellEffect(m_fishka[0], m_cursorCol, m_cursorRow, -500, 20000, 500);
    RedrawDiscs();
    m_clock.processEvents();
    m_clock.sleep(2 * m_RevPause);
    int flips = 0;
    for (int h = 1; h <= 8; ++h) {
        for (int l = 1; l <= 8; ++l) {
            const CellCode code = m_flipMask.at(h, l);
            if (code != 1 && code != 2) {
                continue;
            }
            m_board.at(h, l) = code;
            ++flips;
            cellEffect(m_fishka[code], h, l, -500, 20000, 500);
            RedrawDiscs();
            m_clock.processEvents();
            m_clock.sleep(m_RevPause);
        }
    }
    m_pict->setUpdatesEnabled(true);
    noteTurn(m_curPlayer, m_cursorCol, m_cursorRow, flips);
    if (m_Tip % 2 == 0) {
        m_timeLeft = m_Times;
    }
    startTimeCel();
    m_busy = false;
    m_passCount = -1;
}

void ReverControl::SayCell(bool withEffect) {
    if (withEffect) {
        m_mm->Clear();
        cellEffect(m_cursor, m_cursorCol, m_cursorRow, -500, 16000, 2000);
    }
    m_mm->AddFile(std::string(1, static_cast<char>('A' + m_cursorCol - 1)));
    m_mm->Number(m_cursorRow);
    const CellCode code = m_board.at(m_cursorCol, m_cursorRow);
    if (code == 1 || code == 2) {
        m_mm->AddFile("fishka" + std::to_string(code));
    }
}

std::int16_t ReverControl::ComputerTurn(bool play) {
    m_busy = true;
    const int best = GreedyCell(m_board, m_curPlayer);
    if (!play) {
        return static_cast<std::int16_t>(best);
    }
    if (best != 0) {
        const int bestCount = CountFlips(m_board, best / 10, best % 10, m_curPlayer);
        const int perDisc =
            m_Tip % 2 == 0 ? BoardPauses::kThinkPerDiscTimed : BoardPauses::kThinkPerDisc;
        m_clock.waitFor(bestCount * perDisc);
        const OpponentMove move = ComputerMove(m_board, m_Level, m_Hod, m_CheyHod, m_random);
        if (move.sayNoReply) {
            m_mm->AddFile("notfisha");
        }
        int col = best / 10;
        int row = best % 10;
        if (move.text.size() >= 2) {
            col = move.text.front() - '0';
            row = move.text.back() - '0';
        }
        const int r = static_cast<int>(m_random.next() * 10);
        const int count = CountFlips(m_board, col, row, m_curPlayer, m_flipMask);
        if (m_mm->Count() == 0) {
            m_mm->AddFile(count < 8 ? "replica" + std::to_string(r) : "replica10");
        }
        m_clock.waitFor(BoardPauses::kBeforeComputerMove);
        setCursor(col, row);
        SayCell(false);
        PlayMove();
        m_busy = false;
        if (CheckGameEnd(false) == 64) {
            return static_cast<std::int16_t>(best);
        }
    } else {
        noteTurn(m_curPlayer, 0, 0, 0);
        ++m_passCount;
        if (m_passCount > 1) {
            CheckGameEnd(false);
            return 0;
        }
    }
    setHod(static_cast<std::int16_t>(m_Hod + 1));
    SetPlayer(3 - m_curPlayer);
    m_busy = false;
    return static_cast<std::int16_t>(best);
}

void ReverControl::startTimeCel() {
    if (m_timeCel == 0) {
        m_timeCel = m_clock.startTimer(BoardPauses::kTick, [this] { TimeCel_Timer(); });
    }
}

void ReverControl::stopTimeCel() {
    if (m_timeCel != 0) {
        m_clock.stopTimer(m_timeCel);
        m_timeCel = 0;
    }
}

void ReverControl::TimeCel_Timer() {
    if (m_inTick) {
        return;  // a turn started by a time-out is still running
    }
    m_inTick = true;
    const bool cel1 = m_pict->cel2Visible();
    std::int32_t pan = m_cursorCol * 100 - 450;
    std::int32_t volume = -1000;
    std::int32_t frequency = cel1 ? 28800 : 22050;
    PlayEffect(m_tiktak, pan, volume, frequency);
    m_pict->setCursorImages(cel1, !m_pict->cel2Visible());
    for (auto* panel : m_picthod) {
        panel->Imghod->setVisible(panel->isVisible() && !panel->Imghod->isVisible());
    }
    if (m_Tip % 2 == 1) {
        m_inTick = false;
        return;
    }
    pan = m_curPlayer * 1000 - 1500;
    volume = -800;
    frequency = 22050;
    const int t = m_timeLeft;
    if (t == 0) {
        // Time is up: the player loses the move. A move already being played
        // finishes first; it resets the clock itself.
        if (!m_busy) {
            m_busy = true;
            noteTurn(m_curPlayer, 0, 0, 0);
            if (m_curPlayer == 2) {
                setHod(static_cast<std::int16_t>(m_Hod + 1));
                SetPlayer(1);
                m_busy = false;
            } else {
                SetPlayer(2);
                m_timeLeft = m_Times;
                if (m_Game == 2) {
                    ComputerTurn(true);
                } else {
                    m_busy = false;
                }
            }
            m_timeLeft = m_Times;
        }
        m_inTick = false;
        return;
    }
    int cue = -1;
    if (t % 60 == 0 && t >= 60 && t <= 600) {
        cue = 1;
    } else if (t % 60 == 30 && t <= 570) {
        cue = 2;
    } else if (t % 30 == 15 && t <= 585) {
        cue = 3;
    } else if (t >= 2 && t <= 6) {
        cue = 2;
    } else if (t == 1) {
        cue = 0;
    }
    if (cue >= 0) {
        PlayEffect(m_pik[cue], pan, volume, frequency);
    }
    --m_timeLeft;
    m_picthod[m_curPlayer - 1]->Lvrem->setText(QString::number(m_timeLeft));
    m_inTick = false;
}

void ReverControl::playMusicFile(const char* name) {
    if (m_mm) {
        m_mm->PlayMusic((m_folders.data / "Musics" / name).string());
    }
}

int ReverControl::showResult(const QString& text, const QString& title) {
    const int answer = ShowMessage(m_dialogs, text, title, 33, nullptr);
    if (answer != 0) {
        playOk();
        m_mm->Clear();
    }
    return answer;
}

std::int16_t ReverControl::CheckGameEnd(bool /*freeCellsQuery*/) {
    const DiscCount count = CountDiscs(m_board);
    if (!IsGameOver(count, m_passCount)) {
        return static_cast<std::int16_t>(count.total());
    }
    stopTimeCel();
    const int w1 = count.white * m_Tur;
    const int w2 = count.black * m_Tur;
    m_discTotals[0] = static_cast<std::int16_t>(m_discTotals[0] + w1);
    m_discTotals[1] = static_cast<std::int16_t>(m_discTotals[1] + w2);
    const QString br = QStringLiteral("\r\n");
    QString text;
    QString title;
    if (w1 != w2) {
        const int winner = w1 > w2 ? 1 : 2;
        const int high = std::max(w1, w2);
        const int low = std::min(w1, w2);
        m_mm->AddFile("victoria");
        m_mm->AddFile("victory");
        m_mm->AddFile(m_playerPhrase[winner - 1]);
        m_mm->Number(high);
        m_mm->Number(low);
        m_points[winner - 1] = static_cast<std::int16_t>(m_points[winner - 1] + 2);
        text = QStringLiteral("Выиграл  ") + PlayerName(winner) + QStringLiteral("!") + br +
               QStringLiteral("Со счётом:   %1,%2.").arg(high).arg(low);
        title = QStringLiteral("ПОБЕДА!");
        m_CheyHod = static_cast<std::int16_t>(winner);
    } else {
        m_mm->AddFile("whose");
        m_mm->AddFile("balls");
        m_mm->Number(w1);
        m_mm->Number(w2);
        ++m_points[0];
        ++m_points[1];
        text = QStringLiteral("Очей: %1/%2.").arg(w1).arg(w2) + br;
        title = QStringLiteral("НЕ ЧЬЯ!");
    }
    ++m_Tur;
    if (m_Tip > 2) {
        m_mm->AddFile("schet");
        m_mm->Number(m_points[0]);
        m_mm->Number(m_points[1]);
        if (!text.endsWith(br)) {
            text += br;  // the score goes on a line of its own after a win too
        }
        text += QStringLiteral("Счёт: %1/%2.").arg(m_points[0]).arg(m_points[1]) + br;
        m_mm->AddFile("alls");
        m_mm->Number(m_discTotals[0]);
        m_mm->Number(m_discTotals[1]);
        m_mm->AddFile("ok");
        text += QStringLiteral("Всего: %1/%2.").arg(m_discTotals[0]).arg(m_discTotals[1]);
        showResult(text, title);
        if (m_Turs >= m_Tur) {
            Start();
            return 64;
        }
        std::tie(title, text) = finalVerdict();
    }
    m_mm->AddFile("ok");
    showResult(text, title);
    m_clock.waitUntil([this] { return m_mm->Count() == 0; });
    m_clock.waitFor(BoardPauses::kAfterGame);
    if (onBackToMenu) {
        onBackToMenu();
    }
    return 64;
}

std::pair<QString, QString> ReverControl::finalVerdict() {
    const int p1 = m_points[0];
    const int p2 = m_points[1];
    const int d1 = m_discTotals[0];
    const int d2 = m_discTotals[1];
    const QString br = QStringLiteral("\r\n");
    auto numbers = [this](int a, int b) {
        m_mm->Number(a);
        m_mm->Number(b);
    };
    if (p1 != p2) {
        const int winner = p1 > p2 ? 1 : 2;
        const int high = std::max(p1, p2);
        const int low = std::min(p1, p2);
        m_mm->AddFile("global");
        m_mm->AddFile("victory");
        m_mm->AddFile(m_playerPhrase[winner - 1]);
        m_mm->AddFile("schet");
        numbers(high, low);
        return {QStringLiteral("ПОЛНАЯ   ПОБЕДА!"),
                QStringLiteral("Выиграл ") + PlayerName(winner) + QStringLiteral(".") + br +
                    QStringLiteral("Со счётом: %1/%2.").arg(high).arg(low) + br};
    }
    if (d1 != d2) {
        const int winner = d1 > d2 ? 1 : 2;
        const int high = std::max(d1, d2);
        const int low = std::min(d1, d2);
        m_mm->AddFile("conditional");
        m_mm->AddFile("victory");
        m_mm->AddFile(m_playerPhrase[winner - 1]);
        m_mm->AddFile("schet");
        numbers(p1, p2);
        m_mm->AddFile("balls");
        m_mm->Number(high);
        m_mm->AddFile("opponent");
        m_mm->Number(low);
        return {QStringLiteral("УСЛОВНАЯ   ПОБЕДА!"),
                QStringLiteral("Выиграл ") + PlayerName(winner) + QStringLiteral(".") + br +
                    QStringLiteral("Счёт: %1/%2.").arg(p1).arg(p2) + br +
                    QStringLiteral("Очей: %1 против %2.").arg(high).arg(low)};
    }
    m_mm->AddFile("absolut");
    m_mm->AddFile("schet");
    numbers(p1, p2);
    m_mm->AddFile("balls");
    numbers(d1, d2);
    return {QStringLiteral("АБСОЛЮТНАЯ  НЕ ЧЬЯ!!"),
            QStringLiteral("Счёт: %1/%2.").arg(p1).arg(p2) + br +
                QStringLiteral("Очей: %1 против %2.").arg(d1).arg(d2)};
}

void ReverControl::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QFont font = p.font();
    font.setPointSize(20);
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(255, 255, 0));
    const int cell = BoardPicture::kCell;
    const int side = BoardPicture::kSide;
    for (int i = 0; i < 8; ++i) {
        const QString letter(QChar('A' + i));
        const QString number = QString::number(8 - i);
        // UpAbc, DownAbc: the column letters; LeftAbc, RightAbc: the rows, 8 at the top.
        p.drawText(QRect(kLeft + i * cell, 0, cell, kTop), Qt::AlignCenter, letter);
        p.drawText(QRect(kLeft + i * cell, kTop + side, cell, kTop), Qt::AlignCenter, letter);
        p.drawText(QRect(0, kTop + i * cell, kLeft, cell), Qt::AlignCenter, number);
        p.drawText(QRect(kLeft + side, kTop + i * cell, kLeft, cell), Qt::AlignCenter, number);
    }
}

}  // namespace korvel
