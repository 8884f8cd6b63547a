// The CFDATA checksum of the Microsoft cabinet format.
//
// The cabinet format protects each data block with a 32-bit XOR checksum: the block's bytes
// are taken as little-endian 32-bit words and XORed together; one to three bytes left over at
// the end are packed into one more word in reverse order (the last byte lowest). The value
// stored in a CFDATA record is the checksum of the block's data, used as the seed for the
// checksum of the four size bytes (compressed, then uncompressed size) that follow the
// checksum field. A stored checksum of 0 means "not computed".
#pragma once

#include <cstdint>
#include <span>

namespace tessaro::archives::cab {

// The checksum of `bytes`, XORed into `seed`.
std::uint32_t cabChecksum(std::span<const std::uint8_t> bytes, std::uint32_t seed = 0);

// The value a CFDATA record carries for `data` and its two size fields (no reserved area).
std::uint32_t dataBlockChecksum(std::span<const std::uint8_t> data, std::uint16_t uncompressedSize);

}  // namespace tessaro::archives::cab
