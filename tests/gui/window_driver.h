// Drives the real window as a user would: clicks, choices in the row editors, typing.
#pragma once

#include "app/window/main_window.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QWheelEvent>
#include <QtTest/qtestspontaneevent.h>

#include <string>

namespace tessaro::testing {

class WindowDriver {
public:
    explicit WindowDriver(window::TFVPNTessaro& window) : window_(window) {}

    void click(QPushButton& button) { QTest::mouseClick(&button, Qt::LeftButton); }

    // A click at `pos` of `widget` as the mouse gives it: to the window, which hands it to
    // whatever control lies on top there.
    void clickAt(const QWidget& widget, QPoint pos) {
        QTest::mouseClick(window_.windowHandle(), Qt::LeftButton, {}, widget.mapTo(&window_, pos));
    }

    // The mouse wheel turned `notches` towards the user (down a list; negative: up) with the
    // pointer over the middle of `widget`, as the window system delivers it: to the control on
    // top under the pointer, which may take the input focus for it first.
    void turnWheel(const QWidget& widget, int notches) {
        const QPoint inWindow = widget.mapTo(&window_, widget.rect().center());
        QWidget* target = window_.childAt(inWindow);
        if (target == nullptr) return;
        QWheelEvent wheel(target->mapFrom(&window_, QPointF(inWindow)), window_.mapToGlobal(QPointF(inWindow)), {},
                          QPoint(0, -120 * notches), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QSpontaneKeyEvent::setSpontaneous(&wheel);
        QApplication::instance()->notify(target, &wheel);
    }

    // The editors of case row `row`: category drop-down and serial box.
    QComboBox* categoryEditor(std::size_t row) {
        return editor<QComboBox>(window_.caseList(), window_.workspace().cases()[row].id.value, 0);
    }
    QLineEdit* serialEditor(std::size_t row) {
        return editor<QLineEdit>(window_.caseList(), window_.workspace().cases()[row].id.value, 1);
    }
    QComboBox* kindEditor(std::size_t row) { return editor<QComboBox>(attachments(), attachmentId(row), 0); }
    QComboBox* classEditor(std::size_t row) { return editor<QComboBox>(attachments(), attachmentId(row), 1); }
    QPushButton* fileButton(std::size_t row) { return editor<QPushButton>(attachments(), attachmentId(row), 2); }

    // Picks `text` in a drop-down the way the user does: the item chosen with the keyboard.
    static void choose(QComboBox& box, const QString& text) {
        const int item = box.findText(text);
        box.setFocus(Qt::MouseFocusReason);
        box.setCurrentIndex(item);
        emit box.activated(item);
    }

    // Types `text` into a case's serial box, presses Enter and leaves the box.
    void typeSerial(std::size_t row, const QString& text, bool enter) {
        QLineEdit* box = serialEditor(row);
        box->setFocus(Qt::MouseFocusReason);
        QTest::keyClicks(box, text);
        if (enter) QTest::keyClick(box, Qt::Key_Return);
    }

    // Selects case row `row` with a mouse click on its fourth cell (no editor lies there).
    void clickCase(std::size_t row) { clickRow(window_.caseList(), static_cast<int>(row), 3); }
    void clickAttachment(std::size_t row) { clickRow(attachments(), static_cast<int>(row), 2, 20); }

private:
    window::AttachmentListView& attachments() { return window_.panel().CattList; }
    std::uint64_t attachmentId(std::size_t row) { return window_.workspace().attachments()[row].id.value; }

    template <typename Widget>
    static Widget* editor(window::EditorTable& list, std::uint64_t id, std::size_t n) {
        const auto editors = list.editorsOf(id);
        return n < editors.size() ? qobject_cast<Widget*>(editors[n]) : nullptr;
    }

    static void clickRow(window::EditorTable& list, int row, int column, int x = 10) {
        const QRect cell = list.visualRect(list.model()->index(row, column));
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, QPoint(cell.left() + x, cell.center().y()));
    }

    window::TFVPNTessaro& window_;
};

}  // namespace tessaro::testing
