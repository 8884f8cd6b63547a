#include "app/window/serial_editor.h"

#include <QFocusEvent>
#include <QKeyEvent>

namespace tessaro::window {

SerialEditor::SerialEditor(QWidget* parent) : QLineEdit(parent) {}

void SerialEditor::keyPressEvent(QKeyEvent* event) {
    // Qt gives Enter and Return the text "\r", the character a key press of Enter carries.
    QString typed = event->text();
    if (typed.isEmpty() && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter))
        typed = QStringLiteral("\r");
    for (const QChar character : typed)
        if (character.isPrint() || character == QLatin1Char('\r')) emit characterTyped(character);
    QLineEdit::keyPressEvent(event);
}

void SerialEditor::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason) emit left();
}

}  // namespace tessaro::window
