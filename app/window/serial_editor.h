// The serial editor of a case row: a one-line box that reports each typed character and the
// moment the user leaves it.
//
// "Leaving" is the input focus moving to another control of the window (Tab, a click, a
// deleted row taking its editor away). The focus moving to another window, a message box or
// a drop-down's popup does not count: a not-found message shown after Enter must not start
// another lookup when it takes the focus.
#pragma once

#include <QLineEdit>

namespace tessaro::window {

class SerialEditor final : public QLineEdit {
    Q_OBJECT
public:
    explicit SerialEditor(QWidget* parent);

signals:
    // A character typed, before the box takes it (Enter arrives as '\r').
    void characterTyped(QChar character);
    void left();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
};

}  // namespace tessaro::window
