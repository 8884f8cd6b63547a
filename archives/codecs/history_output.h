// The output side of the ZIP method decoders that produce bytes one at a time or copy from
// their own history (Shrink, Reduce, Implode, PPMd).
//
// A 64 KiB ring holds the latest output: it is the history that matches copy from and, at the
// same time, the staging buffer that goes to the sink whenever it wraps, so the sink sees few
// large writes and memory stays fixed. The ring starts zero-filled because Reduce and Implode
// define every byte before the start of the output as zero. The output stops at the entry's
// uncompressed size: nothing beyond it is ever written.
#pragma once

#include "archives/io/byte_stream.h"

#include <cstdint>
#include <vector>

namespace tessaro::archives {

class HistoryOutput {
public:
    // The longest distance a copy may reach back (the ring's size).
    static constexpr size_t kMaxDistance = 64 * 1024;

    HistoryOutput(ByteSink& sink, std::uint64_t size);

    bool done() const { return written_ == size_; }
    std::uint64_t written() const { return written_; }

    // Appends one byte; the caller checks done() first.
    void put(std::uint8_t value) {
        ring_[pos_] = value;
        ++written_;
        if (++pos_ == ring_.size()) flushRing();
    }

    // Appends `length` bytes copied from `distance` bytes back (1 to kMaxDistance), overlapping
    // copies repeating as LZ77 wants; stops early at the uncompressed size.
    void copy(size_t distance, size_t length);

    // Hands everything not yet written to the sink.
    void flush();

private:
    void flushRing();

    ByteSink& sink_;
    std::uint64_t size_;
    std::uint64_t written_ = 0;
    std::vector<std::uint8_t> ring_;
    size_t pos_ = 0;      // next slot of the ring
    size_t flushed_ = 0;  // ring bytes below this index are already in the sink
};

}  // namespace tessaro::archives
