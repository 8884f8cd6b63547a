// The case list through the real window: adding and deleting rows, the editors laid over the
// rows on screen and following them, lookups started from the editors, the attachment list
// following the selection.
#include "tests/gui/gui_fixture.h"
#include "tests/gui/gui_tests.h"

#include <QScrollBar>

namespace tessaro::testing {
namespace {

using workspace::kIdCell;
using workspace::kNameCell;
using workspace::kVisitDateCell;

class CaseListTest : public QObject {
    Q_OBJECT

    std::unique_ptr<GuiFixture> f;

    window::CaseListView& list() { return f->window().caseList(); }
    std::uint64_t idOf(std::size_t row) { return f->workspace().cases()[row].id.value; }
    std::size_t rows() { return f->workspace().cases().size(); }

    // Where a row's editors belong across the list, at the scroll position shown: the
    // drop-down at its column's left edge, the serial box two pixels left of its own.
    std::vector<int> editorLefts() { return {list().columnViewportPosition(0), list().columnViewportPosition(1) - 2}; }

    // Every row on screen shows its own editors, one pixel above the row's top and across
    // over their cells; no other row's editors are visible, but for one holding the input
    // focus, kept at its row's place out of sight.
    void checkEditorsOverTheirRows() {
        const int first = list().rowAt(0);
        int last = list().rowAt(list().viewport()->height() - 1);
        if (last < 0) last = static_cast<int>(rows()) - 1;
        for (int row = 0; row < static_cast<int>(rows()); ++row) {
            const auto editors = list().editorsOf(idOf(static_cast<std::size_t>(row)));
            const bool onScreen = first >= 0 && row >= first && row <= last;
            if (!onScreen) {
                for (std::size_t n = 0; n < editors.size(); ++n) {
                    QVERIFY2(!editors[n]->isVisible() || editors[n]->hasFocus(), qPrintable(QString::number(row)));
                    if (editors[n]->isVisible())
                        QCOMPARE(editors[n]->pos(), QPoint(editorLefts()[n], list().rowViewportPosition(row) - 1));
                }
                continue;
            }
            QCOMPARE(editors.size(), 2u);
            for (std::size_t n = 0; n < editors.size(); ++n) {
                QVERIFY(editors[n]->isVisible());
                QCOMPARE(editors[n]->pos(), QPoint(editorLefts()[n], list().rowViewportPosition(row) - 1));
            }
        }
    }

private slots:
    void init() { f = std::make_unique<GuiFixture>(); }
    void cleanup() { f.reset(); }

    void addingNeedsADeclarationAndGoesAfterTheSelection() {
        f->driver().click(f->panel().Cadd);
        QCOMPARE(f->dialogs.messages, QStringList{QStringLiteral("必須先指定費用申報檔")});
        QCOMPARE(rows(), 0u);

        f->openDeclaration({});
        f->addCases(5);
        QCOMPARE(rows(), 5u);
        const std::uint64_t third = idOf(2);
        f->driver().clickCase(2);
        QCOMPARE(f->workspace().cases().selected(), std::optional<std::size_t>(2));
        f->addCases(2);  // both go right after the still selected third row
        QCOMPARE(rows(), 7u);
        QCOMPARE(idOf(2), third);
        QVERIFY(idOf(3) > idOf(4));  // the second one above the first
        QCOMPARE(list().selectedRow(), std::optional<int>(2));
        QVERIFY(f->dialogs.messages.size() == 1);
    }

    void deletingRemovesTheSelectedRowOnly() {
        f->openDeclaration({});
        f->addCases(4);
        const std::uint64_t second = idOf(1);
        const std::uint64_t fourth = idOf(3);
        f->driver().click(f->panel().Cdel);  // nothing selected: nothing happens, no message
        QCOMPARE(rows(), 4u);
        QVERIFY(f->dialogs.messages.isEmpty());

        f->driver().clickCase(2);
        const auto removedEditors = list().editorsOf(idOf(2));
        QCOMPARE(removedEditors.size(), 2u);
        f->driver().click(f->panel().Cdel);
        QCOMPARE(rows(), 3u);
        QCOMPARE(idOf(1), second);
        QCOMPARE(idOf(2), fourth);
        QCOMPARE(list().selectedRow(), std::nullopt);
        QVERIFY(!removedEditors[0]->isVisible());
        QVERIFY(!removedEditors[1]->isVisible());
        checkEditorsOverTheirRows();
        f->driver().click(f->panel().Cdel);  // the selection went with the row
        QCOMPARE(rows(), 3u);
    }

    void editorsFollowTheirRowsAfterDeletionsAndScrolling() {
        std::vector<DeclaredCase> declared;
        for (int serial = 1; serial <= 60; ++serial)
            declared.push_back({"04", std::to_string(serial), "ID" + std::to_string(serial), "1130901", "N" + std::to_string(serial)});
        f->openDeclaration(declared);
        f->addCases(60);
        QVERIFY(list().rowAt(list().viewport()->height() - 1) < 59);  // the list is longer than the screen
        checkEditorsOverTheirRows();
        const std::size_t editorRows = list().rowsWithEditors();
        QVERIFY(editorRows < 60);

        // Each row on screen gets its serial; the category is picked last, which looks it up.
        for (std::size_t row = 0; row < 5; ++row) {
            f->driver().typeSerial(row, QString::number(row + 1), false);
            WindowDriver::choose(*f->driver().categoryEditor(row), QStringLiteral("04"));
            QCOMPARE(f->cell(row, kNameCell), "N" + std::to_string(row + 1));
        }

        // Delete the second row: the editors of the rows below move up with their rows and
        // keep acting on them (the former fifth row's drop-down looks up that case, now the
        // fourth).
        f->driver().clickCase(1);
        f->driver().click(f->panel().Cdel);
        checkEditorsOverTheirRows();
        QCOMPARE(f->driver().serialEditor(3)->text(), QStringLiteral("5"));
        WindowDriver::choose(*f->driver().categoryEditor(3), QStringLiteral("04"));
        QCOMPARE(f->cell(3, kNameCell), "N5");
        QCOMPARE(f->cell(3, kIdCell), "ID5");

        // Scrolling to the end makes the editors of the rows that come into view, each over
        // its own row; the rows scrolled away keep theirs, hidden.
        list().verticalScrollBar()->setValue(list().verticalScrollBar()->maximum());
        checkEditorsOverTheirRows();
        QVERIFY(!list().editorsOf(idOf(rows() - 1)).empty());
        QVERIFY(list().rowsWithEditors() > editorRows);
        f->driver().typeSerial(rows() - 1, QStringLiteral("60"), true);
        QCOMPARE(f->cell(rows() - 1, kNameCell), "");  // no category yet: emptied, no message
        WindowDriver::choose(*f->driver().categoryEditor(rows() - 1), QStringLiteral("04"));
        QCOMPARE(f->cell(rows() - 1, kNameCell), "N60");

        // The wheel over a drop-down without the focus scrolls the list and picks nothing.
        QComboBox* bottom = f->driver().categoryEditor(rows() - 2);
        f->panel().Cadd.setFocus(Qt::OtherFocusReason);
        const int scrolled = list().verticalScrollBar()->value();
        f->driver().turnWheel(*bottom, -1);
        QVERIFY(list().verticalScrollBar()->value() < scrolled);
        QCOMPARE(bottom->currentIndex(), -1);
        checkEditorsOverTheirRows();

        // Back at the top the first rows show their own editors again.
        list().verticalScrollBar()->setValue(0);
        checkEditorsOverTheirRows();
        QCOMPARE(f->driver().serialEditor(0)->text(), QStringLiteral("1"));
        QVERIFY(f->dialogs.messages.isEmpty());
    }

    // A window narrower than the case list's columns scrolls the list sideways; rows first
    // drawn while it is scrolled get their editors over their own cells too, and every editor
    // stays there when it scrolls back. A column widened later takes the editors to its right
    // along; the editors already made keep their widths.
    void editorsFollowSidewaysScrollingAndColumnWidths() {
        f->openDeclaration({});
        f->addCases(60);
        f->window().resize(900, f->window().height());
        f->settle();
        QScrollBar& across = *list().horizontalScrollBar();
        QScrollBar& down = *list().verticalScrollBar();
        QVERIFY(across.maximum() > 0);
        checkEditorsOverTheirRows();

        across.triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QVERIFY(list().columnViewportPosition(0) < 0);
        checkEditorsOverTheirRows();
        down.setValue(down.maximum() / 2);
        checkEditorsOverTheirRows();
        down.setValue(down.maximum());
        checkEditorsOverTheirRows();
        across.setValue(0);
        checkEditorsOverTheirRows();
        down.setValue(down.maximum() / 2);
        checkEditorsOverTheirRows();
        across.setValue(across.maximum());
        checkEditorsOverTheirRows();
        down.setValue(0);
        checkEditorsOverTheirRows();

        across.setValue(0);
        const int firstWidth = list().columnWidth(0);
        list().setColumnWidth(0, firstWidth + 20);
        checkEditorsOverTheirRows();
        QCOMPARE(f->driver().categoryEditor(0)->width(), firstWidth - 10);
        f->addCases(1);  // at the end, off screen
        down.setValue(down.maximum());
        QCOMPARE(f->driver().categoryEditor(rows() - 1)->width(), firstWidth + 10);
        checkEditorsOverTheirRows();
    }

    // A wheel notch over a row's drop-down picks nothing, whether or not the user clicked it
    // before: no lookup, no message, the row keeps its texts; in the attachment list kind and
    // class stay.
    void theWheelOverAnEditorChangesNothing() {
        f->openDeclaration({{"A5", "1", "A123456789", "1130905", "陳小明"}});
        f->addCases(1);
        f->driver().typeSerial(0, QStringLiteral("1"), false);
        WindowDriver::choose(*f->driver().categoryEditor(0), QStringLiteral("A5"));
        f->workspace().cases()[0].cells[workspace::kAttachmentCell] = "<ATT>(A)/a.pdf";
        f->driver().clickCase(0);
        const auto cells = f->workspace().cases()[0].cells;
        f->panel().Cadd.setFocus(Qt::OtherFocusReason);
        for (QWidget* editor : {static_cast<QWidget*>(f->driver().categoryEditor(0)),
                                static_cast<QWidget*>(f->driver().kindEditor(0)), static_cast<QWidget*>(f->driver().classEditor(0))})
            f->driver().turnWheel(*editor, 1);
        QVERIFY(f->panel().Cadd.hasFocus());
        // Clicked and closed again, the drop-down has the focus: the wheel still scrolls.
        f->driver().categoryEditor(0)->setFocus(Qt::MouseFocusReason);
        f->driver().turnWheel(*f->driver().categoryEditor(0), 1);
        QCOMPARE(f->driver().categoryEditor(0)->currentText(), QStringLiteral("A5"));
        QCOMPARE(f->workspace().caseCategory(0), "A5");
        QVERIFY(f->workspace().cases()[0].cells == cells);
        QCOMPARE(f->driver().kindEditor(0)->currentText(), QStringLiteral("ATT"));
        QCOMPARE(f->driver().classEditor(0)->currentText(), QStringLiteral("A:病歷本文"));
        QCOMPARE(f->workspace().attachments()[0].kind, "ATT");
        QCOMPARE(f->workspace().attachments()[0].contentClass, "A:病歷本文");
        QVERIFY(f->dialogs.messages.isEmpty());
    }

    void tenThousandRowsMakeEditorsOnlyForRowsOnScreen() {
        f->openDeclaration({});
        for (int i = 0; i < 9999; ++i) f->workspace().cases().append({});
        f->addCases(1);  // the window shows the rows after a handler
        QCOMPARE(list().model()->rowCount(), 10000);
        const int visible = list().rowAt(list().viewport()->height() - 1) - list().rowAt(0) + 1;
        QVERIFY(visible > 5);
        QCOMPARE(list().rowsWithEditors(), static_cast<std::size_t>(visible));
        list().verticalScrollBar()->setValue(list().verticalScrollBar()->maximum() / 2);
        QVERIFY(list().rowsWithEditors() <= static_cast<std::size_t>(2 * visible + 1));
        checkEditorsOverTheirRows();
        std::size_t records = 0;
        for (std::size_t row = 0; row < rows(); ++row) records += f->workspace().cases()[row].record.has_value();
        QCOMPARE(records, list().rowsWithEditors());
    }

    void pickingACategoryLooksTheCaseUp() {
        f->openDeclaration({{"04", "000123", "A123456789", "1130905", "陳小明"}});
        f->addCases(1);
        f->workspace().cases()[0].cells[workspace::kAttachmentCell] = "<ATT>(A)x.pdf";
        f->driver().typeSerial(0, QStringLiteral("123"), false);
        WindowDriver::choose(*f->driver().categoryEditor(0), QStringLiteral("04"));
        QCOMPARE(f->cell(0, kNameCell), "陳小明");
        QCOMPARE(f->cell(0, kIdCell), "A123456789");
        QCOMPARE(f->cell(0, kVisitDateCell), "1130905");
        QCOMPARE(f->cell(0, workspace::kAttachmentCell), "");  // every lookup starts afresh
        // The list shows what the workspace holds.
        QCOMPARE(list().model()->index(0, 2).data().toString(), QStringLiteral("陳小明"));
        QVERIFY(f->dialogs.messages.isEmpty());
    }

    void enterThenLeavingTheSerialBoxLooksUpTwice() {
        f->openDeclaration({{"04", "123", "A1", "1130905", "陳小明"}});
        f->addCases(1);
        WindowDriver::choose(*f->driver().categoryEditor(0), QStringLiteral("04"));
        f->driver().typeSerial(0, QStringLiteral("999"), true);
        QCOMPARE(f->dialogs.messages, QStringList{QStringLiteral("案件分類04或流水號999找不到")});
        // Tab takes the focus to the next control: the box is left, the case looked up again.
        QTest::keyClick(f->driver().serialEditor(0), Qt::Key_Tab);
        QVERIFY(!f->driver().serialEditor(0)->hasFocus());
        QCOMPARE(f->dialogs.messages.size(), 2);
        QCOMPARE(f->dialogs.messages[1], QStringLiteral("案件分類04或流水號999找不到"));
    }

    // Tabbing through a serial box looks the case up again and keeps its record files and
    // note; a changed serial empties them, in the row and in the attachment list.
    void tabbingThroughASerialBoxKeepsTheRecordFiles() {
        f->openDeclaration({{"04", "123", "A123456789", "1130905", "陳小明"}, {"04", "124", "B1", "1130906", "王"}});
        f->addCases(1);
        f->driver().typeSerial(0, QStringLiteral("123"), false);
        WindowDriver::choose(*f->driver().categoryEditor(0), QStringLiteral("04"));
        f->workspace().cases()[0].cells[workspace::kAttachmentCell] = "<ATT>(A)/a.pdf";
        f->workspace().cases()[0].cells[workspace::kNoteCell] = "已製";
        f->driver().clickCase(0);
        QLineEdit& serial = *f->driver().serialEditor(0);
        const auto tabThrough = [&](const QString& typed) {
            serial.setFocus(Qt::TabFocusReason);
            if (!typed.isEmpty()) {
                serial.selectAll();
                QTest::keyClicks(&serial, typed);
            }
            QTest::keyClick(&serial, Qt::Key_Tab);
        };
        tabThrough({});
        QCOMPARE(f->cell(0, workspace::kAttachmentCell), "<ATT>(A)/a.pdf");
        QCOMPARE(f->cell(0, workspace::kNoteCell), "已製");
        QCOMPARE(f->cell(0, kNameCell), "陳小明");
        QCOMPARE(f->panel().CattList.model()->rowCount(), 1);
        tabThrough(QStringLiteral("124"));
        QCOMPARE(f->cell(0, workspace::kAttachmentCell), "");
        QCOMPARE(f->cell(0, workspace::kNoteCell), "");
        QCOMPARE(f->cell(0, kNameCell), "王");
        QCOMPARE(f->panel().CattList.model()->rowCount(), 0);
        QVERIFY(f->dialogs.messages.isEmpty());
    }

    void theAttachmentListFollowsTheSelectionByMouseAndKeyboard() {
        f->openDeclaration({});
        f->addCases(3);
        auto& cases = f->workspace().cases();
        cases[0].cells[workspace::kAttachmentCell] = "<ATT>(A)/a.pdf";
        cases[1].cells[workspace::kAttachmentCell] = "<EMR>(C)/b.xml<DCF>(B)/c/DICOMDIR";
        cases[2].cells[workspace::kAttachmentCell] = "";
        const auto files = [&] {
            std::vector<std::string> shown;
            for (std::size_t i = 0; i < f->workspace().attachments().size(); ++i)
                shown.push_back(f->workspace().attachments()[i].file);
            return shown;
        };
        f->driver().clickCase(0);
        QCOMPARE(files(), std::vector<std::string>{"/a.pdf"});
        list().setFocus(Qt::OtherFocusReason);
        QTest::keyClick(&list(), Qt::Key_Down);
        QCOMPARE(list().selectedRow(), std::optional<int>(1));
        QCOMPARE(files(), (std::vector<std::string>{"/c/DICOMDIR", "/b.xml"}));
        QCOMPARE(f->panel().CattList.model()->index(0, 1).data().toString(), QStringLiteral("B:影像報告"));
        QTest::keyClick(&list(), Qt::Key_Down);
        QCOMPARE(files(), std::vector<std::string>{});
        QTest::keyClick(&list(), Qt::Key_Home);
        QCOMPARE(files(), std::vector<std::string>{"/a.pdf"});
    }
};

}  // namespace

std::unique_ptr<QObject> makeCaseListTest() { return std::make_unique<CaseListTest>(); }

}  // namespace tessaro::testing

#include "case_list_test.moc"
