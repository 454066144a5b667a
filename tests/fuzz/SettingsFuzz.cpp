// The settings file: a fuzzed file, then one key written with a fuzzed value.
// The value reads back as written (less line breaks and edge blanks, in the
// code page, cut at 254 characters), every other key reads as before, and the
// file gains at most the key's line and its section's header.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <array>

#include "CommonRoutines.h"
#include "FuzzSupport.h"
#include "IniFile.h"
#include "TextCodec.h"

namespace {

constexpr std::array<const char*, 3> kSections = {"Menu", "Game", "МЕНЮ"};
constexpr std::array<const char*, 4> kKeys = {"level", "player_name", "Имя", "x"};

std::string Expected(std::string_view value) {
    std::string cp;
    std::copy_if(value.begin(), value.end(), std::back_inserter(cp),
                 [](char c) { return c != '\r' && c != '\n'; });
    cp = korvel::Utf8ToCp1251(cp);
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!cp.empty() && blank(cp.back())) {
        cp.pop_back();
    }
    cp.erase(cp.begin(), std::find_if_not(cp.begin(), cp.end(), blank));
    return korvel::Cp1251ToUtf8(cp.substr(0, 254));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using korvel::fuzz::Check;
    FuzzedDataProvider in(data, size);
    const int number = in.ConsumeIntegral<int>();
    Check(korvel::IniNumber(std::to_string(number)) == std::clamp(number, -32768, 32767),
          "a written number reads back, clamped");
    const std::size_t section = in.ConsumeIntegralInRange<std::size_t>(0, kSections.size() - 1);
    const std::size_t key = in.ConsumeIntegralInRange<std::size_t>(0, kKeys.size() - 1);
    const std::string value = in.ConsumeRandomLengthString(400);
    const std::string file = in.ConsumeRemainingBytesAsString();
    korvel::IniNumber(value);

    const auto path = korvel::fuzz::WriteScratch("Korvel.ini", file);
    std::array<std::string, kSections.size() * kKeys.size()> before;
    for (std::size_t i = 0; i < before.size(); ++i) {
        before[i] = korvel::GetIni(path, kSections[i / kKeys.size()], kKeys[i % kKeys.size()]);
    }
    const std::size_t linesBefore = korvel::SplitLines(file).size();
    Check(korvel::WriteIni(path, kSections[section], kKeys[key], value), "the file is written");
    Check(korvel::GetIni(path, kSections[section], kKeys[key]) == Expected(value),
          "the written value reads back");
    for (std::size_t i = 0; i < before.size(); ++i) {
        if (i != section * kKeys.size() + key) {
            Check(korvel::GetIni(path, kSections[i / kKeys.size()], kKeys[i % kKeys.size()]) ==
                      before[i],
                  "other keys are unchanged");
        }
    }
    std::string after;
    korvel::ReadWholeFile(path, after);
    Check(korvel::SplitLines(after).size() <= linesBefore + 2, "at most a key and a header added");
    return 0;
}
