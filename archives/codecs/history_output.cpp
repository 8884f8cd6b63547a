#include "archives/codecs/history_output.h"

#include <algorithm>
#include <span>
#include <stdexcept>

namespace tessaro::archives {

HistoryOutput::HistoryOutput(ByteSink& sink, std::uint64_t size) : sink_(sink), size_(size), ring_(kMaxDistance, 0) {}

void HistoryOutput::copy(size_t distance, size_t length) {
    // Decoders limit their distances by their formats; a larger one would be a decoder bug.
    if (distance == 0 || distance > ring_.size()) throw std::logic_error("HistoryOutput::copy: distance out of range");
    const std::uint64_t left = size_ - written_;
    if (length > left) length = static_cast<size_t>(left);
    const size_t mask = ring_.size() - 1;
    size_t from = (pos_ - distance) & mask;
    for (size_t i = 0; i < length; ++i) {
        put(ring_[from]);
        from = (from + 1) & mask;
    }
}

void HistoryOutput::flushRing() {
    sink_.write(std::span<const std::uint8_t>(ring_).subspan(flushed_, ring_.size() - flushed_));
    pos_ = 0;
    flushed_ = 0;
}

void HistoryOutput::flush() {
    if (pos_ > flushed_) sink_.write(std::span<const std::uint8_t>(ring_).subspan(flushed_, pos_ - flushed_));
    flushed_ = pos_;
}

}  // namespace tessaro::archives
