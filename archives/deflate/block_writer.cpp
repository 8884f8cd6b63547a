// Block form choice and the fixed and dynamic block layouts of RFC 1951.
//
// The dynamic header run-length codes the literal/length and distance code lengths as one
// sequence (RFC 1951 lets repeats cross from one to the other): a run of 11 or more zeros
// becomes code 18 (up to 138 at a time), a run of 3 to 10 zeros code 17; a non-zero length is
// written once and its further repeats go out as code 16 (3 to 6 at a time); shorter runs
// are written as they are.
#include "archives/deflate/block_writer.h"

#include "archives/deflate/huffman_lengths.h"

namespace tessaro::archives::deflate {

namespace {

struct FixedCodes {
    std::array<std::uint16_t, kFixedLiteralLengthCodes> lit{};
    std::array<std::uint8_t, kFixedLiteralLengthCodes> litLen{};
    std::array<std::uint16_t, kDistanceCodes> dist{};
    std::array<std::uint8_t, kDistanceCodes> distLen{};
};

constexpr std::uint16_t reverseBits(unsigned code, unsigned length) {
    unsigned r = 0;
    for (unsigned i = 0; i < length; ++i, code >>= 1) r = (r << 1) | (code & 1u);
    return static_cast<std::uint16_t>(r);
}

// The fixed codes in canonical order: 256..279 (7 bits) from 0, 0..143 (8 bits) from 0x30,
// 280..287 (8 bits) from 0xC0, 144..255 (9 bits) from 0x190.
constexpr FixedCodes makeFixedCodes() {
    FixedCodes f{};
    for (unsigned s = 0; s < kFixedLiteralLengthCodes; ++s) {
        unsigned code = 0;
        if (s < 144) code = 0x30 + s;
        else if (s < 256) code = 0x190 + (s - 144);
        else if (s < 280) code = s - 256;
        else code = 0xC0 + (s - 280);
        const unsigned len = static_cast<unsigned>(fixedLiteralLengthCodeLength(static_cast<int>(s)));
        f.lit[s] = reverseBits(code, len);
        f.litLen[s] = static_cast<std::uint8_t>(len);
    }
    for (unsigned d = 0; d < kDistanceCodes; ++d) {
        f.dist[d] = reverseBits(d, kFixedDistanceCodeLength);
        f.distLen[d] = kFixedDistanceCodeLength;
    }
    return f;
}

constexpr FixedCodes kFixed = makeFixedCodes();

unsigned lastNonZero(const std::uint8_t* lengths, unsigned count) {
    while (count > 0 && lengths[count - 1] == 0) --count;
    return count;
}

// Symbols with their extra bits under the given codes, then the end-of-block code. A literal
// code takes at most 15 bits, so whole bytes leave the accumulator only once it holds 32 bits
// or more; a match (at most 48 bits) always starts with at most 7.
void writeSymbols(const BlockBuffer& block, const std::uint16_t* litCodes, const std::uint8_t* litLens,
                  const std::uint16_t* distCodes, const std::uint8_t* distLens, BitWriter& out) {
    const std::size_t n = block.symbols();
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned value = block.litLen(i);
        const unsigned dist = block.distance(i);
        if (dist == 0) {
            out.put(litCodes[value], litLens[value]);
            if (out.pending() >= 32) out.flushBits();
        } else {
            out.flushBits();
            const unsigned lc = kMatchCodes.lengthCode[value];
            out.put(litCodes[257 + lc], litLens[257 + lc]);
            out.put(value + kMinMatch - kLengthBase[lc], kLengthExtra[lc]);
            const unsigned dc = kMatchCodes.distance(dist);
            out.put(distCodes[dc], distLens[dc]);
            out.put(dist - kDistanceBase[dc], kDistanceExtra[dc]);
            out.flushBits();
        }
    }
    out.flushBits();
    out.put(litCodes[kEndOfBlock], litLens[kEndOfBlock]);
    out.flushBits();
}

// Extra bits that do not depend on the code: length and distance extra bits of all matches.
std::uint64_t extraBits(const BlockBuffer& block) {
    std::uint64_t bits = 0;
    const auto& lf = block.literalLengthFreqs();
    for (unsigned c = 0; c < 29; ++c) bits += std::uint64_t(lf[257 + c]) * kLengthExtra[c];
    const auto& df = block.distanceFreqs();
    for (unsigned c = 0; c < kDistanceCodes; ++c) bits += std::uint64_t(df[c]) * kDistanceExtra[c];
    return bits;
}

std::uint64_t fixedSize(const BlockBuffer& block) {
    std::uint64_t bits = extraBits(block);
    const auto& lf = block.literalLengthFreqs();
    for (unsigned s = 0; s < kLiteralLengthCodes; ++s) bits += std::uint64_t(lf[s]) * kFixed.litLen[s];
    for (std::uint32_t f : block.distanceFreqs()) bits += std::uint64_t(f) * kFixedDistanceCodeLength;
    return bits;
}

constexpr std::uint8_t kRepeatExtraBits[3] = {2, 3, 7};

}  // namespace

BlockForm BlockWriter::choose(const BlockBuffer& block, unsigned options) {
    sizes_ = {};
    switch (options & 7u) {
        case 1: return BlockForm::Stored;
        case 2: return BlockForm::Fixed;
        case 4: buildDynamicCode(block); return BlockForm::Dynamic;
        default: break;
    }
    buildDynamicCode(block);
    sizes_.dynamic = dynamicSize(block);
    sizes_.fixed = fixedSize(block);
    sizes_.stored = (block.covered() + 4) * 8;
    if (sizes_.fixed < sizes_.dynamic) return sizes_.stored < sizes_.fixed ? BlockForm::Stored : BlockForm::Fixed;
    return sizes_.stored < sizes_.dynamic ? BlockForm::Stored : BlockForm::Dynamic;
}

void BlockWriter::buildDynamicCode(const BlockBuffer& block) {
    buildCodeLengths(block.literalLengthFreqs(), kMaxCodeLength, litLengths_, completeCodes_);
    buildCodeLengths(block.distanceFreqs(), kMaxCodeLength, distLengths_, completeCodes_);
    buildCanonicalCodes(litLengths_, litCodes_);
    buildCanonicalCodes(distLengths_, distCodes_);
    hlit_ = lastNonZero(litLengths_.data(), kLiteralLengthCodes);
    hdist_ = lastNonZero(distLengths_.data(), kDistanceCodes);

    // One sequence of hlit + hdist lengths, run-length coded.
    std::array<std::uint8_t, kLiteralLengthCodes + kDistanceCodes> all{};
    std::copy(litLengths_.begin(), litLengths_.begin() + hlit_, all.begin());
    std::copy(distLengths_.begin(), distLengths_.begin() + hdist_, all.begin() + hlit_);
    const unsigned total = hlit_ + hdist_;
    std::array<std::uint32_t, kCodeLengthCodes> clFreq{};
    clItemCount_ = 0;
    auto emit = [&](unsigned symbol, unsigned extra) {
        clItems_[clItemCount_++] = {static_cast<std::uint8_t>(symbol), static_cast<std::uint8_t>(extra)};
        ++clFreq[symbol];
    };
    for (unsigned i = 0; i < total;) {
        const unsigned value = all[i];
        unsigned run = 1;
        while (i + run < total && all[i + run] == value) ++run;
        i += run;
        if (value == 0) {
            while (run >= 11) {
                const unsigned r = run < 138 ? run : 138;
                emit(18, r - 11);
                run -= r;
            }
            if (run >= 3) {
                emit(17, run - 3);
                run = 0;
            }
        } else {
            emit(value, 0);
            --run;
            while (run >= 3) {
                const unsigned r = run < 6 ? run : 6;
                emit(16, r - 3);
                run -= r;
            }
        }
        for (; run > 0; --run) emit(value, 0);
    }
    buildCodeLengths(clFreq, kMaxCodeLengthCodeLength, clLengths_, completeCodes_);
    buildCanonicalCodes(clLengths_, clCodes_);
    hclen_ = kCodeLengthCodes;
    while (hclen_ > 4 && clLengths_[kCodeLengthOrder[hclen_ - 1]] == 0) --hclen_;
}

std::uint64_t BlockWriter::dynamicSize(const BlockBuffer& block) const {
    std::uint64_t bits = 14 + 3 * std::uint64_t(hclen_);
    for (std::size_t i = 0; i < clItemCount_; ++i) {
        const unsigned s = clItems_[i].symbol;
        bits += clLengths_[s] + (s >= 16 ? kRepeatExtraBits[s - 16] : 0);
    }
    const auto& lf = block.literalLengthFreqs();
    for (unsigned s = 0; s < kLiteralLengthCodes; ++s) bits += std::uint64_t(lf[s]) * litLengths_[s];
    const auto& df = block.distanceFreqs();
    for (unsigned d = 0; d < kDistanceCodes; ++d) bits += std::uint64_t(df[d]) * distLengths_[d];
    return bits + extraBits(block);
}

void BlockWriter::writeFixed(const BlockBuffer& block, bool final, BitWriter& out) const {
    out.put(final ? 1u : 0u, 1);
    out.put(1, 2);
    writeSymbols(block, kFixed.lit.data(), kFixed.litLen.data(), kFixed.dist.data(), kFixed.distLen.data(), out);
}

void BlockWriter::writeDynamic(const BlockBuffer& block, bool final, BitWriter& out) const {
    out.put(final ? 1u : 0u, 1);
    out.put(2, 2);
    out.put(hlit_ - 257, 5);
    out.put(hdist_ - 1, 5);
    out.put(hclen_ - 4, 4);
    out.flushBits();
    for (unsigned i = 0; i < hclen_; ++i) {
        out.put(clLengths_[kCodeLengthOrder[i]], 3);
        out.flushBits();
    }
    for (std::size_t i = 0; i < clItemCount_; ++i) {
        const unsigned s = clItems_[i].symbol;
        out.put(clCodes_[s], clLengths_[s]);
        if (s >= 16) out.put(clItems_[i].extra, kRepeatExtraBits[s - 16]);
        out.flushBits();
    }
    writeSymbols(block, litCodes_.data(), litLengths_.data(), distCodes_.data(), distLengths_.data(), out);
}

void BlockWriter::writeStoredHeader(BitWriter& out, unsigned length, bool final) {
    out.put(final ? 1u : 0u, 1);
    out.put(0, 2);
    out.alignToByte();
    out.put(length, 16);
    out.put(~length & 0xFFFFu, 16);
    out.flushBits();
}

}  // namespace tessaro::archives::deflate
