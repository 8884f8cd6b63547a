// File locks on Windows: the file opened without sharing, which no other handle can then
// open until it is closed; the system closes it when the process ends. The file is made
// hidden, as the leading dot of its name hides it on POSIX.
#include "platform/file_lock.h"

#include "platform/win32_support.h"

#include <io.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>

namespace tessaro::platform {

std::optional<FileLock> FileLock::tryLock(const std::filesystem::path& file, Refusal& refusal, std::string& reason) {
    HANDLE handle = ::CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        refusal = error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ? Refusal::heldElsewhere
                                                                                      : Refusal::systemError;
        reason = std::strerror(win32::errnoFromWin32(error));
        return std::nullopt;
    }
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        ::CloseHandle(handle);
        refusal = Refusal::systemError;
        reason = std::strerror(EMFILE);
        return std::nullopt;
    }
    return FileLock(fd);
}

void FileLock::release() noexcept {
    if (fd_ >= 0) ::_close(std::exchange(fd_, -1));
}

}  // namespace tessaro::platform
