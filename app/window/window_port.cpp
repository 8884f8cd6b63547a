#include "app/window/window_port.h"

#include "app/window/qt_text.h"

#include <utility>

namespace tessaro::window {

WindowPort::WindowPort(WindowDialogs& dialogs, QWidget& parent, Hooks hooks)
    : dialogs_(dialogs), parent_(parent), hooks_(std::move(hooks)) {}

void WindowPort::showMessage(const std::string& text) { dialogs_.message(&parent_, qtText(text)); }

void WindowPort::reportError(const std::string& text) { dialogs_.error(&parent_, qtText(text)); }

bool WindowPort::askOkCancel(const std::string& text) { return dialogs_.okCancel(&parent_, qtText(text)); }

std::optional<std::filesystem::path> WindowPort::openFile(const FileDialogRequest& request) {
    return dialogs_.openFile(&parent_, request);
}

std::optional<std::filesystem::path> WindowPort::saveFile(const FileDialogRequest& request) {
    return dialogs_.saveFile(&parent_, request);
}

void WindowPort::processPendingMessages() {
    if (hooks_.pendingMessages) hooks_.pendingMessages();
}

void WindowPort::showProgress(const Progress& progress) {
    if (hooks_.progress) hooks_.progress(progress);
}

}  // namespace tessaro::window
