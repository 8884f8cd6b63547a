// The program folder `appPath`, where the working folders ("DATA", "ATT", "EMR", "DCF") and
// the output folder "Upload" are made: the executable's own folder when the program may write
// there, otherwise the per-user application data folder (an installation under a system
// folder is read-only for its users). It ends with the path separator.
#pragma once

#include <string>

namespace tessaro::window {

// Needs the QCoreApplication to exist.
std::string programFolder();

}  // namespace tessaro::window
