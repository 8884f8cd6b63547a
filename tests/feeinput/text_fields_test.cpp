#include "feeinput/text_fields.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>

namespace tessaro::feeinput {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(SetDelimitedText, CommaFields) {
    EXPECT_THAT(SetDelimitedText(""), IsEmpty());
    EXPECT_THAT(SetDelimitedText(",a,"), ElementsAre("", "a", ""));
    EXPECT_THAT(SetDelimitedText(" a , b"), ElementsAre(" a ", " b"));
    EXPECT_THAT(SetDelimitedText(",,"), ElementsAre("", "", ""));
    EXPECT_THAT(SetDelimitedText(","), ElementsAre("", ""));
    EXPECT_THAT(SetDelimitedText("a"), ElementsAre("a"));
    EXPECT_THAT(SetDelimitedText("\tA1,\x01"), ElementsAre("\tA1", "\x01"));
}

TEST(SetDelimitedText, Quoting) {
    EXPECT_THAT(SetDelimitedText("\"a,b\",c"), ElementsAre("a,b", "c"));
    EXPECT_THAT(SetDelimitedText("\"say \"\"hi\"\"\",x"), ElementsAre("say \"hi\"", "x"));
    EXPECT_THAT(SetDelimitedText("\"open, never closed"), ElementsAre("open, never closed"));
    EXPECT_THAT(SetDelimitedText("\"a\"b,c"), ElementsAre("a", "b", "c"));  // text after the quote
    EXPECT_THAT(SetDelimitedText("\"a\","), ElementsAre("a", ""));
    EXPECT_THAT(SetDelimitedText("\"\""), ElementsAre(""));
    EXPECT_THAT(SetDelimitedText("a\"b\",c"), ElementsAre("a\"b\"", "c"));  // quote inside a field is text
    EXPECT_THAT(SetDelimitedText("\"陳,小明\",A1"), ElementsAre("陳,小明", "A1"));
}

TEST(SetDelimitedText, ParenthesisDelimiter) {
    EXPECT_THAT(SetDelimitedText("(A)x.pdf(B)y.pdf", '('), ElementsAre("", "A)x.pdf", "B)y.pdf"));
    EXPECT_THAT(SetDelimitedText("(A)x.pdf(", '('), ElementsAre("", "A)x.pdf", ""));
    EXPECT_THAT(SetDelimitedText("(A)\"q(x\".pdf", '('), ElementsAre("", "A)\"q", "x\".pdf"));
}

TEST(Trim, RemovesControlCharactersAndBlanksAtBothEnds) {
    EXPECT_EQ(Trim(" \t\r\n a b \x01\x1f"), "a b");
    EXPECT_EQ(Trim("   "), "");
    EXPECT_EQ(Trim("陳 小明\x7f"), "陳 小明\x7f");  // DEL is above U+0020
    EXPECT_EQ(Trim("\u3000x\u3000"), "\u3000x\u3000");  // ideographic space is not trimmed
}

TEST(StrToIntDef, DecimalForms) {
    EXPECT_EQ(StrToIntDef("000123", -1), 123);
    EXPECT_EQ(StrToIntDef(" 5", -1), 5);
    EXPECT_EQ(StrToIntDef("5 ", -1), -1);
    EXPECT_EQ(StrToIntDef("", -1), -1);
    EXPECT_EQ(StrToIntDef("   ", -1), -1);
    EXPECT_EQ(StrToIntDef("+7", -1), 7);
    EXPECT_EQ(StrToIntDef("-0", -1), 0);
    EXPECT_EQ(StrToIntDef("- 7", -1), -1);
    EXPECT_EQ(StrToIntDef("\t7", -1), -1);  // only U+0020 is skipped
    EXPECT_EQ(StrToIntDef("1.0", -1), -1);
    EXPECT_EQ(StrToIntDef("+", -1), -1);
}

TEST(StrToIntDef, ThirtyTwoBitBounds) {
    EXPECT_EQ(StrToIntDef("2147483647", 0), INT32_MAX);
    EXPECT_EQ(StrToIntDef("2147483648", 0), 0);
    EXPECT_EQ(StrToIntDef("-2147483648", 0), INT32_MIN);
    EXPECT_EQ(StrToIntDef("-2147483649", 0), 0);
    EXPECT_EQ(StrToIntDef("99999999999999999999999", 0), 0);
    EXPECT_EQ(StrToIntDef("0000000000000000000000042", 0), 42);
}

TEST(StrToIntDef, HexForms) {
    EXPECT_EQ(StrToIntDef("$1F", -1), 31);
    EXPECT_EQ(StrToIntDef("x1f", -1), 31);
    EXPECT_EQ(StrToIntDef("X10", -1), 16);
    EXPECT_EQ(StrToIntDef("0x7FFFFFFF", -1), INT32_MAX);
    EXPECT_EQ(StrToIntDef("0X80000000", -1), -1);
    EXPECT_EQ(StrToIntDef("-$80000000", 0), INT32_MIN);
    EXPECT_EQ(StrToIntDef("$", -1), -1);
    EXPECT_EQ(StrToIntDef("0x", -1), -1);
    EXPECT_EQ(StrToIntDef("$G", -1), -1);
    EXPECT_EQ(StrToIntDef("1F", -1), -1);
}

TEST(AnsiByteView, CutsByBig5BytePositions) {
    const std::string line = "A1陳小明0012";  // A1 = 2 bytes, each name character 2 bytes
    EXPECT_EQ(ansiByteField(line, 1, 2), "A1");
    EXPECT_EQ(ansiByteField(line, 3, 6), "陳小明");
    EXPECT_EQ(ansiByteField(line, 9, 4), "0012");
    EXPECT_EQ(ansiByteField(line, 9, 100), "0012");
    EXPECT_EQ(ansiByteField(line, 100, 2), "");
    // A cut through a two-byte character decodes that half to the substitute character.
    EXPECT_EQ(ansiByteField(line, 4, 1), "\uFFFD");
    EXPECT_EQ(ansiByteField(line, 3, 3), "陳\uFFFD");
}

}  // namespace
}  // namespace tessaro::feeinput
