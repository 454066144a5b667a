// The read-me check at start-up: the file as read from disk, whatever it holds.
// A read-me that this version wrote is always current; one that says "current"
// carries the version text.
#include "FuzzSupport.h"
#include "core/CommonRoutines.h"
#include "core/TextCodec.h"
#include "core/Texts.h"

// Far above any input the fuzzer makes: the bound itself is not what is fuzzed.
constexpr std::size_t kAnySize = 1 << 20;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using korvel::fuzz::Check;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string text =
        korvel::ReadTextFile(korvel::fuzz::WriteScratch("ReadMe.txt", bytes), kAnySize);
    Check(!korvel::ReadMeIsCurrent(text) || text.find(korvel::kVersionText) != std::string::npos,
          "current means this version");
    // The program writes its read-me with the executable's date; any date text.
    const auto written = korvel::fuzz::ScratchFile("Written.txt");
    korvel::WriteTextFile(written, korvel::Utf8ToCp1251(korvel::RulesText(bytes.substr(0, 40))));
    Check(korvel::ReadMeIsCurrent(korvel::ReadTextFile(written, kAnySize)),
          "its own read-me is current");
    return 0;
}
