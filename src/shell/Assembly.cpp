#include "Assembly.h"

#include <QGuiApplication>

#include "HelpWindow.h"
#include "SoundEffects.h"
#include "Startup.h"

namespace korvel {

Assembly::Assembly(const Services& services)
    : m_services(services),
      m_settings(SettingsPath(services.programFolder)),
      m_dialogs(services.clock, services.programFolder),
      m_speech(services.speech, m_settings),
      m_mm(std::make_unique<MusicList>(services.clock, m_settings, services.device)),
      m_window(std::make_unique<MainWindow>()) {
    m_rever = new ReverControl(services.clock, m_settings, services.random, m_dialogs,
                               services.programFolder, m_window.get());
    m_rever->setGeometry(0, 0, MainWindow::kInnerWidth, MainWindow::kInnerHeight);
    m_rever->hide();
    m_rever->onBackToMenu = [this] { BackToMenu(); };
    m_rever->onHelp = [this](const QString& text, const QString& title) {
        return AddHelp(m_dialogs, m_speech, text, title);
    };
    m_window->setCloseHandler([this] { Shutdown(); });
}

Assembly::~Assembly() {
    Shutdown();
}

void Assembly::StartUp() {
    // The sound device falls back to a silent output when there is no sound
    // card, so the game can still be played.
    OpenSoundDevice(m_services.device);
    EnsureSettingsFile(m_settings);
    m_mm->Init(20);
    m_mm->FoldMus((m_services.programFolder / "Speaks").string());
    m_rever->Init(*m_mm);
    const std::int16_t interval = m_settings.GetNumber("Game", "interval");
    m_rever->setRevPause(static_cast<std::int16_t>(std::clamp<int>(interval, 0, 1000)));
    m_rever->setYesMusic(m_settings.GetNumber("Music", "music") != 0);
    m_started = true;
}

void Assembly::StartGame(const GameChoiceValues& choice) {
    ReverControl& rever = *m_rever;
    rever.setTur(1);
    rever.setTip(choice.tip);
    rever.setTimes(static_cast<std::int16_t>(choice.minutes * 60));
    rever.Gamer(m_settings.GetIni("Game", "gamer1"), 1);
    rever.Gamer(m_settings.GetIni("Game", "gamer2"), 2);
    rever.setGame(choice.menu);
    rever.Donull();
    if (choice.menu == 2) {
        rever.setLevel(choice.level);
    }
    m_settings.SetNumber("Menu", "level", choice.level);
    m_settings.SetNumber("Menu", "position", choice.menu);
    m_settings.SetNumber("Menu", "time", choice.minutes);
    m_settings.SetNumber("Menu", "type", choice.tip);
    rever.show();
    m_window->activateWindow();
    rever.focusBoard();
    rever.Start();
}

void Assembly::BackToMenu() {
    m_settings.SetNumber("Music", "music", m_rever->YesMusic() ? -1 : 0);
    m_rever->hide();
    if (onMenuShown) {
        onMenuShown();
    }
}

void Assembly::Shutdown() {
    if (m_shutDown || !m_started) {
        return;
    }
    m_shutDown = true;
    m_mm->PlaySound("chao");
    m_services.clock.sleep(400);
    if (QGuiApplication::overrideCursor() != nullptr) {
        QGuiApplication::restoreOverrideCursor();
    }
    m_mm->Clear();
    m_mm->StopSound();
    m_mm->StopMusic();
    m_rever->UnInit();
    CloseSoundDevice();
}

GameChoiceValues StoredGameChoice(const Settings& settings) {
    auto stored = [&](const char* key, int low, int high, int otherwise) {
        const int value = settings.GetNumber("Menu", key);
        return static_cast<std::int16_t>(value >= low && value <= high ? value : otherwise);
    };
    GameChoiceValues choice;
    choice.menu = stored("position", 1, 2, 1);
    choice.tip = stored("type", 1, 4, 1);
    choice.level = stored("level", 1, 4, 1);
    choice.minutes = choice.tip % 2 == 0 ? stored("time", 1, 10, 1) : 0;
    return choice;
}

}  // namespace korvel
