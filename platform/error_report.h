// The text rule of the standard error report, shared by every front end.
#pragma once

#include <string>

namespace tessaro {

// The text shown for an error: `message` with a full stop appended when its last character
// sorts after "." (so a text ending in "." or a blank, or an empty text, gets none). In a
// text of several lines the rule applies to the first, the system's own text.
std::string errorReportText(const std::string& message);

class UserPort;

// Shows `message` through the port's standard error report.
void reportError(UserPort& port, const std::string& message);

}  // namespace tessaro
