// The Deflate decoder's output buffer: the sliding window that matches copy from, and the
// staging area that goes to the sink.
//
// One fixed buffer (65,794 bytes for Deflate: the 32 KiB window, 32 KiB of new output and one
// longest match; 163,840 bytes for Deflate64 with its 64 KiB window) receives the decoded
// bytes. When too little room is left for a longest match, the new bytes go to the sink and
// the last window's worth moves down to the front. A Deflate64 match can be longer than that
// room; it is copied in pieces.
//
// The output never exceeds the declared size: limitIndex() marks the buffer index at which
// the declared size is reached, and the decoder refuses any symbol that would pass it.
#pragma once

#include "archives/io/byte_stream.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace tessaro::archives::deflate {

class InflateOutput {
public:
    // Extra bytes after the buffer so that match copies may write whole words past their end.
    static constexpr std::size_t kCopySlack = 16;

    // Room kept free for one symbol: the longest plain Deflate match.
    static constexpr std::size_t kRoomNeeded = 258;

    InflateOutput(ByteSink& sink, std::size_t bufferSize, std::size_t window, std::uint64_t limit)
        : sink_(sink), buffer_(bufferSize + kCopySlack), size_(bufferSize), window_(window), limit_(limit) {}

    std::uint8_t* begin() { return buffer_.data(); }
    std::size_t size() const { return size_; }
    // Past this index makeRoom() must run before the next symbol.
    std::size_t lastSafeIndex() const { return size_ - kRoomNeeded; }

    // Buffer index at which the declared size is reached (may lie beyond the buffer).
    std::uint64_t limitIndex() const { return limit_ - base_; }

    // Sends the new bytes up to `pos` to the sink and, when the buffer is getting full, moves
    // the last window down; returns the new position.
    std::size_t makeRoom(std::size_t pos) {
        flush(pos);
        if (pos <= lastSafeIndex()) return pos;
        const std::size_t keep = std::min(pos, window_);
        std::memmove(buffer_.data(), buffer_.data() + pos - keep, keep);
        base_ += pos - keep;
        flushed_ = keep;
        return keep;
    }

    // Sends the new bytes up to `pos` and starts again at index 0, for a caller that is about
    // to write a whole window's worth (which becomes the history by itself); returns 0.
    std::size_t restart(std::size_t pos) {
        flush(pos);
        base_ += pos;
        flushed_ = 0;
        return 0;
    }

    std::size_t window() const { return window_; }

    // Sends the bytes not yet sent, up to `pos`.
    void flush(std::size_t pos) {
        if (pos > flushed_) sink_.write({buffer_.data() + flushed_, pos - flushed_});
        flushed_ = pos;
    }

    // Total bytes produced up to buffer index pos.
    std::uint64_t produced(std::size_t pos) const { return base_ + pos; }

private:
    ByteSink& sink_;
    std::vector<std::uint8_t> buffer_;
    std::size_t size_;
    std::size_t window_;
    std::uint64_t limit_;
    std::uint64_t base_ = 0;  // stream offset of buffer index 0
    std::size_t flushed_ = 0;
};

}  // namespace tessaro::archives::deflate
