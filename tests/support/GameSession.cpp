#include "GameSession.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>

#include "game/BoardKeys.h"
#include "game/DialogModels.h"
#include "records/SavedGameRecord.h"
#include "voice/SoundEffects.h"

namespace korvel::testing {
namespace {

// A key as pressed: its name under the Latin layout, and the modifiers held.
struct PressedKey {
    std::string name;
    bool shift = false, ctrlOrAlt = false;
};

PressedKey ParseKey(std::string name) {
    PressedKey key;
    for (const char* prefix : {"Shift+", "Ctrl+", "Alt+"}) {
        if (name.rfind(prefix, 0) == 0) {
            (prefix[0] == 'S' ? key.shift : key.ctrlOrAlt) = true;
            name = name.substr(std::string(prefix).size());
        }
    }
    // "ru:Л" and "bare:Л": a Russian letter, found by its place on the keyboard.
    for (const char* layout : {"ru:", "bare:"}) {
        if (name.rfind(layout, 0) == 0) {
            const std::string letter = name.substr(std::string(layout).size());
            const char32_t code =
                letter.size() == 2
                    ? static_cast<char32_t>(((letter[0] & 0x1F) << 6) | (letter[1] & 0x3F))
                    : 0;
            const char latin = LatinKeyOfCyrillic(code);
            if (latin == 0) {
                ADD_FAILURE() << "unknown key " << name;
            }
            name = std::string(1, latin);
        }
    }
    key.name = name;
    return key;
}

DialogKey ToDialogKey(const std::string& name) {
    static const std::pair<const char*, DialogKey> kKeys[] = {
        {"Enter", DialogKey::Enter}, {"Space", DialogKey::Space}, {"Escape", DialogKey::Escape},
        {"Tab", DialogKey::Tab},     {"Left", DialogKey::Left},   {"Right", DialogKey::Right},
        {"Up", DialogKey::Up},       {"Down", DialogKey::Down},   {"Home", DialogKey::Home},
        {"End", DialogKey::End}};
    for (const auto& [known, key] : kKeys) {
        if (name == known) {
            return key;
        }
    }
    return DialogKey::Other;
}

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(' ');
    return first == std::string::npos ? ""
                                      : text.substr(first, text.find_last_not_of(' ') + 1 - first);
}

// What the Games folder holds at the end: each file's decoded record.
void ListGames(const std::filesystem::path& games, std::vector<std::string>& lines) {
    if (!std::filesystem::is_directory(games)) {
        lines.push_back("Games: " + ReadBytes(games));
        return;
    }
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(games)) {
        names.insert(entry.path().filename().string());
    }
    for (const auto& name : names) {
        lines.push_back("file " + name + " " + ReadSlotFile(games / name));
    }
}

}  // namespace

// The window of the game without its widgets: the board's keys, the pause's
// panel, the dialogs over them, and the menu the game goes back to.
class GameSession::View : public GameView {
  public:
    explicit View(GameSession& s) : m_s(s) {}

    bool boardShown = false;

    void pauseShown(bool shown, int) override { m_paused = shown; }
    void keyboardToBoard() override { m_paused = false; }

    void ask(const Question& question, std::function<void(int)> answer) override {
        auto open = std::make_shared<Message>();
        const int style = question.style < 0 || question.style > 159 ? 97 : question.style;
        const std::string caption =
            question.caption.empty() ? MessageCaption(style) : question.caption;
        if (LoadEffect(open->beep, m_s.folders.data, MessageBeep(style))) {
            std::int32_t pan = 0, volume = 0, frequency = 0;  // the file's own rate
            PlayEffect(open->beep, pan, volume, frequency);
        }
        open->buttons = MessageButtons(style % 32);
        open->focused = open->buttons.firstFocus();
        std::string buttons;
        for (int n = 1; n <= 4; ++n) {
            if (open->buttons.shown(n)) {
                buttons += (n == open->focused ? " >" : " ") + std::to_string(n) + ":" +
                           open->buttons.caption(n);
            }
        }
        m_message = open;
        shown("message", caption,
              "dialog [" + caption + "] " + OneLine(question.text) + " /" + buttons);
        open->buttons.setAnnouncer(question.spoken ? m_s.game().announcer() : nullptr);
        m_s.clock.resumeWhen([open] { return open->result != 0; },
                             [this, open, caption, answer = std::move(answer)] {
                                 open->buttons.setAnnouncer(nullptr);
                                 ReleaseEffect(open->beep);
                                 m_message.reset();
                                 answered("message", caption, open->result, "");
                                 answer(open->result);
                             });
    }

    void chooseSaveSlot(std::function<void(std::string)> answer) override {
        const SlotChoices choices = SaveChoices(m_s.folders.user);
        openList("Сохранить игру", choices.items, "saving",
                 [numbers = choices.numbers, answer = std::move(answer)](int k) {
                     answer(k > 0 ? "lok" + std::to_string(numbers[k - 1]) : std::string());
                 });
    }

    void showHelp(std::function<void(bool)> answer) override {
        m_help = std::move(answer);
        shown("help", "Помощь!", "help [Помощь!]");
    }

    void backToMenu() override {
        boardShown = false;
        showMenu();
    }

    // The menu shows: its title is said, then its stored choice is selected and named.
    void showMenu() {
        m_s.announcer.AddFile("menu0");
        m_s.clock.resumeWhen([this] { return m_s.announcer.Count() == 0; },
                             [this] {
                                 const int position = m_s.m_menu.opponent;
                                 if (!boardShown && position >= 1 && position <= 6) {
                                     m_s.announcer.Clear();
                                     m_s.announcer.PlaySound("menu" + std::to_string(position));
                                 }
                             });
    }

    void openList(const std::string& caption, const std::vector<std::string>& items,
                  const std::string& word, std::function<void(int)> chosen) {
        auto open = std::make_shared<List>(&m_s.announcer, word, items);
        m_list = open;
        shown("gamefiles", caption,
              "dialog [" + caption + "] " + Joined(items, " | ") + " / 1:Да 2:Нет");
        open->model.announce();
        // The first item follows the phrase rather than cutting it short.
        m_s.clock.resumeAfter(SlotList::kActivatePause, [open] {
            if (open->model.result() == 0) {
                open->model.selectFirst();
            }
        });
        m_s.clock.resumeWhen(
            [open] { return open->model.result() != 0; },
            [this, open, caption, chosen = std::move(chosen)] {
                const int answer = open->model.result() == 1 ? open->model.row() + 1 : 0;
                open->model.detach();
                m_list.reset();
                answered("gamefiles", caption, answer > 0 ? 1 : 2,
                         answer > 0 ? Trimmed(open->model.items()[answer - 1]) : "");
                chosen(answer);
            });
    }

    void key(const std::string& name) {
        const PressedKey key = ParseKey(name);
        if (m_message) {
            Message& open = *m_message;
            const DialogKeyResult result =
                open.buttons.key(ToDialogKey(key.name), key.shift, key.ctrlOrAlt, open.focused);
            if (result.press != 0) {
                open.result = result.press;
            } else if (result.focus > 0 && result.focus != open.focused) {
                open.buttons.focusOut(open.focused);
                open.focused = result.focus;
                open.buttons.focusIn(open.focused);
            }
        } else if (m_list) {
            List& open = *m_list;
            const DialogKeyResult result =
                open.model.key(ToDialogKey(key.name), key.shift, key.ctrlOrAlt, open.focused);
            if (result.press == 0 && result.focus >= 0 && result.focus != open.focused) {
                open.focused = result.focus;
                open.model.focusIn(open.focused);
            }
        } else if (m_help) {
            if (!key.shift && !key.ctrlOrAlt && (key.name == "Escape" || key.name == "Enter")) {
                closeHelp();
            }
        } else if (boardShown && !key.shift && !key.ctrlOrAlt) {
            if (const auto command = m_paused ? PanelCommand(key.name) : BoardCommand(key.name)) {
                m_s.game().command(*command);
            }
        }
    }

    void close() {
        if (m_message) {
            m_message->result = m_message->buttons.closeAnswer();
        } else if (m_list) {
            m_list->model.setResult(2);
        } else if (m_help) {
            closeHelp();
        }
    }

  private:
    struct Message {
        MessageButtons buttons;
        int focused = 0;
        EffectBuffer beep;
        int result = 0;
    };
    struct List {
        List(Announcer* announcer, std::string word, std::vector<std::string> items)
            : model(announcer, std::move(word), std::move(items)) {}
        SlotList model;
        int focused = 0;  // the list
    };

    void shown(const std::string& kind, const std::string& caption, const std::string& line) {
        m_s.device.write(line);
        if (m_s.onDialog) {
            m_s.onDialog({kind, caption, 0});
        }
        if (!m_s.answerKey.empty() && kind != "help") {
            m_s.press(m_s.now() + 500, m_s.answerKey);
        }
    }

    void answered(const std::string& kind, const std::string& caption, int answer,
                  const std::string& text) {
        m_s.device.write("answer " + std::to_string(answer) + (text.empty() ? "" : " " + text));
        if (m_s.onDialog) {
            m_s.onDialog({kind, caption, answer});
        }
    }

    void closeHelp() {
        auto answer = std::move(m_help);
        m_help = nullptr;
        answered("help", "Помощь!", 1, "");
        answer(true);
    }

    GameSession& m_s;
    bool m_paused = false;
    std::shared_ptr<Message> m_message;
    std::shared_ptr<List> m_list;
    std::function<void(bool)> m_help;
};

GameSession::GameSession(std::uint32_t seed)
    : KeyHand(seed),
      settings(folder / "Korvel.ini"),
      announcer(clock, settings, device),
      m_view(std::make_unique<View>(*this)),
      m_game(std::make_unique<Game>(clock, settings, random, folders, *m_view)) {
    if (!settings.exists()) {
        settings.CreateIni();
    }
}

GameSession::~GameSession() {
    m_game.reset();
    CloseSoundDevice();
}

void GameSession::setIni(const std::string& section, const std::string& key,
                         const std::string& value) {
    settings.SetIni(section, key, value);
}

bool GameSession::startUp() {
    if (!OpenSoundDevice(device)) {
        return false;
    }
    announcer.Init(20);
    announcer.setPhraseFolder((folders.data / "Speaks").string());
    game().attach(announcer);
    m_menu = LoadStoredChoices(settings, game());
    return true;
}

void GameSession::startGame(const MenuChoices& choice) {
    m_menu = choice;
    m_view->boardShown = true;
    BeginChosenGame(settings, game(), choice);
}

void GameSession::loadGame() {
    auto files = std::make_shared<std::vector<SlotFile>>(GamesToLoad(folders.user, announcer));
    if (files->empty()) {
        return;
    }
    std::vector<std::string> items;
    const std::vector<const SlotFile*> offered = LoadChoices(*files, items);
    m_view->openList("Загрузить игру", items, "loading", [this, files, offered](int i) {
        if (i == 0) {
            announcer.Clear();
            m_view->showMenu();
            return;
        }
        m_view->boardShown = true;
        PlaySavedGame(settings, game(), offered[static_cast<std::size_t>(i - 1)]->record);
    });
}

bool GameSession::boardShown() const {
    return m_view->boardShown;
}

void GameSession::sendKey(const std::string& key) {
    if (key == "Close") {
        device.write("the window manager closes the dialog");
        return closeDialog();
    }
    device.write("key " + key);
    m_view->key(key);
}

void GameSession::closeDialog() {
    m_view->close();
}

std::vector<std::string> PlayGameFlow(const std::string& flow) {
    const FlowScript script = ParseFlow(flow);
    GameSession s;
    std::filesystem::create_directories(s.folder / "Games");
    s.layOut(script);
    s.startUp();
    s.play(script, s.game());
    for (const char* kind : {"begin", "load"}) {
        if (const auto at = script.option.find(kind); at != script.option.end()) {
            s.clock.singleShot(std::stoi(at->second), [&s, load = kind[0] == 'l'] {
                s.announcer.Clear();
                load ? s.loadGame() : s.startGame({1, 1, 0, 1});
            });
        }
    }
    script.option.count("loadlist") ? s.loadGame() : s.startGame(script.choice);
    s.runUntil(script.until);
    std::vector<std::string> lines =
        s.transcript(s.boardShown(), s.game(), s.settings, s.announcer);
    if (script.option.count("games")) {
        ListGames(s.folder / "Games", lines);
    }
    return lines;
}

}  // namespace korvel::testing
