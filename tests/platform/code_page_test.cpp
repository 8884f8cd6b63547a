// Code page 950 conversions, checked against byte strings produced by Python's cp950 codec.
#include "platform/code_page.h"

#include <gtest/gtest.h>

namespace tessaro::platform {
namespace {

struct Big5Sample {
    const char* text;
    const char* bytes;
};

// Patient names and window captions with their cp950 bytes as Python encodes them.
const Big5Sample kSamples[] = {
    {"陳小明", "\xb3\xaf\xa4\x70\xa9\xfa"},
    {"電子病歷抽審檔案製作", "\xb9\x71\xa4\x6c\xaf\x66\xbe\xfa\xa9\xe2\xbc\x66\xc0\xc9\xae\xd7\xbb\x73\xa7\x40"},
    {"已製", "\xa4\x77\xbb\x73"},
    {"費用申報XML檔", "\xb6\x4f\xa5\xce\xa5\xd3\xb3\xf8XML\xc0\xc9"},
    {"€", "\xa3\xe1"},  // a Microsoft addition to Big5
    {"碁銹", "\xf9\xd6\xf9\xd7"},
};

TEST(CodePage950, RoundTripsTraditionalChineseText) {
    for (const auto& sample : kSamples) {
        EXPECT_EQ(encodeCodePage(sample.text), sample.bytes) << sample.text;
        EXPECT_EQ(decodeCodePage(sample.bytes), sample.text) << sample.text;
        EXPECT_TRUE(representableInCodePage(sample.text)) << sample.text;
    }
}

TEST(CodePage950, UndefinedBytesBecomeOneSubstituteAndKeepFollowingAscii) {
    // A lead byte followed by a byte that cannot be a trail byte: the ASCII byte survives.
    EXPECT_EQ(decodeCodePage("\xa4\r\nA"), "\uFFFD\r\nA");
    EXPECT_EQ(decodeCodePage("\xa4" "0"), "\uFFFD0");
    EXPECT_EQ(decodeCodePage("x\xa4"), "x\uFFFD");  // cut off at the end
    // A whole undefined two-byte code is one substitute, not two.
    EXPECT_EQ(decodeCodePage("\xa3\xfe\xa3\xfe" "B"), "\uFFFD\uFFFD" "B");
    // Microsoft's table maps the lone byte FF to a private-use character, as Windows does.
    EXPECT_EQ(decodeCodePage("\xff" "A"), "\uF8F8" "A");
}

TEST(CodePage950, CharactersOutsideBig5BecomeQuestionMarks) {
    EXPECT_EQ(encodeCodePage("a한b"), "a?b");  // Hangul has no equivalent
    EXPECT_EQ(encodeCodePage("😀"), "?");      // one mark per character, not per UTF-16 unit
    EXPECT_FALSE(representableInCodePage("한"));
    EXPECT_FALSE(representableInCodePage("😀"));
}

TEST(CodePage950, MalformedUtf8InputEncodesAsQuestionMark) { EXPECT_EQ(encodeCodePage("a\xc3(b"), "a?(b"); }

TEST(CodePage950, AsciiPassesThrough) {
    std::string ascii;
    for (int c = 0; c < 0x80; ++c) ascii += static_cast<char>(c);
    EXPECT_EQ(decodeCodePage(ascii), ascii);
    EXPECT_EQ(encodeCodePage(ascii), ascii);
}

// Conversions go through the converter in pieces of 64 KiB; texts of several pieces, with
// characters and undefined sequences across every piece boundary, convert as short ones do.
std::string repeated(std::string_view unit, size_t times) {
    std::string out;
    for (size_t i = 0; i < times; ++i) out += unit;
    return out;
}

TEST(LongTexts, ConvertAcrossPieceBoundariesAsShortOnesDo) {
    constexpr size_t kTimes = 40000;  // about 240 KB of Big5, four pieces and more
    for (const std::string prefix : {"", "a"}) {
        SCOPED_TRACE("prefix of " + std::to_string(prefix.size()) + " bytes");
        const std::string big5 = prefix + repeated("\xb3\xaf\xa4\x70\xa9\xfa", kTimes);
        const std::string text = prefix + repeated("陳小明", kTimes);
        EXPECT_TRUE(decodeCodePage(big5) == text);
        EXPECT_TRUE(encodeCodePage(text) == big5);
        // A lead byte before a byte that cannot trail it: one substitute, the byte kept.
        const std::string cutOff = prefix + repeated("\xa4" "0", 3 * kTimes);
        EXPECT_TRUE(decodeCodePage(cutOff) == prefix + repeated("\uFFFD" "0", 3 * kTimes));
    }
    for (const std::string prefix : {"", "a", "ab", "abc"}) {
        SCOPED_TRACE("prefix of " + std::to_string(prefix.size()) + " bytes");
        const std::string smiles = prefix + repeated("😀", 2 * kTimes);  // four UTF-8 bytes, two UTF-16 units
        EXPECT_TRUE(decodeCodePage(smiles, 65001) == smiles);
        EXPECT_TRUE(encodeCodePage(smiles, 65001) == smiles);
        EXPECT_TRUE(encodeCodePage(smiles) == prefix + repeated("?", 2 * kTimes));  // one mark per character
    }
}

TEST(OtherCodePages, WesternAndOemPagesDiffer) {
    EXPECT_EQ(decodeCodePage("\xe9", 1252), "é");
    EXPECT_EQ(decodeCodePage("\x82", 437), "é");
    EXPECT_EQ(encodeCodePage("é", 437), "\x82");
    EXPECT_TRUE(isDoubleByteCodePage(950));
    EXPECT_FALSE(isDoubleByteCodePage(1252));
}

}  // namespace
}  // namespace tessaro::platform
