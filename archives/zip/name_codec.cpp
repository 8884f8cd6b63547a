#include "archives/zip/name_codec.h"

#include "archives/checksum/crc32.h"
#include "archives/zip/extra_field.h"
#include "archives/zip/oem_look.h"

namespace tessaro::archives::zip {
namespace {

constexpr platform::CodePage kUtf8 = 65001;

bool hasHighByte(std::string_view text) {
    for (const char c : text)
        if (static_cast<std::uint8_t>(c) >= 0x80) return true;
    return false;
}

std::uint32_t crcOf(std::string_view bytes) { return crc32(asBytes(bytes)); }

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

// UTF-16LE code units to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string utf16LeToUtf8(std::string_view units) {
    std::string out;
    ByteReader reader(units);
    while (reader.remaining() >= 2) {
        char32_t c = reader.u16();
        if (c >= 0xD800 && c < 0xDC00 && reader.remaining() >= 2) {
            ByteReader peek = reader;
            const char32_t low = peek.u16();
            if (low >= 0xDC00 && low < 0xE000) {
                reader = peek;
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
            } else {
                c = 0xFFFD;
            }
        } else if (c >= 0xD800 && c < 0xE000) {
            c = 0xFFFD;
        }
        appendUtf8(out, c);
    }
    return out;
}

// The Unicode Path record (0x7075): version 1, CRC-32 of the header's name bytes, UTF-8 name.
// The CRC is taken over the bytes as stored: the writer computed it over the bytes it wrote,
// whatever its code page, so re-encoding them in ours would reject sound records.
std::optional<std::string> unicodePathName(std::string_view raw, std::string_view centralExtra) {
    const auto record = findExtraRecord(centralExtra, kUnicodePathExtraId);
    if (!record || record->size() <= 6) return std::nullopt;
    ByteReader reader(*record);
    if (reader.u8() != 1) return std::nullopt;
    if (reader.u32() != crcOf(raw)) return std::nullopt;
    return platform::decodeCodePage(record->substr(5), kUtf8);
}

// The NUCX record (0x554E): "NUCX", a 32-bit unit count n, then n UTF-16LE units.
std::optional<std::string> nucxName(std::string_view centralExtra) {
    const auto record = findExtraRecord(centralExtra, kUnicodeNameNucxExtraId);
    if (!record || record->size() <= 10 || record->substr(0, 4) != "NUCX") return std::nullopt;
    ByteReader reader(*record);
    reader.skip(4);
    const std::uint64_t units = reader.u32();
    if (record->size() != 2 * units + 8) return std::nullopt;
    return utf16LeToUtf8(record->substr(8));
}

}  // namespace

bool isUtf8Name(std::string_view raw) {
    bool sawHigh = false;
    for (size_t i = 0; i < raw.size();) {
        const auto lead = static_cast<std::uint8_t>(raw[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        sawHigh = true;
        size_t trail;
        if (lead >= 0xC2 && lead <= 0xDF) trail = 1;
        else if (lead >= 0xE0 && lead <= 0xEF) trail = 2;
        else if (lead >= 0xF0 && lead <= 0xF4) trail = 3;
        else return false;  // C0, C1, F5-FF or a stray 80-BF
        if (i + trail >= raw.size()) return false;  // cut off at the end
        for (size_t k = 1; k <= trail; ++k) {
            const auto b = static_cast<std::uint8_t>(raw[i + k]);
            if (b < 0x80 || b > 0xBF) return false;
        }
        i += trail + 1;
    }
    return sawHigh;
}

std::string decodeEntryName(std::string_view raw, std::uint16_t flags, std::uint8_t hostByte,
                            std::string_view centralExtra, const CodePagePair& codePages) {
    if ((flags & kFlagUtf8) != 0) return platform::decodeCodePage(raw, kUtf8);
    // A Unicode Path record proven to belong to these bytes is surer than the UTF-8 guess:
    // many Big5 names (羅 is C3 B9) happen to be valid UTF-8 as well.
    if (auto name = unicodePathName(raw, centralExtra)) return *name;
    if (isUtf8Name(raw)) return platform::decodeCodePage(raw, kUtf8);
    if (auto name = nucxName(centralExtra)) return *name;
    if (codePages.ansi != codePages.oem) {
        const bool ansi = hostByte != kHostMsDos && !looksLikeOemText(raw, codePages.oem);
        return platform::decodeCodePage(raw, ansi ? codePages.ansi : codePages.oem);
    }
    return hasHighByte(raw) ? platform::decodeCodePage(raw, codePages.ansi) : std::string(raw);
}

NameEncoding chooseNameEncoding(std::string_view name, const CodePagePair& codePages) {
    NameEncoding encoding;
    const bool differ = codePages.ansi != codePages.oem;
    if (platform::representableInCodePage(name, codePages.oem)) {
        encoding.hostByte = kHostMsDos;
    } else if (differ && platform::representableInCodePage(name, codePages.ansi)) {
        encoding.hostByte = kHostNtfs;
    } else if (platform::encodableWithBestFit(name, codePages.oem)) {
        encoding.hostByte = kHostMsDos;
    } else if (!differ) {
        encoding.utf8 = true;
    } else if (platform::encodableWithBestFit(name, codePages.ansi)) {
        encoding.hostByte = kHostNtfs;
    } else {
        encoding.utf8 = true;
    }
    // A UTF-8 name is stored under the NTFS host: Info-ZIP's unzip converts the names of the
    // DOS host from the OEM code page even when bit 11 says UTF-8, and so shows them garbled.
    if (encoding.utf8) encoding.hostByte = kHostNtfs;
    encoding.bytes = encoding.utf8 ? std::string(name) : platform::encodeCodePage(name, codePages.ansi);
    return encoding;
}

void encodeEntryName(ZipEntry& entry, const CodePagePair& codePages) {
    const NameEncoding encoding = chooseNameEncoding(entry.name, codePages);
    entry.rawName = encoding.bytes;
    entry.versionMadeBy = static_cast<std::uint16_t>((encoding.hostByte << 8) | (entry.versionMadeBy & 0xFF));
    entry.flags = static_cast<std::uint16_t>(encoding.utf8 ? (entry.flags | kFlagUtf8) : (entry.flags & ~kFlagUtf8));

    std::string extra = removeExtraRecord(removeExtraRecord(entry.centralExtra, kUnicodeNameNucxExtraId), kUnicodePathExtraId);
    if (!encoding.utf8 && hasHighByte(entry.name)) {
        std::string data;
        ByteWriter writer(data);
        writer.u8(1);
        writer.u32(crcOf(entry.rawName));
        writer.bytes(entry.name);
        // The Unicode Path record goes first, ahead of a zip64 record added later.
        extra = extraRecordBytes(kUnicodePathExtraId, data) + extra;
    }
    entry.centralExtra = std::move(extra);
}

}  // namespace tessaro::archives::zip
