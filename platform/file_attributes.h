// File attributes and last-write times in the DOS terms archive records use.
//
// A POSIX file system has no DOS attribute bits, so they are derived: read-only = the owner
// may not write; hidden = the name begins with "."; system = never; archive = every regular
// file; folder = directory. Written into ZIP and cabinet records, these give a package made
// here the same bytes as one made on Windows. Applying attributes maps read-only onto the
// owner's (and everyone's) write permission; the other bits have no POSIX counterpart.
#pragma once

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <optional>

namespace tessaro::platform {

namespace dos_attr {
inline constexpr std::uint32_t kReadOnly = 0x01;
inline constexpr std::uint32_t kHidden = 0x02;
inline constexpr std::uint32_t kSystem = 0x04;
inline constexpr std::uint32_t kDirectory = 0x10;
inline constexpr std::uint32_t kArchive = 0x20;
}  // namespace dos_attr

struct FileStatus {
    std::uint32_t attributes = 0;  // DOS attribute bits
    std::uint64_t size = 0;
    std::time_t lastWrite = 0;
    bool isDirectory() const { return (attributes & dos_attr::kDirectory) != 0; }
};

// The status of `path` (symbolic links followed); nothing when it does not exist.
std::optional<FileStatus> queryFileStatus(const std::filesystem::path& path);

// True when `path` exists and its owner may not write it (whoever runs the program, root
// included: the attribute is a property of the file, as on Windows).
bool isReadOnly(const std::filesystem::path& path);

// Sets the last-write time; false when that fails.
bool setLastWriteTime(const std::filesystem::path& path, std::time_t time);

// Applies the read-only bit: set clears every write permission, clear gives the owner write
// permission back. False when the permissions cannot be changed.
bool applyDosAttributes(const std::filesystem::path& path, std::uint32_t attributes);

}  // namespace tessaro::platform
