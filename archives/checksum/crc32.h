// CRC-32 as ZIP, gzip and PNG use it: reflected polynomial 0xEDB88320, initial value all ones,
// final complement.
//
// Every archive component checks or records this value for every byte it moves, so it runs
// slice-by-8: eight table lookups fold eight input bytes per step, about six times the speed
// of the byte-at-a-time loop, from 8 KiB of tables that are built at compile time.
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

}  // namespace tessaro::archives
