// The case list: adding and deleting rows, the records of their editors and how editors
// stay with their rows.
#include "tests/workspace/workspace_fixture.h"

#include <gmock/gmock.h>

namespace tessaro::workspace {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST_F(WorkspaceTest, StartUpValues) {
    EXPECT_EQ(ws.values().appPath.back(), std::filesystem::path::preferred_separator);
    EXPECT_EQ(ws.values().D1strings.size(), 26u);
    EXPECT_EQ(ws.values().importfileMode, ImportFileMode::titxt);
}

TEST_F(WorkspaceTest, AddingNeedsADeclarationPath) {
    ws.CaddClick();
    EXPECT_THAT(port.messages, ElementsAre("必須先指定費用申報檔"));
    EXPECT_TRUE(ws.cases().empty());

    ws.panel().CXMLfile = " ";  // blanks count as text
    ws.CaddClick();
    ASSERT_EQ(ws.cases().size(), 1u);
    EXPECT_EQ(port.messages.size(), 1u);
    const CaseRow& added = row(0);
    EXPECT_TRUE(added.caption.empty());
    for (const std::string& cell : added.cells) EXPECT_TRUE(cell.empty());
    EXPECT_FALSE(added.record);
}

TEST_F(WorkspaceTest, AddingTwiceAfterTheThirdRow) {
    ws.panel().CXMLfile = "x";
    for (const char* code : {"01", "02", "03", "04"}) addCase(code, "1");
    ws.cases().select(2);
    ws.CaddClick();
    const CaseRowId first = ws.cases()[3].id;
    ws.CaddClick();
    const CaseRowId second = ws.cases()[3].id;
    // Both go right after the still-selected third row: the second one above the first.
    ASSERT_EQ(ws.cases().size(), 6u);
    EXPECT_EQ(indexOf(second), 3u);
    EXPECT_EQ(indexOf(first), 4u);
    EXPECT_EQ(row(5).caption, "04");
    EXPECT_EQ(ws.cases().selected(), 2u);

    // Without a selection a new row goes to the end.
    ws.cases().select(std::nullopt);
    ws.CaddClick();
    EXPECT_TRUE(row(6).caption.empty());
    EXPECT_EQ(row(5).caption, "04");
}

TEST_F(WorkspaceTest, DeletingRows) {
    const CaseRowId a = addCase("01", "1");
    const CaseRowId b = addCase("02", "2");
    ws.CdelClick();  // nothing selected: nothing happens, no message
    EXPECT_EQ(ws.cases().size(), 2u);
    EXPECT_THAT(port.messages, IsEmpty());
    EXPECT_THAT(ws.cases().takeReleased(), IsEmpty());

    // The attachment list goes with the deleted case.
    ws.cases()[0].cells[kAttachmentCell] = "<ATT>(A)a.pdf";
    ws.cases().select(0);
    ws.CauditListClick();
    ws.CdelClick();
    ASSERT_EQ(ws.cases().size(), 1u);
    EXPECT_EQ(row(0).id, b);
    EXPECT_THAT(ws.cases().takeReleased(), ElementsAre(a));
    EXPECT_FALSE(ws.cases().selected());
    EXPECT_TRUE(ws.attachments().empty());

    // A released editor acts on nothing any more.
    ws.panel().CXMLfile = writeDeclaration("d.xml", {});
    ws.D1Change(a);
    EXPECT_THAT(port.messages, IsEmpty());
}

TEST_F(WorkspaceTest, EditorsKeepActingOnTheirOwnRowsAfterADeletion) {
    std::vector<DeclaredCase> declared;
    std::vector<CaseRowId> ids;
    for (int n = 1; n <= 5; ++n) {
        declared.push_back({"0" + std::to_string(n), std::to_string(n), "ID" + std::to_string(n), "1130501", "名"});
        ids.push_back(addCase("0" + std::to_string(n), std::to_string(n)));
    }
    ws.panel().CXMLfile = writeDeclaration("d.xml", declared);
    ws.cases().select(1);
    ws.CdelClick();
    EXPECT_THAT(ws.cases().takeReleased(), ElementsAre(ids[1]));

    // The former fifth row's category editor now acts on row 4, and only on it.
    ws.chooseCategory(ids[4], 3);  // "04"
    ws.D1Change(ids[4]);
    EXPECT_EQ(indexOf(ids[4]), 3u);
    EXPECT_THAT(port.messages, ElementsAre("案件分類04或流水號5找不到"));
    ws.chooseCategory(ids[4], 4);  // back to "05"
    ws.D1Change(ids[4]);
    EXPECT_EQ(row(3).cells[kIdCell], "ID5");
    for (std::size_t i = 0; i < 3; ++i) EXPECT_TRUE(row(i).cells[kIdCell].empty()) << i;
    // And the former third row's serial editor acts on row 2.
    ws.typeSerial(ids[2], "3");
    ws.SNnoKeyPress(ids[2], u'\r');
    EXPECT_EQ(row(1).cells[kIdCell], "ID3");
}

TEST_F(WorkspaceTest, CategoryEditorMatchesTheCaptionIgnoringCase) {
    CaseRow lower;
    lower.caption = "a1";
    ws.cases().append(lower);
    const CaseRowId id = ws.caseRowDrawn(0);
    EXPECT_EQ(ws.cases()[0].record->category, 8u);
    EXPECT_EQ(ws.caseCategory(0), "A1");
    EXPECT_EQ(row(0).caption, "a1");
    EXPECT_EQ(ws.caseSerialText(0), "");  // the serial editor starts empty
    EXPECT_EQ(ws.caseRowDrawn(0), id);    // drawing again creates nothing new
    EXPECT_EQ(ws.cases()[0].record->category, 8u);

    // An empty caption or an unknown code selects nothing.
    for (const char* caption : {"", "07", "A 1"}) {
        CaseRow other;
        other.caption = caption;
        ws.cases().append(other);
        ws.caseRowDrawn(ws.cases().size() - 1);
        EXPECT_EQ(ws.caseCategory(ws.cases().size() - 1), "") << caption;
    }
}

TEST_F(WorkspaceTest, RowsNeverDrawnReadTheirCells) {
    ws.panel().CXMLfile = "x";
    CaseRow imported;
    imported.caption = "b1";
    imported.cells[kSerialCell] = "0123";
    ws.cases().append(imported);
    ws.CaddClick();
    EXPECT_EQ(ws.caseCategory(0), "b1");
    EXPECT_EQ(ws.caseSerialText(0), "0123");
    EXPECT_EQ(ws.caseCategory(1), "");
    EXPECT_EQ(ws.caseSerialText(1), "");

    // Deleting and clearing never fail on them, and release nothing.
    ws.cases().select(1);
    ws.CdelClick();
    addCase("01", "1");
    ws.clearAuditlist();
    EXPECT_TRUE(ws.cases().empty());
    EXPECT_EQ(ws.cases().takeReleased().size(), 1u);
}

TEST_F(WorkspaceTest, TodayNoWhenTheBoxIsLeft) {
    EXPECT_EQ(todayNoFromText("1500"), 999);
    EXPECT_EQ(todayNoFromText("0"), 1);
    EXPECT_EQ(todayNoFromText(""), 1);
    EXPECT_EQ(todayNoFromText("12a"), 1);
    EXPECT_EQ(todayNoFromText("42"), 42);
}

}  // namespace
}  // namespace tessaro::workspace
