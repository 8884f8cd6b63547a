#include "platform/error_report.h"

#include "platform/user_port.h"

namespace tessaro {

std::string errorReportText(const std::string& message) {
    // Byte order of UTF-8 equals code-point order, and every non-ASCII character sorts after
    // ".", so comparing the last byte is enough.
    if (message.empty() || static_cast<unsigned char>(message.back()) <= '.') return message;
    return message + ".";
}

void reportError(UserPort& port, const std::string& message) { port.reportError(errorReportText(message)); }

}  // namespace tessaro
