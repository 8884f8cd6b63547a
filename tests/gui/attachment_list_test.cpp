// The attachment list through the real window: the file dialog of a row writes the case's
// attachment text into the case the list shows and never into another; the editors follow
// their rows.
#include "tests/gui/gui_fixture.h"
#include "tests/gui/gui_tests.h"

#include <QFontDatabase>
#include <QHelpEvent>
#include <QPointer>
#include <QScrollBar>
#include <QToolTip>

namespace tessaro::testing {
namespace {

using workspace::kAttachmentCell;

class AttachmentListTest : public QObject {
    Q_OBJECT

    std::unique_ptr<GuiFixture> f;

    window::AttachmentListView& list() { return f->panel().CattList; }
    std::string attachments(std::size_t row) { return f->cell(row, kAttachmentCell); }

    // Every row on screen shows its own editors over their cells at the scroll position shown:
    // the drop-downs one pixel right of their columns' left edges, the file button's right edge
    // one pixel beyond column "檔案"'s.
    void checkEditorsOverTheirCells() {
        const int first = list().rowAt(0);
        const int last = list().rowAt(list().viewport()->height() - 1);
        for (int row = 0; row < static_cast<int>(f->workspace().attachments().size()); ++row) {
            const auto editors = list().editorsOf(f->workspace().attachments()[static_cast<std::size_t>(row)].id.value);
            if (row < first || (last >= 0 && row > last)) {
                for (QWidget* editor : editors) QVERIFY(!editor->isVisible());
                continue;
            }
            QCOMPARE(editors.size(), 3u);
            const int top = list().rowViewportPosition(row) - 1;
            QCOMPARE(editors[0]->pos(), QPoint(list().columnViewportPosition(0) + 1, top));
            QCOMPARE(editors[1]->pos(), QPoint(list().columnViewportPosition(1) + 1, top));
            QCOMPARE(editors[2]->geometry().right(), list().columnViewportPosition(2) + list().columnWidth(2));
            QCOMPARE(editors[2]->y(), top);
        }
    }

private slots:
    void init() {
        f = std::make_unique<GuiFixture>();
        f->openDeclaration({});
        f->addCases(2);
        f->dialogs.openRequests.clear();
    }
    void cleanup() { f.reset(); }

    void addingNeedsASelectedCase() {
        f->driver().click(f->panel().CattAdd);
        QCOMPARE(f->dialogs.messages, QStringList{QStringLiteral("必須先選擇案件")});
        QCOMPARE(f->workspace().attachments().size(), 0u);
    }

    void aChosenFileGoesIntoTheSelectedCaseOnly() {
        const auto chart = f->write("records/chart1.pdf", "pdf");
        const auto emr = f->write("records/visit.xml", "xml");
        f->driver().clickCase(1);
        f->driver().click(f->panel().CattAdd);
        f->driver().click(f->panel().CattAdd);
        QCOMPARE(list().rowsWithEditors(), 2u);
        WindowDriver::choose(*f->driver().kindEditor(1), QStringLiteral("EMR"));
        WindowDriver::choose(*f->driver().classEditor(1), QStringLiteral("C:非影像報告"));
        QCOMPARE(f->workspace().attachments()[1].kind, "EMR");
        QCOMPARE(list().model()->index(1, 1).data().toString(), QStringLiteral("C:非影像報告"));

        f->dialogs.openAnswers.push_back(emr);
        f->driver().click(*f->driver().fileButton(1));
        QCOMPARE(attachments(1), "<EMR>(C)" + emr.string());
        QCOMPARE(attachments(0), "");
        // The first dialog opens in the program folder with the kind's filter; the next in
        // the folder of the file chosen.
        QCOMPARE(f->dialogs.openRequests.size(), 1u);
        QCOMPARE(f->dialogs.openRequests[0].filter, "電子病歷檔|*.xml");
        QCOMPARE(f->dialogs.openRequests[0].initialDir, f->folder().string() + "/");
        f->dialogs.openAnswers.push_back(chart);
        f->driver().click(*f->driver().fileButton(0));
        QCOMPARE(attachments(1), "<ATT>(A)" + chart.string() + "<EMR>(C)" + emr.string());
        QCOMPARE(f->dialogs.openRequests[1].filter, "附加檔|*.*");
        QCOMPARE(f->dialogs.openRequests[1].initialDir, (f->folder() / "records/").string());
        QCOMPARE(attachments(0), "");

        // Moving to the other case with the keyboard shows its (empty) list; its dialogs
        // write into it, and the first case keeps its text.
        f->window().caseList().setFocus(Qt::OtherFocusReason);
        QTest::keyClick(&f->window().caseList(), Qt::Key_Up);
        QCOMPARE(f->workspace().attachments().size(), 0u);
        f->driver().click(f->panel().CattAdd);
        f->dialogs.openAnswers.push_back(chart);
        f->driver().click(*f->driver().fileButton(0));
        QCOMPARE(attachments(0), "<ATT>(A)" + chart.string());
        QCOMPARE(attachments(1), "<ATT>(A)" + chart.string() + "<EMR>(C)" + emr.string());
    }

    // The list goes with its deleted case, its editors with it, so no file can be chosen for
    // a case that is gone; the other case is left as it was.
    void aDeletedCaseReceivesNothingAndNoOtherCaseDoes() {
        f->workspace().cases()[0].cells[kAttachmentCell] = "<ATT>(A)/old.pdf";
        f->driver().clickCase(0);
        std::vector<QPointer<QWidget>> editors;
        for (QWidget* editor : list().editorsOf(f->workspace().attachments()[0].id.value)) editors.emplace_back(editor);
        QCOMPARE(editors.size(), 3u);
        f->driver().click(f->panel().Cdel);
        QCOMPARE(f->workspace().cases().size(), 1u);
        QCOMPARE(list().model()->rowCount(), 0);
        for (const QPointer<QWidget>& editor : editors) QVERIFY(!editor || !editor->isVisible());
        QCOMPARE(attachments(0), "");
        QVERIFY(f->dialogs.openRequests.empty());
    }

    // Eight attachments need the vertical scroll bar; the columns give it the room, so no
    // horizontal bar appears and the file buttons stay whole. A column the user widens past
    // the list brings the horizontal bar, and the editors follow it sideways.
    void editorsStayOverTheirCellsAtEveryScrollPosition() {
        std::string text = "<ATT>";
        for (int n = 1; n <= 8; ++n) text += "(A)/" + std::to_string(n) + ".pdf";
        f->workspace().cases()[0].cells[kAttachmentCell] = text;
        f->driver().clickCase(0);
        f->settle();
        QScrollBar& across = *list().horizontalScrollBar();
        QScrollBar& down = *list().verticalScrollBar();
        QVERIFY(down.maximum() > 0);
        QCOMPARE(across.maximum(), 0);
        QVERIFY(list().columnViewportPosition(2) + list().columnWidth(2) + 1 <= list().viewport()->width());
        checkEditorsOverTheirCells();
        down.setValue(down.maximum());
        checkEditorsOverTheirCells();

        down.setValue(0);
        list().setColumnWidth(2, 300);
        f->settle();
        QVERIFY(across.maximum() > 0);
        checkEditorsOverTheirCells();
        across.setValue(across.maximum());
        checkEditorsOverTheirCells();
        down.setValue(down.maximum());
        checkEditorsOverTheirCells();
        across.setValue(0);
        checkEditorsOverTheirCells();

        // With no vertical bar (one row left) the columns have their own widths again.
        f->workspace().cases()[0].cells[kAttachmentCell] = "<ATT>(A)/1.pdf";
        f->driver().clickCase(0);
        f->settle();
        QCOMPARE(down.maximum(), 0);
        QCOMPARE(list().columnWidth(2), 300);
        list().setColumnWidth(2, 240);
        f->settle();
        QCOMPARE(across.maximum(), 0);
        checkEditorsOverTheirCells();
    }

    // Column "檔案" shows a long path shortened in its middle, left of the file button, so the
    // file's own name stays in sight; the whole path is the cell's tooltip.
    void aLongPathShowsItsFileNameBesideTheButton() {
        const std::string folder = "/home/clerk/records/2024-10/outpatient/04-000123/scans";
        f->workspace().cases()[0].cells[kAttachmentCell] = "<ATT>(A)" + folder + "/chart-a.pdf(A)" + folder + "/chart-b.pdf";
        f->driver().clickCase(0);
        // The rows differ only in the file's name, which is all the two cells beside their
        // buttons can differ in.
        const auto seen = [&](int row) {
            const QRect cell = list().visualRect(list().model()->index(row, 2));
            const int button = f->driver().fileButton(static_cast<std::size_t>(row))->x();
            return list().viewport()->grab(QRect(cell.left(), cell.top(), button - cell.left(), cell.height())).toImage();
        };
        // Qt's offscreen platform on Windows has no fonts and draws no text at all.
        if (!QFontDatabase::families().isEmpty()) QVERIFY(seen(0) != seen(1));

        const QPoint middle = list().visualRect(list().model()->index(0, 2)).center() - QPoint(40, 0);
        QHelpEvent help(QEvent::ToolTip, middle, list().viewport()->mapToGlobal(middle));
        QApplication::sendEvent(list().viewport(), &help);
        QCOMPARE(QToolTip::text(), QString::fromStdString(folder + "/chart-a.pdf"));
    }

    void editorsFollowTheirRowsAfterADeletion() {
        f->workspace().cases()[0].cells[kAttachmentCell] = "<ATT>(A)/1.pdf(B)/2.pdf(C)/3.pdf(D)/4.pdf";
        f->driver().clickCase(0);
        QCOMPARE(list().rowsWithEditors(), 4u);
        const std::uint64_t third = f->workspace().attachments()[2].id.value;
        f->driver().clickAttachment(1);
        f->driver().click(f->panel().CattDel);
        QCOMPARE(f->workspace().attachments().size(), 3u);
        QCOMPARE(list().rowsWithEditors(), 3u);
        for (int row = 0; row < 3; ++row)
            for (QWidget* editor : list().editorsOf(f->workspace().attachments()[static_cast<std::size_t>(row)].id.value))
                QCOMPARE(editor->y(), list().rowViewportPosition(row) - 1);
        // The former third row's editors act on it, now the second.
        QCOMPARE(f->workspace().attachments()[1].id.value, third);
        QCOMPARE(f->driver().classEditor(1)->currentText(), QStringLiteral("C:非影像報告"));
        WindowDriver::choose(*f->driver().kindEditor(1), QStringLiteral("DCF"));
        QCOMPARE(f->workspace().attachments()[1].kind, "DCF");
        QCOMPARE(f->workspace().attachments()[0].kind, "ATT");
        QCOMPARE(f->workspace().attachments()[2].kind, "ATT");
        // Editors sit over their cells: the file button's right edge meets column "檔案"'s.
        QPushButton* button = f->driver().fileButton(0);
        QCOMPARE(button->geometry().right() + 1, 1 + list().columnWidth(0) + list().columnWidth(1) + list().columnWidth(2));
        QCOMPARE(f->driver().kindEditor(0)->width(), list().columnWidth(0) - 2);
    }
};

}  // namespace

std::unique_ptr<QObject> makeAttachmentListTest() { return std::make_unique<AttachmentListTest>(); }

}  // namespace tessaro::testing

#include "attachment_list_test.moc"
