// The Win32 helpers: text, error numbers, handles and file times.
#include "platform/win32_support.h"

#include "platform/utf.h"

#include <cerrno>

namespace tessaro::platform::win32 {

std::wstring toWide(std::string_view utf8) {
    const std::u16string wide = utf8ToUtf16(utf8);
    return std::wstring(wide.begin(), wide.end());
}

std::string fromWide(std::wstring_view wide) {
    return utf16ToUtf8(std::u16string(wide.begin(), wide.end()));
}

int errnoFromWin32(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
        case ERROR_BAD_PATHNAME:
        case ERROR_INVALID_NAME:
            return ENOENT;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_WRITE_PROTECT:
        case ERROR_CURRENT_DIRECTORY:
            return EACCES;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            return EEXIST;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return ENOSPC;
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY:
            return ENOMEM;
        case ERROR_TOO_MANY_OPEN_FILES:
            return EMFILE;
        case ERROR_DIRECTORY:
            return ENOTDIR;
        case ERROR_DIR_NOT_EMPTY:
            return ENOTEMPTY;
        case ERROR_FILENAME_EXCED_RANGE:
            return ENAMETOOLONG;
        case ERROR_NOT_READY:
            return EAGAIN;
        case ERROR_NOT_SAME_DEVICE:
            return EXDEV;
        case ERROR_INVALID_PARAMETER:
        case ERROR_NEGATIVE_SEEK:
            return EINVAL;
        default:
            return EIO;
    }
}

bool failWithLastError() {
    errno = errnoFromWin32(::GetLastError());
    return false;
}

UniqueHandle openForMetadata(const std::filesystem::path& path, DWORD access) {
    // FILE_FLAG_BACKUP_SEMANTICS lets CreateFileW open folders too.
    return UniqueHandle(::CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

DWORD reparseTag(const std::filesystem::path& path) {
    constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    const UniqueHandle point(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                                           FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    FILE_ATTRIBUTE_TAG_INFO info{};
    if (!valid(point)) return 0;
    if (!::GetFileInformationByHandleEx(point.get(), FileAttributeTagInfo, &info, sizeof info)) return 0;
    return (info.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ? info.ReparseTag : 0;
}

namespace {

// 100-ns intervals between 1601-01-01 and 1970-01-01.
constexpr long long kUnixEpochIn100ns = 116444736000000000LL;
constexpr long long kTicksPerSecond = 10000000LL;

}  // namespace

std::time_t toTimeT(const FILETIME& time) {
    const long long ticks = (static_cast<long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    // Rounds towards minus infinity, as POSIX file times do.
    const long long sinceEpoch = ticks - kUnixEpochIn100ns;
    long long seconds = sinceEpoch / kTicksPerSecond;
    if (sinceEpoch % kTicksPerSecond < 0) --seconds;
    return static_cast<std::time_t>(seconds);
}

FILETIME toFileTime(std::time_t time) {
    const long long ticks = static_cast<long long>(time) * kTicksPerSecond + kUnixEpochIn100ns;
    const auto value = static_cast<unsigned long long>(ticks < 0 ? 0 : ticks);
    return FILETIME{static_cast<DWORD>(value & 0xFFFFFFFFu), static_cast<DWORD>(value >> 32)};
}

}  // namespace tessaro::platform::win32
