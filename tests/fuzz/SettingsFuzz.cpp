// The settings file: a fuzzed file, then one key written with a fuzzed value.
// The value reads back as written (less line breaks and edge blanks, in the
// code page, cut at 254 characters), every other key reads as before, and the
// file gains at most the key's line and its section's header.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <array>

#include "FuzzSupport.h"
#include "core/CommonRoutines.h"
#include "core/IniFile.h"
#include "core/TextCodec.h"

namespace {

constexpr std::array<const char*, 3> kSections = {"Menu", "Game", "МЕНЮ"};
constexpr std::array<const char*, 4> kKeys = {"level", "player_name", "Имя", "x"};
constexpr std::size_t kKeyCount = kSections.size() * kKeys.size();

std::string Expected(std::string value) {
    std::erase_if(value, [](char c) { return c == '\r' || c == '\n'; });
    std::string cp = korvel::Utf8ToCp1251(value);
    const auto first = cp.find_first_not_of(" \t");
    cp = first == std::string::npos ? "" : cp.substr(first, cp.find_last_not_of(" \t") - first + 1);
    return korvel::Cp1251ToUtf8(cp.substr(0, 254));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using korvel::fuzz::Check;
    FuzzedDataProvider in(data, size);
    const int number = in.ConsumeIntegral<int>();
    Check(korvel::IniNumber(std::to_string(number)) == std::clamp(number, -32768, 32767),
          "a written number reads back, clamped");
    const std::size_t written = in.ConsumeIntegralInRange<std::size_t>(0, kKeyCount - 1);
    const std::string value = in.ConsumeRandomLengthString(400);
    const std::string file = in.ConsumeRemainingBytesAsString();
    korvel::IniNumber(value);

    const auto path = korvel::fuzz::WriteScratch("Korvel.ini", file);
    const auto section = [](std::size_t i) { return kSections[i / kKeys.size()]; };
    const auto get = [&](std::size_t i) {
        return korvel::GetIni(path, section(i), kKeys[i % kKeys.size()]);
    };
    std::array<std::string, kKeyCount> before;
    for (std::size_t i = 0; i < kKeyCount; ++i) {
        before[i] = get(i);
    }
    const std::size_t linesBefore = korvel::SplitLines(file).size();
    Check(korvel::WriteIni(path, section(written), kKeys[written % kKeys.size()], value),
          "the file is written");
    Check(get(written) == Expected(value), "the written value reads back");
    for (std::size_t i = 0; i < kKeyCount; ++i) {
        Check(i == written || get(i) == before[i], "other keys are unchanged");
    }
    std::string after;
    korvel::ReadWholeFile(path, after, korvel::kMaxSettingsBytes);
    Check(korvel::SplitLines(after).size() <= linesBefore + 2, "at most a key and a header added");
    return 0;
}
