// The per-line rules of each import format: which lines give cases, which give messages,
// and the one rule that carries from line to line (the declaration category).
#include "tables/import_rules.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace tessaro::tables {
namespace {

const std::vector<std::string> kCodes = {"01", "02", "03", "04", "05", "06", "08", "09", "A1", "A2", "A3", "A5", "A6",
                                         "A7", "B1", "B6", "B7", "B9", "BA", "C1", "D1", "D2", "DF", "E1", "E2", "E3"};

// What a run of lines gives, one short text per line: "case <category>/<serial>",
// "message <text>", "case+message", or "-" for nothing.
std::vector<std::string> judgeAll(ImportRules& rules, const std::vector<std::string>& lines) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const LineResult result = rules.judge(i + 1, lines[i]);
        std::string text;
        if (result.message) text += "message " + *result.message;
        if (result.importedCase)
            text += "case " + result.importedCase->category + "/" + std::to_string(result.importedCase->serial);
        out.push_back(text.empty() ? "-" : text);
    }
    return out;
}

std::string csvLine(std::string category, std::string serial, std::string type = "1") {
    return "3501200000,11305," + type + ",1130610," + category + "," + serial + ",x,A1,x,x,x,王,x,1130501";
}

std::string fixedLine(std::string category, std::string serial, char type = '1') {
    std::string line = "1" "3501200000" "11305" "1" "1130610" + category + serial + "  A123456789";
    line[16] = type;
    return line + std::string(20, ' ');
}

TEST(ImportRules, SettingTableLines) {
    ImportRules rules(LineFormat::settingTable, kCodes);
    EXPECT_THAT(judgeAll(rules, {"D:\\fee.xml", "04,123,<ATT>(A)x.pdf", "", "07,1", "04,0", "04,abc", "a1, 0123",
                                 "04"}),
                ::testing::ElementsAre("-", "case 04/123", "-", "message 第4行案件分類錯誤", "message 第5行案件流水號錯誤",
                                       "message 第6行案件流水號錯誤", "case a1/123", "-"));
    // The category is kept as written; its editor matches it without regard to case.
    EXPECT_EQ(rules.judge(1, "a1,5").importedCase->category, "a1");
    EXPECT_EQ(rules.judge(1, "04,5,<ATT>(A)x.pdf").importedCase->attachments, "<ATT>(A)x.pdf");
    EXPECT_FALSE(rules.judge(1, "04,5").header);
    EXPECT_EQ(rules.declarationType(), "");
}

TEST(ImportRules, CsvHeadingLineIsSkippedSilently) {
    ImportRules rules(LineFormat::samplingCsv, kCodes);
    EXPECT_THAT(judgeAll(rules, {"院所,費用年月,申報類別,申報日期,案件分類,流水號,x,身分證,x,x,x,姓名,x,就醫日期",
                                 csvLine("XX", "1"), csvLine("04", "0"), csvLine("04", "12"), "a,b,c"}),
                ::testing::ElementsAre("-", "message 第2行案件分類錯誤", "message 第3行案件流水號錯誤", "case 04/12",
                                       "-"));
    // A line 1 with a listed category but serial 0 is a heading too.
    ImportRules second(LineFormat::samplingCsv, kCodes);
    EXPECT_THAT(judgeAll(second, {csvLine("04", "x")}), ::testing::ElementsAre("-"));
}

TEST(ImportRules, SamplingLinesCarryTheHeaderAndTheirPatientData) {
    ImportRules rules(LineFormat::samplingCsv, kCodes);
    const LineResult result = rules.judge(1, csvLine("a1", "0123"));
    ASSERT_TRUE(result.header);
    EXPECT_EQ(result.header->hospitalCode, "3501200000");
    EXPECT_EQ(result.header->feeYearMonth, "11305");
    EXPECT_EQ(result.header->declarationDate, "1130610");
    EXPECT_EQ(result.importedCase->category, "a1");
    EXPECT_EQ(result.importedCase->serial, 123);
    EXPECT_EQ(result.importedCase->idNumber, "A1");
    EXPECT_EQ(result.importedCase->name, "王");
    EXPECT_EQ(result.importedCase->visitDate, "1130501");
    EXPECT_EQ(result.importedCase->attachments, "");
    // A line refused for its category or serial offers no header.
    EXPECT_FALSE(rules.judge(2, csvLine("XX", "1")).header);
}

TEST(ImportRules, ADeclarationCategoryOtherThanTheFirstCasesIsRefused) {
    ImportRules rules(LineFormat::samplingCsv, kCodes);
    EXPECT_THAT(judgeAll(rules, {csvLine("04", "1"), csvLine("04", "2"), csvLine("XX", "3", "2"), csvLine("04", "4"),
                                 csvLine("04", "5", "2"), csvLine("04", "6", " 1 ")}),
                ::testing::ElementsAre("case 04/1", "case 04/2", "message 第3行案件分類錯誤", "case 04/4",
                                       "message 第5行案件申報類別與前列不同,請分開處理", "case 04/6"));
    EXPECT_EQ(rules.declarationType(), "1");
    // The refused line still offers its header values (taken while the box is empty).
    EXPECT_TRUE(rules.judge(7, csvLine("04", "7", "4")).header);
}

TEST(ImportRules, FixedWidthLinesHaveNoCategoryCheckAndNoHeading) {
    ImportRules rules(LineFormat::samplingFixed, kCodes);
    EXPECT_THAT(judgeAll(rules, {fixedLine("04", "000000"), fixedLine("zz", "000007"), "short",
                                 fixedLine("04", "000008", '2'), fixedLine("04", "123   ")}),
                ::testing::ElementsAre("message 第1行案件流水號錯誤", "case zz/7", "-",
                                       "message 第4行案件申報類別與前列不同,請分開處理", "message 第5行案件流水號錯誤"));
    EXPECT_EQ(rules.declarationType(), "1");
}

TEST(ImportRules, DeclarationCategoryChooserItem) {
    EXPECT_EQ(declarationTypeItem(""), 0u);
    EXPECT_EQ(declarationTypeItem("x"), 0u);
    EXPECT_EQ(declarationTypeItem("1"), 0u);
    EXPECT_EQ(declarationTypeItem("2"), 1u);
    EXPECT_EQ(declarationTypeItem("4"), 2u);
    EXPECT_EQ(declarationTypeItem("5"), 3u);
    EXPECT_EQ(declarationTypeItem(" 5"), 3u);  // leading blanks are read over
    EXPECT_EQ(declarationTypeItem("5 "), 0u);  // a trailing blank makes it no number
    // Codes no item stands for: the first item, as for no code at all.
    EXPECT_EQ(declarationTypeItem("3"), 0u);
    EXPECT_EQ(declarationTypeItem("0"), 0u);
    EXPECT_EQ(declarationTypeItem("42"), 0u);
}

}  // namespace
}  // namespace tessaro::tables
