// An exclusive lock on a file, held for as long as the object lives.
//
// The lock belongs to the operating system, not to the file: it goes when the process that
// holds it ends, however it ends, so a process that was killed leaves no lock behind (its file
// stays and means nothing). POSIX: flock(2) on the file, which every process of this program
// asks for before it uses what the file guards. Windows: the file opened without sharing.
// Taking the lock never waits: a second holder, in this process or another, is refused.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <utility>

namespace tessaro::platform {

class FileLock {
public:
    // Why a lock was not taken.
    enum class Refusal { heldElsewhere, systemError };

    // Creates `file` when it is missing (as any new file, under the umask) and locks it.
    // Nothing when it cannot: `refusal` tells why, and for a system error `reason` gets the
    // system's text.
    static std::optional<FileLock> tryLock(const std::filesystem::path& file, Refusal& refusal, std::string& reason);

    ~FileLock() { release(); }
    FileLock(FileLock&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    FileLock& operator=(FileLock&& other) noexcept {
        if (this != &other) {
            release();
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    explicit FileLock(int fd) : fd_(fd) {}
    void release() noexcept;

    int fd_ = -1;  // a C runtime descriptor on Windows too
};

}  // namespace tessaro::platform
