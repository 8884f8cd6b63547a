#include "feeinput/text_decoding.h"

#include "platform/code_page.h"
#include "platform/error.h"
#include "platform/utf.h"

namespace tessaro::feeinput {

DetectedEncoding detectEncoding(std::string_view bytes) {
    if (bytes.size() >= 3 && bytes.substr(0, 3) == kUtf8Mark) return {TextEncoding::utf8, kUtf8Mark.size()};
    if (bytes.size() >= 2 && bytes.substr(0, 2) == "\xFF\xFE") return {TextEncoding::utf16le, 2};
    if (bytes.size() >= 2 && bytes.substr(0, 2) == "\xFE\xFF") return {TextEncoding::utf16be, 2};
    return {TextEncoding::ansi, 0};
}

bool isValidUtf8(std::string_view bytes) {
    size_t i = 0;
    const size_t n = bytes.size();
    while (i < n) {
        const auto b0 = static_cast<unsigned char>(bytes[i]);
        if (b0 < 0x80) {
            ++i;
            continue;
        }
        size_t length;
        char32_t c, minimum;
        if (b0 >= 0xC2 && b0 <= 0xDF) {
            length = 2, c = b0 & 0x1F, minimum = 0x80;
        } else if (b0 >= 0xE0 && b0 <= 0xEF) {
            length = 3, c = b0 & 0x0F, minimum = 0x800;
        } else if (b0 >= 0xF0 && b0 <= 0xF4) {
            length = 4, c = b0 & 0x07, minimum = 0x10000;
        } else {
            return false;
        }
        if (n - i < length) return false;
        for (size_t k = 1; k < length; ++k) {
            const auto b = static_cast<unsigned char>(bytes[i + k]);
            if ((b & 0xC0) != 0x80) return false;
            c = (c << 6) | (b & 0x3F);
        }
        if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
        i += length;
    }
    return true;
}

std::string decodeUtf16(std::string_view bytes, bool bigEndian) {
    const size_t units = bytes.size() / 2;  // an odd last byte is ignored
    auto unitAt = [&](size_t k) -> char16_t {
        const auto a = static_cast<unsigned char>(bytes[2 * k]);
        const auto b = static_cast<unsigned char>(bytes[2 * k + 1]);
        return static_cast<char16_t>(bigEndian ? (a << 8) | b : (b << 8) | a);
    };
    std::string out;
    out.reserve(units * 3 / 2);
    for (size_t k = 0; k < units; ++k) {
        const char16_t u = unitAt(k);
        if (u >= 0xD800 && u <= 0xDBFF && k + 1 < units) {
            const char16_t low = unitAt(k + 1);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                platform::appendUtf8(out, 0x10000 + ((char32_t{u} - 0xD800) << 10) + (low - 0xDC00));
                ++k;
                continue;
            }
        }
        platform::appendUtf8(out, (u >= 0xD800 && u <= 0xDFFF) ? platform::kSubstituteChar : char32_t{u});
    }
    return out;
}

std::string decodeText(std::string_view bytes) {
    const DetectedEncoding detected = detectEncoding(bytes);
    const std::string_view body = bytes.substr(detected.markLength);
    switch (detected.encoding) {
        case TextEncoding::utf8:
            if (!isValidUtf8(body)) throw Error(kNoMappingText);
            return std::string(body);
        case TextEncoding::utf16le: return decodeUtf16(body, false);
        case TextEncoding::utf16be: return decodeUtf16(body, true);
        case TextEncoding::ansi: break;
    }
    return platform::decodeCodePage(body, platform::kAnsiCodePage);
}

}  // namespace tessaro::feeinput
