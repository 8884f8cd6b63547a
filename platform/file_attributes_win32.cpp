// File attributes and times on Windows: the file system's own DOS attribute bits.
#include "platform/file_attributes.h"

#include "platform/win32_support.h"

namespace tessaro::platform {
namespace {

constexpr DWORD kDosBits = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                           FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_ARCHIVE;
static_assert(FILE_ATTRIBUTE_READONLY == dos_attr::kReadOnly && FILE_ATTRIBUTE_HIDDEN == dos_attr::kHidden &&
              FILE_ATTRIBUTE_SYSTEM == dos_attr::kSystem && FILE_ATTRIBUTE_DIRECTORY == dos_attr::kDirectory &&
              FILE_ATTRIBUTE_ARCHIVE == dos_attr::kArchive);

}  // namespace

std::optional<FileStatus> queryFileStatus(const std::filesystem::path& path) {
    // Through a handle, so that a symbolic link reports its target as on POSIX.
    BY_HANDLE_FILE_INFORMATION info{};
    const win32::UniqueHandle file = win32::openForMetadata(path, 0);
    if (!win32::valid(file) || !::GetFileInformationByHandle(file.get(), &info)) {
        // A file another program holds without sharing still has a directory entry to read.
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
        info.dwFileAttributes = data.dwFileAttributes;
        info.ftLastWriteTime = data.ftLastWriteTime;
        info.nFileSizeHigh = data.nFileSizeHigh;
        info.nFileSizeLow = data.nFileSizeLow;
    }
    FileStatus status;
    status.attributes = info.dwFileAttributes & kDosBits;
    const bool isDirectory = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    status.size = isDirectory ? 0 : (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    status.lastWrite = win32::toTimeT(info.ftLastWriteTime);
    return status;
}

bool isReadOnly(const std::filesystem::path& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

bool setLastWriteTime(const std::filesystem::path& path, std::time_t time) {
    const win32::UniqueHandle file = win32::openForMetadata(path, FILE_WRITE_ATTRIBUTES);
    if (!win32::valid(file)) return win32::failWithLastError();
    const FILETIME when = win32::toFileTime(time);
    return ::SetFileTime(file.get(), nullptr, nullptr, &when) ? true : win32::failWithLastError();
}

bool applyDosAttributes(const std::filesystem::path& path, std::uint32_t attributes) {
    const DWORD current = ::GetFileAttributesW(path.c_str());
    if (current == INVALID_FILE_ATTRIBUTES) return win32::failWithLastError();
    // A folder keeps its attributes but for read-only, which it never takes (on Windows it
    // would not stop files being written into the folder anyway).
    const bool isDirectory = (current & FILE_ATTRIBUTE_DIRECTORY) != 0;
    DWORD wanted = attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                 FILE_ATTRIBUTE_ARCHIVE);
    if (isDirectory) wanted &= ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
    if (wanted == 0) wanted = FILE_ATTRIBUTE_NORMAL;
    return ::SetFileAttributesW(path.c_str(), wanted) ? true : win32::failWithLastError();
}

}  // namespace tessaro::platform
