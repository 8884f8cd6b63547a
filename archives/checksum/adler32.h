// Adler-32 (RFC 1950), the checksum the Deflate encoder returns instead of CRC-32 when its
// settings ask for it. The sums are reduced modulo 65521 only every 5,552 bytes, the longest
// run after which they still cannot overflow 32 bits.
#pragma once

#include <cstdint>
#include <span>

namespace tessaro::archives {

class Adler32 {
public:
    void update(std::span<const std::uint8_t> data) {
        constexpr std::uint32_t kModulus = 65521;
        constexpr std::size_t kRun = 5552;
        while (!data.empty()) {
            const std::size_t n = data.size() < kRun ? data.size() : kRun;
            for (std::size_t i = 0; i < n; ++i) {
                a_ += data[i];
                b_ += a_;
            }
            a_ %= kModulus;
            b_ %= kModulus;
            data = data.subspan(n);
        }
    }
    std::uint32_t value() const { return b_ << 16 | a_; }

private:
    std::uint32_t a_ = 1;
    std::uint32_t b_ = 0;
};

}  // namespace tessaro::archives
