// Does a name without the UTF-8 flag look like text in the OEM code page?
//
// Writers on DOS and on Windows both left the UTF-8 flag clear, one writing names in the
// OEM code page, the other in the ANSI one. Where the two code pages differ, a name whose
// high bytes are all letters of the OEM page, and not all letters of the ANSI page, was most
// likely written in the OEM page.
#pragma once

#include "platform/code_page.h"

#include <string_view>

namespace tessaro::archives::zip {

// True when every byte of `raw` from 0x80 up is a letter of `oemCodePage` and not every
// such byte is a letter of its ANSI companion. Always false for OEM code pages other than
// 437, 720, 737, 775, 850, 852, 855, 857, 862 and 866.
bool looksLikeOemText(std::string_view raw, platform::CodePage oemCodePage);

}  // namespace tessaro::archives::zip
