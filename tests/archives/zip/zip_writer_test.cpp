// The ZIP writer, checked against independent readers: unzip, 7zz, bsdtar and Python's
// zipfile must read every package it writes, and the records hold the values a package of
// the program is known to hold.
#include "archives/zip/zip_writer.h"

#include "archives/zip/zip_extractor.h"
#include "platform/code_page.h"
#include "platform/file_attributes.h"
#include "platform/temp_file.h"
#include "tests/archives/zip/zip_test_support.h"
#include "tests/support/folder_link.h"
#include "tests/support/recording_port.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <chrono>
#include <cstring>
#include <map>
#include <random>
#include <sstream>

namespace tessaro::archives {
namespace {

using namespace tessaro::testing;
using namespace tessaro::testing::zip;

constexpr unsigned kProgramOptions = soStripDrive | soStripPath | soRemoveDots | soFreshen | soReplace;

std::string randomBytes(size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (auto& c : bytes) c = static_cast<char>(random() & 0xFF);
    return bytes;
}

std::string textBytes(size_t size) {
    std::string text;
    for (int i = 0; text.size() < size; ++i)
        text += "<case no=\"" + std::to_string(i) + "\">病歷 record line " + std::to_string(i * 7) + "</case>\n";
    text.resize(size);
    return text;
}

// One entry as Python's zipfile reports it.
struct PeerEntry {
    std::string name;
    int method = -1, createVersion = -1, createSystem = -1, extractVersion = -1, flags = -1;
    std::uint32_t crc = 0;
    std::uint64_t size = 0, compressedSize = 0;
    std::uint32_t externalAttributes = 0;
    std::string extraHex;
    std::string dateTime;
};

std::vector<PeerEntry> pythonEntries(const std::filesystem::path& archive) {
    const auto result = runCommand(
        "python3 -c \"import sys,zipfile\n"
        "for i in zipfile.ZipFile(sys.argv[1]).infolist():\n"
        "    n=i.orig_filename.encode('utf-8' if i.flag_bits & 0x800 else 'cp437')\n"
        "    print(n.hex(), i.compress_type, i.create_version,"
        " i.create_system, i.extract_version, i.flag_bits, i.CRC, i.file_size, i.compress_size, i.external_attr,"
        " i.extra.hex() or '-', '%d-%d-%d-%d-%d-%d' % i.date_time)\" " +
        quoted(archive));
    std::vector<PeerEntry> entries;
    std::istringstream lines(result.output);
    std::string hexName;
    while (lines >> hexName) {
        PeerEntry e;
        for (size_t i = 0; i + 1 < hexName.size(); i += 2)
            e.name.push_back(static_cast<char>(std::stoi(hexName.substr(i, 2), nullptr, 16)));
        lines >> e.method >> e.createVersion >> e.createSystem >> e.extractVersion >> e.flags >> e.crc >> e.size >>
            e.compressedSize >> e.externalAttributes >> e.extraHex >> e.dateTime;
        entries.push_back(e);
    }
    return entries;
}

std::string hexOf(std::string_view bytes) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (const char c : bytes) {
        out.push_back(digits[static_cast<std::uint8_t>(c) >> 4]);
        out.push_back(digits[static_cast<std::uint8_t>(c) & 15]);
    }
    return out;
}

// The identifiers of the records of an extra field written in hex digits.
[[maybe_unused]] std::vector<std::uint16_t> extraRecordIds(const std::string& hex) {
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    std::vector<std::uint16_t> ids;
    for (size_t at = 0; at + 4 <= bytes.size(); at += 4 + get16(bytes, at + 2)) ids.push_back(get16(bytes, at));
    return ids;
}

#ifdef _WIN32
// Windows has no inode to compare; a rewritten file gets a new last-write time (100 ns steps).
using FileIdentity = std::filesystem::file_time_type;

FileIdentity identityOf(const std::filesystem::path& path) { return std::filesystem::last_write_time(path); }

bool sameIdentity(const FileIdentity& a, const FileIdentity& b) { return a == b; }
#else
struct FileIdentity {
    ino_t inode;
    struct timespec modified;
};

FileIdentity identityOf(const std::filesystem::path& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return {st.st_ino, st.st_mtim};
}

bool sameIdentity(const FileIdentity& a, const FileIdentity& b) {
    return a.inode == b.inode && a.modified.tv_sec == b.modified.tv_sec && a.modified.tv_nsec == b.modified.tv_nsec;
}
#endif

class ZipWriterTest : public ::testing::Test {
protected:
    TempDir dir;
    std::filesystem::path package = dir / "pkg.zip";

    std::filesystem::path input(const std::string& name, std::string_view bytes) {
        return dir.write("in/" + name, bytes);
    }

    // Writes one package the way the production run does: one AddFiles per file.
    void writePackage(TZipWriter& writer, const std::vector<std::filesystem::path>& files) {
        writer.setStoreOptions(kProgramOptions);
        writer.OpenArchive(package);
        for (const auto& file : files) writer.AddFiles(file.string(), 0);
        writer.CloseArchive();
    }
};

TEST_F(ZipWriterTest, PackageOfCabinetsDocumentAndEmptyFileIsReadByEveryPeer) {
    TESSARO_NEEDS_PEER_TOOLS("unzip", "7zz", "bsdtar", "python3");
    const std::string cabA = randomBytes(20000, 1), cabB = randomBytes(5000, 2), document = textBytes(30000);
    TZipWriter writer;
    writePackage(writer, {input("ATT0123456789_2024103100000001.CAB", cabA), input("DCF.CAB", cabB),
                          input("feereview.xml", document), input("empty.txt", "")});
    EXPECT_EQ(peerComplaints(package), "");

    const auto entries = pythonEntries(package);
    ASSERT_EQ(entries.size(), 4u);
    const std::map<std::string, std::string> contents = {{"ATT0123456789_2024103100000001.CAB", cabA},
                                                         {"DCF.CAB", cabB},
                                                         {"feereview.xml", document},
                                                         {"empty.txt", ""}};
    const char* order[] = {"ATT0123456789_2024103100000001.CAB", "DCF.CAB", "feereview.xml", "empty.txt"};
    for (size_t i = 0; i < entries.size(); ++i) {
        const auto& e = entries[i];
        EXPECT_EQ(e.name, order[i]);
        EXPECT_EQ(e.crc, zlibCrc(contents.at(e.name))) << e.name;
        EXPECT_EQ(e.size, contents.at(e.name).size());
        EXPECT_EQ(e.createVersion, 20) << e.name;
        EXPECT_EQ(e.createSystem, 0) << e.name;
        EXPECT_EQ(e.externalAttributes, 0x20u) << e.name;
        EXPECT_EQ(e.extraHex, "-") << e.name;
        const bool deflated = e.name == "feereview.xml";
        EXPECT_EQ(e.method, deflated ? 8 : 0) << e.name;
        EXPECT_EQ(e.extractVersion, deflated ? 20 : 10) << e.name;
        EXPECT_EQ(e.flags, 0) << e.name;
    }
    EXPECT_LT(entries[2].compressedSize, document.size() / 2);

    // The end record closes the file: four entries on disk 0, no comment, no zip64 tail.
    const std::string bytes = readBytes(package);
    const std::string_view end = std::string_view(bytes).substr(bytes.size() - 22);
    EXPECT_EQ(get32(end, 0), 0x06054B50u);
    EXPECT_EQ(get16(end, 4), 0);
    EXPECT_EQ(get16(end, 8), 4);
    EXPECT_EQ(get16(end, 10), 4);
    EXPECT_EQ(get16(end, 20), 0);
    EXPECT_EQ(bytes.find("PK\x06\x06"), std::string::npos);
    // Central headers: first disk 0, internal attributes 0.
    for (size_t at = get32(end, 16); get32(bytes, at) == 0x02014B50;
         at += 46 + get16(bytes, at + 28) + get16(bytes, at + 30) + get16(bytes, at + 32)) {
        EXPECT_EQ(get16(bytes, at + 34), 0);
        EXPECT_EQ(get16(bytes, at + 36), 0);
    }
}

TEST_F(ZipWriterTest, NamesAreStoredInBig5WithUnicodePathOrInUtf8) {
    TESSARO_NEEDS_PEER_TOOLS("unzip", "7zz", "bsdtar", "python3");
    TZipWriter writer;
    writePackage(writer, {input("電子病歷.txt", "big5 name"), input("한국어.txt", "no big5"), input("plain.txt", "ascii")});
    EXPECT_EQ(peerComplaints(package), "");

    const auto entries = pythonEntries(package);
    ASSERT_EQ(entries.size(), 3u);
    const std::string big5 = platform::encodeCodePage("電子病歷.txt", 950);
    EXPECT_EQ(entries[0].name, big5);
    EXPECT_EQ(entries[0].flags & 0x800, 0);
    EXPECT_EQ(entries[0].createSystem, 0);
    // Unicode Path record: id 0x7075, length = UTF-8 bytes + 5, version 1, CRC of the Big5 bytes.
    std::string record;
    RawZip::put16(record, 0x7075);
    RawZip::put16(record, static_cast<std::uint16_t>(std::string("電子病歷.txt").size() + 5));
    record.push_back(1);
    RawZip::put32(record, zlibCrc(big5));
    record += "電子病歷.txt";
    EXPECT_EQ(entries[0].extraHex, hexOf(record));

    EXPECT_EQ(entries[1].name, "한국어.txt");
    EXPECT_EQ(entries[1].flags & 0x800, 0x800);
    EXPECT_EQ(entries[1].extraHex, "-");
    EXPECT_EQ(entries[2].extraHex, "-");

    const auto listing = runCommand("LANG=C.UTF-8 7zz l -slt " + quoted(package));
    EXPECT_NE(listing.output.find("Path = 電子病歷.txt"), std::string::npos) << listing.output;
    EXPECT_NE(listing.output.find("Path = 한국어.txt"), std::string::npos) << listing.output;
    // unzip reads a UTF-8 name of the DOS host in the OEM code page: such names go under NTFS.
    EXPECT_EQ(entries[1].createSystem, 11);
    EXPECT_EQ(runCommand("LANG=C.UTF-8 unzip -Z1 " + quoted(package)).output, "電子病歷.txt\n한국어.txt\nplain.txt\n");
}

TEST_F(ZipWriterTest, Big5NamesThatLookLikeUtf8AreFreshenedNotAddedTwice) {
    TESSARO_NEEDS_PEER_TOOLS("unzip", "7zz", "bsdtar", "python3");
    // Lead bytes C2-C6 with trail bytes A1-BF are valid UTF-8 too: 羅 is C3 B9, 蘇 is C4 AA.
    const auto luo = input("羅.txt", "first");
    const auto su = input("蘇.txt", "other");
    TZipWriter writer;
    writePackage(writer, {luo, su});
    writer.OpenArchive(package);
    ASSERT_EQ(writer.entries().size(), 2u);
    EXPECT_EQ(writer.entries()[0].name, "羅.txt");
    EXPECT_EQ(writer.entries()[1].name, "蘇.txt");
    writer.CloseArchive();

    dir.write("in/羅.txt", "second, longer");
    writePackage(writer, {luo});
    EXPECT_EQ(peerComplaints(package), "");
    const auto entries = pythonEntries(package);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, platform::encodeCodePage("羅.txt", 950));
    EXPECT_EQ(entries[0].crc, zlibCrc("second, longer"));
    const auto listing = runCommand("LANG=C.UTF-8 unzip -l " + quoted(package));
    EXPECT_NE(listing.output.find("羅.txt"), std::string::npos) << listing.output;
}

TEST_F(ZipWriterTest, HiddenFilesAndTheArchiveItselfAreNotAdded) {
    // Hidden by its name on POSIX, by its attribute on Windows.
    platform::applyDosAttributes(input(".hidden.CAB", "x"), platform::dos_attr::kHidden | platform::dos_attr::kArchive);
    input("seen.CAB", "y");
    TZipWriter writer;
    writer.setStoreOptions(kProgramOptions);
    writer.OpenArchive(dir / "in" / "self.zip");
    writer.AddFiles((dir / "in" / "*").string(), 0);
    ASSERT_EQ(writer.entries().size(), 1u);
    EXPECT_EQ(writer.entries()[0].name, "seen.CAB");
    writer.CloseArchive();
}

// soRecurse descends into folders but not through a link to one (on Windows a junction is a
// link too): what it leads to lies elsewhere, and a link back up would recurse without end.
TEST_F(ZipWriterTest, RecursionDoesNotFollowALinkToAFolder) {
    input("a.txt", "a");
    input("sub/b.txt", "b");
    dir.write("elsewhere/c.txt", "c");
    const FolderLink link(dir / "elsewhere", dir / "in" / "sub" / "link");
    if (!link.made()) GTEST_SKIP() << FolderLink::whyNotMade();
    TZipWriter writer;
    writer.setStoreOptions(soStripDrive | soRemoveDots | soRecurse);
    writer.OpenArchive(package);
    writer.AddFiles((dir / "in" / "*").string(), 0);
    std::string names;
    for (const auto& entry : writer.entries()) names += entry.name + "\n";
    EXPECT_EQ(writer.entries().size(), 2u) << names;
    EXPECT_EQ(names.find("c.txt"), std::string::npos) << names;
    writer.CloseArchive();
}

TEST_F(ZipWriterTest, SavingWithoutChangesWritesNothingAndFresheningKeepsOrRebuilds) {
    TESSARO_NEEDS_PEER_TOOLS("unzip", "7zz", "bsdtar", "python3");
    const auto doc = input("doc.xml", textBytes(5000));
    const auto cab = input("A.CAB", randomBytes(3000, 3));
    TZipWriter writer;
    writePackage(writer, {doc, cab});
    const std::string first = readBytes(package);

    // An empty new package stays empty; a second save of a saved package writes nothing.
    writer.OpenArchive(package);
    const FileIdentity before = identityOf(package);
    writer.Save();
    writer.AddFiles(doc.string(), 0);  // same date, time and size: kept
    writer.AddFiles(cab.string(), 0);
    EXPECT_FALSE(writer.hasUnsavedChanges());
    writer.CloseArchive();
    EXPECT_TRUE(sameIdentity(before, identityOf(package)));
    EXPECT_EQ(readBytes(package), first);

    // A changed size rebuilds the entry; a changed time alone does too.
    const std::string newDoc = textBytes(7000);
    dir.write("in/doc.xml", newDoc);
    const auto oldTime = std::filesystem::last_write_time(cab);
    std::filesystem::last_write_time(cab, oldTime + std::chrono::hours(1));
    writer.OpenArchive(package);
    writer.AddFiles((dir / "in" / "DOC.XML").string(), 0);  // names compare without case
    writer.AddFiles(cab.string(), 0);
    EXPECT_TRUE(writer.hasUnsavedChanges());
    writer.CloseArchive();
    EXPECT_EQ(peerComplaints(package), "");
    const auto entries = pythonEntries(package);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, "doc.xml");
    EXPECT_EQ(entries[0].crc, zlibCrc(newDoc));
    EXPECT_EQ(entries[0].size, newDoc.size());
    EXPECT_EQ(entries[1].name, "A.CAB");
    EXPECT_NE(entries[1].dateTime, pythonEntries(dir.write("first.zip", first))[1].dateTime);
}

TEST_F(ZipWriterTest, AFreshenedEntryOfAUnixArchiveTakesOurHostAttributesAndTime) {
#ifdef _WIN32
    GTEST_SKIP() << "checks POSIX behaviour: permission bits, symbolic links and the umask";
#else
    // Info-ZIP on Linux writes host 3, a Unix mode and time records (UT 0x5455, ux 0x7875),
    // and names in UTF-8 without bit 11.
    const auto doc = input("doc.xml", "made on unix");
    const auto accented = input("naïve.txt", "made on unix");
    const auto korean = input("한국.txt", "made on unix");
    ASSERT_EQ(runCommand("touch -d '2001-02-03 04:05:06' " + quoted(doc)).exitCode, 0);
    ASSERT_EQ(runCommand("cd " + quoted(dir / "in") + " && LANG=C.UTF-8 zip -q " + quoted(package) +
                         " doc.xml naïve.txt 한국.txt")
                  .exitCode,
              0);
    ASSERT_EQ(pythonEntries(package).at(0).createSystem, 3);
    ASSERT_NE(pythonEntries(package).at(0).extraHex.find("5554"), std::string::npos);

    dir.write("in/doc.xml", "freshened here");
    dir.write("in/naïve.txt", "freshened here");
    dir.write("in/한국.txt", "freshened here");
    TZipWriter writer;
    writePackage(writer, {doc, accented, korean});
    EXPECT_EQ(peerComplaints(package), "");
    // The names read right wherever the host byte now points a reader.
    const auto names = runCommand("LANG=C.UTF-8 unzip -Z1 " + quoted(package));
    EXPECT_EQ(names.output, "doc.xml\nnaïve.txt\n한국.txt\n");
    const auto entries = pythonEntries(package);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].createSystem, 0);
    EXPECT_EQ(entries[0].externalAttributes, 0x20u);
    EXPECT_EQ(entries[0].crc, zlibCrc("freshened here"));
    // The time records are gone, the ux record (owner ids) stays.
    EXPECT_EQ(extraRecordIds(entries[0].extraHex), std::vector<std::uint16_t>{0x7875});

    // unzip restores a writable file, 7-Zip shows and restores the new time, and so do we.
    const std::string year = entries[0].dateTime.substr(0, 4);
    ASSERT_NE(year, "2001");
    const auto listing = runCommand("7zz l " + quoted(package));
    EXPECT_NE(listing.output.find(year + "-"), std::string::npos) << listing.output;
    EXPECT_EQ(listing.output.find("2001-02-03"), std::string::npos) << listing.output;
    ASSERT_EQ(runCommand("unzip -q -d " + quoted(dir / "unzip") + " " + quoted(package)).exitCode, 0);
    ASSERT_EQ(runCommand("7zz x -bd -o" + quoted(dir / "7zz") + " " + quoted(package)).exitCode, 0);
    std::filesystem::create_directories(dir / "ours");
    TZipExtractor ours;
    ours.setFileName(package);
    ours.setBaseDirectory(dir / "ours");
    ours.ExtractFiles("*.*");
    for (const char* tool : {"unzip", "7zz", "ours"}) {
        struct stat st {};
        ASSERT_EQ(::stat((dir / tool / "doc.xml").c_str(), &st), 0) << tool;
        EXPECT_NE(st.st_mode & S_IWUSR, 0u) << tool;
        EXPECT_EQ(readBytes(dir / tool / "doc.xml"), "freshened here") << tool;
        EXPECT_GT(st.st_mtime, 1000000000) << tool;  // after September 2001
    }
#endif
}

TEST_F(ZipWriterTest, EntriesOfAnEarlierRunStayWhenNotAddedAgain) {
    TESSARO_NEEDS_PEER_TOOLS("unzip", "7zz", "bsdtar", "python3");
    const auto emr = input("EMR.CAB", randomBytes(1000, 4));
    const auto doc = input("doc.xml", textBytes(3000));
    TZipWriter writer;
    writePackage(writer, {emr, doc});
    const std::string newDoc = textBytes(3500);
    dir.write("in/doc.xml", newDoc);
    const auto att = input("ATT.CAB", randomBytes(800, 5));
    writePackage(writer, {att, doc});
    EXPECT_EQ(peerComplaints(package), "");
    const auto entries = pythonEntries(package);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].name, "EMR.CAB");
    EXPECT_EQ(entries[1].name, "doc.xml");
    EXPECT_EQ(entries[1].crc, zlibCrc(newDoc));
    EXPECT_EQ(entries[2].name, "ATT.CAB");
}

// A package started anew keeps nothing of an earlier file of its name, and leaves that file
// as it was until the save replaces it (an archive never saved leaves no file behind).
TEST_F(ZipWriterTest, ACreatedArchiveReplacesAnEarlierFileWhole) {
    TESSARO_NEEDS_PEER_TOOLS("unzip", "7zz", "bsdtar", "python3");
    const auto emr = input("EMR.CAB", randomBytes(1000, 4));
    const auto doc = input("doc.xml", textBytes(3000));
    TZipWriter writer;
    writePackage(writer, {emr, doc});
    const std::string earlier = readBytes(package);

    writer.setStoreOptions(kProgramOptions);
    writer.CreateArchive(package);
    EXPECT_TRUE(writer.AddFile(input("ATT.CAB", randomBytes(800, 5))));
    EXPECT_TRUE(writer.AddFile(doc));
    EXPECT_EQ(readBytes(package), earlier);
    writer.CloseArchive();
    EXPECT_EQ(peerComplaints(package), "");
    const auto entries = pythonEntries(package);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, "ATT.CAB");
    EXPECT_EQ(entries[1].name, "doc.xml");

    const auto fresh = dir / "fresh.zip";
    writer.CreateArchive(fresh);
    EXPECT_TRUE(writer.AddFile(doc));
    writer.DiscardArchive();
    EXPECT_FALSE(std::filesystem::exists(fresh));
    EXPECT_THROW(writer.CreateArchive(dir / "fresh.cab"), ZipError);
}

TEST_F(ZipWriterTest, ThirdPartyArchivesKeepTheirEntriesWhenAFileIsAdded) {
    TESSARO_NEEDS_PEER_TOOLS("unzip", "7zz", "bsdtar", "python3");
    const auto testData = std::filesystem::path(TESSARO_SHARED_TESTDATA) / "zip";
    const auto added = input("added.txt", textBytes(2000));
    for (const char* name : {"Zip.deflate.zip", "Zip.deflate.dd.zip", "Zip.none.datadescriptors.zip",
                             "Zip.bzip2.dd.zip", "Zip.lzma.dd.zip", "WinZip26.zip", "PrePostHeaders.zip",
                             "Zip.zip64.zip", "Zip.UnicodePathExtra.zip", "Zip.badlocalextra.zip", "Zip.none.zip"}) {
        SCOPED_TRACE(name);
        const auto copy = dir / name;
        std::filesystem::copy_file(testData / name, copy);
        std::filesystem::permissions(copy, std::filesystem::perms::owner_write, std::filesystem::perm_options::add);
        TZipWriter writer;
        writer.setStoreOptions(kProgramOptions);
        writer.OpenArchive(copy);
        writer.AddFiles(added.string(), 0);
        writer.CloseArchive();
        EXPECT_EQ(runCommand("7zz t -bd " + quoted(copy)).exitCode, 0);
        // unzip finds nothing it did not find in the original (this build skips some methods,
        // and a re-save mends Zip.badlocalextra.zip): a kept entry's flags must match what
        // follows its data, or it stops at "overlapped components".
        const auto unzipBefore = runCommand("unzip -tq " + quoted(testData / name));
        const auto unzipAfter = runCommand("unzip -tq " + quoted(copy));
        EXPECT_TRUE(unzipAfter.exitCode == 0 || unzipAfter.exitCode == unzipBefore.exitCode) << unzipAfter.output;
        EXPECT_EQ(runCommand("bsdtar -tf " + quoted(copy)).exitCode, 0);
        // Python reads the result and finds the old entries unchanged, then the new one.
        const auto python = runCommand(
            "python3 -c \"import sys,zipfile\n"
            "old=zipfile.ZipFile(sys.argv[1]).infolist()\n"
            "z=zipfile.ZipFile(sys.argv[2])\n"
            "assert z.testzip() is None\n"
            "new=z.infolist()\n"
            "assert len(new)==len(old)+1 and new[-1].filename=='added.txt'\n"
            "for a,b in zip(old,new): assert (a.orig_filename,a.CRC,a.file_size)==(b.orig_filename,b.CRC,b.file_size)\n"
            "print('ok')\" " +
            quoted(testData / name) + " " + quoted(copy));
        EXPECT_EQ(python.output, "ok\n");
    }
}

// A swap-file factory that makes real swap files and records them while they exist.
struct WatchedSwapFiles {
    std::vector<std::filesystem::path> made;
    bool sawFileOnDisk = false;

    archives::zip::SwapFileFactory factory() {
        return [this](const std::filesystem::path& folder, std::filesystem::path& attempted)
                   -> std::unique_ptr<archives::zip::SwapFile> {
            auto inner = archives::zip::systemSwapFiles()(folder, attempted);
            if (!inner) return nullptr;
            made.push_back(inner->name());
            sawFileOnDisk = sawFileOnDisk || std::filesystem::exists(inner->name());
            return inner;
        };
    }
};

TEST_F(ZipWriterTest, ImageBeyondEightMegabytesSwapsAndEqualsAnUnswappedImage) {
    TESSARO_NEEDS_PEER_TOOLS("unzip", "7zz", "bsdtar", "python3");
    const auto a = input("A.CAB", randomBytes(5 << 20, 6));
    const auto b = input("B.CAB", randomBytes(4 << 20, 7));
    const auto swapDir = dir / "swap";
    std::filesystem::create_directories(swapDir);

    WatchedSwapFiles watched;
    TZipWriter swapping;
    swapping.setTempDirectory(swapDir);
    swapping.setSwapFileFactory(watched.factory());
    writePackage(swapping, {a, b});
    const std::string swapped = readBytes(package);
    ASSERT_FALSE(watched.made.empty());
    EXPECT_TRUE(watched.sawFileOnDisk);
    EXPECT_EQ(watched.made[0].parent_path(), swapDir);
    EXPECT_TRUE(watched.made[0].filename().string().starts_with("VMS"));
    EXPECT_TRUE(std::filesystem::is_empty(swapDir));

    std::filesystem::remove(package);
    TZipWriter inMemory;
    inMemory.setResidentPageLimit(size_t{1} << 20);
    inMemory.setTempDirectory(swapDir);
    writePackage(inMemory, {a, b});
    EXPECT_TRUE(readBytes(package) == swapped);
    EXPECT_EQ(peerComplaints(package), "");
}

TEST_F(ZipWriterTest, MoreThan65535EntriesGetTheZip64Tail) {
    TESSARO_NEEDS_PEER_TOOLS("unzip", "7zz", "bsdtar", "python3");
    constexpr int kCount = 65540;
    const auto folder = dir / "many";
    std::filesystem::create_directories(folder);
    for (int i = 0; i < kCount; ++i) std::ofstream(folder / ("f" + std::to_string(i)));
    TZipWriter writer;
    writer.setStoreOptions(kProgramOptions);
    writer.OpenArchive(package);
    writer.AddFiles((folder / "*").string(), 0);
    writer.CloseArchive();

    const std::string bytes = readBytes(package);
    const std::string_view end = std::string_view(bytes).substr(bytes.size() - 22);
    EXPECT_EQ(get16(end, 8), 0xFFFF);
    EXPECT_EQ(get16(end, 10), 0xFFFF);
    const std::string_view locator = std::string_view(bytes).substr(bytes.size() - 42, 20);
    EXPECT_EQ(get32(locator, 0), 0x07064B50u);
    const std::string_view zip64 = std::string_view(bytes).substr(bytes.size() - 98, 56);
    EXPECT_EQ(get32(zip64, 0), 0x06064B50u);
    EXPECT_EQ(get32(zip64, 32), static_cast<std::uint32_t>(kCount));

    EXPECT_EQ(runCommand("unzip -tqq " + quoted(package)).exitCode, 0);
    EXPECT_EQ(runCommand("7zz t -bd " + quoted(package)).exitCode, 0);
    EXPECT_EQ(runCommand("bsdtar -tf " + quoted(package) + " | wc -l").output, std::to_string(kCount) + "\n");
    EXPECT_EQ(pythonZipCheck(package).output, "ok " + std::to_string(kCount) + "\n");

    TZipExtractor reader;
    reader.setFileName(package);
    EXPECT_EQ(reader.entries().size(), static_cast<size_t>(kCount));
}

// ---- Removable drives ---------------------------------------------------------------------

class FakeRemovableDrive final : public platform::DriveQuery {
public:
    std::uint64_t capacity = 1 << 30;
    std::vector<std::string> labels;
    bool isRemovable(const std::filesystem::path&) const override { return true; }
    bool isReady(const std::filesystem::path&) const override { return true; }
    std::uint64_t freeSpace(const std::filesystem::path&) const override { return capacity; }
    bool setVolumeLabel(const std::filesystem::path&, const std::string& label) override {
        labels.push_back(label);
        return true;
    }
};

// Answers each "insert a disk" prompt by putting the full disk aside as the next split part.
class DiskSwappingPort final : public RecordingPort {
public:
    explicit DiskSwappingPort(std::filesystem::path package) : package_(std::move(package)) {}
    bool askOkCancel(const std::string& text) override {
        questions.push_back(text);
        char part[16];
        std::snprintf(part, sizeof part, ".z%02d", ++disks_);
        std::filesystem::rename(package_, std::filesystem::path(package_).replace_extension(part));
        return true;
    }

private:
    std::filesystem::path package_;
    int disks_ = 0;
};

TEST_F(ZipWriterTest, OnARemovableDriveThePackageStartsWithThePK00Marker) {
    TESSARO_NEEDS_PEER_TOOLS("unzip", "7zz", "python3");
    FakeRemovableDrive drive;
    TZipWriter writer(nullptr, &drive);
    writePackage(writer, {input("A.CAB", randomBytes(3000, 8)), input("doc.xml", textBytes(4000))});
    const std::string bytes = readBytes(package);
    EXPECT_EQ(bytes.substr(0, 8), std::string("PK00PK\x03\x04", 8));
    EXPECT_EQ(peerComplaints(package), "");
    TZipExtractor reader;
    reader.setFileName(package);
    ASSERT_EQ(reader.entries().size(), 2u);
    EXPECT_EQ(reader.entries()[0].localHeaderOffset, 4u);
}

TEST_F(ZipWriterTest, AFullRemovableDiskSpansThePackageOverSeveralDisks) {
    TESSARO_NEEDS_PEER_TOOLS("unzip", "7zz", "python3");
    FakeRemovableDrive drive;
    drive.capacity = 3000;
    DiskSwappingPort port(package);
    TZipWriter writer(&port, &drive);
    const std::string a = randomBytes(2000, 9), b = randomBytes(4000, 10);
    writePackage(writer, {input("A.CAB", a), input("B.CAB", b)});
    ASSERT_EQ(port.questions.size(), 2u);
    EXPECT_EQ(port.questions[0], "Insert a blank floppy disk");
    EXPECT_EQ(drive.labels, (std::vector<std::string>{"PKBACK# 001", "PKBACK# 002"}));
    EXPECT_EQ(readBytes(dir / "pkg.z01").substr(0, 4), "PK\x07\x08");

    // The parts form a split set that 7-Zip reads, and that cannot be updated.
    const auto test = runCommand("7zz t -bd " + quoted(package));
    EXPECT_EQ(test.exitCode, 0) << test.output;
    TZipExtractor reader;
    reader.setFileName(package);
    reader.setBaseDirectory(dir.path());
    reader.ExtractFiles("*.*");
    EXPECT_EQ(readBytes(dir / "A.CAB"), a);
    EXPECT_EQ(readBytes(dir / "B.CAB"), b);
    writer.OpenArchive(package);
    writer.AddFiles((dir / "in" / "A.CAB").string(), 0);
    std::filesystem::last_write_time(dir / "in" / "B.CAB",
                                     std::filesystem::last_write_time(dir / "in" / "B.CAB") + std::chrono::hours(1));
    writer.AddFiles((dir / "in" / "B.CAB").string(), 0);
    EXPECT_THROW(
        {
            try {
                writer.Save();
            } catch (const ZipError& e) {
                EXPECT_STREQ(e.what(), "Cannot update an existing spanned disk set");
                throw;
            }
        },
        ZipError);
}

// ---- Failures -------------------------------------------------------------------------------

template <typename F>
std::string errorText(F&& action) {
    try {
        action();
    } catch (const tessaro::Error& error) {
        return error.what();
    }
    return "(no error)";
}

TEST_F(ZipWriterTest, OpeningFailuresGiveTheirTexts) {
    TZipWriter writer;
    dir.write("text.zip", "this is not an archive");
    EXPECT_EQ(errorText([&] { writer.OpenArchive(dir / "text.zip"); }), "Unhandled Archive Type");
    EXPECT_FALSE(writer.isOpen());
    EXPECT_EQ(errorText([&] { writer.OpenArchive(dir / "new.7z"); }), "Unhandled Archive Type");
    EXPECT_TRUE(errorText([&] { writer.OpenArchive(dir / "missing" / "new.zip"); }).starts_with("Cannot create file"));
    EXPECT_EQ(errorText([&] { writer.AddFiles((dir / "*").string(), 0); }),
              "Archive does not exist - Filename is blank");

    RawZip raw;
    raw.add(RawZip::stored("a.txt", "abc"));
    std::string broken = raw.bytes();
    broken[broken.find("PK\x01\x02") + 2] = 9;  // a central header with a wrong signature
    dir.write("broken.zip", broken);
    EXPECT_EQ(errorText([&] { writer.OpenArchive(dir / "broken.zip"); }), "Invalid file - not a PKZip file");
}

TEST_F(ZipWriterTest, AVanishedFileIsLeftOutAndReported) {
    TESSARO_NEEDS_PEER_TOOLS("unzip", "7zz", "python3");
    const auto gone = input("gone.CAB", "soon gone");
    const auto kept = input("kept.CAB", "stays");
    FailureLog log;
    TZipWriter writer;
    writer.setOnItemFailure(log.handler());
    writer.setStoreOptions(kProgramOptions);
    writer.OpenArchive(package);
    writer.AddFiles(gone.string(), 0);
    writer.AddFiles(kept.string(), 0);
    std::filesystem::remove(gone);
    writer.CloseArchive();
    ASSERT_EQ(log.failures.size(), 1u);
    EXPECT_EQ(log.failures[0].entryName, "gone.CAB");
    EXPECT_EQ(log.failures[0].operation, ItemOperation::add);
    EXPECT_EQ(log.failures[0].errorClass, ErrorClass::fileOpen);
    EXPECT_EQ(log.failures[0].code, 0);
    EXPECT_EQ(log.failures[0].text, "File not found");
    EXPECT_EQ(peerComplaints(package), "");
    ASSERT_EQ(pythonEntries(package).size(), 1u);
}

TEST_F(ZipWriterTest, AFreshenedFileThatVanishesBeforeTheSaveKeepsTheOldEntry) {
    TESSARO_NEEDS_PEER_TOOLS("unzip", "7zz", "bsdtar", "python3");
    const auto doc = input("doc.xml", "old content");
    const auto cab = input("A.CAB", "cabinet");
    TZipWriter writer;
    writePackage(writer, {doc, cab});

    FailureLog log;
    writer.setOnItemFailure(log.handler());
    dir.write("in/doc.xml", "new content, not yet saved");
    writer.OpenArchive(package);
    writer.AddFiles(doc.string(), 0);
    ASSERT_TRUE(writer.hasUnsavedChanges());
    std::filesystem::remove(doc);
    writer.CloseArchive();

    ASSERT_EQ(log.failures.size(), 1u);
    EXPECT_EQ(log.failures[0].entryName, "doc.xml");
    EXPECT_EQ(log.failures[0].errorClass, ErrorClass::fileOpen);
    EXPECT_EQ(log.failures[0].text, "File not found");
    EXPECT_EQ(peerComplaints(package), "");
    const auto entries = pythonEntries(package);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, "doc.xml");
    EXPECT_EQ(entries[0].crc, zlibCrc("old content"));
    TZipExtractor reader;
    reader.setFileName(package);
    reader.setBaseDirectory(dir / "in");
    reader.ExtractFiles("doc.xml");
    EXPECT_EQ(readBytes(doc), "old content");
}

TEST_F(ZipWriterTest, AKeptEntryWithABrokenLocalHeaderFailsTheSaveAndLeavesThePackage) {
    TZipWriter writer;
    writePackage(writer, {input("a.txt", "first"), input("b.txt", "second")});
    std::string bytes = readBytes(package);
    bytes[2] = 'X';  // the first local header's signature
    dir.write("pkg.zip", bytes);

    writer.OpenArchive(package);
    writer.AddFiles(input("c.txt", "third").string(), 0);
    EXPECT_EQ(errorText([&] { writer.Save(); }), "Invalid file - not a PKZip file");
    EXPECT_EQ(readBytes(package), bytes);
}

TEST_F(ZipWriterTest, ACancelledDiskPromptAbortsTheSave) {
    FakeRemovableDrive drive;
    drive.capacity = 1000;
    RecordingPort port;
    port.okCancelAnswers = {false};
    TZipWriter writer(&port, &drive);
    writer.OpenArchive(package);
    writer.AddFiles(input("A.CAB", randomBytes(3000, 11)).string(), 0);
    EXPECT_EQ(errorText([&] { writer.Save(); }), "Process aborted by user");
    EXPECT_EQ(port.questions, std::vector<std::string>{"Insert a blank floppy disk"});
}

// Swap files that fail at one chosen operation.
class FaultySwapFile final : public archives::zip::SwapFile {
public:
    enum class Fault { seek, read, write };
    FaultySwapFile(std::filesystem::path name, Fault fault) : name_(std::move(name)), fault_(fault) {}
    const std::filesystem::path& name() const override { return name_; }
    bool seek(std::uint64_t) override { return fault_ != Fault::seek; }
    bool read(std::span<std::uint8_t>) override { return fault_ != Fault::read; }
    bool write(std::span<const std::uint8_t>) override { return fault_ != Fault::write; }

private:
    std::filesystem::path name_;
    Fault fault_;
};

archives::zip::SwapFileFactory faultySwapFiles(std::optional<FaultySwapFile::Fault> fault) {
    return [fault](const std::filesystem::path& folder, std::filesystem::path& attempted)
               -> std::unique_ptr<archives::zip::SwapFile> {
        attempted = folder / "VMS000001";
        if (!fault) return nullptr;
        return std::make_unique<FaultySwapFile>(folder / "VMS000001", *fault);
    };
}

TEST_F(ZipWriterTest, SwapFileFailuresGiveTheirTextsAndNeverCutThePackageShort) {
    TESSARO_NEEDS_PEER_TOOLS("unzip", "7zz", "python3");
    TZipWriter first;
    writePackage(first, {input("old.txt", "old content")});
    const std::string old = readBytes(package);
    const auto big = input("big.CAB", randomBytes(6 * 4096, 12));
    const std::string swapFolder = (dir / "swap").string();
    std::filesystem::create_directories(swapFolder);
    const std::string swapName = (dir / "swap" / "VMS000001").string();

    // While an entry is built, a swap failure is that entry's failure.
    struct Case {
        std::optional<FaultySwapFile::Fault> fault;
        std::string text;
    };
    const Case entryCases[] = {
        {std::nullopt, "VMS: Cannot open swap file " + swapName},
        {FaultySwapFile::Fault::seek, "VMS: Failed to seek in swap file " + swapName},
        {FaultySwapFile::Fault::write, "VMS: Failed to write 4096 bytes to swap file " + swapName},
    };
    for (const auto& c : entryCases) {
        FailureLog log;
        TZipWriter writer;
        writer.setOnItemFailure(log.handler());
        writer.setTempDirectory(swapFolder);
        writer.setResidentPageLimit(2);
        writer.setSwapFileFactory(faultySwapFiles(c.fault));
        writer.OpenArchive(package);
        writer.AddFiles(big.string(), 0);
        writer.CloseArchive();
        ASSERT_EQ(log.failures.size(), 1u) << c.text;
        EXPECT_EQ(log.failures[0].text, c.text);
        EXPECT_EQ(pythonEntries(package).size(), 1u);
    }

    // Reading an entry's data back for the image ends the save; the package stays as it was.
    TZipWriter writer;
    writer.setTempDirectory(swapFolder);
    writer.setResidentPageLimit(2);
    writer.setSwapFileFactory(faultySwapFiles(FaultySwapFile::Fault::read));
    writer.OpenArchive(package);
    writer.AddFiles(big.string(), 0);
    EXPECT_EQ(errorText([&] { writer.Save(); }), "VMS: Failed to read 4096 bytes from swap file " + swapName);
    EXPECT_EQ(readBytes(package), old);
    for (const auto& item : std::filesystem::directory_iterator(dir.path()))
        EXPECT_FALSE(item.path().filename().string().starts_with(".~zip")) << item.path();
}

TEST_F(ZipWriterTest, APackageReachedThroughALinkIsUpdatedWhereItLies) {
#ifdef _WIN32
    GTEST_SKIP() << "checks POSIX behaviour: permission bits, symbolic links and the umask";
#else
    const auto folder = dir / "real";
    std::filesystem::create_directories(folder);
    const auto real = folder / "pkg.zip";
    std::filesystem::create_symlink("real/pkg.zip", package);
    TZipWriter writer;
    writePackage(writer, {input("a.txt", "first")});  // created through the link
    ::chmod(real.c_str(), 0640);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(real.c_str(), 12345, 12346), 0);
    }

    writePackage(writer, {input("b.txt", "second")});
    EXPECT_TRUE(std::filesystem::is_symlink(package));
    EXPECT_EQ(peerComplaints(real), "");
    EXPECT_EQ(pythonEntries(real).size(), 2u);
    struct stat st {};
    ASSERT_EQ(::stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    if (root) {
        EXPECT_EQ(st.st_uid, 12345u);
        EXPECT_EQ(st.st_gid, 12346u);
    }
    for (const auto& item : std::filesystem::directory_iterator(folder))
        EXPECT_FALSE(item.path().filename().string().starts_with(".~zip")) << item.path();
#endif
}

TEST_F(ZipWriterTest, AReadOnlyPackageIsNotReplaced) {
#ifdef _WIN32
    GTEST_SKIP() << "checks POSIX behaviour: permission bits, symbolic links and the umask";
#else
    TZipWriter writer;
    writePackage(writer, {input("a.txt", "first")});
    ::chmod(package.c_str(), 0444);
    const std::string before = readBytes(package);

    writer.OpenArchive(package);
    writer.AddFiles(input("b.txt", "second").string(), 0);
    const std::string refused = "Cannot create file \"" + package.string() + "\". " + std::strerror(EACCES);
    EXPECT_EQ(errorText([&] { writer.Save(); }), refused);
    EXPECT_EQ(errorText([&] { writer.CloseArchive(); }), refused);
    EXPECT_EQ(readBytes(package), before);
    struct stat st {};
    ASSERT_EQ(::stat(package.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0444u);
#endif
}

TEST_F(ZipWriterTest, NewPackagesHonourTheUmask) {
#ifdef _WIN32
    GTEST_SKIP() << "checks POSIX behaviour: permission bits, symbolic links and the umask";
#else
    const mode_t old = ::umask(077);
    TZipWriter writer;
    writePackage(writer, {input("a.txt", "medical record")});
    ::umask(old);
    struct stat st {};
    ASSERT_EQ(::stat(package.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
#endif
}

TEST_F(ZipWriterTest, APackageFolderThatVanishedGivesThePlatformError) {
    TESSARO_POSIX_ONLY("removes the folder of a file that is open");
    const auto folder = dir / "out";
    std::filesystem::create_directories(folder);
    TZipWriter writer;
    writer.OpenArchive(folder / "pkg.zip");
    writer.AddFiles(input("a.txt", "a").string(), 0);
    std::filesystem::remove_all(folder);
    EXPECT_TRUE(errorText([&] { writer.Save(); }).starts_with("Cannot create file \"" + folder.string()));
}

}  // namespace
}  // namespace tessaro::archives
