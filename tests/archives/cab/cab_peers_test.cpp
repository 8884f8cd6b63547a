// Cabinets we write, checked by independent readers: cabextract (which verifies every data
// block's checksum), gcab, bsdtar and 7-Zip. Each must extract identical bytes, names, times
// and attributes.
#include "archives/cab/cab_support.h"
#include "archives/cab/cabinet_reader.h"
#include "platform/code_page.h"
#include "platform/local_time.h"
#include "tests/archives/cab/cab_test_support.h"
#include "tests/support/recording_port.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <map>

namespace tessaro::archives::cab {
namespace {

namespace fs = std::filesystem;
using tessaro::testing::modificationTime;
using tessaro::testing::runCommand;
using tessaro::testing::shellQuote;

struct SourceFile {
    std::string name;  // UTF-8
    std::string bytes;
    std::time_t mtime;  // odd seconds: the cabinet holds them rounded down
    bool readOnly = false;
};

std::time_t oddSecondTime(int index) {
    return platform::fromLocalTime({2023, 5, 6, 7, 8, 9}) + 3600 * index;  // 07:08:09, 08:08:09, ...
}

std::vector<SourceFile> sourceFiles() {
    using tessaro::testing::randomBytes;
    using tessaro::testing::textLikeBytes;
    std::vector<SourceFile> files;
    int n = 0;
    const auto add = [&](std::string name, std::string bytes, bool readOnly = false) {
        files.push_back({std::move(name), std::move(bytes), oddSecondTime(n++), readOnly});
    };
    add("empty.txt", "");
    add("one.bin", "x");
    add("k32767.xml", textLikeBytes(32767, 1));
    add("k32768.xml", textLikeBytes(32768, 2));
    add("k32769.xml", textLikeBytes(32769, 3));
    add("random.bin", randomBytes(100000, 4));
    add("病歷摘要.txt", textLikeBytes(5000, 5));
    add("影像檔案.dcm", randomBytes(3000, 6));
    add("readonly.pdf", textLikeBytes(70000, 7), true);
    // Runs give blocks whose distance alphabet has a single code, which cabextract refuses
    // unless the code is completed.
    add("run.dcm", std::string(70000, '\x01'));
    add("pairs.txt", [] { std::string s; for (int i = 0; i < 30000; ++i) s += "ab"; return s; }());
    for (int i = 0; i < 150; ++i) add("many" + std::to_string(1000 + i) + ".txt", textLikeBytes(static_cast<size_t>(i * 37), 100 + i));
    std::string big = textLikeBytes(20 << 20, 8);
    const std::string noise = randomBytes(1 << 20, 9);
    for (size_t at = 3 << 20; at + noise.size() < big.size(); at += 7 << 20) big.replace(at, noise.size(), noise);
    add("big.dat", std::move(big));
    return files;
}

// The DOS rounding: down to an even second.
std::time_t storedTime(std::time_t t) {
    auto local = platform::toLocalTime(t);
    local.second -= local.second % 2;
    return platform::fromLocalTime(local);
}

class CabinetPeers : public ::testing::TestWithParam<TCabCompressionType> {
protected:
    static void SetUpTestSuite() {
        dir_ = new tessaro::testing::TempDir;
        files_ = new std::vector<SourceFile>(sourceFiles());
        const fs::path in = dir_->path() / "in";
        for (const auto& f : *files_) {
            const fs::path path = dir_->write("in/" + f.name, f.bytes);
            tessaro::testing::setModificationTime(path, f.mtime);
            if (f.readOnly) fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write, fs::perm_options::remove);
        }
        // Hidden: only AddFile takes a name beginning with a full stop.
        const fs::path hidden = dir_->write("in/.hidden.txt", "hidden text");
        tessaro::testing::setModificationTime(hidden, oddSecondTime(99));
    }
    static void TearDownTestSuite() {
        delete files_;
        delete dir_;
    }

    fs::path build() {
        const fs::path cabinet = dir_->path() / (GetParam() == cctNone ? "stored.cab" : "mszip.cab");
        if (fs::exists(cabinet)) return cabinet;
        tessaro::testing::RecordingPort port;
        TCabCompress cab(port);
        cab.CompressionType = GetParam();
        cab.AddFolder((dir_->path() / "in").string() + "/*.*");
        cab.AddFile((dir_->path() / "in" / ".hidden.txt").string(), "");
        cab.FileName = cabinet.string();
        EXPECT_TRUE(cab.Compress());
        EXPECT_EQ(cab.LastError(), 0);
        EXPECT_EQ(cab.FileCount(), static_cast<int>(files_->size()) + 1);
        return cabinet;
    }

    // Every source file (and the hidden one) below `out` with its bytes and time; names on
    // disk are UTF-8 (`utf8Names`) or the stored code page 950 bytes.
    static void expectTree(const fs::path& out, bool utf8Names, bool checkTimes, const std::string& tool) {
        std::vector<SourceFile> expected = *files_;
        expected.push_back({".hidden.txt", "hidden text", oddSecondTime(99), false});
        for (const auto& f : expected) {
            const fs::path path = out / (utf8Names ? f.name : platform::encodeCodePage(f.name));
            SCOPED_TRACE(tool + ": " + f.name);
            ASSERT_TRUE(fs::exists(path));
            EXPECT_TRUE(tessaro::testing::readBytes(path) == f.bytes);
            if (checkTimes) {
                EXPECT_EQ(modificationTime(path), storedTime(f.mtime));
                const bool writable = (fs::status(path).permissions() & fs::perms::owner_write) != fs::perms::none;
                EXPECT_EQ(writable, !f.readOnly);
            }
        }
    }

    fs::path freshDir(const std::string& name) {
        const fs::path out = dir_->path() / (name + std::to_string(static_cast<int>(GetParam())));
        fs::create_directories(out);
        return out;
    }

    static tessaro::testing::TempDir* dir_;
    static std::vector<SourceFile>* files_;
};

tessaro::testing::TempDir* CabinetPeers::dir_ = nullptr;
std::vector<SourceFile>* CabinetPeers::files_ = nullptr;

TEST_P(CabinetPeers, CabextractVerifiesChecksumsAndExtracts) {
    TESSARO_NEEDS_PEER_TOOLS("cabextract");
    const fs::path cabinet = build();
    const auto test = runCommand("cabextract -t " + shellQuote(cabinet));
    EXPECT_EQ(test.status, 0) << test.output;
    EXPECT_NE(test.output.find("All done, no errors"), std::string::npos) << test.output;

    const fs::path out = freshDir("cabextract");
    const auto run = runCommand("cabextract -q -e CP950 -d " + shellQuote(out) + " " + shellQuote(cabinet));
    EXPECT_EQ(run.status, 0) << run.output;
    expectTree(out, true, true, "cabextract");
}

TEST_P(CabinetPeers, GcabExtractsAndListsTimesAndAttributes) {
    TESSARO_NEEDS_PEER_TOOLS("gcab");
    const fs::path cabinet = build();
    const fs::path out = freshDir("gcab");
    const auto run = runCommand("gcab -x -C " + shellQuote(out) + " " + shellQuote(cabinet));
    EXPECT_EQ(run.status, 0) << run.output;
    expectTree(out, false, false, "gcab");  // gcab leaves times and modes to the system

    // Its listing: name, size, local date and time, attributes.
    const auto list = runCommand("gcab -l " + shellQuote(cabinet));
    EXPECT_NE(list.output.find("readonly.pdf 70000 2023-05-06 15:08:08 0x21"), std::string::npos) << list.output;
    EXPECT_NE(list.output.find(".hidden.txt 11 2023-05-10 10:08:08 0x22"), std::string::npos) << list.output;
    EXPECT_NE(list.output.find(platform::encodeCodePage("病歷摘要.txt") + " 5000 2023-05-06 13:08:08 0x20"), std::string::npos);
}

TEST_P(CabinetPeers, BsdtarExtracts) {
    TESSARO_NEEDS_PEER_TOOLS("bsdtar");
    const fs::path cabinet = build();
    const fs::path out = freshDir("bsdtar");
    const auto run = runCommand("bsdtar -x --options hdrcharset=CP950 -C " + shellQuote(out) + " -f " + shellQuote(cabinet));
    EXPECT_EQ(run.status, 0) << run.output;
    expectTree(out, true, true, "bsdtar");
}

TEST_P(CabinetPeers, SevenZipExtractsAndListsAttributes) {
    TESSARO_NEEDS_PEER_TOOLS("7zz");
    const fs::path cabinet = build();
    const fs::path out = freshDir("7zz");
    const auto run = runCommand("7zz x -y -o" + shellQuote(out) + " " + shellQuote(cabinet));
    EXPECT_EQ(run.status, 0) << run.output;
    expectTree(out, false, true, "7zz");

    // Attributes as 7-Zip lists them: R read-only, H hidden, A archive.
    const auto list = runCommand("7zz l -slt " + shellQuote(cabinet));
    std::map<std::string, std::string> attributes;
    std::string path;
    for (size_t at = 0; at < list.output.size();) {
        const size_t end = list.output.find('\n', at);
        const std::string line = list.output.substr(at, end - at);
        if (line.rfind("Path = ", 0) == 0) path = line.substr(7);
        if (line.rfind("Attributes = ", 0) == 0) attributes[path] = line.substr(13);
        at = end == std::string::npos ? list.output.size() : end + 1;
    }
    EXPECT_EQ(attributes["readonly.pdf"], "RA");
    EXPECT_EQ(attributes[".hidden.txt"], "HA");
    EXPECT_EQ(attributes["one.bin"], "A");
}

TEST_P(CabinetPeers, OurReaderExtractsAndListsTheSame) {
    TESSARO_POSIX_ONLY("names that differ only in case, a name hidden by its leading dot");
    const fs::path cabinet = build();
    CabinetReader reader(cabinet);
    std::map<std::string, const CabEntry*> byName;
    for (const auto& e : reader.entries()) byName[e.name] = &e;
    ASSERT_EQ(byName.size(), files_->size() + 1);
    EXPECT_EQ(byName[".hidden.txt"]->attributes, 0x22);
    EXPECT_EQ(byName["readonly.pdf"]->attributes, 0x21);
    EXPECT_EQ(byName["one.bin"]->attributes, 0x20);
    EXPECT_EQ(byName["one.bin"]->dosTime & 0x1F, 4);  // 07:08:09 stored as 07:08:08 (seconds / 2)

    std::map<std::string, MemorySink> sinks;
    reader.extractAll([&](const CabEntry& e) { return &sinks[e.name]; });
    for (const auto& f : *files_) EXPECT_TRUE(sinks[f.name].str() == f.bytes) << f.name;
}

INSTANTIATE_TEST_SUITE_P(Compression, CabinetPeers, ::testing::Values(cctMSZIP, cctNone),
                         [](const auto& info) { return info.param == cctNone ? std::string("Stored") : std::string("Mszip"); });

}  // namespace
}  // namespace tessaro::archives::cab
