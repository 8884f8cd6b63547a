// The window's port to the user: messages and file dialogs through the window's dialogs, and
// the two calls of a long operation, "let pending messages run" and "where it stands", through
// the window, which repaints and moves its progress display there.
#pragma once

#include "app/window/window_dialogs.h"
#include "platform/user_port.h"

#include <functional>

namespace tessaro::window {

class WindowPort final : public UserPort {
public:
    struct Hooks {
        std::function<void()> pendingMessages;
        std::function<void(const Progress&)> progress;
    };

    // Dialogs are shown over `parent`.
    WindowPort(WindowDialogs& dialogs, QWidget& parent, Hooks hooks);

    void showMessage(const std::string& text) override;
    void reportError(const std::string& text) override;
    bool askOkCancel(const std::string& text) override;
    std::optional<std::filesystem::path> openFile(const FileDialogRequest& request) override;
    std::optional<std::filesystem::path> saveFile(const FileDialogRequest& request) override;
    void processPendingMessages() override;
    void showProgress(const Progress& progress) override;

private:
    WindowDialogs& dialogs_;
    QWidget& parent_;
    Hooks hooks_;
};

}  // namespace tessaro::window
