// The cabinet writer and reader below the component: rollback of a file that fails halfway,
// the format's limits, and reading cabinets other tools made, sound or damaged.
#include "archives/cab/cab_checksum.h"
#include "archives/cab/cabinet_reader.h"
#include "archives/cab/cabinet_writer.h"
#include "archives/io/decode_error.h"
#include "tests/archives/cab/cab_test_support.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <map>

namespace tessaro::archives::cab {
namespace {

namespace fs = std::filesystem;
using tessaro::testing::runCommand;
using tessaro::testing::shellQuote;
using tessaro::testing::TempDir;

// Gives `limit` bytes of `data`, then fails like a disk read error.
class FailingSource final : public ByteSource {
public:
    FailingSource(std::string data, size_t limit) : data_(std::move(data)), limit_(limit) {}
    size_t read(std::span<std::uint8_t> buffer) override {
        if (pos_ >= limit_) throw tessaro::Error("read error");
        const size_t n = std::min({buffer.size(), limit_ - pos_, size_t{5000}});
        std::copy_n(data_.begin() + static_cast<std::ptrdiff_t>(pos_), n, buffer.begin());
        pos_ += n;
        return n;
    }
    std::uint64_t position() const override { return pos_; }
    void seek(std::uint64_t) override {}

private:
    std::string data_;
    size_t limit_;
    size_t pos_ = 0;
};

std::map<std::string, std::string> extractAll(const fs::path& cabinet) {
    CabinetReader reader(cabinet);
    std::map<std::string, MemorySink> sinks;
    reader.extractAll([&](const CabEntry& e) { return &sinks[e.name]; });
    std::map<std::string, std::string> out;
    for (const auto& [name, sink] : sinks) out[name] = sink.str();
    return out;
}

class CabinetWriterModes : public ::testing::TestWithParam<FolderCompression> {};

TEST_P(CabinetWriterModes, AFileFailingHalfwayIsRolledBackCompletely) {
    TESSARO_NEEDS_PEER_TOOLS("cabextract");
    TempDir dir;
    const std::string first = tessaro::testing::textLikeBytes(20000, 1);
    const std::string failing = tessaro::testing::textLikeBytes(200000, 2);
    const std::string last = tessaro::testing::randomBytes(40000, 3);
    CabinetWriter writer(GetParam());
    MemorySource a(first);
    writer.addFile(a, {"first.txt", 0x5421, 0x6000, 0x20});
    // Fails after several blocks were written: the blocks and both buffers are restored.
    for (size_t failAt : {100000u, 1000u}) {
        FailingSource bad(failing, failAt);
        try {
            writer.addFile(bad, {"bad.txt", 0, 0, 0x20});
            FAIL() << "no error";
        } catch (const CabinetWriteError& e) {
            EXPECT_EQ(e.code(), CabErrorCode::readSource);
        }
    }
    MemorySource c(last);
    writer.addFile(c, {"last.bin", 0x5421, 0x6000, 0x21});
    EXPECT_EQ(writer.fileCount(), 2u);
    writer.finish(dir / "out.cab");

    const auto files = extractAll(dir / "out.cab");
    ASSERT_EQ(files.size(), 2u);
    EXPECT_TRUE(files.at("first.txt") == first);
    EXPECT_TRUE(files.at("last.bin") == last);
    const auto check = runCommand("cabextract -t " + shellQuote(dir / "out.cab"));
    EXPECT_EQ(check.status, 0) << check.output;
}

TEST_P(CabinetWriterModes, RefusesNamesTheFormatCannotHold) {
    CabinetWriter writer(GetParam());
    const std::string nothing;  // a non-null empty buffer
    MemorySource empty(nothing);
    for (const std::string& name : {std::string(), std::string(256, 'n'), std::string("a\0b", 3)}) {
        try {
            writer.addFile(empty, {name, 0, 0, 0});
            FAIL() << "accepted a name of " << name.size() << " bytes";
        } catch (const CabinetWriteError& e) {
            EXPECT_EQ(e.code(), CabErrorCode::formatLimit);
        }
    }
    writer.addFile(empty, {std::string(255, 'n'), 0, 0, 0});
    EXPECT_EQ(writer.fileCount(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Folder, CabinetWriterModes, ::testing::Values(FolderCompression::mszip, FolderCompression::none),
                         [](const auto& info) { return info.param == FolderCompression::none ? std::string("Stored") : std::string("Mszip"); });

TEST(CabChecksum, PacksTheTailBytesFirstHighest) {
    const std::uint8_t bytes[] = {0x01, 0x02, 0x03, 0x04, 0x10, 0x20, 0x30};
    EXPECT_EQ(cabChecksum(bytes), 0x04030201u ^ 0x00102030u);
    EXPECT_EQ(cabChecksum(std::span(bytes, 5), 0xFF), 0x04030201u ^ 0x10u ^ 0xFFu);
    EXPECT_EQ(cabChecksum({}), 0u);
}

// ---- Reading what gcab writes ----

class GcabCabinets : public ::testing::TestWithParam<bool> {};

TEST_P(GcabCabinets, OurReaderExtractsThemIdentically) {
    TESSARO_NEEDS_PEER_TOOLS("gcab");
    TempDir dir;
    std::map<std::string, std::string> expected{
        {"empty.txt", ""},
        {"text.xml", tessaro::testing::textLikeBytes(300000, 11)},
        {"noise.bin", tessaro::testing::randomBytes(70001, 12)},
        {"k32768.txt", tessaro::testing::textLikeBytes(32768, 13)},
    };
    std::string names;
    for (const auto& [name, bytes] : expected) {
        dir.write("in/" + name, bytes);
        names += " " + name;
    }
    const std::string flags = GetParam() ? "-c -z" : "-c";
    const auto made = runCommand("cd " + shellQuote(dir / "in") + " && gcab " + flags + " ../g.cab" + names);
    ASSERT_EQ(made.status, 0) << made.output;

    const CabinetReader reader(dir / "g.cab");
    ASSERT_EQ(reader.folders().size(), 1u);
    EXPECT_EQ(reader.folders()[0].compressionType, GetParam() ? kCompressMszip : kCompressNone);
    EXPECT_EQ(extractAll(dir / "g.cab"), expected);
}

INSTANTIATE_TEST_SUITE_P(Gcab, GcabCabinets, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? std::string("Mszip") : std::string("Stored"); });

// ---- Damaged cabinets ----

TEST(CabinetReader, RejectsDamagedCabinets) {
    TESSARO_NEEDS_PEER_TOOLS("gcab");
    TempDir dir;
    dir.write("in/a.txt", tessaro::testing::textLikeBytes(100000, 21));
    ASSERT_EQ(runCommand("cd " + shellQuote(dir / "in") + " && gcab -c ../g.cab a.txt").status, 0);
    const std::string good = tessaro::testing::readBytes(dir / "g.cab");

    const auto expectDecodeError = [&](std::string bytes, const char* what) {
        SCOPED_TRACE(what);
        dir.write("bad.cab", bytes);
        EXPECT_THROW(
            {
                CabinetReader reader(dir / "bad.cab");
                MemorySink sink;
                reader.extract(0, sink);
            },
            DecodeError);
    };
    std::string flipped = good;
    flipped[flipped.size() - 100] ^= 0x01;
    expectDecodeError(flipped, "a flipped data bit fails the checksum");
    expectDecodeError(good.substr(0, good.size() - 10), "truncated data");
    expectDecodeError(good.substr(0, 30), "truncated header");
    expectDecodeError("MSCX" + good.substr(4), "bad signature");
    std::string badCount = good;
    badCount[28] = static_cast<char>(0xFF);  // file count far beyond the records present
    expectDecodeError(badCount, "file count");
    EXPECT_THROW(CabinetReader(dir / "missing.cab"), tessaro::Error);
}

// Gives `size` zero bytes.
class ZeroSource final : public ByteSource {
public:
    explicit ZeroSource(std::uint64_t size) : size_(size) {}
    size_t read(std::span<std::uint8_t> buffer) override {
        const size_t n = static_cast<size_t>(std::min<std::uint64_t>(buffer.size(), size_ - pos_));
        std::fill_n(buffer.begin(), n, std::uint8_t{0});
        pos_ += n;
        return n;
    }
    std::uint64_t position() const override { return pos_; }
    void seek(std::uint64_t offset) override { pos_ = std::min(offset, size_); }

private:
    std::uint64_t size_;
    std::uint64_t pos_ = 0;
};

// A cabinet of `folderCount` MSZIP folders holding one file each, followed by `copies` copies
// of the CFDATA records `blocks`; folder i claims `blockCount` blocks of copy i % copies.
std::string craftedCabinet(const std::string& blocks, std::uint16_t blockCount, size_t folderCount, size_t copies,
                           std::uint32_t fileSize) {
    std::vector<FileRecord> files;
    for (size_t i = 0; i < folderCount; ++i)
        files.push_back({fileSize, 0, static_cast<std::uint16_t>(i), 0x5421, 0x6000, 0x20, "f" + std::to_string(i)});
    size_t dataStart = kHeaderSize + kFolderSize * folderCount;
    for (const auto& file : files) dataStart += fileRecordSize(file);

    std::vector<std::uint8_t> bytes;
    const auto u32 = [](size_t value) { return static_cast<std::uint32_t>(value); };
    putHeader(bytes, u32(dataStart + blocks.size() * copies), u32(kHeaderSize + kFolderSize * folderCount),
              static_cast<std::uint16_t>(folderCount), static_cast<std::uint16_t>(folderCount));
    for (size_t i = 0; i < folderCount; ++i)
        putFolder(bytes, {u32(dataStart + blocks.size() * (i % copies)), blockCount, kCompressMszip});
    for (const auto& file : files) putFile(bytes, file);
    std::string out(bytes.begin(), bytes.end());
    for (size_t i = 0; i < copies; ++i) out += blocks;
    return out;
}

TEST(CabinetReader, RefusesFoldersThatShareOrOverrunTheirDataBlocks) {
    TESSARO_NEEDS_PEER_TOOLS("cabextract");
    TempDir dir;
    // 580 MSZIP blocks of 32 KiB of zeros: about 37 KB that decode to 19 MB.
    constexpr std::uint16_t kBlocks = 580;
    constexpr std::uint32_t kFolderBytes = std::uint32_t{kBlocks} * kMaxBlockInput;
    CabinetWriter writer(FolderCompression::mszip);
    ZeroSource zeros(kFolderBytes);
    writer.addFile(zeros, {"zeros.bin", 0x5421, 0x6000, 0x20});
    writer.finish(dir / "base.cab");
    const std::string blocks = [&] {
        const CabinetReader base(dir / "base.cab");
        EXPECT_EQ(base.folders().at(0).dataBlockCount, kBlocks);
        return tessaro::testing::readBytes(dir / "base.cab").substr(base.folders().at(0).firstDataOffset);
    }();

    // 1,100 folders claiming the same blocks: 21 GB to decode from 64 KB, refused at once.
    const std::string shared = craftedCabinet(blocks, kBlocks, 1100, 1, kFolderBytes);
    EXPECT_LT(shared.size(), 65536u);
    EXPECT_THROW(CabinetReader(dir.write("shared.cab", shared)), DecodeError);
    // A block count that runs past the data that follows.
    EXPECT_THROW(CabinetReader(dir.write("overrun.cab", craftedCabinet(blocks, kBlocks + 1, 1, 1, kFolderBytes))),
                 DecodeError);

    // Folders with blocks of their own are sound: every file comes out once.
    CabinetReader sound(dir.write("sound.cab", craftedCabinet(blocks, kBlocks, 3, 3, kFolderBytes)));
    std::map<std::string, CountingSink> sinks;
    sound.extractAll([&](const CabEntry& e) { return &sinks[e.name]; });
    ASSERT_EQ(sinks.size(), 3u);
    for (const auto& [name, sink] : sinks) EXPECT_EQ(sink.count(), kFolderBytes) << name;
    const auto check = runCommand("cabextract -t " + shellQuote(dir / "sound.cab"));
    EXPECT_EQ(check.status, 0) << check.output;
}

// A file of a folder the cabinet does not have is damage, reported as such (`list` once
// printed a library's range error for it); one that continues into a neighbour is listed.
TEST(CabinetReader, RefusesAFileOfAFolderItDoesNotHave) {
    TempDir dir;
    for (const std::uint16_t folderIndex : {std::uint16_t{0}, std::uint16_t{1}, kFolderContinuedToNext}) {
        SCOPED_TRACE(folderIndex);
        const FileRecord file{10, 0, folderIndex, 0x5421, 0x6000, 0x20, "lost.txt"};
        std::vector<std::uint8_t> bytes;
        putHeader(bytes, static_cast<std::uint32_t>(kHeaderSize + fileRecordSize(file)), kHeaderSize, 0, 1);
        putFile(bytes, file);
        const auto cabinet = dir.write("lost.cab", std::string(bytes.begin(), bytes.end()));
        if (folderIndex < kFolderContinuedFromPrev) {
            EXPECT_THROW(CabinetReader{cabinet}, DecodeError);
        } else {
            const CabinetReader reader(cabinet);
            EXPECT_EQ(reader.entries().size(), 1u);
        }
    }
}

}  // namespace
}  // namespace tessaro::archives::cab
