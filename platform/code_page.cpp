// Code-page conversions through ICU.
//
// ICU's "windows-950-2000" table is Microsoft's code page 950, including its best-fit
// (fallback) mappings. Three ICU defaults are overridden here:
//   - when decoding, ICU substitutes U+001A for an undefined single byte and U+FFFD for an
//     undefined sequence; we always substitute U+FFFD, one per undefined sequence;
//   - when encoding, the substitute is forced to the single byte '?', which is what a
//     Windows desktop writes for a character its code page cannot show;
//   - a default-ignorable character the code page lacks (ICU drops it) is written as '?' and
//     is not representable, as on Windows.
// ICU ends an invalid double-byte sequence before a byte that cannot be a trail byte, so a
// lead byte followed by an ASCII control character or digit never swallows it.
#include "platform/code_page.h"

#include "platform/utf.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>
#include <unicode/uchar.h>
#include <unicode/utf16.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <vector>

namespace tessaro::platform {
namespace {

struct ConverterCloser {
    void operator()(UConverter* c) const { ucnv_close(c); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

std::string icuName(CodePage cp) {
    switch (cp) {
        case 932: return "ibm-943_P15A-2003";
        case 936: return "windows-936-2000";
        case 949: return "windows-949-2000";
        case 950: return "windows-950-2000";
        case 65001: return "UTF-8";
        default: break;
    }
    if (cp >= 1250 && cp <= 1258) return "windows-" + std::to_string(cp);
    return "ibm-" + std::to_string(cp);
}

Converter openConverter(CodePage cp) {
    UErrorCode err = U_ZERO_ERROR;
    Converter conv(ucnv_open(icuName(cp).c_str(), &err));
    if (U_FAILURE(err) || !conv) throw std::invalid_argument("unsupported code page " + std::to_string(cp));
    return conv;
}

void substituteReplacementChar(const void*, UConverterToUnicodeArgs* args, const char*, int32_t,
                               UConverterCallbackReason reason, UErrorCode* err) {
    if (reason > UCNV_IRREGULAR) return;  // reset, close, clone: nothing to write
    static constexpr UChar kReplacement = 0xFFFD;
    *err = U_ZERO_ERROR;
    ucnv_cbToUWriteUChars(args, &kReplacement, 1, 0, err);
}

// UTF-8 -> UTF-16 with U+FFFD for malformed input. For names and pieces of text only: the
// lengths are 32-bit.
std::u16string toUtf16(std::string_view text) {
    std::u16string out(text.size() + 1, u'\0');
    int32_t length = 0;
    UErrorCode err = U_ZERO_ERROR;
    u_strFromUTF8WithSub(reinterpret_cast<UChar*>(out.data()), static_cast<int32_t>(out.size()), &length,
                         text.data(), static_cast<int32_t>(text.size()), 0xFFFD, nullptr, &err);
    if (U_FAILURE(err)) throw std::runtime_error("UTF-8 to UTF-16 conversion failed");
    out.resize(static_cast<size_t>(length));
    return out;
}

// ---- Pieces ----
//
// The converter counts lengths in 32 bits, and a whole file converted at once needs a UTF-16
// copy twice its size. Text is therefore handed to the converter in pieces of at most
// kPiece bytes, the converter keeping its state (a lead byte waiting for its trail byte) from
// one piece to the next, so any size converts in fixed memory besides the result.
constexpr size_t kPiece = size_t{1} << 16;
static_assert(kPiece * 4 + 4 < size_t{INT32_MAX}, "a piece's converted length must fit the converter's lengths");


// Appends UTF-16 units as UTF-8; a high surrogate waits for its partner in the next piece, and
// an unpaired surrogate becomes U+FFFD.
class Utf8Appender {
public:
    explicit Utf8Appender(std::string& out) : out_(out) {}
    void add(std::u16string_view units) {
        for (const char16_t unit : units) {
            if (high_ != 0 && unit >= 0xDC00 && unit <= 0xDFFF) {
                appendUtf8(out_, 0x10000 + ((char32_t{high_} - 0xD800) << 10) + (unit - 0xDC00));
                high_ = 0;
                continue;
            }
            finish();
            if (unit >= 0xD800 && unit <= 0xDBFF) high_ = unit;
            else appendUtf8(out_, unit >= 0xDC00 && unit <= 0xDFFF ? kSubstituteChar : char32_t{unit});
        }
    }
    void finish() {
        if (high_ != 0) appendUtf8(out_, kSubstituteChar);
        high_ = 0;
    }

private:
    std::string& out_;
    char16_t high_ = 0;
};

// The length of the next piece of UTF-8 `text`: at most kPiece bytes, never ending inside a
// character (a piece ends before a lead or single byte).
size_t utf8PieceLength(std::string_view text) {
    if (text.size() <= kPiece) return text.size();
    size_t length = kPiece;
    while (length > kPiece - 3 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) --length;
    return length;
}

}  // namespace

std::string decodeCodePage(std::string_view bytes, CodePage codePage) {
    if (bytes.empty()) return {};
    Converter conv = openConverter(codePage);
    UErrorCode err = U_ZERO_ERROR;
    ucnv_setToUCallBack(conv.get(), substituteReplacementChar, nullptr, nullptr, nullptr, &err);
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);  // a two-byte character takes three bytes in UTF-8
    Utf8Appender appender(out);
    std::vector<UChar> units(kPiece);
    const char* source = bytes.data();
    const char* const end = bytes.data() + bytes.size();
    while (source != end) {
        const char* const pieceEnd = source + std::min<size_t>(static_cast<size_t>(end - source), kPiece);
        do {
            err = U_ZERO_ERROR;
            UChar* target = units.data();
            ucnv_toUnicode(conv.get(), &target, units.data() + units.size(), &source, pieceEnd, nullptr,
                           pieceEnd == end, &err);
            appender.add({reinterpret_cast<const char16_t*>(units.data()), static_cast<size_t>(target - units.data())});
        } while (err == U_BUFFER_OVERFLOW_ERROR);
        if (U_FAILURE(err)) throw std::runtime_error("code page decoding failed");
    }
    appender.finish();
    return out;
}

namespace {

// ICU's converters silently drop a default-ignorable character (U+200B, U+200E, U+FEFF, ...)
// that the code page lacks, where Windows writes '?' and reports no exact mapping. Such
// characters are therefore converted on their own, between runs of the others, and one that
// yields no byte counts as unmapped.
bool isDefaultIgnorable(UChar32 c) { return u_hasBinaryProperty(c, UCHAR_DEFAULT_IGNORABLE_CODE_POINT) != 0; }

// Calls piece(run, ignorable) for the runs of `wide`, each default-ignorable character a run
// of its own.
template <typename Piece>
void forEachRun(std::u16string_view wide, Piece piece) {
    size_t start = 0, i = 0;
    while (i < wide.size()) {
        const size_t at = i;
        UChar32 c;
        U16_NEXT(wide.data(), i, wide.size(), c);
        if (!isDefaultIgnorable(c)) continue;
        if (at > start) piece(wide.substr(start, at - start), false);
        piece(wide.substr(at, i - at), true);
        start = i;
    }
    if (start < wide.size()) piece(wide.substr(start), false);
}

// Converts one run with the converter as it is set up; false when its callback stopped it.
bool convertRun(UConverter* conv, std::u16string_view run, std::string& out) {
    std::string bytes(run.size() * 4 + 4, '\0');
    UErrorCode err = U_ZERO_ERROR;
    const int32_t length = ucnv_fromUChars(conv, bytes.data(), static_cast<int32_t>(bytes.size()),
                                           reinterpret_cast<const UChar*>(run.data()), static_cast<int32_t>(run.size()),
                                           &err);
    if (U_FAILURE(err)) return false;
    out.append(bytes.data(), static_cast<size_t>(length));
    return true;
}

}  // namespace

std::string encodeCodePage(std::string_view text, CodePage codePage) {
    if (text.empty()) return {};
    Converter conv = openConverter(codePage);
    UErrorCode err = U_ZERO_ERROR;
    ucnv_setFallback(conv.get(), true);
    ucnv_setSubstChars(conv.get(), "?", 1, &err);
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        const size_t length = utf8PieceLength(text);
        const std::u16string wide = toUtf16(text.substr(0, length));
        text.remove_prefix(length);
        forEachRun(wide, [&](std::u16string_view run, bool ignorable) {
            const size_t before = out.size();
            if (!convertRun(conv.get(), run, out)) throw std::runtime_error("code page encoding failed");
            if (ignorable && out.size() == before) out += '?';
        });
    }
    return out;
}

namespace {

// Encodes without any substitute; true when no character was left unmapped.
bool encodesWithoutSubstitute(std::string_view text, CodePage codePage, bool allowFallbacks) {
    if (text.empty()) return true;
    Converter conv = openConverter(codePage);
    UErrorCode err = U_ZERO_ERROR;
    ucnv_setFallback(conv.get(), allowFallbacks);
    ucnv_setFromUCallBack(conv.get(), UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &err);
    const std::u16string wide = toUtf16(text);
    if (wide.find(u'\uFFFD') != std::u16string::npos) return false;
    bool mapped = true;
    std::string out;
    forEachRun(wide, [&](std::u16string_view run, bool ignorable) {
        const size_t before = out.size();
        if (!convertRun(conv.get(), run, out) || (ignorable && out.size() == before)) mapped = false;
    });
    return mapped;
}

}  // namespace

bool representableInCodePage(std::string_view text, CodePage codePage) {
    return encodesWithoutSubstitute(text, codePage, false);
}

bool encodableWithBestFit(std::string_view text, CodePage codePage) {
    return encodesWithoutSubstitute(text, codePage, true);
}

bool isDoubleByteCodePage(CodePage codePage) {
    return codePage == 932 || codePage == 936 || codePage == 949 || codePage == 950;
}

}  // namespace tessaro::platform
