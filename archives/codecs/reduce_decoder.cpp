// ZIP methods 2-5: Reduce, as the ZIP application note describes it.
//
// Two stages undo each other's work:
//   1. Follower sets. The data starts with, for every byte value from 255 down to 0, a set of
//      up to 32 bytes that often follow it (6-bit count, then 8 bits per byte). Each byte of
//      the intermediate stream is then either a flag bit 0 and an index into the set of the
//      byte before it, or a flag bit 1 and the byte itself (an empty set means the byte is
//      always given in full). Bits come least significant first.
//   2. Repeats. In the intermediate stream, byte 144 (DLE) starts an escape: DLE 0 is a
//      literal 144; DLE V [extra length] low-distance copies Len+3 bytes from a distance of
//      up to 4096, where the compression factor decides how V splits into length and
//      distance bits. Bytes before the start of the output count as zeros.
#include "archives/codecs/reduce_decoder.h"

#include "archives/codecs/coded_input.h"
#include "archives/codecs/history_output.h"

#include <array>

namespace tessaro::archives {

namespace {

constexpr std::string_view kMethod = "Reduce";
constexpr std::uint8_t kEscape = 144;
constexpr unsigned kMaxFollowers = 32;

struct FollowerSet {
    std::uint8_t count = 0;
    unsigned indexBits = 0;  // bits of an index into the set
    std::array<std::uint8_t, kMaxFollowers> bytes{};
};

// Bits needed for an index below `count`; the format spends one bit even on a set of one.
unsigned indexBitsFor(unsigned count) {
    unsigned bits = 1;
    while ((1u << bits) < count) ++bits;
    return bits;
}

// Stage 1: the intermediate byte stream.
class FollowerDecoder {
public:
    explicit FollowerDecoder(CodedInput& input) : bits_(input) {
        for (int value = 255; value >= 0; --value) {
            FollowerSet& set = sets_[static_cast<size_t>(value)];
            set.count = static_cast<std::uint8_t>(bits_.bits(6, "follower set size"));
            if (set.count > kMaxFollowers) input.fail("follower set larger than 32", "follower sets");
            set.indexBits = indexBitsFor(set.count);
            for (unsigned i = 0; i < set.count; ++i) set.bytes[i] = static_cast<std::uint8_t>(bits_.bits(8, "follower set"));
        }
    }

    std::uint8_t next() {
        const FollowerSet& set = sets_[last_];
        if (set.count == 0 || bits_.bits(1, "follower flag") == 1) {
            last_ = static_cast<std::uint8_t>(bits_.bits(8, "literal byte"));
        } else {
            const unsigned index = bits_.bits(set.indexBits, "follower index");
            if (index >= set.count) bits_.input().fail("follower index outside its set", "follower index");
            last_ = set.bytes[index];
        }
        return last_;
    }

private:
    LsbBitReader bits_;
    std::array<FollowerSet, 256> sets_{};
    std::uint8_t last_ = 0;
};

}  // namespace

void decodeReduce(const EntryCoding& coding, unsigned factor, ByteSource& compressed, ByteSink& out) {
    CodedInput input(compressed, coding.compressedSize, kMethod);
    HistoryOutput output(out, coding.uncompressedSize);
    if (output.done()) return;
    FollowerDecoder stream(input);
    const unsigned lengthMask = 0xFFu >> factor;

    while (!output.done()) {
        const std::uint8_t c = stream.next();
        if (c != kEscape) {
            output.put(c);
            continue;
        }
        const std::uint8_t v = stream.next();
        if (v == 0) {
            output.put(kEscape);
            continue;
        }
        size_t length = v & lengthMask;
        if (length == lengthMask) length += stream.next();
        const size_t distance = ((v >> (8 - factor)) << 8) + stream.next() + 1;
        output.copy(distance, length + 3);
    }
    output.flush();
}

}  // namespace tessaro::archives
