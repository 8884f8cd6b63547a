// The one exception type Tessaro raises for failures the user is told about.
//
// Its text is the exact message the user sees; the handler boundary of each front end
// (window, command line) catches it and shows it through the standard error report.
#pragma once

#include <stdexcept>
#include <string>
#include <utility>

namespace tessaro {

class Error : public std::runtime_error {
public:
    explicit Error(const std::string& text) : std::runtime_error(text) {}
};

// An error about one file, whose text (a fixed text such as "Error opening source file") may
// not name it: the file, and the system's reason where it is known. Callers that know more
// (which case the file belongs to) name file and reason on a line of their own.
class FileError : public Error {
public:
    FileError(const std::string& text, std::string file, std::string reason = {})
        : Error(text), file_(std::move(file)), reason_(std::move(reason)) {}
    const std::string& file() const { return file_; }
    const std::string& reason() const { return reason_; }

private:
    std::string file_;
    std::string reason_;
};

}  // namespace tessaro
