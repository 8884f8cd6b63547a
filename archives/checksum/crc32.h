// CRC-32 as ZIP, gzip and PNG use it: reflected polynomial 0xEDB88320, initial value all ones,
// final complement.
//
// Every archive component checks or records this value for every byte it moves, so it runs
// fast: by carry-less multiplication where the processor has it (x86-64 with PCLMULQDQ,
// checked at run time), else slice-by-8 from 8 KiB of tables built at compile time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace tessaro::archives {

// Incremental CRC-32: feed the data in any number of pieces, read value() at any time.
class Crc32 {
public:
    void update(std::span<const std::uint8_t> data);
    void update(const std::uint8_t* data, std::size_t size) { update({data, size}); }
    std::uint32_t value() const { return ~state_; }

private:
    std::uint32_t state_ = 0xFFFFFFFFu;
};

// CRC-32 of one buffer.
std::uint32_t crc32(std::span<const std::uint8_t> data);

// The two ways Crc32 computes, each on the raw register (no initial or final complement), so
// that tests can check each against an independent CRC. folding() is the tables' way where
// foldingAvailable() is false.
namespace crc32_ways {
std::uint32_t tables(std::uint32_t state, std::span<const std::uint8_t> data);
bool foldingAvailable();
std::uint32_t folding(std::uint32_t state, std::span<const std::uint8_t> data);
}  // namespace crc32_ways

}  // namespace tessaro::archives
