// Conversions between UTF-8 text and legacy code-page bytes.
//
// Inside Tessaro all text is UTF-8 in std::string. Bytes in a legacy code page appear only
// where files and archive names are read or written, and they cross over here. The target
// desktops run code page 950 (Big5 as Windows defines it) as both their ANSI and OEM code
// page, so that is what the program passes everywhere; the archive components take the
// code pages as parameters so that rules depending on ANSI and OEM differing stay testable.
//
// Decoding never fails: a byte sequence the code page does not define becomes one U+FFFD and
// never swallows a following ASCII byte. Encoding never fails either: a character the code
// page lacks becomes the converter's best-fit equivalent where one exists, otherwise '?'.
#pragma once

#include <string>
#include <string_view>

namespace tessaro::platform {

// A Windows code page number: 950, 936, 1252, 437, 850, ...
using CodePage = unsigned;

inline constexpr CodePage kBig5CodePage = 950;

// The program's ANSI and OEM code pages. Both are 950 on every platform.
inline constexpr CodePage kAnsiCodePage = kBig5CodePage;
inline constexpr CodePage kOemCodePage = kBig5CodePage;

// The character an undefined byte sequence decodes to.
inline constexpr char32_t kSubstituteChar = U'\uFFFD';

// Decodes `bytes` in `codePage` to UTF-8. Never throws for bad input.
std::string decodeCodePage(std::string_view bytes, CodePage codePage = kAnsiCodePage);

// Encodes UTF-8 `text` in `codePage`, with best-fit mappings and '?' for the rest.
// Malformed UTF-8 in `text` is treated as U+FFFD.
std::string encodeCodePage(std::string_view text, CodePage codePage = kAnsiCodePage);

// True when every character of `text` has an exact (round-trip) mapping in `codePage`.
bool representableInCodePage(std::string_view text, CodePage codePage = kAnsiCodePage);

// True when every character of `text` maps into `codePage` exactly or by a best-fit
// mapping, so that encoding needs no default character.
bool encodableWithBestFit(std::string_view text, CodePage codePage = kAnsiCodePage);

// True when `codePage` is a double-byte code page whose lead bytes start two-byte characters.
bool isDoubleByteCodePage(CodePage codePage);

}  // namespace tessaro::platform
