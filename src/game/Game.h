#pragma once

#include <array>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "game/BoardCommands.h"
#include "game/GameLoading.h"
#include "game/GameQuestions.h"
#include "game/GameTable.h"
#include "game/RemoteMoves.h"

namespace korvel {

// The game in progress: turns and move numbers, the move clock and its
// time-outs, passes, the computer's turn, the scoring of games and staged
// matches, and the other side of a network game; its questions, keys and
// loading are parts of their own at the same table.
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
    Announcer* announcer() const { return m_table.announcerOrNull(); }

    // A new game from the menu (a new match when the type is staged), or a
    // saved record; both announce themselves and go on as steps.
    void begin(const GameSetup& setup);
    // A network game: both sides begin the same setup, each with its side.
    void beginNetwork(const GameSetup& setup, const NetworkSide& side);
    void load(const std::string& record);
    void command(Command command) { m_commands.run(command); }

    // What the other side of a network game did. Each waits for its turn
    // here: a move or pass that arrives while the local player reads the
    // help or answers a question is played once that is over.
    void remoteMove(int col, int row);
    void remotePass();
    void remoteTimeOut();
    // The other side's clock of our turn ran out before ours said so: our
    // turn ends by time as soon as it may.
    void localTimedOut();
    // The game cannot go on (the other side quit, or the connection ended):
    // said and shown with `reason`, the position may be saved, then the menu.
    void remoteLost(const std::string& phrase, const std::string& reason);
    bool networkGame() const { return m_table.networkGame(); }
    // The other side is gone without a word (the game left for the menu first).
    void forgetRemote(const RemotePlayer* remote) {
        if (m_table.remote() == remote) {
            m_table.dropRemote();
        }
    }
    // Puts the cursor on a cell without a word, as a saved game does.
    void setCursor(int col, int row) { m_table.moveCursorTo(col, row); }

    // The players' phrases and shown names: the settings' names of a two-player game.
    void setPlayerPhrase(int player, const std::string& phrase) {
        m_table.players().setPhrase(player, phrase);
    }
    // The pause between turned discs, in milliseconds.
    void setTurnPause(int ms) { m_table.setTurnPause(ms); }
    bool musicOn() const { return m_table.switches().musicOn(); }
    void setMusicOn(bool on) { m_table.switches().setMusicOn(on); }
    // T: the time of day as hours, minutes, seconds; the tests fix it.
    BoardCommands::TimeOfDay timeOfDay;

    // What the window draws and the tests read.
    const Board& board() const { return m_table.position().board(); }
    int cursorCol() const { return m_table.position().cursorCol(); }
    int cursorRow() const { return m_table.position().cursorRow(); }
    int player() const { return m_table.position().mover(); }
    const std::string& playerName(int player) const { return m_table.players().name(player); }
    const GameSetup& setup() const { return m_table.match().setup(); }
    int stage() const { return m_table.match().stage(); }
    int moveNumber() const { return m_table.position().moveNumber(); }
    int passCount() const { return m_table.position().passes(); }
    bool clockRunning() const { return m_table.moveClock().running(); }
    // No move, computer turn, question or pause is under way: a move may start.
    bool idle() const { return m_table.idle(); }
    std::size_t takeBackDepth() const { return m_table.history().depth(); }
    // The values a saved game keeps, as the game holds them now.
    SavedGame savedState() const { return m_table.savedState(); }

    const TurnHistory::Notes& lastTurns() const { return m_table.history().notes(); }

  private:
    using State = GameTable::State;

    // Starting and loading (Game.cpp).
    Step<> startGame();
    Step<> loadGame(SavedGame game);

    // Turns (GameTurns.cpp).
    Step<> playMove(int col, int row);
    Step<> personMoves();
    Step<> moverPlays();
    Step<> computerTurn();
    Step<> passTurn();
    // The mover passes: the turn goes over, and two passes in a row end the game.
    Step<> handOverPass();
    Step<> timeOut();

    // The end of a game and of a match (GameEnd.cpp); true when the game ended.
    Step<bool> checkGameEnd();
    Step<> showResult(const std::string& text, const std::string& caption);

    // The other side of a network game (GameRemote.cpp).
    Step<> remoteTurn();
    bool remoteArrived() const;
    void takeRemote();
    // The other side's move on m_remoteCell, heard as the computer's is. The
    // cell is a member, not parameters: GCC 12 lays this step's frame out
    // wrongly with them (its first resume reaches an invalid resume point).
    Step<> playRemoteMove();
    Step<> remotePasses();
    void refuseRemote();

    GameTable m_table;
    // The parts of the table the game's own steps use most.
    Position& m_position = m_table.position();
    Steps& m_steps = m_table.steps();
    MoveClock& m_moveClock = m_table.moveClock();
    GameQuestions m_questions{m_table};
    GameLoading m_loading{m_table};
    BoardCommands m_commands;
    RemoteMoves m_remoteMoves;
    std::pair<int, int> m_remoteCell;  // the other side's move being played
    std::int64_t m_stageBegan = 0;     // a network game: when our clock of the stage began
    bool m_ownTimeEnded = false;       // a network game: the other side ended our turn by time
    // A network game's turn begins now: the mover's seconds count from `ms`.
    void turnBegins(std::int64_t ms);
};

}  // namespace korvel
