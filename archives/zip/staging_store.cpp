#include "archives/zip/staging_store.h"

#include "platform/temp_file.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace tessaro::archives::zip {
namespace {

class SystemSwapFile final : public SwapFile {
public:
    explicit SystemSwapFile(platform::TempFile file) : file_(std::move(file)) {}
    const std::filesystem::path& name() const override { return file_.path(); }
    bool seek(std::uint64_t offset) override { return file_.seek(offset); }
    bool read(std::span<std::uint8_t> buffer) override { return file_.read(buffer); }
    bool write(std::span<const std::uint8_t> data) override { return file_.write(data); }

private:
    platform::TempFile file_;
};

std::string swapText(const char* format, const std::filesystem::path& name) {
    char text[512];
    std::snprintf(text, sizeof text, format, name.string().c_str());
    return text;
}

std::string swapCountText(const char* format, const std::filesystem::path& name) {
    char text[512];
    std::snprintf(text, sizeof text, format, static_cast<int>(StagingStore::kPageSize), name.string().c_str());
    return text;
}

}  // namespace

SwapFileFactory systemSwapFiles() {
    return [](const std::filesystem::path& folder, std::filesystem::path& attempted) -> std::unique_ptr<SwapFile> {
        auto file = platform::TempFile::create(folder, "VMS", &attempted);
        if (!file) return nullptr;
        return std::make_unique<SystemSwapFile>(std::move(*file));
    };
}

std::filesystem::path swapFolderFor(const std::filesystem::path& preferred) {
    std::error_code ec;
    if (!preferred.empty() && std::filesystem::is_directory(preferred, ec)) return preferred;
    return platform::systemTempFolder();
}

StagingStore::StagingStore(std::filesystem::path swapFolder, SwapFileFactory swapFiles, size_t maxResidentPages)
    : swapFolder_(std::move(swapFolder)), swapFiles_(std::move(swapFiles)), maxResidentPages_(std::max<size_t>(1, maxResidentPages)) {}

StagingStore::~StagingStore() = default;

SwapFile& StagingStore::swapFile() {
    if (!swap_) {
        std::filesystem::path attempted = swapFolder_ / "VMS";
        swap_ = swapFiles_(swapFolder_, attempted);
        if (!swap_) throw StagingError(swapText("VMS: Cannot open swap file %s", attempted));
    }
    return *swap_;
}

void StagingStore::seekSwap(size_t index) {
    SwapFile& file = swapFile();
    if (!file.seek(static_cast<std::uint64_t>(index) * kPageSize))
        throw StagingError(swapText("VMS: Failed to seek in swap file %s", file.name()));
}

void StagingStore::swapOut(size_t index) {
    Page& victim = pages_[index];
    seekSwap(index);
    if (!swap_->write(*victim.frame))
        throw StagingError(swapCountText("VMS: Failed to write %d bytes to swap file %s", swap_->name()));
    victim.onSwap = true;
}

void StagingStore::swapIn(size_t index, Frame& frame) {
    seekSwap(index);
    if (!swap_->read(frame))
        throw StagingError(swapCountText("VMS: Failed to read %d bytes from swap file %s", swap_->name()));
}

StagingStore::Frame* StagingStore::takeFrame() {
    if (!spare_.empty()) {
        Frame* frame = spare_.back();
        spare_.pop_back();
        return frame;
    }
    if (frames_.size() < maxResidentPages_) {
        frames_.push_back(std::make_unique<Frame>());
        return frames_.back().get();
    }
    const size_t victimIndex = lru_.back();
    swapOut(victimIndex);  // throws before anything changes when the swap file fails
    Page& victim = pages_[victimIndex];
    Frame* frame = victim.frame;
    victim.frame = nullptr;
    lru_.pop_back();
    return frame;
}

StagingStore::Frame& StagingStore::page(size_t index) {
    Page& p = pages_[index];
    if (p.frame) {
        lru_.splice(lru_.begin(), lru_, p.lru);
        return *p.frame;
    }
    Frame* frame = takeFrame();
    if (p.onSwap) {
        try {
            swapIn(index, *frame);
        } catch (...) {
            spare_.push_back(frame);
            throw;
        }
    } else {
        frame->fill(0);
    }
    p.frame = frame;
    lru_.push_front(index);
    p.lru = lru_.begin();
    return *frame;
}

void StagingStore::write(std::span<const std::uint8_t> data) {
    while (!data.empty()) {
        const size_t index = static_cast<size_t>(size_ / kPageSize);
        const size_t within = static_cast<size_t>(size_ % kPageSize);
        if (index == pages_.size()) pages_.emplace_back();
        Frame& frame = page(index);
        const size_t n = std::min(data.size(), kPageSize - within);
        std::memcpy(frame.data() + within, data.data(), n);
        data = data.subspan(n);
        size_ += n;
    }
}

void StagingStore::readAt(std::uint64_t offset, std::span<std::uint8_t> buffer) {
    while (!buffer.empty()) {
        const size_t index = static_cast<size_t>(offset / kPageSize);
        const size_t within = static_cast<size_t>(offset % kPageSize);
        const Frame& frame = page(index);
        const size_t n = std::min(buffer.size(), kPageSize - within);
        std::memcpy(buffer.data(), frame.data() + within, n);
        buffer = buffer.subspan(n);
        offset += n;
    }
}

void StagingStore::copyTo(ByteSink& out) {
    std::vector<std::uint8_t> piece(static_cast<size_t>(std::min<std::uint64_t>(kCopyPiece, size_)));
    for (std::uint64_t offset = 0; offset < size_;) {
        const size_t n = static_cast<size_t>(std::min<std::uint64_t>(piece.size(), size_ - offset));
        readAt(offset, std::span(piece).first(n));
        out.write(std::span(piece).first(n));
        offset += n;
    }
}

size_t StagingSource::read(std::span<std::uint8_t> buffer) {
    const size_t n = static_cast<size_t>(std::min<std::uint64_t>(buffer.size(), store_.size() - pos_));
    store_.readAt(pos_, buffer.first(n));
    pos_ += n;
    return n;
}

}  // namespace tessaro::archives::zip
