// Package-merge in O(n × maxLength) time without building package trees.
//
// Level 0 holds the symbols sorted by weight. Each higher level merges the symbols with the
// pairs ("packages") of the level below. The 2n − 2 lightest items of the top level are the
// solution; within every level the chosen items form a prefix, the packages in a chosen prefix
// of length s stand for the first 2 × packages items of the level below, and a symbol's code
// length is the number of levels whose chosen prefix contains it. So each level only records,
// per item, whether it is a symbol, and the lengths come from counting symbols in the prefixes.
#include "archives/deflate/huffman_lengths.h"

#include "archives/deflate/deflate_format.h"

#include <algorithm>
#include <array>
#include <cassert>

namespace tessaro::archives::deflate {

namespace {

constexpr std::size_t kMaxSymbols = kFixedLiteralLengthCodes;
constexpr std::size_t kMaxItems = 2 * kMaxSymbols;

struct Leaf {
    std::uint32_t weight;
    std::uint16_t symbol;
};

}  // namespace

void buildCodeLengths(std::span<const std::uint32_t> freqs, unsigned maxLength, std::span<std::uint8_t> lengths,
                      bool complete) {
    assert(freqs.size() <= kMaxSymbols && lengths.size() == freqs.size());
    assert(maxLength >= 1 && maxLength <= kMaxCodeLength);
    std::fill(lengths.begin(), lengths.end(), std::uint8_t{0});

    std::array<Leaf, kMaxSymbols> leaves;
    std::size_t n = 0;
    for (std::size_t s = 0; s < freqs.size(); ++s)
        if (freqs[s] != 0) leaves[n++] = {freqs[s], static_cast<std::uint16_t>(s)};
    if (n <= 1) {
        const std::uint16_t used = n == 1 ? leaves[0].symbol : 0;
        lengths[used] = 1;
        if (complete) lengths[used == 0 ? 1 : 0] = 1;
        return;
    }
    // Sorted by weight, equal weights by symbol number.
    std::sort(leaves.begin(), leaves.begin() + n, [](const Leaf& a, const Leaf& b) {
        return a.weight != b.weight ? a.weight < b.weight : a.symbol < b.symbol;
    });

    // isSymbol[level][i]: item i of that level's merged list is a symbol (else a package).
    std::array<std::array<bool, kMaxItems>, kMaxCodeLength> isSymbol;
    std::array<std::uint64_t, kMaxItems> below;
    std::array<std::uint64_t, kMaxItems> merged;
    std::size_t belowSize = n;
    for (std::size_t i = 0; i < n; ++i) {
        below[i] = leaves[i].weight;
        isSymbol[0][i] = true;
    }
    for (unsigned level = 1; level < maxLength; ++level) {
        const std::size_t packages = belowSize / 2;
        std::size_t li = 0, pi = 0, m = 0;
        while (li < n || pi < packages) {
            const bool takeLeaf =
                pi == packages || (li < n && leaves[li].weight <= below[2 * pi] + below[2 * pi + 1]);
            if (takeLeaf) {
                merged[m] = leaves[li++].weight;
                isSymbol[level][m++] = true;
            } else {
                merged[m] = below[2 * pi] + below[2 * pi + 1];
                ++pi;
                isSymbol[level][m++] = false;
            }
        }
        std::copy(merged.begin(), merged.begin() + m, below.begin());
        belowSize = m;
    }

    // Walk down from the top level, counting the symbols in each chosen prefix.
    std::size_t chosen = 2 * n - 2;
    for (unsigned level = maxLength; level-- > 0 && chosen > 0;) {
        std::size_t symbols = 0;
        for (std::size_t i = 0; i < chosen; ++i) symbols += isSymbol[level][i] ? 1 : 0;
        for (std::size_t i = 0; i < symbols; ++i) ++lengths[leaves[i].symbol];
        chosen = 2 * (chosen - symbols);
    }
}

void buildCanonicalCodes(std::span<const std::uint8_t> lengths, std::span<std::uint16_t> codes) {
    std::array<std::uint16_t, kMaxCodeLength + 2> count{};
    for (std::uint8_t len : lengths) ++count[len];
    count[0] = 0;
    std::array<std::uint16_t, kMaxCodeLength + 2> next{};
    std::uint32_t code = 0;
    for (unsigned bits = 1; bits <= kMaxCodeLength; ++bits) {
        code = (code + count[bits - 1]) << 1;
        next[bits] = static_cast<std::uint16_t>(code);
    }
    for (std::size_t s = 0; s < lengths.size(); ++s) {
        const unsigned len = lengths[s];
        if (len == 0) {
            codes[s] = 0;
            continue;
        }
        std::uint32_t c = next[len]++;
        std::uint32_t reversed = 0;
        for (unsigned i = 0; i < len; ++i, c >>= 1) reversed = (reversed << 1) | (c & 1u);
        codes[s] = static_cast<std::uint16_t>(reversed);
    }
}

}  // namespace tessaro::archives::deflate
