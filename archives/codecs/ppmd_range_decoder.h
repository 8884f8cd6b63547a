// The range decoder of PPMd variant I: a carry-less range coder (Subbotin's), 32-bit low and
// range, renormalised byte by byte when the top byte is settled or the range falls below
// 2^15. Bytes come from the entry's data; a stream that ends early is a DecodeError, since a
// valid stream never needs bytes beyond those its encoder wrote.
#pragma once

#include "archives/codecs/coded_input.h"

#include <cstdint>

namespace tessaro::archives::ppmd {

class RangeDecoder {
public:
    explicit RangeDecoder(CodedInput& input) : input_(input) {
        for (int i = 0; i < 4; ++i) code_ = (code_ << 8) | input_.byte("range coder start");
        if (code_ == 0xFFFFFFFF) input_.fail("invalid range coder start", "range coder start");
    }

    // The count that lies in [0, total) for the next symbol; the caller then calls decode().
    std::uint32_t threshold(std::uint32_t total) {
        range_ /= total;
        if (range_ == 0) input_.fail("range underflow", "range decoder");
        return code_ / range_;
    }

    // The same for a binary context, whose total is 2^14.
    std::uint32_t binaryThreshold() {
        range_ >>= 14;
        return code_ / range_;
    }

    void decode(std::uint32_t start, std::uint32_t size) {
        start *= range_;
        low_ += start;
        code_ -= start;
        range_ *= size;
        if (range_ == 0) input_.fail("range underflow", "range decoder");
        for (;;) {
            if ((low_ ^ (low_ + range_)) >= kTop) {
                if (range_ >= kBot) break;
                range_ = (0 - low_) & (kBot - 1);
            }
            code_ = (code_ << 8) | input_.byte("symbol data");
            range_ <<= 8;
            low_ <<= 8;
        }
    }

private:
    static constexpr std::uint32_t kTop = 1u << 24;
    static constexpr std::uint32_t kBot = 1u << 15;

    CodedInput& input_;
    std::uint32_t low_ = 0;
    std::uint32_t range_ = 0xFFFFFFFF;
    std::uint32_t code_ = 0;
};

}  // namespace tessaro::archives::ppmd
