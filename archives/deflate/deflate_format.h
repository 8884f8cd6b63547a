// The constants of the Deflate format (RFC 1951) that both the encoder and the decoder use:
// length and distance code tables, the order of the code-length code lengths, the fixed codes,
// and the Deflate64 variations (64 KiB window, length code 285 with 16 extra bits, distance
// codes 30 and 31).
#pragma once

#include <array>
#include <cstdint>

namespace tessaro::archives::deflate {

inline constexpr int kEndOfBlock = 256;
inline constexpr int kLiteralLengthCodes = 286;  // 0..285 carry meaning
inline constexpr int kFixedLiteralLengthCodes = 288;  // the fixed code also assigns 286, 287
inline constexpr int kDistanceCodes = 30;  // Deflate
inline constexpr int kDistanceCodes64 = 32;  // Deflate64
inline constexpr int kCodeLengthCodes = 19;
inline constexpr int kMinMatch = 3;
inline constexpr int kMaxMatch = 258;
inline constexpr int kMaxCodeLength = 15;
inline constexpr int kMaxCodeLengthCodeLength = 7;

// Length codes 257..285: base length and extra bits (plain Deflate).
inline constexpr std::array<std::uint16_t, 29> kLengthBase = {
    3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 15, 17, 19, 23, 27, 31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
inline constexpr std::array<std::uint8_t, 29> kLengthExtra = {
    0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
// In Deflate64 code 285 means base 3 with 16 extra bits.
inline constexpr std::uint16_t kLength285Base64 = 3;
inline constexpr std::uint8_t kLength285Extra64 = 16;

// Distance codes 0..31: base distance and extra bits; 30 and 31 exist in Deflate64 only.
inline constexpr std::array<std::uint32_t, 32> kDistanceBase = {
    1, 2, 3, 4, 5, 7, 9, 13, 17, 25, 33, 49, 65, 97, 129, 193, 257, 385, 513, 769, 1025, 1537,
    2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577, 32769, 49153};
inline constexpr std::array<std::uint8_t, 32> kDistanceExtra = {
    0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13, 14, 14};

// The order in which a dynamic block header lists the code-length code lengths.
inline constexpr std::array<std::uint8_t, kCodeLengthCodes> kCodeLengthOrder = {
    16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

// Lengths of the fixed literal/length code; every fixed distance code is 5 bits long.
constexpr int fixedLiteralLengthCodeLength(int symbol) {
    return symbol < 144 ? 8 : symbol < 256 ? 9 : symbol < 280 ? 7 : 8;
}
inline constexpr int kFixedDistanceCodeLength = 5;

}  // namespace tessaro::archives::deflate
