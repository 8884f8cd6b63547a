#include "platform/error_report.h"

#include "platform/user_port.h"

namespace tessaro {

std::string errorReportText(const std::string& message) {
    // The full stop belongs to the system's text, the first line; a line a caller added below
    // it (which case and file the error is about) stays as it is. Byte order of UTF-8 equals
    // code-point order, and every non-ASCII character sorts after ".", so comparing the last
    // byte is enough.
    const std::size_t lineEnd = message.find_first_of("\r\n");
    std::string text = message.substr(0, lineEnd);
    if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text += '.';
    return lineEnd == std::string::npos ? text : text + message.substr(lineEnd);
}

void reportError(UserPort& port, const std::string& message) { port.reportError(errorReportText(message)); }

}  // namespace tessaro
