// Splitting a line into fields and converting field text.
//
// Lines are UTF-8; the delimiter, the quote and the characters Trim removes are all ASCII,
// so working on bytes gives the same fields as working on characters.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tessaro::feeinput {

// Splits `line` at `delimiter` with quoting by '"' and only the delimiter separating fields
// (blanks stay part of a field). An empty line gives no fields; a delimiter at the end gives
// an empty last field; text right after a closing quote becomes a field of its own.
std::vector<std::string> SetDelimitedText(std::string_view line, char delimiter = ',');

// `field` as one field of a line that SetDelimitedText reads back as `field`: unchanged when
// it holds no delimiter and does not begin with '"', otherwise in double quotes with every
// quote inside doubled.
std::string delimitedField(std::string_view field, char delimiter = ',');

// `text` without leading and trailing characters whose code is at most U+0020.
std::string Trim(std::string_view text);

// Leading blanks, an optional sign, then decimal digits or hex digits after "$", "x", "X",
// "0x" or "0X"; nothing may follow. Gives `fallback` for anything else or a value outside
// the signed 32-bit range.
std::int32_t StrToIntDef(std::string_view text, std::int32_t fallback);

// The ANSI byte view of a line: `count` bytes from the 1-based byte position `position` of
// the line's code page 950 bytes, decoded again. A cut through a two-byte character decodes
// that half to the substitute character.
std::string ansiByteField(std::string_view line, size_t position, size_t count);

}  // namespace tessaro::feeinput
