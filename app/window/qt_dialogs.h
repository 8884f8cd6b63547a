// The window's dialogs as Qt shows them: message boxes with the program's title as caption,
// and Qt's file dialogs with the window's filters.
#pragma once

#include "app/window/window_dialogs.h"

#include <QMessageBox>

#include <memory>

namespace tessaro::window {

// The three kinds of message box: a message (no icon, OK), the standard error report (error
// icon, OK) and an OK/Cancel question (warning icon).
enum class MessageKind { message, error, question };

// The box QtDialogs shows for a message of `kind`, set up but not yet shown (the pictures of
// the user guide show it as well).
std::unique_ptr<QMessageBox> messageBox(MessageKind kind, QWidget* parent, const QString& text);

class QtDialogs final : public WindowDialogs {
public:
    void message(QWidget* parent, const QString& text) override;
    void error(QWidget* parent, const QString& text) override;
    bool okCancel(QWidget* parent, const QString& text) override;
    std::optional<std::filesystem::path> openFile(QWidget* parent, const FileDialogRequest& request) override;
    std::optional<std::filesystem::path> saveFile(QWidget* parent, const FileDialogRequest& request) override;
};

}  // namespace tessaro::window
