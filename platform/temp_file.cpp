#include "platform/temp_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>
#include <utility>

namespace tessaro::platform {

std::filesystem::path systemTempFolder() {
    std::error_code ec;
    auto folder = std::filesystem::temp_directory_path(ec);
    return ec ? std::filesystem::path("/tmp") : folder;
}

namespace {

constexpr int kNameAttempts = 100;

}  // namespace

// Six characters of [0-9A-Za-z], as mkstemp puts in place of "XXXXXX".
std::string temporaryNameSuffix() {
    static constexpr char kAlphabet[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    std::random_device random;
    std::uniform_int_distribution<size_t> pick(0, sizeof kAlphabet - 2);
    std::string suffix(6, '0');
    for (char& c : suffix) c = kAlphabet[pick(random)];
    return suffix;
}

std::optional<TempFile> TempFile::create(const std::filesystem::path& folder, std::string_view prefix,
                                         std::filesystem::path* attempted) {
    if (attempted) *attempted = folder / (std::string(prefix) + "XXXXXX");
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::filesystem::path path = folder / (std::string(prefix) + temporaryNameSuffix());
        // Created as any new file is (the umask and a folder's default ACL apply), which tells
        // the permissions a replacement without a predecessor takes; then private while written.
        const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno == EEXIST) continue;
        if (fd < 0) return std::nullopt;
        struct stat st {};
        if (::fstat(fd, &st) != 0 || ::fchmod(fd, S_IRUSR | S_IWUSR) != 0) {
            const int error = errno;
            ::close(fd);
            ::unlink(path.c_str());
            errno = error;
            return std::nullopt;
        }
        return TempFile(path, fd, st.st_mode & 07777);
    }
    errno = EEXIST;
    return std::nullopt;
}

void TempFile::discard() {
    if (fd_ >= 0) ::close(std::exchange(fd_, -1));
    if (owned_) {
        ::unlink(path_.c_str());
        owned_ = false;
    }
}

bool TempFile::seek(std::uint64_t offset) {
    return ::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) == static_cast<off_t>(offset);
}

bool TempFile::read(std::span<std::uint8_t> buffer) {
    size_t total = 0;
    while (total < buffer.size()) {
        const ssize_t got = ::read(fd_, buffer.data() + total, buffer.size() - total);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            if (got == 0) errno = EIO;
            return false;
        }
        total += static_cast<size_t>(got);
    }
    return true;
}

bool TempFile::write(std::span<const std::uint8_t> data) {
    size_t total = 0;
    while (total < data.size()) {
        const ssize_t put = ::write(fd_, data.data() + total, data.size() - total);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        total += static_cast<size_t>(put);
    }
    return true;
}

bool TempFile::replace(const std::filesystem::path& target, std::string& reason) {
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists && ((old.st_mode & S_IWUSR) == 0 || ::access(target.c_str(), W_OK) != 0)) {
        // rename() would replace it (the folder's permissions decide); Windows, cp and gcab
        // refuse, and a read-only file says its owner wants it kept. A file this user may not
        // write (another owner's) is refused as cp refuses it; the superuser may write any
        // file, but not one its owner made read-only.
        reason = std::strerror(EACCES);
        errno = EACCES;
        return false;
    }
    if (exists && ::fchown(fd_, old.st_uid, old.st_gid) != 0) {
        // Only the superuser gives a file away; the group may still be ours to keep.
        [[maybe_unused]] const int ignored = ::fchown(fd_, static_cast<uid_t>(-1), old.st_gid);
    }
    const mode_t mode = exists ? (old.st_mode & 07777) : static_cast<mode_t>(newFileMode_);
    if (::fchmod(fd_, mode) != 0 || ::fsync(fd_) != 0 || ::close(std::exchange(fd_, -1)) != 0 ||
        ::rename(path_.c_str(), target.c_str()) != 0) {
        reason = std::strerror(errno);
        return false;
    }
    owned_ = false;
    return true;
}

}  // namespace tessaro::platform
