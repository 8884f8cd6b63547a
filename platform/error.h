// The one exception type Tessaro raises for failures the user is told about.
//
// Its text is the exact message the user sees; the handler boundary of each front end
// (window, command line) catches it and shows it through the standard error report.
#pragma once

#include <stdexcept>
#include <string>

namespace tessaro {

class Error : public std::runtime_error {
public:
    explicit Error(const std::string& text) : std::runtime_error(text) {}
};

}  // namespace tessaro
