// Hash chains over the encoder's input window: a chain per value of a 14-bit hash of three
// bytes, newest position first.
//
// The hash is h = ((h' × 32) XOR b) AND 0x3FFF rolled over the input; three shifts of five
// bits push every older byte out of 14 bits, so it equals ((b0 << 10) ^ (b1 << 5) ^ b2) AND
// 0x3FFF of the three bytes at the position, and is computed directly.
//
// Chain words: a chain walk is bound by the latency of loads that depend on each other, so
// the chain is stored four entries to a 64-bit word. Each hash keeps its four newest entries
// in one word, and each window position keeps, as its link, the word of the four entries that
// followed it when it was entered (the hash's word just before it). A walk thus takes four
// candidates per dependent load: from the head word, then from the link word of the fourth
// candidate, and so on. The common short walk (binary data: two or three candidates in the
// window) needs no link at all. The candidates and their order are exactly those of a singly
// linked chain. Within a word the entries fall from the low lane to the high one, and a chain
// that ends leaves zeros, so the entries still inside the window are always a prefix.
//
// Entries hold buffer index + 1 in 16 bits, 0 meaning "none". Links are indexed by the stream
// index modulo 32,768 so that a slide of the buffer leaves every link in its slot; a slide
// only lowers the stored indices, and those that fall below the buffer become "none" (they
// lie outside the window from then on anyway). Tables: 128 KiB of heads, 256 KiB of links.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tessaro::archives::deflate {

class HashChains {
public:
    static constexpr unsigned kHashBits = 14;
    static constexpr unsigned kHashes = 1u << kHashBits;
    static constexpr unsigned kNewest = 4;  // entries kept per hash
    static constexpr unsigned kLinks = 32768;
    static constexpr unsigned kLinkMask = kLinks - 1;

    HashChains() : newest_(kHashes), links_(kLinks) {}

    void reset() {
        std::fill(newest_.begin(), newest_.end(), std::uint64_t{0});
        std::fill(links_.begin(), links_.end(), std::uint64_t{0});
        linkOffset_ = 0;
    }

    static unsigned hash(const std::uint8_t* p) {
        return ((unsigned(p[0]) << 10) ^ (unsigned(p[1]) << 5) ^ p[2]) & (kHashes - 1);
    }

    // Enters pos at the head of its chain; returns the chain's four newest entries before
    // that, newest in the low 16 bits, which also become pos's link word.
    std::uint64_t insert(const std::uint8_t* buffer, std::size_t pos) {
        std::uint64_t& word = newest_[hash(buffer + pos)];
        const std::uint64_t previous = word;
        links_[(pos + linkOffset_) & kLinkMask] = previous;
        word = (previous << 16) | (pos + 1);
        return previous;
    }

    // The four entries of the chain that follow the one at buffer index pos, nearest in the
    // low 16 bits.
    std::uint64_t next(std::size_t pos) const { return links_[(pos + linkOffset_) & kLinkMask]; }

    // Starts loading the chain word that the search at pos will read first. Only a hint.
    // (GCC 12 drops __builtin_prefetch here as if it had no effect, so x86 gets the
    // instruction itself.)
    void prefetch(const std::uint8_t* buffer, std::size_t pos) const {
        const std::uint64_t* p = newest_.data() + hash(buffer + pos);
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
        __asm__ volatile("prefetcht0 %0" : : "m"(*p));
#else
        __builtin_prefetch(p);
#endif
    }

    // The buffer moved down by `shift` bytes.
    void rebase(unsigned shift) {
        lower(newest_.data(), kHashes * kNewest, shift);
        lower(links_.data(), kLinks * kNewest, shift);
        linkOffset_ = (linkOffset_ + shift) & kLinkMask;
    }

private:
    // Every 16-bit entry v of the array becomes max(v, shift) − shift: a saturating subtraction,
    // eight entries per instruction where SSE2 is available (it runs for 192 K entries at
    // every slide of the window). `entries` is a multiple of 8; the entries are reached through
    // byte-wise access (memcpy or SSE loads), which may view the chain words as 16-bit lanes.
    static void lower(void* data, std::size_t entries, unsigned shift) {
        auto* bytes = static_cast<std::uint8_t*>(data);
#if defined(__SSE2__)
        const __m128i s = _mm_set1_epi16(static_cast<short>(shift));
        for (std::size_t i = 0; i < entries * 2; i += 16) {
            const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(bytes + i), _mm_subs_epu16(x, s));
        }
#else
        for (std::size_t i = 0; i < entries * 2; i += 2) {
            std::uint16_t v;
            std::memcpy(&v, bytes + i, 2);
            v = static_cast<std::uint16_t>(v > shift ? v - shift : 0);
            std::memcpy(bytes + i, &v, 2);
        }
#endif
    }

    std::vector<std::uint64_t> newest_;
    std::vector<std::uint64_t> links_;
    unsigned linkOffset_ = 0;  // stream index of buffer index 0, modulo 32,768
};

}  // namespace tessaro::archives::deflate
