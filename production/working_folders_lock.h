// One run at a time on a program folder.
//
// The working folders DATA, ATT, EMR and DCF of the program folder are scratch space: a
// production run empties and fills them case by case, the import of an archive empties DATA
// and unpacks into it. Two runs on one folder (two windows, two commands, a window and a
// command) would empty each other's copies and pack one patient's records into another's
// package. So each of these holds the lock of the program folder (platform::FileLock on the
// file kLockFileName in it) from its first step to its last, and a second one is refused at
// once, before it touches anything. A lock that cannot be taken for any other reason (the
// file cannot be made) stops the run as well: a run that cannot be sure it is alone does
// not start.
#pragma once

#include "platform/file_lock.h"

#include <filesystem>
#include <optional>
#include <string_view>

namespace tessaro {
class UserPort;
}

namespace tessaro::production {

inline constexpr std::string_view kLockFileName = ".tessaro.lock";

// Takes the lock of `appPath`. Nothing, after the message saying why, when it cannot be taken.
std::optional<platform::FileLock> lockWorkingFolders(const std::filesystem::path& appPath, UserPort& port);

}  // namespace tessaro::production
