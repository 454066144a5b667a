// The speech layer and the help window's reading against the recording engine
// (data/speech_cases.txt, kept as the golden data/speech.txt), the engine's
// calls to its service (data/speech_reconnect.txt, speech_never_answers.txt),
// and one check of the real speech service where there is one.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QKeySequence>
#include <QThread>
#include <future>
#include <sstream>

#include "Session.h"
#include "core/IniFile.h"
#include "platform/QtSpeechEngine.h"
#include "ui/DialogHost.h"
#include "ui/HelpWindow.h"
#include "voice/SpeechLayer.h"

namespace korvel::testing {
namespace {

// Each case: "name | stored speed and pitch, or - | voices: all or english |
// the help text | keys": "line" speaks the text's first line with SpeakLine,
// otherwise the help window is opened and the keys pressed in it.
TEST(Speech, ReadsAsRecorded) {
    StartQt();
    std::vector<std::string> out;
    for (const std::string& line : DataLines("speech_cases.txt")) {
        const std::vector<std::string> field = Split(line, '|');
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
        const std::string text = Unescape(field.at(3).substr(1, field.at(3).size() - 2));
        HelpWindow form(layer);
        form.setWindowTitle("Помощь!");
        form.setHelpText(QString::fromStdString(text));
        layer.Bind();
        form.chooseVoice();
        if (field.at(4) == " line") {
            speech.log.clear();
            layer.SpeakLine(text);
        } else {
            form.Activated();
            for (std::string key; keys >> key;) {
                const QKeyCombination k = QKeySequence(QString::fromStdString(key))[0];
                form.readingKey(k.key(), k.keyboardModifiers());
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

// A connection that logs its calls as "<n> <call>" and fails, as a killed
// service does, once it has said `lastWords`.
struct ScriptedService : SpeechService {
    ScriptedService(int n, std::function<void(const std::string&)> add, std::string lastWords)
        : log([n, add](const std::string& s) { add(std::to_string(n) + " " + s); }),
          lastWords(std::move(lastWords)) {}
    ~ScriptedService() override { log("closed"); }
    State state() const override { return failed ? State::Failed : State::Ready; }
    std::vector<SpeechVoice> voices() override {
        return log("voices"), std::vector<SpeechVoice>{{"English", "en"}, {"Anna", "ru_RU"}};
    }
    void select(int index) override { log("select " + std::to_string(index)); }
    void setRate(double rate) override { log("rate " + std::to_string(rate)); }
    void setPitch(double pitch) override { log("pitch " + std::to_string(pitch)); }
    void say(const std::string& text) override { log("say " + text), failed = text == lastWords; }
    void stop() override { log("stop"); }
    std::function<void(const std::string&)> log;
    std::string lastWords;
    bool failed = false;
};

// The service dies in the middle of the help window's reading: the dead
// connection is never called again, and the next utterance gets a new one
// with the voice, speed and pitch chosen before.
TEST(QtSpeechEngine, ConnectsAnewAfterTheServiceDied) {
    StartQt();
    std::vector<std::string> log;  // written on the speech thread, read after it ended
    const auto add = [&log](const std::string& line) { log.push_back(line); };
    {
        QtSpeechEngine engine(
            [&, made = 0]() mutable {
                add(std::to_string(++made) + " connect");
                return std::make_unique<ScriptedService>(made, add, made == 1 ? "два" : "");
            },
            20000);
        for (int i = 0; i < 20000 && engine.connecting(); ++i) {
            QThread::msleep(1);
        }
        engine.select(1);
        engine.setSpeed(150);
        engine.setPitch(0);
        engine.say("один");
        engine.say("два");
        engine.setSpeed(250);
        engine.stop();
        engine.say("три");
    }
    ExpectGolden(log, "speech_reconnect");
}

// A service that never answers holds up neither the calls nor the engine's
// end; when it answers at last, the calls left queued run without the engine.
TEST(QtSpeechEngine, ServiceThatNeverAnswersHoldsNothingUp) {
    StartQt();
    std::vector<std::string> log;
    std::promise<void> answer, closed;
    const auto add = [&](const std::string& line) {
        log.push_back(line);
        if (line == "1 closed") {
            closed.set_value();
        }
    };
    {
        QtSpeechEngine engine(
            [&add, later = answer.get_future().share()] {
                later.wait();
                return std::make_unique<ScriptedService>(1, add, "");
            },
            50);
        engine.revive();
        engine.setSpeed(50);
        engine.say("один");
        EXPECT_TRUE(engine.connecting() && engine.voices().empty());
    }
    answer.set_value();
    ASSERT_EQ(closed.get_future().wait_for(std::chrono::seconds(20)), std::future_status::ready);
    ExpectGolden(log, "speech_never_answers");
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
