// Where a save writes the new package image: a staging store copied into the package at the
// end (the normal case), or the package file on a removable disk directly, spanning onto
// further disks when one is full.
//
// Records (headers, the directory's end) are kept whole on one disk; entry data may run on
// from one disk to the next. Positions count from the start of the current disk.
#pragma once

#include "archives/io/byte_stream.h"
#include "archives/zip/staging_store.h"
#include "platform/drive_query.h"
#include "platform/random_access_file.h"
#include "platform/user_port.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string_view>

namespace tessaro::archives::zip {

class PackageImage {
public:
    virtual ~PackageImage() = default;
    virtual std::uint32_t disk() const = 0;
    virtual std::uint64_t position() const = 0;
    // Makes room for a record of `size` bytes: moves on to the next disk when it would not
    // fit on this one. position() and disk() then tell where the record will start.
    virtual void beginRecord(size_t size) = 0;
    // Writes a record (after beginRecord for its size).
    virtual void record(std::string_view bytes) = 0;
    virtual void data(std::span<const std::uint8_t> bytes) = 0;
};

// Feeds entry data into an image.
class ImageDataSink final : public ByteSink {
public:
    explicit ImageDataSink(PackageImage& image) : image_(image) {}
    void write(std::span<const std::uint8_t> data) override { image_.data(data); }

private:
    PackageImage& image_;
};

class StagedImage final : public PackageImage {
public:
    StagedImage(std::filesystem::path swapFolder, SwapFileFactory swapFiles, size_t residentPages)
        : store_(std::move(swapFolder), std::move(swapFiles), residentPages) {}
    std::uint32_t disk() const override { return 0; }
    std::uint64_t position() const override { return store_.size(); }
    void beginRecord(size_t) override {}
    void record(std::string_view bytes) override;
    void data(std::span<const std::uint8_t> bytes) override { store_.write(bytes); }
    StagingStore& store() { return store_; }

private:
    StagingStore store_;
};

class DiskImage final : public PackageImage {
public:
    // Writes into `package`, which must be empty; `port` asks for each next disk.
    DiskImage(const std::filesystem::path& package, platform::DriveQuery& drives, UserPort* port);
    std::uint32_t disk() const override { return disk_; }
    std::uint64_t position() const override { return position_; }
    void beginRecord(size_t size) override;
    void record(std::string_view bytes) override;
    void data(std::span<const std::uint8_t> bytes) override;
    // Overwrites the first bytes of the current disk's file.
    void overwriteStart(std::string_view bytes);
    void close() { file_.close(); }

private:
    void write(std::span<const std::uint8_t> bytes);
    void nextDisk();

    std::filesystem::path path_;
    platform::DriveQuery& drives_;
    UserPort* port_;
    platform::RandomAccessFile file_;
    std::uint32_t disk_ = 0;
    std::uint64_t position_ = 0;
    std::uint64_t capacity_ = 0;
};

}  // namespace tessaro::archives::zip
