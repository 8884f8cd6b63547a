// Turning a text file's bytes into UTF-8 text.
//
// Only the byte-order mark decides the encoding: EF BB BF is UTF-8 (strict), FF FE and FE FF
// are UTF-16 little- and big-endian, anything else is the ANSI code page (950). A file
// without a mark is never sniffed for UTF-8, and an XML declaration is never consulted.
#pragma once

#include <string>
#include <string_view>

namespace tessaro::feeinput {

enum class TextEncoding { ansi, utf8, utf16le, utf16be };

inline constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

struct DetectedEncoding {
    TextEncoding encoding;
    size_t markLength;  // bytes of byte-order mark to skip
};

DetectedEncoding detectEncoding(std::string_view bytes);

// Decodes a whole file's bytes after detecting their encoding. Malformed UTF-8 after a UTF-8
// mark throws the no-mapping error; every other input decodes.
std::string decodeText(std::string_view bytes);

// The error text of malformed UTF-8.
inline constexpr const char* kNoMappingText =
    "No mapping for the Unicode character exists in the target multi-byte code page";

// Validates strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF, nothing cut off.
bool isValidUtf8(std::string_view bytes);

// Decodes UTF-16 code units to UTF-8; an odd last byte is ignored, an unpaired surrogate
// becomes U+FFFD.
std::string decodeUtf16(std::string_view bytes, bool bigEndian);

}  // namespace tessaro::feeinput
