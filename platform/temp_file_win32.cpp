// Temporary files on Windows. The file is created with CREATE_NEW under a random name (retried
// when the name is taken) and marked hidden, as the leading dot of our names hides it on
// POSIX. It is read and written through a C runtime descriptor, which sets errno as the
// interface promises; replace() flushes it to the device and moves it over its target with
// MoveFileExW(REPLACE_EXISTING | WRITE_THROUGH), so readers see the old file or the new one.
#include "platform/temp_file.h"

#include "platform/win32_support.h"

#include <io.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <utility>

namespace tessaro::platform {
namespace {

constexpr int kAttempts = 100;
constexpr unsigned kMaxPiece = 1u << 30;  // _read and _write count in unsigned int

}  // namespace

std::string temporaryNameSuffix() {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    static thread_local std::mt19937 random(std::random_device{}());
    std::string suffix(6, '\0');
    for (char& c : suffix) c = kLetters[random() % (sizeof kLetters - 1)];
    return suffix;
}

std::filesystem::path systemTempFolder() {
    std::error_code ec;
    auto folder = std::filesystem::temp_directory_path(ec);
    return ec ? std::filesystem::path(L"C:\\Windows\\Temp") : folder;
}

std::optional<TempFile> TempFile::create(const std::filesystem::path& folder, std::string_view prefix,
                                         std::filesystem::path* attempted) {
    const std::wstring widePrefix = win32::toWide(prefix);
    if (attempted) *attempted = folder / (widePrefix + L"XXXXXX");
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const std::filesystem::path name = folder / (widePrefix + win32::toWide(temporaryNameSuffix()));
        HANDLE handle = ::CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                      nullptr, CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            const DWORD error = ::GetLastError();
            if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) continue;
            errno = win32::errnoFromWin32(error);
            return std::nullopt;
        }
        const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_BINARY);
        if (fd < 0) {
            ::CloseHandle(handle);
            ::DeleteFileW(name.c_str());
            errno = EMFILE;
            return std::nullopt;
        }
        return TempFile(name, fd, 0666);  // Windows has no permission bits of that kind
    }
    errno = EEXIST;
    return std::nullopt;
}

void TempFile::discard() {
    if (fd_ >= 0) ::_close(std::exchange(fd_, -1));
    if (owned_) {
        ::DeleteFileW(path_.c_str());
        owned_ = false;
    }
}

bool TempFile::seek(std::uint64_t offset) {
    return ::_lseeki64(fd_, static_cast<long long>(offset), SEEK_SET) == static_cast<long long>(offset);
}

bool TempFile::read(std::span<std::uint8_t> buffer) {
    size_t total = 0;
    while (total < buffer.size()) {
        const auto want = static_cast<unsigned>(std::min<size_t>(buffer.size() - total, kMaxPiece));
        const int got = ::_read(fd_, buffer.data() + total, want);
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
        const auto want = static_cast<unsigned>(std::min<size_t>(data.size() - total, kMaxPiece));
        const int put = ::_write(fd_, data.data() + total, want);
        if (put <= 0) {
            if (put == 0) errno = ENOSPC;
            return false;
        }
        total += static_cast<size_t>(put);
    }
    return true;
}

bool TempFile::replace(const std::filesystem::path& target, std::string& reason) {
    const auto fail = [&](int error) {
        reason = std::strerror(error);
        return false;
    };
    if (::_commit(fd_) != 0) return fail(errno);
    if (::_close(std::exchange(fd_, -1)) != 0) return fail(errno);
    // The new file keeps the hidden and system bits of the file it replaces; its content is
    // new, so it is marked for archiving as every freshly written file is.
    const DWORD old = ::GetFileAttributesW(target.c_str());
    // A read-only file says its owner wants it kept. Windows refuses to move a file over it;
    // Wine does not, so the refusal is made here, the same everywhere.
    if (old != INVALID_FILE_ATTRIBUTES && (old & FILE_ATTRIBUTE_READONLY) != 0) return fail(EACCES);
    DWORD attributes = FILE_ATTRIBUTE_ARCHIVE;
    if (old != INVALID_FILE_ATTRIBUTES) attributes |= old & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    if (!::SetFileAttributesW(path_.c_str(), attributes) ||
        !::MoveFileExW(path_.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return fail(win32::errnoFromWin32(::GetLastError()));
    owned_ = false;
    return true;
}

}  // namespace tessaro::platform
