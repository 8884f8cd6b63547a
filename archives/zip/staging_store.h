// The staging store: a byte store in 4 KiB pages that keeps at most 8 MiB in memory.
//
// The ZIP writer builds each entry's data and then the whole new package image in such a
// store before anything reaches the package file. Small packages never touch the disk;
// beyond 2,048 pages the least recently used page goes to a swap file (prefix "VMS", in the
// writer's temporary folder), created at the first need and deleted with the store, so
// memory stays bounded whatever the file sizes. A page lives at offset index * 4096 of the
// swap file, so a page written out once is found again without bookkeeping.
#pragma once

#include "archives/io/byte_stream.h"
#include "platform/error.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <list>
#include <memory>
#include <span>
#include <vector>

namespace tessaro::archives::zip {

// A failure of the swap file; its text names the file.
class StagingError : public tessaro::Error {
public:
    using tessaro::Error::Error;
};

class SwapFile {
public:
    virtual ~SwapFile() = default;
    virtual const std::filesystem::path& name() const = 0;
    // Each returns false when the operation fails or falls short.
    virtual bool seek(std::uint64_t offset) = 0;
    virtual bool read(std::span<std::uint8_t> buffer) = 0;
    virtual bool write(std::span<const std::uint8_t> data) = 0;
};

// Creates a swap file in `folder`; nullptr (with `attempted` naming what was tried) when it
// cannot.
using SwapFileFactory = std::function<std::unique_ptr<SwapFile>(const std::filesystem::path& folder,
                                                                std::filesystem::path& attempted)>;

// Uniquely named files with the prefix "VMS", removed when released.
SwapFileFactory systemSwapFiles();

// The folder swap files go to: `preferred` when it names an existing folder, else the
// system's temporary folder.
std::filesystem::path swapFolderFor(const std::filesystem::path& preferred);

class StagingStore final : public ByteSink {
public:
    static constexpr size_t kPageSize = 4096;
    static constexpr size_t kMaxResidentPages = 2048;
    static constexpr size_t kCopyPiece = 1 << 20;

    explicit StagingStore(std::filesystem::path swapFolder, SwapFileFactory swapFiles = systemSwapFiles(),
                          size_t maxResidentPages = kMaxResidentPages);
    ~StagingStore() override;
    StagingStore(const StagingStore&) = delete;
    StagingStore& operator=(const StagingStore&) = delete;

    // Appends at the end.
    void write(std::span<const std::uint8_t> data) override;
    std::uint64_t size() const { return size_; }
    // Reads `buffer.size()` bytes at `offset`; the range must lie within the store.
    void readAt(std::uint64_t offset, std::span<std::uint8_t> buffer);
    // Writes the whole store to `out` in pieces of at most 1 MiB.
    void copyTo(ByteSink& out);
    // True once a page has gone to the swap file.
    bool hasSwapFile() const { return swap_ != nullptr; }

private:
    using Frame = std::array<std::uint8_t, kPageSize>;
    struct Page {
        Frame* frame = nullptr;  // resident when set
        bool onSwap = false;
        std::list<size_t>::iterator lru;
    };

    Frame& page(size_t index);
    Frame* takeFrame();
    void swapOut(size_t index);
    void swapIn(size_t index, Frame& frame);
    SwapFile& swapFile();
    void seekSwap(size_t index);

    std::filesystem::path swapFolder_;
    SwapFileFactory swapFiles_;
    std::unique_ptr<SwapFile> swap_;
    std::vector<std::unique_ptr<Frame>> frames_;
    std::vector<Frame*> spare_;  // frames owned by frames_ that no page uses
    std::vector<Page> pages_;
    std::list<size_t> lru_;  // resident pages, most recently used first
    std::uint64_t size_ = 0;
    size_t maxResidentPages_;
};

// Reads a staging store from its start.
class StagingSource final : public ByteSource {
public:
    explicit StagingSource(StagingStore& store) : store_(store) {}
    size_t read(std::span<std::uint8_t> buffer) override;
    std::uint64_t position() const override { return pos_; }
    void seek(std::uint64_t offset) override { pos_ = offset < store_.size() ? offset : store_.size(); }

private:
    StagingStore& store_;
    std::uint64_t pos_ = 0;
};

}  // namespace tessaro::archives::zip
