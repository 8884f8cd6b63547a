// The disks of an archive, and reading entry data that runs from one disk onto the next.
//
// A single-file archive is one disk: the file itself. A multi-disk set written with split
// files keeps disk k (counting from 0) in "<name>.z<k+1 as two digits>" beside the archive,
// whose own file is the last disk. A set on floppies keeps every disk under the archive's
// one name; the disk a read needs is asked for with an OK/Cancel prompt and the file opened
// again once the user has inserted it.
#pragma once

#include "archives/io/byte_stream.h"
#include "platform/drive_query.h"
#include "platform/random_access_file.h"
#include "platform/user_port.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <span>

namespace tessaro::archives::zip {

// The name of split part `part` (1-based) of `archive`: a.zip -> a.z01.
std::filesystem::path splitPartName(const std::filesystem::path& archive, std::uint32_t part);

class VolumeSet {
public:
    // One disk: `archive` is the whole archive.
    explicit VolumeSet(platform::RandomAccessFile archive);

    // Declares the archive the last disk (`lastDisk`) of a set read from split files.
    void useSplitFiles(std::uint32_t lastDisk);
    // Declares the archive the last disk of a set on removable disks, asked for through `port`.
    void useRemovableDisks(std::uint32_t lastDisk, UserPort& port, const platform::DriveQuery& drives);

    std::uint32_t lastDisk() const { return lastDisk_; }
    platform::RandomAccessFile& archiveFile() { return archive_; }

    // Reads within one disk; fewer bytes only at the disk's end.
    size_t readAt(std::uint32_t disk, std::uint64_t offset, std::span<std::uint8_t> buffer);
    std::uint64_t diskSize(std::uint32_t disk);

private:
    enum class Layout { single, splitFiles, removable };
    platform::RandomAccessFile& disk(std::uint32_t number);
    void askForDisk(std::uint32_t number);

    Layout layout_ = Layout::single;
    platform::RandomAccessFile archive_;
    std::filesystem::path archivePath_;
    std::uint32_t lastDisk_ = 0;
    std::uint32_t diskInDrive_ = 0;
    std::map<std::uint32_t, platform::RandomAccessFile> parts_;
    UserPort* port_ = nullptr;
    const platform::DriveQuery* drives_ = nullptr;
};

// Reads `length` bytes from (disk, offset) on, going on at the start of the next disk
// whenever a disk ends.
class VolumeReader final : public ByteSource {
public:
    VolumeReader(VolumeSet& volumes, std::uint32_t disk, std::uint64_t offset, std::uint64_t length);
    size_t read(std::span<std::uint8_t> buffer) override;
    std::uint64_t position() const override { return pos_; }
    void seek(std::uint64_t offset) override;

    // Where the next byte comes from.
    std::uint32_t disk() const { return disk_; }
    std::uint64_t diskOffset() const { return offset_; }

private:
    VolumeSet& volumes_;
    std::uint32_t startDisk_;
    std::uint64_t startOffset_;
    std::uint32_t disk_;
    std::uint64_t offset_;
    std::uint64_t length_;
    std::uint64_t pos_ = 0;
};

}  // namespace tessaro::archives::zip
