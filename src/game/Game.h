#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/Clock.h"
#include "core/CommonRoutines.h"
#include "core/ProgramFolders.h"
#include "game/BoardSounds.h"
#include "game/GameView.h"
#include "game/MatchScore.h"
#include "game/MoveClock.h"
#include "game/Players.h"
#include "game/SoundSwitches.h"
#include "game/Steps.h"
#include "game/TurnHistory.h"
#include "records/SavedGameRecord.h"
#include "rules/Rules.h"

namespace korvel {

class Announcer;
class BoardReader;
class RemotePlayer;
class RandomSource;
class Settings;

// The fixed delays of the game, in milliseconds. The computer's thinking pause
// grows with the number of discs its greedy move would turn, ten times shorter
// in timed games, so that it feels like thought without eating the clock.
struct GamePauses {
    static constexpr int kThinkPerDisc = 120;
    static constexpr int kThinkPerDiscTimed = 12;
    static constexpr int kBeforeComputerMove = 300;
    static constexpr int kSetUp = 800;
    static constexpr int kBeforePlay = 1000;
    static constexpr int kAfterGame = 500;
    static constexpr int kTick = 1000;
};

// What a key means on the board; the window maps the physical keys to these.
enum class Command {
    Up,
    Down,
    Left,
    Right,
    UpLeft,
    UpRight,
    DownLeft,
    DownRight,
    Play,
    Pass,
    Quiet,
    FreeCells,
    ToggleAnnouncer,
    ToggleMusic,
    Quit,
    TimeOfDay,
    TimeLeft,
    SinceStart,
    DiscCounts,
    SayCell,
    Help,
    Save,
    Pause,
    Row,
    Column,
    LegalMoves,
    LastTurns,
    Hint,
    Slower,
    Faster,
    Quieter,
    Louder,
    TakeBack,
    Resume,  // F11 on the pause's panel
};

// The kinds of game: type 1 single, 2 timed, 3 staged match, 4 timed staged
// match (even: timed, above 2: staged); opponent 1 two players, 2 the computer,
// 3 a player at another Korvel over the network.
struct GameSetup {
    int gameType = 1;
    int opponent = 1;
    int level = 1;
    int secondsPerMove = 0;
};

// What a network game needs beyond its setup: the other side, the colour
// played here (1 white, 2 black), and the start position both sides use (the
// host's start.txt, or none for the standard opening).
struct NetworkSide {
    RemotePlayer* remote = nullptr;
    int localPlayer = 1;
    std::optional<std::pair<Board, int>> start;  // the discs and the first mover
};

// The game in progress: turns and move numbers, the move clock and its
// time-outs, passes, the computer's turn, the scoring of games and staged
// matches, take-back, the reading keys, and what is said and when.
//
// Commands come in (a key's meaning, the answer to a question); phrases and
// effects go out through the announcer and the sound effects, and what the
// screen shows through the view. Everything that takes time is a step on the
// clock; while one runs, the game's state decides each command: handled
// without disturbing the step (the cursor, reports), or refused. The game
// borrows its services; the announcer is handed over by attach and forgotten
// by detach, between which the game owns its effect buffers.
class Game {
  public:
    Game(Clock& clock, Settings& settings, RandomSource& random, Folders folders, GameView& view);
    ~Game();
    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;

    void attach(Announcer& announcer);
    void detach();
    Announcer* announcer() const { return m_announcer; }

    // A new game from the menu (a new match when the type is staged), or a
    // saved record; both announce themselves and go on as steps.
    void begin(const GameSetup& setup);
    // A network game: both sides begin the same setup, each with its side.
    void beginNetwork(const GameSetup& setup, const NetworkSide& side);
    void load(const std::string& record);
    void command(Command command);

    // What the other side of a network game did. Each waits for its turn
    // here: a move or pass that arrives while the local player reads the
    // help or answers a question is played once that is over.
    void remoteMove(int col, int row);
    void remotePass();
    void remoteTimeOut();
    // The game cannot go on (the other side quit, or the connection ended):
    // said and shown with `reason`, the position may be saved, then the menu.
    void remoteLost(const std::string& phrase, const std::string& reason);
    bool networkGame() const { return m_setup.opponent == 3; }
    // The other side is gone without a word (the game left for the menu first).
    void forgetRemote(const RemotePlayer* remote) {
        if (m_network.remote == remote) {
            m_network.remote = nullptr;
        }
    }
    // Puts the cursor on a cell without a word, as a saved game does.
    void setCursor(int col, int row) { moveCursorTo(col, row); }

    // The players' phrases and shown names: the settings' names of a two-player game.
    void setPlayerPhrase(int player, const std::string& phrase);
    // The pause between turned discs, in milliseconds.
    void setTurnPause(int ms) { m_turnPause = ms; }
    bool musicOn() const { return m_switches.musicOn(); }
    void setMusicOn(bool on) { m_switches.setMusicOn(on); }
    // T: the time of day as hours, minutes, seconds; the tests fix it.
    std::function<std::array<int, 3>()> timeOfDay;

    // What the window draws and the tests read.
    const Board& board() const { return m_board; }
    int cursorCol() const { return m_cursorCol; }
    int cursorRow() const { return m_cursorRow; }
    int player() const { return m_player; }
    const std::string& playerName(int player) const { return m_players.name(player); }
    const GameSetup& setup() const { return m_setup; }
    int stage() const { return m_stage; }
    int moveNumber() const { return m_moveNumber; }
    int passCount() const { return m_passCount; }
    bool clockRunning() const { return m_moveClock.running(); }
    // No move, computer turn, question or pause is under way: a move may start.
    bool idle() const { return clockRunning() && m_state == State::Waiting; }
    std::size_t takeBackDepth() const { return m_history.depth(); }
    // The values a saved game keeps, as the game holds them now.
    SavedGame savedState() const;

    const TurnHistory::Notes& lastTurns() const { return m_history.notes(); }

  private:
    static constexpr int kStageCount = 9;  // the games of a staged match

    // Who holds the game: the player to move, or a step under way.
    enum class State { Waiting, Busy, Paused, Over };

    // Starting and loading (Game.cpp).
    Step<> startGame();
    Step<> loadGame(SavedGame game);
    Step<> restoreDiscs(const Board& saved);
    void announceLoaded(const SavedGame& game);
    void setOpponent(int opponent);
    void sayMoveNumber(int moveNumber);
    void showPlayer(int player);
    void sayCell(bool withEffect);
    BoardReader reader();
    void moveCursorTo(int col, int row);
    void leaveToMenu();

    // Turns (GameTurns.cpp).
    Step<> playMove(int col, int row);
    Step<> personMoves();
    Step<> moverPlays();
    Step<> computerTurn();
    Step<> passTurn();
    // The mover passes: the turn goes over, and two passes in a row end the game.
    Step<> handOverPass();
    Step<> timeOut();
    // Hands the turn to the other player: the move number after player 2.
    void nextTurn();

    // The end of a game and of a match (GameEnd.cpp); true when the game ended.
    Step<bool> checkGameEnd();
    Step<> showResult(const std::string& text, const std::string& caption);

    // The other side of a network game (GameRemote.cpp).
    bool remoteToMove() const { return networkGame() && m_player != m_network.localPlayer; }
    bool sayRemoteToMove();
    Step<> remoteTurn();
    bool remoteArrived() const;
    void takeRemote();
    // The other side's move on m_remoteCell, heard as the computer's is. The
    // cell is a member, not parameters: GCC 12 lays this step's frame out
    // wrongly with them (its first resume reaches an invalid resume point).
    Step<> playRemoteMove();
    Step<> remotePasses();
    Step<> lostConnection(std::string phrase, std::string reason);
    bool remoteLegal(int col, int row);
    void refuseRemote();

    // The keys (GameKeys.cpp, GameReading.cpp).
    struct Handler;
    static const Handler* handlerOf(Command command);
    void moveCursor(int dCol, int dRow);
    Step<> quitGame();
    Step<> showHelp();
    Step<> saveGame();
    // Asks for a slot and writes the game there; what is said of it.
    Step<const char*> saveToSlot();
    void pauseGame();
    void resumeGame();
    void sayTimeOfDay();
    void sayHint();
    void takeBack();

    Clock& m_clock;
    Settings& m_settings;
    RandomSource& m_random;
    Folders m_folders;  // recordings, effects, music; start.txt
    GameView& m_view;
    Announcer* m_announcer = nullptr;
    Stopwatch m_sinceStart;  // W: since this game began or was loaded

    GameSetup m_setup;
    Board m_board;
    FlipMask m_flipMask;
    State m_state = State::Over;
    int m_cursorCol = 4;
    int m_cursorRow = 4;
    int m_player = 1;
    int m_firstPlayer = 1;
    int m_stage = 1;
    int m_moveNumber = 1;
    int m_passCount = 0;
    int m_turnPause = 100;
    Players m_players;
    MatchScore m_score;
    NetworkSide m_network;
    // What the other side did, kept until its turn: a cell, or 0 0 for a pass.
    std::vector<std::pair<int, int>> m_remoteQueue;
    int m_gameNumber = 0;              // counts games begun, so a stale wait knows its game ended
    std::pair<int, int> m_remoteCell;  // the other side's move being played
    int m_remoteWaitGame = 0;          // the game whose other side's turn is awaited
    TurnHistory m_history;             // the turns for R, the points for Backspace
    SoundSwitches m_switches;
    BoardSounds m_sounds;   // loaded by attach
    MoveClock m_moveClock;  // its effects loaded by attach

    Steps m_steps;  // last: its steps end before the state they use
};

}  // namespace korvel
