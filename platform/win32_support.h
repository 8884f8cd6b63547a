// Helpers shared by the Win32 halves of platform/ (Windows builds only; never included by
// code outside platform/).
#pragma once

#ifndef _WIN32
#error "win32_support.h is for the Windows build only"
#endif

#include <windows.h>

#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace tessaro::platform::win32 {

struct HandleCloser {
    void operator()(HANDLE handle) const {
        if (handle != INVALID_HANDLE_VALUE && handle != nullptr) ::CloseHandle(handle);
    }
};
// Owns a kernel handle; CreateFileW's INVALID_HANDLE_VALUE is held as such and never closed.
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

inline bool valid(const UniqueHandle& handle) { return handle && handle.get() != INVALID_HANDLE_VALUE; }

// UTF-8 text <-> the system's UTF-16.
std::wstring toWide(std::string_view utf8);
std::string fromWide(std::wstring_view wide);

// The errno value closest to a Win32 error, so that the C library's text (strerror) can name
// the reason, as it does on POSIX.
int errnoFromWin32(DWORD error);

// Sets errno from GetLastError() and returns false, for "return fail();" in bool functions.
bool failWithLastError();

// Opens `path` (a file or a folder) for querying or setting attributes and times, following
// symbolic links, and sharing it with every other user.
UniqueHandle openForMetadata(const std::filesystem::path& path, DWORD access);

// The tag of the reparse point at `path` itself (not followed); 0 when it cannot be read.
DWORD reparseTag(const std::filesystem::path& path);

// True for the tag of a reparse point that stands for another name (junctions, mount points,
// symbolic links), and for a tag that could not be read (0, which no reparse point has).
inline bool isLinkTag(DWORD tag) { return tag == 0 || IsReparseTagNameSurrogate(tag); }

// FILETIME (100 ns since 1601, UTC) <-> POSIX seconds.
std::time_t toTimeT(const FILETIME& time);
FILETIME toFileTime(std::time_t time);

}  // namespace tessaro::platform::win32
