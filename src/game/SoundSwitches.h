#pragma once

#include <filesystem>

namespace korvel {

class Announcer;

// The board's switches of sound: the announcer on and off, the music on and
// off, the announcer's speed and the music's level. Each says its new state.
// Music plays only while it is switched on; the pieces come from the program
// folder's Musics folder.
class SoundSwitches {
  public:
    explicit SoundSwitches(std::filesystem::path programFolder)
        : m_programFolder(std::move(programFolder)) {}

    bool musicOn() const { return m_musicOn; }
    void setMusicOn(bool on) { m_musicOn = on; }
    // Starts the piece (a file name in Musics) when the music is on.
    void music(Announcer& announcer, const char* name) const;
    // Stops the music when it is on.
    void stopMusic(Announcer& announcer) const;

    void toggleAnnouncer(Announcer& announcer);
    void toggleMusic(Announcer& announcer);
    void stepRate(Announcer& announcer, int direction);
    void stepMusicVolume(Announcer& announcer, int direction);

  private:
    std::filesystem::path m_programFolder;
    bool m_musicOn = false;
};

}  // namespace korvel
