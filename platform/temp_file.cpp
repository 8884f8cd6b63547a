#include "platform/temp_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

namespace tessaro::platform {

std::filesystem::path systemTempFolder() {
    std::error_code ec;
    auto folder = std::filesystem::temp_directory_path(ec);
    return ec ? std::filesystem::path("/tmp") : folder;
}

std::optional<TempFile> TempFile::create(const std::filesystem::path& folder, std::string_view prefix,
                                         std::filesystem::path* attempted) {
    const std::filesystem::path pattern = folder / (std::string(prefix) + "XXXXXX");
    if (attempted) *attempted = pattern;
    std::string name = pattern.string();
    std::vector<char> buffer(name.begin(), name.end());
    buffer.push_back('\0');
    const int fd = ::mkostemp(buffer.data(), O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    return TempFile(std::filesystem::path(buffer.data()), fd);
}

TempFile::~TempFile() { discard(); }

TempFile::TempFile(TempFile&& other) noexcept
    : path_(std::move(other.path_)), fd_(std::exchange(other.fd_, -1)), owned_(std::exchange(other.owned_, false)) {}

TempFile& TempFile::operator=(TempFile&& other) noexcept {
    if (this != &other) {
        discard();
        path_ = std::move(other.path_);
        fd_ = std::exchange(other.fd_, -1);
        owned_ = std::exchange(other.owned_, false);
    }
    return *this;
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
    // The new file keeps the permissions of the file it replaces; mkostemp made it 0600.
    struct stat old {};
    const mode_t mode = ::stat(target.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
    if (::fchmod(fd_, mode) != 0 || ::fsync(fd_) != 0 || ::close(std::exchange(fd_, -1)) != 0 ||
        ::rename(path_.c_str(), target.c_str()) != 0) {
        reason = std::strerror(errno);
        return false;
    }
    owned_ = false;
    return true;
}

}  // namespace tessaro::platform
