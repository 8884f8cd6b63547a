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

// The workspace's import tests go through each format line by line; these pin what only
// line 1 differs in: a comma-separated file may open with a heading, a fixed-width one not.
TEST(ImportRules, OnlyACommaSeparatedFileHasAHeadingLine) {
    ImportRules csv(LineFormat::samplingCsv, kCodes);
    EXPECT_THAT(judgeAll(csv, {csvLine("04", "x"), csvLine("04", "x")}),
                ::testing::ElementsAre("-", "message 第2行案件流水號錯誤"));
    EXPECT_EQ(csv.declarationType(), "");  // a heading sets no declaration category

    ImportRules fixed(LineFormat::samplingFixed, kCodes);
    EXPECT_THAT(judgeAll(fixed, {fixedLine("04", "000000"), fixedLine("zz", "000007", '4')}),
                ::testing::ElementsAre("message 第1行案件流水號錯誤", "case zz/7"));
    EXPECT_EQ(fixed.declarationType(), "4");

    // A setting table has no heading either, and no declaration category.
    ImportRules table(LineFormat::settingTable, kCodes);
    EXPECT_THAT(judgeAll(table, {"07,1", "a1,0123"}), ::testing::ElementsAre("message 第1行案件分類錯誤", "case a1/123"));
    EXPECT_EQ(table.declarationType(), "");
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
