#include "app/window/sequence_spin_box.h"

#include "app/window/qt_text.h"
#include "app/workspace/panel.h"

#include <QLineEdit>

namespace tessaro::window {

SequenceSpinBox::SequenceSpinBox(QWidget* parent) : QSpinBox(parent) {
    setRange(workspace::kTodayNoMin, workspace::kTodayNoMax);
    setValue(workspace::kTodayNoMin);
    setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
}

int SequenceSpinBox::settledValue() const { return workspace::todayNoFromText(utf8Text(lineEdit()->text())); }

QValidator::State SequenceSpinBox::validate(QString& input, int& pos) const {
    // A number in range counts at once (the arrows and the value follow it); anything else
    // waits for the focus to leave.
    const QValidator::State state = QSpinBox::validate(input, pos);
    return state == QValidator::Acceptable ? state : QValidator::Intermediate;
}

void SequenceSpinBox::fixup(QString& input) const { input = QString::number(workspace::todayNoFromText(utf8Text(input))); }

void SequenceSpinBox::focusOutEvent(QFocusEvent* event) {
    setValue(settledValue());
    QSpinBox::focusOutEvent(event);
}

}  // namespace tessaro::window
