// The game's set-up: its services, a new game or match from the menu, a saved
// game loaded by ear, and the small pieces every step uses.
#include "game/Game.h"

#include <filesystem>
#include <system_error>

#include "core/IniFile.h"
#include "game/BoardReader.h"
#include "records/StartPosition.h"
#include "voice/Announcer.h"

namespace korvel {
namespace {

const char* LevelName(int level) {
    static const char* const kNames[] = {"НОВИЧЁК", "БЫВАЛЫЙ", "ОПЫТНЫЙ", "МАСТЕР"};
    return level >= 1 && level <= 4 ? kNames[level - 1] : nullptr;
}

}  // namespace

Game::Game(Clock& clock, Settings& settings, RandomSource& random, Folders folders, GameView& view)
    : m_clock(clock),
      m_settings(settings),
      m_random(random),
      m_folders(std::move(folders)),
      m_view(view),
      m_sinceStart(clock),
      m_steps(clock) {}

Game::~Game() {
    stopClock();
    detach();
}

void Game::attach(Announcer& announcer) {
    m_announcer = &announcer;
    m_announcer->AddFile("reverse");
    for (int i = 0; i < 4; ++i) {
        LoadEffect(m_clockCues[i], m_folders.data, "pik" + std::to_string(i));
    }
    LoadEffect(m_border, m_folders.data, "border");
    LoadEffect(m_cursor, m_folders.data, "cursor");
    LoadEffect(m_error, m_folders.data, "error");
    for (int i = 0; i < 3; ++i) {
        LoadEffect(m_disc[i], m_folders.data, "fishka" + std::to_string(i));
    }
    LoadEffect(m_ok, m_folders.data, "ok");
    LoadEffect(m_tickTock, m_folders.data, "tiktak");
}

void Game::detach() {
    m_announcer = nullptr;
    for (EffectBuffer* effect :
         {&m_clockCues[0], &m_clockCues[1], &m_clockCues[2], &m_clockCues[3], &m_border, &m_cursor,
          &m_error, &m_disc[0], &m_disc[1], &m_disc[2], &m_ok, &m_tickTock}) {
        ReleaseEffect(*effect);
    }
}

// The colours' phrases are shown by their Russian names; a phrase of the
// player's own recording is shown as it is named.
void Game::setPlayerPhrase(int player, const std::string& phrase) {
    m_playerPhrase[player - 1] = phrase;
    m_playerName[player - 1] = phrase == "white" ? "БЕЛЫЕ" : phrase == "black" ? "ЧЁРНЫЕ" : phrase;
    m_view.nameShown(player, m_playerName[player - 1]);
}

void Game::setOpponent(int opponent) {
    m_setup.opponent = opponent;
    if (opponent == 2) {
        setPlayerPhrase(1, m_settings.GetIni("Game", "player_sound"));
        m_playerName[0] = m_settings.GetIni("Game", "player_name");
        m_view.nameShown(1, m_playerName[0]);
        m_playerPhrase[1] = "computer";
        m_playerName[1] = "Комп";
        m_view.nameShown(2, m_playerName[1]);
    }
    if (m_musicOn) {
        playMusic("remembr.mid");
    }
}

void Game::setLevel(int level) {
    m_setup.level = level;
    m_playerPhrase[1] = "level" + std::to_string(level);
    if (const char* name = LevelName(level)) {
        m_playerName[1] = name;
        m_view.nameShown(2, name);
    }
}

void Game::begin(const GameSetup& setup) {
    m_stage = 1;
    m_setup.gameType = setup.gameType;
    m_firstPlayer = 1;
    m_setup.secondsPerMove = setup.secondsPerMove;
    m_view.clockShown(setup.secondsPerMove != 0);
    setOpponent(setup.opponent);
    m_score.clear();
    if (setup.opponent == 2) {
        setLevel(setup.level);
    }
    m_steps.start(startGame());
}

Step<> Game::startGame() {
    m_state = State::Busy;
    m_sinceStart.read(0);
    m_view.turnMarksHidden();
    moveCursorTo(m_firstPlayer + 3, 4);
    m_board.clear();
    const std::filesystem::path start = m_folders.user / "start.txt";
    std::error_code error;
    if (std::filesystem::is_regular_file(start, error)) {
        m_firstPlayer = ReadStartPosition(start, m_board);
    } else {
        SetStandardPosition(m_board);
    }
    // A game never inherits the passes that ended the one before it, nor its turns.
    m_passCount = -1;
    m_history.forget();
    m_view.discsChanged();
    co_await m_steps.pause(GamePauses::kSetUp);
    if (m_stage == 1) {
        m_announcer->AddFile("velcome");
        m_announcer->AddFile("menu" + std::to_string(m_setup.opponent));
        m_announcer->AddFile("tipe" + std::to_string(m_setup.gameType));
    }
    if (m_setup.gameType > 2) {
        m_announcer->AddFile("tur");
        m_announcer->Number(m_stage);
    }
    sayMoveNumber(1);
    showPlayer(m_firstPlayer);
    m_announcer->AddFile("position");
    sayCell(false);
    co_await m_steps.until([this] { return m_announcer == nullptr || m_announcer->Count() <= 1; });
    if (m_setup.gameType % 2 == 0) {
        m_secondsLeft = m_setup.secondsPerMove;
    }
    m_view.secondsLeftShown(0, m_secondsLeft);
    startClock();
    co_await m_steps.pause(GamePauses::kBeforePlay);
    co_await moverPlays();
}

void Game::load(const std::string& record) {
    const std::optional<SavedGame> parsed = ParseRecord(record);
    if (parsed && m_announcer != nullptr) {
        m_steps.start(loadGame(*parsed));
    }
}

Step<> Game::loadGame(SavedGame game) {
    m_state = State::Busy;
    m_sinceStart.read(0);
    stopClock();
    m_view.pauseShown(false, m_player);
    m_announcer->Clear();
    m_announcer->StopSound();
    m_view.turnMarksHidden();
    co_await restoreDiscs(game.board);
    announceLoaded(game);
    co_await m_steps.until([this] { return m_announcer == nullptr || m_announcer->Count() <= 1; });

    // A loaded game never inherits the passes of the game played before it,
    // nor its turns: the record keeps none.
    m_passCount = -1;
    m_history.forget();
    m_view.secondsLeftShown(0, m_secondsLeft);
    startClock();
    co_await moverPlays();
}

// The position comes back audibly, row by row, each disc at its place.
Step<> Game::restoreDiscs(const Board& saved) {
    m_board.clear();
    m_view.discsChanged();
    const int halfPause = static_cast<int>(RoundHalfEven(m_turnPause / 2.0));
    for (int row = 1; row <= 8; ++row) {
        for (int col = 1; col <= 8; ++col) {
            const CellCode code = saved.at(col, row);
            m_board.at(col, row) = code;
            m_view.discsChanged();
            if (code == 1 || code == 2) {
                cellEffect(m_disc[code], col, row, -500, 20000, 500);
                co_await m_steps.pause(halfPause);
            }
        }
    }
}

// The saved game's kind, stage, clock and score, said as they come back.
void Game::announceLoaded(const SavedGame& game) {
    m_score.restore(game.points, game.discTotals);
    m_announcer->Clear();
    m_announcer->AddFile("velcome");
    setOpponent(game.game);
    m_announcer->AddFile("menu" + std::to_string(game.game));
    m_setup.gameType = game.tip;
    m_firstPlayer = 1;
    m_announcer->AddFile("tipe" + std::to_string(game.tip));
    m_stage = game.tur;
    if (m_setup.gameType > 2) {
        m_announcer->AddFile("tur");
        m_announcer->Number(m_stage);
    }
    if (game.level != 0) {
        setLevel(game.level);
    }
    m_setup.secondsPerMove = game.times;
    m_view.clockShown(game.times != 0);
    if (m_setup.gameType % 2 == 0 && m_setup.secondsPerMove > 0) {
        // The time per move, said as the W key says a time.
        sayDuration(0, m_setup.secondsPerMove / 60, m_setup.secondsPerMove % 60);
    }
    m_announcer->AddFile("schet");
    m_announcer->Number(m_score.points()[0]);
    m_announcer->Number(m_score.points()[1]);
    m_announcer->AddFile("alls");
    m_announcer->Number(m_score.discTotals()[0]);
    m_announcer->Number(m_score.discTotals()[1]);

    sayMoveNumber(game.hod);
    m_player = game.curPlayer;
    m_secondsLeft = game.timeLeft;
    moveCursorTo(game.cursorCol, game.cursorRow);
    m_announcer->AddFile("position");
    sayCell(false);
    showPlayer(m_player);
}

void Game::sayMoveNumber(int moveNumber) {
    m_moveNumber = moveNumber;
    if (m_announcer) {
        m_announcer->AddFile("gamer");
        m_announcer->Number(moveNumber);
    }
}

void Game::showPlayer(int player) {
    if (player > 0) {
        m_player = player;
    }
    m_announcer->AddFile("comon");
    m_view.playerShown(m_player, m_moveNumber);
    m_announcer->AddFile(m_playerPhrase[m_player - 1]);
}

void Game::moveCursorTo(int col, int row) {
    m_cursorCol = col;
    m_cursorRow = row;
    if (OnBoard(col, row)) {
        m_view.cursorMoved(col, row);
    }
}

void Game::sayCell(bool withEffect) {
    if (withEffect) {
        m_announcer->Clear();
        cellEffect(m_cursor, m_cursorCol, m_cursorRow, -500, 16000, 2000);
    }
    reader().cell(m_cursorCol, m_cursorRow);
}

BoardReader Game::reader() {
    return BoardReader(*m_announcer, m_board);
}

// Pan by column, pitch by row: the player hears where on the board it was.
void Game::cellEffect(const EffectBuffer& effect, int col, int row, int volume, int freqBase,
                      int freqStep) {
    std::int32_t pan = col * 100 - 450;
    std::int32_t vol = volume;
    std::int32_t freq = row * freqStep + freqBase;
    PlayEffect(effect, pan, vol, freq);
}

void Game::playMusic(const char* name) {
    if (m_announcer) {
        m_announcer->PlayMusic((m_folders.data / "Musics" / name).string());
    }
}

void Game::playOk() {
    std::int32_t pan = 0;
    std::int32_t volume = 0;
    std::int32_t frequency = 22050;
    PlayEffect(m_ok, pan, volume, frequency);
}

}  // namespace korvel
