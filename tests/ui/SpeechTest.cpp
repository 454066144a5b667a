// The speech layer and the help window's reading against the recording engine
// (data/speech_cases.txt, kept as the golden data/speech.txt), and one check
// of the real speech service where there is one.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QKeySequence>
#include <QThread>
#include <sstream>

#include "Session.h"
#include "core/IniFile.h"
#include "platform/QtSpeechEngine.h"
#include "ui/DialogHost.h"
#include "ui/HelpWindow.h"
#include "voice/SpeechLayer.h"

namespace korvel::testing {
namespace {

std::string Unescaped(std::string text) {
    for (const auto& [from, to] : {std::pair{"\\r", "\r"}, std::pair{"\\n", "\n"}}) {
        for (std::size_t at; (at = text.find(from)) != std::string::npos;) {
            text.replace(at, 2, to);
        }
    }
    return text;
}

// Each case: "name | stored speed and pitch, or - | voices: all or english |
// the help text | keys": "line" speaks the text's first line with SpeakLine,
// otherwise the help window is opened and the keys pressed in it.
TEST(Speech, ReadsAsRecorded) {
    StartQt();
    std::vector<std::string> out;
    for (const std::string& line : DataLines("speech_cases.txt")) {
        std::vector<std::string> field;
        for (std::istringstream in(line);
             field.size() < 5 && std::getline(in, field.emplace_back(), '|');) {
        }
        TempFolder folder;
        VirtualClock clock;
        Settings settings(folder / "Korvel.ini");
        FakeSpeech speech;
        SpeechLayer layer(speech, settings);
        DialogHost host(clock, folder.path());
        std::istringstream stored(field.at(1)), keys(field.at(4));
        if (std::string speed, pitch; stored >> speed >> pitch) {
            settings.SetIni("Dictor", "speed", speed);
            settings.SetIni("Dictor", "pitch", pitch);
        }
        if (field.at(2).find("english") != std::string::npos) {
            speech.voiceList = {{"English", "en"}};
        }
        const std::string text = Unescaped(field.at(3).substr(1, field.at(3).size() - 2));
        HelpWindow form(layer);
        form.setWindowTitle("Помощь!");
        form.setHelpText(QString::fromStdString(text));
        form.Load(host);
        if (field.at(4) == " line") {
            speech.log.clear();
            layer.SpeakLine(text);
        } else {
            form.Activated();
            for (std::string key; keys >> key;) {
                const QKeyCombination k = QKeySequence(QString::fromStdString(key))[0];
                form.Lhelp_KeyDown(k.key(), k.keyboardModifiers());
            }
        }
        out.push_back(line);
        out.insert(out.end(), speech.log.begin(), speech.log.end());
        out.push_back("  speed " + std::to_string(layer.current().speed) + ", stored " +
                      settings.GetIni("Dictor", "speed") + " " +
                      settings.GetIni("Dictor", "pitch") + (settings.exists() ? "" : " (no file)") +
                      "; engine " + std::to_string(speech.speed) + " " +
                      std::to_string(speech.pitch) + ", Qt " +
                      std::to_string(QtSpeechEngine::QtRate(speech.speed)) + " " +
                      std::to_string(QtSpeechEngine::QtPitch(speech.pitch)));
    }
    ExpectGolden(out, "speech");
}

// The real service, where there is one: its voice list gives a Russian voice
// to the layer.
TEST(RealSpeechService, ListsARussianVoice) {
    QElapsedTimer timer;
    timer.start();
    QtSpeechEngine engine;
    while (engine.connecting() && timer.elapsed() < 20000) {
        QCoreApplication::processEvents();
        QThread::msleep(20);
    }
    if (engine.voices().empty()) {
        GTEST_SKIP() << "no speech-dispatcher with voices could be reached";
    }
    TempFolder folder;
    Settings settings(folder / "Korvel.ini");
    SpeechLayer layer(engine, settings);
    layer.Bind();
    const std::int16_t n = layer.FindRussianEngine();
    ASSERT_NE(n, 0) << "the service lists no Russian voice";
    EXPECT_TRUE(IsRussianLocale(engine.voices()[n - 1].locale));
    layer.Unbind();
}

}  // namespace
}  // namespace korvel::testing
