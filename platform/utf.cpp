#include "platform/utf.h"

namespace tessaro::platform {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool isContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

// The valid range of the second byte after lead byte `b0` (Unicode Table 3-7), which keeps
// out overlong forms, surrogates and code points above U+10FFFF.
bool secondByteFits(unsigned char b0, unsigned char b1) {
    switch (b0) {
        case 0xE0: return b1 >= 0xA0 && b1 <= 0xBF;
        case 0xED: return b1 >= 0x80 && b1 <= 0x9F;
        case 0xF0: return b1 >= 0x90 && b1 <= 0xBF;
        case 0xF4: return b1 >= 0x80 && b1 <= 0x8F;
        default: return isContinuation(b1);
    }
}

// Decodes one character at `i`, advancing `i` past it or past the maximal ill-formed
// subsequence, which yields U+FFFD.
char32_t nextCodePoint(std::string_view text, size_t& i) {
    const auto b0 = static_cast<unsigned char>(text[i++]);
    if (b0 < 0x80) return b0;
    size_t length;
    char32_t c;
    if (b0 >= 0xC2 && b0 <= 0xDF) length = 2, c = b0 & 0x1F;
    else if (b0 >= 0xE0 && b0 <= 0xEF) length = 3, c = b0 & 0x0F;
    else if (b0 >= 0xF0 && b0 <= 0xF4) length = 4, c = b0 & 0x07;
    else return kReplacement;
    for (size_t k = 1; k < length; ++k) {
        if (i >= text.size()) return kReplacement;
        const auto b = static_cast<unsigned char>(text[i]);
        if (k == 1 ? !secondByteFits(b0, b) : !isContinuation(b)) return kReplacement;
        c = (c << 6) | (b & 0x3F);
        ++i;
    }
    return c;
}


}  // namespace

std::u16string utf8ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        const char32_t c = nextCodePoint(text, i);
        if (c < 0x10000) {
            out += static_cast<char16_t>(c);
        } else {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        }
    }
    return out;
}

std::string utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size() * 3 / 2);
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t u = text[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            appendUtf8(out, 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            appendUtf8(out, kReplacement);
        } else {
            appendUtf8(out, u);
        }
    }
    return out;
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace tessaro::platform
