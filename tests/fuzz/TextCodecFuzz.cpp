// The code page both ways. Any byte string survives cp1251 -> UTF-8 -> cp1251,
// and converting UTF-8 never makes an ASCII character (a line break, "=", "[")
// that was not there: a malformed sequence only ever becomes "?".
#include <algorithm>

#include "FuzzSupport.h"
#include "core/TextCodec.h"

namespace {

std::string AsciiOf(std::string s) {
    std::erase_if(s, [](char c) { return static_cast<unsigned char>(c) >= 0x80 || c == '?'; });
    return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using korvel::fuzz::Check;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string utf8 = korvel::Cp1251ToUtf8(bytes);
    Check(korvel::Utf8ToCp1251(utf8) == bytes, "cp1251 -> UTF-8 -> cp1251 is the identity");

    const std::string cp = korvel::Utf8ToCp1251(bytes);
    Check(cp.size() <= bytes.size(), "UTF-8 never grows into more code page bytes");
    Check(AsciiOf(cp) == AsciiOf(std::string(bytes)),
          "only ASCII bytes of the input give ASCII characters");
    Check(korvel::Utf8ToCp1251(korvel::Cp1251ToUtf8(cp)) == cp, "converted text is stable");
    return 0;
}
