// The user port of the command line: messages and errors go to standard error as UTF-8, one
// per line; questions are answered "Cancel" (a batch run has nobody to ask); a file dialog is
// answered with the file the command line named for it, or cancelled.
#pragma once

#include "platform/user_port.h"

#include <deque>
#include <filesystem>
#include <ostream>

namespace tessaro::cli {

class ConsolePort final : public UserPort {
public:
    // With `progressLine`, progress is shown as one line on `err` that is rewritten in place
    // (for a terminal) and cleared before the next message.
    explicit ConsolePort(std::ostream& err, bool progressLine = false) : err_(err), progressLine_(progressLine) {}

    void showMessage(const std::string& text) override;
    void reportError(const std::string& text) override;
    bool askOkCancel(const std::string& text) override;
    std::optional<std::filesystem::path> openFile(const FileDialogRequest& request) override;
    std::optional<std::filesystem::path> saveFile(const FileDialogRequest& request) override;
    void processPendingMessages() override {}
    void showProgress(const Progress& progress) override;

    // The next open-file dialog picks `file`, as a user would in the window.
    void answerNextOpenDialog(std::filesystem::path file) { openAnswers_.push_back(std::move(file)); }
    void setProgressLine(bool on) { progressLine_ = on; }

    // True once any message or error was shown.
    bool anythingShown() const { return shown_; }
    // True once an error was reported.
    bool errorReported() const { return errorReported_; }

private:
    void clearProgress();

    std::ostream& err_;
    bool progressLine_;
    bool progressShown_ = false;
    bool shown_ = false;
    bool errorReported_ = false;
    std::deque<std::filesystem::path> openAnswers_;
};

}  // namespace tessaro::cli
