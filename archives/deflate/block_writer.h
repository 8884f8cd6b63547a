// Writes one collected Deflate block in the smallest allowed form.
//
// choose() builds the dynamic code when it may be used, estimates the size in bits of each
// allowed form and picks one; writeFixed() and writeDynamic() then emit the block. Stored
// blocks are written by the encoder, which alone knows where the block's bytes are, through
// writeStoredHeader().
#pragma once

#include "archives/deflate/bit_writer.h"
#include "archives/deflate/block_buffer.h"
#include "archives/deflate/deflate_format.h"

#include <array>
#include <cstdint>

namespace tessaro::archives::deflate {

enum class BlockForm { Stored, Fixed, Dynamic };

// Size estimates in bits, without the three block header bits.
struct BlockSizes {
    std::uint64_t stored = 0;
    std::uint64_t fixed = 0;
    std::uint64_t dynamic = 0;
};

class BlockWriter {
public:
    // Options 1, 2 or 4 alone force stored, fixed or dynamic; any other combination takes the
    // smallest form. Ties go to the compressed form, and dynamic wins a tie with fixed.
    BlockForm choose(const BlockBuffer& block, unsigned options);

    // The estimates of the last choose() (those of forms it did not consider are 0).
    const BlockSizes& sizes() const { return sizes_; }

    void writeFixed(const BlockBuffer& block, bool final, BitWriter& out) const;
    // Uses the code built by the last choose().
    void writeDynamic(const BlockBuffer& block, bool final, BitWriter& out) const;
    // Three header bits, padding, LEN and NLEN; the caller then writes the bytes.
    static void writeStoredHeader(BitWriter& out, unsigned length, bool final);

    // Complete codes for every alphabet (see DeflateSettings::completeCodes).
    void setCompleteCodes(bool on) { completeCodes_ = on; }

private:
    struct CodeLengthItem {
        std::uint8_t symbol;  // 0..18
        std::uint8_t extra;   // repeat count − base for 16, 17, 18
    };

    void buildDynamicCode(const BlockBuffer& block);
    std::uint64_t dynamicSize(const BlockBuffer& block) const;

    std::array<std::uint8_t, kLiteralLengthCodes> litLengths_{};
    std::array<std::uint8_t, kDistanceCodes> distLengths_{};
    std::array<std::uint16_t, kLiteralLengthCodes> litCodes_{};
    std::array<std::uint16_t, kDistanceCodes> distCodes_{};
    std::array<std::uint8_t, kCodeLengthCodes> clLengths_{};
    std::array<std::uint16_t, kCodeLengthCodes> clCodes_{};
    std::array<CodeLengthItem, kLiteralLengthCodes + kDistanceCodes> clItems_{};
    std::size_t clItemCount_ = 0;
    bool completeCodes_ = false;
    unsigned hlit_ = 0;
    unsigned hdist_ = 0;
    unsigned hclen_ = 0;
    BlockSizes sizes_;
};

}  // namespace tessaro::archives::deflate
