// Positional file access on Windows: ReadFile and WriteFile with the offset in an OVERLAPPED
// record (64-bit offsets, no shared file pointer). The handle is wrapped in a C runtime
// descriptor so that the class holds the same member on both platforms.
#include "platform/random_access_file.h"

#include "platform/file_io.h"
#include "platform/win32_support.h"

#include <io.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <utility>

namespace tessaro::platform {
namespace {

std::string fullPath(const std::filesystem::path& path) {
    std::error_code ec;
    const auto absolute = std::filesystem::absolute(path, ec);
    return (ec ? path : absolute).string();
}

HANDLE handleOf(int fd) { return reinterpret_cast<HANDLE>(::_get_osfhandle(fd)); }

OVERLAPPED at(std::uint64_t offset) {
    OVERLAPPED position{};
    position.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
    position.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return position;
}

// Reads and writes go in pieces a DWORD can count.
constexpr size_t kMaxPiece = size_t{1} << 30;

int lastErrno() { return win32::errnoFromWin32(::GetLastError()); }

}  // namespace

std::string cannotReadText(const std::filesystem::path& path, const std::string& reason) {
    return "Cannot read file \"" + fullPath(path) + "\". " + reason;
}

std::string cannotWriteText(const std::filesystem::path& path, const std::string& reason) {
    return "Cannot write file \"" + fullPath(path) + "\". " + reason;
}

RandomAccessFile::RandomAccessFile(const std::filesystem::path& path, Mode mode) : path_(path) {
    const auto fail = [&](int error) {
        const std::string reason = std::strerror(error);
        return Error(mode == Mode::create ? cannotCreateText(path, reason) : cannotOpenText(path, reason));
    };
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) throw fail(EISDIR);
    const DWORD access = mode == Mode::read ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
    const DWORD disposition = mode == Mode::create ? CREATE_ALWAYS : OPEN_EXISTING;
    // Shared for reading, writing and deleting, as a POSIX descriptor is: the engines open a
    // package again while it is open (staging, disk changes), and both builds must behave alike.
    constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    HANDLE handle = ::CreateFileW(path.c_str(), access, kShareAll, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) throw fail(lastErrno());
    fd_ = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_BINARY);
    if (fd_ < 0) {
        ::CloseHandle(handle);
        throw fail(EMFILE);
    }
}

RandomAccessFile::~RandomAccessFile() {
    if (fd_ >= 0) ::_close(fd_);
}

RandomAccessFile::RandomAccessFile(RandomAccessFile&& other) noexcept
    : path_(std::move(other.path_)), fd_(std::exchange(other.fd_, -1)) {}

RandomAccessFile& RandomAccessFile::operator=(RandomAccessFile&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::_close(fd_);
        path_ = std::move(other.path_);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

std::uint64_t RandomAccessFile::size() const {
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(handleOf(fd_), &size)) {
        const int error = lastErrno();
        throw FileIoError(cannotReadText(path_, std::strerror(error)), error);
    }
    return static_cast<std::uint64_t>(size.QuadPart);
}

size_t RandomAccessFile::readAt(std::uint64_t offset, std::span<std::uint8_t> buffer) const {
    size_t total = 0;
    while (total < buffer.size()) {
        OVERLAPPED position = at(offset + total);
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(std::min(buffer.size() - total, kMaxPiece));
        if (!::ReadFile(handleOf(fd_), buffer.data() + total, want, &got, &position)) {
            if (::GetLastError() == ERROR_HANDLE_EOF) break;
            const int error = lastErrno();
            throw FileIoError(cannotReadText(path_, std::strerror(error)), error);
        }
        if (got == 0) break;
        total += got;
    }
    return total;
}

void RandomAccessFile::readExactAt(std::uint64_t offset, std::span<std::uint8_t> buffer) const {
    if (readAt(offset, buffer) != buffer.size()) throw FileIoError(cannotReadText(path_, "The file ends too early"), 0);
}

void RandomAccessFile::writeAt(std::uint64_t offset, std::span<const std::uint8_t> data) {
    size_t total = 0;
    while (total < data.size()) {
        OVERLAPPED position = at(offset + total);
        DWORD put = 0;
        const DWORD want = static_cast<DWORD>(std::min(data.size() - total, kMaxPiece));
        if (!::WriteFile(handleOf(fd_), data.data() + total, want, &put, &position) || put == 0) {
            const int error = put == 0 && ::GetLastError() == ERROR_SUCCESS ? ENOSPC : lastErrno();
            throw FileIoError(cannotWriteText(path_, std::strerror(error)), error);
        }
        total += put;
    }
}

void RandomAccessFile::truncate(std::uint64_t length) {
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile.QuadPart = static_cast<LONGLONG>(length);
    if (!::SetFileInformationByHandle(handleOf(fd_), FileEndOfFileInfo, &end, sizeof end)) {
        const int error = lastErrno();
        throw FileIoError(cannotWriteText(path_, std::strerror(error)), error);
    }
}

void RandomAccessFile::close() {
    if (fd_ < 0) return;
    const int fd = std::exchange(fd_, -1);
    // Write errors surface at the write; closing reports what the system still has to say.
    if (::_close(fd) != 0) {
        const int error = errno;
        throw FileIoError(cannotWriteText(path_, std::strerror(error)), error);
    }
}

}  // namespace tessaro::platform
