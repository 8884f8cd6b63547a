// Length-limited Huffman code lengths by package-merge, and canonical codes from lengths.
//
// Package-merge gives the optimal code lengths under a length limit (15 bits for literal/length
// and distance codes, 7 for the code-length code). Where several optimal sets exist, the one
// chosen is fixed by two tie rules: symbols of equal frequency are ordered by symbol number,
// and in each merge a single symbol goes before a package of equal weight.
#pragma once

#include <cstdint>
#include <span>

namespace tessaro::archives::deflate {

// Fills lengths (same size as freqs, at most 288) with code lengths of at most maxLength bits.
// Unused symbols get 0. One used symbol gets length 1; no used symbol gives symbol 0 length 1.
// With `complete`, those two cases get a second code of length 1 (symbol 0, or 1 when 0 is the
// used one), so that decoders which refuse incomplete codes accept the block.
void buildCodeLengths(std::span<const std::uint32_t> freqs, unsigned maxLength, std::span<std::uint8_t> lengths,
                      bool complete = false);

// Canonical codes for the lengths (RFC 1951, 3.2.2), bit-reversed so they can be written
// least significant bit first.
void buildCanonicalCodes(std::span<const std::uint8_t> lengths, std::span<std::uint16_t> codes);

}  // namespace tessaro::archives::deflate
