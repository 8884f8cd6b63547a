// tessaro-cli driven end to end as a user's script drives it: exit statuses, standard output
// and standard error, with unzip, cabextract and the shared test archives as the other party.
#include "tests/cli/cli_fixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace tessaro::cli {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::StartsWith;
using tessaro::testing::readBytes;
using tessaro::testing::TempDir;

const fs::path kExamples = fs::path(TESSARO_SOURCE_DIR) / "examples";
const fs::path kTestZips = fs::path(TESSARO_SHARED_TESTDATA) / "zip";

TEST_F(CliTest, LookupFoundAndNotFound) {
    const std::string declaration = (kExamples / "declaration.xml").string();
    Outcome found = cli({"lookup", "--fee-xml", declaration, "04", " 123"});
    EXPECT_EQ(found.status, 0);
    EXPECT_EQ(found.out, "陳小明\tA123456789\t1130905\n");
    EXPECT_EQ(found.err, "");

    // A trailing blank makes the serial 0, as in the case list; the message shows it as typed.
    Outcome missing = cli({"lookup", "--fee-xml", declaration, "04", "123 "});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(missing.err, "案件分類04或流水號123 找不到\n");

    Outcome wrongCategory = cli({"lookup", "--fee-xml=" + declaration, "4", "123"});
    EXPECT_EQ(wrongCategory.status, 1);
    EXPECT_EQ(wrongCategory.err, "案件分類4或流水號123找不到\n");
}

TEST_F(CliTest, LookupErrorsAndUsage) {
    Outcome noFile = cli({"lookup", "--fee-xml", (dir / "none.xml").string(), "04", "1"});
    EXPECT_EQ(noFile.status, 1);
    EXPECT_EQ(noFile.err, "error: The specified file was not found.\n");

    EXPECT_EQ(cli({"lookup", "04", "1"}).status, 2);
    EXPECT_EQ(cli({"lookup", "--fee-xml", "x.xml", "04"}).status, 2);
    EXPECT_EQ(cli({"lookup", "--fee-xml", "x.xml", " ", "1"}).status, 2);
    EXPECT_EQ(cli({"frobnicate"}).status, 2);
    EXPECT_EQ(cli({}).status, 2);
    Outcome help = cli({"lookup", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_THAT(help.out, StartsWith("usage: tessaro-cli lookup"));
    EXPECT_THAT(cli({"--help"}).out, HasSubstr("extract"));
}

TEST_F(CliTest, ZipThenExtractGivesTheSameBytes) {
    const fs::path a = dir.write("in/病歷.txt", std::string(50000, 'x') + "陳小明");
    const fs::path b = dir.write("in/empty.bin", "");
    const fs::path package = dir / "case.zip";
    Outcome zip = cli({"zip", package.string(), a.string(), b.string()});
    ASSERT_EQ(zip.status, 0) << zip.err;
    EXPECT_EQ(shell("unzip", {"-tq", package.string()}).status, 0);

    Outcome list = cli({"list", package.string()});
    EXPECT_EQ(list.status, 0);
    EXPECT_THAT(list.out, HasSubstr("病歷.txt\tDeflated\t"));
    EXPECT_THAT(list.out, HasSubstr("empty.bin\tStored\t0\t0\t00000000\t"));

    Outcome extract = cli({"extract", package.string(), (dir / "out").string()});
    ASSERT_EQ(extract.status, 0) << extract.err;
    EXPECT_EQ(readBytes(dir / "out" / platform::pathFromUtf8("病歷.txt")), readBytes(a));
    EXPECT_EQ(readBytes(dir / "out" / "empty.bin"), "");

    // Adding the same unchanged file again keeps the package as it was.
    const std::string before = readBytes(package);
    EXPECT_EQ(cli({"zip", package.string(), a.string()}).status, 0);
    EXPECT_EQ(readBytes(package), before);
}

TEST_F(CliTest, ListShowsTheAttributesExtractApplies) {
    // Made by Python's zipfile: a Unix host with DOS bits below 0x10000 (no mode, so 0000),
    // a DOS host with a Unix mode 0444 above 0x20000, and a plain DOS entry.
    const fs::path archive = dir / "attributes.zip";
    const Outcome made = shell("python3", {"-c",
                                           "import sys,zipfile\n"
                                           "z=zipfile.ZipFile(sys.argv[1],'w')\n"
                                           "for name,host,attr in [('unixhost.txt',3,0x20),"
                                           "('dosmode.txt',0,0o100444<<16),('plain.txt',0,0x20)]:\n"
                                           "    i=zipfile.ZipInfo(name)\n"
                                           "    i.create_system=host\n"
                                           "    i.external_attr=attr\n"
                                           "    z.writestr(i,name)\n",
                                           archive.string()});
    ASSERT_EQ(made.status, 0) << made.err;

    const Outcome list = cli({"list", archive.string()});
    ASSERT_EQ(list.status, 0) << list.err;
    EXPECT_THAT(list.out, HasSubstr("unixhost.txt\tStored\t12\t12\t"));
    ASSERT_EQ(cli({"extract", archive.string(), (dir / "out").string()}).status, 0);
    for (const std::string name : {"unixhost.txt", "dosmode.txt", "plain.txt"}) {
        const size_t line = list.out.find(name + "\t");
        ASSERT_NE(line, std::string::npos) << name;
        const std::string row = list.out.substr(line, list.out.find('\n', line) - line);
        const std::string letters = row.substr(row.rfind('\t') + 1);
        const fs::perms permissions = fs::status(dir / "out" / name).permissions();
        const bool readOnly = (permissions & fs::perms::owner_write) == fs::perms::none;
        EXPECT_EQ(letters.find('R') != std::string::npos, readOnly) << row;
        EXPECT_EQ(readOnly, name != "plain.txt") << name;
    }
}

TEST_F(CliTest, ZipTakesEachFileLiterally) {
    // Names a mask would split, trim, hide, widen or cut at a drive colon.
    const std::vector<std::string> names = {"a;b.txt",   " lead.txt", "trail.txt ", ".dot.txt",
                                            "star*.txt", "q?.txt",    "a:b.txt"};
    std::vector<std::string> args = {"zip", (dir / "case.zip").string()};
    for (const auto& name : names) args.push_back(dir.write("in/" + name, "content of " + name).string());
    dir.write("in/star-other.txt", "matched by star*.txt as a mask");
    dir.write("in/qx.txt", "matched by q?.txt as a mask");
    const Outcome zip = cli(args);
    ASSERT_EQ(zip.status, 0) << zip.err;
    EXPECT_EQ(zip.err, "");

    const Outcome listed = shell("python3", {"-c",
                                             "import sys,zipfile\n"
                                             "z=zipfile.ZipFile(sys.argv[1])\n"
                                             "for i in z.infolist(): print(i.filename+'|'+z.read(i).decode())\n",
                                             (dir / "case.zip").string()});
    std::string expected;
    for (const auto& name : names) expected += name + "|content of " + name + "\n";
    EXPECT_EQ(listed.out, expected);
    EXPECT_EQ(shell("unzip", {"-tq", (dir / "case.zip").string()}).status, 0);
}

TEST_F(CliTest, ZipNamesWhatItCannotAddAndLeavesNoEmptyPackage) {
    const fs::path package = dir / "new.zip";
    fs::create_directories(dir / "folder");
    const Outcome nothing = cli({"zip", package.string(), (dir / "missing.txt").string(), (dir / "folder").string()});
    EXPECT_EQ(nothing.status, 1);
    EXPECT_EQ(nothing.err, (dir / "missing.txt").string() + ": no such file\n" + (dir / "folder").string() +
                               ": not a regular file\n");
    EXPECT_FALSE(fs::exists(package));

#ifndef _WIN32
    // Through a link to a package not yet made: the link stays, no empty file is left.
    fs::create_directories(dir / "real");
    fs::create_symlink("real/new.zip", dir / "link.zip");
    EXPECT_EQ(cli({"zip", (dir / "link.zip").string(), (dir / "missing.txt").string()}).status, 1);
    EXPECT_TRUE(fs::is_symlink(dir / "link.zip"));
    EXPECT_FALSE(fs::exists(dir / "real/new.zip"));
#endif

    // One good file among bad ones: the package is written, the failure still counts.
    const fs::path good = dir.write("good.txt", "good");
    const Outcome some = cli({"zip", package.string(), good.string(), (dir / "missing.txt").string()});
    EXPECT_EQ(some.status, 1);
    EXPECT_EQ(some.err, (dir / "missing.txt").string() + ": no such file\n");
    EXPECT_EQ(shell("unzip", {"-tq", package.string()}).status, 0);
}

TEST_F(CliTest, ExtractReportsFailingEntriesAndGoesOn) {
    Outcome evil = cli({"extract", (kTestZips / "Zip.Evil.zip").string(), (dir / "out").string()});
    EXPECT_EQ(evil.status, 1);
    EXPECT_THAT(evil.err, HasSubstr("evil.txt: Cannot extract file - path lies outside the base directory\n"));
    EXPECT_FALSE(fs::exists(dir.path().parent_path() / "Temp" / "evil.txt"));

    Outcome encrypted = cli({"extract", (kTestZips / "Zip.none.encrypted.zip").string(), (dir / "enc").string()});
    EXPECT_EQ(encrypted.status, 1);
    EXPECT_THAT(encrypted.err, HasSubstr(": Cannot extract file"));
}

TEST_F(CliTest, DamagedArchivesFailCleanly) {
    const std::string whole = readBytes(kTestZips / "Zip.deflate.zip");
    const fs::path cut = dir.write("cut.zip", whole.substr(0, whole.size() / 2));
    const fs::path junk = dir.write("junk.zip", "this is no archive at all");
    const fs::path badCab = dir.write("bad.cab", "MSCF" + std::string(40, '\xff'));
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"extract", cut.string(), (dir / "o1").string()},
             {"extract", junk.string(), (dir / "o2").string()},
             {"list", cut.string()},
             {"list", junk.string()},
             {"list", badCab.string()},
             {"list", (dir / "missing.zip").string()}}) {
        Outcome run = cli(args);
        EXPECT_EQ(run.status, 1) << args[0] << " " << args[1] << ": " << run.err;
        EXPECT_THAT(run.err, HasSubstr("error: ")) << args[1];
    }
}

TEST_F(CliTest, CabinetIsAcceptedByCabextractAndListed) {
    dir.write("case/DCF00000001.dcm", std::string(70000, '\x01'));
    dir.write("case/ATT00000002.pdf", "%PDF-1.4 tiny");
    dir.write("case/.hidden", "skipped");
    const fs::path cabinet = dir / "DCF.CAB";
    Outcome cab = cli({"cab", cabinet.string(), (dir / "case").string()});
    ASSERT_EQ(cab.status, 0) << cab.err;
    Outcome check = shell("cabextract", {"-t", cabinet.string()});
    EXPECT_EQ(check.status, 0) << check.out;
    EXPECT_THAT(check.out, HasSubstr("DCF00000001.dcm  OK"));
    EXPECT_THAT(check.out, ::testing::Not(HasSubstr(".hidden")));

    Outcome list = cli({"list", cabinet.string()});
    EXPECT_EQ(list.status, 0);
    EXPECT_THAT(list.out, HasSubstr("DCF00000001.dcm\tMSZIP\t-\t70000\t\t"));
    // The folder's compression type (after the 36-byte header and the folder's data offset and
    // block count) named for each kind, a number no format defines shown as it is.
    for (const auto& [type, name] : {std::pair{'\x02', "Quantum"}, {'\x03', "LZX"}, {'\x0F', "Unknown (15)"}}) {
        std::string bytes = readBytes(cabinet);
        bytes[42] = type;
        const fs::path patched = dir.write("patched.cab", bytes);
        EXPECT_THAT(cli({"list", patched.string()}).out, HasSubstr(std::string("DCF00000001.dcm\t") + name + "\t")) << name;
    }

    Outcome unwritable = cli({"cab", (dir / "no" / "x.cab").string(), (dir / "case").string()});
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_EQ(unwritable.err, "error: " + (dir / "no" / "x.cab").string() + ": Cabinet file could bot be created.\n");
}

TEST_F(CliTest, CabNamesTheFileOfEachErrorAndRefusesAFolderWithNothingToPack) {
    // Names outside code page 950 cannot be stored: each is an error line of its own.
    const fs::path korean = dir.write("case/한국.txt", "not in Big5");
    const fs::path smile = dir.write("case/smile\xF0\x9F\x98\x80.txt", "nor this");
    dir.write("case/ok.txt", "fine");
    const fs::path cabinet = dir / "ATT.CAB";
    const Outcome partly = cli({"cab", cabinet.string(), (dir / "case").string()});
    EXPECT_EQ(partly.status, 1);
    EXPECT_EQ(partly.err, "error: " + smile.string() + ": Error opening source file.\n" + "error: " + korean.string() +
                              ": Error opening source file.\n");
    EXPECT_THAT(shell("cabextract", {"-l", cabinet.string()}).out, HasSubstr("ok.txt"));

    // Only hidden files and a sub-folder: nothing to pack, no cabinet.
    dir.write("empty/.hidden", "skipped");
    fs::create_directories(dir / "empty" / "sub");
    const Outcome nothing = cli({"cab", (dir / "none.cab").string(), (dir / "empty").string()});
    EXPECT_EQ(nothing.status, 1);
    EXPECT_EQ(nothing.err, "error: " + (dir / "empty").string() + ": no file to pack.\n");
    EXPECT_FALSE(fs::exists(dir / "none.cab"));

    // Files that all fail: each is named, and no cabinet without files is left.
    dir.write("foreign/한국.txt", "not in Big5");
    const Outcome allFailed = cli({"cab", (dir / "foreign.cab").string(), (dir / "foreign").string()});
    EXPECT_EQ(allFailed.status, 1);
    EXPECT_EQ(allFailed.err, "error: " + (dir / "foreign/한국.txt").string() + ": Error opening source file.\n");
    EXPECT_FALSE(fs::exists(dir / "foreign.cab"));
}

#ifndef _WIN32
// The command line as a user who is not the files' owner: as the superuser, through setpriv
// as "nobody" (the superuser may do what these tests check is refused); otherwise as the
// user the tests run as. Empty when neither can be.
std::string asAnotherUser() {
    if (::geteuid() != 0) return shellArg(TESSARO_CLI);
    if (std::system("command -v setpriv >/dev/null 2>&1") != 0) return {};
    return "setpriv --reuid=65534 --regid=65534 --clear-groups " + shellArg(TESSARO_CLI);
}
#endif

TEST_F(CliTest, CabRefusesAFolderThatCannotBeListed) {
#ifdef _WIN32
    GTEST_SKIP() << "checks POSIX behaviour: a folder its owner may not list";
#else
    const std::string other = asAnotherUser();
    if (other.empty()) GTEST_SKIP() << "no way to run as a user who may not list the folder";
    fs::permissions(dir.path(), fs::perms::all);  // the other user writes the cabinet here
    dir.write("locked/a.txt", "hidden from the listing");
    fs::permissions(dir / "locked", fs::perms::owner_write | fs::perms::owner_exec);
    const Outcome locked = shell(other, {"cab", (dir / "locked.cab").string(), (dir / "locked").string()});
    EXPECT_EQ(locked.status, 1);
    EXPECT_THAT(locked.err, StartsWith("error: " + (dir / "locked").string() + ": "));
    EXPECT_FALSE(fs::exists(dir / "locked.cab"));
#endif
}

// A package or cabinet its user may not write is not replaced, whatever the folder allows:
// cp and gcab refuse too. (A read-only file is refused even to the superuser: see the
// engine's tests.)
TEST_F(CliTest, FilesTheUserMayNotWriteAreNotReplaced) {
#ifdef _WIN32
    GTEST_SKIP() << "checks POSIX behaviour: a file of another owner";
#else
    if (::geteuid() != 0) GTEST_SKIP() << "making a file of another owner needs the superuser";
    const std::string other = asAnotherUser();
    if (other.empty()) GTEST_SKIP() << "setpriv is missing";
    fs::permissions(dir.path(), fs::perms::all);
    const auto file = dir.write("in/a.txt", "new content");
    fs::permissions(dir / "in", fs::perms::all);
    fs::permissions(file, fs::perms::all);
    ASSERT_EQ(cli({"zip", (dir / "p.zip").string(), file.string()}).status, 0);
    ASSERT_EQ(cli({"cab", (dir / "r.cab").string(), (dir / "in").string()}).status, 0);
    for (const char* name : {"p.zip", "r.cab"}) {
        SCOPED_TRACE(name);
        const std::string before = readBytes(dir / name);
        fs::permissions(dir / name, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                                        fs::perms::others_read);  // 0644, owned by the superuser
        const bool zip = std::string(name) == "p.zip";
        dir.write("in/a.txt", "newer content");
        const Outcome refused = shell(other, zip ? std::vector<std::string>{"zip", (dir / name).string(), file.string()}
                                               : std::vector<std::string>{"cab", (dir / name).string(), (dir / "in").string()});
        EXPECT_EQ(refused.status, 1);
        EXPECT_THAT(refused.err, HasSubstr(zip ? "Permission denied" : "Cabinet file could bot be created")) << refused.err;
        EXPECT_EQ(readBytes(dir / name), before);
        struct stat st {};
        ASSERT_EQ(::stat((dir / name).c_str(), &st), 0);
        EXPECT_EQ(st.st_uid, 0u);
    }
#endif
}

}  // namespace
}  // namespace tessaro::cli
