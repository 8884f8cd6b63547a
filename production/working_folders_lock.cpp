#include "production/working_folders_lock.h"

#include "platform/path_text.h"
#include "platform/user_port.h"
#include "production/production_texts.h"

#include <string>

namespace tessaro::production {

std::optional<platform::FileLock> lockWorkingFolders(const std::filesystem::path& appPath, UserPort& port) {
    const std::filesystem::path file = appPath / platform::pathFromUtf8(kLockFileName);
    auto refusal = platform::FileLock::Refusal::systemError;
    std::string reason;
    auto lock = platform::FileLock::tryLock(file, refusal, reason);
    if (lock) return lock;
    port.showMessage(refusal == platform::FileLock::Refusal::heldElsewhere
                         ? texts::folderInUse(platform::utf8FromPath(appPath))
                         : texts::folderNotLocked(platform::utf8FromPath(file), reason));
    return std::nullopt;
}

}  // namespace tessaro::production
