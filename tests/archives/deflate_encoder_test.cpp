#include "archives/deflate/deflate_encoder.h"

#include "archives/deflate/inflate_decoder.h"

#include "archives/checksum/crc32.h"
#include "platform/error.h"
#include "tests/archives/deflate_test_data.h"
#include "tests/archives/deflate_token_reader.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <zlib.h>

namespace tessaro::archives {
namespace {

using testing::Bytes;

Bytes encode(std::span<const std::uint8_t> input, const DeflateSettings& settings = DeflateSettings::forZipWriter('n'),
             std::uint32_t* checksum = nullptr) {
    MemorySource source(input);
    MemorySink sink;
    const std::uint32_t sum = deflateStream(source, sink, settings);
    if (checksum) *checksum = sum;
    return sink.bytes();
}

std::vector<testing::ParsedBlock> blocksOf(const Bytes& stream) { return testing::TokenReader(stream).blocks(); }

std::vector<testing::Token> tokensOf(const Bytes& stream) {
    std::vector<testing::Token> all;
    for (const auto& b : blocksOf(stream)) all.insert(all.end(), b.tokens.begin(), b.tokens.end());
    return all;
}

struct Input {
    const char* name;
    Bytes data;
};

std::vector<Input> roundTripInputs() {
    std::vector<Input> inputs;
    inputs.push_back({"empty", {}});
    inputs.push_back({"one byte", {0x41}});
    inputs.push_back({"two bytes", {0x00, 0xFF}});
    inputs.push_back({"three equal", {7, 7, 7}});
    inputs.push_back({"run 100000", Bytes(100000, 0x55)});
    inputs.push_back({"zeros 70000", Bytes(70000, 0)});
    inputs.push_back({"text", testing::textData(300000)});
    inputs.push_back({"binary", testing::binaryData(300000)});
    inputs.push_back({"random", testing::randomData(200000)});
    inputs.push_back({"image16", testing::image16Data(300000)});
    for (std::size_t size : {32767u, 32768u, 32769u, 65535u, 65536u, 65537u}) {
        inputs.push_back({"text at a boundary", testing::textData(size, static_cast<unsigned>(size))});
        inputs.push_back({"random at a boundary", testing::randomData(size, static_cast<unsigned>(size))});
    }
    // Text with stretches of noise: blocks switch between stored and compressed forms.
    Bytes mixed;
    for (int i = 0; i < 6; ++i) {
        const Bytes t = testing::textData(40000, i), r = testing::randomData(30000, i);
        mixed.insert(mixed.end(), t.begin(), t.end());
        mixed.insert(mixed.end(), r.begin(), r.end());
    }
    inputs.push_back({"mixed", mixed});
    return inputs;
}

TEST(DeflateEncoder, RoundTripsThroughZlibWithEveryPreset) {
    const auto inputs = roundTripInputs();
    for (char preset : {'n', 'x', 'f', 's', '0', '2'}) {
        for (const Input& input : inputs) {
            SCOPED_TRACE(std::string(input.name) + " size " + std::to_string(input.data.size()) + " preset " + preset);
            std::uint32_t checksum = 0;
            const Bytes packed = encode(input.data, DeflateSettings::forZipWriter(preset), &checksum);
            EXPECT_EQ(testing::zlibInflate(packed), input.data);
            EXPECT_EQ(checksum, crc32(input.data));
            MemorySource source(packed);
            MemorySink ours;
            InflateDecoder(InflateDecoder::Variant::Deflate).decode(source, ours, input.data.size());
            EXPECT_EQ(ours.bytes(), input.data);
        }
    }
}

TEST(DeflateEncoder, RoundTripsTenMegabytesFromAFile) {
    Bytes data = testing::textData(6 << 20);
    const Bytes img = testing::image16Data(3 << 20), rnd = testing::randomData(1 << 20);
    data.insert(data.end(), img.begin(), img.end());
    data.insert(data.end(), rnd.begin(), rnd.end());
    tessaro::testing::TempDir dir;
    const auto path = dir.write("in.bin", std::string_view(reinterpret_cast<const char*>(data.data()), data.size()));
    FileSource source(path);
    MemorySink sink;
    EXPECT_EQ(deflateStream(source, sink, DeflateSettings::forZipWriter('n')), crc32(data));
    EXPECT_EQ(testing::zlibInflate(sink.bytes()), data);
    EXPECT_LT(sink.bytes().size(), data.size() / 2);
}

// The encoder's choices fix its output bytes; these checksums of known outputs catch any
// change to them (a faster search that finds other matches, another tie rule).
TEST(DeflateEncoder, OutputBytesStayTheSame) {
    struct Golden {
        Bytes input;
        char preset;
        std::size_t size;
        std::uint32_t crc;
    };
    const Golden golden[] = {
        {testing::textData(300000), 'n', 92189, 0x671031B1u},
        {testing::textData(300000), 'x', 85257, 0x0B0EDDF2u},
        {testing::binaryData(300000), 'f', 136820, 0x7015A350u},
        {testing::image16Data(300000), 's', 216704, 0x7B8C813Eu},
        {testing::image16Data(300000), 'n', 210178, 0xE53C851Cu},
    };
    for (const Golden& g : golden) {
        const Bytes out = encode(g.input, DeflateSettings::forZipWriter(g.preset));
        EXPECT_EQ(out.size(), g.size) << g.preset;
        EXPECT_EQ(crc32(out), g.crc) << g.preset;
    }
}

TEST(DeflateEncoder, IsDeterministicAndReusable) {
    const Bytes data = testing::textData(200000);
    DeflateEncoder encoder;
    MemorySink a, b;
    MemorySource sa(data), sb(data);
    encoder.encode(sa, a, DeflateSettings::forZipWriter('n'));
    encoder.encode(sb, b, DeflateSettings::forZipWriter('n'));
    EXPECT_EQ(a.bytes(), b.bytes());
}

TEST(DeflateEncoder, StartsAtTheSourcePositionAndReReadsStoredBytesFromThere) {
    // Stored-only output of a compressible input: the one block covers all of it and its bytes
    // have long left the window, so they are read again from the source.
    const Bytes data = testing::textData(300000);
    MemorySource source(data);
    source.seek(1000);
    MemorySink sink;
    DeflateSettings stored = DeflateSettings::forZipWriter('0');
    EXPECT_EQ(deflateStream(source, sink, stored), crc32(std::span(data).subspan(1000)));
    EXPECT_EQ(testing::zlibInflate(sink.bytes()), Bytes(data.begin() + 1000, data.end()));
    EXPECT_EQ(source.position(), data.size());
}

TEST(DeflateEncoder, OneByteIsOneFixedBlockOfThreeBytes) {
    const Bytes out = encode(Bytes{0x41});
    // Final bit, fixed type, literal 0x41 (8-bit code 0x71), end of block (7 zero bits).
    EXPECT_EQ(out, (Bytes{0x73, 0x04, 0x00}));
    const auto blocks = blocksOf(out);
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0].type, 1u);
    EXPECT_TRUE(blocks[0].final);
}

TEST(DeflateEncoder, EmptyInputIsOneFinalFixedBlock) {
    EXPECT_EQ(encode({}), (Bytes{0x03, 0x00}));
    const Bytes storedOnly = encode({}, DeflateSettings::forZipWriter('0'));
    EXPECT_EQ(storedOnly, (Bytes{0x01, 0x00, 0x00, 0xFF, 0xFF}));
}

TEST(DeflateEncoder, RunOfOneByteGivesMaximalMatchesAtDistanceOne) {
    const auto tokens = tokensOf(encode(Bytes(10000, 'a')));
    ASSERT_GE(tokens.size(), 3u);
    EXPECT_EQ(tokens[0].length, 0u);
    EXPECT_EQ(tokens[0].literal, 'a');
    std::size_t covered = 1;
    for (std::size_t i = 1; i < tokens.size(); ++i) {
        EXPECT_EQ(tokens[i].distance, 1u);
        if (i + 1 < tokens.size()) {
            EXPECT_EQ(tokens[i].length, 258u);
        }
        covered += tokens[i].length;
    }
    EXPECT_EQ(covered, 10000u);
}

TEST(DeflateEncoder, IncompressibleInputIsStored) {
    const Bytes data = testing::randomData(500000);
    const Bytes out = encode(data);
    std::size_t storedBytes = 0;
    for (const auto& b : blocksOf(out)) {
        EXPECT_EQ(b.type, 0u);
        for (unsigned len : b.storedLengths) storedBytes += len;
    }
    EXPECT_EQ(storedBytes, data.size());
    EXPECT_LT(out.size(), data.size() + data.size() / 1000);
}

TEST(DeflateEncoder, StoredBlocksSplitAt65535Bytes) {
    for (std::size_t size : {65534u, 65535u, 65536u, 200000u}) {
        const Bytes data(size, 'z');
        const auto blocks = blocksOf(encode(data, DeflateSettings::forZipWriter('0')));
        std::vector<unsigned> lengths;
        for (const auto& b : blocks) {
            EXPECT_EQ(b.type, 0u);
            EXPECT_EQ(b.final, &b == &blocks.back());
            lengths.insert(lengths.end(), b.storedLengths.begin(), b.storedLengths.end());
        }
        std::vector<unsigned> expected(size / 65535, 65535);
        if (size % 65535 != 0) expected.push_back(static_cast<unsigned>(size % 65535));
        EXPECT_EQ(lengths, expected) << size;
    }
}

TEST(DeflateEncoder, FixedAndDynamicOnlyOptions) {
    const Bytes data = testing::textData(100000);
    for (unsigned form : {2u, 4u}) {
        DeflateSettings settings;
        settings.setOptions(form | DeflateSettings::kLazy);
        const Bytes out = encode(data, settings);
        for (const auto& b : blocksOf(out)) EXPECT_EQ(b.type, form == 2 ? 1u : 2u);
        EXPECT_EQ(testing::zlibInflate(out), data);
    }
}

// 1,024 bytes of literals, then a 40-byte string L far back, a 20-byte prefix of L nearer,
// and L again. Undoubled (ample 16, lazy 24) the search stops at the near 20-byte match and
// lazy evaluation then prefers L from one byte later (39 bytes); doubled (ample 32, lazy 48)
// it walks on to the full 40-byte match.
Bytes doublingProbe(const Bytes& prefix) {
    std::mt19937 rng(99);
    auto nonZero = [&rng](std::size_t n) {
        Bytes b(n);
        for (auto& x : b) x = static_cast<std::uint8_t>(1 + rng() % 255);
        return b;
    };
    Bytes data = prefix;
    const Bytes l = nonZero(40);
    // The final run keeps the block from being stored.
    for (const Bytes& part : {l, nonZero(50), Bytes(l.begin(), l.begin() + 20), nonZero(50), l, nonZero(10), Bytes(20000, 'q')})
        data.insert(data.end(), part.begin(), part.end());
    return data;
}

bool hasMatchOfLength(const Bytes& stream, unsigned length) {
    for (const auto& t : tokensOf(stream))
        if (t.length == length) return true;
    return false;
}

TEST(DeflateEncoder, NormalPresetDoublesItsSearchOnceTheFirstBlockCovers1024Bytes) {
    std::mt19937 rng(5);
    Bytes literals(1024);
    for (auto& x : literals) x = static_cast<std::uint8_t>(1 + rng() % 255);
    const Bytes probe = doublingProbe(literals);
    const Bytes normal = encode(probe);
    const auto tokens = tokensOf(normal);
    ASSERT_GT(tokens.size(), 1024u);
    for (std::size_t i = 0; i < 1024; ++i) ASSERT_EQ(tokens[i].length, 0u) << "premise: literals only";
    EXPECT_TRUE(hasMatchOfLength(normal, 40));

    // A literal zero in the block, a custom set or another preset: no doubling.
    Bytes withZero = literals;
    withZero[500] = 0;
    EXPECT_FALSE(hasMatchOfLength(encode(doublingProbe(withZero)), 40));
    EXPECT_TRUE(hasMatchOfLength(encode(doublingProbe(withZero)), 39));
    EXPECT_FALSE(hasMatchOfLength(encode(doublingProbe(Bytes(2048, 0))), 40));
    DeflateSettings custom = DeflateSettings::forZipWriter('n');
    custom.setChainLength(33);
    custom.setChainLength(32);
    EXPECT_EQ(custom.presetLetter(), '?');
    EXPECT_FALSE(hasMatchOfLength(encode(probe, custom), 40));
}

TEST(DeflateEncoder, FrameEncodingReachesIntoHistory) {
    const Bytes data = testing::textData(300000);
    DeflateEncoder encoder;
    const DeflateSettings settings = DeflateSettings::forZipWriter('n');
    std::size_t total = 0;
    for (std::size_t at = 0; at < data.size(); at += 32768) {
        const std::size_t n = std::min<std::size_t>(32768, data.size() - at);
        const std::size_t h = std::min<std::size_t>(32768, at);
        const std::span<const std::uint8_t> history(data.data() + at - h, h), chunk(data.data() + at, n);
        MemorySink sink;
        encoder.encodeFrame(history, chunk, sink, settings);
        EXPECT_EQ(testing::zlibInflate(sink.bytes(), history), Bytes(chunk.begin(), chunk.end())) << at;
        total += sink.bytes().size();
    }
    EXPECT_LT(total, data.size() / 2);

    // A chunk equal to its history is coded as matches into it.
    const Bytes half = testing::randomData(16384);
    MemorySink sink;
    encoder.encodeFrame(half, half, sink, settings);
    EXPECT_LT(sink.bytes().size(), 200u);
    EXPECT_EQ(testing::zlibInflate(sink.bytes(), half), half);
}

TEST(DeflateSettings, PresetsAndLetterRules) {
    const DeflateSettings fresh;
    EXPECT_EQ(fresh.options(), 15u);
    EXPECT_EQ(fresh.ampleLength(), 8u);
    EXPECT_EQ(fresh.presetLetter(), 'n');
    DeflateSettings s = fresh;
    s.applyPreset('N');  // already current: nothing changes
    EXPECT_EQ(s, fresh);

    const DeflateSettings normal = DeflateSettings::forZipWriter('n');
    EXPECT_EQ(normal.options(), 15u);
    EXPECT_EQ(normal.ampleLength(), 16u);
    EXPECT_EQ(normal.chainLength(), 32u);
    EXPECT_EQ(normal.maxLazyLength(), 24u);
    const DeflateSettings fast = DeflateSettings::forZipWriter('F');
    EXPECT_EQ(fast.options(), 7u);  // "0" cleared lazy evaluation, "f" does not set it
    EXPECT_EQ(fast.effectiveMaxLazyLength(), 0u);
    EXPECT_EQ(fast.presetLetter(), 'f');
    const DeflateSettings maximum = DeflateSettings::forZipWriter('x');
    EXPECT_EQ(maximum.chainLength(), 4096u);
    EXPECT_EQ(maximum.maxLazyLength(), 258u);
    EXPECT_EQ(DeflateSettings::forZipWriter('0').options(), 1u);

    DeflateSettings f;
    f.applyPreset('f');  // from a fresh set the lazy bit stays
    EXPECT_EQ(f.options(), 15u);
    EXPECT_FALSE(f.applyPreset('q'));
    f.setAmpleLength(1);  // raised to 4, which it already is: no change
    EXPECT_EQ(f.ampleLength(), 4u);
    EXPECT_EQ(f.presetLetter(), 'f');
    f.setAmpleLength(300);
    EXPECT_EQ(f.presetLetter(), '?');
    EXPECT_THROW(f.setOptions(8), std::invalid_argument);
    EXPECT_THROW(f.setOptions(16 | 7), std::invalid_argument);
}

TEST(DeflateEncoder, Adler32OptionReturnsAdler32) {
    const Bytes data = testing::textData(10000);
    DeflateSettings settings = DeflateSettings::forZipWriter('n');
    settings.setOptions(15 | DeflateSettings::kAdler32);
    std::uint32_t sum = 0;
    encode(data, settings, &sum);
    EXPECT_EQ(sum, adler32(adler32(0, nullptr, 0), data.data(), static_cast<uInt>(data.size())));
}

}  // namespace
}  // namespace tessaro::archives
