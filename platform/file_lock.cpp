// File locks on POSIX: flock(2), which belongs to the open file and goes with the process.
#include "platform/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tessaro::platform {

std::optional<FileLock> FileLock::tryLock(const std::filesystem::path& file, Refusal& refusal, std::string& reason) {
    // Read access is all flock needs, so a lock file another user made works as well. A link
    // under the name is not followed: the lock file is never made elsewhere.
    const int fd = ::open(file.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd < 0) {
        refusal = Refusal::systemError;
        reason = std::strerror(errno);
        return std::nullopt;
    }
    FileLock lock(fd);
    int result;
    do {
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result == 0) return lock;
    refusal = errno == EWOULDBLOCK ? Refusal::heldElsewhere : Refusal::systemError;
    reason = std::strerror(errno);
    return std::nullopt;
}

void FileLock::release() noexcept {
    if (fd_ >= 0) ::close(std::exchange(fd_, -1));  // closing the file releases its lock
}

}  // namespace tessaro::platform
