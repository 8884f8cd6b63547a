// What the archive components ask about the drive a file lies on.
//
// Windows tells removable drives (floppies, USB sticks) apart; the ZIP components then write
// straight to the disk and span a package over several disks, asking for each next one.
// Linux reports no removable drives, so that path is taken only when a test injects a
// query of its own.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace tessaro::platform {

class DriveQuery {
public:
    virtual ~DriveQuery() = default;
    // True when the drive holding `path` is removable.
    virtual bool isRemovable(const std::filesystem::path& path) const = 0;
    // True when the drive holding `path` can be read (a disk is in it).
    virtual bool isReady(const std::filesystem::path& path) const = 0;
    // Bytes free on the drive holding `path`.
    virtual std::uint64_t freeSpace(const std::filesystem::path& path) const = 0;
    // Names the volume holding `path`; false when that fails.
    virtual bool setVolumeLabel(const std::filesystem::path& path, const std::string& label) = 0;
};

// The system's answers: never removable, always ready, the file system's free space, and no
// volume labels.
DriveQuery& systemDriveQuery();

}  // namespace tessaro::platform
