// UTF-8 <-> UTF-16 without any library, for the places where the system speaks UTF-16
// (Windows file names, its command line, its code-page conversions).
//
// Malformed input never fails: each maximal ill-formed subsequence of UTF-8 (the longest start
// of a well-formed sequence, or one byte) becomes one U+FFFD, as ICU and the WHATWG decoders
// do, and an unpaired surrogate in UTF-16 becomes one U+FFFD.
#pragma once

#include <string>
#include <string_view>

namespace tessaro::platform {

std::u16string utf8ToUtf16(std::string_view text);
std::string utf16ToUtf8(std::u16string_view text);

// Appends the UTF-8 bytes of the code point `c`.
void appendUtf8(std::string& out, char32_t c);

}  // namespace tessaro::platform
