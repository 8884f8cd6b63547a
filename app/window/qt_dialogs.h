// The window's dialogs as Qt shows them: message boxes with the program's title as caption,
// and Qt's file dialogs with the window's filters.
#pragma once

#include "app/window/window_dialogs.h"

namespace tessaro::window {

class QtDialogs final : public WindowDialogs {
public:
    void message(QWidget* parent, const QString& text) override;
    void error(QWidget* parent, const QString& text) override;
    bool okCancel(QWidget* parent, const QString& text) override;
    std::optional<std::filesystem::path> openFile(QWidget* parent, const FileDialogRequest& request) override;
    std::optional<std::filesystem::path> saveFile(QWidget* parent, const FileDialogRequest& request) override;
};

}  // namespace tessaro::window
