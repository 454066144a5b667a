#include "Assembly.h"

#include <QGuiApplication>

#include "HelpWindow.h"
#include "MessageDialog.h"
#include "SoundEffects.h"
#include "Startup.h"

namespace korvel {

Assembly::Assembly(const Services& services)
    : m_services(services),
      m_settings(SettingsPath(services.folders.user)),
      m_dialogs(services.clock, services.folders),
      m_speech(services.speech, m_settings),
      m_mm(std::make_unique<MusicList>(services.clock, m_settings, services.device)),
      m_window(std::make_unique<MainWindow>()) {
    m_rever = new ReverControl(services.clock, m_settings, services.random, m_dialogs,
                               services.folders, m_window.get());
    m_rever->setGeometry(0, 0, MainWindow::kInnerWidth, MainWindow::kInnerHeight);
    m_rever->hide();
    m_rever->onBackToMenu = [this] { BackToMenu(); };
    m_rever->onHelp = [this](const QString& title) {
        return AddHelp(m_dialogs, m_speech, RulesToRead(), title);
    };
    m_menu = new MenuControl(services.clock, services.folders.data, m_window.get());
    m_menu->move((MainWindow::kInnerWidth - m_menu->width()) / 2,
                 (MainWindow::kInnerHeight - m_menu->height()) / 2);
    m_menu->hide();
    m_menu->onChoice = [this](int choice) { GameChoice(choice); };
    m_window->setCloseHandler([this] { Shutdown(); });
}

Assembly::~Assembly() {
    Shutdown(0);
}

bool Assembly::StartUp() {
    // The sound device falls back to a silent output when there is no sound
    // card, so the game can still be played; it fails only when even that fails.
    if (!OpenSoundDevice(m_services.device)) {
        const std::string error = m_services.device.openError();
        SayWhyAndStop("Не удаётся открыть звуковое устройство. Программа будет закрыта.",
                      QStringLiteral("Не удаётся открыть звуковое устройство:\r\n%1\r\n"
                                     "Программа будет закрыта.")
                          .arg(error.empty() ? QStringLiteral("нет ответа от SDL")
                                             : QString::fromStdString(error)));
        return false;
    }
    EnsureSettingsFile(m_settings);
    m_mm->Init(20);
    m_mm->FoldMus((m_services.folders.data / "Speaks").string());
    if (!VoiceFound()) {
        SayWhyAndStop(
            "Не найдены записи голоса игры. Переустановите игру. Программа будет закрыта.",
            QStringLiteral("Не найдены записи голоса игры в папке:\r\n%1\r\n"
                           "Переустановите игру. Программа будет закрыта.")
                .arg(QString::fromStdString(m_mm->Folder())));
        return false;
    }
    m_rever->Init(*m_mm);
    m_menu->Init(*m_mm);
    LoadIni(m_settings, *m_menu, *m_rever);
    m_started = true;
    return true;
}

// Without the recorded voice, or without any sound output, the game is a
// silent window: the speech synthesizer says why, the message shows it.
void Assembly::SayWhyAndStop(const std::string& spoken, const QString& shown) {
    m_speech.Bind();
    m_services.clock.waitUntil([this] { return !m_speech.connecting(); }, 5000);
    if (m_speech.FindRussianEngine() != 0) {
        m_speech.SpeakVoice(spoken);
    }
    ShowMessage(m_dialogs, shown, QStringLiteral("Error"), 1, nullptr);
    m_speech.Unbind();
    CloseSoundDevice();
}

bool Assembly::VoiceFound() {
    for (int item = 0; item <= 6; ++item) {
        const AudioDevice::Handle phrase = m_services.device.openPlayer(
            m_mm->Folder() + "menu" + std::to_string(item) + m_mm->Dilation());
        if (phrase != 0) {
            m_services.device.releasePlayer(phrase);
            return true;
        }
    }
    return false;
}

void Assembly::GameChoice(int choice) {
    if (choice == 3) {
        LoadGame();
        return;
    }
    if (choice == 5) {
        m_window->close();
        return;
    }
    if (choice != 4) {
        return;
    }
    const MenuControl& menu = *m_menu;
    ReverControl& rever = *m_rever;
    ShowMenu(false);
    rever.setTur(1);
    rever.setTip(menu.Tip);
    rever.setTimes(static_cast<std::int16_t>(menu.Times * 60));
    rever.Gamer(m_settings.GetIni("Game", "gamer1"), 1);
    rever.Gamer(m_settings.GetIni("Game", "gamer2"), 2);
    rever.setGame(menu.Menu);
    rever.Donull();
    if (menu.Menu == 2) {
        rever.setLevel(menu.Level);
    }
    m_settings.SetNumber("Menu", "level", menu.Level);
    m_settings.SetNumber("Menu", "position", menu.Menu);
    m_settings.SetNumber("Menu", "time", menu.Times);
    m_settings.SetNumber("Menu", "type", menu.Tip);
    rever.show();
    m_window->activateWindow();
    rever.focusBoard();
    rever.Start();
}

void Assembly::BackToMenu() {
    m_settings.SetNumber("Music", "music", m_rever->YesMusic() ? -1 : 0);
    m_rever->hide();
    ShowMenu(true);
}

void Assembly::ShowMenu(bool show) {
    if (!show) {
        m_menu->hide();
        return;
    }
    m_window->activateWindow();
    m_menu->ShowAndListen();
}

void Assembly::Shutdown(int farewellMs) {
    if (m_shutDown) {
        return;
    }
    m_shutDown = true;
    if (!m_started) {
        if (onShutDown) {
            onShutDown();
        }
        return;
    }
    m_mm->Clear();
    m_mm->PlaySound("chao");
    // The whole farewell is heard before the device closes.
    m_services.clock.waitUntil([this] { return !m_mm->SoundPlaying(); }, farewellMs);
    if (QGuiApplication::overrideCursor() != nullptr) {
        QGuiApplication::restoreOverrideCursor();
    }
    m_mm->StopSound();
    m_mm->StopMusic();
    m_rever->UnInit();
    m_menu->UnInit();
    CloseSoundDevice();
    if (onShutDown) {
        onShutDown();
    }
}

void LoadIni(const Settings& settings, MenuControl& menu, ReverControl& rever) {
    auto stored = [&](const char* key, int high) {
        const int value = settings.GetNumber("Menu", key);
        return static_cast<std::int16_t>(value >= 1 && value <= high ? value : 0);
    };
    menu.Level = stored("level", 4);
    menu.Menu = stored("position", 2);
    menu.Times = stored("time", 10);
    menu.Tip = stored("type", 4);
    const int interval = settings.GetNumber("Game", "interval");
    rever.setRevPause(static_cast<std::int16_t>(std::clamp(interval, 0, 1000)));
    rever.setYesMusic(settings.GetNumber("Music", "music") != 0);
}

}  // namespace korvel
