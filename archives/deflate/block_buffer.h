// The symbols of the Deflate block being collected, with what the block-end rule and the
// block writer need: symbol frequencies, literal and match counts, the input bytes covered
// and the extra bits of the distance codes used.
//
// Each symbol is one 32-bit word: the literal byte or length − 3 in the low 8 bits, the
// distance (0 for a literal) in the high 16. (A word store, unlike a byte store, cannot alias
// the counters, which then stay in registers.) The block ends before 32,768 symbols plus the
// few that the encoder may add after the block has filled up, so the array has a fixed size.
#pragma once

#include "archives/deflate/deflate_format.h"

#include <array>
#include <cstdint>
#include <vector>

namespace tessaro::archives::deflate {

// Code tables for matches: length − 3 → length code index (0..28), distance → distance code.
struct MatchCodes {
    std::array<std::uint8_t, 256> lengthCode{};
    std::array<std::uint8_t, 512> distanceCode{};  // by distance − 1 below 256, else 256 + ((distance − 1) >> 7)

    constexpr MatchCodes() {
        for (unsigned code = 0; code < 28; ++code)
            for (unsigned len = kLengthBase[code]; len < kLengthBase[code] + (1u << kLengthExtra[code]); ++len)
                lengthCode[len - 3] = static_cast<std::uint8_t>(code);
        lengthCode[255] = 28;
        for (unsigned code = 0; code < 30; ++code) {
            const unsigned first = kDistanceBase[code] - 1;
            const unsigned last = first + (1u << kDistanceExtra[code]);
            for (unsigned d = first; d < last; ++d) {
                if (d < 256) distanceCode[d] = static_cast<std::uint8_t>(code);
                else distanceCode[256 + (d >> 7)] = static_cast<std::uint8_t>(code);
            }
        }
    }

    unsigned distance(unsigned dist) const {
        const unsigned d = dist - 1;
        return d < 256 ? distanceCode[d] : distanceCode[256 + (d >> 7)];
    }
};

inline constexpr MatchCodes kMatchCodes{};

class BlockBuffer {
public:
    static constexpr std::size_t kCapacity = 32768 + 16;

    BlockBuffer() : symbolWords_(kCapacity) { reset(); }

    void reset() {
        litFreq_.fill(0);
        distFreq_.fill(0);
        litFreq_[kEndOfBlock] = 1;  // the end-of-block code, counted once when the block starts
        symbols_ = literals_ = matches_ = 0;
        covered_ = 0;
        distanceExtraBits_ = 0;
        full_ = false;
    }

    void addLiteral(std::uint8_t byte) {
        symbolWords_[symbols_] = byte;
        ++symbols_;
        ++literals_;
        ++litFreq_[byte];
        ++covered_;
        full_ = fullNow();
    }

    void addMatch(unsigned length, unsigned distance) {
        const unsigned dcode = kMatchCodes.distance(distance);
        symbolWords_[symbols_] = (length - kMinMatch) | distance << 16;
        ++symbols_;
        ++matches_;
        ++litFreq_[257 + kMatchCodes.lengthCode[length - kMinMatch]];
        ++distFreq_[dcode];
        distanceExtraBits_ += kDistanceExtra[dcode];
        covered_ += length;
        full_ = fullNow();
    }

    // Whether the last symbol added filled the block.
    bool full() const { return full_; }

    std::size_t symbols() const { return symbols_; }
    std::uint64_t covered() const { return covered_; }
    bool hasZeroLiteral() const { return litFreq_[0] != 0; }
    const std::array<std::uint32_t, kLiteralLengthCodes>& literalLengthFreqs() const { return litFreq_; }
    const std::array<std::uint32_t, kDistanceCodes>& distanceFreqs() const { return distFreq_; }
    std::uint8_t litLen(std::size_t i) const { return static_cast<std::uint8_t>(symbolWords_[i]); }
    std::uint16_t distance(std::size_t i) const { return static_cast<std::uint16_t>(symbolWords_[i] >> 16); }

private:
    // A block is full at a multiple of 8,192 symbols when it has fewer matches than literals and
    // its estimated coded size is below half the bytes it covers (a sign that the statistics
    // have settled and a fresh code may pay off), or when its match or symbol count exceeds
    // 32,767.
    bool fullNow() const {
        if (symbols_ % 8192 != 0) return symbols_ > 32767;  // matches never outnumber symbols
        if (symbols_ > 32767) return true;
        if (matches_ >= literals_) return false;
        const std::uint64_t estimate = (13 * std::uint64_t(matches_) + 8 * std::uint64_t(literals_) + distanceExtraBits_) / 8;
        return estimate < covered_ / 2;
    }

    std::vector<std::uint32_t> symbolWords_;
    std::array<std::uint32_t, kLiteralLengthCodes> litFreq_{};
    std::array<std::uint32_t, kDistanceCodes> distFreq_{};
    std::size_t symbols_ = 0;
    std::size_t literals_ = 0;
    std::size_t matches_ = 0;
    std::uint64_t covered_ = 0;
    std::uint64_t distanceExtraBits_ = 0;
    bool full_ = false;
};

}  // namespace tessaro::archives::deflate
