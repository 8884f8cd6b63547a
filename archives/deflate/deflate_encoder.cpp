// The Deflate encoder's main loop: match search over hash chains, lazy evaluation, block ends.
//
// Match search at a position: the position is entered at the head of its chain, then the chain
// is walked from the next newest entry. The walk stops at an empty link, at a candidate more
// than 32,768 bytes back, when the candidate budget is used up (the chain length, a quarter of
// it once the best length already reaches the ample length), or when the best length reaches
// the ample length. A candidate counts only when its first two bytes and the two bytes around
// the current best length match (a cheap filter that never drops a longer match); its common
// length is then counted eight bytes at a time, and only a strictly longer one replaces the
// best, so among equal lengths the nearest wins.
//
// Main loop, while three or more bytes lie ahead: once per stream, when the block first covers
// exactly 1,024 bytes and holds no literal 0x00 under the normal preset, the search limits
// double (text compresses better with a deeper search; binary data with zeros does not pay for
// it). A block that the last symbol filled is written. Then a match found at the position
// either replaces the pending one (which becomes a literal) or, when none is found, the pending
// match is emitted: lazy evaluation by one byte, skipped for matches of the maximum lazy length
// or more. A 3-byte match more than 4,096 bytes back is not worth its distance code.
#include "archives/deflate/deflate_encoder.h"

#include "archives/deflate/bit_writer.h"
#include "archives/deflate/block_buffer.h"
#include "archives/deflate/block_writer.h"
#include "archives/deflate/hash_chains.h"
#include "archives/deflate/input_window.h"
#include "platform/error.h"

#include <algorithm>
#include <bit>
#include <cstring>

#if defined(__SSE2__) && defined(__x86_64__)
#include <emmintrin.h>
#define TESSARO_DEFLATE_SSE2 1
#endif

namespace tessaro::archives {

using deflate::BitWriter;
using deflate::BlockBuffer;
using deflate::BlockForm;
using deflate::BlockWriter;
using deflate::HashChains;
using deflate::InputWindow;

struct DeflateEncoder::State {
    InputWindow window;
    HashChains chains;
    BlockBuffer block;
    BlockWriter writer;
    std::vector<std::uint8_t> scratch = std::vector<std::uint8_t>(1 << 14);
    std::vector<std::uint8_t> output = std::vector<std::uint8_t>(BitWriter::kStorage);
};

namespace {

constexpr unsigned kMaxMatch = 258;
constexpr unsigned kMaxDistance = 32768;
constexpr unsigned kStoredPieceMax = 65535;
constexpr unsigned kFarLength3Distance = 4096;
constexpr std::uint64_t kDoublingCoverage = 1024;

struct Match {
    unsigned length = 0;
    unsigned distance = 0;
};

inline std::uint16_t load16(const std::uint8_t* p) {
    std::uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
}

inline std::uint64_t load64(const std::uint8_t* p) {
    std::uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
}

// Length of the common prefix of a and b, at least `from` (known equal), at most maxLen.
// Reads up to 7 bytes past maxLen; the window's padding covers that.
inline unsigned commonLength(const std::uint8_t* a, const std::uint8_t* b, unsigned from, unsigned maxLen) {
    unsigned len = from;
    while (len < maxLen) {
        const std::uint64_t diff = load64(a + len) ^ load64(b + len);
        if (diff != 0) {
            len += static_cast<unsigned>(std::countr_zero(diff)) >> 3;  // little-endian host
            return std::min(len, maxLen);
        }
        len += 8;
    }
    return maxLen;
}

// ---- Candidate filter ----
//
// A chain word's four candidates are tested at once: each must lie inside the window and its
// first two bytes and the two bytes around the current best length must equal those at the
// current position (a cheap filter that never drops a longer match). The result has bit 2i set
// for lane i. The tests run without branches: on binary data how many candidates a chain has
// is not predictable, and each missed branch cost more than the word's eight loads. An empty
// entry (0) reads the byte before index 0, which the window pads for this.
class CandidateFilter {
public:
    static constexpr unsigned kAllLanes = 0x55;

    CandidateFilter(const std::uint8_t* buf, std::size_t pos, std::size_t limit, unsigned best)
        : base_(buf - 1), limit_(static_cast<unsigned>(limit)), head2_(load16(buf + pos)) {
#if TESSARO_DEFLATE_SSE2
        limitLanes_ = _mm_set1_epi16(static_cast<short>(limit_));
        headLanes_ = _mm_set1_epi16(static_cast<short>(head2_));
#endif
        setBest(buf + pos, best);
    }

    // The best length grew: the second pair moves with it.
    void setBest(const std::uint8_t* scan, unsigned best) {
        tailBase_ = base_ + best - 1;
        tail2_ = load16(scan + best - 1);
#if TESSARO_DEFLATE_SSE2
        tailLanes_ = _mm_set1_epi16(static_cast<short>(tail2_));
#endif
    }

    unsigned pass(std::uint64_t word) const {
        const unsigned e0 = static_cast<unsigned>(word & 0xFFFF);
        const unsigned e1 = static_cast<unsigned>((word >> 16) & 0xFFFF);
        const unsigned e2 = static_cast<unsigned>((word >> 32) & 0xFFFF);
        const unsigned e3 = static_cast<unsigned>(word >> 48);
#if TESSARO_DEFLATE_SSE2
        __m128i head = _mm_cvtsi32_si128(load16(base_ + e0));
        head = _mm_insert_epi16(head, load16(base_ + e1), 1);
        head = _mm_insert_epi16(head, load16(base_ + e2), 2);
        head = _mm_insert_epi16(head, load16(base_ + e3), 3);
        __m128i tail = _mm_cvtsi32_si128(load16(tailBase_ + e0));
        tail = _mm_insert_epi16(tail, load16(tailBase_ + e1), 1);
        tail = _mm_insert_epi16(tail, load16(tailBase_ + e2), 2);
        tail = _mm_insert_epi16(tail, load16(tailBase_ + e3), 3);
        const __m128i zero = _mm_setzero_si128();
        const __m128i differ = _mm_or_si128(_mm_xor_si128(head, headLanes_), _mm_xor_si128(tail, tailLanes_));
        // Outside the window: entry <= limit, where the saturating difference is zero.
        const __m128i outside = _mm_cmpeq_epi16(_mm_subs_epu16(_mm_cvtsi64_si128(static_cast<long long>(word)), limitLanes_), zero);
        const __m128i same = _mm_cmpeq_epi16(differ, zero);
        return static_cast<unsigned>(_mm_movemask_epi8(_mm_andnot_si128(outside, same))) & kAllLanes;
#else
        return lane(e0, 0) | lane(e1, 2) | lane(e2, 4) | lane(e3, 6);
#endif
    }

private:
#if !TESSARO_DEFLATE_SSE2
    unsigned lane(unsigned entry, unsigned bit) const {
        const bool same = ((load16(base_ + entry) ^ head2_) | (load16(tailBase_ + entry) ^ tail2_)) == 0;
        return unsigned(same & (entry > limit_)) << bit;
    }
#endif

    const std::uint8_t* base_;      // entry e (index + 1) reads from base_ + e
    const std::uint8_t* tailBase_;  // the same for the pair around the best length
    unsigned limit_;
    std::uint16_t head2_;
    std::uint16_t tail2_ = 0;
#if TESSARO_DEFLATE_SSE2
    __m128i limitLanes_;
    __m128i headLanes_;
    __m128i tailLanes_;
#endif
};

class StreamEncoder {
public:
    StreamEncoder(DeflateEncoder::State& state, const DeflateSettings& settings, ByteSink& sink)
        : s_(state), settings_(settings), out_(sink, state.output) {
        s_.writer.setCompleteCodes(settings_.completeCodes());
        loadLimits();
    }

    std::uint32_t run(ByteSource& source, std::span<const std::uint8_t> history) {
        InputWindow& window = s_.window;
        window.start(source, history, (settings_.options() & DeflateSettings::kAdler32) != 0);
        s_.chains.reset();
        s_.block.reset();
        std::size_t pos = window.historySize();
        blockStart_ = pos;
        std::size_t insertNext = 0;
        unsigned pendingLen = 0;
        unsigned pendingDist = 0;
        bool doublingChecked = false;

        for (;;) {
            if (window.slideIfDue(pos)) {
                s_.chains.rebase(InputWindow::kSlack);
                insertNext -= InputWindow::kSlack;
            }
            const std::uint8_t* buf = window.data();
            const std::size_t end = window.end();
            if (end - pos < 3) break;

            if (!doublingChecked && s_.block.covered() == kDoublingCoverage) {
                doublingChecked = true;
                if (settings_.presetLetter() == 'n' && !s_.block.hasZeroLiteral()) {
                    settings_.doubleSearchLimits();
                    loadLimits();
                }
            }
            if (s_.block.full()) writeBlock(false);

            while (insertNext < pos) s_.chains.insert(buf, insertNext++);
            Match m = search(buf, pos, end, pendingLen);
            insertNext = pos + 1;
            if (m.length == 3 && m.distance > kFarLength3Distance) m.length = 0;

            if (m.length != 0) {
                if (pendingLen != 0) s_.block.addLiteral(buf[pos - 1]);
                pendingLen = m.length;
                pendingDist = m.distance;
                ++pos;
                if (pendingLen >= maxLazy_) {
                    s_.block.addMatch(pendingLen, pendingDist);
                    pos += pendingLen - 1;
                    pendingLen = 0;
                }
            } else if (pendingLen != 0) {
                // The pending match started one byte back.
                s_.block.addMatch(pendingLen, pendingDist);
                pos += pendingLen - 1;
                pendingLen = 0;
            } else {
                s_.block.addLiteral(buf[pos]);
                ++pos;
            }
        }

        // One or two bytes left: a pending match (of length 3) covers them, else literals.
        if (pendingLen != 0) {
            s_.block.addMatch(pendingLen, pendingDist);
        } else {
            const std::uint8_t* buf = window.data();
            for (; pos < window.end(); ++pos) s_.block.addLiteral(buf[pos]);
        }
        writeBlock(true);
        out_.finish();
        return window.checksum();
    }

private:
    void loadLimits() {
        ample_ = settings_.ampleLength();
        chain_ = settings_.chainLength();
        maxLazy_ = settings_.effectiveMaxLazyLength();
    }

    Match search(const std::uint8_t* buf, std::size_t pos, std::size_t end, unsigned pendingLen) {
        std::uint64_t word = s_.chains.insert(buf, pos);
        s_.chains.prefetch(buf, pos + 2);  // reads at most 4 bytes past the data: padding
        const unsigned maxLen = static_cast<unsigned>(std::min<std::size_t>(kMaxMatch, end - pos));
        const unsigned ample = std::min(ample_, maxLen);
        if (pendingLen != 0 && maxLen < pendingLen) return {};
        unsigned best = pendingLen != 0 ? pendingLen : 2;
        if (best >= maxLen) return {};  // nothing can be longer
        unsigned budget = best < ample ? chain_ : chain_ / 4;
        // Entries hold index + 1; a candidate is inside the window when entry > limit.
        const std::size_t limit = pos > kMaxDistance ? pos - kMaxDistance : 0;
        const std::uint8_t* scan = buf + pos;
        CandidateFilter filter(buf, pos, limit, best);
        unsigned distance = 0;
        for (;;) {
            // The word's candidates within the budget that pass the filter at the current best.
            const unsigned taken =
                budget < HashChains::kNewest ? CandidateFilter::kAllLanes & ((1u << (2 * budget)) - 1) : CandidateFilter::kAllLanes;
            unsigned pass = filter.pass(word) & taken;
            while (pass != 0) {
                const unsigned lane = static_cast<unsigned>(std::countr_zero(pass)) >> 1;
                pass &= pass - 1;
                const std::size_t c = static_cast<std::size_t>((word >> (16 * lane)) & 0xFFFF) - 1;
                const std::uint8_t* match = buf + c;
                // The best may have grown since the word was filtered: test the pair around it again.
                if (load16(match + best - 1) != load16(scan + best - 1)) continue;
                const unsigned len = commonLength(scan, match, 2, maxLen);
                if (len > best) {
                    best = len;
                    distance = static_cast<unsigned>(pos - c);
                    if (best >= ample) return {best, distance};
                    filter.setBest(scan, best);
                }
            }
            // The walk goes on only when all four were inside the window and within the budget.
            const std::size_t fourth = static_cast<std::size_t>(word >> 48);
            if (fourth <= limit || budget <= HashChains::kNewest) break;
            budget -= HashChains::kNewest;
            // The candidate 32,768 bytes back shares its link slot with pos, which now holds
            // pos's own link word; every older one lies outside the window.
            if (fourth - 1 + kMaxDistance == pos) break;
            word = s_.chains.next(fourth - 1);
        }
        if (distance == 0) return {};
        return {best, distance};
    }

    void writeBlock(bool final) {
        const BlockBuffer& block = s_.block;
        switch (s_.writer.choose(block, settings_.options())) {
            case BlockForm::Fixed: s_.writer.writeFixed(block, final, out_); break;
            case BlockForm::Dynamic: s_.writer.writeDynamic(block, final, out_); break;
            case BlockForm::Stored: writeStored(final); break;
        }
        blockStart_ += block.covered();
        s_.block.reset();
    }

    // Stored pieces of at most 65,535 bytes, taken from the window while the block's bytes are
    // still there, otherwise read again from the source.
    void writeStored(bool final) {
        std::uint64_t remaining = s_.block.covered();
        const InputWindow& window = s_.window;
        if (remaining == 0) {
            BlockWriter::writeStoredHeader(out_, 0, final);
            return;
        }
        if (blockStart_ >= window.bufferStart()) {
            const std::uint8_t* p = window.data() + (blockStart_ - window.bufferStart());
            while (remaining > 0) {
                const unsigned n = static_cast<unsigned>(std::min<std::uint64_t>(remaining, kStoredPieceMax));
                remaining -= n;
                BlockWriter::writeStoredHeader(out_, n, final && remaining == 0);
                out_.putBytes({p, n});
                p += n;
            }
            return;
        }
        ByteSource& source = window.source();
        const std::uint64_t resume = source.position();
        source.seek(window.sourceOffset(blockStart_));
        while (remaining > 0) {
            unsigned n = static_cast<unsigned>(std::min<std::uint64_t>(remaining, kStoredPieceMax));
            remaining -= n;
            BlockWriter::writeStoredHeader(out_, n, final && remaining == 0);
            while (n > 0) {
                const std::size_t part = std::min<std::size_t>(n, s_.scratch.size());
                if (source.readFully({s_.scratch.data(), part}) != part)
                    throw Error("The file changed while it was being compressed");
                out_.putBytes({s_.scratch.data(), part});
                n -= static_cast<unsigned>(part);
            }
        }
        source.seek(resume);
    }

    DeflateEncoder::State& s_;
    DeflateSettings settings_;  // this stream's own copy
    BitWriter out_;
    unsigned ample_ = 0;
    unsigned chain_ = 0;
    unsigned maxLazy_ = 0;
    std::uint64_t blockStart_ = 0;  // stream index of the block's first byte
};

}  // namespace

DeflateEncoder::DeflateEncoder() : state_(std::make_unique<State>()) {}
DeflateEncoder::~DeflateEncoder() = default;

std::uint32_t DeflateEncoder::encode(ByteSource& source, ByteSink& sink, const DeflateSettings& settings) {
    return StreamEncoder(*state_, settings, sink).run(source, {});
}

std::uint32_t DeflateEncoder::encodeFrame(std::span<const std::uint8_t> history, std::span<const std::uint8_t> chunk,
                                          ByteSink& sink, const DeflateSettings& settings) {
    MemorySource source(chunk);
    return StreamEncoder(*state_, settings, sink).run(source, history);
}

std::uint32_t deflateStream(ByteSource& source, ByteSink& sink, const DeflateSettings& settings) {
    DeflateEncoder encoder;
    return encoder.encode(source, sink, settings);
}

}  // namespace tessaro::archives
