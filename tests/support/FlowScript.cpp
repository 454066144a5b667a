#include "FlowScript.h"

#include <algorithm>
#include <iterator>
#include <sstream>

#include "core/IniFile.h"
#include "game/Game.h"
#include "records/SavedGameRecord.h"
#include "voice/Announcer.h"

namespace korvel::testing {

std::string OneLine(std::string text) {
    for (std::size_t at; (at = text.find("\r\n")) != std::string::npos;) {
        text.replace(at, 2, " | ");
    }
    return text;
}

std::vector<std::string> MergeSides(const std::vector<std::string>& host,
                                    const std::vector<std::string>& guest) {
    std::vector<std::pair<std::string, std::string>> merged;
    for (const auto& [mark, lines] : {std::pair{"H", &host}, std::pair{"G", &guest}}) {
        for (const std::string& line : *lines) {
            if (line.find(" fx ") == std::string::npos) {
                merged.emplace_back(line.substr(0, 8), mark + line);
            }
        }
    }
    std::stable_sort(merged.begin(), merged.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::string> out;
    for (auto& [time, line] : merged) {
        out.push_back(std::move(line));
    }
    return out;
}

void KeyHand::press(std::int64_t atMs, const std::string& key) {
    clock.singleShot(static_cast<int>(std::max<std::int64_t>(atMs - clock.tickCount(), 0)),
                     [this, key] { sendKey(key); });
}

void KeyHand::pressAll(std::int64_t atMs, int stepMs, const std::vector<std::string>& keys) {
    for (const auto& key : keys) {
        if (key != "-") {
            press(atMs, key);
        }
        atMs += stepMs;
    }
}

FlowScript ParseFlow(const std::string& flow) {
    std::vector<std::string> field;
    for (std::size_t from = 0, bar = 0; bar != std::string::npos; from = bar + 1) {
        field.push_back(flow.substr(from, (bar = flow.find('|', from)) - from) + " ");
    }
    field.resize(std::max<std::size_t>(field.size(), 6), " ");
    std::istringstream numbers(field.at(1) + field.at(2) + field.at(4)), keyText(field.at(3)),
        optionText(field.at(5));
    FlowScript script;
    MenuChoices& choice = script.choice;
    numbers >> choice.opponent >> choice.gameType >> choice.minutes >> choice.level >>
        script.from >> script.step >> script.until;
    script.keys = {std::istream_iterator<std::string>(keyText), {}};
    for (std::string word; optionText >> word;) {
        const std::size_t eq = word.find('=');
        script.option[word.substr(0, eq)] +=
            eq == std::string::npos ? "" : word.substr(eq + 1) + " ";
    }
    std::istringstream settings(script.option["ini"]), files(script.option["file"]),
        states(script.option["state"]);
    for (std::string w; settings >> w;) {  // Section.key=value
        const std::size_t dot = w.find('.'), eq = w.find('=');
        script.ini.push_back({w.substr(0, dot), w.substr(dot + 1, eq - dot - 1), w.substr(eq + 1)});
    }
    for (std::string w; files >> w;) {  // NAME:DATA
        script.files.emplace_back(w.substr(0, w.find(':')), w.substr(w.find(':') + 1));
    }
    for (int at; states >> at;) {
        script.states.push_back(at);
    }
    script.answerKey = script.option["answer"].substr(0, script.option["answer"].find(' '));
    return script;
}

std::string GameState(const Game& g) {
    return BuildRecord(g.savedState()) + " passes " + std::to_string(g.passCount()) +
           ", last turn by " + std::to_string(g.lastTurns().lastPlayer) + ", take-backs " +
           std::to_string(g.takeBackDepth()) + (g.clockRunning() ? ", timer running" : "");
}

void KeyHand::layOut(const FlowScript& script) {
    const std::string data = std::getenv("KORVEL_TEST_DATA");
    for (const auto& [section, key, value] : script.ini) {
        setIni(section, key, value);
    }
    for (const auto& [name, dataFile] : script.files) {
        std::filesystem::create_directories((folder / name).parent_path());
        std::filesystem::remove(folder / name);  // an empty folder in the way
        writeFile(name, ReadBytes(data + "/" + dataFile));
    }
}

void KeyHand::play(const FlowScript& script, Game& game) {
    answerKey = script.answerKey;
    game.timeOfDay = [] { return std::array<int, 3>{21, 4, 2}; };
    pressAll(script.from, static_cast<int>(script.step), script.keys);
    for (const int at : script.states) {
        clock.singleShot(at, [this, &game] {
            m_noted.push_back("state " + std::to_string(now()) + " " + GameState(game));
        });
    }
}

// The end lines: the board, the stored choices, the music and speech settings
// as kept and as the next start reads them.
std::vector<std::string> KeyHand::transcript(bool boardShown, const Game& game, Settings& settings,
                                             const Announcer& announcer) {
    std::vector<std::string> out = lines;
    out.push_back(std::string("board ") + (boardShown ? "shown" : "hidden") + ", times " +
                  std::to_string(game.setup().secondsPerMove));
    for (const char* key : {"position", "type", "time", "level"}) {
        out.push_back(std::string("[Menu] ") + key + "=" + settings.GetIni("Menu", key));
    }
    out.push_back("[Music] music=" + settings.GetIni("Music", "music"));
    Announcer next(clock, settings, device);  // what the next start reads
    next.Init(20);
    out.push_back("[Music] rate " + std::to_string(announcer.Rate()) + ", volume " +
                  std::to_string(announcer.MusicVolume()) + "; read back " +
                  std::to_string(next.Rate()) + ", " + std::to_string(next.MusicVolume()) +
                  "; [Dictor] speed=" + settings.GetIni("Dictor", "speed"));
    out.insert(out.end(), m_noted.begin(), m_noted.end());
    out.push_back("game " + GameState(game));
    return out;
}

std::string FirstWord(const std::string& line) {
    return line.substr(0, line.find(' '));
}

}  // namespace korvel::testing
