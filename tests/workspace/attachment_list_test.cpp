// The attachment list: adding, deleting and editing rows, choosing files, and where the
// rebuilt attachment text goes.
#include "tests/workspace/workspace_fixture.h"

#include <gmock/gmock.h>

namespace tessaro::workspace {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class AttachmentListTest : public WorkspaceTest {
protected:
    // A case row selected and clicked, so the attachment list shows its attachment text.
    CaseRowId showCase(const std::string& text) {
        const CaseRowId id = addCase("04", "1");
        ws.cases()[indexOf(id)].cells[kAttachmentCell] = text;
        ws.cases().select(indexOf(id));
        ws.CauditListClick();
        return id;
    }
    AttachmentRowId drawn(std::size_t index) { return ws.attachmentRowDrawn(index); }
    std::string attachmentsOf(CaseRowId id) const { return ws.cases()[indexOf(id)].cells[kAttachmentCell]; }
    std::filesystem::path pick(const std::string& name) { return dir.write(name, "x"); }
};

TEST_F(AttachmentListTest, AddingRows) {
    ws.CattAddClick();
    EXPECT_THAT(port.messages, ElementsAre("必須先選擇案件"));
    EXPECT_TRUE(ws.attachments().empty());

    showCase("<DCF>(B)a<EMR>(C)b");
    ws.CattAddClick();  // no attachment row selected: appended
    ASSERT_EQ(ws.attachments().size(), 3u);
    EXPECT_EQ(ws.attachments()[2].kind, "ATT");
    EXPECT_EQ(ws.attachments()[2].contentClass, "A:病歷本文");
    EXPECT_EQ(ws.attachments()[2].file, "");
    ws.attachments().select(0);
    ws.CattAddClick();
    EXPECT_EQ(ws.attachments()[1].kind, "ATT");
    EXPECT_EQ(ws.attachments()[2].file, "b");
}

// A kind or class picked goes into the case at once (the list shows it; the package must
// carry it), not only at the next file dialog.
TEST_F(AttachmentListTest, EditorsStartFromTheCellsAndWriteIntoThem) {
    const CaseRowId c = showCase("<ATT>(A)a.pdf");
    ws.attachments()[0].kind = "emr";  // matched ignoring case
    const AttachmentRowId id = drawn(0);
    EXPECT_EQ(ws.attachments()[0].record->kind, 2u);
    EXPECT_EQ(ws.attachments()[0].record->contentClass, 0u);

    ws.chooseKind(id, 0);
    ws.chooseContentClass(id, 3);
    EXPECT_EQ(ws.attachments()[0].kind, "emr");  // a stored value alone changes no cell
    ws.sTypeChange(id);
    EXPECT_EQ(attachmentsOf(c), "<DCF>(A)a.pdf");
    ws.sContentChange(id);
    EXPECT_EQ(ws.attachments()[0].kind, "DCF");
    EXPECT_EQ(ws.attachments()[0].contentClass, "D:其他書類");
    EXPECT_EQ(attachmentsOf(c), "<DCF>(D)a.pdf");
}

TEST_F(AttachmentListTest, ChoosingAFileRebuildsTheAttachmentText) {
    const CaseRowId c = showCase("<DCF>(B)D:\\DICOMDIR<EMR>(A)e.xml");
    ws.CattAddClick();
    const AttachmentRowId added = drawn(2);
    auto file = pick("docs/chart.pdf");
    file.make_preferred();  // as a file dialog gives it, with the platform's separators
    port.openAnswers.push_back(file);
    ws.getAttfile(added);

    ASSERT_EQ(port.openRequests.size(), 1u);
    EXPECT_EQ(port.openRequests[0].filter, "附加檔|*.*");
    EXPECT_EQ(port.openRequests[0].initialDir, ws.values().appPath);  // the first dialog opens in the program folder
    EXPECT_EQ(attachmentsOf(c), "<DCF>(B)D:\\DICOMDIR<ATT>(A)" + file.string() + "<EMR>(A)e.xml");
    const std::string folder = file.parent_path().string() + std::string(1, std::filesystem::path::preferred_separator);
    EXPECT_EQ(ws.values().getfilePath, folder);

    // The next dialog opens in that folder; cancelling empties the row's path, keeps the
    // folder, and the rebuild leaves the row out.
    ws.getAttfile(drawn(0));
    EXPECT_EQ(port.openRequests[1].filter, "DICOM檔(DICOMDIR)|DICOMDIR.*");
    EXPECT_EQ(port.openRequests[1].initialDir, folder);
    EXPECT_EQ(ws.values().getfilePath, folder);
    EXPECT_EQ(ws.attachments()[0].file, "");
    EXPECT_EQ(attachmentsOf(c), "<ATT>(A)" + file.string() + "<EMR>(A)e.xml");
}

// A file whose path would not come back whole from the attachment text or a setting table
// is refused with a message naming it; its row keeps the file it had.
TEST_F(AttachmentListTest, FilesThatCannotBeCarriedWholeAreRefused) {
    const std::string marker = "病歷檔案的路徑不可含有(A)、(B)、(C)、(D)、<DCF>、<ATT>或<EMR>,請更改名稱後再選";
    const std::string notOneLine = "病歷檔案的路徑不可含有換行或無法辨識的字元,也不可以空白結尾,請更改名稱後再選";
    const struct {
        std::string name, message;
    } refused[] = {
        {"scan (A).pdf", marker}, {"(D)/x.pdf", marker}, {"a<EMR>b.xml", marker}, {"<DCF>", marker},
#ifndef _WIN32  // names Windows does not allow
        {"a\nb.pdf", notOneLine}, {"a\rb.pdf", notOneLine}, {"a.pdf ", notOneLine}, {"a.pdf\t", notOneLine},
        {"\xFF.pdf", notOneLine},
#endif
    };
    const CaseRowId c = showCase("<ATT>(A)a.pdf");
    for (const auto& file : refused) {
        port.messages.clear();
        port.openAnswers.push_back(dir / file.name);
        ws.getAttfile(drawn(0));
        EXPECT_THAT(port.messages, ElementsAre("無法使用檔案:" + fullPath(dir / file.name) + "\r\n" + file.message))
            << file.name;
        EXPECT_EQ(ws.attachments()[0].file, "a.pdf");
        EXPECT_EQ(attachmentsOf(c), "<ATT>(A)a.pdf");
    }
}

TEST_F(AttachmentListTest, DeletionsReachTheCaseAtOnce) {
    const CaseRowId c = showCase("<ATT>(A)a.pdf(B)b.pdf(C)c.pdf");
    const AttachmentRowId a = drawn(0);
    const AttachmentRowId last = drawn(2);
    ws.CattDelClick();  // nothing selected
    EXPECT_EQ(ws.attachments().size(), 3u);
    ws.attachments().select(0);
    ws.CattDelClick();
    EXPECT_THAT(ws.attachments().takeReleased(), ElementsAre(a));
    EXPECT_EQ(attachmentsOf(c), "<ATT>(B)b.pdf(C)c.pdf");

    // The former third row's button acts on its own row, now the second.
    ws.getAttfile(last);  // cancelled
    EXPECT_EQ(ws.attachments()[1].file, "");
    EXPECT_EQ(ws.attachments()[0].file, "b.pdf");
    EXPECT_EQ(attachmentsOf(c), "<ATT>(B)b.pdf");
}

TEST_F(AttachmentListTest, RowsOfNoKnownKindOpenNoDialog) {
    const CaseRowId c = showCase("<ATT>(A)a.pdf");
    const AttachmentRowId id = drawn(0);
    ws.chooseKind(id, std::nullopt);
    ws.sTypeChange(id);
    ws.getAttfile(id);
    EXPECT_THAT(port.openRequests, IsEmpty());
    EXPECT_EQ(attachmentsOf(c), "<ATT>(A)a.pdf");
}

TEST_F(AttachmentListTest, TheAttachmentTextGoesOnlyIntoTheCaseTheListShows) {
    const CaseRowId shown = showCase("<ATT>(A)a.pdf");
    const CaseRowId other = addCase("05", "2");
    ws.cases()[indexOf(other)].cells[kAttachmentCell] = "<EMR>(A)keep.xml";

    // The selection moves without a click (by keyboard): the file still goes to the case
    // the list was filled from.
    ws.cases().select(indexOf(other));
    port.openAnswers.push_back(pick("b.pdf"));
    ws.getAttfile(drawn(0));
    EXPECT_EQ(attachmentsOf(shown), "<ATT>(A)" + (dir / "b.pdf").string());
    EXPECT_EQ(attachmentsOf(other), "<EMR>(A)keep.xml");

    // A list filled without a case row writes nowhere.
    ws.showAttList("<ATT>(A)z.pdf");
    ws.getAttfile(drawn(0));
    EXPECT_EQ(attachmentsOf(other), "<EMR>(A)keep.xml");
}

// When its case is deleted, or the case list emptied (as an import does first), the list goes
// with it: no row stays to take a file that would go into no case.
TEST_F(AttachmentListTest, TheListGoesWithItsCase) {
    for (const bool clearAll : {false, true}) {
        showCase("<ATT>(A)a.pdf");
        const AttachmentRowId button = drawn(0);
        if (clearAll)
            ws.clearAuditlist();
        else
            ws.CdelClick();
        EXPECT_TRUE(ws.attachments().empty()) << clearAll;
        EXPECT_THAT(ws.attachments().takeReleased(), ElementsAre(button));
        ws.getAttfile(button);
        EXPECT_THAT(port.openRequests, IsEmpty());
    }
    // Deleting another case leaves the list to its own.
    const CaseRowId other = addCase("05", "2");
    showCase("<ATT>(A)a.pdf");
    ws.cases().select(indexOf(other));
    ws.CdelClick();
    EXPECT_EQ(ws.attachments().size(), 1u);
}

TEST_F(AttachmentListTest, ClickingTheEmptyPartKeepsTheList) {
    showCase("<ATT>(A)a.pdf(B)b.pdf");
    drawn(0);
    ws.cases().select(std::nullopt);
    ws.CauditListClick();
    EXPECT_EQ(ws.attachments().size(), 2u);

    // A click on another case releases every record of the list it replaces.
    showCase("");
    EXPECT_TRUE(ws.attachments().empty());
    EXPECT_EQ(ws.attachments().takeReleased().size(), 1u);
}

}  // namespace
}  // namespace tessaro::workspace
