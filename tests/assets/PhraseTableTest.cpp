// The phrase table: exactly the names the program queues, each with a wording
// the Russian voice can read.

#include <algorithm>
#include <cstdlib>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "AssetPaths.h"
#include "AssetReaders.h"
#include "TempFolder.h"

namespace korvel::testing {
namespace {

// Every phrase name the board, the menu, the dialogs, the opponent and the
// shell queue, and the number words that Number() spells numbers with.
std::set<std::string> expectedNames() {
    std::set<std::string> names;
    auto range = [&](const std::string& stem, int from, int to) {
        for (int i = from; i <= to; ++i) {
            names.insert(stem + std::to_string(i));
        }
    };
    range("", 0, 33);
    for (int n : {40, 50, 51, 52, 53, 54, 60, 70, 80, 90}) {
        names.insert(std::to_string(n));
    }
    range("menu", 0, 6);
    range("tipe", 0, 5);
    range("level", 0, 4);
    for (char c = 'A'; c <= 'H'; ++c) {
        names.insert(std::string(1, c));
    }
    range("fishka", 1, 2);
    range("replica", 0, 10);
    range("sek", 0, 2);
    range("minut", 0, 2);
    range("hour", 0, 2);
    for (const char* n :
         {"reverse",  "velcome", "tur",      "gamer",    "comon",       "computer", "player",
          "white",    "black",   "position", "pass",     "unavailable", "free",     "dictor",
          "check",    "uncheck", "stop",     "systime",  "timer",       "color1",   "color2",
          "make",     "save",    "cancel",   "savefail", "pause",       "victoria", "victory",
          "whose",    "balls",   "schet",    "alls",     "ok",          "global",   "conditional",
          "opponent", "absolut", "notfisha", "keynum",   "saving",      "loading",  "lok",
          "noload",   "message", "readme",   "chao",     "running"}) {
        names.insert(n);
    }
    // The reading keys and controls beyond the original set.
    for (const char* n :
         {"moves", "nomoves", "nolast", "passed", "flipped", "row", "column", "empty", "hint",
          "hintflips", "rate", "percent", "musvol", "silent", "minus", "decibel", "takeback"}) {
        names.insert(n);
    }
    return names;
}

std::vector<PhraseLine> loadTable() {
    std::vector<std::string> errors;
    auto lines = ReadPhraseTable(PhraseTablePath(), errors);
    for (const auto& e : errors) {
        ADD_FAILURE() << PhraseTablePath() << ": " << e;
    }
    return lines;
}

// Decodes UTF-8; false on any malformed or overlong sequence.
bool decodeUtf8(const std::string& s, std::vector<char32_t>& out) {
    for (std::size_t i = 0; i < s.size();) {
        auto c = static_cast<unsigned char>(s[i]);
        int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
        if (extra < 0 || i + std::size_t(extra) >= s.size()) {
            return false;
        }
        char32_t cp = extra == 0 ? c : (c & (0x3F >> extra));
        for (int k = 1; k <= extra; ++k) {
            auto d = static_cast<unsigned char>(s[i + std::size_t(k)]);
            if ((d & 0xC0) != 0x80) {
                return false;
            }
            cp = (cp << 6) | (d & 0x3F);
        }
        static const char32_t kMin[4] = {0, 0x80, 0x800, 0x10000};
        if (cp < kMin[extra] || cp > 0x10FFFF) {
            return false;
        }
        out.push_back(cp);
        i += std::size_t(extra) + 1;
    }
    return true;
}

TEST(PhraseTable, HoldsExactlyTheAnnouncerVocabulary) {
    auto lines = loadTable();
    std::set<std::string> seen;
    for (const auto& l : lines) {
        EXPECT_TRUE(seen.insert(l.name).second) << "line " << l.line << ": duplicate " << l.name;
    }
    std::set<std::string> expected = expectedNames();
    ASSERT_EQ(expected.size(), 156u);
    EXPECT_EQ(lines.size(), 156u);
    for (const auto& n : expected) {
        EXPECT_TRUE(seen.count(n)) << "no wording for phrase " << n;
    }
    for (const auto& n : seen) {
        EXPECT_TRUE(expected.count(n)) << "phrase " << n << " is never queued";
    }
}

// A wording the generator can pass to the voice: non-empty UTF-8 with Russian
// letters and no Latin ones (the voice would switch to English for those), and
// none of the characters the generator cannot carry. A pronunciation is the
// same, but for words in the voice's phoneme input, [[...]].
TEST(PhraseTable, EveryWordingIsSpeakableRussian) {
    for (const auto& l : loadTable()) {
        SCOPED_TRACE("line " + std::to_string(l.line) + " (" + l.name + ")");
        std::string spoken = l.spoken;
        for (auto at = spoken.find("[["), end = spoken.find("]]", at); end != std::string::npos;
             at = spoken.find("[["), end = spoken.find("]]", at)) {
            spoken.erase(at, end + 2 - at);
        }
        EXPECT_EQ(spoken.find_first_of("[]\\\t\""), std::string::npos) << l.spoken;
        std::vector<char32_t> text;
        ASSERT_TRUE(decodeUtf8(l.wording, text) && decodeUtf8(spoken, text)) << "not UTF-8";
        EXPECT_FALSE(l.wording.empty());
        EXPECT_NE(l.wording.front(), ' ');
        EXPECT_NE(l.wording.back(), ' ');
        EXPECT_EQ(l.wording.find_first_of(";\\\t\""), std::string::npos);
        EXPECT_EQ(spoken.find_first_of("\\\t\""), std::string::npos);
        bool cyrillic = false;
        for (char32_t c : text) {
            cyrillic = cyrillic || (c >= 0x410 && c <= 0x44F) || c == 0x401 || c == 0x451;
            EXPECT_FALSE((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))
                << "Latin letter in \"" << l.wording << "\"";
            EXPECT_FALSE(c >= '0' && c <= '9') << "digits are read by the voice's own rules";
        }
        EXPECT_TRUE(cyrillic) << "\"" << l.wording << "\" has no Russian letter";
    }
}

// Every phrase as the voice reads it (espeak-ng -x), stress marks included,
// against the transcriptions reviewed by ear in data/Pronunciation.golden.tsv;
// a changed line there must have been listened to. No word may be spelled out
// letter by letter (espeak-ng gives the letters' names a secondary stress, ',').
TEST(PhraseTable, TheVoiceReadsEveryPhraseAsReviewed) {
    KORVEL_SKIP_WITHOUT_ASSETS();  // the voice is there only to record them
    std::vector<std::string> errors;
    const auto reviewed = ReadPhraseTable(KORVEL_PRONUNCIATION, errors);
    const auto lines = loadTable();
    ASSERT_EQ(reviewed.size(), lines.size());
    TempFolder folder;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        WriteBytes(folder / "text", lines[i].spoken);
        std::system(("'" + std::string(KORVEL_ESPEAK_PROGRAM) + "' -v ru -q -x -f '" +
                     (folder / "text").string() + "' > '" + (folder / "out").string() + "'")
                        .c_str());
        std::istringstream out(ReadBytes(folder / "out"));
        std::string phonemes, word;
        while (out >> word) {
            phonemes += (phonemes.empty() ? "" : " ") + word;
        }
        EXPECT_EQ(lines[i].name + "\t" + phonemes, reviewed[i].name + "\t" + reviewed[i].wording);
        EXPECT_EQ(phonemes.find(','), std::string::npos);
    }
}

struct NumberWord {
    const char* name;
    const char* wording;
};

class NumberWords : public ::testing::TestWithParam<NumberWord> {};

// Number() builds every number from these recordings, so each must say
// exactly its value in the grammatical form its position needs.
TEST_P(NumberWords, SayTheirValue) {
    auto lines = loadTable();
    auto it = std::find_if(lines.begin(), lines.end(),
                           [&](const PhraseLine& l) { return l.name == GetParam().name; });
    ASSERT_NE(it, lines.end());
    EXPECT_EQ(it->wording, GetParam().wording);
}

INSTANTIATE_TEST_SUITE_P(
    Table, NumberWords,
    ::testing::Values(
        NumberWord{"0", "ноль"}, NumberWord{"1", "один"}, NumberWord{"2", "два"},
        NumberWord{"3", "три"}, NumberWord{"4", "четыре"}, NumberWord{"5", "пять"},
        NumberWord{"6", "шесть"}, NumberWord{"7", "семь"}, NumberWord{"8", "восемь"},
        NumberWord{"9", "девять"}, NumberWord{"10", "десять"}, NumberWord{"11", "одиннадцать"},
        NumberWord{"12", "двенадцать"}, NumberWord{"13", "тринадцать"},
        NumberWord{"14", "четырнадцать"}, NumberWord{"15", "пятнадцать"},
        NumberWord{"16", "шестнадцать"}, NumberWord{"17", "семнадцать"},
        NumberWord{"18", "восемнадцать"}, NumberWord{"19", "девятнадцать"},
        NumberWord{"20", "двадцать"}, NumberWord{"30", "тридцать"}, NumberWord{"40", "сорок"},
        NumberWord{"50", "пятьдесят"}, NumberWord{"60", "шестьдесят"},
        NumberWord{"70", "семьдесят"}, NumberWord{"80", "восемьдесят"},
        NumberWord{"90", "девяносто"}, NumberWord{"21", "сто"}, NumberWord{"22", "двести"},
        NumberWord{"23", "триста"}, NumberWord{"24", "четыреста"}, NumberWord{"25", "пятьсот"},
        NumberWord{"26", "шестьсот"}, NumberWord{"27", "семьсот"}, NumberWord{"28", "восемьсот"},
        NumberWord{"29", "девятьсот"}, NumberWord{"31", "тысяча"}, NumberWord{"32", "тысячи"},
        NumberWord{"33", "тысяч"}, NumberWord{"51", "одна"}, NumberWord{"52", "две"},
        NumberWord{"53", "Да"}, NumberWord{"54", "Нет"}),
    [](const auto& info) { return std::string("n") + info.param.name; });

}  // namespace
}  // namespace korvel::testing
