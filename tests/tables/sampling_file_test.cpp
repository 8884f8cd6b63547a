// Reading the lines of the insurer's sampling files. Fixed-width lines are built as Big5
// bytes at their byte positions (Big5 codes written out by hand) and decoded, as a file's
// lines are.
#include "platform/code_page.h"
#include "tables/sampling_file.h"

#include <gtest/gtest.h>

namespace tessaro::tables {
namespace {

// Big5 bytes: 王 A4 FD, 小 A4 70 (an ASCII trail byte), 明 A9 FA.
constexpr std::string_view kWang = "\xA4\xFD";
constexpr std::string_view kXiao = "\xA4\x70";
constexpr std::string_view kMing = "\xA9\xFA";

// Puts `value` at the 1-based byte position `position` of `bytes`, growing it with blanks.
void put(std::string& bytes, std::size_t position, std::string_view value) {
    if (bytes.size() < position - 1 + value.size()) bytes.resize(position - 1 + value.size(), ' ');
    bytes.replace(position - 1, value.size(), value);
}

// A fixed-width line's bytes: the fields, the name padded to its 40 bytes, a 7-byte field,
// the visit date.
std::string fixedBytes(std::string_view name, std::string_view serial = "000123", std::string_view date = "1130501") {
    std::string bytes;
    put(bytes, 1, "1");
    put(bytes, 2, "3501200000");
    put(bytes, 12, "11305");
    put(bytes, 17, "1");
    put(bytes, 18, "1130610");
    put(bytes, 25, "04");
    put(bytes, 27, serial);
    put(bytes, 35, "A123456789");
    put(bytes, 59, name);
    if (name.size() < 40) put(bytes, 59 + name.size(), std::string(40 - name.size(), ' '));
    bytes += "GAPGAP7";
    bytes += date;
    return bytes;
}

std::string line(std::string_view bytes) { return platform::decodeCodePage(bytes); }

TEST(SamplingCsv, FieldsByNumberTrimmedAndWithoutApostrophes) {
    const auto read = readSamplingCsvLine(
        "'3501200000', 11305 ,1,'1130610',04, '0123' ,x,A123456789 ,x,x,x, 王小明 ,x,1130501,more");
    ASSERT_TRUE(read);
    EXPECT_EQ(read->hospitalCode, "3501200000");
    EXPECT_EQ(read->feeYearMonth, "11305");
    EXPECT_EQ(read->declarationType, "1");
    EXPECT_EQ(read->declarationDate, "1130610");
    EXPECT_EQ(read->category, "04");
    EXPECT_EQ(read->serial, 123);
    EXPECT_EQ(read->idNumber, "A123456789");
    EXPECT_EQ(read->name, "王小明");
    EXPECT_EQ(read->visitDate, "1130501");
    // An apostrophe inside a value goes too: it is removed before splitting.
    EXPECT_EQ(readSamplingCsvLine("a,b,c,d,04,1,x,O'Neil")->idNumber, "ONeil");
}

TEST(SamplingCsv, ShortLines) {
    EXPECT_FALSE(readSamplingCsvLine("a,b,c,d,04"));
    EXPECT_FALSE(readSamplingCsvLine(""));
    // Six to thirteen fields: the missing ones read as empty.
    const auto six = readSamplingCsvLine("a,b,c,d,04,7");
    ASSERT_TRUE(six);
    EXPECT_EQ(six->serial, 7);
    EXPECT_EQ(six->idNumber, "");
    EXPECT_EQ(six->name, "");
    EXPECT_EQ(six->visitDate, "");
    const auto twelve = readSamplingCsvLine("a,b,c,d,04,7,x,ID,x,x,x,NAME");
    EXPECT_EQ(twelve->name, "NAME");
    EXPECT_EQ(twelve->visitDate, "");
}

TEST(SamplingFixed, FieldsAtTheirBytePositions) {
    const std::string name = std::string(kWang) + std::string(kXiao) + std::string(kMing);
    const auto read = readSamplingFixedLine(line(fixedBytes(name)));
    ASSERT_TRUE(read);
    EXPECT_EQ(read->hospitalCode, "3501200000");
    EXPECT_EQ(read->feeYearMonth, "11305");
    EXPECT_EQ(read->declarationType, "1");
    EXPECT_EQ(read->declarationDate, "1130610");
    EXPECT_EQ(read->category, "04");
    EXPECT_EQ(read->serial, 123);
    EXPECT_EQ(read->idNumber, "A123456789");
    EXPECT_EQ(read->name, "王小明");
    EXPECT_EQ(read->visitDate, "1130501");
}

TEST(SamplingFixed, UntrimmedFieldsAndSerials) {
    std::string bytes = fixedBytes("NAME", "   123");
    put(bytes, 2, "35012     ");
    put(bytes, 25, "x ");
    auto read = readSamplingFixedLine(line(bytes));
    EXPECT_EQ(read->hospitalCode, "35012     ");
    EXPECT_EQ(read->category, "x ");
    EXPECT_EQ(read->serial, 123);  // leading blanks are allowed
    EXPECT_EQ(readSamplingFixedLine(line(fixedBytes("NAME", "123   ")))->serial, 0);
    EXPECT_EQ(readSamplingFixedLine(line(fixedBytes("NAME", "abcdef")))->serial, 0);
}

TEST(SamplingFixed, VisitDateScan) {
    // The name's first blank ends it: the scan goes on from there.
    std::string bytes = fixedBytes("AB");
    EXPECT_EQ(readSamplingFixedLine(line(bytes))->visitDate, "1130501");
    // A name of the whole 40 bytes runs into the next field: the scan finds no blank and
    // runs off the line's end, so there is no date.
    bytes = fixedBytes(std::string(40, 'N'));
    EXPECT_EQ(readSamplingFixedLine(line(bytes))->visitDate, "");
    EXPECT_EQ(readSamplingFixedLine(line(bytes))->name, std::string(40, 'N'));
    // A blank inside the name ends the date scan's walk over the name early, so the date is
    // taken from the wrong place; the name itself is its whole field.
    bytes = fixedBytes("AB CD");
    EXPECT_EQ(readSamplingFixedLine(line(bytes))->name, "AB CD");
    EXPECT_NE(readSamplingFixedLine(line(bytes))->visitDate, "1130501");
}

TEST(SamplingFixed, ShortLinesNeverReadPastTheirEnd) {
    const std::string full = fixedBytes("NAME");
    EXPECT_FALSE(readSamplingFixedLine(line(full.substr(0, 39))));

    // 40 bytes: the ID number is cut at the line's end, the name and date are empty.
    auto read = readSamplingFixedLine(line(full.substr(0, 40)));
    ASSERT_TRUE(read);
    EXPECT_EQ(read->serial, 123);
    EXPECT_EQ(read->idNumber, "A12345");
    EXPECT_EQ(read->name, "");
    EXPECT_EQ(read->visitDate, "");

    // The scan runs off the end inside the gap, or leaves only part of the date.
    const std::size_t dateBegin = full.size() - 7;
    EXPECT_EQ(readSamplingFixedLine(line(full.substr(0, dateBegin - 3)))->visitDate, "");
    EXPECT_EQ(readSamplingFixedLine(line(full.substr(0, dateBegin + 3)))->visitDate, "113");
    // The name runs to the line's end: no blank, no date.
    EXPECT_EQ(readSamplingFixedLine(line(full.substr(0, 62)))->visitDate, "");
    EXPECT_EQ(readSamplingFixedLine(line(full.substr(0, 62)))->name, "NAME");
    EXPECT_EQ(readSamplingFixedLine(line(full.substr(0, 60)))->name, "NA");
}

TEST(SamplingFixed, ANameCutInsideACharacterLosesTheHalf) {
    // 39 bytes of name, then a two-byte character on bytes 98 and 99: the name field ends
    // inside it. The half is left out rather than shown as a substitute character.
    std::string name;
    for (int i = 0; i < 19; ++i) name += kXiao;  // 38 bytes, each with an ASCII trail byte
    std::string bytes = fixedBytes(name + "N" + std::string(kMing));
    const auto read = readSamplingFixedLine(line(bytes));
    std::string expected;
    for (int i = 0; i < 19; ++i) expected += "小";
    EXPECT_EQ(read->name, expected + "N");

    // A character that ends exactly on byte 98 stays whole.
    bytes = fixedBytes(name + std::string(kMing));
    EXPECT_EQ(readSamplingFixedLine(line(bytes))->name, expected + "明");
}

}  // namespace
}  // namespace tessaro::tables
