#include "cli/console_port.h"

namespace tessaro::cli {
namespace {

// A message on one line: the window's line breaks (CR LF) become blanks.
std::string oneLine(std::string text) {
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        line += text[i] == '\n' || text[i] == '\r' ? ' ' : text[i];
    }
    return line;
}

}  // namespace

void ConsolePort::clearProgress() {
    if (!progressShown_) return;
    err_ << "\r\033[K" << std::flush;
    progressShown_ = false;
}

void ConsolePort::showMessage(const std::string& text) {
    clearProgress();
    err_ << oneLine(text) << '\n';
    shown_ = true;
}

// An error keeps its lines: the system's text after "error: ", then what a caller added (which
// case and file the error is about) on a line of its own.
void ConsolePort::reportError(const std::string& text) {
    clearProgress();
    const std::size_t lineEnd = text.find_first_of("\r\n");
    err_ << "error: " << oneLine(text.substr(0, lineEnd)) << '\n';
    if (lineEnd != std::string::npos) {
        const std::size_t rest = text.find_first_not_of("\r\n", lineEnd);
        if (rest != std::string::npos) err_ << oneLine(text.substr(rest)) << '\n';
    }
    shown_ = true;
    errorReported_ = true;
}

bool ConsolePort::askOkCancel(const std::string& text) {
    clearProgress();
    err_ << oneLine(text) << " [Cancel]\n";
    shown_ = true;
    return false;
}

std::optional<std::filesystem::path> ConsolePort::openFile(const FileDialogRequest&) {
    if (openAnswers_.empty()) return std::nullopt;
    std::filesystem::path answer = std::move(openAnswers_.front());
    openAnswers_.pop_front();
    return answer;
}

std::optional<std::filesystem::path> ConsolePort::saveFile(const FileDialogRequest&) { return std::nullopt; }

void ConsolePort::showProgress(const Progress& progress) {
    if (!progressLine_ || progress.total == 0) return;
    std::string file = progress.file;
    if (const auto slash = file.find_last_of("/\\"); slash != std::string::npos) file = file.substr(slash + 1);
    err_ << "\r\033[K" << progress.current << "/" << progress.total << (file.empty() ? "" : " ") << file << std::flush;
    progressShown_ = true;
}

}  // namespace tessaro::cli
