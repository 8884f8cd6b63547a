// Hash chains over the encoder's input window: 16,384 chain heads, one per value of a 14-bit
// hash of three bytes, and one link per window position pointing to the next older position
// with the same hash.
//
// The hash is h = ((h' × 32) XOR b) AND 0x3FFF rolled over the input; three shifts of five
// bits push every older byte out of 14 bits, so it equals ((b0 << 10) ^ (b1 << 5) ^ b2) AND
// 0x3FFF of the three bytes at the position, and is computed directly.
//
// Entries hold buffer index + 1 in 16 bits, 0 meaning "none". Links are indexed by the stream
// index modulo 32,768 so that a slide of the buffer leaves every link in its slot; a slide
// only lowers the stored indices, and those that fall below the buffer become "none" (they
// lie outside the window from then on anyway).
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

namespace tessaro::archives::deflate {

class HashChains {
public:
    static constexpr unsigned kHashBits = 14;
    static constexpr unsigned kHeads = 1u << kHashBits;
    static constexpr unsigned kLinks = 32768;
    static constexpr unsigned kLinkMask = kLinks - 1;

    HashChains() : heads_(kHeads), links_(kLinks) {}

    void reset() {
        std::fill(heads_.begin(), heads_.end(), std::uint16_t{0});
        std::fill(links_.begin(), links_.end(), std::uint16_t{0});
        linkOffset_ = 0;
    }

    static unsigned hash(const std::uint8_t* p) {
        return ((unsigned(p[0]) << 10) ^ (unsigned(p[1]) << 5) ^ p[2]) & (kHeads - 1);
    }

    // Enters pos at the head of its chain; returns the previous head (index + 1, 0 for none).
    unsigned insert(const std::uint8_t* buffer, std::size_t pos) {
        const unsigned h = hash(buffer + pos);
        const unsigned previous = heads_[h];
        links_[(pos + linkOffset_) & kLinkMask] = static_cast<std::uint16_t>(previous);
        heads_[h] = static_cast<std::uint16_t>(pos + 1);
        return previous;
    }

    // The next older entry of the chain after the one at buffer index pos.
    unsigned next(std::size_t pos) const { return links_[(pos + linkOffset_) & kLinkMask]; }

    // The buffer moved down by `shift` bytes.
    void rebase(unsigned shift) {
        const auto lower = [shift](std::uint16_t& v) {
            v = static_cast<std::uint16_t>(std::max<unsigned>(v, shift) - shift);
        };
        std::for_each(heads_.begin(), heads_.end(), lower);
        std::for_each(links_.begin(), links_.end(), lower);
        linkOffset_ = (linkOffset_ + shift) & kLinkMask;
    }

private:
    std::vector<std::uint16_t> heads_;
    std::vector<std::uint16_t> links_;
    unsigned linkOffset_ = 0;  // stream index of buffer index 0, modulo 32,768
};

}  // namespace tessaro::archives::deflate
