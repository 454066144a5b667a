#include "game/Players.h"

#include "core/IniFile.h"
#include "game/GameView.h"

namespace korvel {

void Players::setPhrase(int player, const std::string& phrase) {
    m_phrase[player - 1] = phrase;
    setName(player, phrase == "white" ? "БЕЛЫЕ" : phrase == "black" ? "ЧЁРНЫЕ" : phrase);
}

void Players::againstComputer(const Settings& settings) {
    setPhrase(1, settings.GetIni("Game", "player_sound"));
    setName(1, settings.GetIni("Game", "player_name"));
    m_phrase[1] = "computer";
    setName(2, "Комп");
}

void Players::setLevel(int level) {
    static const char* const kNames[] = {"НОВИЧЁК", "БЫВАЛЫЙ", "ОПЫТНЫЙ", "МАСТЕР"};
    m_phrase[1] = "level" + std::to_string(level);
    if (level >= 1 && level <= 4) {
        setName(2, kNames[level - 1]);
    }
}

void Players::setName(int player, const std::string& name) {
    m_name[player - 1] = name;
    m_view.nameShown(player, name);
}

}  // namespace korvel
