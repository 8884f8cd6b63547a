// Names, masks and paths: the rules that decide what an entry is called, which entries a
// mask selects and where an entry may be written.
#include "archives/zip/name_codec.h"
#include "archives/zip/name_mask.h"
#include "archives/zip/oem_look.h"
#include "archives/zip/output_path.h"
#include "archives/zip/stored_name.h"
#include "platform/code_page.h"
#include "tests/archives/zip/zip_test_support.h"

#include <gtest/gtest.h>

#include <set>

namespace tessaro::archives::zip {
namespace {

using tessaro::testing::zip::RawZip;
using tessaro::testing::zip::zlibCrc;

constexpr CodePagePair kBig5{950, 950};
constexpr CodePagePair kWestern{1252, 437};

TEST(ZipNameRules, Utf8RuleNeedsAHighByteAndCompleteSequences) {
    EXPECT_FALSE(isUtf8Name("plain.txt"));  // ASCII counts as ASCII
    EXPECT_TRUE(isUtf8Name("caf\xC3\xA9"));
    EXPECT_TRUE(isUtf8Name("\xE9\x9B\xBB.txt"));
    EXPECT_TRUE(isUtf8Name("\xF0\x9F\x98\x80"));
    EXPECT_FALSE(isUtf8Name("\xC3"));             // cut off at the end
    EXPECT_FALSE(isUtf8Name("\xC0\x80"));         // C0 never leads
    EXPECT_FALSE(isUtf8Name("\xA9"));             // a stray trail byte
    EXPECT_FALSE(isUtf8Name("\xE9\x9B" "a"));     // a lead byte followed too early by ASCII
    EXPECT_FALSE(isUtf8Name("\xF5\x80\x80\x80"));
    EXPECT_FALSE(isUtf8Name(platform::encodeCodePage("電子病歷", 950)));
}

TEST(ZipNameRules, DecodingTriesFlagUtf8UnicodePathNucxThenCodePages) {
    const std::string big5 = platform::encodeCodePage("病歷.txt", 950);
    EXPECT_EQ(decodeEntryName(big5, 0, 0, "", kBig5), "病歷.txt");
    EXPECT_EQ(decodeEntryName("caf\xC3\xA9", 0, 0, "", kBig5), "café");
    EXPECT_EQ(decodeEntryName("caf\xC3\xA9", 0x800, 0, "", kBig5), "café");

    auto unicodePath = [](std::string_view raw, std::string_view name, std::uint8_t version = 1) {
        std::string extra;
        RawZip::put16(extra, 0x7075);
        RawZip::put16(extra, static_cast<std::uint16_t>(5 + name.size()));
        extra.push_back(static_cast<char>(version));
        RawZip::put32(extra, zlibCrc(raw));
        extra += name;
        return extra;
    };
    EXPECT_EQ(decodeEntryName("a.txt", 0, 0, unicodePath("a.txt", "統一.txt"), kBig5), "統一.txt");
    EXPECT_EQ(decodeEntryName("a.txt", 0, 0, unicodePath("b.txt", "統一.txt"), kBig5), "a.txt");
    EXPECT_EQ(decodeEntryName("a.txt", 0, 0, unicodePath("a.txt", "統一.txt", 2), kBig5), "a.txt");

    std::string nucx;
    RawZip::put16(nucx, 0x554E);
    RawZip::put16(nucx, 8 + 2 * 3);
    nucx += "NUCX";
    RawZip::put32(nucx, 3);
    for (const char16_t unit : std::u16string(u"Ωk€")) RawZip::put16(nucx, unit);
    EXPECT_EQ(decodeEntryName("x", 0, 0, nucx, kBig5), "Ωk€");

    // ANSI 1252 and OEM 437 differ: a DOS host is read in OEM; another host in ANSI unless
    // the name looks like OEM text.
    EXPECT_EQ(decodeEntryName("\xE9t\xE9", 0, 0, "", kWestern), "ΘtΘ");
    EXPECT_EQ(decodeEntryName("\xE9t\xE9", 0, 11, "", kWestern), "été");
    EXPECT_EQ(decodeEntryName("\x81" "ber", 0, 11, "", kWestern), "über");
    EXPECT_EQ(decodeEntryName("plain", 0, 11, "", kWestern), "plain");
}

// The telling row for code page 437, written out independently of the table in the code.
std::set<int> byteSet(std::initializer_list<std::pair<int, int>> ranges) {
    std::set<int> set;
    for (const auto& [first, last] : ranges)
        for (int b = first; b <= last; ++b) set.insert(b);
    return set;
}

TEST(ZipNameRules, OemLookFollowsTheLetterSetsOfCodePage437) {
    const auto oem = byteSet({{0x80, 0x9A}, {0xA0, 0xA5}, {0xE0, 0xEB}, {0xED, 0xEE}});
    const auto ansi = byteSet({{0x8A, 0x8A}, {0x8C, 0x8C}, {0x8E, 0x8E}, {0x9A, 0x9A}, {0x9C, 0x9C}, {0x9E, 0x9F},
                               {0xB5, 0xB5}, {0xC0, 0xD6}, {0xD8, 0xF6}, {0xF8, 0xFF}});
    for (int b = 0x80; b <= 0xFF; ++b) {
        const std::string name(1, static_cast<char>(b));
        EXPECT_EQ(looksLikeOemText(name, 437), oem.count(b) && !ansi.count(b)) << std::hex << b;
    }
    // Every high byte must be an OEM letter; one non-ANSI letter is enough.
    EXPECT_TRUE(looksLikeOemText("\x81\xE9", 437));
    EXPECT_FALSE(looksLikeOemText("\x81\xB0", 437));
    EXPECT_FALSE(looksLikeOemText("ascii", 437));
    EXPECT_FALSE(looksLikeOemText("\x81", 950));
    EXPECT_TRUE(looksLikeOemText("\xAE", 866));   // Cyrillic о (the registered sign in 1251)
    EXPECT_FALSE(looksLikeOemText("\xC0", 866));  // a box-drawing character
}

TEST(ZipNameRules, EncodingPrefersOemThenAnsiThenUtf8) {
    auto encoding = chooseNameEncoding("電子病歷.txt", kBig5);
    EXPECT_EQ(encoding.hostByte, 0);
    EXPECT_FALSE(encoding.utf8);
    EXPECT_EQ(encoding.bytes, platform::encodeCodePage("電子病歷.txt", 950));
    encoding = chooseNameEncoding("한국어.txt", kBig5);
    EXPECT_TRUE(encoding.utf8);
    EXPECT_EQ(encoding.bytes, "한국어.txt");

    encoding = chooseNameEncoding("é.txt", kWestern);  // in 437 exactly
    EXPECT_EQ(encoding.hostByte, 0);
    EXPECT_EQ(encoding.bytes, "\xE9.txt");             // the bytes are always ANSI
    encoding = chooseNameEncoding("€.txt", kWestern);  // only in 1252
    EXPECT_EQ(encoding.hostByte, 11);
    EXPECT_FALSE(encoding.utf8);
    encoding = chooseNameEncoding("電.txt", kWestern);
    EXPECT_TRUE(encoding.utf8);

    ZipEntry entry;
    entry.name = "é.txt";
    entry.centralExtra = std::string("\x4E\x55\x00\x00", 4);  // an empty NUCX record goes
    encodeEntryName(entry, kWestern);
    EXPECT_EQ(entry.centralExtra.substr(0, 2), "\x75\x70");
    EXPECT_EQ(entry.centralExtra.size(), 4u + 5u + std::string("é.txt").size());
}

TEST(ZipNameRules, EntryMasksMatchNamesInEveryFolderWithoutCase) {
    EXPECT_TRUE(entryMatchesMask("*.*", "NODOT"));
    EXPECT_TRUE(entryMatchesMask("*.*", "sub/deep/b.txt"));
    EXPECT_TRUE(entryMatchesMask("*", "sub/"));
    EXPECT_TRUE(entryMatchesMask("*.txt", "sub/x.TXT"));
    EXPECT_FALSE(entryMatchesMask("*.txt", "x.cab"));
    EXPECT_TRUE(entryMatchesMask("sub\\*.txt", "sub/x.txt"));
    EXPECT_TRUE(entryMatchesMask("s?b/*", "SUB/x.txt"));
    EXPECT_FALSE(entryMatchesMask("sub\\*.txt", "other/x.txt"));
    EXPECT_FALSE(entryMatchesMask("sub\\*.txt", "x.txt"));
    EXPECT_TRUE(entryMatchesMask("C:\\*.txt", "x.txt"));
    EXPECT_TRUE(entryMatchesMask(" x.cab ; *.xml", "feereview.XML"));
    EXPECT_TRUE(entryMatchesMask("?.txt", "病.txt"));  // "?" is one character, not one byte
    EXPECT_FALSE(entryMatchesMask("a*b*c", "aXbY"));
    EXPECT_TRUE(entryMatchesMask("a*b*c", "aXbYbZc"));
}

TEST(ZipNameRules, StoredNamesLoseDrivesSharesRootsAndDots) {
    constexpr unsigned program = soStripDrive | soStripPath | soRemoveDots | soFreshen | soReplace;
    EXPECT_EQ(storedNameFor("C:\\Upload\\11310\\ATT.CAB", program), "ATT.CAB");
    EXPECT_EQ(storedNameFor("/opt/tessaro/Upload/doc.xml", program), "doc.xml");
    EXPECT_EQ(storedNameFor("C:\\dir\\x.cab", soStripDrive), "dir/x.cab");
    EXPECT_EQ(storedNameFor("\\\\server\\share\\d\\x", soStripDrive), "d/x");
    EXPECT_EQ(storedNameFor("/tmp/a/b.txt", soStripDrive), "tmp/a/b.txt");
    EXPECT_EQ(storedNameFor("..\\..\\x.txt", soStripDrive | soRemoveDots), "x.txt");
    EXPECT_EQ(storedNameFor("..\\..\\x.txt", soStripDrive), "../../x.txt");
}

TEST(ZipNameRules, OutputPathsStayBelowTheirStart) {
    EXPECT_EQ(confinedRelativePath("a/b\\c.txt", false), std::filesystem::path("a/b/c.txt"));
    EXPECT_EQ(confinedRelativePath("a/./b/../c.txt", false), std::filesystem::path("a/c.txt"));
    EXPECT_EQ(confinedRelativePath("dir/", false), std::filesystem::path("dir"));
    EXPECT_EQ(confinedRelativePath("a\\b\\c.txt", true), std::filesystem::path("c.txt"));
    for (const char* hostile : {"../x", "a/../../x", "..\\x", "/x", "\\x", "C:x", "C:\\x", "\\\\srv\\share\\x",
                                "a//b", "", ".", "a/.."})
        EXPECT_FALSE(confinedRelativePath(hostile, false)) << hostile;
    EXPECT_TRUE(hasInvalidPathCharacters("a|b"));
    EXPECT_TRUE(hasInvalidPathCharacters("a\"b"));
    EXPECT_TRUE(hasInvalidPathCharacters("tab\there"));
    EXPECT_FALSE(hasInvalidPathCharacters("電子 (1).txt"));
}

}  // namespace
}  // namespace tessaro::archives::zip
