#pragma once

#include <cstddef>
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

// One character of UTF-8 text: its code point and its length in bytes. A
// malformed sequence (as above) is not a character: `valid` is false and the
// length 1, so that a reader goes on with the next byte.
struct Utf8Char {
    char32_t code = 0;
    std::size_t length = 1;
    bool valid = false;
};

// The character starting at text[at]; `at` must be inside the text.
Utf8Char DecodeUtf8(std::string_view text, std::size_t at);

// Appends the UTF-8 bytes of `code`, a code point up to U+10FFFF.
void AppendUtf8(std::string& out, char32_t code);

}  // namespace korvel
