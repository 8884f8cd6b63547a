// The Deflate decoder's input: a 32 KiB buffer refilled from the source and a 64-bit bit
// buffer taken from it least significant bit first.
//
// While eight or more bytes are buffered, a refill is one unaligned 8-byte load that tops the
// bit buffer up to at least 56 bits, enough for a whole match symbol of plain Deflate. Near the
// end of the data the bit buffer is filled byte by byte and, once the source is exhausted,
// with zero bytes that are counted: decoding may look ahead into them, but consuming one of
// their bits means the data ended too early. The next refill then throws DecodeError naming
// the decoding step the decoder has set, and overrun() lets the decoder check at block ends.
#pragma once

#include "archives/codecs/decode_error.h"
#include "archives/io/byte_stream.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace tessaro::archives::deflate {

class InflateInput {
public:
    explicit InflateInput(ByteSource& source) : source_(source), buffer_(kBufferSize) {}

    // The decoding step named by errors about the end of the data.
    void setStep(const char* step) { step_ = step; }
    [[noreturn]] void failEndOfData() const { throw DecodeError(std::string("unexpected end of data (") + step_ + ")"); }

    // Ensures at least 56 bits in the bit buffer (some of them may be padding at the end).
    void refill() {
        if (end_ - next_ >= 8) {
            std::uint64_t word;
            std::memcpy(&word, buffer_.data() + next_, 8);  // little-endian host assumed
            bits_ |= word << count_;
            next_ += (63 - count_) >> 3;
            count_ |= 56;
        } else {
            refillSlowly();
        }
    }

    std::uint64_t peek() const { return bits_; }
    unsigned available() const { return count_; }
    void consume(unsigned n) {
        bits_ >>= n;
        count_ -= n;
    }
    // Takes n ≤ 32 bits (after a refill).
    unsigned take(unsigned n) {
        const unsigned v = static_cast<unsigned>(bits_ & ((std::uint64_t{1} << n) - 1));
        consume(n);
        return v;
    }

    // Whether bits beyond the end of the data have been consumed.
    bool overrun() const { return padding_ * 8 > count_; }

    void alignToByte() { consume(count_ & 7u); }

    // Takes up to `max` whole bytes at a byte boundary: first those left in the bit buffer,
    // then straight from the input buffer. Returns 0 only when the data has ended.
    std::size_t takeBytes(std::uint8_t* out, std::size_t max) {
        std::size_t n = 0;
        while (n < max && count_ >= 8 && padding_ * 8 < count_) {
            out[n++] = static_cast<std::uint8_t>(bits_);
            consume(8);
        }
        if (n > 0 || max == 0) return n;
        // The bit buffer holds nothing real any more.
        bits_ = 0;
        count_ = 0;
        padding_ = 0;
        if (next_ == end_) fetch();
        n = std::min<std::size_t>(max, end_ - next_);
        std::memcpy(out, buffer_.data() + next_, n);
        next_ += n;
        return n;
    }

private:
    static constexpr std::size_t kBufferSize = 1 << 15;

    void refillSlowly() {
        if (overrun()) failEndOfData();
        if (end_ - next_ < 8) fetch();
        if (end_ - next_ >= 8) {
            refill();
            return;
        }
        while (count_ <= 56) {
            if (next_ < end_) {
                bits_ |= std::uint64_t{buffer_[next_++]} << count_;
            } else {
                ++padding_;  // past the end: zero bits, counted
            }
            count_ += 8;
        }
    }

    // Moves what is left to the front and reads more.
    void fetch() {
        if (exhausted_) return;
        const std::size_t left = end_ - next_;
        std::memmove(buffer_.data(), buffer_.data() + next_, left);
        next_ = 0;
        end_ = left;
        while (end_ < kBufferSize) {
            const std::size_t got = source_.read({buffer_.data() + end_, kBufferSize - end_});
            if (got == 0) {
                exhausted_ = true;
                break;
            }
            end_ += got;
            if (end_ >= 8) break;
        }
    }

    ByteSource& source_;
    std::vector<std::uint8_t> buffer_;
    std::size_t next_ = 0;
    std::size_t end_ = 0;
    bool exhausted_ = false;
    std::uint64_t bits_ = 0;
    unsigned count_ = 0;
    unsigned padding_ = 0;  // zero bytes appended past the end of the data
    const char* step_ = "";
};

}  // namespace tessaro::archives::deflate
