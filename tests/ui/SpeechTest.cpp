// The speech layer and the help window's reading against the recording
// engine, and one check of the real speech service where there is one.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include "DialogHost.h"
#include "FakeSpeech.h"
#include "HelpWindow.h"
#include "IniFile.h"
#include "QtSpeechEngine.h"
#include "SpeechLayer.h"
#include "TempFolder.h"
#include "VirtualClock.h"

namespace korvel {
namespace {

using testing::FakeSpeech;
using Lines = std::vector<std::string>;

struct Reading {
    const char* name;
    const char* text;
    Lines keys;  // "line": SpeakLine of the text; otherwise the help window's keys
    Lines said;
    bool russianVoice = true;
};

void PrintTo(const Reading& reading, std::ostream* out) {
    *out << reading.name;
}

class SpeechFixture {
  protected:
    SpeechFixture()
        : settings(folder / "Korvel.ini"), layer(speech, settings), host(clock, folder.path()) {}
    void pressKey(HelpWindow& form, const std::string& key) {
        const bool ctrl = key.rfind("Ctrl+", 0) == 0;
        const std::string name = ctrl ? key.substr(5) : key;
        const int code = name == "Down"  ? Qt::Key_Down
                         : name == "Up"  ? Qt::Key_Up
                         : name == "End" ? Qt::Key_End
                         : name == "["   ? Qt::Key_BracketLeft
                                         : Qt::Key_BracketRight;
        form.Lhelp_KeyDown(code, ctrl ? Qt::ControlModifier : Qt::NoModifier);
    }

    testing::TempFolder folder;
    Settings settings;
    FakeSpeech speech;
    SpeechLayer layer;
    testing::VirtualClock clock;
    DialogHost host;
};

class SpeechLines : public ::testing::TestWithParam<Reading>, protected SpeechFixture {};

TEST_P(SpeechLines, AreSpokenAsRead) {
    const Reading& reading = GetParam();
    if (!reading.russianVoice) {
        speech.voiceList = {{"English", "en"}};
    }
    HelpWindow form(layer);
    form.setWindowTitle("Помощь!");
    form.setHelpText(QString::fromUtf8(reading.text));
    form.Load(host);
    if (reading.keys == Lines{"line"}) {
        speech.log.clear();
        layer.SpeakLine(reading.text);
    } else {
        form.Activated();
        for (const auto& key : reading.keys) {
            pressKey(form, key);
        }
    }
    EXPECT_EQ(speech.log, reading.said);
    EXPECT_EQ(settings.exists(), reading.russianVoice);
}

const std::string kVoice = "voice Anna speed=150 pitch=0";
const std::string kSpaces = "speak         ";

INSTANTIATE_TEST_SUITE_P(
    Speech, SpeechLines,
    ::testing::Values(
        Reading{"mail_address",
                "Пишите: Korvel.Game@Mail.RU\r\n",
                {"line"},
                {kVoice, kSpaces, "speak пишите: корвел.гаме собака маил.ру"}},
        Reading{"every_latin_letter",
                "ABCDEFGHIJKLMNOPQRSTUVWXYZ\r",
                {"line"},
                {kVoice, kSpaces, "speak абкдефгхиджклмнопкюрстуввъксайз"}},
        Reading{"unterminated_last_line", "Один\r\nДва", {"line"}, {kVoice, kSpaces, "speak один"}},
        Reading{"first_line_plain_then_transliterated",
                "Korvel - игра\r\nF1 - помощь,\r\n",
                {"Down", "Up"},
                {kVoice, "speak Помощь!", "speak Korvel - игра\\r", kSpaces, "speak ф1 - помощь,",
                 kSpaces, "speak корвел - игра"}},
        Reading{"empty_last_line",
                "Один\r\n\r\nТри\r\n",
                {"Down", "Ctrl+End"},
                {kVoice, "speak Помощь!", "speak Один\\r", kSpaces, "speak ", "speak Пусто.",
                 kSpaces, "speak Пусто."}},
        // Without a Russian voice the keys move silently and store nothing.
        Reading{"no_russian_voice", "A\r\n\r\n", {"Down", "]"}, {}, false}),
    [](const auto& info) { return std::string(info.param.name); });

struct Voice {
    const char* name;
    const char* speed;  // stored before; "" for none
    const char* pitch;
    const char* key;  // a speed key pressed in the help window, "" for none
    int inUse;        // the speed in use and stored afterwards
    int storedPitch;
    double qtRate, qtPitch;
};

void PrintTo(const Voice& voice, std::ostream* out) {
    *out << voice.name;
}

class VoiceSettings : public ::testing::TestWithParam<Voice>, protected SpeechFixture {};

TEST_P(VoiceSettings, KeepTheirLimits) {
    const Voice& v = GetParam();
    if (*v.speed != '\0') {
        settings.SetIni("Dictor", "speed", v.speed);
        settings.SetIni("Dictor", "pitch", v.pitch);
    }
    HelpWindow form(layer);
    form.setHelpText("Строка\r\n");
    form.Load(host);
    form.Activated();
    if (*v.key != '\0') {
        pressKey(form, v.key);
    }
    EXPECT_EQ(layer.current().speed, v.inUse);
    EXPECT_EQ(settings.GetNumber("Dictor", "speed"), v.inUse);
    EXPECT_EQ(settings.GetNumber("Dictor", "pitch"), v.storedPitch);
    EXPECT_EQ(speech.speed, v.inUse);
    EXPECT_DOUBLE_EQ(QtSpeechEngine::QtRate(speech.speed), v.qtRate);
    EXPECT_DOUBLE_EQ(QtSpeechEngine::QtPitch(speech.pitch), v.qtPitch);
}

INSTANTIATE_TEST_SUITE_P(
    Speech, VoiceSettings,
    ::testing::Values(Voice{"defaults_when_missing", "", "", "", 150, 0, 0.0, 0.0},
                      Voice{"zero_speed_counts_as_missing", "0", "40", "", 150, 0, 0.0, 0.0},
                      Voice{"stored_values_kept", "200", "-20", "", 200, -20, 0.5, -0.2},
                      Voice{"slower", "60", "0", "[", 55, 0, -0.95, 0.0},
                      Voice{"slowest", "55", "0", "[", 55, 0, -0.95, 0.0},
                      Voice{"faster", "240", "0", "]", 245, 0, 0.95, 0.0},
                      Voice{"fastest", "245", "0", "]", 245, 0, 0.95, 0.0},
                      Voice{"beyond_the_limit_clamped", "300", "150", "", 300, 150, 1.0, 1.0}),
    [](const auto& info) { return std::string(info.param.name); });

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
    testing::TempFolder folder;
    Settings settings(folder / "Korvel.ini");
    SpeechLayer layer(engine, settings);
    layer.Bind();
    const std::int16_t n = layer.FindRussianEngine();
    ASSERT_NE(n, 0) << "the service lists no Russian voice";
    EXPECT_TRUE(IsRussianLocale(engine.voices()[n - 1].locale));
    layer.Unbind();
}

}  // namespace
}  // namespace korvel
