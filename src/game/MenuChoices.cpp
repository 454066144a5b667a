#include "game/MenuChoices.h"

#include <algorithm>

#include "core/IniFile.h"
#include "game/Game.h"
#include "voice/Announcer.h"

namespace korvel {
namespace {

void TakeNames(const Settings& settings, Game& game) {
    game.setPlayerPhrase(1, settings.GetIni("Game", "gamer1"));
    game.setPlayerPhrase(2, settings.GetIni("Game", "gamer2"));
}

}  // namespace

MenuChoices LoadStoredChoices(const Settings& settings, Game& game) {
    auto stored = [&](const char* key, int high) {
        const int value = settings.GetNumber("Menu", key);
        return static_cast<std::int16_t>(value >= 1 && value <= high ? value : 0);
    };
    const int interval = settings.GetNumber("Game", "interval");
    game.setTurnPause(std::clamp(interval, 0, 1000));
    game.setMusicOn(settings.GetNumber("Music", "music") != 0);
    return {stored("position", 2), stored("type", 4), stored("time", 10), stored("level", 4)};
}

void BeginChosenGame(Settings& settings, Game& game, const MenuChoices& choices) {
    TakeNames(settings, game);
    settings.SetNumber("Menu", "level", choices.level);
    settings.SetNumber("Menu", "position", choices.opponent);
    settings.SetNumber("Menu", "time", choices.minutes);
    settings.SetNumber("Menu", "type", choices.gameType);
    game.begin(GameSetup{choices.gameType, choices.opponent, choices.level, choices.minutes * 60});
}

std::vector<SlotFile> GamesToLoad(const std::filesystem::path& userFolder, Announcer& announcer) {
    std::vector<SlotFile> files = ListSlots(userFolder);
    announcer.StopSound();
    if (std::none_of(files.begin(), files.end(), [](const SlotFile& f) { return f.valid(); })) {
        announcer.AddFile("noload");
        files.clear();
    }
    return files;
}

void PlaySavedGame(const Settings& settings, Game& game, const std::string& record) {
    TakeNames(settings, game);
    if (Announcer* announcer = game.announcer()) {
        announcer->Clear();
        announcer->StopSound();
    }
    game.load(record);
}

}  // namespace korvel
