#include "platform/file_copy.h"

#include "platform/error.h"
#include "platform/file_attributes.h"
#include "platform/file_io.h"
#include "platform/random_access_file.h"

#include <cerrno>
#include <cstring>
#include <utility>
#include <vector>

#ifdef _WIN32
#include "platform/win32_support.h"
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tessaro::platform {

#ifdef _WIN32

namespace {

// The C library's text for the errno closest to a Win32 error, as on POSIX.
std::string reasonFor(DWORD error) { return std::strerror(win32::errnoFromWin32(error)); }

// A source that cannot be read is named as such, as on POSIX, rather than left to CopyFileW,
// whose error does not say which of the two files it is about.
void checkSource(const std::filesystem::path& from) {
    const DWORD attributes = ::GetFileAttributesW(from.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) throw Error(cannotOpenText(from, reasonFor(::GetLastError())));
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) throw Error(cannotOpenText(from, std::strerror(EISDIR)));
    const win32::UniqueHandle source(::CreateFileW(from.c_str(), GENERIC_READ,
                                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!win32::valid(source)) throw Error(cannotOpenText(from, reasonFor(::GetLastError())));
}

}  // namespace

std::optional<FileStamp> fileStamp(const std::filesystem::path& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) || (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return std::nullopt;
    const auto wide = [](DWORD high, DWORD low) { return (static_cast<std::uint64_t>(high) << 32) | low; };
    return FileStamp{wide(data.nFileSizeHigh, data.nFileSizeLow),
                     static_cast<std::int64_t>(wide(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime))};
}

CopiedSource copyFileNoOverwrite(const std::filesystem::path& from, const std::filesystem::path& to) {
    checkSource(from);
    const std::optional<FileStamp> before = fileStamp(from);
    // CopyFileW copies the attributes and the last-write time and sets the archive bit.
    if (::CopyFileW(from.c_str(), to.c_str(), TRUE)) {
        const std::optional<FileStamp> after = fileStamp(from);
        const std::optional<FileStamp> copy = fileStamp(to);
        const bool changed = !before || after != before || !copy || copy->size != before->size;
        return {before.value_or(FileStamp{}), changed};
    }
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) throw Error(kFileExistsText);
    throw Error(cannotCreateText(to, reasonFor(error)));
}

#else

namespace {

// A file descriptor closed when it goes.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    // Closes now, reporting the result (a delayed write error shows here).
    bool close() { return ::close(std::exchange(fd_, -1)) == 0; }

private:
    int fd_;
};

constexpr std::size_t kPiece = 1 << 20;

bool writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// Copies every byte, counting them into `copied`; on failure gives the error text.
std::string copyBytes(int in, int out, const std::filesystem::path& from, const std::filesystem::path& to,
                      std::uint64_t& copied) {
    std::vector<char> piece(kPiece);
    for (;;) {
        const ssize_t n = ::read(in, piece.data(), piece.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return cannotReadText(from, std::strerror(errno));
        if (n == 0) return {};
        if (!writeAll(out, piece.data(), static_cast<std::size_t>(n))) return cannotWriteText(to, std::strerror(errno ? errno : EIO));
        copied += static_cast<std::uint64_t>(n);
    }
}

FileStamp stampOf(const struct stat& st) {
    return {static_cast<std::uint64_t>(st.st_size),
            static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec};
}

}  // namespace

std::optional<FileStamp> fileStamp(const std::filesystem::path& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return stampOf(st);
}

CopiedSource copyFileNoOverwrite(const std::filesystem::path& from, const std::filesystem::path& to) {
    // O_NONBLOCK: a pipe put in the file's place must not hang the run; it is refused below.
    Descriptor in(::open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (in.get() < 0) throw Error(cannotOpenText(from, std::strerror(errno)));
    struct stat source {};
    if (::fstat(in.get(), &source) != 0) throw Error(cannotOpenText(from, std::strerror(errno)));
    if (!S_ISREG(source.st_mode)) throw Error(cannotOpenText(from, std::strerror(S_ISDIR(source.st_mode) ? EISDIR : EINVAL)));

    // O_EXCL: the target is created here or not at all, also when it is a dangling link.
    Descriptor out(::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (out.get() < 0) {
        if (errno == EEXIST) throw Error(kFileExistsText);
        throw Error(cannotCreateText(to, std::strerror(errno)));
    }
    std::uint64_t copied = 0;
    std::string failure = copyBytes(in.get(), out.get(), from, to, copied);
    if (failure.empty() && !out.close()) failure = cannotWriteText(to, std::strerror(errno));
    if (!failure.empty()) {
        std::error_code ec;
        std::filesystem::remove(to, ec);
        throw Error(failure);
    }
    setLastWriteTime(to, source.st_mtime);
    if (isReadOnly(from)) applyDosAttributes(to, dos_attr::kReadOnly);
    // Looked up by its name again: a file put in the source's place counts as a change too.
    const FileStamp before = stampOf(source);
    const std::optional<FileStamp> after = fileStamp(from);
    return {before, after != before || copied != before.size};
}

#endif

}  // namespace tessaro::platform
