// The user port of the command line: messages and errors go to standard error as UTF-8,
// questions are answered "Cancel" (a batch run has nobody to ask), dialogs are cancelled.
#pragma once

#include "platform/user_port.h"

#include <ostream>

namespace tessaro::cli {

class ConsolePort final : public UserPort {
public:
    explicit ConsolePort(std::ostream& err) : err_(err) {}

    void showMessage(const std::string& text) override;
    void reportError(const std::string& text) override;
    bool askOkCancel(const std::string& text) override;
    std::optional<std::filesystem::path> openFile(const FileDialogRequest& request) override;
    std::optional<std::filesystem::path> saveFile(const FileDialogRequest& request) override;
    void processPendingMessages() override {}

    // True once any message or error was shown.
    bool anythingShown() const { return shown_; }

private:
    std::ostream& err_;
    bool shown_ = false;
};

}  // namespace tessaro::cli
