#include "archives/deflate/inflate_decoder.h"

#include "archives/checksum/crc32.h"
#include "archives/codecs/entry_decoder.h"
#include "archives/deflate/deflate_encoder.h"
#include "archives/io/decode_error.h"
#include "tests/archives/deflate_test_data.h"
#include "tests/archives/zip_test_reader.h"
#include "tests/support/peer_tools.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <random>
#include <sstream>

namespace tessaro::archives {
namespace {

using testing::Bytes;
using Variant = InflateDecoder::Variant;

Bytes inflate(std::span<const std::uint8_t> data, Variant variant = Variant::Deflate,
              std::optional<std::uint64_t> expected = std::nullopt) {
    MemorySource source(data);
    MemorySink sink;
    InflateDecoder decoder(variant);
    const std::uint64_t n = decoder.decode(source, sink, expected);
    EXPECT_EQ(n, sink.bytes().size());
    return sink.bytes();
}

// The decoder's error text for a stream, or "" when it decodes.
std::string inflateError(std::span<const std::uint8_t> data, Variant variant = Variant::Deflate,
                         std::optional<std::uint64_t> expected = std::nullopt) {
    try {
        inflate(data, variant, expected);
        return "";
    } catch (const DecodeError& e) {
        return e.what();
    }
}

// Builds streams bit by bit (least significant bit first), Huffman codes most significant
// bit first, as RFC 1951 packs them.
class BitStream {
public:
    BitStream& bits(unsigned value, unsigned count) {
        for (unsigned i = 0; i < count; ++i, ++n_) {
            if (n_ % 8 == 0) bytes_.push_back(0);
            bytes_.back() |= static_cast<std::uint8_t>(((value >> i) & 1u) << (n_ % 8));
        }
        return *this;
    }
    BitStream& code(unsigned value, unsigned length) {
        for (unsigned i = length; i-- > 0;) bits((value >> i) & 1u, 1);
        return *this;
    }
    BitStream& align() {
        n_ = (n_ + 7) / 8 * 8;
        return *this;
    }
    BitStream& byte(std::uint8_t b) { return bits(b, 8); }
    // Fixed code of a literal/length symbol.
    BitStream& fixed(unsigned symbol) {
        if (symbol < 144) return code(0x30 + symbol, 8);
        if (symbol < 256) return code(0x190 + symbol - 144, 9);
        if (symbol < 280) return code(symbol - 256, 7);
        return code(0xC0 + symbol - 280, 8);
    }
    const Bytes& bytes() const { return bytes_; }

private:
    Bytes bytes_;
    std::size_t n_ = 0;
};

TEST(InflateDecoder, DecodesZlibOutputAtEveryLevel) {
    const std::vector<Bytes> inputs = {{},
                                       {42},
                                       Bytes(70000, 0),
                                       testing::textData(200000),
                                       testing::binaryData(150000),
                                       testing::randomData(80000),
                                       testing::image16Data(150000)};
    for (int level = 0; level <= 9; ++level) {
        for (const Bytes& input : inputs) {
            const Bytes packed = testing::zlibDeflate(input, level);
            EXPECT_EQ(inflate(packed), input) << "level " << level << " size " << input.size();
            EXPECT_EQ(inflate(packed, Variant::Deflate, input.size()), input);
        }
    }
}

TEST(InflateDecoder, DecodesOurEncoderAcrossBufferBoundaries) {
    Bytes data = testing::textData(3 << 20);
    const Bytes img = testing::image16Data(1 << 20);
    data.insert(data.end(), img.begin(), img.end());
    for (char preset : {'n', 'x', 's', '0'}) {
        MemorySource source(data);
        MemorySink sink;
        deflateStream(source, sink, DeflateSettings::forZipWriter(preset));
        EXPECT_EQ(inflate(sink.bytes(), Variant::Deflate, data.size()), data) << preset;
    }
}

// A valid stream followed by other bytes: decoding stops at the end of the final block.
TEST(InflateDecoder, StopsAtTheFinalBlock) {
    Bytes packed = testing::zlibDeflate(testing::toBytes("hello hello hello"), 9);
    packed.insert(packed.end(), {1, 2, 3, 4});
    EXPECT_EQ(inflate(packed), testing::toBytes("hello hello hello"));
}

TEST(InflateDecoder, Deflate64LongLengthAndFarDistances) {
    // Literal 'a', then code 285 with 16 extra bits: length 3 + 997 in Deflate64.
    BitStream s;
    s.bits(1, 1).bits(1, 2).fixed('a').fixed(285).bits(997, 16).code(0, 5).fixed(256);
    EXPECT_EQ(inflate(s.bytes(), Variant::Deflate64), Bytes(1001, 'a'));
    // In plain Deflate code 285 is length 258 without extra bits; the 16 bits are then read
    // as further codes, so the result differs.
    EXPECT_NE(inflateError(s.bytes()), "");

    // A 65,538-byte match (the longest) at distance 40,000 (distance code 30) and one of
    // distance 65,536 (code 31) after 66,000 stored bytes.
    Bytes block = testing::randomData(66000);
    BitStream d;
    d.bits(0, 1).bits(0, 2).align().bits(0xFFFF, 16).bits(0, 16);
    for (int i = 0; i < 65535; ++i) d.byte(block[i]);
    d.bits(0, 1).bits(0, 2).align().bits(465, 16).bits(~465u & 0xFFFF, 16);
    for (int i = 65535; i < 66000; ++i) d.byte(block[i]);
    d.bits(1, 1).bits(1, 2);
    d.fixed(285).bits(65538 - 3, 16).code(30, 5).bits(40000 - 32769, 14);
    d.fixed(285).bits(5000 - 3, 16).code(31, 5).bits(65536 - 49153, 14);
    d.fixed(256);
    Bytes expected = block;
    for (int i = 0; i < 65538; ++i) expected.push_back(expected[expected.size() - 40000]);
    for (int i = 0; i < 5000; ++i) expected.push_back(expected[expected.size() - 65536]);
    EXPECT_EQ(inflate(d.bytes(), Variant::Deflate64).size(), expected.size());
    EXPECT_EQ(inflate(d.bytes(), Variant::Deflate64, expected.size()), expected);
    EXPECT_EQ(inflateError(d.bytes()), "invalid distance symbol (fixed block)");
}

TEST(InflateDecoder, RejectsEachMalformedCaseWithItsCause) {
    EXPECT_EQ(inflateError(BitStream().bits(1, 1).bits(3, 2).bytes()), "invalid block type 3 (block header)");
    EXPECT_EQ(inflateError(BitStream().bits(1, 1).bits(0, 2).align().bits(5, 16).bits(5, 16).bytes()),
              "stored block length does not match its complement (stored block header)");
    EXPECT_EQ(inflateError(BitStream().bits(1, 1).bits(2, 2).bits(30, 5).bits(0, 5).bits(0, 4).bytes()),
              "too many literal/length codes (dynamic block header)");
    const Bytes manyDistances = BitStream().bits(1, 1).bits(2, 2).bits(0, 5).bits(30, 5).bits(0, 4).bits(0, 12).bytes();
    EXPECT_EQ(inflateError(manyDistances), "too many distance codes (dynamic block header)");
    EXPECT_NE(inflateError(manyDistances, Variant::Deflate64), "too many distance codes (dynamic block header)");
    EXPECT_EQ(inflateError(BitStream().bits(1, 1).bits(1, 2).fixed(286).bytes()), "invalid length symbol (fixed block)");
    EXPECT_EQ(inflateError(BitStream().bits(1, 1).bits(1, 2).fixed('x').fixed(257).code(30, 5).bytes()),
              "invalid distance symbol (fixed block)");
    EXPECT_EQ(inflateError(BitStream().bits(1, 1).bits(1, 2).fixed(257).code(0, 5).fixed(256).bytes()),
              "distance too far back (fixed block)");

    // Dynamic headers: HLIT 257, HDIST 1, HCLEN 4 with code-length code lengths for 16, 17,
    // 18, 0, then the code-length symbols (codes of one or two bits).
    auto dynamicHeader = [](unsigned l16, unsigned l17, unsigned l18, unsigned l0) {
        BitStream s;
        s.bits(1, 1).bits(2, 2).bits(0, 5).bits(0, 5).bits(0, 4).bits(l16, 3).bits(l17, 3).bits(l18, 3).bits(l0, 3);
        return s;
    };
    // Only symbol 0 has a code ("0"); the pattern "1" is no code.
    EXPECT_EQ(inflateError(dynamicHeader(0, 0, 0, 1).code(1, 1).bytes()), "invalid code-length code (code lengths)");
    // Symbol 16 first: nothing to repeat.
    EXPECT_EQ(inflateError(dynamicHeader(1, 0, 0, 1).code(1, 1).bits(0, 2).bytes()),
              "code-length repeat with no previous length (code lengths)");
    // 18 with 138 zeros, twice: 276 > 258 announced lengths.
    EXPECT_EQ(inflateError(dynamicHeader(0, 0, 1, 1).code(1, 1).bits(127, 7).code(1, 1).bits(127, 7).bytes()),
              "code-length repeat past the announced count (code lengths)");
    // 258 zero lengths: no end-of-block code.
    EXPECT_EQ(inflateError(dynamicHeader(0, 0, 1, 1).code(1, 1).bits(127, 7).code(1, 1).bits(109, 7).bytes()),
              "missing end-of-block code (dynamic block header)");
    // Three code-length codes of one bit.
    EXPECT_EQ(inflateError(dynamicHeader(1, 1, 1, 0).bytes()), "over-subscribed code-length code (dynamic block header)");

    // A non-final block and nothing after it: the padding bits of its last byte read as the
    // header of a stored block, whose length is missing.
    EXPECT_EQ(inflateError(BitStream().bits(0, 1).bits(1, 2).fixed(256).bytes()),
              "unexpected end of data (stored block header)");
    // Six 9-bit literals make the block end on a byte boundary: the next header is missing.
    BitStream sixLiterals;
    sixLiterals.bits(0, 1).bits(1, 2);
    for (int i = 0; i < 6; ++i) sixLiterals.fixed(144);
    EXPECT_EQ(inflateError(sixLiterals.fixed(256).bytes()), "unexpected end of data (block header)");
    EXPECT_EQ(inflateError(BitStream().bits(1, 1).bits(0, 2).align().bits(3, 16).bits(~3u & 0xFFFF, 16).byte(1).bytes()),
              "unexpected end of data (stored block)");
    EXPECT_EQ(inflateError({}), "unexpected end of data (block header)");
}

TEST(InflateDecoder, WritesExactlyTheDeclaredSize) {
    const Bytes data = testing::textData(100000);
    const Bytes packed = testing::zlibDeflate(data, 6);
    EXPECT_EQ(inflateError(packed, Variant::Deflate, data.size() + 1), "stream ends before the declared size (end of stream)");
    for (std::uint64_t declared : {std::uint64_t{0}, std::uint64_t{1}, std::uint64_t{65536}, std::uint64_t{99999}}) {
        MemorySource source(packed);
        MemorySink sink;
        EXPECT_THROW(InflateDecoder(Variant::Deflate).decode(source, sink, declared), DecodeError);
        EXPECT_LE(sink.bytes().size(), declared);
        EXPECT_TRUE(std::equal(sink.bytes().begin(), sink.bytes().end(), data.begin()));
    }
    const Bytes stored = testing::zlibDeflate(data, 0);
    MemorySource source(stored);
    MemorySink sink;
    EXPECT_THROW(InflateDecoder(Variant::Deflate).decode(source, sink, 1000), DecodeError);
    EXPECT_LE(sink.bytes().size(), 1000u);
}

// Truncations and bit flips of valid streams: a DecodeError or some output, never a crash,
// a hang, an access out of bounds (the sanitizer build checks that) or a byte past the
// declared size. Half of the flips hit the first bytes, where the block headers are.
TEST(InflateDecoder, SurvivesCorruptInput) {
    const Bytes data = testing::textData(20000);
    std::vector<Bytes> streams = {testing::zlibDeflate(data, 9), testing::zlibDeflate(data, 1),
                                  testing::zlibDeflate(testing::randomData(3000), 9)};
    std::mt19937 rng(2);
    for (const Bytes& stream : streams) {
        for (std::size_t cut = 0; cut < stream.size(); cut += 1 + cut / 50)
            EXPECT_NE(inflateError(std::span(stream).first(cut)), "") << cut;
        for (int trial = 0; trial < 600; ++trial) {
            Bytes bad = stream;
            const std::size_t range = trial % 2 ? bad.size() : std::min<std::size_t>(bad.size(), 80);
            for (int flips = 1 + trial % 3; flips > 0; --flips)
                bad[rng() % range] ^= static_cast<std::uint8_t>(1u << (rng() % 8));
            for (Variant v : {Variant::Deflate, Variant::Deflate64}) {
                MemorySource source(bad);
                CountingSink sink;
                try {
                    InflateDecoder(v).decode(source, sink, data.size());
                } catch (const DecodeError&) {
                }
                EXPECT_LE(sink.count(), data.size());
            }
        }
    }
    for (int trial = 0; trial < 300; ++trial) {
        const Bytes noise = testing::randomData(1 + trial * 7, trial);
        try {
            inflate(noise, trial % 2 ? Variant::Deflate64 : Variant::Deflate);
        } catch (const DecodeError&) {
        }
    }
}

// Entries of ZIP archives written by other archivers: methods 0, 8 and 9.
struct ManifestEntry {
    std::uint64_t size;
    std::uint32_t crc;
};

std::map<std::string, ManifestEntry> manifestOf(const std::string& archive) {
    std::ifstream in(std::string(TESSARO_SHARED_TESTDATA) + "/zip/MANIFEST.tsv");
    std::map<std::string, ManifestEntry> entries;
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        std::string name, path, size, crc;
        if (!std::getline(fields, name, '\t') || name != archive) continue;
        std::getline(fields, path, '\t');
        std::getline(fields, size, '\t');
        std::getline(fields, crc, '\t');
        if (!crc.empty()) entries[path] = {std::stoull(size), static_cast<std::uint32_t>(std::stoul(crc, nullptr, 16))};
    }
    return entries;
}

Bytes decodeEntry(const std::filesystem::path& archive, const testing::ZipTestEntry& e) {
    FileSource file(archive);
    file.seek(e.dataOffset);
    MemorySink sink;
    decodeEntryData({e.method, e.flags, e.compressedSize, e.uncompressedSize}, file, sink);
    return sink.bytes();
}

TEST(EntryDecoder, DecodesDeflate64EntriesOfTheTestArchive) {
    const std::filesystem::path archive = std::string(TESSARO_SHARED_TESTDATA) + "/zip/Zip.deflate64.zip";
    const auto manifest = manifestOf("Zip.deflate64.zip");
    ASSERT_EQ(manifest.size(), 3u);
    int decoded = 0;
    for (const auto& e : testing::readZipEntries(archive)) {
        if (e.method != 9) continue;
        const Bytes out = decodeEntry(archive, e);
        EXPECT_EQ(crc32(out), e.crc) << e.name;
        // MANIFEST names are decoded by another archiver; match by size and CRC.
        bool listed = false;
        for (const auto& [name, m] : manifest) listed |= m.size == out.size() && m.crc == crc32(out);
        EXPECT_TRUE(listed) << e.name;
        ++decoded;
    }
    EXPECT_EQ(decoded, 3);
}

TEST(EntryDecoder, DecodesStoredAndDeflateEntriesOfOtherWriters) {
    for (const char* name : {"Zip.deflate.zip", "Zip.deflate.dd.zip", "Zip.none.zip", "WinZip26.zip"}) {
        const std::filesystem::path archive = std::string(TESSARO_SHARED_TESTDATA) + "/zip/" + name;
        for (const auto& e : testing::readZipEntries(archive)) {
            if (!isSupportedMethod(e.method) || (e.flags & 1) != 0) continue;
            EXPECT_EQ(crc32(decodeEntry(archive, e)), e.crc) << name << " " << e.name;
        }
    }
}

TEST(EntryDecoder, DecodesDeflate64EntriesMadeBy7Zip) {
    TESSARO_NEEDS_PEER_TOOLS("7zz");
    tessaro::testing::TempDir dir;
    std::map<std::string, Bytes> files;
    files["text.txt"] = testing::textData(400000);
    files["random.bin"] = testing::randomData(100000);
    files["zeros.bin"] = Bytes(300000, 0);
    const Bytes block = testing::randomData(40000, 9);  // repeats 40,000 bytes back
    for (int i = 0; i < 5; ++i) files["far.bin"].insert(files["far.bin"].end(), block.begin(), block.end());
    files["image.raw"] = testing::image16Data(300000);
    for (const auto& [name, data] : files)
        dir.write("in/" + name, std::string_view(reinterpret_cast<const char*>(data.data()), data.size()));
    const std::string cmd = "cd '" + (dir / "in").string() + "' && 7zz a -tzip -mm=Deflate64 -mx=9 ../out.zip . >/dev/null 2>&1";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    int decoded = 0;
    for (const auto& e : testing::readZipEntries(dir / "out.zip")) {
        ASSERT_TRUE(files.count(e.name)) << e.name;
        EXPECT_EQ(decodeEntry(dir / "out.zip", e), files[e.name]) << e.name;
        decoded += e.method == 9 ? 1 : 0;  // 7-Zip stores what does not compress
    }
    EXPECT_GE(decoded, 4);
}

TEST(EntryDecoder, StoredAndUnsupportedMethods) {
    const Bytes data = testing::randomData(3 << 20);
    MemorySource source(data);
    MemorySink sink;
    decodeEntryData({0, 0, data.size(), data.size()}, source, sink);
    EXPECT_EQ(sink.bytes(), data);

    MemorySource shortSource(data);
    MemorySink partial;
    EXPECT_THROW(decodeEntryData({0, 0, 100, 200}, shortSource, partial), DecodeError);

    // Compressed data ends at the entry's compressed size, even when more bytes follow.
    const Bytes packed = testing::zlibDeflate(testing::textData(5000), 6);
    MemorySource truncated(packed);
    MemorySink out;
    EXPECT_THROW(decodeEntryData({8, 0, packed.size() - 10, 5000}, truncated, out), DecodeError);

    EXPECT_TRUE(isSupportedMethod(8 + 128));
    EXPECT_FALSE(isSupportedMethod(10));
    MemorySource none(data);
    EXPECT_THROW(decodeEntryData({10, 0, 1, 1}, none, out), UnsupportedMethodError);
}

}  // namespace
}  // namespace tessaro::archives
