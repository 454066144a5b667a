#include "game/SoundSwitches.h"

#include "voice/Announcer.h"

namespace korvel {

void SoundSwitches::music(Announcer& announcer, const char* name) const {
    if (m_musicOn) {
        announcer.PlayMusic((m_programFolder / "Musics" / name).string());
    }
}

void SoundSwitches::stopMusic(Announcer& announcer) const {
    if (m_musicOn) {
        announcer.StopMusic();
    }
}

void SoundSwitches::toggleAnnouncer(Announcer& announcer) {
    announcer.Clear();
    if (announcer.muted() == 1) {
        announcer.setMuted(0);
        announcer.AddFile("dictor");
        announcer.AddFile("check");
    } else {
        announcer.AddFile("dictor");
        announcer.AddFile("uncheck");
        announcer.setMuted(1);
    }
}

void SoundSwitches::toggleMusic(Announcer& announcer) {
    m_musicOn = !m_musicOn;
    if (m_musicOn) {
        music(announcer, "remembr.mid");
    } else {
        announcer.StopMusic();
    }
}

void SoundSwitches::stepRate(Announcer& announcer, int direction) {
    announcer.Clear();
    announcer.setRate(announcer.Rate() + direction * Announcer::kRateStep);
    announcer.AddFile("rate");
    announcer.Number(announcer.Rate());
    announcer.AddFile("percent");
}

void SoundSwitches::stepMusicVolume(Announcer& announcer, int direction) {
    announcer.Clear();
    announcer.setMusicVolume(announcer.MusicVolume() + direction * Announcer::kVolumeStep);
    const int db = announcer.MusicVolume();
    announcer.AddFile("musvol");
    if (db == 0) {
        announcer.AddFile("global");  // "полная"
    } else if (db == Announcer::kVolumeSilent) {
        announcer.AddFile("silent");
    } else {
        announcer.AddFile("minus");
        announcer.Number(-db);
        announcer.AddFile("decibel");
    }
}

}  // namespace korvel
