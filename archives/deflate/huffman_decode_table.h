// Two-level Huffman decoding tables for the Deflate decoder.
//
// The primary table is indexed by the next `primaryBits` input bits (least significant bit
// first, as Deflate packs codes) and answers every code of up to that length in one lookup;
// longer codes go through a subtable that the primary entry points to. Each entry carries what
// the decoder needs without a second lookup: the number of bits to consume, the kind (literal,
// length or distance with its base and extra-bit count, end of block, subtable, or an error),
// packed into 32 bits.
//
// Incomplete codes are accepted (a block may use a single distance code of one bit, and an
// encoder may leave code space unused); the unused bit patterns decode to an error entry.
// Over-subscribed codes are refused when the table is built.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace tessaro::archives::deflate {

// Entry layout: bits 0..4 bits to consume; bits 8..12 extra bits (or subtable index bits);
// bits 16..31 value (literal byte, base length or distance, code-length symbol, subtable start).
namespace entry {
inline constexpr std::uint32_t kLiteral = 1u << 5;
inline constexpr std::uint32_t kSubtable = 1u << 6;
inline constexpr std::uint32_t kSpecial = 1u << 7;  // value: kEndOfBlock, kNoCode or kBadSymbol
inline constexpr std::uint32_t kEndOfBlockValue = 0;
inline constexpr std::uint32_t kNoCodeValue = 1;     // a bit pattern that is no code
inline constexpr std::uint32_t kBadSymbolValue = 2;  // a symbol without meaning (286, 287; 30, 31 in Deflate)

constexpr std::uint32_t make(std::uint32_t value, std::uint32_t extra, std::uint32_t flags) {
    return value << 16 | extra << 8 | flags;
}
constexpr unsigned bits(std::uint32_t e) { return e & 0x1Fu; }
constexpr unsigned extra(std::uint32_t e) { return (e >> 8) & 0x1Fu; }
constexpr unsigned value(std::uint32_t e) { return e >> 16; }
}  // namespace entry

class HuffmanDecodeTable {
public:
    // `primaryBits` bits in the first level; room for `symbols` symbols of up to
    // `maxLength` bits (15 for literal/length and distance codes, 7 for the code-length code).
    HuffmanDecodeTable(unsigned primaryBits, unsigned symbols, unsigned maxLength = 15);

    // Builds the table for code lengths `lengths`; `payload[s]` is symbol s's entry without
    // its bit count. Returns false when the lengths over-subscribe the code space (or exceed
    // the maximum length).
    bool build(std::span<const std::uint8_t> lengths, std::span<const std::uint32_t> payload);

    unsigned primaryBits() const { return primaryBits_; }
    const std::uint32_t* data() const { return table_.data(); }

private:
    unsigned primaryBits_;
    unsigned maxLength_;
    std::vector<std::uint32_t> table_;
};

}  // namespace tessaro::archives::deflate
