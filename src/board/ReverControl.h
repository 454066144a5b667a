#pragma once

#include <QLabel>
#include <QTime>
#include <QWidget>
#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "Clock.h"
#include "CommonRoutines.h"
#include "ProgramFolders.h"
#include "Rules.h"
#include "SavedGameRecord.h"
#include "SoundEffects.h"

namespace korvel {

class BoardPicture;
class DialogHost;
class MusicList;
class PlayerPanel;
class RandomSource;
class Settings;

// The fixed delays of the board, in milliseconds. The computer's thinking pause
// grows with the number of discs its greedy move would turn, ten times shorter
// in timed games, so that it feels like thought without eating the clock.
struct BoardPauses {
    static constexpr int kThinkPerDisc = 120;
    static constexpr int kThinkPerDiscTimed = 12;
    static constexpr int kBeforeComputerMove = 300;
    static constexpr int kSetUp = 800;
    static constexpr int kBeforePlay = 1000;
    static constexpr int kAfterGame = 500;
    static constexpr int kTick = 1000;
};

// The board control, Rever: the one game in progress, its picture, its keys,
// its turns and clock, and the scoring of games and staged matches.
//
// The control borrows its services (clock, settings, random source, dialog host)
// from the program's assembly; the announcer is handed over by Init and
// forgotten by UnInit, between which the control owns its effect buffers.
// Everything runs on the window thread; the waits inside a move, a computer
// turn or a game start let events run, and Busy with the stopped TimeCel keeps
// a key pressed meanwhile from starting a second move or dialog.
class ReverControl : public QWidget {
  public:
    ReverControl(Clock& clock, Settings& settings, RandomSource& random, DialogHost& dialogs,
                 Folders folders, QWidget* parent = nullptr);
    ~ReverControl() override;

    // Lifecycle.
    void Init(MusicList& mm);
    void UnInit();
    void Gamer(const std::string& text, int player);
    void Donull();
    void Start();

    // Properties set by the game start and the saved-game loader.
    std::int16_t Tip() const { return m_Tip; }
    void setTip(std::int16_t value);
    std::int16_t Tur() const { return m_Tur; }
    void setTur(std::int16_t value) { m_Tur = value; }
    std::int16_t Turs() const { return m_Turs; }
    void setTurs(std::int16_t value) { m_Turs = value; }
    std::int16_t Times() const { return m_Times; }
    void setTimes(std::int16_t value);
    std::int16_t Game() const { return m_Game; }
    void setGame(std::int16_t value);
    std::int16_t Hod() const { return m_Hod; }
    void setHod(std::int16_t value);
    std::int16_t Level() const { return m_Level; }
    void setLevel(std::int16_t value);
    std::int16_t CheyHod() const { return m_CheyHod; }
    void setCheyHod(std::int16_t value) { m_CheyHod = value; }
    std::int16_t RevPause() const { return m_RevPause; }
    void setRevPause(std::int16_t value) { m_RevPause = value; }
    bool YesMusic() const { return m_YesMusic; }
    void setYesMusic(bool value) { m_YesMusic = value; }

    // Game state.
    const Board& board() const { return m_board; }
    Board& board() { return m_board; }
    int CursorCol() const { return m_cursorCol; }
    int CursorRow() const { return m_cursorRow; }
    void setCursor(int col, int row);
    int CurPlayer() const { return m_curPlayer; }
    std::int16_t PassCount() const { return m_passCount; }
    bool Busy() const { return m_busy; }
    std::int16_t TimeLeft() const { return m_timeLeft; }
    const std::array<std::int16_t, 2>& Points() const { return m_points; }
    const std::array<std::int16_t, 2>& DiscTotals() const { return m_discTotals; }
    // A player's latest turn, for R: the cell played and the discs it turned;
    // column 0 for a pass (a move lost to the clock counts as one).
    struct TurnNote {
        int col = 0;
        int row = 0;
        int flips = 0;
        bool operator==(const TurnNote&) const = default;
    };
    struct TurnNotes {
        std::array<std::optional<TurnNote>, 2> byPlayer;
        int lastPlayer = 0;  // who turned most recently, 0 before the first turn
        bool operator==(const TurnNotes&) const = default;
    };
    const TurnNotes& LastTurns() const { return m_turns; }
    // Moves Backspace can take back.
    std::size_t TakeBackDepth() const { return m_takeBack.size(); }
    const std::string& PlayerPhrase(int player) const { return m_playerPhrase[player - 1]; }
    QString PlayerName(int player) const;
    bool timeCelRunning() const { return m_timeCel != 0; }

    // Gives the keyboard to the board picture.
    void focusBoard();
    void SetPlayer(int player);
    std::int16_t ComputerTurn(bool play);
    std::int16_t CheckGameEnd(bool freeCellsQuery);
    void RedrawDiscs();

    // Saved games. SaveGame lets the player choose a slot and writes the game
    // in progress into it; LoadingReverGame restores and announces a decoded
    // record, rebuilding the position disc by disc, and goes on with the game.
    enum class SaveResult { Saved, Cancelled, Failed };
    SaveResult SaveGame();
    void LoadingReverGame(const std::string& record);
    // The values a saved game keeps, as the board holds them now.
    SavedGame SavedState() const;

    // Where the board hands control back to the program.
    std::function<void()> onBackToMenu;
    // T: the time of day; the tests fix it.
    std::function<QTime()> systemTime = [] { return QTime::currentTime(); };
    // F1: shows the rules in the help window under `title` (true on a
    // positive close); the program's assembly knows where the rules are.
    std::function<bool(const QString& title)> onHelp;

    // The key handlers of the board picture and of the pause panel.
    void Pict_KeyDown(int key, Qt::KeyboardModifiers modifiers);
    void Picthod_KeyDown(int index, int key, Qt::KeyboardModifiers modifiers);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    // No move, computer turn, dialog or pause under way: a command may start.
    bool idle() const;
    void PlayMove();
    void SayCell(bool withEffect);
    void moveCursor(int dCol, int dRow);
    void playMoveKey();
    void passKey();
    void quitKey();
    void pauseKey();
    void helpKey();
    void saveKey();
    void sayTimeLeft();
    void saySinceStart();
    void sayDiscCounts();
    // Hours, minutes and seconds with their unit words; a zero part is skipped.
    void sayDuration(int hours, int minutes, int seconds);
    void playOk();
    void toggleAnnouncer();
    void toggleMusic();
    void TimeCel_Timer();
    void startTimeCel();
    void stopTimeCel();
    void playMusicFile(const char* name);
    // Queues the match's verdict and gives its dialog title and text.
    std::pair<QString, QString> finalVerdict();
    int showResult(const QString& text, const QString& title);
    void cellEffect(const EffectBuffer& effect, int col, int row, int volume, int freqBase,
                    int freqStep);
    void updateLabels();

    // The reading keys and controls beyond the original key set (ReverExtraKeys.cpp).
    void sayLegalMoves();
    void sayLastTurns();
    void sayLine(bool row);
    void hintKey();
    void stepRate(int direction);
    void stepMusicVolume(int direction);
    void takeBackKey();
    void sayCellName(int col, int row);
    void noteTurn(int player, int col, int row, int flips);
    void noteTakeBackPoint();
    void forgetTurns();

    Clock& m_clock;
    Settings& m_settings;
    RandomSource& m_random;
    DialogHost& m_dialogs;
    Folders m_folders;  // recordings, effects, music; start.txt and ReadMe.txt
    MusicList* m_mm = nullptr;
    Stopwatch m_sinceCreated;

    Board m_board;
    FlipMask m_flipMask;
    int m_cursorCol = 4;
    int m_cursorRow = 4;
    int m_curPlayer = 1;
    std::int16_t m_passCount = 0;
    bool m_busy = false;
    std::int16_t m_timeLeft = 0;
    Clock::TimerId m_timeCel = 0;
    bool m_inTick = false;

    std::int16_t m_Tip = 1;
    std::int16_t m_Tur = 1;
    std::int16_t m_Turs = 9;
    std::int16_t m_Times = 0;
    std::int16_t m_Game = 1;
    std::int16_t m_Hod = 1;
    std::int16_t m_Level = 1;
    std::int16_t m_CheyHod = 1;
    std::int16_t m_RevPause = 100;
    bool m_YesMusic = false;
    std::array<std::string, 2> m_playerPhrase;
    std::array<std::int16_t, 2> m_points{};
    std::array<std::int16_t, 2> m_discTotals{};

    // What Backspace restores: the game just before a person's move.
    struct TakeBackPoint {
        Board board;
        std::int16_t hod = 1;
        int curPlayer = 1;
        std::int16_t passCount = 0;
        std::int16_t timeLeft = 0;
        int cursorCol = 4;
        int cursorRow = 4;
        TurnNotes turns;
    };
    TurnNotes m_turns;
    std::vector<TakeBackPoint> m_takeBack;

    // Effects, loaded by Init.
    std::array<EffectBuffer, 4> m_pik;
    EffectBuffer m_border, m_cursor, m_error, m_ok, m_tiktak;
    std::array<EffectBuffer, 3> m_fishka;

    BoardPicture* m_pict = nullptr;
    std::array<PlayerPanel*, 2> m_picthod{};
    QLabel* m_info = nullptr;
};

}  // namespace korvel
