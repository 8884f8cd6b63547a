#include "platform/file_attributes.h"

#include <sys/stat.h>

#include <cerrno>
#include <fcntl.h>

namespace tessaro::platform {

std::optional<FileStatus> queryFileStatus(const std::filesystem::path& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    FileStatus status;
    status.size = S_ISREG(st.st_mode) ? static_cast<std::uint64_t>(st.st_size) : 0;
    status.lastWrite = st.st_mtime;
    // Pipes, devices and sockets get neither bit: no archive component takes them as files.
    if (S_ISDIR(st.st_mode)) status.attributes |= dos_attr::kDirectory;
    else if (S_ISREG(st.st_mode)) status.attributes |= dos_attr::kArchive;
    if ((st.st_mode & S_IWUSR) == 0) status.attributes |= dos_attr::kReadOnly;
    const std::string name = path.filename().string();
    if (!name.empty() && name.front() == '.' && name != "." && name != "..") status.attributes |= dos_attr::kHidden;
    return status;
}

bool isReadOnly(const std::filesystem::path& path) {
    const auto status = queryFileStatus(path);
    return status && (status->attributes & dos_attr::kReadOnly) != 0;
}

bool setLastWriteTime(const std::filesystem::path& path, std::time_t time) {
    struct timespec times[2] {};
    times[0].tv_nsec = UTIME_OMIT;  // access time stays
    times[1].tv_sec = time;
    return ::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

bool applyDosAttributes(const std::filesystem::path& path, std::uint32_t attributes) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return false;
    mode_t mode = st.st_mode & 07777;
    if (attributes & dos_attr::kReadOnly) mode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
    else mode |= S_IWUSR;
    return ::chmod(path.c_str(), mode) == 0;
}

}  // namespace tessaro::platform
