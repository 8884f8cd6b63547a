// Buffered reading of one entry's compressed bytes, shared by the ZIP method decoders.
//
// Every decoder pulls its input through CodedInput: it reads the source in pieces of 64 KiB,
// never reads past the entry's compressed size (the bytes after it belong to the next record
// of the archive), and turns "no more input" into a DecodeError naming the method and the
// decoding step. That keeps the one bounds check on input in this file. LsbBitReader adds
// the bit order of the older ZIP methods (Shrink, Reduce, Implode): least significant bit
// first.
#pragma once

#include "archives/io/byte_stream.h"
#include "archives/io/decode_error.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tessaro::archives {

// Throws the DecodeError of a decoder: "<cause> (<method>, <step>)".
[[noreturn]] void throwDecodeError(std::string_view method, std::string_view cause, std::string_view step);

class CodedInput {
public:
    CodedInput(ByteSource& source, std::uint64_t compressedSize, std::string_view method);

    // The next byte; throws "data ends early" when the entry's data is used up.
    std::uint8_t byte(std::string_view step) {
        if (next_ == end_ && !refill()) endsEarly(step);
        return buffer_[next_++];
    }

    // The buffered bytes not yet taken (reading more when none are left); empty only at the
    // end of the entry's data. Library decoders take input this way and report back with
    // consume() how much of it they used.
    std::span<const std::uint8_t> available();
    void consume(size_t count) { next_ += count; }

    [[noreturn]] void endsEarly(std::string_view step) const;
    [[noreturn]] void fail(std::string_view cause, std::string_view step) const;
    std::string_view method() const { return method_; }

private:
    bool refill();

    ByteSource& source_;
    std::uint64_t unread_;  // bytes of the entry not yet read from the source
    std::string method_;
    std::vector<std::uint8_t> buffer_;
    size_t next_ = 0;
    size_t end_ = 0;
};

// Bits of a CodedInput, least significant bit of each byte first.
class LsbBitReader {
public:
    explicit LsbBitReader(CodedInput& input) : input_(input) {}

    // The next `count` bits (0 to 24) as a number, the first bit read in bit 0.
    std::uint32_t bits(unsigned count, std::string_view step) {
        while (held_ < count) {
            bitBuffer_ |= std::uint32_t{input_.byte(step)} << held_;
            held_ += 8;
        }
        const std::uint32_t value = bitBuffer_ & ((std::uint32_t{1} << count) - 1);
        bitBuffer_ >>= count;
        held_ -= count;
        return value;
    }

    CodedInput& input() { return input_; }

private:
    CodedInput& input_;
    std::uint32_t bitBuffer_ = 0;
    unsigned held_ = 0;
};

}  // namespace tessaro::archives
