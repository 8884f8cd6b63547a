// The modal dialogs the window shows: message boxes and file dialogs.
//
// The window's user port shows every message and dialog through this interface. The program
// uses the Qt dialogs (qt_dialogs.h); tests put in their own, which answer at once, so no
// test ever waits on a modal box.
#pragma once

#include "platform/user_port.h"

#include <QString>

#include <filesystem>
#include <optional>

class QWidget;

namespace tessaro::window {

class WindowDialogs {
public:
    virtual ~WindowDialogs() = default;

    // A message with an OK button.
    virtual void message(QWidget* parent, const QString& text) = 0;
    // The standard error report: error icon, OK button.
    virtual void error(QWidget* parent, const QString& text) = 0;
    // An OK/Cancel question; true for OK.
    virtual bool okCancel(QWidget* parent, const QString& text) = 0;
    // File dialogs; nothing when the user cancels.
    virtual std::optional<std::filesystem::path> openFile(QWidget* parent, const FileDialogRequest& request) = 0;
    virtual std::optional<std::filesystem::path> saveFile(QWidget* parent, const FileDialogRequest& request) = 0;
};

}  // namespace tessaro::window
