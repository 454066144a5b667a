#include "game/GameQuestions.h"

#include <system_error>

#include "core/ProgramFolders.h"
#include "game/BoardSounds.h"
#include "game/GameView.h"
#include "game/MatchScore.h"
#include "game/MoveClock.h"
#include "game/Position.h"
#include "game/RemotePlayer.h"
#include "game/SoundSwitches.h"
#include "records/SavedGameRecord.h"
#include "voice/Announcer.h"

namespace korvel {

using State = TableState;

void GameQuestions::backToBoard() {
    if (!m_table.networkGame()) {
        m_table.awaitMove();
        m_table.moveClock().start();
    }
    m_table.view().keyboardToBoard();
}

// The game stops for a question, except a network game's.
void GameQuestions::stopForQuestion() {
    if (!m_table.networkGame()) {
        m_table.moveClock().stop();
        m_table.hold();
    }
}

Step<> GameQuestions::quit() {
    QuestionTable& t = m_table;
    t.announcer().Clear();
    t.announcer().AddFile("stop");
    stopForQuestion();
    const int answer = co_await t.steps().ask<int>([&t](auto answer) {
        t.view().ask(Question{"Вы хотите прервать игру?", "Вопрос", 115, true}, std::move(answer));
    });
    t.announcer().Clear();
    if (answer == 1) {
        t.finish();
        t.switches().stopMusic(t.announcer());
        if (RemotePlayer* remote = t.dropRemote()) {
            remote->quit();
        }
        t.leaveToMenu();
        co_return;
    }
    backToBoard();
}

Step<> GameQuestions::help() {
    QuestionTable& t = m_table;
    stopForQuestion();
    const bool closedWithButton =
        co_await t.steps().ask<bool>([&t](auto answer) { t.view().showHelp(std::move(answer)); });
    if (closedWithButton) {
        t.sounds().ok();
    }
    backToBoard();
}

Step<> GameQuestions::save() {
    QuestionTable& t = m_table;
    t.announcer().Clear();
    if (t.position().moveNumber() <= 1 && t.match().stage() <= 1) {
        t.announcer().AddFile("make");
        t.announcer().AddFile("1");
        t.announcer().AddFile("gamer");
        co_return;
    }
    stopForQuestion();
    const char* said = co_await saveToSlot();
    backToBoard();
    t.announcer().Clear();
    t.announcer().AddFile(said);
}

Step<const char*> GameQuestions::saveToSlot() {
    QuestionTable& t = m_table;
    const std::string record = BuildRecord(t.savedState());
    const std::filesystem::path folder = GamesFolder(t.folders().user);
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    auto chosen = t.steps().ask<std::string>(
        [&t](auto answer) { t.view().chooseSaveSlot(std::move(answer)); });
    const std::string slot = co_await chosen;
    if (slot.empty()) {
        co_return "cancel";
    }
    co_return WriteSlotFile(folder / (slot + ".rsg"), record) ? "save" : "savefail";
}

// A network game's clock cannot stop on one side only.
void GameQuestions::pause() {
    QuestionTable& t = m_table;
    t.announcer().Clear();
    if (!t.match().timed() || t.networkGame()) {
        t.announcer().AddFile("unavailable");
        return;
    }
    t.pauseGame();
    t.moveClock().stop();
    t.view().pauseShown(true, t.position().mover());
    t.announcer().AddFile("pause");
    t.switches().music(t.announcer(), "heat.mid");
}

void GameQuestions::resume() {
    QuestionTable& t = m_table;
    t.awaitMove();
    t.view().pauseShown(false, t.position().mover());
    t.moveClock().start();
    t.sayCell(false);
    t.view().keyboardToBoard();
    t.switches().music(t.announcer(), "remembr.mid");
}

// Waits for the step under way (a move's discs, a question, the result of a
// stage) to end first; a game that ends or is left meanwhile ends this wait
// with its other steps, unheard.
Step<> GameQuestions::lostConnection(std::string phrase, std::string reason) {
    QuestionTable& t = m_table;
    auto settled = t.steps().until([&t] { return t.state() == State::Waiting; });
    co_await settled;
    t.hold();
    t.moveClock().stop();
    t.announcer().Clear();
    t.announcer().AddFile(phrase);
    // Before the first move there is nothing to keep: the reason alone, and OK.
    const bool savable = t.position().moveNumber() > 1 || t.match().stage() > 1;
    if (savable) {
        t.announcer().AddFile("savequestion");
    }
    const Question question =
        savable ? Question{reason + "\r\nСохранить игру?", "Игра прервана", 99, true}
                : Question{reason, "Игра прервана", 33, false};
    auto asked = t.steps().ask<int>(
        [&t, &question](auto answer) { t.view().ask(question, std::move(answer)); });
    const int answer = co_await asked;
    if (savable && answer == 1) {
        const char* said = co_await saveToSlot();
        t.announcer().Clear();
        t.announcer().AddFile(said);
        auto quiet = t.steps().until([&t] { return t.announcer().Count() == 0; });
        co_await quiet;
    }
    t.finish();
    t.switches().stopMusic(t.announcer());
    t.leaveToMenu();
}

}  // namespace korvel
