// Whether a standard stream is an interactive terminal, for progress lines that only make
// sense to a person watching (a log file or a pipe gets none).
#pragma once

namespace tessaro::platform {

bool standardErrorIsTerminal();

}  // namespace tessaro::platform
