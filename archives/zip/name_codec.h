// How entry names become bytes in the headers and bytes become names again.
//
// ZIP names carry no reliable statement of their encoding: the UTF-8 flag (bit 11) is often
// missing, writers on DOS used the OEM code page and writers on Windows the ANSI one, and
// some add the Unicode name in an extra record. Reading tries the sure signs first (flag, a
// Unicode Path record whose CRC proves it belongs to these bytes), then the guesses (valid
// UTF-8, the NUCX record) and falls back to the code pages. Writing stores a name in the code page when it
// fits there, with a Unicode Path record for readers that want the exact name, and in UTF-8
// with the flag otherwise.
#pragma once

#include "archives/zip/zip_entry.h"
#include "platform/code_page.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tessaro::archives::zip {

struct CodePagePair {
    platform::CodePage ansi = platform::kAnsiCodePage;
    platform::CodePage oem = platform::kOemCodePage;
};

// True when `raw` has at least one byte of 0x80 or more and every such byte belongs to a
// complete UTF-8 sequence (lead C2-DF, E0-EF, F0-F4 with one, two, three bytes 80-BF).
bool isUtf8Name(std::string_view raw);

// The name of a central header's raw name bytes.
std::string decodeEntryName(std::string_view raw, std::uint16_t flags, std::uint8_t hostByte,
                            std::string_view centralExtra, const CodePagePair& codePages);

// How a stored name is written.
struct NameEncoding {
    std::string bytes;
    std::uint8_t hostByte = kHostMsDos;
    bool utf8 = false;
};
NameEncoding chooseNameEncoding(std::string_view name, const CodePagePair& codePages);

// Gives a new entry its raw name, host byte, bit 11 and Unicode Path record from its name.
void encodeEntryName(ZipEntry& entry, const CodePagePair& codePages);

}  // namespace tessaro::archives::zip
