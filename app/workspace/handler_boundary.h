// The boundary around every handler a front end runs: an error the handler raises ends the
// user's action there and is shown with the standard error report. What the handler changed
// before the error stays changed.
#pragma once

#include "platform/error.h"
#include "platform/error_report.h"
#include "platform/user_port.h"

#include <utility>

namespace tessaro::workspace {

// Runs `handler`; gives false when it raised an error, which `port` has then reported.
template <typename Handler>
bool runHandler(UserPort& port, Handler&& handler) {
    try {
        std::forward<Handler>(handler)();
        return true;
    } catch (const Error& error) {
        reportError(port, error.what());
        return false;
    }
}

}  // namespace tessaro::workspace
