#pragma once

#include <array>
#include <string>

namespace korvel {

class GameView;
class Settings;

// The two players as they are heard and shown: each one's phrase (a colour,
// "computer", a level, or a recording of the player's own) and shown name.
// Every change of a name is shown at once.
class Players {
  public:
    explicit Players(GameView& view) : m_view(view) {}

    const std::string& phrase(int player) const { return m_phrase[player - 1]; }
    const std::string& name(int player) const { return m_name[player - 1]; }
    const std::array<std::string, 2>& phrases() const { return m_phrase; }
    const std::array<std::string, 2>& names() const { return m_name; }

    // The colours' phrases are shown by their Russian names; a phrase of the
    // player's own recording is shown as it is named.
    void setPhrase(int player, const std::string& phrase);
    // A person (the settings' phrase and name) against the computer.
    void againstComputer(const Settings& settings);
    // The computer plays at `level` 1..4, heard and shown as that level.
    void setLevel(int level);

  private:
    void setName(int player, const std::string& name);

    GameView& m_view;
    std::array<std::string, 2> m_phrase{"white", "black"};
    std::array<std::string, 2> m_name{"БЕЛЫЙ", "ЧЁРНЫЙ"};
};

}  // namespace korvel
