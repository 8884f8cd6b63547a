// Hostile archives cost bounded resources: an entry never writes more than it declares, a
// size the disk cannot take is refused before writing, entries that share their data (the
// overlapping-entry bomb) are refused as Info-ZIP's unzip refuses them, a directory is kept
// in memory only as far as it really holds entries and only up to the stated limit, and a
// name nested 10,000 folders deep ends in a clear error.
#include "archives/zip/archive_loader.h"
#include "archives/zip/zip_errors.h"
#include "archives/zip/zip_extractor.h"
#include "platform/random_access_file.h"
#include "tests/archives/zip/zip_test_support.h"
#include "tests/support/peer_tools.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <fstream>

namespace tessaro::archives {
namespace {

using namespace tessaro::testing;
using namespace tessaro::testing::zip;

// `bytes` bytes of `value`, little-endian; bytes beyond its eight are zero.
void put(std::string& out, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(i < 8 ? static_cast<char>(value >> (8 * i)) : '\0');
}

// An archive of `count` empty stored entries named by their number, with zip64 end records
// so that any count fits. Written straight to the file: a million entries take 80 MB.
void writeManyEntries(const std::filesystem::path& path, std::uint64_t count) {
    std::ofstream file(path, std::ios::binary);
    std::string central;
    central.reserve(static_cast<size_t>(count) * 54);
    std::uint64_t offset = 0;
    std::string local;
    for (std::uint64_t i = 0; i < count; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "%08llu", static_cast<unsigned long long>(i));
        local.clear();
        put(local, 0x04034B50, 4);
        put(local, 10, 2);
        put(local, 0, 2 + 2 + 4 + 4 + 4 + 4);  // flags, method, time and date, CRC, sizes
        put(local, 8, 2);
        put(local, 0, 2);
        local += name;
        file << local;

        put(central, 0x02014B50, 4);
        put(central, 20, 2);
        put(central, 10, 2);
        put(central, 0, 2 + 2 + 4 + 4 + 4 + 4);
        put(central, 8, 2);
        put(central, 0, 2 + 2 + 2 + 2);  // extra, comment, disk, internal attributes
        put(central, 0x20, 4);
        put(central, offset, 4);
        central += name;
        offset += local.size();
    }
    file << central;
    std::string tail;
    put(tail, 0x06064B50, 4);  // zip64 end record
    put(tail, 44, 8);
    put(tail, 45, 2);
    put(tail, 45, 2);
    put(tail, 0, 4 + 4);
    put(tail, count, 8);
    put(tail, count, 8);
    put(tail, central.size(), 8);
    put(tail, offset, 8);
    put(tail, 0x07064B50, 4);  // its locator
    put(tail, 0, 4);
    put(tail, offset + central.size(), 8);
    put(tail, 1, 4);
    put(tail, 0x06054B50, 4);  // end record, every field saturated
    put(tail, 0xFFFFFFFF, 4);
    put(tail, 0xFFFFFFFF, 4);
    put(tail, 0xFFFFFFFF, 4);
    put(tail, 0xFFFFFFFF, 4);
    put(tail, 0, 2);
    file << tail;
}

zip::LoadedArchive load(const std::filesystem::path& path) {
    return zip::loadArchive(platform::RandomAccessFile(path, platform::RandomAccessFile::Mode::read), {});
}

class ZipBoundsTest : public ::testing::Test {
protected:
    TempDir dir;
    FailureLog log;

    // Extracts every entry into a fresh folder; the error that ended it, if any.
    std::string extract(const std::filesystem::path& archive, const std::filesystem::path& out) {
        std::filesystem::create_directories(out);
        TZipExtractor extractor;
        extractor.setOnItemFailure(log.handler());
        try {
            extractor.setFileName(archive);
            extractor.setBaseDirectory(out);
            extractor.ExtractFiles("*.*");
        } catch (const tessaro::Error& error) {
            return error.what();
        }
        return {};
    }

    std::vector<std::string> failureTexts() const {
        std::vector<std::string> texts;
        for (const auto& failure : log.failures) texts.push_back(failure.entryName + ": " + failure.text);
        return texts;
    }
};

TEST_F(ZipBoundsTest, AnEntryNeverWritesMoreThanItDeclares) {
    const std::string text(1 << 20, 'x');
    RawZip raw;
    auto deflated = RawZip::deflated("deflated.txt", text);
    deflated.uncompressedSize = 1000;  // the stream holds a megabyte
    raw.add(deflated);
    auto stored = RawZip::stored("stored.txt", text);
    stored.uncompressedSize = 1000;
    raw.add(stored);
    const auto out = dir / "out";
    EXPECT_EQ(extract(dir.write("long.zip", raw.bytes()), out), "");

    for (const char* name : {"deflated.txt", "stored.txt"}) {
        SCOPED_TRACE(name);
        const auto path = out / name;
        EXPECT_LE(std::filesystem::exists(path) ? std::filesystem::file_size(path) : 0u, 1000u);
    }
    EXPECT_EQ(log.failures.size(), 2u);  // both: the CRC of 1,000 bytes is not the one declared
}

TEST_F(ZipBoundsTest, ASizeTheDiskCannotTakeIsRefusedBeforeWriting) {
    RawZip raw;
    auto huge = RawZip::stored("huge.bin", "only a few bytes");
    huge.uncompressedSize = 0xFFFFFFFF;  // zip64: 2^50 bytes
    put(huge.centralExtra, 0x0001, 2);
    put(huge.centralExtra, 8, 2);
    put(huge.centralExtra, std::uint64_t{1} << 50, 8);
    raw.add(huge);
    raw.add(RawZip::stored("small.txt", "kept"));
    const auto out = dir / "out";
    EXPECT_EQ(extract(dir.write("huge.zip", raw.bytes()), out), "");

    EXPECT_EQ(failureTexts(), std::vector<std::string>{"huge.bin: Cannot extract file - not enough free disk space"});
    EXPECT_FALSE(std::filesystem::exists(out / "huge.bin"));
    EXPECT_TRUE(std::filesystem::exists(out / "small.txt"));
}

// 100 central entries that all point at one stored megabyte: a few kilobytes that would
// extract to 100 MB. unzip refuses it too ("overlapped components").
TEST_F(ZipBoundsTest, EntriesThatShareTheirDataAreRefusedAsUnzipRefusesThem) {
    std::string bytes;
    const std::string data(1 << 20, 'z');
    const std::uint32_t crc = zlibCrc(data);
    std::string local;
    put(local, 0x04034B50, 4);
    put(local, 10, 2);
    put(local, 0, 2 + 2 + 4);
    put(local, crc, 4);
    put(local, data.size(), 4);
    put(local, data.size(), 4);
    put(local, 5, 2);
    put(local, 0, 2);
    bytes = local + "a.bin" + data;
    std::string central;
    for (int i = 0; i < 100; ++i) {
        const std::string name = "f" + std::to_string(100 + i) + ".bin";
        put(central, 0x02014B50, 4);
        put(central, 20, 2);
        put(central, 10, 2);
        put(central, 0, 2 + 2 + 4);
        put(central, crc, 4);
        put(central, data.size(), 4);
        put(central, data.size(), 4);
        put(central, name.size(), 2);
        put(central, 0, 2 + 2 + 2 + 2);
        put(central, 0x20, 4);
        put(central, 0, 4);
        central += name;
    }
    std::string end;
    put(end, 0x06054B50, 4);
    put(end, 0, 4);
    put(end, 100, 2);
    put(end, 100, 2);
    put(end, central.size(), 4);
    put(end, bytes.size(), 4);
    put(end, 0, 2);
    const auto archive = dir.write("bomb.zip", bytes + central + end);

    const auto out = dir / "out";
    EXPECT_EQ(extract(archive, out), "Invalid file - entries share their data");
    EXPECT_TRUE(std::filesystem::is_empty(out));
    TESSARO_NEEDS_PEER_TOOLS("unzip");
    const auto unzip = runCommand("unzip -t " + quoted(archive) + " 2>&1");
    EXPECT_NE(unzip.exitCode, 0);
    EXPECT_NE(unzip.output.find("overlapped components"), std::string::npos) << unzip.output;
}

// A million entries load (80 MB of archive); one entry past the limit of 1,048,576 is
// refused as read, not as claimed. An end record that claims 2^40 entries over a directory
// of one costs no more than that one entry.
TEST_F(ZipBoundsTest, DirectoriesLoadAsFarAsTheyHoldAndUpToTheLimit) {
    const auto million = dir / "million.zip";
    writeManyEntries(million, 1000000);
    EXPECT_EQ(load(million).entries.size(), 1000000u);
    std::filesystem::remove(million);

    const auto over = dir / "over.zip";
    writeManyEntries(over, (1u << 20) + 1);
    try {
        load(over);
        ADD_FAILURE() << "no error";
    } catch (const ZipError& error) {
        EXPECT_EQ(std::string(error.what()), "Invalid file - more entries than an archive may hold here");
    }
    std::filesystem::remove(over);

    const auto claims = dir / "claims.zip";
    writeManyEntries(claims, 1);
    std::string bytes = readBytes(claims);
    const size_t zip64End = bytes.rfind(std::string("\x50\x4B\x06\x06", 4));
    for (size_t at : {zip64End + 24, zip64End + 32}) {  // entries on this disk, in total
        bytes.replace(at, 8, std::string("\0\0\0\0\0\x01\0\0", 8));
    }
    try {
        load(dir.write("claims.zip", bytes));
        ADD_FAILURE() << "no error";
    } catch (const ZipError& error) {
        EXPECT_EQ(std::string(error.what()), "Invalid file - not a PKZip file");
    }
}

TEST_F(ZipBoundsTest, NamesOf64KiBLoadWhole) {
    RawZip raw;
    for (char c : {'a', 'b', 'c'}) raw.add(RawZip::stored(std::string(65535, c), "x"));
    const auto archive = load(dir.write("long-names.zip", raw.bytes()));
    ASSERT_EQ(archive.entries.size(), 3u);
    for (const auto& entry : archive.entries) EXPECT_EQ(entry.name.size(), 65535u);
}

// No file system takes a path of 20,000 bytes: extraction ends with the error of the folder
// it could not make, and nothing is written outside the base folder.
TEST_F(ZipBoundsTest, AFolderNested10000DeepEndsWithACleanError) {
    std::string deep;
    for (int i = 0; i < 10000; ++i) deep += "d/";
    RawZip raw;
    raw.add(RawZip::stored(deep + "x.txt", "x"));
    const auto out = dir / "base" / "out";
    const std::string error = extract(dir.write("deep.zip", raw.bytes()), out);
    EXPECT_TRUE(error.starts_with("Cannot create folder")) << error.substr(0, 200);
    std::vector<std::filesystem::path> outside;
    for (const auto& item : std::filesystem::directory_iterator(dir / "base"))
        if (item.path() != out) outside.push_back(item.path());
    EXPECT_TRUE(outside.empty());
}

}  // namespace
}  // namespace tessaro::archives
