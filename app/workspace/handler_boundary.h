// The boundary around every handler a front end runs: an error the handler raises ends the
// user's action there and is shown with the standard error report. What the handler changed
// before the error stays changed.
//
// Besides tessaro::Error (the system's own texts), any other exception that reaches the
// boundary, from a library or from running out of memory, is reported the same way with its
// own text, so no exception ends the program.
#pragma once

#include "platform/error.h"
#include "platform/error_report.h"
#include "platform/user_port.h"

#include <exception>
#include <utility>

namespace tessaro::workspace {

// The text reported for an exception that carries none.
inline constexpr const char* kUnknownErrorText = "An unexpected error occurred";

// Runs `handler`; gives false when it raised an error, which `port` has then reported.
template <typename Handler>
bool runHandler(UserPort& port, Handler&& handler) {
    try {
        std::forward<Handler>(handler)();
        return true;
    } catch (const Error& error) {
        reportError(port, error.what());
    } catch (const std::exception& error) {
        reportError(port, error.what());
    } catch (...) {
        reportError(port, kUnknownErrorText);
    }
    return false;
}

}  // namespace tessaro::workspace
