// The one way the libraries and the workspace talk to the user.
//
// Nothing below the front ends shows a window or prints a line itself. The Qt window, the
// command line and the tests each implement this interface; the libraries receive it by
// reference and call it at the points where the user must be told or asked something.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>

namespace tessaro {

// What a file dialog is opened with. `filter` is one or more "description|pattern" entries
// joined by '|', as the window defines them; the first entry is the selected one.
struct FileDialogRequest {
    std::string filter;
    std::filesystem::path initialDir;
    std::string fileName;          // proposed name (save dialogs)
    std::string defaultExtension;  // added when the user types a name without one
};

// Where a long operation (a production run, an import) stands: case `current` of `total`
// (1-based), and the file being copied or packed, empty when none.
struct Progress {
    std::size_t current = 0;
    std::size_t total = 0;
    std::string file;
};

class UserPort {
public:
    virtual ~UserPort() = default;

    // A modal message with an OK button.
    virtual void showMessage(const std::string& text) = 0;
    // The standard error report: `text` is already completed by errorReportText().
    virtual void reportError(const std::string& text) = 0;
    // A modal OK/Cancel question; true for OK.
    virtual bool askOkCancel(const std::string& text) = 0;
    // File dialogs; an empty result means the user cancelled.
    virtual std::optional<std::filesystem::path> openFile(const FileDialogRequest& request) = 0;
    virtual std::optional<std::filesystem::path> saveFile(const FileDialogRequest& request) = 0;
    // Lets pending window messages run in the middle of a long operation.
    virtual void processPendingMessages() = 0;
    // Where a long operation stands, for a progress display. Ignored unless a front end shows it.
    virtual void showProgress(const Progress& /*progress*/) {}
};

}  // namespace tessaro
