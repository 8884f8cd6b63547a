#include "archives/cab/cab_checksum.h"

namespace tessaro::archives::cab {

std::uint32_t cabChecksum(std::span<const std::uint8_t> bytes, std::uint32_t seed) {
    std::uint32_t sum = seed;
    const size_t words = bytes.size() / 4;
    const std::uint8_t* p = bytes.data();
    // Whole words, little-endian. (Compilers turn this into plain loads on little-endian machines.)
    for (size_t i = 0; i < words; ++i, p += 4)
        sum ^= std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;

    // The tail: the format packs the remaining bytes with the first one highest.
    std::uint32_t tail = 0;
    switch (bytes.size() % 4) {
    case 3: tail |= std::uint32_t{*p++} << 16; [[fallthrough]];
    case 2: tail |= std::uint32_t{*p++} << 8; [[fallthrough]];
    case 1: tail |= std::uint32_t{*p++}; break;
    default: break;
    }
    return sum ^ tail;
}

std::uint32_t dataBlockChecksum(std::span<const std::uint8_t> data, std::uint16_t uncompressedSize) {
    const auto compressedSize = static_cast<std::uint16_t>(data.size());
    const std::uint8_t sizes[4] = {static_cast<std::uint8_t>(compressedSize), static_cast<std::uint8_t>(compressedSize >> 8),
                                   static_cast<std::uint8_t>(uncompressedSize), static_cast<std::uint8_t>(uncompressedSize >> 8)};
    return cabChecksum(sizes, cabChecksum(data));
}

}  // namespace tessaro::archives::cab
