// PPMd (method 98) against 7-Zip: archives 7zz writes at several orders and memory sizes,
// and streams in "cut off" mode (which 7zz does not write) that 7zz must decode to the input.
#include "archives/codecs/ppmd_model.h"
#include "archives/io/decode_error.h"
#include "tests/archives/support/ppmd_test_encoder.h"
#include "tests/archives/support/tool_archives.h"

#include <gtest/gtest.h>

#include <numeric>
#include <random>
#include <vector>

namespace tessaro::archives {
namespace {

using tessaro::testing::decodeToMemory;
using tessaro::testing::expectEntriesMatch;
using tessaro::testing::readBytes;
using tessaro::testing::runIn;
using tessaro::testing::TempDir;
using tessaro::testing::writeSampleInputs;

EntryCoding ppmdCoding(const std::string& data, size_t size) {
    EntryCoding coding;
    coding.method = 98;
    coding.compressedSize = data.size();
    coding.uncompressedSize = size;
    return coding;
}

// With 1 MiB the models of the larger orders run out of memory and restart several times.
TEST(Ppmd, DecodesSevenZipArchivesAtSeveralOrdersAndMemorySizes) {
    TESSARO_NEEDS_PEER_TOOLS("7zz");
    TempDir dir;
    const auto files = writeSampleInputs(dir);
    for (const std::string options : {"o=2:mem=1m", "o=4:mem=16m", "o=8:mem=1m", "o=16:mem=1m", "o=16:mem=64m"}) {
        SCOPED_TRACE(options);
        const std::string name = "7z-" + std::to_string(std::hash<std::string>{}(options)) + ".zip";
        ASSERT_TRUE(runIn(dir / "in", "7zz a -tzip -mm=PPMd:" + options + " ../" + name + " text.txt binary.bin random.bin tiny.txt"));
        EXPECT_GE(expectEntriesMatch(dir / name, files), 2);
    }
}

TEST(Ppmd, CutOffStreamsDecodeTheSameInSevenZip) {
    TESSARO_NEEDS_PEER_TOOLS("7zz");
    TempDir dir;
    const auto files = writeSampleInputs(dir);
    const std::string input = files.at("text.txt") + files.at("binary.bin");
    for (const unsigned order : {4u, 16u}) {
        SCOPED_TRACE(order);
        const std::string stream = ppmd::EncoderForTests::encode(input, order, 1, ppmd::Restoration::CutOff);
        tessaro::testing::writeSingleEntryZip((dir / "cut.zip").string(), "cut.bin", 98, stream,
                                              static_cast<std::uint32_t>(input.size()), tessaro::testing::crcOf(input));
        ASSERT_TRUE(runIn(dir.path(), "rm -rf out && 7zz x -oout cut.zip"));
        EXPECT_TRUE(readBytes(dir / "out" / "cut.bin") == input);
        const auto decoded = decodeToMemory(ppmdCoding(stream, input.size()), stream);
        EXPECT_TRUE(std::string(decoded.begin(), decoded.end()) == input);
    }
}

// Random bytes after a valid header are a stream too: 7-Zip decodes symbols until the data
// runs into an invalid code; up to there our decoder must produce the very same bytes. This
// reaches model states that ordinary text and binaries rarely do. Round r has order 2, 6 or
// 16 and restart or cut-off; `memoryBits` are the header's memory field. Returns, per round,
// how many bytes 7-Zip decoded.
std::vector<size_t> expectRandomStreamsDecodeLikeSevenZip(unsigned seed, int rounds, unsigned memoryBits, int length) {
    TempDir dir;
    std::mt19937 random(seed);
    std::vector<size_t> decodedSizes;
    for (int round = 0; round < rounds; ++round) {
        const unsigned order = round % 3 == 0 ? 2 : round % 3 == 1 ? 6 : 16;
        const unsigned header = (order - 1) | (memoryBits << 4) | ((round % 2) << 12);
        std::string stream{static_cast<char>(header & 0xFF), static_cast<char>(header >> 8)};
        for (int i = 0; i < length; ++i) stream.push_back(static_cast<char>(random()));
        tessaro::testing::writeSingleEntryZip((dir / "r.zip").string(), "r.bin", 98, stream, 100000, 0);
        runIn(dir.path(), "rm -rf out && 7zz x -oout r.zip");  // reports the data error it stops at
        const std::string expected = readBytes(dir / "out" / "r.bin");
        SCOPED_TRACE(round);
        const auto decoded = decodeToMemory(ppmdCoding(stream, expected.size()), stream);
        EXPECT_TRUE(std::string(decoded.begin(), decoded.end()) == expected);
        decodedSizes.push_back(expected.size());
    }
    return decodedSizes;
}

TEST(Ppmd, RandomStreamsDecodeLikeSevenZip) {
    TESSARO_NEEDS_PEER_TOOLS("7zz");
    const auto sizes = expectRandomStreamsDecodeLikeSevenZip(1234, 24, 0, 6000);  // 1 MiB
    EXPECT_GT(std::accumulate(sizes.begin(), sizes.end(), size_t{0}), 10000u);
}

// An entry whose header asks for 256 MiB but that is too small to fill it is decoded with
// less memory (a 100-byte entry of order 16 takes 3 MiB). Random streams grow the model
// fastest: up to where 7-Zip, with the whole 256 MiB, stops, every byte must agree.
TEST(Ppmd, SmallEntriesDecodeLikeSevenZipWithTheMemoryTheyCanFill) {
    EXPECT_LT(ppmd::Model::sufficientMemory(16, 100), 4u << 20);
    EXPECT_GT(ppmd::Model::sufficientMemory(16, 100000), 256u << 20);
    TESSARO_NEEDS_PEER_TOOLS("7zz");
    const auto sizes = expectRandomStreamsDecodeLikeSevenZip(99, 12, 0xFF, 3000);
    size_t capped = 0;
    for (size_t round = 0; round < sizes.size(); ++round) {
        const unsigned order = round % 3 == 0 ? 2 : round % 3 == 1 ? 6 : 16;
        if (ppmd::Model::sufficientMemory(order, sizes[round]) < (256u << 20)) ++capped;
    }
    EXPECT_GE(capped, 6u);
}

TEST(Ppmd, RefusesBadHeadersAndShortStreams) {
    const std::string text = "a small text, a small text, a small text";
    const std::string stream = ppmd::EncoderForTests::encode(text, 6, 1, ppmd::Restoration::Restart);
    auto withHeader = [&](unsigned header) {
        std::string s = stream;
        s[0] = static_cast<char>(header & 0xFF);
        s[1] = static_cast<char>(header >> 8);
        return s;
    };
    EXPECT_THROW(decodeToMemory(ppmdCoding(withHeader(0x0000), text.size()), withHeader(0x0000)), DecodeError);  // order 1
    EXPECT_THROW(decodeToMemory(ppmdCoding(withHeader(0x2005), text.size()), withHeader(0x2005)), DecodeError);  // freeze
    EXPECT_THROW(decodeToMemory(ppmdCoding(stream, text.size() + 50), stream), DecodeError);
    EXPECT_THROW(decodeToMemory(ppmdCoding(stream.substr(0, 8), text.size()), stream.substr(0, 8)), DecodeError);
    const auto prefix = decodeToMemory(ppmdCoding(stream, 10), stream);
    EXPECT_EQ(std::string(prefix.begin(), prefix.end()), text.substr(0, 10));
}

}  // namespace
}  // namespace tessaro::archives
