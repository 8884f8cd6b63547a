// Code-page conversions on Windows, through the system: MultiByteToWideChar and
// WideCharToMultiByte with the code page's own tables and best-fit mappings. No ICU.
//
// The system is asked about whole characters only; how bytes group into characters, and what
// an undefined sequence becomes, is decided here, by the same rules as the Linux build's
// converter, so that both give the same text for the same bytes:
//   - a byte below 0x80 is a character of its own;
//   - in a double-byte code page a lead byte and a byte in 40-7E or 80-FE form one sequence,
//     which is one U+FFFD when the code page does not define it; a lead byte before any other
//     byte, or at the end, is one U+FFFD, and the byte after it is read on its own;
//   - any other byte the code page does not define is one U+FFFD.
// Code page 950 maps the lone byte FF to U+F8F8 (a private-use character). Wine's table lacks
// that one entry, so it is supplied here when the system does not know it.
//
// Encoding asks the system for best-fit mappings with '?' for the rest. A character beyond
// the BMP (a surrogate pair) becomes one '?', not one per half.
#include "platform/code_page.h"

#include "platform/utf.h"
#include "platform/win32_support.h"

#include <climits>
#include <optional>
#include <stdexcept>

namespace tessaro::platform {
namespace {

constexpr CodePage kUtf8 = 65001;
constexpr wchar_t kReplacement = 0xFFFD;

bool isTrailByte(unsigned char b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFE); }

void checkSupported(CodePage codePage) {
    if (codePage != kUtf8 && !::IsValidCodePage(codePage))
        throw std::invalid_argument("unsupported code page " + std::to_string(codePage));
}

// The characters of exactly these bytes; nothing when the code page does not define them.
std::optional<std::wstring> decodeExactly(CodePage codePage, const char* bytes, int count) {
    wchar_t out[4];
    const int got = ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes, count, out, 4);
    if (got <= 0) return std::nullopt;
    return std::wstring(out, static_cast<size_t>(got));
}

std::wstring decodeBySequence(std::string_view bytes, CodePage codePage) {
    const bool doubleByte = isDoubleByteCodePage(codePage);
    std::wstring out;
    out.reserve(bytes.size());
    size_t i = 0;
    while (i < bytes.size()) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            out += static_cast<wchar_t>(b);
            ++i;
        } else if (doubleByte && ::IsDBCSLeadByteEx(codePage, b)) {
            if (i + 1 < bytes.size() && isTrailByte(static_cast<unsigned char>(bytes[i + 1]))) {
                out += decodeExactly(codePage, bytes.data() + i, 2).value_or(std::wstring(1, kReplacement));
                i += 2;
            } else {
                out += kReplacement;
                ++i;
            }
        } else {
            const auto single = decodeExactly(codePage, bytes.data() + i, 1);
            if (single) out += *single;
            else out += codePage == kBig5CodePage && b == 0xFF ? wchar_t{0xF8F8} : kReplacement;
            ++i;
        }
    }
    return out;
}

// UTF-16 for the system: our UTF-8 decoded, each surrogate pair turned into one U+FFFD (no
// legacy code page has characters beyond the BMP).
std::wstring bmpOnly(std::string_view text) {
    const std::u16string wide = utf8ToUtf16(text);
    std::wstring out;
    out.reserve(wide.size());
    for (size_t i = 0; i < wide.size(); ++i) {
        const char16_t u = wide[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < wide.size()) {
            out += kReplacement;
            ++i;
        } else {
            out += static_cast<wchar_t>(u);
        }
    }
    return out;
}

struct Encoded {
    std::string bytes;
    bool usedDefault = false;
};

Encoded encodeWide(const std::wstring& wide, CodePage codePage, DWORD flags) {
    if (wide.size() > INT_MAX / 2) throw std::length_error("text too long for the code page conversion");
    const int length = static_cast<int>(wide.size());
    BOOL usedDefault = FALSE;
    const int size = ::WideCharToMultiByte(codePage, flags, wide.data(), length, nullptr, 0, "?", &usedDefault);
    if (size <= 0) throw std::runtime_error("code page encoding failed");
    Encoded encoded;
    encoded.bytes.resize(static_cast<size_t>(size));
    usedDefault = FALSE;
    if (::WideCharToMultiByte(codePage, flags, wide.data(), length, encoded.bytes.data(), size, "?", &usedDefault) != size)
        throw std::runtime_error("code page encoding failed");
    encoded.usedDefault = usedDefault != FALSE;
    return encoded;
}

}  // namespace

std::string decodeCodePage(std::string_view bytes, CodePage codePage) {
    if (bytes.empty()) return {};
    if (codePage == kUtf8) return utf16ToUtf8(utf8ToUtf16(bytes));
    checkSupported(codePage);
    // Text the code page defines throughout converts in one call; otherwise sequence by sequence.
    if (bytes.size() <= INT_MAX / 2) {
        const int length = static_cast<int>(bytes.size());
        const int size = ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), length, nullptr, 0);
        if (size > 0) {
            std::wstring wide(static_cast<size_t>(size), L'\0');
            if (::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), length, wide.data(), size) == size)
                return win32::fromWide(wide);
        }
    }
    return win32::fromWide(decodeBySequence(bytes, codePage));
}

std::string encodeCodePage(std::string_view text, CodePage codePage) {
    if (text.empty()) return {};
    if (codePage == kUtf8) return utf16ToUtf8(utf8ToUtf16(text));
    checkSupported(codePage);
    return encodeWide(bmpOnly(text), codePage, 0).bytes;
}

namespace {

// True when no character of `text` needs the default character; U+FFFD (malformed UTF-8, a
// character beyond the BMP) never counts as encodable.
bool encodesWithoutDefault(std::string_view text, CodePage codePage, DWORD flags) {
    if (text.empty()) return true;
    if (codePage == kUtf8) return utf8ToUtf16(text).find(u'\uFFFD') == std::u16string::npos;
    checkSupported(codePage);
    const std::wstring wide = bmpOnly(text);
    if (wide.find(kReplacement) != std::wstring::npos) return false;
    return !encodeWide(wide, codePage, flags).usedDefault;
}

}  // namespace

bool representableInCodePage(std::string_view text, CodePage codePage) {
    return encodesWithoutDefault(text, codePage, WC_NO_BEST_FIT_CHARS);
}

bool encodableWithBestFit(std::string_view text, CodePage codePage) {
    return encodesWithoutDefault(text, codePage, 0);
}

bool isDoubleByteCodePage(CodePage codePage) {
    return codePage == 932 || codePage == 936 || codePage == 949 || codePage == 950;
}

}  // namespace tessaro::platform
