#include "archives/zip/volume_set.h"

#include "archives/zip/zip_errors.h"
#include "platform/path_text.h"

#include <algorithm>
#include <cstdio>

namespace tessaro::archives::zip {

std::filesystem::path splitPartName(const std::filesystem::path& archive, std::uint32_t part) {
    const std::string ext = platform::utf8FromPath(archive.extension());
    char number[16];
    std::snprintf(number, sizeof number, "%02u", part);
    std::filesystem::path name = archive;
    name.replace_extension(platform::pathFromUtf8(ext.substr(0, std::min<size_t>(2, ext.size())) + number));
    return name;
}

VolumeSet::VolumeSet(platform::RandomAccessFile archive)
    : archive_(std::move(archive)), archivePath_(archive_.path()) {}

void VolumeSet::useSplitFiles(std::uint32_t lastDisk) {
    layout_ = Layout::splitFiles;
    lastDisk_ = lastDisk;
}

void VolumeSet::useRemovableDisks(std::uint32_t lastDisk, UserPort& port, const platform::DriveQuery& drives) {
    layout_ = Layout::removable;
    lastDisk_ = lastDisk;
    diskInDrive_ = lastDisk;
    port_ = &port;
    drives_ = &drives;
}

void VolumeSet::askForDisk(std::uint32_t number) {
    char text[96];
    std::snprintf(text, sizeof text, "Insert disk number %u of the spanned disk set", number + 1);
    for (;;) {
        if (!port_->askOkCancel(text)) throw UserAbort();
        if (!drives_->isReady(archivePath_)) continue;
        try {
            archive_ = platform::RandomAccessFile(archivePath_, platform::RandomAccessFile::Mode::read);
            diskInDrive_ = number;
            return;
        } catch (const tessaro::Error&) {
            // No readable archive file on this disk yet: ask again.
        }
    }
}

platform::RandomAccessFile& VolumeSet::disk(std::uint32_t number) {
    if (layout_ == Layout::removable) {
        if (diskInDrive_ != number) askForDisk(number);
        return archive_;
    }
    if (layout_ == Layout::single || number == lastDisk_) return archive_;
    if (number > lastDisk_) throw ZipError(ZipCode::notPkZip, zip_text::kNotPkZip);
    auto found = parts_.find(number);
    if (found == parts_.end())
        found = parts_.emplace(number, platform::RandomAccessFile(splitPartName(archivePath_, number + 1),
                                                                   platform::RandomAccessFile::Mode::read))
                    .first;
    return found->second;
}

size_t VolumeSet::readAt(std::uint32_t number, std::uint64_t offset, std::span<std::uint8_t> buffer) {
    return disk(number).readAt(offset, buffer);
}

std::uint64_t VolumeSet::diskSize(std::uint32_t number) { return disk(number).size(); }

VolumeReader::VolumeReader(VolumeSet& volumes, std::uint32_t disk, std::uint64_t offset, std::uint64_t length)
    : volumes_(volumes), startDisk_(disk), startOffset_(offset), disk_(disk), offset_(offset), length_(length) {}

size_t VolumeReader::read(std::span<std::uint8_t> buffer) {
    const size_t wanted = static_cast<size_t>(std::min<std::uint64_t>(buffer.size(), length_ - pos_));
    size_t total = 0;
    while (total < wanted) {
        const size_t got = volumes_.readAt(disk_, offset_, buffer.subspan(total, wanted - total));
        if (got == 0) {
            // This disk is done: the data goes on at the start of the next one.
            if (disk_ >= volumes_.lastDisk()) break;
            ++disk_;
            offset_ = 0;
            continue;
        }
        total += got;
        offset_ += got;
        pos_ += got;
    }
    return total;
}

void VolumeReader::seek(std::uint64_t offset) {
    disk_ = startDisk_;
    offset_ = startOffset_;
    pos_ = 0;
    std::uint64_t left = std::min(offset, length_);
    while (left > 0) {
        const std::uint64_t size = volumes_.diskSize(disk_);
        const std::uint64_t here = size > offset_ ? std::min(left, size - offset_) : 0;
        offset_ += here;
        pos_ += here;
        left -= here;
        if (left == 0 || disk_ >= volumes_.lastDisk()) break;
        ++disk_;
        offset_ = 0;
    }
}

}  // namespace tessaro::archives::zip
