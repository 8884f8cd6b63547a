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

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

    // Starts loading what the search at pos will touch first: its chain's two newest entries,
    // their links and bytes. Only a hint: the walk is bound by the latency of these loads,
    // and the search at pos comes one main-loop step later.
    void prefetch(const std::uint8_t* buffer, std::size_t pos) const {
        const unsigned first = heads_[hash(buffer + pos)];
        if (first == 0) return;
        __builtin_prefetch(buffer + first - 1);
        const unsigned second = links_[(first - 1 + linkOffset_) & kLinkMask];
        if (second == 0) return;
        __builtin_prefetch(&links_[(second - 1 + linkOffset_) & kLinkMask]);
        __builtin_prefetch(buffer + second - 1);
    }

    // The next older entry of the chain after the one at buffer index pos.
    unsigned next(std::size_t pos) const { return links_[(pos + linkOffset_) & kLinkMask]; }

    // The buffer moved down by `shift` bytes.
    void rebase(unsigned shift) {
        lower(heads_.data(), kHeads, shift);
        lower(links_.data(), kLinks, shift);
        linkOffset_ = (linkOffset_ + shift) & kLinkMask;
    }

private:
    // v = max(v, shift) − shift over the array: a saturating subtraction, eight entries per
    // instruction where SSE2 is available (it runs for 48 K entries every 16 KiB of input).
    static void lower(std::uint16_t* v, std::size_t n, unsigned shift) {
#if defined(__SSE2__)
        const __m128i s = _mm_set1_epi16(static_cast<short>(shift));
        for (std::size_t i = 0; i < n; i += 8) {
            __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(v + i));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(v + i), _mm_subs_epu16(x, s));
        }
#else
        for (std::size_t i = 0; i < n; ++i) v[i] = static_cast<std::uint16_t>(v[i] > shift ? v[i] - shift : 0);
#endif
    }

    std::vector<std::uint16_t> heads_;
    std::vector<std::uint16_t> links_;
    unsigned linkOffset_ = 0;  // stream index of buffer index 0, modulo 32,768
};

}  // namespace tessaro::archives::deflate
