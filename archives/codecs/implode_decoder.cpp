// ZIP method 6: Implode, as the ZIP application note describes it.
//
// Flag bit 1 chooses an 8 KiB dictionary (7 low distance bits sent as they are) over a 4 KiB
// one (6 bits); flag bit 2 says a literal tree comes first and the minimum match length is 3
// (without it literals are plain bytes and the minimum is 2). Then come the length tree and
// the distance tree, 64 values each. Every tree is stored as its bit lengths, run-length
// coded: a count byte, then bytes of (repeat - 1) << 4 | (bit length - 1).
//
// The codes are Shannon-Fano codes built the application note's way: values sorted by bit
// length (stable), the longest codes numbered from 0 upwards and each shorter length starting
// where the previous one ended. Codes arrive most significant bit first inside the
// least-significant-first bit stream. Codes of one length are consecutive numbers, so a code
// is decoded one bit at a time by checking, per length, whether the bits read so far fall
// into that length's range: no table of 2^16 entries and no way to index outside the tree.
//
// The data: a flag bit 1 is a literal; 0 is a match: low distance bits, distance tree (high
// six bits), length tree (63 means another 8 bits follow). Bytes before the start of the
// output count as zeros.
#include "archives/codecs/implode_decoder.h"

#include "archives/codecs/coded_input.h"
#include "archives/codecs/history_output.h"

#include <algorithm>
#include <array>
#include <memory>
#include <numeric>
#include <vector>

namespace tessaro::archives {

namespace {

constexpr std::string_view kMethod = "Implode";
constexpr unsigned kMaxCodeLength = 16;

class ShannonFanoTree {
public:
    ShannonFanoTree(LsbBitReader& bits, unsigned valueCount, std::string_view name) : name_(name) {
        std::vector<std::uint8_t> lengths = readLengths(bits, valueCount);

        // Values in ascending bit length, equal lengths in value order.
        sorted_.resize(valueCount);
        std::iota(sorted_.begin(), sorted_.end(), std::uint16_t{0});
        std::stable_sort(sorted_.begin(), sorted_.end(), [&](std::uint16_t a, std::uint16_t b) { return lengths[a] < lengths[b]; });

        // Number codes from the longest (end of the sorted list) backwards. Per length we keep
        // the smallest code and the sorted position that has it.
        std::uint32_t code = 0;  // left-aligned in 16 bits
        std::uint32_t increment = 0;
        unsigned lastLength = 0;
        for (size_t i = valueCount; i-- > 0;) {
            code += increment;
            const unsigned length = lengths[sorted_[i]];
            if (length != lastLength) {
                lastLength = length;
                increment = 1u << (kMaxCodeLength - length);
                first_[length] = code >> (kMaxCodeLength - length);
                lastPosition_[length] = i;
            }
            ++count_[length];
            if (code >= (1u << kMaxCodeLength)) bits.input().fail("bit lengths overfill the code space", name_);
        }
    }

    unsigned decode(LsbBitReader& bits) const {
        std::uint32_t code = 0;
        for (unsigned length = 1; length <= kMaxCodeLength; ++length) {
            code = (code << 1) | bits.bits(1, name_);
            if (code >= first_[length] && code - first_[length] < count_[length])
                return sorted_[lastPosition_[length] - (code - first_[length])];
        }
        bits.input().fail("bit pattern that is no code", name_);
    }

private:
    std::vector<std::uint8_t> readLengths(LsbBitReader& bits, unsigned valueCount) const {
        std::vector<std::uint8_t> lengths;
        const unsigned bytes = bits.bits(8, name_) + 1;
        for (unsigned i = 0; i < bytes; ++i) {
            const unsigned b = bits.bits(8, name_);
            const unsigned repeat = (b >> 4) + 1;
            if (lengths.size() + repeat > valueCount) bits.input().fail("more bit lengths than values", name_);
            lengths.insert(lengths.end(), repeat, static_cast<std::uint8_t>((b & 0x0F) + 1));
        }
        if (lengths.size() != valueCount) bits.input().fail("fewer bit lengths than values", name_);
        return lengths;
    }

    std::string_view name_;
    std::vector<std::uint16_t> sorted_;
    std::array<std::uint32_t, kMaxCodeLength + 1> first_{};
    std::array<std::uint32_t, kMaxCodeLength + 1> count_{};
    std::array<size_t, kMaxCodeLength + 1> lastPosition_{};
};

}  // namespace

void decodeImplode(const EntryCoding& coding, ByteSource& compressed, ByteSink& out) {
    CodedInput input(compressed, coding.compressedSize, kMethod);
    LsbBitReader bits(input);
    HistoryOutput output(out, coding.uncompressedSize);
    if (output.done()) return;

    const bool bigDictionary = (coding.flags & 0x02) != 0;
    const bool literalTree = (coding.flags & 0x04) != 0;
    const unsigned lowDistanceBits = bigDictionary ? 7 : 6;
    const unsigned minMatch = literalTree ? 3 : 2;

    std::unique_ptr<ShannonFanoTree> literals;
    if (literalTree) literals = std::make_unique<ShannonFanoTree>(bits, 256, "literal tree");
    const ShannonFanoTree lengths(bits, 64, "length tree");
    const ShannonFanoTree distances(bits, 64, "distance tree");

    while (!output.done()) {
        if (bits.bits(1, "literal flag") == 1) {
            output.put(static_cast<std::uint8_t>(literals ? literals->decode(bits) : bits.bits(8, "literal byte")));
            continue;
        }
        const unsigned low = bits.bits(lowDistanceBits, "distance");
        const size_t distance = ((distances.decode(bits) << lowDistanceBits) | low) + 1;
        size_t length = lengths.decode(bits) + minMatch;
        if (length == 63 + minMatch) length += bits.bits(8, "length");
        output.copy(distance, length);
    }
    output.flush();
}

}  // namespace tessaro::archives
