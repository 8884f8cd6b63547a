// Saving the case list as a setting table and importing setting tables: rows, editors,
// lookups in the fee declaration, messages and the state each failure leaves.
#include "feeinput/case_lookup.h"
#include "feeinput/declaration_text.h"
#include "feeinput/text_fields.h"
#include "tests/workspace/import_fixture.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <random>

namespace tessaro::workspace {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

class SettingTableTest : public ImportTest {
protected:
    std::string declaration;

    void SetUp() override {
        declaration = writeDeclaration("fee.xml", {{"04", "000123", "A123456789", "1130501", "王小明"},
                                                   {"A1", "7", "B223456789", "1130502", "陳許功"},
                                                   {"04", "8", "C3", "1130503", "林"}});
    }

    // A table file of `lines`, each ended by CR LF, in Big5.
    std::filesystem::path table(const std::string& name, const std::vector<std::string>& lines) {
        std::string text;
        for (const std::string& line : lines) text += line + "\r\n";
        return dir.write(name, platform::encodeCodePage(text));
    }

    // Header boxes and chooser set as an earlier sampling-file import leaves them.
    void fillHeaderBoxes() {
        ws.panel().ChospitalCode = "old code";
        ws.panel().CINSUyyymm = "old month";
        ws.panel().CINSUupdate = "old date";
        ws.panel().CINSUtype = 2;
    }
};

// ---- Saving ------------------------------------------------------------------------------

TEST_F(SettingTableTest, SavingWritesThePathLineAndOneLinePerRow) {
    ws.panel().CXMLfile = declaration;
    ws.values().INSUyyymm = "11305";
    ws.panel().CuploadType = 1;
    ws.panel().CINSUtype = 2;
    addCase("04", "0123");
    ws.cases()[0].cells[kAttachmentCell] = "<ATT>(A)D:\\病歷.pdf";
    addCase("a1", " 7");  // its editor shows "A1": the editors are what is saved
    CaseRow undrawn;      // never drawn: its caption and serial cell are saved
    undrawn.caption = "zz";
    undrawn.cells[kSerialCell] = "5";
    ws.cases().append(undrawn);

    const auto target = dir / "saved.txt";
    port.saveAnswers.push_back(target);
    ASSERT_TRUE(runHandler(port, [&] { ws.CsaveSettingClick(); }));

    ASSERT_EQ(port.saveRequests.size(), 1u);
    const FileDialogRequest& request = port.saveRequests[0];
    EXPECT_EQ(request.filter, "設定表(*.txt)|*.txt");
    EXPECT_EQ(request.fileName, "1130524");
    EXPECT_EQ(request.defaultExtension, "txt");
    EXPECT_EQ(request.initialDir, ws.values().appPath);
    // "病歷" is AF 66 BE FA in Big5.
    EXPECT_EQ(testing::readBytes(target), declaration + "\r\n04,0123,<ATT>(A)D:\\\xAF\x66\xBE\xFA.pdf\r\nA1, 7,\r\nzz,5,\r\n");
    EXPECT_THAT(port.messages, IsEmpty());
}

TEST_F(SettingTableTest, SavingCancelledOrRefused) {
    addCase("04", "1");
    ASSERT_TRUE(runHandler(port, [&] { ws.CsaveSettingClick(); }));  // cancelled: nothing written
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);  // fee.xml
    EXPECT_EQ(port.saveRequests.back().fileName, "11");  // no fee year-month yet

    // A folder that does not exist: the standard error report, nothing else changes.
    port.saveAnswers.push_back(dir / "missing" / "t.txt");
    EXPECT_FALSE(runHandler(port, [&] { ws.CsaveSettingClick(); }));
    ASSERT_EQ(port.errors.size(), 1u);
    EXPECT_THAT(port.errors[0], HasSubstr("Cannot create file \"" + (dir / "missing" / "t.txt").string() + "\"."));
    EXPECT_EQ(ws.cases().size(), 1u);
}

TEST_F(SettingTableTest, SaveThenImportRoundTrips) {
    ws.panel().CXMLfile = declaration;
    addCase("04", "0123");
    ws.cases()[0].cells[kAttachmentCell] = "<DCF>(B)D:\\c\\DICOMDIR<ATT>(A)D:\\一.pdf(C)D:\\二.pdf<EMR>(D)d:\\e.XML";
    addCase("A1", "7");
    addCase("04", "8");
    ws.cases()[2].cells[kAttachmentCell] = "<ATT>(B)D:\\x.pdf";
    const auto target = dir / "round.txt";
    port.saveAnswers.push_back(target);
    ASSERT_TRUE(runHandler(port, [&] { ws.CsaveSettingClick(); }));

    ws.panel().CXMLfile.clear();  // the table names its declaration itself
    ASSERT_TRUE(importFile(target));
    EXPECT_EQ(ws.panel().CXMLfile, declaration);
    EXPECT_THAT(rowTexts(),
                ElementsAre("04|04|123|123|王小明|A123456789|1130501|<DCF>(B)D:\\c\\DICOMDIR<ATT>(A)D:\\一.pdf(C)D:\\二.pdf"
                            "<EMR>(D)d:\\e.XML|",
                            "A1|A1|7|7|陳許功|B223456789|1130502||", "04|04|8|8|林|C3|1130503|<ATT>(B)D:\\x.pdf|"));
    EXPECT_THAT(port.messages, ElementsAre("匯入完成"));
    // An imported row holds its case: looked up again (its serial box entered and left), it
    // keeps its record files.
    ws.D1Change(ws.cases()[2].id);
    EXPECT_EQ(ws.cases()[2].cells[kAttachmentCell], "<ATT>(B)D:\\x.pdf");
}

// Files chosen in the attachment list come back from a saved table exactly as chosen, whatever
// their names hold: a second download's "(1)", commas, quotes, blanks, "<" and ">", and
// characters Big5 cannot hold (the table is then written as UTF-8 with a byte-order mark).
TEST_F(SettingTableTest, ChosenFilesComeBackWholeFromASavedTable) {
    struct Chosen {
        std::size_t caseRow, kind;
        std::string name;
    };
    const std::vector<Chosen> chosen = {
        {0, 1, "下載 (2)/scan (1).pdf"}, {0, 1, "a,b,,c.pdf"}, {0, 1, "(1)(A.pdf"},
        {0, 0, "x) (b) (Z)/DICOMDIR"},   {0, 2, "\"q\",\"r\".xml"},
        {1, 1, "<a> >b<ATT.pdf"},        {1, 1, " lead ,\"x\".pdf"}, {1, 1, "(C"},
        {2, 1, "表 (3),😀.pdf"},         {2, 2, "𠀋(D.xml"},
    };
    ws.panel().CXMLfile = declaration;
    addCase("04", "123");
    addCase("A1", "7");
    addCase("04", "8");
    std::vector<std::vector<std::string>> expected(3);
    for (const Chosen& file : chosen) {
        ws.cases().select(file.caseRow);
        ws.CauditListClick();
        ws.CattAddClick();
        const AttachmentRowId row = ws.attachmentRowDrawn(ws.attachments().size() - 1);
        ws.chooseKind(row, file.kind);
        ws.sTypeChange(row);
        port.openAnswers.push_back(dir / file.name);
        ws.getAttfile(row);
        expected[file.caseRow].push_back(fullPath(dir / file.name));
    }
    const auto target = dir / "names.txt";
    port.saveAnswers.push_back(target);
    ASSERT_TRUE(runHandler(port, [&] { ws.CsaveSettingClick(); }));
    EXPECT_EQ(testing::readBytes(target).substr(0, 3), "\xEF\xBB\xBF");

    ASSERT_TRUE(importFile(target));
    ASSERT_EQ(ws.cases().size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        ws.cases().select(i);
        ws.CauditListClick();
        std::vector<std::string> files;
        for (std::size_t a = 0; a < ws.attachments().size(); ++a) files.push_back(ws.attachments()[a].file);
        std::sort(files.begin(), files.end());  // the list gives DCF, ATT, EMR in turn
        std::sort(expected[i].begin(), expected[i].end());
        EXPECT_EQ(files, expected[i]) << "case " << i;
    }
    EXPECT_THAT(port.messages, ElementsAre("匯入完成"));
}

// ---- Importing -----------------------------------------------------------------------------

TEST_F(SettingTableTest, ImportedRowsHaveTheirEditorsAndTheDeclarationsValues) {
    fillHeaderBoxes();
    ws.values().importfileMode = ImportFileMode::tiSMPcsv;
    addCase("01", "99");  // the old list goes
    const auto file = table("cases.txt", {declaration, "04,0123,<ATT>(A)x.pdf", "", "A1,7", "07,1", "04,0", "04,99",
                                          "a1, 7 ,<EMR>(A)y.xml", "04,8,", "x"});
    ASSERT_TRUE(importFile(file));

    EXPECT_EQ(ws.values().importfileMode, ImportFileMode::titxt);
    EXPECT_EQ(ws.panel().CXMLfile, declaration);
    EXPECT_THAT(rowTexts(), ElementsAre("04|04|123|123|王小明|A123456789|1130501|<ATT>(A)x.pdf|",
                                        "A1|A1|7|7|陳許功|B223456789|1130502||",
                                        // looked up as written: the declaration holds A1, not a1
                                        "04|04|8|8|林|C3|1130503||"));
    EXPECT_THAT(port.messages, ElementsAre("第5行案件分類錯誤", "第6行案件流水號錯誤", "第7行的案件分類04或流水號99找不到",
                                           "第8行的案件分類a1或流水號7找不到", "匯入完成"));
    // The boxes are emptied and, for a setting table, not refilled; the chooser ends on 1.
    EXPECT_EQ(ws.panel().ChospitalCode, "");
    EXPECT_EQ(ws.panel().CINSUyyymm, "");
    EXPECT_EQ(ws.panel().CINSUupdate, "");
    EXPECT_EQ(ws.panel().CINSUtype, 0u);
    // The removed rows' editors are to be hidden: the old row's, and the two not found.
    EXPECT_EQ(ws.cases().takeReleased().size(), 3u);
    // Progress goes line by line, the path line not counted.
    ASSERT_EQ(port.progress.size(), 9u);
    EXPECT_EQ(port.progress[6].current, 7u);
    EXPECT_EQ(port.progress[6].total, 9u);
    EXPECT_EQ(port.openRequests[0].filter, "設定表或健保署抽審檔(txt;csv;zip)|*.txt;*.csv;*.zip");
    EXPECT_EQ(port.openRequests[0].initialDir, ws.values().appPath);
}

TEST_F(SettingTableTest, ListDatWithoutAPathLine) {
    ws.panel().CXMLfile = declaration;
    ASSERT_TRUE(importFile(table("list.dat", {"04,123", "A1,7"})));
    EXPECT_THAT(rowTexts(), ElementsAre("04|04|123|123|王小明|A123456789|1130501||",
                                        "A1|A1|7|7|陳許功|B223456789|1130502||"));
    EXPECT_EQ(ws.panel().CXMLfile, declaration);
}

TEST_F(SettingTableTest, APathLineWithACommaIsNoCaseLine) {
    const std::string commaPath = writeDeclaration("fee,2024.xml", {{"04", "1", "I", "D", "N"}});
    ASSERT_TRUE(importFile(table("t.txt", {commaPath, "04,1"})));
    EXPECT_EQ(ws.panel().CXMLfile, commaPath);
    EXPECT_THAT(rowTexts(), ElementsAre("04|04|1|1|N|I|D||"));
    EXPECT_THAT(port.messages, ElementsAre("匯入完成"));
}

TEST_F(SettingTableTest, ACaseFoundIncompletelyIsRemoved) {
    ws.panel().CXMLfile =
        dir.write("partial.xml", "<d1>04</d1><d2>5</d2><d3>B222</d3><d9>1130502</d9><d1>04</d1><d2>6</d2>").string();
    ASSERT_TRUE(importFile(table("t.txt", {"", "04,5"})));
    EXPECT_TRUE(ws.cases().empty());
    EXPECT_THAT(port.messages, ElementsAre("第2行的案件分類04或流水號5找不到", "匯入完成"));
}

TEST_F(SettingTableTest, WithoutAnExistingDeclarationNothingIsImported) {
    const auto file = table("t.txt", {"D:\\nowhere\\fee.xml", "04,123"});
    for (const std::string& path : {std::string(), std::string(" \t"), (dir / "missing.xml").string(), dir.path().string()}) {
        SCOPED_TRACE(path);
        port.messages.clear();
        fillHeaderBoxes();
        addCase("01", "1");
        ws.panel().CXMLfile = path;
        ASSERT_TRUE(importFile(file));
        EXPECT_THAT(port.messages, ElementsAre("費用申報XML檔不正確,必須先指定檔案"));
        EXPECT_TRUE(ws.cases().empty());
        EXPECT_EQ(ws.panel().CXMLfile, path);  // line 1 names no file: the box keeps its text
        EXPECT_EQ(ws.panel().ChospitalCode, "old code");
        EXPECT_EQ(ws.panel().CINSUtype, 2u);
    }
}

TEST_F(SettingTableTest, ALineWithANulCharacterNamesNoFile) {
    ASSERT_TRUE(importFile(table("t.txt", {declaration + std::string(1, '\0') + "x", "04,123"})));
    EXPECT_EQ(ws.panel().CXMLfile, "");
    EXPECT_THAT(port.messages, ElementsAre("費用申報XML檔不正確,必須先指定檔案"));
}

TEST_F(SettingTableTest, UnreadableFilesEndTheImportWithTheErrorReport) {
    fillHeaderBoxes();
    ws.panel().CXMLfile = declaration;
    addCase("01", "1");
    // The table vanished after it was chosen.
    EXPECT_FALSE(importFile(dir / "gone.txt"));
    EXPECT_THAT(port.errors, ElementsAre(HasSubstr("Cannot open file \"" + (dir / "gone.txt").string() + "\".")));
    EXPECT_TRUE(ws.cases().empty());
    EXPECT_EQ(ws.panel().ChospitalCode, "old code");

    // A declaration that cannot be decoded: the boxes are already emptied.
    ws.panel().CXMLfile = dir.write("bad.xml", "\xEF\xBB\xBF<d1>\xC3\x28</d1>").string();
    EXPECT_FALSE(importFile(table("t.txt", {"04,1"})));
    EXPECT_EQ(port.errors.back(), "No mapping for the Unicode character exists in the target multi-byte code page.");
    EXPECT_TRUE(ws.cases().empty());
    EXPECT_EQ(ws.panel().ChospitalCode, "");
    EXPECT_THAT(port.messages, IsEmpty());
}

TEST_F(SettingTableTest, AnEmptyFileImportsNothing) {
    ws.panel().CXMLfile = declaration;
    addCase("01", "1");
    ASSERT_TRUE(importFile(dir.write("empty.txt", "")));
    EXPECT_TRUE(ws.cases().empty());
    EXPECT_THAT(port.messages, ElementsAre("匯入完成"));
    EXPECT_EQ(ws.panel().CXMLfile, declaration);
}

TEST_F(SettingTableTest, CancellingTheDialogChangesNothing) {
    fillHeaderBoxes();
    ws.values().importfileMode = ImportFileMode::tiSMPtxt;
    addCase("01", "1");
    ASSERT_TRUE(runHandler(port, [&] { ws.CimportFileClick(); }));
    EXPECT_EQ(ws.cases().size(), 1u);
    EXPECT_EQ(ws.values().importfileMode, ImportFileMode::tiSMPtxt);
    EXPECT_EQ(ws.panel().ChospitalCode, "old code");
    EXPECT_THAT(port.messages, IsEmpty());
}

// ---- One scan answers as one lookup per line ------------------------------------------------

// Random declarations (duplicate keys, blocks without some elements, serials with leading
// zeros, categories in other letter cases) and random tables: the rows of an import are
// those a lookup per line gives, line by line.
TEST_F(SettingTableTest, ImportAnswersAsOneLookupPerLine) {
    std::mt19937 random(1306);
    auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
    const std::vector<std::string> categories = {"04", "A1", "a1", "E3", "07", " 04"};
    for (int round = 0; round < 40; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        std::string text = "<tdata><t2>1</t2></tdata>";
        for (int block = pick(80); block > 0; --block) {
            text += "<d1>" + categories[static_cast<std::size_t>(pick(5))] + "</d1><d2>" +
                    std::string(static_cast<std::size_t>(pick(3)), '0') + std::to_string(pick(30)) + "</d2>";
            if (pick(10) > 0) text += "<d3>ID" + std::to_string(block) + "</d3>";
            if (pick(10) > 0) text += "<d9>D" + std::to_string(block) + "</d9>";
            if (pick(10) > 0) text += "<d49>名" + std::to_string(block) + "</d49>";
        }
        const std::string declarationPath = dir.write("random.xml", platform::encodeCodePage(text)).string();
        std::vector<std::string> lines = {declarationPath};
        for (int line = pick(40); line > 0; --line)
            lines.push_back(categories[static_cast<std::size_t>(pick(6))] + "," + std::to_string(pick(32)) + ",att" +
                            std::to_string(line));

        port.messages.clear();
        ASSERT_TRUE(importFile(table("random.txt", lines)));

        // One lookup per line, as the case list's own lookup makes it.
        const auto declarationText = feeinput::DeclarationText::readFile(declarationPath);
        std::vector<std::string> expectedRows, expectedMessages;
        for (std::size_t i = 1; i < lines.size(); ++i) {
            const auto fields = feeinput::SetDelimitedText(lines[i]);
            const std::string category = feeinput::Trim(fields[0]);
            const std::int32_t serial = feeinput::StrToIntDef(feeinput::Trim(fields[1]), 0);
            const std::string n = std::to_string(i + 1);
            if (category == "07") {
                expectedMessages.push_back("第" + n + "行案件分類錯誤");
            } else if (serial == 0) {
                expectedMessages.push_back("第" + n + "行案件流水號錯誤");
            } else if (const auto found = feeinput::lookupCase(declarationText, category, serial); found.found()) {
                const std::string editor = category == "a1" ? "A1" : category;
                expectedRows.push_back(category + "|" + editor + "|" + std::to_string(serial) + "|" +
                                       std::to_string(serial) + "|" + *found.name + "|" + *found.idNumber + "|" +
                                       *found.visitDate + "|" + feeinput::Trim(fields[2]) + "|");
            } else {
                expectedMessages.push_back("第" + n + "行的案件分類" + category + "或流水號" + std::to_string(serial) +
                                           "找不到");
            }
        }
        expectedMessages.push_back("匯入完成");
        EXPECT_EQ(rowTexts(), expectedRows);
        EXPECT_EQ(port.messages, expectedMessages);
    }
}

}  // namespace
}  // namespace tessaro::workspace
