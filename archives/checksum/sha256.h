// SHA-256 (FIPS 180-4), for the record a run keeps of what it packed: each record file and
// each package is named there with its SHA-256, which anyone can recompute with sha256sum or
// certutil to prove which bytes went to the insurer.
//
// A plain, portable implementation: the 64 rounds over one 64-byte block at a time, input
// gathered in a block buffer. A record's files are read once for it, so its speed (about
// 200 MB/s) matters far less than having no dependency beyond the standard library.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace tessaro::archives {

class Sha256 {
public:
    Sha256();
    void update(std::span<const std::uint8_t> data);
    // The digest of everything fed; the object is spent afterwards.
    std::array<std::uint8_t, 32> finish();
    // The digest as 64 lower-case hexadecimal digits.
    std::string finishHex();

private:
    void compress(const std::uint8_t* block);

    std::array<std::uint32_t, 8> state_;
    std::array<std::uint8_t, 64> buffer_{};
    std::size_t buffered_ = 0;
    std::uint64_t length_ = 0;  // bytes fed
};

}  // namespace tessaro::archives
