#include "feeinput/declaration_text.h"

#include "feeinput/text_decoding.h"
#include "feeinput/text_file.h"
#include "platform/code_page.h"
#include "platform/error.h"

#include <algorithm>

namespace tessaro::feeinput {

bool isAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

DeclarationText DeclarationText::readFile(const std::string& path) { return fromBytes(loadCheckedFile(path)); }

DeclarationText DeclarationText::fromFileBytes(std::string bytes) { return fromBytes(platform::FileBytes(std::move(bytes))); }

DeclarationText DeclarationText::fromBytes(platform::FileBytes bytes) {
    const std::string_view view = bytes.view();
    const DetectedEncoding detected = detectEncoding(view);
    switch (detected.encoding) {
        case TextEncoding::ansi: return DeclarationText(std::move(bytes), 0, true);
        case TextEncoding::utf8:
            if (!isValidUtf8(view.substr(detected.markLength))) throw Error(kNoMappingText);
            return DeclarationText(std::move(bytes), detected.markLength, false);
        case TextEncoding::utf16le:
        case TextEncoding::utf16be: break;
    }
    return DeclarationText(platform::FileBytes(decodeText(view)), 0, false);
}

std::string DeclarationText::decode(std::string_view value) const {
    // ASCII bytes stand for themselves in code page 950; most values (numbers, dates, ID
    // numbers) need no conversion at all.
    if (!rawCodePage_ || isAscii(value)) return std::string(value);
    return platform::decodeCodePage(value, platform::kAnsiCodePage);
}

DeclarationText DeclarationText::decoded() const {
    if (!rawCodePage_) return *this;
    return DeclarationText(platform::FileBytes(platform::decodeCodePage(searchText(), platform::kAnsiCodePage)), 0,
                           false);
}

}  // namespace tessaro::feeinput
