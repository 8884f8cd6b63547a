#include "archives/zip/package_image.h"

#include "archives/zip/zip_errors.h"
#include "archives/zip/zip_format.h"

#include <algorithm>
#include <cstdio>

namespace tessaro::archives::zip {

void StagedImage::record(std::string_view bytes) { store_.write(asBytes(bytes)); }

DiskImage::DiskImage(const std::filesystem::path& package, platform::DriveQuery& drives, UserPort* port)
    : path_(package),
      drives_(drives),
      port_(port),
      file_(package, platform::RandomAccessFile::Mode::readWrite),
      capacity_(drives.freeSpace(package)) {}

void DiskImage::write(std::span<const std::uint8_t> bytes) {
    file_.writeAt(position_, bytes);
    position_ += bytes.size();
}

void DiskImage::nextDisk() {
    file_.close();
    do {
        if (!port_ || !port_->askOkCancel("Insert a blank floppy disk")) throw UserAbort();
    } while (!drives_.isReady(path_));
    ++disk_;
    char label[32];
    std::snprintf(label, sizeof label, "PKBACK# %3.3u", disk_);
    drives_.setVolumeLabel(path_, label);
    file_ = platform::RandomAccessFile(path_, platform::RandomAccessFile::Mode::create);
    position_ = 0;
    capacity_ = drives_.freeSpace(path_);
}

void DiskImage::beginRecord(size_t size) {
    // A record that does not fit goes whole onto the next disk.
    if (position_ > 0 && position_ + size > capacity_) nextDisk();
}

void DiskImage::record(std::string_view bytes) {
    beginRecord(bytes.size());
    write(asBytes(bytes));
}

void DiskImage::data(std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        if (position_ >= capacity_) nextDisk();
        const size_t n = static_cast<size_t>(std::min<std::uint64_t>(bytes.size(), capacity_ - position_));
        write(bytes.first(n));
        bytes = bytes.subspan(n);
    }
}

void DiskImage::overwriteStart(std::string_view bytes) { file_.writeAt(0, asBytes(bytes)); }

}  // namespace tessaro::archives::zip
