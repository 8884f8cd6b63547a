// The Deflate decoder's input: a 1 KiB buffer refilled from the source and a 64-bit bit
// buffer taken from it least significant bit first. The buffer is small on purpose: stored
// data beyond it goes from the source straight into the output window, so a smaller buffer
// means fewer bytes copied twice.
//
// The hot decoding loop works on a Cursor, a plain copy of the read position and the bit
// buffer that the compiler keeps in registers; it refills with one unaligned 8-byte load while
// eight or more bytes are buffered, which tops the bit buffer up to at least 56 bits, enough
// for a whole match symbol of plain Deflate. Near the end of the buffer it hands the cursor
// back for refillSlowly(), which reads more from the source or, once the source is exhausted,
// fills the bit buffer with zero bytes that are counted: decoding may look ahead into them,
// but consuming one of their bits means the data ended too early. The next slow refill then
// throws DecodeError naming the decoding step the decoder has set, and overrun() lets the
// decoder check at block ends.
#pragma once

#include "archives/io/byte_stream.h"
#include "archives/io/decode_error.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace tessaro::archives::deflate {

class InflateInput {
public:
    struct Cursor {
        const std::uint8_t* next;
        const std::uint8_t* end;
        std::uint64_t bits;
        unsigned count;

        bool canRefillFast() const { return end - next >= 8; }
        void refillFast() {
            std::uint64_t word;
            std::memcpy(&word, next, 8);  // little-endian host assumed
            bits |= word << count;
            next += (63 - count) >> 3;
            count |= 56;
        }
        void consume(unsigned n) {
            bits >>= n;
            count -= n;
        }
        unsigned take(unsigned n) {
            const unsigned v = static_cast<unsigned>(bits & ((std::uint64_t{1} << n) - 1));
            consume(n);
            return v;
        }
    };

    explicit InflateInput(ByteSource& source) : source_(source), buffer_(kBufferSize) {
        cursor_ = {buffer_.data(), buffer_.data(), 0, 0};
    }

    // The decoding step named by errors about the end of the data.
    void setStep(const char* step) { step_ = step; }
    [[noreturn]] void failEndOfData() const { throw DecodeError(std::string("unexpected end of data (") + step_ + ")"); }

    Cursor& cursor() { return cursor_; }

    // Ensures at least 56 bits in the bit buffer (some of them may be padding at the end).
    void refill() {
        if (cursor_.canRefillFast()) cursor_.refillFast();
        else refillSlowly();
    }
    void refillSlowly();

    std::uint64_t peek() const { return cursor_.bits; }
    unsigned available() const { return cursor_.count; }
    void consume(unsigned n) { cursor_.consume(n); }
    unsigned take(unsigned n) { return cursor_.take(n); }

    // Whether bits beyond the end of the data have been consumed.
    bool overrun() const { return padding_ * 8 > cursor_.count; }

    void alignToByte() { cursor_.consume(cursor_.count & 7u); }

    // Takes up to `max` whole bytes at a byte boundary: first those left in the bit buffer,
    // then those in the input buffer, then straight from the source. Returns 0 only when the
    // data has ended.
    std::size_t takeBytes(std::uint8_t* out, std::size_t max);

private:
    static constexpr std::size_t kBufferSize = 1 << 10;

    void fetch();

    ByteSource& source_;
    std::vector<std::uint8_t> buffer_;
    Cursor cursor_;
    bool exhausted_ = false;
    unsigned padding_ = 0;  // zero bytes appended past the end of the data
    const char* step_ = "";
};

inline void InflateInput::refillSlowly() {
    if (overrun()) failEndOfData();
    if (!cursor_.canRefillFast()) fetch();
    if (cursor_.canRefillFast()) {
        cursor_.refillFast();
        return;
    }
    while (cursor_.count <= 56) {
        if (cursor_.next < cursor_.end) cursor_.bits |= std::uint64_t{*cursor_.next++} << cursor_.count;
        else ++padding_;  // past the end: zero bits, counted
        cursor_.count += 8;
    }
}

inline std::size_t InflateInput::takeBytes(std::uint8_t* out, std::size_t max) {
    std::size_t n = 0;
    while (n < max && cursor_.count >= 8 && padding_ * 8 < cursor_.count) {
        out[n++] = static_cast<std::uint8_t>(cursor_.bits);
        cursor_.consume(8);
    }
    if (n > 0 || max == 0) return n;
    // The bit buffer holds nothing real any more.
    cursor_.bits = 0;
    cursor_.count = 0;
    padding_ = 0;
    if (cursor_.next < cursor_.end) {
        n = std::min<std::size_t>(max, static_cast<std::size_t>(cursor_.end - cursor_.next));
        std::memcpy(out, cursor_.next, n);
        cursor_.next += n;
        return n;
    }
    if (exhausted_) return 0;
    // Large stored data goes from the source to the output without the input buffer.
    n = source_.read({out, max});
    if (n == 0) exhausted_ = true;
    return n;
}

// Moves what is left to the front and reads more, until at least 8 bytes are buffered.
inline void InflateInput::fetch() {
    if (exhausted_) return;
    const std::size_t left = static_cast<std::size_t>(cursor_.end - cursor_.next);
    std::memmove(buffer_.data(), cursor_.next, left);
    std::size_t end = left;
    while (end < 8) {
        const std::size_t got = source_.read({buffer_.data() + end, kBufferSize - end});
        if (got == 0) {
            exhausted_ = true;
            break;
        }
        end += got;
    }
    cursor_.next = buffer_.data();
    cursor_.end = buffer_.data() + end;
}

}  // namespace tessaro::archives::deflate
