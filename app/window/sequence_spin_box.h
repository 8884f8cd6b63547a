// The daily sequence number box: whole numbers 1 to 999, typed freely and settled when the
// box loses the input focus.
//
// A plain spin box refuses a keystroke that would leave its range, so typing 1500 would stop
// at 150. This one takes any text while the user types and, when the focus leaves, reads it
// as the workspace does (todayNoFromText): 1500 becomes 999, an empty box or text that is no
// whole number becomes 1.
#pragma once

#include <QSpinBox>

namespace tessaro::window {

class SequenceSpinBox final : public QSpinBox {
    Q_OBJECT
public:
    explicit SequenceSpinBox(QWidget* parent);

    // The value the box stands for now, also while the user is still typing.
    int settledValue() const;

protected:
    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;
    void focusOutEvent(QFocusEvent* event) override;
};

}  // namespace tessaro::window
