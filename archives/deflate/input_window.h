// The encoder's input buffer: the 32 KiB window behind the current position, 32,256 bytes of
// slack and 258 bytes of lookahead, 65,282 bytes in all.
//
// The buffer is filled from the source at the start. When the window start (32,768 bytes
// behind the current position) has moved kSlack bytes into the buffer, everything from there
// on moves down to the buffer's beginning and the freed end is refilled, so at least 258 bytes
// lie ahead of the current position until the source is exhausted. Each slide moves 32 KiB and
// makes the hash chains lower every stored index (384 KiB of tables), so the slack is as large
// as the chains' 16-bit entries (buffer index + 1) allow: twice the slack halved that cost,
// which had reached a tenth of the encoder's time on text.
//
// Positions are buffer indices; bufferStart() is the stream index of index 0, where the stream
// counts an optional history (bytes placed before the source's first byte) and then the
// source's bytes. The checksum covers the source's bytes as they are read.
#pragma once

#include "archives/checksum/adler32.h"
#include "archives/checksum/crc32.h"
#include "archives/io/byte_stream.h"

#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

namespace tessaro::archives::deflate {

class InputWindow {
public:
    static constexpr std::size_t kWindow = 32768;
    static constexpr std::size_t kSlack = 32768 - 512;
    static constexpr std::size_t kLookahead = 258;
    static constexpr std::size_t kSize = kWindow + kSlack + kLookahead;  // 65,282
    static constexpr std::size_t kSlideAt = kWindow + kSlack;
    static_assert(kSize < 65536, "hash chain entries hold buffer index + 1 in 16 bits");
    // Word-wide comparisons may read a few bytes past the valid data, and the match search
    // reads the byte before index 0 for an empty chain entry rather than branch around it.
    // Every read outside the data stays within these two pads.
    static constexpr std::size_t kPadding = 16;
    static constexpr std::size_t kFrontPadding = 16;

    InputWindow() : storage_(kFrontPadding + kSize + kPadding), buffer_(storage_.data() + kFrontPadding) {}
    InputWindow(const InputWindow&) = delete;
    InputWindow& operator=(const InputWindow&) = delete;

    // Starts a stream: the last 32 KiB of history first, then the source from its position.
    void start(ByteSource& source, std::span<const std::uint8_t> history, bool adler32) {
        if (history.size() > kWindow) history = history.subspan(history.size() - kWindow);
        source_ = &source;
        adler32_ = adler32;
        crc_ = Crc32{};
        adler_ = Adler32{};
        bufferStart_ = 0;
        if (!history.empty()) std::memcpy(buffer_, history.data(), history.size());
        end_ = history.size();
        historySize_ = history.size();
        sourceStart_ = source.position();
        exhausted_ = false;
        fill();
    }

    // Slides when the window start has moved kSlack into the buffer; returns whether it did.
    bool slideIfDue(std::size_t& pos) {
        if (pos < kSlideAt) return false;
        std::memmove(buffer_, buffer_ + kSlack, end_ - kSlack);
        end_ -= kSlack;
        pos -= kSlack;
        bufferStart_ += kSlack;
        fill();
        return true;
    }

    const std::uint8_t* data() const { return buffer_; }
    std::size_t end() const { return end_; }
    std::uint64_t bufferStart() const { return bufferStart_; }
    std::size_t historySize() const { return historySize_; }
    // The source offset of a stream index past the history.
    std::uint64_t sourceOffset(std::uint64_t streamIndex) const { return sourceStart_ + (streamIndex - historySize_); }
    ByteSource& source() const { return *source_; }
    std::uint32_t checksum() const { return adler32_ ? adler_.value() : crc_.value(); }

private:
    void fill() {
        if (exhausted_ || end_ == kSize) return;
        const std::size_t wanted = kSize - end_;
        const std::size_t got = source_->readFully({buffer_ + end_, wanted});
        const std::span<const std::uint8_t> fresh(buffer_ + end_, got);
        if (adler32_) adler_.update(fresh);
        else crc_.update(fresh);
        end_ += got;
        exhausted_ = got < wanted;
    }

    std::vector<std::uint8_t> storage_;
    std::uint8_t* buffer_;  // index 0, kFrontPadding bytes into the storage
    ByteSource* source_ = nullptr;
    bool adler32_ = false;
    Crc32 crc_;
    Adler32 adler_;
    std::uint64_t bufferStart_ = 0;
    std::uint64_t sourceStart_ = 0;
    std::size_t historySize_ = 0;
    std::size_t end_ = 0;
    bool exhausted_ = false;
};

}  // namespace tessaro::archives::deflate
