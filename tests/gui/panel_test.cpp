// The panel and the window's frame: initial state, the sequence number box, the read-only
// header boxes, the focus order, the layout when the window is widened, the dialogs' filters.
#include "app/window/file_filters.h"
#include "tests/gui/gui_fixture.h"
#include "tests/gui/gui_tests.h"

#include <QFontDatabase>

namespace tessaro::testing {
namespace {

// Catches every mouse press and release that reaches a widget, so a click only tells which
// widget the window gave it to: the one on top under the pointer.
class ClickCatcher final : public QObject {
public:
    ClickCatcher() { QApplication::instance()->installEventFilter(this); }
    QObject* reached = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!watched->isWidgetType()) return false;
        switch (event->type()) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonDblClick: reached = watched; return true;
            case QEvent::MouseButtonRelease: return true;
            default: return false;
        }
    }
};

class PanelTest : public QObject {
    Q_OBJECT

    std::unique_ptr<GuiFixture> f;

private slots:
    void init() { f = std::make_unique<GuiFixture>(); }
    void cleanup() { f.reset(); }

    void startsWithItsCaptionsItemsAndValues() {
        window::SidePanel& p = f->panel();
        QCOMPARE(f->window().windowTitle(), QStringLiteral("電子病歷抽審檔案製作"));
        QCOMPARE(f->window().size(), QSize(1071, 642));
        QCOMPARE(p.width(), 403);
        QCOMPARE(p.CuploadType.currentText(), QStringLiteral("1.當期送審"));
        QCOMPARE(p.CINSUtype.count(), 4);
        QCOMPARE(p.CINSUtype.itemText(2), QStringLiteral("4:申復送核 "));
        QCOMPARE(p.CINSUtype.currentIndex(), 0);
        QCOMPARE(p.CtodayNo.value(), 1);
        QCOMPARE(p.CtodayNo.minimum(), 1);
        QCOMPARE(p.CtodayNo.maximum(), 999);
        QCOMPARE(p.Label5.text().split(QLatin1Char('\n')).size(), 12);
        QCOMPARE(p.Label5.text().split(QLatin1Char('\n'))[4], QStringLiteral("04,123,<ATT>(A)D:\\chart1.pdf(B)D:\\chart2.pdf"));
        QCOMPARE(f->window().caseList().model()->headerData(5, Qt::Horizontal).toString(), QStringLiteral("病歷檔案"));
        QCOMPARE(f->window().caseList().columnWidth(5), 200);
        QCOMPARE(p.CattList.geometry(), QRect(1, 1, 401, 152));
        QCOMPARE(p.CmakeAudit.geometry(), QRect(176, 584, 185, 37));
        // Every caption and the help text fit their controls in the window's fonts.
        for (QPushButton* button : p.findChildren<QPushButton*>())
            QVERIFY2(button->fontMetrics().horizontalAdvance(button->text()) <= button->width() - 4, qPrintable(button->text()));
        // The help text is as wide as its lines and lies between the drop-downs above it and
        // the sequence number below.
        // (Qt's offscreen platform on Windows has no fonts, so no widths of text to compare.)
        if (!QFontDatabase::families().isEmpty()) QVERIFY(p.Label5.width() >= p.Label5.sizeHint().width());
        QVERIFY(p.Label5.geometry().top() > p.CINSUtype.geometry().bottom());
        QVERIFY(p.Label5.geometry().bottom() < p.CtodayNo.geometry().top());
    }

    // No caption or help text lies on top of a control: a click anywhere on its face reaches it.
    void everyControlTakesAClickAnywhereOnItsFace() {
        QWidgetList controls;
        for (QWidget* widget : f->panel().findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (qobject_cast<QAbstractButton*>(widget) || qobject_cast<QComboBox*>(widget) ||
                qobject_cast<QLineEdit*>(widget) || qobject_cast<QAbstractSpinBox*>(widget))
                controls << widget;
        QCOMPARE(controls.size(), 15);
        ClickCatcher catcher;
        QStringList missed;
        for (const QWidget* control : controls) {
            const QRect face = control->rect();
            for (const QPoint point : {face.center(), face.topLeft(), face.topRight(), face.bottomLeft(), face.bottomRight()}) {
                catcher.reached = nullptr;
                f->driver().clickAt(*control, point);
                const auto* reached = qobject_cast<QWidget*>(catcher.reached);
                if (reached != control && !control->isAncestorOf(reached))
                    missed << QStringLiteral("%1 at %2,%3").arg(control->objectName()).arg(point.x()).arg(point.y());
            }
        }
        QVERIFY2(missed.isEmpty(), qPrintable(missed.join(QStringLiteral("; "))));
    }

    void theSequenceNumberBoxSettlesWhenLeft() {
        window::SequenceSpinBox& box = f->panel().CtodayNo;
        const auto typeAndLeave = [&](const QString& text) {
            box.setFocus(Qt::MouseFocusReason);
            box.selectAll();
            QTest::keyClick(&box, Qt::Key_Delete);
            QTest::keyClicks(&box, text);
            f->panel().Cadd.setFocus(Qt::TabFocusReason);
            return box.value();
        };
        QCOMPARE(typeAndLeave(QStringLiteral("1500")), 999);
        QCOMPARE(box.text(), QStringLiteral("999"));
        QCOMPARE(typeAndLeave(QString()), 1);
        QCOMPARE(typeAndLeave(QStringLiteral("42")), 42);
        QCOMPARE(typeAndLeave(QStringLiteral("0")), 1);
        QCOMPARE(typeAndLeave(QStringLiteral("7a")), 1);
        // Typed and then a button pressed: the handler reads the settled value.
        box.setFocus(Qt::MouseFocusReason);
        box.selectAll();
        QTest::keyClicks(&box, QStringLiteral("1500"));
        f->driver().click(f->panel().Cdel);
        QCOMPARE(f->workspace().panel().CtodayNo, 999);
        QCOMPARE(box.text(), QStringLiteral("999"));
    }

    void theHeaderBoxesRefuseTypingAndThePathBoxTakesIt() {
        window::SidePanel& p = f->panel();
        f->openDeclaration({});
        QCOMPARE(p.ChospitalCode.box.text(), QStringLiteral("0123456789"));
        for (QLineEdit* box : {&p.ChospitalCode.box, &p.CINSUyyymm.box, &p.CINSUupdate.box}) {
            const QString before = box->text();
            box->setFocus(Qt::MouseFocusReason);
            QTest::keyClicks(box, QStringLiteral("99"));
            QTest::keyClick(box, Qt::Key_Backspace);
            QCOMPARE(box->text(), before);
        }
        // What the user types into the path box is the fee declaration's path.
        p.CXMLfile.box.clear();
        f->driver().click(p.Cadd);
        QCOMPARE(f->dialogs.messages, QStringList{QStringLiteral("必須先指定費用申報檔")});
        QTest::keyClicks(&p.CXMLfile.box, QStringLiteral(" "));
        f->driver().click(p.Cadd);
        QCOMPARE(f->workspace().cases().size(), 1u);
        QCOMPARE(f->workspace().panel().CXMLfile, " ");
    }

    void tabGoesThroughThePanelInItsOrder() {
        f->window().activateWindow();
        f->window().caseList().setFocus(Qt::OtherFocusReason);
        QStringList visited;
        for (int i = 0; i < 17; ++i) {
            visited << QApplication::focusWidget()->objectName();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(visited, (QStringList{"CauditList", "CimportFile", "CINSUtype", "CmakeAudit", "CsaveSetting",
                                       "CuploadType", "CXMLfile", "CopenXMLfile", "Cadd", "Cdel", "CattList", "CattAdd",
                                       "CattDel", "CtodayNo", "ChospitalCode", "CINSUyyymm", "CINSUupdate"}));
    }

    void wideningTheWindowWidensOnlyTheCaseList() {
        window::SidePanel& p = f->panel();
        const int listWidth = f->window().caseList().width();
        const QRect button = p.CmakeAudit.geometry();
        const QRect attachments = p.CattList.geometry();
        f->window().resize(1271, 700);
        QApplication::processEvents();
        QCOMPARE(f->window().caseList().width(), listWidth + 200);
        QCOMPARE(p.width(), 403);
        QCOMPARE(p.mapTo(&f->window(), QPoint(0, 0)).x(), 1271 - 403);
        QCOMPARE(p.CmakeAudit.geometry(), button);
        QCOMPARE(p.CattList.geometry(), attachments);
    }

    // A window lower than the panel scrolls the panel; its vertical scroll bar comes beside the
    // panel, not over its right edge, and goes again when the window is tall enough.
    void aLowWindowScrollsThePanelWithNothingCut() {
        window::SidePanel& p = f->panel();
        QWidget& shown = *p.parentWidget();  // the scroll area's viewport
        const int listWidth = f->window().caseList().width();
        f->window().resize(1071, 500);
        f->settle();
        QCOMPARE(shown.height(), 500);
        QCOMPARE(shown.width(), 403);
        QCOMPARE(p.visibleRegion().boundingRect(), QRect(0, 0, 403, 500));
        const QWidget& area = *shown.parentWidget();
        QCOMPARE(area.mapTo(&f->window(), QPoint(area.width(), 0)).x(), 1071);
        QVERIFY(f->window().caseList().width() < listWidth);
        f->window().resize(1071, 700);
        f->settle();
        QCOMPARE(f->window().caseList().width(), listWidth);
        QCOMPARE(p.mapTo(&f->window(), QPoint(0, 0)).x(), 1071 - 403);
    }

    // Each filter is a caption with the patterns as written, then the patterns matched.
    void dialogFiltersOfferBothLetterCases() {
        QCOMPARE(window::qtNameFilters("費用申報檔(*.XML)|*.XML", false), QStringList{QStringLiteral("費用申報檔(*.XML) (*.XML)")});
        QCOMPARE(window::qtNameFilters("設定表或健保署抽審檔(txt;csv;zip)|*.txt;*.csv;*.zip", false),
                 QStringList{QStringLiteral("設定表或健保署抽審檔(txt;csv;zip) (*.txt *.csv *.zip) (*.txt *.csv *.zip)")});
        QCOMPARE(window::qtNameFilters("費用申報檔(*.XML)|*.XML", true),
                 QStringList{QStringLiteral("費用申報檔(*.XML) (*.[xX][mM][lL])")});
        QCOMPARE(window::qtNameFilters("DICOM檔(DICOMDIR)|DICOMDIR.*", true),
                 QStringList{QStringLiteral("DICOM檔(DICOMDIR) (DICOMDIR.*) ([dD][iI][cC][oO][mM][dD][iI][rR].* [dD][iI][cC][oO][mM][dD][iI][rR])")});
        QCOMPARE(window::qtNameFilters("附加檔|*.*", true), QStringList{QStringLiteral("附加檔 (*.*) (*)")});
    }
};

}  // namespace

std::unique_ptr<QObject> makePanelTest() { return std::make_unique<PanelTest>(); }

}  // namespace tessaro::testing

#include "panel_test.moc"
