// The cabinet builder component: what AddFolder and AddFile collect, how Compress reports,
// and the cabinets it leaves behind (read back with our reader and checked by cabextract).
#include "archives/cab/cab_folder_scan.h"
#include "archives/cab/cab_records.h"
#include "archives/cab/cab_support.h"
#include "archives/cab/cabinet_reader.h"
#include "tests/archives/cab/cab_test_support.h"
#include "tests/support/folder_link.h"
#include "tests/support/recording_port.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace tessaro::archives::cab {
namespace {

namespace fs = std::filesystem;
using tessaro::testing::FolderLink;
using tessaro::testing::RecordingPort;
using tessaro::testing::TempDir;

std::vector<std::string> storedNames(const fs::path& cabinet) {
    std::vector<std::string> names;
    const CabinetReader reader(cabinet);
    for (const auto& e : reader.entries()) names.push_back(e.rawName);
    return names;
}

std::string contentOf(const fs::path& cabinet, const std::string& name) {
    CabinetReader reader(cabinet);
    for (size_t i = 0; i < reader.entries().size(); ++i)
        if (reader.entries()[i].rawName == name) {
            MemorySink sink;
            reader.extract(i, sink);
            return sink.str();
        }
    return "<missing>";
}

std::string mask(const TempDir& dir, const std::string& sub = "") { return (dir.path() / sub).string() + "/*.*"; }

// True when a temporary cabinet was left behind in `folder`.
bool leftovers(const fs::path& folder) {
    for (const auto& e : fs::directory_iterator(folder))
        if (e.path().filename().string().starts_with(".~cab")) return true;
    return false;
}

#ifndef _WIN32
unsigned modeOf(const fs::path& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0u;
}
#endif

// Sets the process's umask for one scope.
class ScopedUmask {
public:
    explicit ScopedUmask(mode_t mask) : old_(::umask(mask)) {}
    ~ScopedUmask() { ::umask(old_); }
    ScopedUmask(const ScopedUmask&) = delete;
    ScopedUmask& operator=(const ScopedUmask&) = delete;

private:
    mode_t old_;
};

// ---- Collecting files ----

TEST(CabAddFolder, TakesFilesInNameOrderAndSkipsDotNamesFoldersAndSpecialFiles) {
    TESSARO_POSIX_ONLY("a named pipe from mkfifo, names hidden by a leading dot");
    TempDir dir;
    dir.write("in/b.pdf", "bbb");
    dir.write("in/a.pdf", "aa");
    dir.write("in/.secret", "s");
    dir.write("in/sub/c.txt", "c");
    ASSERT_EQ(tessaro::testing::runCommand("mkfifo " + tessaro::testing::shellQuote(dir / "in/pipe")).status, 0);
    RecordingPort port;
    TCabCompress cab(port);
    cab.AddFolder(mask(dir, "in"));
    ASSERT_EQ(cab.FileCount(), 2);
    EXPECT_EQ(cab.Item(0).ShortFileName(), "a.pdf");
    EXPECT_EQ(cab.Item(1).ShortFileName(), "b.pdf");
    EXPECT_EQ(cab.Item(0).FileName, (dir / "in/a.pdf").string());
    EXPECT_EQ(cab.Item(0).FileSize, 2);
    EXPECT_EQ(cab.Item(0).DestinationPath, "");
    EXPECT_GT(cab.Item(0).FileDate, 40000.0);  // a date after 2009
    // Pending messages run before each entry: .secret, a.pdf, b.pdf, pipe, sub.
    EXPECT_EQ(port.pendingMessageCalls, 5);

    cab.FileName = (dir / "out.cab").string();
    EXPECT_TRUE(cab.Compress());
    EXPECT_EQ(storedNames(dir / "out.cab"), (std::vector<std::string>{"a.pdf", "b.pdf"}));
}

TEST(CabAddFolder, RecursesWithDestinationPathsOnlyWhenAsked) {
    TempDir dir;
    dir.write("in/a.txt", "a");
    dir.write("in/sub/c.txt", "c");
    dir.write("in/sub/deeper/d.txt", "d");
    dir.write("in/sub/.hidden/e.txt", "e");
    RecordingPort port;
    TCabCompress cab(port);
    cab.AddFolder(mask(dir, "in"), "", true);
    cab.AddFolder(mask(dir, "in"), "dst", true);
    cab.AddFolder(mask(dir, "in"), "dst2\\");
    cab.AddFolder("   ");
    cab.FileName = (dir / "out.cab").string();
    ASSERT_TRUE(cab.Compress());
    EXPECT_EQ(storedNames(dir / "out.cab"),
              (std::vector<std::string>{"a.txt", "sub\\c.txt", "sub\\deeper\\d.txt", "dst\\a.txt", "dst\\sub\\c.txt",
                                        "dst\\sub\\deeper\\d.txt", "dst2\\a.txt"}));
    EXPECT_EQ(contentOf(dir / "out.cab", "dst\\sub\\deeper\\d.txt"), "d");
}

// Links to folders are not followed, so a tree that links back to its own top ends; the
// deepest tree a path can reach (about 2,000 levels on Linux) is walked without running out
// of stack, under the sanitizers' larger frames too.
TEST(CabAddFolder, ALinkLoopEndsAndTheDeepestTreeIsWalked) {
    TESSARO_POSIX_ONLY("symbolic links and path lengths of a POSIX file system");
    TempDir dir;
    dir.write("in/a.txt", "a");
    dir.write("in/sub/b.txt", "b");
    fs::create_directory_symlink("../..", dir / "in/sub/loop");
    std::string deep = "in/deep";
    fs::create_directories(dir / deep);
    while (((dir.path() / deep).string() + "/x/f.txt").size() < 4000) {
        deep += "/x";
        fs::create_directory(dir / deep);  // one level at a time: create_directories gives up earlier
    }
    dir.write(deep + "/f.txt", "f");

    RecordingPort port;
    TCabCompress cab(port);
    cab.AddFolder(mask(dir, "in"), "", true);
    ASSERT_EQ(cab.FileCount(), 3);
    EXPECT_EQ(cab.Item(1).ShortFileName(), "f.txt");
    EXPECT_EQ(cab.Item(2).DestinationPath, "sub\\");
}

// A link to a folder is not followed on any platform (on Windows a junction is a link too):
// its files lie elsewhere.
TEST(CabAddFolder, ALinkToAFolderIsNotFollowed) {
    TempDir dir;
    dir.write("in/a.txt", "a");
    dir.write("in/sub/b.txt", "b");
    dir.write("elsewhere/c.txt", "c");
    const FolderLink link(dir / "elsewhere", dir / "in/sub/link");
    if (!link.made()) GTEST_SKIP() << FolderLink::whyNotMade();
    RecordingPort port;
    TCabCompress cab(port);
    cab.AddFolder(mask(dir, "in"), "", true);
    ASSERT_EQ(cab.FileCount(), 2);
    EXPECT_EQ(cab.Item(1).ShortFileName(), "b.txt");
}

TEST(CabAddFolder, MatchesMasksLikeWindows) {
    EXPECT_TRUE(matchesMask("README", "*.*"));
    EXPECT_TRUE(matchesMask("Report.PDF", "*.pdf"));
    EXPECT_TRUE(matchesMask("a1.txt", "a?.t*"));
    EXPECT_FALSE(matchesMask("a12.txt", "a?.txt"));
    EXPECT_FALSE(matchesMask("x.pdf", ""));
    EXPECT_FALSE(matchesMask("x.pdfx", "*.pdf"));
}

TEST(CabAddFile, KeepsTheDestinationPathExactlyAsGiven) {
    TempDir dir;
    const auto c = dir.write("c.txt", "see");
    RecordingPort port;
    TCabCompress cab(port);
    cab.AddFile(c.string(), "x");
    cab.AddFile(c.string(), "x\\");
    cab.AddFile((dir / "missing.txt").string(), "");
    EXPECT_EQ(cab.Item(0).FileSize, 3);
    EXPECT_EQ(cab.Item(2).FileSize, -1);
    EXPECT_EQ(cab.Item(2).FileDate, 0.0);
    cab.FileName = (dir / "out.cab").string();
    EXPECT_TRUE(cab.Compress());
    EXPECT_EQ(cab.LastError(), 1);  // the missing file
    EXPECT_EQ(storedNames(dir / "out.cab"), (std::vector<std::string>{"xc.txt", "x\\c.txt"}));
}

TEST(CabItems, LookupSelectionAndCurrentSizes) {
    TempDir dir;
    const auto a = dir.write("a.txt", "12345");
    RecordingPort port;
    TCabCompress cab(port);
    cab.AddFile(a.string(), "");
    cab.AddFile((dir / "A.txt").string(), "");
    cab.AddFile(dir.path().string(), "");
    EXPECT_EQ(cab.ItemByName(a.string()), &cab.Item(0));
    EXPECT_EQ(cab.ItemByName((dir / "A.TXT").string()), nullptr);
    cab.Item(1).Selected = true;
    EXPECT_EQ(cab.Items.SelCount(), 1);

    dir.write("a.txt", "1234567");
#ifdef _WIN32
    // Windows file names ignore case: A.txt is a.txt.
    EXPECT_EQ(cab.OriginalFileSize(), 14);
    EXPECT_EQ(cab.Item(1).FileSize, 7);
#else
    EXPECT_EQ(cab.OriginalFileSize(), 7);
    EXPECT_EQ(cab.Item(1).FileSize, -1);
#endif
    EXPECT_EQ(cab.Item(0).FileSize, 7);
    EXPECT_EQ(cab.Item(2).FileSize, -1);  // a folder
    cab.Reset();
    EXPECT_EQ(cab.FileCount(), 0);
}

// ---- Compress ----

TEST(CabCompress, ReportsRunningTotalsAndStartFinishAndCanRunTwice) {
    TempDir dir;
    dir.write("in/a.bin", tessaro::testing::randomBytes(50000, 1));
    dir.write("in/b.txt", tessaro::testing::textLikeBytes(90000, 2));
    RecordingPort port;
    TCabCompress cab(port);
    cab.AddFolder(mask(dir, "in"));
    std::vector<std::string> events;
    std::int64_t lastSource = 0, lastCab = 0;
    cab.OnStart = [&](TCustomCabComponent&) { events.push_back("start"); };
    cab.OnFinish = [&](TCustomCabComponent&) { events.push_back("finish"); };
    cab.OnProgress = [&](TCustomCabComponent&, const std::string& name, std::int32_t index, std::int64_t source, std::int64_t cabSize) {
        EXPECT_GE(source, lastSource);
        EXPECT_GE(cabSize, lastCab);
        EXPECT_EQ(name, cab.Item(index).FileName);
        lastSource = source;
        lastCab = cabSize;
    };
    for (const char* name : {"one.cab", "two.cab"}) {
        cab.FileName = (dir / name).string();
        port.pendingMessageCalls = 0;
        ASSERT_TRUE(cab.Compress());
        EXPECT_EQ(port.pendingMessageCalls, 2);  // before each file
        EXPECT_EQ(cab.SourceFileSize(), 140000);
        EXPECT_EQ(lastSource, 140000);
        EXPECT_EQ(lastCab, cab.CompressedFileSize());
        EXPECT_EQ(cab.LastError(), 0);
        lastSource = lastCab = 0;
    }
    EXPECT_EQ(events, (std::vector<std::string>{"start", "finish", "start", "finish"}));
    EXPECT_EQ(storedNames(dir / "one.cab"), storedNames(dir / "two.cab"));
    EXPECT_EQ(tessaro::testing::readBytes(dir / "one.cab"), tessaro::testing::readBytes(dir / "two.cab"));
}

// A file that vanished, and one larger than a cabinet can hold (refused before it is read:
// no data block of it is ever written), are reported; the rest is still written.
TEST(CabCompress, AVanishedFileIsReportedAndTheRestStillWritten) {
    TESSARO_NEEDS_PEER_TOOLS("cabextract");
    TempDir dir;
    dir.write("in/a.txt", "aaa");
    dir.write("in/b.txt", "bbb");
    dir.write("in/bb.dat", "");
    fs::resize_file(dir / "in/bb.dat", kMaxFolderInput + 1);  // sparse
    dir.write("in/c.txt", "ccc");
    RecordingPort port;
    TCabCompress cab(port);
    cab.AddFolder(mask(dir, "in"));
    fs::remove(dir / "in/b.txt");
    std::vector<std::uint16_t> errors;
    cab.OnError = [&](TCustomCabComponent&, std::uint16_t code) { errors.push_back(code); };
    cab.FileName = (dir / "out.cab").string();
    EXPECT_TRUE(cab.Compress());
    EXPECT_EQ(errors, (std::vector<std::uint16_t>{1, 9}));
    EXPECT_EQ(cab.LastError(), 9);
    EXPECT_EQ(cab.SourceFileSize(), 6);
    EXPECT_EQ(storedNames(dir / "out.cab"), (std::vector<std::string>{"a.txt", "c.txt"}));
    EXPECT_EQ(contentOf(dir / "out.cab", "c.txt"), "ccc");
    const auto check = tessaro::testing::runCommand("cabextract -t " + tessaro::testing::shellQuote(dir / "out.cab"));
    EXPECT_EQ(check.status, 0) << check.output;
}

TEST(CabCompress, ACabinetThatCannotBeCreatedReportsCode6AndLeavesNothing) {
    TempDir dir;
    dir.write("in/a.txt", "aaa");
    RecordingPort port;
    TCabCompress cab(port);
    cab.AddFolder(mask(dir, "in"));
    cab.FileName = (dir / "no/such/folder/out.cab").string();
    EXPECT_FALSE(cab.Compress());
    EXPECT_EQ(cab.LastError(), 6);

    // A folder in the way of the name: the partial file beside it is removed again.
    fs::create_directories(dir / "blocked.cab/inner");
    cab.FileName = (dir / "blocked.cab").string();
    EXPECT_FALSE(cab.Compress());
    EXPECT_EQ(cab.LastError(), 6);
    EXPECT_FALSE(leftovers(dir.path()));

    // An existing cabinet survives a failed rebuild untouched.
    cab.FileName = (dir / "keep.cab").string();
    ASSERT_TRUE(cab.Compress());
    const std::string before = tessaro::testing::readBytes(dir / "keep.cab");
    cab.CompressionType = cctLZX;
    EXPECT_FALSE(cab.Compress());
    EXPECT_EQ(cab.LastError(), 5);
    EXPECT_EQ(tessaro::testing::readBytes(dir / "keep.cab"), before);
}

TEST(CabCompress, NewCabinetsHonourTheUmaskAsGcabDoes) {
#ifdef _WIN32
    GTEST_SKIP() << "checks POSIX behaviour: permission bits and the umask";
#else
    TempDir dir;
    const auto input = dir.write("in/record.pdf", "medical record");
    RecordingPort port;
    TCabCompress cab(port);
    cab.AddFolder(mask(dir, "in"));
    for (const mode_t umask : {077, 027, 022}) {
        SCOPED_TRACE(umask);
        const ScopedUmask scoped(umask);
        const fs::path ours = dir / ("ours" + std::to_string(umask) + ".cab");
        const fs::path gcab = dir / ("gcab" + std::to_string(umask) + ".cab");
        cab.FileName = ours.string();
        ASSERT_TRUE(cab.Compress());
        ASSERT_EQ(tessaro::testing::runCommand("gcab -c " + tessaro::testing::shellQuote(gcab) + " " +
                                               tessaro::testing::shellQuote(input))
                      .status,
                  0);
        EXPECT_EQ(modeOf(ours), 0666u & ~umask);
        EXPECT_EQ(modeOf(ours), modeOf(gcab));
    }
#endif
}

TEST(CabCompress, AReadOnlyCabinetIsNotReplaced) {
#ifdef _WIN32
    GTEST_SKIP() << "checks POSIX behaviour: permission bits and the umask";
#else
    TempDir dir;
    dir.write("in/a.txt", "new content");
    const auto existing = dir.write("old.cab", "an older cabinet");
    ::chmod(existing.c_str(), 0444);
    RecordingPort port;
    TCabCompress cab(port);
    cab.AddFolder(mask(dir, "in"));
    cab.FileName = existing.string();
    EXPECT_FALSE(cab.Compress());
    EXPECT_EQ(cab.LastError(), 6);
    EXPECT_EQ(tessaro::testing::readBytes(existing), "an older cabinet");
    EXPECT_EQ(modeOf(existing), 0444u);
    EXPECT_FALSE(leftovers(dir.path()));
#endif
}

TEST(CabCompress, AnyNameTheFileSystemTakesWorksAndLinksAreFollowed) {
    TESSARO_NEEDS_PEER_TOOLS("cabextract");
    TempDir dir;
    dir.write("in/a.txt", "aaa");
    RecordingPort port;
    TCabCompress cab(port);
    cab.AddFolder(mask(dir, "in"));
    for (const size_t length : {248u, 255u}) {
        const fs::path longName = dir / (std::string(length - 4, 'n') + ".CAB");
        cab.FileName = longName.string();
        EXPECT_TRUE(cab.Compress()) << length;
        EXPECT_EQ(cab.LastError(), 0) << length;
        const auto check = tessaro::testing::runCommand("cabextract -t " + tessaro::testing::shellQuote(longName));
        EXPECT_EQ(check.status, 0) << check.output;
    }

    // A link to a cabinet elsewhere: the cabinet it names is written, the link stays.
    fs::create_directories(dir / "real");
    fs::create_symlink("real/case.cab", dir / "link.cab");
    cab.FileName = (dir / "link.cab").string();
    ASSERT_TRUE(cab.Compress());
    EXPECT_TRUE(fs::is_symlink(dir / "link.cab"));
    EXPECT_EQ(contentOf(dir / "real" / "case.cab", "a.txt"), "aaa");
    EXPECT_FALSE(leftovers(dir.path()));
    EXPECT_FALSE(leftovers(dir / "real"));
}

TEST(CabCompress, RaisesECabErrorWhenAskedAndStillFinishes) {
    TempDir dir;
    RecordingPort port;
    TCabCompress cab(port);
    cab.AddFile((dir / "gone.txt").string(), "");
    cab.FileName = (dir / "out.cab").string();
    cab.RaiseExceptions = true;
    int finished = 0;
    cab.OnFinish = [&](TCustomCabComponent&) { ++finished; };
    try {
        cab.Compress();
        FAIL() << "no ECabError";
    } catch (const ECabError& e) {
        EXPECT_EQ(std::string(e.what()), "Error opening source file");
        EXPECT_EQ(e.code(), 1);
    }
    EXPECT_EQ(finished, 1);
    EXPECT_FALSE(fs::exists(dir / "out.cab"));
    EXPECT_FALSE(leftovers(dir.path()));
}

TEST(CabCompress, NamesOutsideCodePage950CannotBeStored) {
    TempDir dir;
    const auto odd = dir.write("smile\xF0\x9F\x98\x80.txt", "x");
    const auto big5 = dir.write("病歷.txt", "y");
    RecordingPort port;
    TCabCompress cab(port);
    cab.AddFile(odd.string(), "");
    cab.AddFile(big5.string(), "");
    cab.FileName = (dir / "out.cab").string();
    EXPECT_TRUE(cab.Compress());
    EXPECT_EQ(cab.LastError(), 1);
    const CabinetReader reader(dir / "out.cab");
    ASSERT_EQ(reader.entries().size(), 1u);
    EXPECT_EQ(reader.entries()[0].rawName, "\xAF\x66\xBE\xFA.txt");  // Big5 bytes, no UTF-8 flag
    EXPECT_EQ(reader.entries()[0].name, "病歷.txt");
    EXPECT_EQ(reader.entries()[0].attributes & 0x80, 0);
}

TEST(CabCompress, SurvivesTheListBeingEmptiedWhileMessagesRun) {
    struct ResettingPort : RecordingPort {
        TCabCompress* cab = nullptr;
        void processPendingMessages() override {
            RecordingPort::processPendingMessages();
            if (cab && pendingMessageCalls == 2) cab->Reset();
        }
    };
    TempDir dir;
    dir.write("in/a.txt", "a");
    dir.write("in/b.txt", "b");
    dir.write("in/c.txt", "c");
    ResettingPort port;
    TCabCompress cab(port);
    cab.AddFolder(mask(dir, "in"));
    port.pendingMessageCalls = 0;
    port.cab = &cab;
    cab.FileName = (dir / "out.cab").string();
    EXPECT_TRUE(cab.Compress());
    EXPECT_EQ(storedNames(dir / "out.cab"), (std::vector<std::string>{"a.txt"}));
}

TEST(CabCompress, CompressionWordsAndErrorTexts) {
    RecordingPort port;
    TCabCompress cab(port);
    EXPECT_EQ(cab.GetCompType(), 1);
    cab.CompressionType = cctNone;
    EXPECT_EQ(cab.GetCompType(), 0);
    cab.CompressionType = cctLZX;
    EXPECT_EQ(cab.GetCompType(), 3 + 256 * 21);
    cab.CompressionLZXLevel = cllLowest;
    EXPECT_EQ(cab.GetCompType(), 3 + 256 * 15);
    EXPECT_EQ(cabErrorText(0), "No error");
    EXPECT_EQ(cabErrorText(6), "Cabinet file could bot be created");
    EXPECT_EQ(cabErrorText(8), "Compression error");
    EXPECT_EQ(cabErrorText(9), "Unknown error code");
    EXPECT_EQ(cabErrorText(400), "Unknown error code");
}

}  // namespace
}  // namespace tessaro::archives::cab
