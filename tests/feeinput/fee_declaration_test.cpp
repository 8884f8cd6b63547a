// The fee declaration reader: tag search, header values and the case lookup rule, on small
// declarations written the way the edge cases need them.
#include "feeinput/case_lookup.h"
#include "feeinput/declaration_header.h"
#include "feeinput/declaration_text.h"
#include "feeinput/tag_search.h"
#include "platform/code_page.h"
#include "platform/error.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>

namespace tessaro::feeinput {
namespace {

using tessaro::testing::TempDir;

DeclarationText big5(const std::string& utf8) { return DeclarationText::fromFileBytes(platform::encodeCodePage(utf8)); }

std::string block(const std::string& d1, const std::string& d2, const std::string& id, const std::string& date,
                  const std::string& name) {
    return "<ddata><dhead><d1>" + d1 + "</d1><d2>" + d2 + "</d2><d3>" + id + "</d3><d4>1</d4><d9>" + date +
           "</d9></dhead><dbody><d49>" + name + "</d49></dbody></ddata>\r\n";
}

// `text` as a UTF-16 file with its byte-order mark (characters of the basic plane only).
std::string utf16(const std::string& text, bool bigEndian) {
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : 3;
        char32_t c = length == 1 ? lead : lead & (0x7F >> length);
        for (int k = 1; k < length; ++k) c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        i += static_cast<std::size_t>(length);
        const char high = static_cast<char>(c >> 8), low = static_cast<char>(c & 0xFF);
        out += bigEndian ? high : low;
        out += bigEndian ? low : high;
    }
    return out;
}

std::optional<std::string> tagValue(std::string_view text, std::string_view tag, std::size_t from = 0) {
    const auto found = findTag(text, tag, from);
    if (!found) return std::nullopt;
    return std::string(found->in(text));
}

TEST(TagSearch, LiteralCaseSensitiveAndFromAPosition) {
    EXPECT_EQ(tagValue("x<t2>3501</t2>", "t2"), "3501");
    EXPECT_EQ(tagValue("<t2></t2>", "t2"), "");
    EXPECT_EQ(tagValue("<d49>王\r\n小明</d49>", "d49"), "王\r\n小明");  // a line break stays in the value
    EXPECT_EQ(tagValue("<T2>1</T2>", "t2"), std::nullopt);
    EXPECT_EQ(tagValue("<t2 a=\"1\">1</t2>", "t2"), std::nullopt);
    EXPECT_EQ(tagValue("< t2>1</t2>", "t2"), std::nullopt);
    EXPECT_EQ(tagValue("<t2>1", "t2"), std::nullopt);
    EXPECT_EQ(tagValue("</t2><t2>1", "t2"), std::nullopt);  // the closing tag must follow the opening one
    // The value runs to the first closing tag, even past another opening tag.
    EXPECT_EQ(tagValue("<t2>a<t2>b</t2>c</t2>", "t2"), "a<t2>b");
    // "<d4>" is not "<d49>", and a search from a position skips what lies before it.
    EXPECT_EQ(tagValue("<d4>x</d4><d49>y</d49>", "d49"), "y");
    EXPECT_EQ(tagValue("<d2>1</d2><d2>2</d2>", "d2", 1), "2");
    EXPECT_EQ(tagValue("<d2>1</d2>", "d2", 100), std::nullopt);
}

TEST(DeclarationHeader, OrderAndMissingValues) {
    auto header = readDeclarationHeader(big5("<tdata><t1>30</t1><t2>3501200000</t2><t3>11305</t3><t5>1</t5>"
                                              "<t6>1130610</t6></tdata>"));
    EXPECT_EQ(header.hospitalCode, "3501200000");
    EXPECT_EQ(header.feeYearMonth, "11305");
    EXPECT_EQ(header.declarationDate, "1130610");

    // t3 is searched from the start again; t6 only after t3.
    header = readDeclarationHeader(big5("<t3>11305</t3><t6>1130610</t6><t2>35</t2>"));
    EXPECT_EQ(header.hospitalCode, "35");
    EXPECT_EQ(header.feeYearMonth, "11305");
    EXPECT_EQ(header.declarationDate, "1130610");
    header = readDeclarationHeader(big5("<t2>35</t2><t6>1130610</t6><t3>11305</t3>"));
    EXPECT_EQ(header.feeYearMonth, "11305");
    EXPECT_EQ(header.declarationDate, std::nullopt);

    // Without t2 nothing is read; without t3 no date is read.
    header = readDeclarationHeader(big5("<t3>11305</t3><t6>1130610</t6>"));
    EXPECT_EQ(header.hospitalCode, std::nullopt);
    EXPECT_EQ(header.feeYearMonth, std::nullopt);
    header = readDeclarationHeader(big5("<t2>35</t2><t6>1130610</t6>"));
    EXPECT_EQ(header.hospitalCode, "35");
    EXPECT_EQ(header.declarationDate, std::nullopt);
    // Only the first occurrences count.
    header = readDeclarationHeader(big5("<t2>1</t2><t2>2</t2><t3>3</t3><t6>4</t6><t6>5</t6>"));
    EXPECT_EQ(header.hospitalCode, "1");
    EXPECT_EQ(header.declarationDate, "4");
}

TEST(CaseLookup, SerialComparedByValue) {
    const auto text = big5(block("04", "000123", "A123456789", "1130501", "王小明"));
    const auto found = lookupCase(text, "04", 123);
    EXPECT_TRUE(found.found());
    EXPECT_EQ(found.idNumber, "A123456789");
    EXPECT_EQ(found.visitDate, "1130501");
    EXPECT_EQ(found.name, "王小明");
    EXPECT_FALSE(lookupCase(text, "04", 12).blockFound);

    // A d2 value with a leading blank reads as its number; one with a trailing blank, or no
    // number at all, reads as 0, and so does a serial typed with a trailing blank.
    EXPECT_TRUE(lookupCase(big5(block("04", " 123", "X", "1", "N")), "04", 123).found());
    EXPECT_TRUE(lookupCase(big5(block("04", "123 ", "X", "1", "N")), "04", 0).found());
    EXPECT_TRUE(lookupCase(big5(block("04", "", "X", "1", "N")), "04", 0).found());
    EXPECT_FALSE(lookupCase(big5(block("04", "123 ", "X", "1", "N")), "04", 123).blockFound);
}

TEST(CaseLookup, CategoryMustMatchExactly) {
    for (const char* d1 : {" 04", "4", "04 ", "004"})
        EXPECT_FALSE(lookupCase(big5(block(d1, "1", "X", "1", "N")), "04", 1).blockFound) << d1;
    EXPECT_FALSE(lookupCase(big5(block("a1", "1", "X", "1", "N")), "A1", 1).blockFound);

    // Upper-case tags and tags with attributes are not found.
    EXPECT_FALSE(lookupCase(big5("<D1>04</D1><d2>1</d2><d3>X</d3><d9>1</d9><d49>N</d49>"), "04", 1).blockFound);
    EXPECT_FALSE(lookupCase(big5("<d1 t=\"x\">04</d1><d2>1</d2><d3>X</d3><d9>1</d9><d49>N</d49>"), "04", 1).blockFound);
    const auto upperD2 = lookupCase(big5("<d1>04</d1><D2>1</D2><d3>X</d3><d9>1</d9><d49>N</d49>"), "04", 1);
    EXPECT_FALSE(upperD2.blockFound);
}

TEST(CaseLookup, FirstBlockWinsAndMissingValues) {
    const auto twice = big5(block("04", "7", "FIRST", "1", "甲") + block("04", "007", "SECOND", "2", "乙"));
    EXPECT_EQ(lookupCase(twice, "04", 7).idNumber, "FIRST");

    // A matched block without d49: ID and date filled, name missing, not found.
    const auto noName = big5(block("05", "9", "C333", "1130503", "丙") +
                             "<d1>04</d1><d2>5</d2><d3>B222</d3><d9>1130502</d9></ddata>");
    auto result = lookupCase(noName, "04", 5);
    EXPECT_TRUE(result.blockFound);
    EXPECT_EQ(result.idNumber, "B222");
    EXPECT_EQ(result.visitDate, "1130502");
    EXPECT_EQ(result.name, std::nullopt);
    EXPECT_FALSE(result.found());

    // The lookup takes a later block's element where a block lacks one, and does not go on
    // to another block once the serial matched.
    result = lookupCase(big5("<d1>04</d1><d2>5</d2><d3>B222</d3><d49>早</d49>" + block("05", "9", "C333", "1130503", "丙")),
                        "04", 5);
    EXPECT_EQ(result.visitDate, "1130503");
    EXPECT_EQ(result.name, "丙");
    result = lookupCase(big5("<d1>04</d1><d3>X</d3>" + block("04", "5", "Y", "2", "乙")), "04", 5);
    EXPECT_EQ(result.idNumber, "Y");

    // A key whose d2 search fails ends the lookup.
    EXPECT_FALSE(lookupCase(big5("<d1>04</d1><d3>X</d3>"), "04", 0).blockFound);
}

TEST(CaseLookup, ValueSpanningALineBreak) {
    const auto result = lookupCase(big5(block("04", "1", "A1\r\n23", "113\n0501", "王\r\n小明")), "04", 1);
    EXPECT_EQ(result.idNumber, "A1\r\n23");
    EXPECT_EQ(result.visitDate, "113\n0501");
    EXPECT_EQ(result.name, "王\r\n小明");
}

TEST(CaseLookup, EveryEncodingGivesTheSameAnswer) {
    const std::string text = "<t2>35</t2>" + block("04", "1", "A", "1", "陳許功") + block("A1", "2", "B", "2", "許蓋功");
    // 許 and 功 end in the byte 0x5C, 蓋 in 0x7B: trail bytes that are ASCII on their own.
    const std::string bytes = platform::encodeCodePage(text);
    ASSERT_NE(bytes.find("\x5C"), std::string::npos);

    for (const std::string& file : {bytes, "\xEF\xBB\xBF" + text, utf16(text, false), utf16(text, true)}) {
        const auto declaration = DeclarationText::fromFileBytes(file);
        EXPECT_EQ(lookupCase(declaration, "04", 1).name, "陳許功");
        EXPECT_EQ(lookupCase(declaration, "A1", 2).name, "許蓋功");
        EXPECT_EQ(readDeclarationHeader(declaration).hospitalCode, "35");
    }
}

TEST(CaseLookup, NonAsciiCategoryIsSearchedInDecodedText) {
    // The trail byte of 功 (0x5C) followed by "<": a byte search for the encoded key would
    // also work here, but the category is not ASCII, so the decoded text is searched.
    const auto text = big5(block("功", "1", "X", "2", "名"));
    EXPECT_EQ(lookupCase(text, "功", 1).name, "名");
    EXPECT_FALSE(lookupCase(text, "功功", 1).blockFound);
}

TEST(DeclarationText, FileReadingErrors) {
    TempDir dir;
    EXPECT_THROW(DeclarationText::readFile((dir / "missing.xml").string()), Error);
    const auto bad = dir.write("bad.xml", "\xEF\xBB\xBF<t2>\xC3\x28</t2>");
    try {
        DeclarationText::readFile(bad.string());
        ADD_FAILURE() << "malformed UTF-8 was accepted";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "No mapping for the Unicode character exists in the target multi-byte code page");
    }
    const auto good = dir.write("good.xml", platform::encodeCodePage(block("04", "1", "X", "2", "陳")));
    EXPECT_EQ(lookupCase(DeclarationText::readFile(good.string()), "04", 1).name, "陳");
}

// A declaration of 2 GB or more is refused before anything is read or mapped (sparse files,
// so the test writes nothing).
TEST(DeclarationText, TwoGigabytesOrMoreAreRefused) {
    TempDir dir;
    const auto huge = dir.write("huge.xml", "<t2>");
    for (const std::uintmax_t size : {std::uintmax_t{1} << 31, (std::uintmax_t{1} << 31) + 4096}) {
        std::filesystem::resize_file(huge, size);
        try {
            DeclarationText::readFile(huge.string());
            ADD_FAILURE() << "a file of " << size << " bytes was read";
        } catch (const Error& e) {
            EXPECT_STREQ(e.what(), "The specified file is too long.");
        }
    }
}

}  // namespace
}  // namespace tessaro::feeinput
