// What the cabinet builder learns about a file on disk: size, DOS attributes and last-write
// time as the two MS-DOS words and as a date-time value.
//
// POSIX file systems have no DOS attributes, so they are derived the same way everywhere in
// Tessaro: read-only when the owner may not write, hidden when the name begins with ".",
// system never, archive on every regular file, folder for a directory. A package made on
// Linux thus holds the same attribute bytes as one made on Windows.
#pragma once

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <optional>

namespace tessaro::archives::cab {

inline constexpr std::uint16_t kDosReadOnly = 0x01;
inline constexpr std::uint16_t kDosHidden = 0x02;
inline constexpr std::uint16_t kDosSystem = 0x04;
inline constexpr std::uint16_t kDosDirectory = 0x10;
inline constexpr std::uint16_t kDosArchive = 0x20;

struct DiskFileInfo {
    bool isDirectory = false;
    std::uint64_t size = 0;
    std::uint16_t attributes = 0;  // DOS bits
    std::time_t lastWrite = 0;     // POSIX time
};

// The facts about `path` (symbolic links followed), or nothing when it does not exist.
std::optional<DiskFileInfo> diskFileInfo(const std::filesystem::path& path);

struct DosDateTime {
    std::uint16_t date = 0;
    std::uint16_t time = 0;
};

// Local calendar time of `t` as MS-DOS words; seconds rounded down to even. Times outside the
// DOS range (1980-2107) are clamped to its ends.
DosDateTime toDosDateTime(std::time_t t);

// Local time of `t` to two seconds, as days since 1899-12-30 (the date-time value of the item
// list). 0 when `t` cannot be converted.
double toDateTimeValue(std::time_t t);

}  // namespace tessaro::archives::cab
