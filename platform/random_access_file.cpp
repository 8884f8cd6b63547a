#include "platform/random_access_file.h"

#include "platform/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace tessaro::platform {
namespace {

std::string fullPath(const std::filesystem::path& path) {
    std::error_code ec;
    const auto absolute = std::filesystem::absolute(path, ec);
    return (ec ? path : absolute).string();
}

}  // namespace

std::string cannotReadText(const std::filesystem::path& path, const std::string& reason) {
    return "Cannot read file \"" + fullPath(path) + "\". " + reason;
}

std::string cannotWriteText(const std::filesystem::path& path, const std::string& reason) {
    return "Cannot write file \"" + fullPath(path) + "\". " + reason;
}

RandomAccessFile::RandomAccessFile(const std::filesystem::path& path, Mode mode) : path_(path) {
    int flags = O_CLOEXEC;
    switch (mode) {
        case Mode::read: flags |= O_RDONLY; break;
        case Mode::readWrite: flags |= O_RDWR; break;
        case Mode::create: flags |= O_RDWR | O_CREAT | O_TRUNC; break;
    }
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        const std::string reason = std::strerror(EISDIR);
        throw Error(mode == Mode::create ? cannotCreateText(path, reason) : cannotOpenText(path, reason));
    }
    fd_ = ::open(path.c_str(), flags, 0666);
    if (fd_ < 0) {
        const std::string reason = std::strerror(errno);
        throw Error(mode == Mode::create ? cannotCreateText(path, reason) : cannotOpenText(path, reason));
    }
}

RandomAccessFile::~RandomAccessFile() {
    if (fd_ >= 0) ::close(fd_);
}

RandomAccessFile::RandomAccessFile(RandomAccessFile&& other) noexcept
    : path_(std::move(other.path_)), fd_(std::exchange(other.fd_, -1)) {}

RandomAccessFile& RandomAccessFile::operator=(RandomAccessFile&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        path_ = std::move(other.path_);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

std::uint64_t RandomAccessFile::size() const {
    struct stat st {};
    if (::fstat(fd_, &st) != 0) throw FileIoError(cannotReadText(path_, std::strerror(errno)), errno);
    return static_cast<std::uint64_t>(st.st_size);
}

size_t RandomAccessFile::readAt(std::uint64_t offset, std::span<std::uint8_t> buffer) const {
    size_t total = 0;
    while (total < buffer.size()) {
        const ssize_t got = ::pread(fd_, buffer.data() + total, buffer.size() - total,
                                    static_cast<off_t>(offset + total));
        if (got < 0) {
            if (errno == EINTR) continue;
            throw FileIoError(cannotReadText(path_, std::strerror(errno)), errno);
        }
        if (got == 0) break;
        total += static_cast<size_t>(got);
    }
    return total;
}

void RandomAccessFile::readExactAt(std::uint64_t offset, std::span<std::uint8_t> buffer) const {
    if (readAt(offset, buffer) != buffer.size()) throw FileIoError(cannotReadText(path_, "The file ends too early"), 0);
}

void RandomAccessFile::writeAt(std::uint64_t offset, std::span<const std::uint8_t> data) {
    size_t total = 0;
    while (total < data.size()) {
        const ssize_t put = ::pwrite(fd_, data.data() + total, data.size() - total, static_cast<off_t>(offset + total));
        if (put < 0) {
            if (errno == EINTR) continue;
            throw FileIoError(cannotWriteText(path_, std::strerror(errno)), errno);
        }
        total += static_cast<size_t>(put);
    }
}

void RandomAccessFile::truncate(std::uint64_t length) {
    if (::ftruncate(fd_, static_cast<off_t>(length)) != 0)
        throw FileIoError(cannotWriteText(path_, std::strerror(errno)), errno);
}

void RandomAccessFile::close() {
    if (fd_ < 0) return;
    const int result = ::close(std::exchange(fd_, -1));
    if (result != 0) throw FileIoError(cannotWriteText(path_, std::strerror(errno)), errno);
}

}  // namespace tessaro::platform
