// The method decoders against third-party archives whose contents an independent archiver
// listed (testdata/zip/MANIFEST.tsv): every entry of our methods must decode to the size and
// CRC-32 listed there.
#include "archives/codecs/entry_decoder.h"
#include "tests/archives/support/raw_entries.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <utility>

namespace tessaro::archives {
namespace {

const std::string kZipData = std::string(TESSARO_SHARED_TESTDATA) + "/zip/";

// (size, CRC) pairs the manifest lists for one archive.
std::set<std::pair<std::uint64_t, std::uint32_t>> manifestOf(const std::string& archive) {
    std::set<std::pair<std::uint64_t, std::uint32_t>> rows;
    std::ifstream in(kZipData + "MANIFEST.tsv");
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string name, path, size, crc;
        if (!std::getline(fields, name, '\t') || name != archive) continue;
        std::getline(fields, path, '\t');
        std::getline(fields, size, '\t');
        std::getline(fields, crc, '\t');
        if (!crc.empty()) rows.emplace(std::stoull(size), static_cast<std::uint32_t>(std::stoul(crc, nullptr, 16)));
    }
    return rows;
}

class ManifestArchive : public ::testing::TestWithParam<const char*> {};

TEST_P(ManifestArchive, EveryEntryOfOurMethodsMatchesTheManifest) {
    const std::string archive = GetParam();
    const auto manifest = manifestOf(archive);
    ASSERT_FALSE(manifest.empty());
    const tessaro::testing::RawZip zip(kZipData + archive);
    int decoded = 0;
    for (const auto& entry : zip.entries()) {
        const std::uint16_t method = entry.coding.method % 128;
        if (method == 0 || method == 8 || method == 9) continue;  // not this decoder family
        SCOPED_TRACE(entry.name);
        ASSERT_TRUE(isSupportedMethod(method)) << method;
        const auto bytes = tessaro::testing::decodeToMemory(entry.coding, zip.data(entry));
        EXPECT_EQ(bytes.size(), entry.coding.uncompressedSize);
        EXPECT_TRUE(manifest.count({bytes.size(), tessaro::testing::crcOf(bytes)}))
            << "size " << bytes.size() << " CRC " << std::hex << tessaro::testing::crcOf(bytes);
        ++decoded;
    }
    EXPECT_GT(decoded, 0);
}

INSTANTIATE_TEST_SUITE_P(Testdata, ManifestArchive,
                         ::testing::Values("Zip.shrink.zip", "Zip.reduce1.zip", "Zip.reduce2.zip", "Zip.reduce3.zip",
                                           "Zip.reduce4.zip", "Zip.implode.zip", "Zip.bzip2.zip", "Zip.bzip2.dd.zip",
                                           "Zip.lzma.zip", "Zip.lzma.dd.zip", "Zip.lzma.empty.zip", "Zip.ppmd.zip",
                                           "Zip.ppmd.dd.zip"),
                         [](const auto& info) {
                             std::string name = info.param;
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             return name;
                         });

}  // namespace
}  // namespace tessaro::archives
