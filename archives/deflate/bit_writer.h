// Buffered LSB-first bit output for the Deflate encoder.
//
// Bits collect in a 64-bit accumulator; after each symbol the whole bytes in it are stored
// with one unaligned 8-byte write into a 64 KiB output buffer, which goes to the sink when it
// is full. A caller may put up to 56 bits between two calls of flushBits(), enough for the
// longest match symbol (15 + 5 + 15 + 13 bits).
#pragma once

#include "archives/io/byte_stream.h"

#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

namespace tessaro::archives::deflate {

class BitWriter {
public:
    static constexpr std::size_t kBufferSize = 1 << 16;
    static constexpr std::size_t kStorage = kBufferSize + 8;  // room for the last 8-byte store

    // `storage` (kStorage bytes) is the caller's, so that many short streams (cabinet frames)
    // do not each allocate their own.
    BitWriter(ByteSink& sink, std::vector<std::uint8_t>& storage) : sink_(sink) {
        storage.resize(kStorage);
        buffer_ = storage.data();
    }

    void put(std::uint64_t bits, unsigned count) {
        accumulator_ |= bits << filled_;
        filled_ += count;
    }

    // Bits in the accumulator.
    unsigned pending() const { return filled_; }

    // Moves the whole bytes of the accumulator into the buffer.
    void flushBits() {
        std::uint64_t a = accumulator_;
        std::memcpy(buffer_ + used_, &a, 8);  // little-endian host assumed
        used_ += filled_ >> 3;
        accumulator_ = (filled_ >= 64) ? 0 : (accumulator_ >> (filled_ & ~7u));
        filled_ &= 7;
        if (used_ >= kBufferSize) drain();
    }

    // Pads with zero bits to the next byte boundary.
    void alignToByte() {
        filled_ = (filled_ + 7) & ~7u;
        flushBits();
    }

    // Raw bytes; only at a byte boundary (after alignToByte).
    void putBytes(std::span<const std::uint8_t> bytes) {
        while (!bytes.empty()) {
            const std::size_t n = std::min(bytes.size(), kBufferSize - used_);
            std::memcpy(buffer_ + used_, bytes.data(), n);
            used_ += n;
            bytes = bytes.subspan(n);
            if (used_ >= kBufferSize) drain();
        }
    }

    // Pads the last byte and hands everything to the sink.
    void finish() {
        alignToByte();
        drain();
    }

private:
    void drain() {
        if (used_ == 0) return;
        sink_.write({buffer_, used_});
        used_ = 0;
    }

    ByteSink& sink_;
    std::uint8_t* buffer_;
    std::size_t used_ = 0;
    std::uint64_t accumulator_ = 0;
    unsigned filled_ = 0;
};

}  // namespace tessaro::archives::deflate
