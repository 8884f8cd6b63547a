// Corrupt and truncated data of every method: each must fail as a DecodeError (or, where the
// damage does not show, still give exactly the entry's size) - never crash, hang, or write
// more than the entry's size. Runs under the sanitizer preset too.
#include "archives/io/decode_error.h"
#include "tests/archives/support/tool_archives.h"

#include <gtest/gtest.h>

#include <random>

namespace tessaro::archives {
namespace {

using tessaro::testing::RawZip;

const std::string kZipData = std::string(TESSARO_SHARED_TESTDATA) + "/zip/";

struct Sample {
    std::string label;
    EntryCoding coding;
    std::string data;
};

// One compressed entry per method (and per Implode variant) from the third-party archives.
std::vector<Sample> samples() {
    std::vector<Sample> out;
    for (const char* archive : {"Zip.shrink.zip", "Zip.reduce1.zip", "Zip.reduce2.zip", "Zip.reduce3.zip", "Zip.reduce4.zip",
                                "Zip.implode.zip", "Zip.bzip2.zip", "Zip.lzma.zip", "Zip.lzma.dd.zip", "Zip.ppmd.zip"}) {
        const RawZip zip(kZipData + archive);
        for (const auto& e : zip.entries()) {
            if (e.coding.method == 0 || e.coding.uncompressedSize == 0) continue;
            out.push_back({std::string(archive) + ":" + e.name + ":" + std::to_string(e.coding.method), e.coding, zip.data(e)});
        }
    }
    return out;
}

// Decodes and checks the outcome; returns true when the decoder reported the damage.
bool decodeDamaged(const EntryCoding& coding, const std::string& data) {
    MemorySource source(data);
    MemorySink sink;
    try {
        decodeEntryData(coding, source, sink);
    } catch (const DecodeError&) {
        EXPECT_LE(sink.bytes().size(), coding.uncompressedSize);
        return true;
    }
    EXPECT_EQ(sink.bytes().size(), coding.uncompressedSize);
    return false;
}

TEST(CorruptEntries, TruncatedDataFails) {
    for (const Sample& s : samples()) {
        SCOPED_TRACE(s.label);
        for (const size_t keep : {size_t{0}, size_t{1}, size_t{3}, s.data.size() / 4, s.data.size() / 2}) {
            EntryCoding coding = s.coding;
            coding.compressedSize = keep;
            EXPECT_TRUE(decodeDamaged(coding, s.data.substr(0, keep))) << "kept " << keep;
        }
        // The archive itself ending early, with the entry's size still claiming the full data.
        EXPECT_TRUE(decodeDamaged(s.coding, s.data.substr(0, s.data.size() / 2)));
    }
}

TEST(CorruptEntries, DeclaredSizeBeyondTheDataFails) {
    for (const Sample& s : samples()) {
        SCOPED_TRACE(s.label);
        EntryCoding coding = s.coding;
        coding.uncompressedSize += 5000;
        EXPECT_TRUE(decodeDamaged(coding, s.data));
    }
}

TEST(CorruptEntries, FlippedBitsNeverCrashOrOverrun) {
    std::mt19937 random(7);
    for (const Sample& s : samples()) {
        SCOPED_TRACE(s.label);
        int reported = 0;
        for (int round = 0; round < 40; ++round) {
            std::string damaged = s.data;
            // Early bytes hold the tables and headers, so they get their share of the flips.
            const size_t at = round < 10 ? random() % std::min<size_t>(64, damaged.size()) : random() % damaged.size();
            damaged[at] = static_cast<char>(damaged[at] ^ (1 << (random() % 8)));
            reported += decodeDamaged(s.coding, damaged) ? 1 : 0;
        }
        // bzip2 keeps block CRCs and the LZMA decoder knows where the data must end.
        if (s.coding.method == 12 || s.coding.method == 14) {
            EXPECT_GT(reported, 30);
        }
    }
}

TEST(CorruptEntries, RandomBytesAsDataNeverCrash) {
    std::mt19937 random(11);
    std::string noise(4096, '\0');
    for (char& c : noise) c = static_cast<char>(random());
    for (const std::uint16_t method : {1, 2, 3, 4, 5, 6, 12, 14, 97, 98}) {
        for (const std::uint16_t flags : {0, 6}) {
            SCOPED_TRACE(method);
            EntryCoding coding;
            coding.method = method;
            coding.flags = flags;
            coding.compressedSize = noise.size();
            coding.uncompressedSize = 100000;
            decodeDamaged(coding, noise);
        }
    }
}

}  // namespace
}  // namespace tessaro::archives
