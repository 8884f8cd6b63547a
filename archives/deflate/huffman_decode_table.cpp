// Table construction: canonical codes in (length, symbol) order; a code no longer than the
// primary width fills every primary slot whose low bits equal it; a longer code goes into the
// subtable of its first `primaryBits` bits. Codes sharing those bits are consecutive in
// canonical order, so each subtable is opened once, sized to hold exactly the codes that will
// share it (the remaining code counts tell how far they reach), and filled in order.
#include "archives/deflate/huffman_decode_table.h"

#include "archives/deflate/deflate_format.h"

#include <algorithm>
#include <array>

namespace tessaro::archives::deflate {

namespace {

unsigned reverse(unsigned code, unsigned length) {
    unsigned r = 0;
    for (unsigned i = 0; i < length; ++i, code >>= 1) r = (r << 1) | (code & 1u);
    return r;
}

constexpr std::uint32_t kNoCode = entry::make(entry::kNoCodeValue, 0, entry::kSpecial);

}  // namespace

HuffmanDecodeTable::HuffmanDecodeTable(unsigned primaryBits, unsigned symbols, unsigned maxLength)
    : primaryBits_(primaryBits),
      maxLength_(maxLength),
      // Each subtable holds at most 2^(maxLength − primary) entries, and there is at most one
      // per symbol longer than the primary width.
      table_((std::size_t{1} << primaryBits) +
             (primaryBits < maxLength ? std::size_t{symbols} << (maxLength - primaryBits) : 0)) {}

bool HuffmanDecodeTable::build(std::span<const std::uint8_t> lengths, std::span<const std::uint32_t> payload) {
    std::array<unsigned, kMaxCodeLength + 1> count{};
    for (std::uint8_t len : lengths) {
        if (len > maxLength_) return false;
        ++count[len];
    }
    count[0] = 0;
    int left = 1;
    unsigned maxLength = 0;
    for (unsigned len = 1; len <= kMaxCodeLength; ++len) {
        left = 2 * left - static_cast<int>(count[len]);
        if (left < 0) return false;
        if (count[len] != 0) maxLength = len;
    }

    std::array<unsigned, kMaxCodeLength + 2> nextCode{};
    for (unsigned len = 1, code = 0; len <= kMaxCodeLength; ++len) {
        code = (code + count[len - 1]) << 1;
        nextCode[len] = code;
    }
    // Symbols in canonical order: by length, then by symbol number.
    std::array<std::uint16_t, kFixedLiteralLengthCodes> sorted{};
    std::array<unsigned, kMaxCodeLength + 2> offset{};
    for (unsigned len = 1; len <= kMaxCodeLength; ++len) offset[len + 1] = offset[len] + count[len];
    for (unsigned s = 0; s < lengths.size(); ++s)
        if (lengths[s] != 0) sorted[offset[lengths[s]]++] = static_cast<std::uint16_t>(s);
    const unsigned coded = offset[kMaxCodeLength];  // after the loop: the end of the last group

    const unsigned primary = primaryBits_;
    const std::size_t primarySize = std::size_t{1} << primary;
    std::fill(table_.begin(), table_.begin() + static_cast<std::ptrdiff_t>(primarySize), kNoCode);
    std::array<unsigned, kMaxCodeLength + 1> remaining = count;
    std::size_t nextFree = primarySize;
    unsigned openPrefix = ~0u;
    std::size_t subStart = 0;
    unsigned subBits = 0;

    for (unsigned i = 0; i < coded; ++i) {
        const unsigned s = sorted[i];
        const unsigned len = lengths[s];
        const unsigned code = reverse(nextCode[len]++, len);
        if (len <= primary) {
            const std::uint32_t e = payload[s] | len;
            for (std::size_t k = code; k < primarySize; k += std::size_t{1} << len) table_[k] = e;
        } else {
            const unsigned prefix = code & (primarySize - 1);
            if (prefix != openPrefix) {
                // Grow the subtable until the codes that follow in canonical order fill it.
                subBits = len - primary;
                int room = 1 << subBits;
                while (subBits + primary < maxLength) {
                    room -= static_cast<int>(remaining[subBits + primary]);
                    if (room <= 0) break;
                    ++subBits;
                    room <<= 1;
                }
                subStart = nextFree;
                nextFree += std::size_t{1} << subBits;
                if (nextFree > table_.size()) return false;  // cannot happen for a valid code
                std::fill(table_.begin() + static_cast<std::ptrdiff_t>(subStart),
                          table_.begin() + static_cast<std::ptrdiff_t>(nextFree), kNoCode);
                table_[prefix] = entry::make(static_cast<std::uint32_t>(subStart), subBits, entry::kSubtable | primary);
                openPrefix = prefix;
            }
            const unsigned rest = len - primary;
            if (rest > subBits) return false;  // cannot happen for a valid code
            const std::uint32_t e = payload[s] | rest;
            for (std::size_t k = code >> primary; k < (std::size_t{1} << subBits); k += std::size_t{1} << rest)
                table_[subStart + k] = e;
        }
        --remaining[len];
    }
    return true;
}

}  // namespace tessaro::archives::deflate
