#pragma once

#include <string>
#include <string_view>

namespace korvel {

// The 8-bit Cyrillic code page (Windows-1251) of the settings, read-me and
// start-position files. Inside the program text is UTF-8; these two convert at
// the file boundary. A character the code page has no place for is written as
// "?"; a malformed UTF-8 sequence (cut short, overlong, a surrogate, past
// U+10FFFF, a stray continuation byte) gives one "?" for each of its bytes.
std::string Utf8ToCp1251(std::string_view utf8);
std::string Cp1251ToUtf8(std::string_view bytes);

}  // namespace korvel
