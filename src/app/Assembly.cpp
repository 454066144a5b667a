#include "app/Assembly.h"

#include <QGuiApplication>
#include <algorithm>
#include <memory>

#include "app/Startup.h"
#include "records/StartPosition.h"
#include "ui/HelpWindow.h"
#include "ui/MessageDialog.h"
#include "voice/SoundEffects.h"

namespace korvel {
namespace {

// How long the speech service has to answer before a refusal is shown unsaid.
constexpr int kSpeechConnectMs = 5000;
// How often the farewell looks whether it has been heard.
constexpr int kFarewellLookMs = 20;
// How long the way out waits at least for the router to give the port back
// (a home router answers in milliseconds; a lease ends it otherwise).
constexpr int kLeastRemovalMs = 500;

}  // namespace

Assembly::Assembly(const Services& services)
    : m_services(services),
      m_settings(SettingsPath(services.folders.user)),
      m_access(AccessPolicy::OrdinaryTreeWanted(m_settings)),
      m_dialogs(services.clock, services.folders),
      m_speech(services.speech, m_settings),
      m_announcer(std::make_unique<Announcer>(services.clock, m_settings, services.device)),
      m_window(std::make_unique<MainWindow>()) {
    m_board = new BoardControl(services.clock, m_settings, services.random, m_dialogs,
                               services.folders, m_window.get());
    m_board->setGeometry(0, 0, MainWindow::kInnerWidth, MainWindow::kInnerHeight);
    m_board->hide();
    m_board->onBackToMenu = [this] { BackToMenu(); };
    m_board->onHelp = [this](const QString& title, std::function<void()> closed) {
        OpenHelp(m_dialogs, m_speech, RulesToRead(), title, std::move(closed));
    };
    m_menu = new MenuControl(services.clock, services.folders.data, m_window.get());
    m_menu->move((MainWindow::kInnerWidth - m_menu->width()) / 2,
                 (MainWindow::kInnerHeight - m_menu->height()) / 2);
    m_menu->hide();
    m_menu->onChoice = [this](int choice) { GameChoice(choice); };
    m_network = std::make_unique<NetworkGame>(services.clock, m_settings, *m_announcer,
                                              services.random, game(), NetworkHooks());
    m_network->portMapper = services.ports;
    m_window->setCloseHandler([this] { Shutdown(); });
    m_dialogs.setMainWindow(m_window.get());
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
    m_announcer->Init(20);
    m_announcer->setPhraseFolder((m_services.folders.data / "Speaks").string());
    if (!VoiceFound()) {
        SayWhyAndStop(
            "Не найдены записи голоса игры. Переустановите игру. Программа будет закрыта.",
            QStringLiteral("Не найдены записи голоса игры в папке:\r\n%1\r\n"
                           "Переустановите игру. Программа будет закрыта.")
                .arg(QString::fromStdString(m_announcer->Folder())));
        return false;
    }
    game().attach(*m_announcer);
    m_menu->Init(*m_announcer);
    LoadIni(m_settings, *m_menu, game());
    m_started = true;
    return true;
}

// Without the recorded voice, or without any sound output, the game is a
// silent window: the speech synthesizer says why, the message shows it.
void Assembly::SayWhyAndStop(const std::string& spoken, const QString& shown) {
    m_speech.Bind();
    Clock& clock = m_services.clock;
    auto waits = std::make_shared<std::pair<Clock::TimerId, Clock::TimerId>>();
    auto tell = [this, &clock, waits, spoken, shown] {
        clock.stopTimer(waits->first);
        clock.stopTimer(waits->second);
        if (m_speech.FindRussianEngine() != 0) {
            m_speech.SpeakVoice(spoken);
        }
        OpenMessage(m_dialogs, shown, QStringLiteral("Error"), 1, nullptr, [this](int) {
            m_speech.Unbind();
            CloseSoundDevice();
            if (onStartRefused) {
                onStartRefused();
            }
        });
    };
    waits->first = clock.resumeWhen([this] { return !m_speech.connecting(); }, tell);
    waits->second = clock.resumeAfter(kSpeechConnectMs, tell);
}

bool Assembly::VoiceFound() {
    for (int item = 0; item <= 6; ++item) {
        const AudioDevice::Handle phrase = m_services.device.openPlayer(
            m_announcer->Folder() + "menu" + std::to_string(item) + m_announcer->extension());
        if (phrase != 0) {
            m_services.device.releasePlayer(phrase);
            return true;
        }
    }
    return false;
}

void Assembly::GameChoice(int choice) {
    if (choice == 3 || choice == 4) {
        m_network->stop();  // another game: no network game is awaited any more
    }
    if (choice == 3) {
        LoadGame();
        return;
    }
    if (choice == 5) {
        m_window->close();
        return;
    }
    if (choice >= 6 && choice <= 8) {
        NetworkChoice(choice);
        return;
    }
    if (choice != 4) {
        return;
    }
    ShowMenu(false);
    m_board->show();
    m_window->activateWindow();
    m_board->focusBoard();
    BeginChosenGame(m_settings, game(), m_menu->choices);
}

// Hosting (6) plays the chosen type from start.txt's position, when there is
// one; joining (7) uses the typed address and code; 8 stops the host's wait.
void Assembly::NetworkChoice(int choice) {
    const MenuControl& menu = *m_menu;
    if (choice == 6) {
        m_network->host(GameSetup{menu.choices.gameType, 3, 1, menu.choices.minutes * 60},
                        StartFileIn(m_services.folders.user));
    } else if (choice == 7) {
        m_network->join(menu.hostAddress().toStdString(), menu.joinCode().toStdString());
    } else {
        m_network->stop();
    }
}

NetworkGame::Hooks Assembly::NetworkHooks() {
    NetworkGame::Hooks hooks;
    hooks.showWaiting = [this](const std::string& text) {
        m_menu->showWaiting(QString::fromStdString(text));
    };
    hooks.showBoard = [this] {
        // A notice about an earlier caller ends as the game begins: the board
        // takes the keyboard, never a window under a box.
        m_dialogs.closeMessage();
        m_menu->endWaiting();
        ShowMenu(false);
        m_board->show();
        m_window->activateWindow();
        m_board->focusBoard();
    };
    hooks.tell = [this](const std::string& phrase, const std::string& text) {
        Notify(m_dialogs, *m_announcer, phrase, QString::fromStdString(text),
               QStringLiteral("Игра по сети"), 33);
    };
    hooks.backToPage = [this] { m_menu->endWaiting(); };
    // The host's notice, or the code field of the join.
    hooks.awaited = [this] { return m_menu->isVisible() && m_menu->page() >= 6; };
    return hooks;
}

void Assembly::BackToMenu() {
    m_network->stop();
    m_board->hide();
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
        // A start refused for want of sound leaves no device behind for the next one.
        if (SoundDevice() == &m_services.device) {
            CloseSoundDevice();
        }
        if (onShutDown) {
            onShutDown();
        }
        return;
    }
    // A port forwarded by the router is given back while the farewell is heard.
    m_network->stop();
    m_announcer->Clear();
    m_announcer->PlaySound("chao");
    // The whole farewell is heard before the device closes. Nothing else may
    // run meanwhile: the way out pauses, boundedly, without an event loop.
    Clock& clock = m_services.clock;
    const std::int64_t end = clock.tickCount() + farewellMs;
    for (std::int64_t left = farewellMs; left > 0 && m_announcer->SoundPlaying();
         left = end - clock.tickCount()) {
        clock.sleep(static_cast<int>(std::min<std::int64_t>(left, kFarewellLookMs)));
    }
    if (m_services.ports != nullptr) {
        m_services.ports->finishRemoval(std::max(farewellMs, kLeastRemovalMs));
    }
    if (QGuiApplication::overrideCursor() != nullptr) {
        QGuiApplication::restoreOverrideCursor();
    }
    m_announcer->StopSound();
    m_announcer->StopMusic();
    game().detach();
    m_menu->UnInit();
    CloseSoundDevice();
    if (onShutDown) {
        onShutDown();
    }
}

void LoadIni(const Settings& settings, MenuControl& menu, Game& game) {
    menu.choices = LoadStoredChoices(settings, game);
    // A missing key reads as "0", which is no host to join.
    const std::string host = settings.GetIni("Net", "host");
    menu.setHostAddress(host == "0" ? QString() : QString::fromStdString(host));
}

}  // namespace korvel
