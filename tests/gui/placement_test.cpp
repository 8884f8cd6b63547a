// Where the window starts: centred in its screen's free area with its frame, made smaller when
// the screen is. CTest runs this class on a 1366 x 768 screen at 125 % display scaling (1093 x
// 614 in Qt's pixels), which is lower than the window with its frame.
#include "app/window/window_placement.h"
#include "tests/gui/gui_fixture.h"
#include "tests/gui/gui_tests.h"

#include <QScreen>
#include <QWindow>

#include <cstdlib>

namespace tessaro::testing {
namespace {

using window::centredPlacement;

class PlacementTest : public QObject {
    Q_OBJECT

private slots:
    void theWindowIsCentredWithItsFrameAndShrunkToFit() {
        // A frame like Windows 10's at 96 dots per inch: 8-pixel borders, a 31-pixel title bar.
        const QMargins frame(8, 31, 8, 8);
        const QSize wanted(1071, 642);
        // Room enough: the frame, not the client area, is centred.
        QCOMPARE(centredPlacement(QRect(0, 0, 1920, 1040), wanted, frame), QRect(424, 210, 1071, 642));
        // 1366 x 768 at 125 %, a 32-pixel task bar: the height shrinks, the title bar at the top.
        QCOMPARE(centredPlacement(QRect(0, 0, 1093, 582), wanted, frame), QRect(11, 31, 1071, 543));
        // A screen narrower and lower than the window, beside another and below a task bar.
        QCOMPARE(centredPlacement(QRect(1920, 40, 800, 560), wanted, frame), QRect(1928, 71, 784, 521));
        QCOMPARE(centredPlacement(QRect(0, 0, 10, 10), wanted, frame), QRect(8, 31, 0, 0));
    }

    void theWindowStartsInsideItsScreen() {
        GuiFixture f;
        const QRect available = f.window().screen()->availableGeometry();
        const QRect outer = f.window().frameGeometry();
        QVERIFY2(available.contains(outer), qPrintable(QStringLiteral("%1,%2 %3x%4").arg(outer.x()).arg(outer.y())
                                                           .arg(outer.width()).arg(outer.height())));
        QVERIFY(std::abs((outer.left() - available.left()) - (available.right() - outer.right())) <= 1);
        QVERIFY(std::abs((outer.top() - available.top()) - (available.bottom() - outer.bottom())) <= 1);
        const QMargins frame = f.window().windowHandle()->frameMargins();
        const QSize room = available.size() - QSize(frame.left() + frame.right(), frame.top() + frame.bottom());
        QCOMPARE(f.window().size(), QSize(1071, 642).boundedTo(room));
    }
};

}  // namespace

std::unique_ptr<QObject> makePlacementTest() { return std::make_unique<PlacementTest>(); }

}  // namespace tessaro::testing

#include "placement_test.moc"
