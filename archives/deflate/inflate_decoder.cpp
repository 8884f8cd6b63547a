// Block-by-block decoding of Deflate and Deflate64.
//
// Huffman blocks run in one tight loop: refill the bit buffer with one 8-byte load, look the
// literal/length symbol up (a second lookup only for codes longer than 10 bits), write a
// literal or decode the distance and copy the match, eight bytes at a time when the distance
// allows. Checks stay out of that loop except where an input can break a rule: a code that is
// no code, a symbol without meaning, a distance before the start of the output, output past
// the declared size. The end of the data is caught by the input's counted padding.
//
// The step names in error texts: "block header", "stored block header", "stored block",
// "dynamic block header", "code lengths", "fixed block", "dynamic block", "end of stream".
#include "archives/deflate/inflate_decoder.h"

#include "archives/deflate/deflate_format.h"
#include "archives/deflate/huffman_decode_table.h"
#include "archives/deflate/inflate_input.h"
#include "archives/deflate/inflate_output.h"
#include "archives/io/decode_error.h"

#include <array>
#include <cstring>
#include <string>

namespace tessaro::archives {

using namespace deflate;

namespace {

constexpr unsigned kLitPrimaryBits = 10;
constexpr unsigned kDistPrimaryBits = 8;
constexpr unsigned kCodeLengthPrimaryBits = kMaxCodeLengthCodeLength;
constexpr std::size_t kDeflateBuffer = 65794;
constexpr std::size_t kDeflate64Buffer = 163840;
constexpr std::size_t kDeflateWindow = 32768;
constexpr std::size_t kDeflate64Window = 65536;

struct Payloads {
    std::array<std::uint32_t, kFixedLiteralLengthCodes> literalLength{};
    std::array<std::uint32_t, kDistanceCodes64> distance{};
    std::array<std::uint32_t, kCodeLengthCodes> codeLength{};
};

Payloads makePayloads(bool deflate64) {
    Payloads p;
    for (unsigned s = 0; s < 256; ++s) p.literalLength[s] = entry::make(s, 0, entry::kLiteral);
    p.literalLength[kEndOfBlock] = entry::make(entry::kEndOfBlockValue, 0, entry::kSpecial);
    for (unsigned c = 0; c < 29; ++c) p.literalLength[257 + c] = entry::make(kLengthBase[c], kLengthExtra[c], 0);
    if (deflate64) p.literalLength[285] = entry::make(kLength285Base64, kLength285Extra64, 0);
    p.literalLength[286] = p.literalLength[287] = entry::make(entry::kBadSymbolValue, 0, entry::kSpecial);
    for (unsigned d = 0; d < kDistanceCodes64; ++d)
        p.distance[d] = (d < kDistanceCodes || deflate64) ? entry::make(kDistanceBase[d], kDistanceExtra[d], 0)
                                                          : entry::make(entry::kBadSymbolValue, 0, entry::kSpecial);
    for (unsigned s = 0; s < kCodeLengthCodes; ++s) p.codeLength[s] = entry::make(s, 0, 0);
    return p;
}

[[noreturn]] void fail(const char* cause, const char* step) {
    throw DecodeError(std::string(cause) + " (" + step + ")");
}

inline void copyMatch(std::uint8_t* dst, std::size_t distance, std::size_t length) {
    const std::uint8_t* src = dst - distance;
    if (distance >= 8) {
        std::uint8_t* const end = dst + length;
        do {  // may write up to 7 bytes past the end: the output buffer has slack for it
            std::memcpy(dst, src, 8);
            dst += 8;
            src += 8;
        } while (dst < end);
    } else if (distance == 1) {
        std::memset(dst, *src, length);
    } else {
        for (std::size_t i = 0; i < length; ++i) dst[i] = src[i];
    }
}

}  // namespace

struct InflateDecoder::Tables {
    explicit Tables(bool deflate64)
        : payloads(makePayloads(deflate64)),
          literalLength(kLitPrimaryBits, kFixedLiteralLengthCodes),
          distance(kDistPrimaryBits, kDistanceCodes64),
          codeLength(kCodeLengthPrimaryBits, kCodeLengthCodes, kMaxCodeLengthCodeLength),
          fixedLiteralLength(kLitPrimaryBits, kFixedLiteralLengthCodes),
          fixedDistance(kDistPrimaryBits, kDistanceCodes64) {
        std::array<std::uint8_t, kFixedLiteralLengthCodes> lit{};
        for (unsigned s = 0; s < kFixedLiteralLengthCodes; ++s)
            lit[s] = static_cast<std::uint8_t>(fixedLiteralLengthCodeLength(static_cast<int>(s)));
        std::array<std::uint8_t, kDistanceCodes64> dist{};
        dist.fill(kFixedDistanceCodeLength);
        fixedLiteralLength.build(lit, payloads.literalLength);
        fixedDistance.build(dist, payloads.distance);
    }

    Payloads payloads;
    HuffmanDecodeTable literalLength;
    HuffmanDecodeTable distance;
    HuffmanDecodeTable codeLength;
    HuffmanDecodeTable fixedLiteralLength;
    HuffmanDecodeTable fixedDistance;
};

namespace {

class StreamDecoder {
public:
    StreamDecoder(InflateDecoder::Tables& tables, bool deflate64, ByteSource& source, ByteSink& sink,
                  std::uint64_t limit)
        : t_(tables), deflate64_(deflate64), in_(source),
          out_(sink, deflate64 ? kDeflate64Buffer : kDeflateBuffer, deflate64 ? kDeflate64Window : kDeflateWindow,
               limit) {}

    std::uint64_t run() {
        bool final = false;
        while (!final) {
            in_.setStep("block header");
            in_.refill();
            final = in_.take(1) != 0;
            const unsigned type = in_.take(2);
            if (in_.overrun()) in_.failEndOfData();
            switch (type) {
                case 0: storedBlock(); break;
                case 1: huffmanBlock(t_.fixedLiteralLength, t_.fixedDistance, "fixed block"); break;
                case 2:
                    dynamicHeader();
                    huffmanBlock(t_.literalLength, t_.distance, "dynamic block");
                    break;
                default: fail("invalid block type 3", "block header");
            }
            if (in_.overrun()) in_.failEndOfData();
        }
        out_.flush(pos_);
        return out_.produced(pos_);
    }

private:
    void storedBlock() {
        in_.setStep("stored block header");
        in_.alignToByte();
        in_.refill();
        const unsigned length = in_.take(16);
        const unsigned complement = in_.take(16);
        if (in_.overrun()) in_.failEndOfData();
        if (length != (~complement & 0xFFFFu)) fail("stored block length does not match its complement", "stored block header");
        in_.setStep("stored block");
        std::size_t left = length;
        std::uint8_t* buf = out_.begin();
        while (left > 0) {
            // A window's worth or more goes to the buffer's start: it is its own history, so
            // nothing needs to move down.
            const bool wholeWindow = left >= out_.window() && out_.limitIndex() - pos_ >= left;
            if (wholeWindow) pos_ = out_.restart(pos_);
            else if (pos_ > out_.lastSafeIndex()) pos_ = out_.makeRoom(pos_);
            const std::uint64_t allowed = out_.limitIndex() - pos_;
            if (allowed == 0) fail("more data than the declared size", "stored block");
            std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>({left, out_.size() - pos_, allowed}));
            left -= n;
            while (n > 0) {
                const std::size_t got = in_.takeBytes(buf + pos_, n);
                if (got == 0) in_.failEndOfData();
                pos_ += got;
                n -= got;
            }
        }
    }

    void dynamicHeader() {
        in_.setStep("dynamic block header");
        in_.refill();
        const unsigned hlit = in_.take(5) + 257;
        const unsigned hdist = in_.take(5) + 1;
        const unsigned hclen = in_.take(4) + 4;
        if (hlit > kLiteralLengthCodes) fail("too many literal/length codes", "dynamic block header");
        if (!deflate64_ && hdist > kDistanceCodes) fail("too many distance codes", "dynamic block header");
        std::array<std::uint8_t, kCodeLengthCodes> cl{};
        for (unsigned i = 0; i < hclen; ++i) {
            in_.refill();
            cl[kCodeLengthOrder[i]] = static_cast<std::uint8_t>(in_.take(3));
        }
        if (!t_.codeLength.build(cl, t_.payloads.codeLength))
            fail("over-subscribed code-length code", "dynamic block header");

        in_.setStep("code lengths");
        std::array<std::uint8_t, kLiteralLengthCodes + kDistanceCodes64> lengths{};
        const unsigned total = hlit + hdist;
        const std::uint32_t* clTable = t_.codeLength.data();
        const unsigned clMask = (1u << kCodeLengthPrimaryBits) - 1;
        for (unsigned n = 0; n < total;) {
            in_.refill();
            const std::uint32_t e = clTable[in_.peek() & clMask];
            if (e & entry::kSpecial) fail("invalid code-length code", "code lengths");
            in_.consume(entry::bits(e));
            const unsigned symbol = entry::value(e);
            if (symbol < 16) {
                lengths[n++] = static_cast<std::uint8_t>(symbol);
                continue;
            }
            unsigned repeat = 0;
            std::uint8_t value = 0;
            if (symbol == 16) {
                if (n == 0) fail("code-length repeat with no previous length", "code lengths");
                value = lengths[n - 1];
                repeat = 3 + in_.take(2);
            } else if (symbol == 17) {
                repeat = 3 + in_.take(3);
            } else {
                repeat = 11 + in_.take(7);
            }
            if (repeat > total - n) fail("code-length repeat past the announced count", "code lengths");
            std::memset(lengths.data() + n, value, repeat);
            n += repeat;
        }
        if (lengths[kEndOfBlock] == 0) fail("missing end-of-block code", "dynamic block header");
        if (!t_.literalLength.build({lengths.data(), hlit}, t_.payloads.literalLength))
            fail("over-subscribed literal/length code", "dynamic block header");
        if (!t_.distance.build({lengths.data() + hlit, hdist}, t_.payloads.distance))
            fail("over-subscribed distance code", "dynamic block header");
    }

    [[noreturn]] static void failSpecial(std::uint32_t e, const char* noCode, const char* badSymbol, const char* step) {
        fail(entry::value(e) == entry::kNoCodeValue ? noCode : badSymbol, step);
    }

    // One lookup in a two-level table; consumes the code's bits.
    static std::uint32_t decodeSymbol(InflateInput::Cursor& c, const std::uint32_t* table, unsigned primaryBits) {
        std::uint32_t e = table[c.bits & ((1u << primaryBits) - 1)];
        if (e & entry::kSubtable) {
            c.consume(primaryBits);
            e = table[entry::value(e) + (c.bits & ((1u << entry::extra(e)) - 1))];
        }
        c.consume(entry::bits(e));
        return e;
    }

    void huffmanBlock(const HuffmanDecodeTable& litTable, const HuffmanDecodeTable& distTable, const char* step) {
        in_.setStep(step);
        const std::uint32_t* lit = litTable.data();
        const std::uint32_t* dist = distTable.data();
        std::uint8_t* const buf = out_.begin();
        const std::size_t lastSafe = out_.lastSafeIndex();
        std::size_t pos = pos_;
        std::uint64_t limit = out_.limitIndex();
        // The cursor lives in registers; it goes back to the input only for slow refills.
        InflateInput::Cursor c = in_.cursor();
        auto refill = [&] {
            if (c.canRefillFast()) {
                c.refillFast();
            } else {
                in_.cursor() = c;
                in_.refillSlowly();
                c = in_.cursor();
            }
        };

        for (;;) {
            if (pos > lastSafe) {
                pos = out_.makeRoom(pos);
                limit = out_.limitIndex();
            }
            refill();
            std::uint32_t e = decodeSymbol(c, lit, kLitPrimaryBits);
            // Literals: up to three per refill (56 bits hold three 15-bit codes, and the
            // room check above leaves 258 bytes).
            while (e & entry::kLiteral) {
                if (pos >= limit) {
                    pos_ = pos;
                    fail("more data than the declared size", step);
                }
                buf[pos++] = static_cast<std::uint8_t>(entry::value(e));
                if (c.count < kMaxCodeLength) break;
                e = decodeSymbol(c, lit, kLitPrimaryBits);
            }
            if (e & entry::kLiteral) continue;
            if (e & entry::kSpecial) {
                if (entry::value(e) == entry::kEndOfBlockValue) break;
                failSpecial(e, "invalid literal/length code", "invalid length symbol", step);
            }
            // The rest of a match takes at most 16 + 15 + 14 bits (Deflate64): refill when
            // literals before it have used up the bit buffer.
            if (c.count < 48) refill();
            const std::size_t length = entry::value(e) + c.take(entry::extra(e));
            e = decodeSymbol(c, dist, kDistPrimaryBits);
            if (e & entry::kSpecial) failSpecial(e, "invalid distance code", "invalid distance symbol", step);
            const std::size_t distance = entry::value(e) + c.take(entry::extra(e));
            if (distance > pos) fail("distance too far back", step);
            if (length > limit - pos) fail("more data than the declared size", step);
            if (length <= out_.size() - pos) {
                copyMatch(buf + pos, distance, length);
                pos += length;
                continue;
            }
            // A Deflate64 match longer than the room left: copy it in pieces.
            for (std::size_t left = length; left > 0;) {
                if (pos > lastSafe) pos = out_.makeRoom(pos);
                const std::size_t n = std::min(left, out_.size() - pos);
                copyMatch(buf + pos, distance, n);
                pos += n;
                left -= n;
            }
            limit = out_.limitIndex();
        }
        in_.cursor() = c;
        pos_ = pos;
    }

    InflateDecoder::Tables& t_;
    bool deflate64_;
    InflateInput in_;
    InflateOutput out_;
    std::size_t pos_ = 0;
};

}  // namespace

InflateDecoder::InflateDecoder(Variant variant)
    : variant_(variant), tables_(std::make_unique<Tables>(variant == Variant::Deflate64)) {}

InflateDecoder::~InflateDecoder() = default;

std::uint64_t InflateDecoder::decode(ByteSource& source, ByteSink& sink, std::optional<std::uint64_t> expectedSize) {
    const std::uint64_t limit = expectedSize.value_or(~std::uint64_t{0});
    StreamDecoder stream(*tables_, variant_ == Variant::Deflate64, source, sink, limit);
    const std::uint64_t produced = stream.run();
    if (expectedSize && produced < *expectedSize) fail("stream ends before the declared size", "end of stream");
    return produced;
}

}  // namespace tessaro::archives
