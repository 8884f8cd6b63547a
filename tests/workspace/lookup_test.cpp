// Choosing the fee declaration file and looking cases up from the case list's editors.
#include "app/workspace/handler_boundary.h"
#include "tests/workspace/workspace_fixture.h"

#include <gmock/gmock.h>

#include <functional>
#include <new>
#include <stdexcept>

namespace tessaro::workspace {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class LookupTest : public WorkspaceTest {
protected:
    void SetUp() override {
        ws.panel().CXMLfile = writeDeclaration(
            "fee.xml", {{"04", "000123", "A123456789", "1130501", "王小明"}, {"A1", "7", "B2", "1130502", "陳許功"}});
    }

    // A drawn row whose cells all hold something, as after an earlier lookup and editing.
    CaseRowId filledCase(const std::string& category, const std::string& serial) {
        const CaseRowId id = addCase(category, serial);
        for (std::string& cell : ws.cases()[indexOf(id)].cells) cell = "old";
        return id;
    }
};

TEST_F(LookupTest, FoundCaseFillsThreeCellsAndEmptiesTheOthers) {
    const CaseRowId id = filledCase("04", "123");
    ws.D1Change(id);
    const CaseRow& r = row(0);
    EXPECT_EQ(r.cells[kNameCell], "王小明");
    EXPECT_EQ(r.cells[kIdCell], "A123456789");
    EXPECT_EQ(r.cells[kVisitDateCell], "1130501");
    for (CaseCell emptied : {kSerialCell, kAttachmentCell, kNoteCell}) EXPECT_EQ(r.cells[emptied], "") << emptied;
    EXPECT_EQ(ws.caseSerialText(0), "123");  // the editor keeps its text
    EXPECT_THAT(port.messages, IsEmpty());
}

// A lookup keeps the record files and the note while the row holds the same case: same
// category and serial number, and no other patient found under them.
TEST_F(LookupTest, RecordFilesStayWithTheCaseTheRowHolds) {
    const std::string declaration = ws.panel().CXMLfile;
    const CaseRowId id = addCase("04", "123");
    ws.D1Change(id);  // the row now holds 04/123, A123456789
    struct Step {
        const char* change;
        std::function<void()> make;
        bool keeps;
    };
    const Step steps[] = {
        {"none", [] {}, true},
        {"the same serial written \"0123\"", [&] { ws.typeSerial(id, "0123"); }, true},
        {"a declaration without the case", [&] { ws.panel().CXMLfile = writeDeclaration("none.xml", {}); }, true},
        {"another patient under the same numbers",
         [&] { ws.panel().CXMLfile = writeDeclaration("next.xml", {{"04", "123", "Z999999999", "1130601", "李"}}); }, false},
        {"another serial", [&] { ws.typeSerial(id, "7"); }, false},
        {"another category", [&] { ws.chooseCategory(id, 8); }, false},  // "A1"
    };
    for (const Step& step : steps) {
        ws.cases()[0].cells[kAttachmentCell] = "<ATT>(A)a.pdf";
        ws.cases()[0].cells[kNoteCell] = "已製";
        step.make();
        ws.D1Change(id);
        EXPECT_EQ(row(0).cells[kAttachmentCell], step.keeps ? "<ATT>(A)a.pdf" : "") << step.change;
        EXPECT_EQ(row(0).cells[kNoteCell], step.keeps ? "已製" : "") << step.change;
        ws.panel().CXMLfile = declaration;
    }
    EXPECT_EQ(row(0).cells[kNameCell], "陳許功");
}

TEST_F(LookupTest, BlankEditorsEmptyTheCellsWithoutAMessage) {
    const CaseRowId noCategory = filledCase("", "123");
    const CaseRowId blankSerial = filledCase("04", " \t");
    ws.D1Change(noCategory);
    ws.D1Change(blankSerial);
    for (std::size_t i = 0; i < 2; ++i)
        for (const std::string& cell : row(i).cells) EXPECT_EQ(cell, "");
    EXPECT_THAT(port.messages, IsEmpty());

    // With no declaration named, nothing happens at all.
    const CaseRowId untouched = filledCase("04", "123");
    ws.panel().CXMLfile.clear();
    ws.D1Change(untouched);
    EXPECT_EQ(row(2).cells[kNoteCell], "old");
}

TEST_F(LookupTest, SerialTextAsTyped) {
    const CaseRowId leading = addCase("04", " 123");
    ws.D1Change(leading);
    EXPECT_EQ(row(0).cells[kNameCell], "王小明");

    // A trailing blank makes the serial 0; the message shows the text as typed and the
    // category trimmed.
    const CaseRowId trailing = addCase("04", "123 ");
    ws.D1Change(trailing);
    EXPECT_EQ(row(1).cells[kNameCell], "");
    EXPECT_THAT(port.messages, ElementsAre("案件分類04或流水號123 找不到"));
}

TEST_F(LookupTest, EnterThenLeavingLooksUpTwice) {
    const CaseRowId id = addCase("04", "999");
    EXPECT_EQ(ws.SNnoKeyPress(id, u'9'), u'9');  // any other key only edits the text
    EXPECT_THAT(port.messages, IsEmpty());
    EXPECT_EQ(ws.SNnoKeyPress(id, 13), 13);
    ws.D1Change(id);  // the serial editor loses the focus
    EXPECT_THAT(port.messages, ElementsAre("案件分類04或流水號999找不到", "案件分類04或流水號999找不到"));
}

TEST_F(LookupTest, BlockWithoutNameFillsIdAndDateAndReportsNotFound) {
    ws.panel().CXMLfile =
        dir.write("noname.xml", platform::encodeCodePage("<d1>04</d1><d2>5</d2><d3>B222</d3><d9>1130502</d9>")).string();
    ws.D1Change(addCase("04", "5"));
    EXPECT_EQ(row(0).cells[kIdCell], "B222");
    EXPECT_EQ(row(0).cells[kVisitDateCell], "1130502");
    EXPECT_EQ(row(0).cells[kNameCell], "");
    EXPECT_THAT(port.messages, ElementsAre("案件分類04或流水號5找不到"));
}

TEST_F(LookupTest, EveryLookupReadsTheFileNamedAtThatMoment) {
    const CaseRowId id = addCase("04", "123");
    ws.panel().CXMLfile = writeDeclaration("other.xml", {{"04", "123", "OTHER", "1", "李四"}});  // typed into the box
    ws.D1Change(id);
    EXPECT_EQ(row(0).cells[kIdCell], "OTHER");

    writeDeclaration("other.xml", {{"04", "123", "EDITED", "1", "李四"}});  // changed on disk
    ws.D1Change(id);
    EXPECT_EQ(row(0).cells[kIdCell], "EDITED");
}

TEST_F(LookupTest, UnreadableFileIsReportedAfterTheCellsWereEmptied) {
    const CaseRowId id = filledCase("04", "123");
    ws.panel().CXMLfile = (dir / "gone.xml").string();
    EXPECT_FALSE(runHandler(port, [&] { ws.D1Change(id); }));
    EXPECT_THAT(port.errors, ElementsAre("The specified file was not found."));
    EXPECT_EQ(row(0).cells[kNoteCell], "");
    EXPECT_TRUE(runHandler(port, [] {}));
}

TEST(HandlerBoundary, ReportsEveryExceptionAndLetsTheProgramGoOn) {
    testing::RecordingPort port;
    EXPECT_FALSE(runHandler(port, [] { throw std::runtime_error("code page decoding failed"); }));
    EXPECT_FALSE(runHandler(port, [] { throw std::bad_alloc(); }));
    EXPECT_FALSE(runHandler(port, [] { throw 42; }));
    ASSERT_EQ(port.errors.size(), 3u);
    EXPECT_EQ(port.errors[0], "code page decoding failed.");
    EXPECT_EQ(port.errors[1], std::string(std::bad_alloc().what()) + ".");
    EXPECT_EQ(port.errors[2], std::string(kUnknownErrorText) + ".");
}

class OpenDeclarationTest : public WorkspaceTest {
protected:
    std::string file(const std::string& name, const std::string& header) {
        return dir.write(name, platform::encodeCodePage(declarationText({}, header))).string();
    }
    void open(const std::string& path) {
        port.openAnswers.push_back(std::filesystem::path(path));
        ws.CopenXMLfileClick();
    }
};

TEST_F(OpenDeclarationTest, HeaderValuesFillTheBoxes) {
    open(file("a.xml", "<t2>3501200000</t2><t3>11305</t3><t6>1130610</t6>"));
    ASSERT_EQ(port.openRequests.size(), 1u);
    EXPECT_EQ(port.openRequests[0].filter, "費用申報檔(*.XML)|*.XML");
    EXPECT_EQ(ws.panel().CXMLfile, (dir / "a.xml").string());
    EXPECT_EQ(ws.panel().ChospitalCode, "3501200000");
    EXPECT_EQ(ws.panel().CINSUyyymm, "11305");
    EXPECT_EQ(ws.panel().CINSUupdate, "1130610");
    EXPECT_EQ(ws.values().INSUyyymm, "11305");
    EXPECT_EQ(ws.values().INSUupdate, "1130610");

    // t6 before t3: the date is not taken and the box keeps the previous file's date.
    open(file("b.xml", "<t2>99</t2><t6>1120101</t6><t3>11212</t3>"));
    EXPECT_EQ(ws.panel().ChospitalCode, "99");
    EXPECT_EQ(ws.panel().CINSUyyymm, "11212");
    EXPECT_EQ(ws.panel().CINSUupdate, "1130610");
    EXPECT_EQ(ws.values().INSUyyymm, "11212");
    EXPECT_EQ(ws.values().INSUupdate, "");

    // No t2: nothing is shown, the program-wide values stay empty.
    open(file("c.xml", "<t3>11101</t3><t6>1110101</t6>"));
    EXPECT_EQ(ws.panel().ChospitalCode, "99");
    EXPECT_EQ(ws.panel().CINSUyyymm, "11212");
    EXPECT_EQ(ws.values().INSUyyymm, "");
    EXPECT_EQ(ws.panel().CXMLfile, (dir / "c.xml").string());
    EXPECT_THAT(port.messages, IsEmpty());
}

TEST_F(OpenDeclarationTest, CancellingEmptiesThePathButKeepsTheBoxes) {
    open(file("a.xml", "<t2>35</t2><t3>11305</t3><t6>1130610</t6>"));
    ws.CopenXMLfileClick();  // the recording port cancels
    EXPECT_EQ(ws.panel().CXMLfile, "");
    EXPECT_EQ(ws.panel().ChospitalCode, "35");
    EXPECT_EQ(ws.panel().CINSUupdate, "1130610");
    EXPECT_EQ(ws.values().INSUyyymm, "");
    EXPECT_EQ(ws.values().INSUupdate, "");
    ws.CaddClick();
    EXPECT_THAT(port.messages, ElementsAre("必須先指定費用申報檔"));
    EXPECT_THAT(port.errors, IsEmpty());
}

TEST_F(OpenDeclarationTest, UnreadableFileKeepsItsPath) {
    const std::string bad = dir.write("bad.xml", "\xEF\xBB\xBF<t2>\xC3\x28</t2>").string();
    EXPECT_FALSE(runHandler(port, [&] { open(bad); }));
    EXPECT_THAT(port.errors,
                ElementsAre("No mapping for the Unicode character exists in the target multi-byte code page."));
    EXPECT_EQ(ws.panel().CXMLfile, bad);
}

TEST_F(OpenDeclarationTest, Utf16Declaration) {
    // A UTF-16 little-endian declaration with its mark.
    std::string bytes = "\xFF\xFE";
    for (char16_t c : std::u16string(u"<t2>醫</t2><t3>11305</t3><t6>1130610</t6>"
                                     u"<d1>04</d1><d2>1</d2><d3>X1</d3><d9>1130501</d9><d49>陳許功</d49>")) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    open(dir.write("u16.xml", bytes).string());
    EXPECT_EQ(ws.panel().ChospitalCode, "醫");
    EXPECT_EQ(ws.panel().CINSUupdate, "1130610");
    ws.D1Change(addCase("04", "1"));
    EXPECT_EQ(row(0).cells[kNameCell], "陳許功");
}

}  // namespace
}  // namespace tessaro::workspace
