// The ZIP extractor: third-party archives must come out with the sizes and CRCs an
// independent archiver lists for them, hostile names must stay inside the base folder, and
// every failure must produce its text.
#include "archives/zip/zip_extractor.h"

#include "archives/zip/output_path.h"
#include "platform/code_page.h"
#include "platform/dos_time.h"
#include "platform/file_attributes.h"
#include "platform/path_text.h"
#include "tests/archives/zip/zip_test_support.h"
#include "tests/support/recording_port.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <random>
#include <set>
#include <sstream>

namespace tessaro::archives {
namespace {

using namespace tessaro::testing;
using namespace tessaro::testing::zip;

const std::filesystem::path kTestData = std::filesystem::path(TESSARO_SHARED_TESTDATA) / "zip";

struct ManifestRow {
    std::string path;
    std::uint64_t size = 0;
    std::string crc;  // empty for a folder
    std::string method;
};

std::map<std::string, std::vector<ManifestRow>> readManifest() {
    std::map<std::string, std::vector<ManifestRow>> rows;
    std::ifstream in(kTestData / "MANIFEST.tsv");
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::vector<std::string> fields;
        std::stringstream split(line);
        std::string field;
        while (std::getline(split, field, '\t')) fields.push_back(field);
        fields.resize(5);
        rows[fields[0]].push_back({fields[1], std::stoull(fields[2]), fields[3], fields[4]});
    }
    return rows;
}

bool decodedHere(const ManifestRow& row) {
    return row.method == "Store" || row.method.starts_with("Deflate");
}

template <typename F>
std::string errorText(F&& action) {
    try {
        action();
    } catch (const tessaro::Error& error) {
        return error.what();
    }
    return "(no error)";
}

class ZipExtractorTest : public ::testing::Test {
protected:
    TempDir dir;
    FailureLog log;

    std::filesystem::path base(const std::string& name = "out") {
        const auto folder = dir / name;
        std::filesystem::create_directories(folder);
        return folder;
    }

    // Extracts `archive` with the mask "*.*" into a fresh folder, as the import does.
    std::filesystem::path extract(const std::filesystem::path& archive, TZipExtractor& extractor) {
        const auto out = base("out-" + archive.stem().string());
        extractor.setOnItemFailure(log.handler());
        extractor.setFileName(archive);
        extractor.setBaseDirectory(out);
        extractor.ExtractFiles("*.*");
        return out;
    }

    std::filesystem::path writeRaw(const std::string& name, const RawZip& raw) { return dir.write(name, raw.bytes()); }

    std::vector<int> failureCodes() const {
        std::vector<int> codes;
        for (const auto& failure : log.failures) codes.push_back(failure.code);
        return codes;
    }
};

TEST_F(ZipExtractorTest, ReproducesTheManifestOfEveryStoredAndDeflateArchive) {
    int archives = 0;
    for (const auto& [archive, rows] : readManifest()) {
        if (archive == "Zip.Evil.zip" || !std::all_of(rows.begin(), rows.end(), decodedHere)) continue;
        ++archives;
        SCOPED_TRACE(archive);
        log.failures.clear();
        TZipExtractor extractor;
        const auto out = extract(kTestData / archive, extractor);
        EXPECT_TRUE(log.failures.empty()) << log.failures.front().entryName << ": " << log.failures.front().text;
        const auto& entries = extractor.entries();
        ASSERT_EQ(entries.size(), rows.size());
        // The manifest lists entries in archive order; names differ where the archiver read a
        // name in another code page, so entries are matched by position.
        for (size_t i = 0; i < rows.size(); ++i) {
            const auto path = out / *zip::confinedRelativePath(entries[i].name, false);
            if (rows[i].crc.empty()) {
                EXPECT_TRUE(std::filesystem::is_directory(path)) << path;
                continue;
            }
            const std::string bytes = readBytes(path);
            EXPECT_EQ(bytes.size(), rows[i].size) << path;
            EXPECT_EQ(zlibCrc(bytes), std::stoul(rows[i].crc, nullptr, 16)) << path;
        }
        extractor.CloseArchive();
    }
    EXPECT_EQ(archives, 14);
}

TEST_F(ZipExtractorTest, AClimbingEntryIsRefusedAndNothingLandsOutsideTheBase) {
    const auto outer = base("outer");
    const auto inner = outer / "a" / "b";
    std::filesystem::create_directories(inner);
    TZipExtractor extractor;
    extractor.setOnItemFailure(log.handler());
    extractor.setFileName(kTestData / "Zip.Evil.zip");
    extractor.setBaseDirectory(inner);
    extractor.ExtractFiles("*.*");
    EXPECT_EQ(readBytes(inner / "good.txt").size(), 19u);
    ASSERT_EQ(log.failures.size(), 1u);
    EXPECT_EQ(log.failures[0].code, static_cast<int>(ZipCode::outsideBase));
    EXPECT_TRUE(log.failures[0].entryName.ends_with("Temp\\evil.txt"));
    EXPECT_FALSE(std::filesystem::exists("/Temp/evil.txt"));
    size_t files = 0;
    for (const auto& item : std::filesystem::recursive_directory_iterator(dir.path()))
        files += item.is_regular_file() && item.path().filename() != "good.txt";
    EXPECT_EQ(files, 0u);

    // Every other way out is refused too; a name that stays inside is resolved.
    RawZip raw;
    for (const char* name : {"/etc/x.txt", "\\x.txt", "C:x.txt", "C:\\x.txt", "\\\\server\\share\\x.txt",
                             "a/../../x.txt", "a\\..\\..\\x.txt", "..", "a/./b/../c.txt"})
        raw.add(RawZip::stored(name, name));
    log.failures.clear();
    TZipExtractor hostile;
    const auto out = extract(writeRaw("hostile.zip", raw), hostile);
    EXPECT_EQ(log.failures.size(), 8u);
    EXPECT_EQ(readBytes(out / "a" / "c.txt"), "a/./b/../c.txt");
    EXPECT_FALSE(std::filesystem::exists(dir / "x.txt"));
}

TEST_F(ZipExtractorTest, FindsTheEndRecordBehind70000BytesAndAtTheVeryEnd) {
    RawZip raw;
    raw.add(RawZip::stored("a.txt", "alpha"));
    const std::string archive = raw.bytes();
    std::string trailer(70000, 'x');
    for (size_t i = 0; i < trailer.size(); i += 97) trailer[i] = 'P';
    for (const auto& [name, bytes] : {std::pair<std::string, std::string>{"trailing.zip", archive + trailer},
                                      {"plain.zip", archive}}) {
        TZipExtractor extractor;
        const auto out = extract(dir.write(name, bytes), extractor);
        EXPECT_EQ(readBytes(out / "a.txt"), "alpha") << name;
    }
}

TEST_F(ZipExtractorTest, NamesAreDecodedAsADesktopWithCodePage950ReadsThem) {
    RawZip raw;
    raw.add(RawZip::stored(platform::encodeCodePage("電子病歷.txt", 950), "big5"));
    raw.add(RawZip::stored("caf\xC3\xA9.txt", "utf8"));
    auto withPath = RawZip::stored("plain.txt", "unicode path");
    std::string record;
    RawZip::put16(record, 0x7075);
    RawZip::put16(record, static_cast<std::uint16_t>(5 + std::string("統一.txt").size()));
    record.push_back(1);
    RawZip::put32(record, zlibCrc("plain.txt"));
    record += "統一.txt";
    withPath.centralExtra = record;
    raw.add(withPath);
    auto badCrc = RawZip::stored("other.txt", "ignored path");
    badCrc.centralExtra = record;
    raw.add(badCrc);

    TZipExtractor extractor;
    const auto out = extract(writeRaw("names.zip", raw), extractor);
    EXPECT_EQ(readBytes(out / platform::pathFromUtf8("電子病歷.txt")), "big5");
    EXPECT_EQ(readBytes(out / platform::pathFromUtf8("café.txt")), "utf8");
    EXPECT_EQ(readBytes(out / platform::pathFromUtf8("統一.txt")), "unicode path");
    EXPECT_EQ(readBytes(out / "other.txt"), "ignored path");

    // With ANSI 1252 and OEM 437 the OEM look decides (Zip.implode.zip has an OEM name).
    TZipExtractor western;
    western.setCodePages({1252, 437});
    western.setFileName(kTestData / "Zip.implode.zip");
    EXPECT_EQ(western.entries().back().name, "ΓÑßΓ.txt");
}

// The Unicode Path record of a name, with the CRC-32 of the name's bytes as stored.
std::string unicodePathRecord(std::string_view raw, std::string_view name) {
    std::string record;
    RawZip::put16(record, 0x7075);
    RawZip::put16(record, static_cast<std::uint16_t>(5 + name.size()));
    record.push_back(1);
    RawZip::put32(record, zlibCrc(raw));
    record += name;
    return record;
}

TEST_F(ZipExtractorTest, AUnicodePathRecordForTheStoredBytesWinsAsItDoesFor7zzAndUnzip) {
    TESSARO_NEEDS_PEER_TOOLS("7zz", "unzip");
    // 羅 is C3 B9 in Big5, which is also valid UTF-8 (ù); café.txt comes from a code page
    // 1252 desktop, whose E9 is no Big5 character. Both carry a correct record.
    const std::string big5 = platform::encodeCodePage("羅.txt", 950);
    ASSERT_EQ(big5, "\xC3\xB9.txt");
    RawZip raw;
    auto luo = RawZip::stored(big5, "big5 name");
    luo.centralExtra = unicodePathRecord(big5, "羅.txt");
    raw.add(luo);
    auto cafe = RawZip::stored("caf\xE9.txt", "code page 1252 name");
    cafe.versionMadeBy = 0x0B14;
    cafe.centralExtra = unicodePathRecord("caf\xE9.txt", "café.txt");
    raw.add(cafe);
    const auto archive = writeRaw("unicode-path.zip", raw);

    for (const char* peer : {"7zz l", "unzip -l"}) {
        const auto listing = runCommand(std::string("LANG=C.UTF-8 ") + peer + " " + quoted(archive));
        EXPECT_NE(listing.output.find("羅.txt"), std::string::npos) << peer << listing.output;
        EXPECT_NE(listing.output.find("café.txt"), std::string::npos) << peer << listing.output;
    }
    TZipExtractor extractor;
    const auto out = extract(archive, extractor);
    ASSERT_EQ(extractor.entries().size(), 2u);
    EXPECT_EQ(extractor.entries()[0].name, "羅.txt");
    EXPECT_EQ(extractor.entries()[1].name, "café.txt");
    EXPECT_EQ(readBytes(out / "羅.txt"), "big5 name");
    EXPECT_EQ(readBytes(out / "café.txt"), "code page 1252 name");
}

TEST_F(ZipExtractorTest, EncryptedUnsupportedAndCorruptEntriesAreSkippedWithoutOutput) {
    RawZip raw;
    auto encrypted = RawZip::stored("secret.txt", "xxxxxxxxxxxx");
    encrypted.flags = 1;
    raw.add(encrypted);
    auto method10 = RawZip::stored("terse.txt", "xxxx");
    method10.method = 10;
    raw.add(method10);
    auto corrupt = RawZip::deflated("corrupt.txt", std::string(1000, 'a'));
    corrupt.data[0] = static_cast<char>(0xFF);  // block type 3
    raw.add(corrupt);
    auto newer = RawZip::stored("newer.txt", "from the future");
    newer.versionNeeded = 64;
    raw.add(newer);
    auto badHeader = RawZip::stored("header.txt", "bad local header");
    badHeader.localSignature = 0x04034B51;
    raw.add(badHeader);
    raw.add(RawZip::deflated("good.txt", std::string(3000, 'g')));

    TZipExtractor extractor;
    const auto out = extract(writeRaw("mixed.zip", raw), extractor);
    EXPECT_EQ(readBytes(out / "good.txt"), std::string(3000, 'g'));
    for (const char* name : {"secret.txt", "terse.txt", "corrupt.txt", "newer.txt", "header.txt"})
        EXPECT_FALSE(std::filesystem::exists(out / name)) << name;
    ASSERT_EQ(log.failures.size(), 5u);
    EXPECT_EQ(log.failures[0].text, "Cannot extract file - invalid password");
    EXPECT_EQ(log.failures[0].code, 4);
    EXPECT_EQ(log.failures[1].text, "Cannot extract file - unsupported compression method");
    EXPECT_EQ(log.failures[1].code, 2);
    EXPECT_EQ(log.failures[2].entryName, "corrupt.txt");
    EXPECT_EQ(log.failures[2].errorClass, ErrorClass::other);
    EXPECT_EQ(log.failures[3].text, "Cannot extract file - newer version required");
    EXPECT_EQ(log.failures[3].code, 1);
    EXPECT_EQ(log.failures[4].text, "Invalid file - not a PKZip file");
    EXPECT_EQ(log.failures[4].code, 24);
    for (const auto& failure : log.failures) EXPECT_EQ(failure.operation, ItemOperation::extract);

    // The third-party encrypted archive: both entries fail, nothing is written.
    log.failures.clear();
    TZipExtractor aes;
    const auto aesOut = extract(kTestData / "Zip.none.encrypted.zip", aes);
    EXPECT_EQ(failureCodes(), (std::vector<int>{4, 4}));
    EXPECT_TRUE(std::filesystem::is_empty(aesOut));
}

TEST_F(ZipExtractorTest, CrcMismatchIsOnlyReportedAndTheFileStays) {
    RawZip raw;
    auto wrong = RawZip::stored("wrong.txt", "intact data");
    wrong.crc ^= 1;
    raw.add(wrong);
    auto empty = RawZip::stored("empty.txt", "");
    empty.crc = 1234;  // never checked for an empty entry
    raw.add(empty);
    TZipExtractor extractor;
    const auto out = extract(writeRaw("crc.zip", raw), extractor);
    EXPECT_EQ(readBytes(out / "wrong.txt"), "intact data");
    EXPECT_TRUE(std::filesystem::exists(out / "empty.txt"));
    EXPECT_EQ(std::filesystem::file_size(out / "empty.txt"), 0u);
    ASSERT_EQ(log.failures.size(), 1u);
    EXPECT_EQ(log.failures[0].code, 19);
    EXPECT_EQ(log.failures[0].errorClass, ErrorClass::library);
}

TEST_F(ZipExtractorTest, SetsTimesAndAttributesAndKeepsAReadOnlyFileAgainstALaterEntry) {
    const platform::DosDateTime stamp{static_cast<std::uint16_t>((41 << 9) | (6 << 5) | 15),
                                      static_cast<std::uint16_t>((10 << 11) | (20 << 5) | 15)};
    RawZip raw;
    auto readOnly = RawZip::stored("ro.txt", "first");
    readOnly.dosDate = stamp.date;
    readOnly.dosTime = stamp.time;
    readOnly.externalAttributes = 0x21;
    raw.add(readOnly);
    auto unixReadOnly = RawZip::stored("unix.txt", "unix");
    unixReadOnly.versionMadeBy = 0x0314;
    unixReadOnly.externalAttributes = 0100444u << 16;
    raw.add(unixReadOnly);
    auto badDate = RawZip::stored("nodate.txt", "no date");
    badDate.dosDate = 0;
    raw.add(badDate);
    auto writable = RawZip::stored("rw.txt", "one");
    raw.add(writable);
    raw.add(RawZip::stored("rw.txt", "two"));     // the later entry wins
    raw.add(RawZip::stored("ro.txt", "second"));  // cannot replace the read-only file

    TZipExtractor extractor;
    const auto out = extract(writeRaw("attrs.zip", raw), extractor);
    const auto roStatus = platform::queryFileStatus(out / "ro.txt");
    ASSERT_TRUE(roStatus);
    EXPECT_EQ(roStatus->lastWrite, *platform::fromDosDateTime(stamp.date, stamp.time));
    EXPECT_TRUE(platform::isReadOnly(out / "ro.txt"));
    EXPECT_TRUE(platform::isReadOnly(out / "unix.txt"));
    const auto undated = platform::queryFileStatus(out / "nodate.txt");
    ASSERT_TRUE(undated);
    EXPECT_GT(undated->lastWrite, *platform::fromDosDateTime(stamp.date, stamp.time));
    EXPECT_EQ(readBytes(out / "rw.txt"), "two");
    EXPECT_EQ(readBytes(out / "ro.txt"), "first");
    ASSERT_EQ(log.failures.size(), 1u);
    EXPECT_EQ(log.failures[0].errorClass, ErrorClass::fileCreate);
    EXPECT_TRUE(log.failures[0].text.starts_with("Cannot create file"));
}

TEST_F(ZipExtractorTest, FoldersAndMasksFollowTheOptions) {
    RawZip raw;
    auto folder = RawZip::stored("sub/", "");
    folder.externalAttributes = 0x10;
    raw.add(folder);
    raw.add(RawZip::stored("sub/xSMP.txt", "in sub"));
    raw.add(RawZip::stored("top.cab", "top"));
    raw.add(RawZip::stored("NODOT", "no dot"));
    const auto archive = writeRaw("tree.zip", raw);

    TZipExtractor all;
    const auto out = extract(archive, all);
    EXPECT_EQ(readBytes(out / "sub" / "xSMP.txt"), "in sub");
    EXPECT_EQ(readBytes(out / "NODOT"), "no dot");

    TZipExtractor masked;
    masked.setFileName(archive);
    masked.setBaseDirectory(base("masked"));
    masked.ExtractFiles("*.TXT");
    EXPECT_TRUE(std::filesystem::exists(dir / "masked" / "sub" / "xSMP.txt"));
    EXPECT_FALSE(std::filesystem::exists(dir / "masked" / "top.cab"));

    TZipExtractor flat;
    flat.setExtractOptions(eoCreateDirs);
    flat.setFileName(archive);
    flat.setBaseDirectory(base("flat"));
    flat.ExtractFiles("sub\\*");
    EXPECT_EQ(readBytes(dir / "flat" / "xSMP.txt"), "in sub");
    EXPECT_FALSE(std::filesystem::exists(dir / "flat" / "sub"));

    TZipExtractor strict;
    strict.setExtractOptions(eoRestorePath);
    strict.setFileName(archive);
    strict.setBaseDirectory(base("strict"));
    EXPECT_EQ(errorText([&] { strict.ExtractFiles("*.*"); }), "Directory does not exist");
}

TEST_F(ZipExtractorTest, ErrorsThatEndTheOperationGiveTheirTexts) {
    TZipExtractor extractor;
    EXPECT_EQ(errorText([&] { extractor.ExtractFiles("*.*"); }), "Archive does not exist - Filename is blank");
    EXPECT_EQ(errorText([&] { extractor.setFileName(dir / "none.zip"); }), "File not found");
    EXPECT_EQ(errorText([&] { extractor.setFileName(dir.write("empty.zip", "")); }), "Invalid Stream");
    EXPECT_EQ(errorText([&] { extractor.setFileName(dir.write("text.zip", "plain text")); }), "Unhandled Archive Type");

    RawZip raw;
    raw.add(RawZip::stored("a.txt", "a"));
    std::string broken = raw.bytes();
    broken[broken.find("PK\x01\x02") + 3] = 9;
    EXPECT_EQ(errorText([&] { extractor.setFileName(dir.write("broken.zip", broken)); }),
              "Invalid file - not a PKZip file");

    // Saturated counts send the loader to a zip64 locator that is not there.
    std::string noLocator = raw.bytes();
    noLocator.replace(noLocator.size() - 14, 4, std::string("\xFF\xFF\xFF\xFF", 4));
    EXPECT_EQ(errorText([&] { extractor.setFileName(dir.write("nolocator.zip", noLocator)); }),
              "Invalid file - not a PKZip file");

    const auto good = writeRaw("good.zip", raw);
    extractor.setFileName(good);
    EXPECT_EQ(errorText([&] { extractor.setBaseDirectory(dir / "missing"); }), "Directory does not exist");

    // A file where a folder is needed: the platform's error.
    RawZip nested;
    nested.add(RawZip::stored("a.txt/b.txt", "b"));
    const auto out = base("blocked");
    dir.write("blocked/a.txt", "in the way");
    extractor.setFileName(writeRaw("nested.zip", nested));
    extractor.setBaseDirectory(out);
    EXPECT_TRUE(errorText([&] { extractor.ExtractFiles("*.*"); }).starts_with("Cannot create folder"));

    // A name with a vertical bar ends the extraction; earlier entries stay.
    RawZip bar;
    bar.add(RawZip::stored("first.txt", "1"));
    bar.add(RawZip::stored("a|b.txt", "2"));
    bar.add(RawZip::stored("last.txt", "3"));
    extractor.setFileName(writeRaw("bar.zip", bar));
    extractor.setBaseDirectory(base("bar"));
    EXPECT_EQ(errorText([&] { extractor.ExtractFiles("*.*"); }), "Invalid characters in path");
    EXPECT_TRUE(std::filesystem::exists(dir / "bar" / "first.txt"));
    EXPECT_FALSE(std::filesystem::exists(dir / "bar" / "last.txt"));
}

TEST_F(ZipExtractorTest, AShortArchiveFailsTheEntryWithAReadError) {
    RawZip raw;
    raw.add(RawZip::stored("whole.txt", "whole"));
    auto cut = RawZip::stored("cut.txt", std::string(100, 'c'));
    raw.add(cut);
    std::string bytes = raw.bytes();
    // Claim more data than the archive holds: the central size says 1,000,000 bytes.
    const size_t central = bytes.rfind("PK\x01\x02");
    const std::string huge("\x40\x42\x0F\x00", 4);
    bytes.replace(central + 20, 4, huge);
    bytes.replace(central + 24, 4, huge);
    TZipExtractor extractor;
    const auto out = extract(dir.write("short.zip", bytes), extractor);
    EXPECT_EQ(readBytes(out / "whole.txt"), "whole");
    EXPECT_FALSE(std::filesystem::exists(out / "cut.txt"));
    ASSERT_EQ(log.failures.size(), 1u);
    EXPECT_EQ(log.failures[0].entryName, "cut.txt");
}

// A removable drive whose disks the test port swaps in on request.
class FloppyDrive final : public platform::DriveQuery {
public:
    bool isRemovable(const std::filesystem::path&) const override { return true; }
    bool isReady(const std::filesystem::path&) const override { return true; }
    std::uint64_t freeSpace(const std::filesystem::path&) const override { return 0; }
    bool setVolumeLabel(const std::filesystem::path&, const std::string&) override { return false; }
};

class FloppyPort final : public RecordingPort {
public:
    FloppyPort(std::filesystem::path drivePath, std::vector<std::filesystem::path> disks)
        : drivePath_(std::move(drivePath)), disks_(std::move(disks)) {}
    bool askOkCancel(const std::string& text) override {
        questions.push_back(text);
        int number = 0;
        if (std::sscanf(text.c_str(), "Insert disk number %d", &number) != 1) return false;
        // The test data may be read-only, and a copy of it too, which Windows will not overwrite.
        std::filesystem::remove(drivePath_);
        std::filesystem::copy_file(disks_.at(static_cast<size_t>(number - 1)), drivePath_);
        std::filesystem::permissions(drivePath_, std::filesystem::perms::owner_write, std::filesystem::perm_options::add);
        return true;
    }

private:
    std::filesystem::path drivePath_;
    std::vector<std::filesystem::path> disks_;
};

TEST_F(ZipExtractorTest, ASpannedSetOnFloppiesIsReadDiskByDisk) {
    TESSARO_POSIX_ONLY("replaces the archive file while the extractor holds it open");
    const auto drive = dir / "floppy" / "set.zip";
    std::filesystem::create_directories(drive.parent_path());
    std::filesystem::copy_file(kTestData / "Infozip.nocomp.multi.zip", drive);
    FloppyDrive floppy;
    FloppyPort port(drive, {kTestData / "Infozip.nocomp.multi.z01", kTestData / "Infozip.nocomp.multi.zip"});
    TZipExtractor extractor(&port, &floppy);
    const auto out = extract(drive, extractor);
    EXPECT_TRUE(log.failures.empty());
    EXPECT_EQ(zlibCrc(readBytes(out / "exe" / "test.exe")), 0xCFB109C8u);
    EXPECT_EQ(zlibCrc(readBytes(out / "jpg" / "test.jpg")), 0x088814E3u);
    EXPECT_FALSE(port.questions.empty());
    EXPECT_EQ(port.questions[0], "Insert disk number 1 of the spanned disk set");

    // Cancel while an entry's data is read: that entry fails, and the archive is no longer
    // usable, so the next entry ends the extraction.
    RecordingPort refusing;
    refusing.okCancelAnswers = {false};
    std::filesystem::copy_file(kTestData / "Infozip.nocomp.multi.zip", drive, std::filesystem::copy_options::overwrite_existing);
    TZipExtractor interrupted(&refusing, &floppy);
    log.failures.clear();
    interrupted.setOnItemFailure(log.handler());
    interrupted.setFileName(drive);
    interrupted.setBaseDirectory(base("interrupted"));
    EXPECT_EQ(errorText([&] { interrupted.ExtractFiles("*.*"); }), "Archive does not exist - Filename is blank");
    ASSERT_EQ(log.failures.size(), 1u);
    EXPECT_EQ(log.failures[0].text, "Process aborted by user");
    EXPECT_EQ(log.failures[0].code, 9);

    // A spanned disk without its end record asks for the last disk; Cancel aborts.
    std::filesystem::copy_file(kTestData / "Infozip.nocomp.multi.z01", drive,
                               std::filesystem::copy_options::overwrite_existing);
    RecordingPort cancel;
    cancel.okCancelAnswers = {false};
    TZipExtractor aborted(&cancel, &floppy);
    EXPECT_EQ(errorText([&] { aborted.setFileName(drive); }), "Process aborted by user");
    EXPECT_EQ(cancel.questions, std::vector<std::string>{"Insert the last disk in the spanned disk set"});
}

}  // namespace
}  // namespace tessaro::archives
