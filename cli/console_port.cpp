#include "cli/console_port.h"

namespace tessaro::cli {

void ConsolePort::showMessage(const std::string& text) {
    err_ << text << '\n';
    shown_ = true;
}

void ConsolePort::reportError(const std::string& text) {
    err_ << "error: " << text << '\n';
    shown_ = true;
}

bool ConsolePort::askOkCancel(const std::string& text) {
    err_ << text << " [Cancel]\n";
    shown_ = true;
    return false;
}

std::optional<std::filesystem::path> ConsolePort::openFile(const FileDialogRequest&) { return std::nullopt; }

std::optional<std::filesystem::path> ConsolePort::saveFile(const FileDialogRequest&) { return std::nullopt; }

}  // namespace tessaro::cli
