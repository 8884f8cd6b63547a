// Slice-by-8 CRC-32.
//
// Table k maps a byte to the CRC contribution it makes when k further zero bytes follow it, so
// eight bytes are folded with eight independent lookups instead of a chain of eight dependent
// ones. The head and tail that do not fill a group of eight go through table 0 alone.
#include "archives/checksum/crc32.h"

#include <array>
#include <cstring>

namespace tessaro::archives {

namespace {

constexpr std::uint32_t kPolynomial = 0xEDB88320u;

using CrcTables = std::array<std::array<std::uint32_t, 256>, 8>;

constexpr CrcTables makeTables() {
    CrcTables t{};
    for (std::uint32_t b = 0; b < 256; ++b) {
        std::uint32_t c = b;
        for (int bit = 0; bit < 8; ++bit) c = (c & 1u) ? (c >> 1) ^ kPolynomial : c >> 1;
        t[0][b] = c;
    }
    for (std::size_t k = 1; k < 8; ++k)
        for (std::uint32_t b = 0; b < 256; ++b) t[k][b] = (t[k - 1][b] >> 8) ^ t[0][t[k - 1][b] & 0xFFu];
    return t;
}

constexpr CrcTables kTables = makeTables();

std::uint32_t loadLittleEndian32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

}  // namespace

void Crc32::update(std::span<const std::uint8_t> data) {
    std::uint32_t c = state_;
    const std::uint8_t* p = data.data();
    std::size_t n = data.size();
    for (; n >= 8; p += 8, n -= 8) {
        const std::uint32_t lo = c ^ loadLittleEndian32(p);
        const std::uint32_t hi = loadLittleEndian32(p + 4);
        c = kTables[7][lo & 0xFF] ^ kTables[6][(lo >> 8) & 0xFF] ^ kTables[5][(lo >> 16) & 0xFF] ^
            kTables[4][lo >> 24] ^ kTables[3][hi & 0xFF] ^ kTables[2][(hi >> 8) & 0xFF] ^
            kTables[1][(hi >> 16) & 0xFF] ^ kTables[0][hi >> 24];
    }
    for (; n > 0; ++p, --n) c = (c >> 8) ^ kTables[0][(c ^ *p) & 0xFF];
    state_ = c;
}

std::uint32_t crc32(std::span<const std::uint8_t> data) {
    Crc32 crc;
    crc.update(data);
    return crc.value();
}

}  // namespace tessaro::archives
