// tessaro-cli make, import and check driven as a user's script drives them: the bundled
// example, sampling files plain and zipped with attachments from a setting table, stops and
// messages, and the checker's verdicts.
#include "platform/code_page.h"
#include "tests/cli/cli_fixture.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <map>

#ifndef _WIN32
#include <signal.h>
#include <unistd.h>

#include <random>
#endif

namespace tessaro::cli {
namespace {

namespace fs = std::filesystem;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

const fs::path kSource = TESSARO_SOURCE_DIR;

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        result.push_back(text.substr(start, end - start));
    return result;
}

std::string big5Lines(const std::vector<std::string>& text) {
    std::string joined;
    for (const std::string& line : text) joined += line + "\r\n";
    return platform::encodeCodePage(joined);
}

class MakeTest : public CliTest {
protected:
    // tessaro-cli run from the repository's root, where the example's relative paths hold.
    Outcome fromSource(const std::vector<std::string>& args) const { return shell(shellArg(TESSARO_CLI), args, kSource); }

    fs::path app() const { return dir / "app"; }
    fs::path upload() const { return app() / "Upload" / "11309"; }
    std::string record(const std::string& name, const std::string& bytes) const { return dir.write("rec/" + name, bytes).string(); }
};

TEST_F(MakeTest, TheExampleGivesCheckedPackagesAndNamesThemOnStandardOutput) {
    // "." in the folder given does not show in the paths printed.
    const Outcome made =
        fromSource({"make", "--dir", (app() / "." / "Upload" / "..").string(), "--import", "examples/settings.txt", "--seq", "7"});
    EXPECT_EQ(made.status, 0) << made.err;
    const std::vector<std::string> packages = lines(made.out);
    ASSERT_EQ(packages.size(), 3u) << made.out;
    for (const std::string& package : packages) {
        EXPECT_TRUE(fs::path(package).is_absolute()) << package;
        EXPECT_EQ(fs::path(package).parent_path(), upload());
    }
    EXPECT_THAT(packages[0], HasSubstr("_007.zip"));
    EXPECT_THAT(packages[2], HasSubstr("_009.zip"));
    EXPECT_THAT(made.err, StartsWith("匯入完成\n製作完成: 檔案放在" + upload().string() + "/ 請自行到VPN上傳 製作紀錄:" +
                                     (app() / "Records" / "11309").string() + "/"));
    EXPECT_THAT(made.err, ::testing::EndsWith(".csv\n"));

    std::vector<std::string> checkArgs = {"check"};
    checkArgs.insert(checkArgs.end(), packages.begin(), packages.end());
    const Outcome checked = cli(checkArgs);
    EXPECT_EQ(checked.status, 0) << checked.out;
    EXPECT_EQ(checked.out, "");
    EXPECT_TRUE(fs::is_directory(app() / "DATA"));
    EXPECT_TRUE(fs::is_directory(app() / "ATT"));
}

TEST_F(MakeTest, MessagesGoToStandardErrorAndAStopFailsTheRun) {
    const std::string declaration = (kSource / "examples" / "declaration.xml").string();
    const std::string pdf = record("a.pdf", "%PDF");
    dir.write("table.txt", big5Lines({declaration, "04,123,<ATT>(A)" + pdf, "04,999,<ATT>(A)" + pdf,
                                      "A1,7,<ATT>(A)" + (dir / "rec" / "gone.pdf").string(), "09,31,<ATT>(B)" + pdf}));
    const Outcome made = cli({"make", "--dir", app().string(), "--import", (dir / "table.txt").string()});
    EXPECT_EQ(made.status, 1);
    EXPECT_THAT(lines(made.err), ElementsAre("第3行的案件分類04或流水號999找不到", "匯入完成",
                                             "第2筆病歷檔案:" + (dir / "rec" / "gone.pdf").string() + "不存在"));
    // The first case's package was written before the stop, and stays.
    ASSERT_EQ(lines(made.out).size(), 1u);
    EXPECT_THAT(lines(made.out)[0], StartsWith((upload() / "3501200000_").string()));
    EXPECT_THAT(lines(made.out)[0], ::testing::EndsWith("_001.zip"));
    EXPECT_TRUE(fs::exists(lines(made.out)[0]));
}

// A second session of the day into the same folder: the example's packages stay as they are,
// and the run stops before writing anything, naming the first free sequence number; an error
// that names no file gets a line of its own that does.
TEST_F(MakeTest, ASecondSessionOfTheDayKeepsTheFirstSessionsPackages) {
    ASSERT_EQ(fromSource({"make", "--dir", app().string(), "--import", "examples/settings.txt"}).status, 0);
    const std::vector<fs::path> made = {fs::directory_iterator(upload()), fs::directory_iterator()};
    std::map<fs::path, std::string> before;
    for (const fs::path& file : made) before[file] = tessaro::testing::readBytes(file);

    const std::string pdf = record("a.pdf", "%PDF");
    dir.write("one.txt", big5Lines({(kSource / "examples" / "declaration.xml").string(), "09,31,<ATT>(D)" + pdf}));
    const Outcome second = cli({"make", "--dir", app().string(), "--import", (dir / "one.txt").string()});
    EXPECT_EQ(second.status, 1);
    EXPECT_THAT(second.err, HasSubstr("_001.zip屬於另一個案件"));
    // Number 3 holds this very case (09/31) and may be made anew.
    EXPECT_THAT(second.err, HasSubstr("當日序號從3起的檔名都可使用"));
    EXPECT_EQ(second.out, "");
    for (const auto& [file, bytes] : before) EXPECT_EQ(tessaro::testing::readBytes(file), bytes) << file;
    EXPECT_EQ(std::distance(fs::directory_iterator(upload()), fs::directory_iterator()), static_cast<long>(made.size()));

    dir.write("two.txt", big5Lines({(kSource / "examples" / "declaration.xml").string(), "09,31,<ATT>(D)" + pdf + "(D)" + pdf}));
    const Outcome clash = cli({"make", "--dir", app().string(), "--import", (dir / "two.txt").string(), "--seq", "4"});
    EXPECT_EQ(clash.status, 1);
    EXPECT_THAT(lines(clash.err), ElementsAre("匯入完成", "error: The specified file already exists.",
                                              StartsWith("第1筆(案件分類 09，流水號 31)：" + pdf + "，原因：複製為")));
}

TEST_F(MakeTest, SamplingFilesPlainAndZippedTakeAttachmentsFromATable) {
    const std::string pdf = record("chart.pdf", "%PDF-1.4 chart");
    const std::string xml = record("emr.xml", "<emr/>");
    // A heading line, then two cases; the header values come from the file itself.
    const std::string csv = big5Lines({"醫事機構代碼,費用年月,申報類別,申報日期,案件分類,流水號,x,身分證號,x,x,x,姓名,x,就醫日期",
                                       "'3501200000,11309,2,1131015,04,123,x,A123456789,x,x,x,陳小明,x,1130905",
                                       "3501200000,11309,2,1131015,A1,7,x,C134567890,x,x,x,王大同,x,1130920"});
    const fs::path plain = dir.write("in/cases-SMP.csv", csv);
    const fs::path table = dir.write("attach.txt", big5Lines({"", "04,123,<ATT>(A)" + pdf, "a1,0007,<EMR>(A)" + xml, "09,5,<ATT>(A)" + pdf}));

    const Outcome listed = cli({"import", "--dir", app().string(), plain.string()});
    EXPECT_EQ(listed.status, 0) << listed.err;
    EXPECT_EQ(listed.out, "04\t123\t陳小明\tA123456789\t1130905\t\nA1\t7\t王大同\tC134567890\t1130920\t\n");

    const Outcome made = cli({"make", "--dir", app().string(), "--import", plain.string(), "--attachments", table.string()});
    EXPECT_EQ(made.status, 0) << made.err;
    EXPECT_EQ(lines(made.out).size(), 2u);
    EXPECT_THAT(made.err, HasSubstr(table.string() + ": line 4 (09,5) matches no imported case\n"));
    EXPECT_EQ(cli({"check", lines(made.out)[0], lines(made.out)[1]}).status, 0);

    // The same file inside a .zip, with the upload and declaration categories given.
    ASSERT_EQ(shell("cd " + shellArg((dir / "in").string()) + " && zip -q ../SMP.zip cases-SMP.csv", {}).status, 0);
    fs::remove_all(app() / "Upload");
    const Outcome zipped = cli({"make", "--dir", app().string(), "--import", (dir / "SMP.zip").string(), "--attachments",
                                table.string(), "--upload-type", "2", "--declaration-type", "4"});
    EXPECT_EQ(zipped.status, 0) << zipped.err;
    ASSERT_EQ(lines(zipped.out).size(), 2u);
    const auto xmlFiles = shell("unzip -p " + shellArg(lines(zipped.out)[0]) + " 'XML*'", {});
    EXPECT_THAT(platform::decodeCodePage(xmlFiles.out), HasSubstr("<c1>2</c1>"));
    EXPECT_THAT(platform::decodeCodePage(xmlFiles.out), HasSubstr("<c5>4</c5>"));
}

TEST_F(MakeTest, WrongCommandLinesAreUsageErrors) {
    EXPECT_EQ(cli({"make", "--dir", app().string()}).status, 2);
    EXPECT_EQ(cli({"make", "--import", "x.txt", "--seq", "1000"}).status, 2);
    EXPECT_EQ(cli({"make", "--import", "x.txt", "--seq", "0"}).status, 2);
    EXPECT_EQ(cli({"make", "--import", "x.txt", "--upload-type", "4"}).status, 2);
    EXPECT_EQ(cli({"make", "--import", "x.txt", "--declaration-type", "3"}).status, 2);
    EXPECT_EQ(cli({"import"}).status, 2);
    EXPECT_EQ(cli({"check"}).status, 2);
    // A file that cannot be imported is the import's own error, not a usage error.
    const Outcome missing = cli({"make", "--dir", app().string(), "--import", (dir / "none.txt").string()});
    EXPECT_EQ(missing.status, 1);
    EXPECT_THAT(missing.err, StartsWith("error: Cannot open file"));
}

TEST_F(MakeTest, CheckNamesEachProblemAfterItsPackage) {
    const Outcome made = fromSource({"make", "--dir", app().string(), "--import", "examples/settings.txt"});
    ASSERT_EQ(made.status, 0) << made.err;
    const std::string good = lines(made.out)[0];
    const fs::path bad = dir / "bad" / fs::path(good).filename();
    fs::create_directories(bad.parent_path());
    ASSERT_EQ(shell("cp " + shellArg(good) + " " + shellArg(bad.string()) + " && zip -q -d " + shellArg(bad.string()) + " 'XML*'", {}).status, 0);
    const Outcome checked = cli({"check", good, bad.string()});
    EXPECT_EQ(checked.status, 1);
    EXPECT_THAT(lines(checked.out), ElementsAre(bad.string() + ": the package holds no document"));
}

// Packages rebuilt by Python's zipfile with one fault each: `check` names each one.
TEST_F(MakeTest, CheckFindsDamagedCabinetsMisplacedEntriesAndIllFormedDocuments) {
    const Outcome made = fromSource({"make", "--dir", app().string(), "--import", "examples/settings.txt"});
    ASSERT_EQ(made.status, 0) << made.err;
    const std::string good = lines(made.out)[0];
    const std::string name = fs::path(good).filename().string();
    const auto variant = [&](const std::string& folder, const std::string& python) {
        const fs::path bad = dir / folder / name;
        fs::create_directories(bad.parent_path());
        const std::string script =
            "import sys, zipfile\n"
            "src = zipfile.ZipFile(sys.argv[1])\n"
            "items = [(i.filename, src.read(i)) for i in src.infolist()]\n" +
            python +
            "with zipfile.ZipFile(sys.argv[2], 'w', zipfile.ZIP_DEFLATED) as out:\n"
            "    for n, b in items: out.writestr(n, b)\n";
        const fs::path scriptFile = dir.write(folder + ".py", script);
        EXPECT_EQ(shell("python3", {scriptFile.string(), good, bad.string()}).status, 0);
        return bad.string();
    };
    const std::string cabinet = variant("cab", "n, b = items[0]\nitems[0] = (n, b[:-40] + bytes(x ^ 0x55 for x in b[-40:]))\n");
    const std::string order = variant("order", "items = items[-1:] + items[:-1]\n");
    const std::string document = variant("doc", "items[-1] = (items[-1][0], b'<?xml version=\"1.0\" encoding=\"Big5\"?><feereview><a>1</b>')\n");

    const Outcome checked = cli({"check", good, cabinet, order, document});
    EXPECT_EQ(checked.status, 1);
    const auto found = lines(checked.out);
    const auto about = [&](const std::string& package) {
        std::vector<std::string> mine;
        for (const auto& line : found)
            if (line.starts_with(package + ": ")) mine.push_back(line.substr(package.size() + 2));
        return mine;
    };
    EXPECT_TRUE(about(good).empty());
    EXPECT_THAT(about(cabinet), ElementsAre(HasSubstr("cabinet")));
    EXPECT_THAT(about(order), Contains(HasSubstr("follows the document")));
    EXPECT_THAT(about(document), Contains(StartsWith("document: ")));
}

// A file that is not there is refused before anything is touched, as the open dialog never
// gives one: the working folder "DATA" keeps what it holds.
TEST_F(MakeTest, AFileThatIsNotThereTouchesNothing) {
    dir.write("app/DATA/keep.txt", "kept");
    for (const char* missing : {"gone.zip", "gone-SMP.csv", "gone.txt"}) {
        SCOPED_TRACE(missing);
        const Outcome imported = cli({"import", "--dir", app().string(), (dir / missing).string()});
        EXPECT_EQ(imported.status, 1);
        EXPECT_EQ(imported.err, "error: Cannot open file \"" + (dir / missing).string() + "\". No such file or directory.\n");
        EXPECT_TRUE(fs::exists(app() / "DATA" / "keep.txt"));
    }
}

// A path is judged by the file it names: "SMPd/../plain.csv" is plain.csv, no sampling file.
TEST_F(MakeTest, APathIsJudgedByTheFileItNames) {
    dir.write("plain.csv", big5Lines({"3501200000,11309,1,1131015,04,55,x,A123456789,x,x,x,新月,x,1130905"}));
    fs::create_directories(dir / "SMPd");
    const Outcome imported = cli({"import", "--dir", app().string(), (dir / "SMPd" / ".." / "plain.csv").string()});
    EXPECT_EQ(imported.status, 1);
    EXPECT_EQ(imported.err, (dir / "plain.csv").string() + "不是正確抽審檔\n");
}

// The paths of the packages are what a script reads: output that cannot be written fails.
TEST_F(MakeTest, StandardOutputThatCannotBeWrittenFailsTheRun) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    const Outcome made = shell(shellArg(TESSARO_CLI) + " make --dir " + shellArg(app().string()) +
                                   " --import examples/settings.txt >/dev/full",
                               {}, kSource);
    EXPECT_EQ(made.status, 1);
    EXPECT_THAT(made.err, HasSubstr("error: Cannot write to standard output."));
}

#ifndef _WIN32
// Runs on one program folder beside one that is still working, or was killed.
class FolderSharingTest : public MakeTest {
protected:
    // A setting table of one case with one record file.
    fs::path table(const std::string& name, const std::string& caseLine) const {
        return dir.write(name, big5Lines({(kSource / "examples" / "declaration.xml").string(), caseLine}));
    }
    // A record of 40 MB that does not compress, so that copying and packing it take a while.
    std::string bigRecord() const {
        std::mt19937_64 random(7);
        std::string bytes(40 << 20, '\0');
        for (std::size_t i = 0; i + 8 <= bytes.size(); i += 8) {
            const std::uint64_t value = random();
            std::memcpy(bytes.data() + i, &value, 8);
        }
        return record("big.pdf", bytes);
    }
    // Every entry below the program folder with its size and time.
    std::map<fs::path, std::pair<std::uintmax_t, fs::file_time_type>> tree() const {
        std::map<fs::path, std::pair<std::uintmax_t, fs::file_time_type>> entries;
        for (const auto& entry : fs::recursive_directory_iterator(app()))
            entries[entry.path()] = {entry.is_regular_file() ? entry.file_size() : 0, entry.last_write_time()};
        return entries;
    }
    // The temporary files of packages in the output folder.
    std::vector<std::string> leftovers() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(upload()))
            if (entry.path().filename().string().starts_with(".~zip")) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

// While a run works on a program folder, a second make or a zip import on it is refused at
// once with the message and changes nothing; the first run goes on undisturbed.
TEST_F(FolderSharingTest, ASecondRunOnTheFolderIsRefusedAndTouchesNothing) {
    const fs::path first = table("first.txt", "04,123,<ATT>(A)" + bigRecord());
    const fs::path second = table("second.txt", "09,31,<ATT>(A)" + record("small.pdf", "%PDF small"));
    dir.write("in/11309SMP.csv", big5Lines({"3501200000,11309,1,1131015,04,55,x,A123456789,x,x,x,新月,x,1130905"}));
    ASSERT_EQ(shell("cd " + shellArg((dir / "in").string()) + " && zip -q ../SMP.zip 11309SMP.csv", {}).status, 0);

    Background running({"make", "--dir", app().string(), "--import", first.string(), "--seq", "1"}, dir / "first.out",
                       dir / "first.err");
    ASSERT_TRUE(running.started());
    // Held still while it copies its record.
    ASSERT_TRUE(waitUntil([&] { return fs::exists(app() / "ATT" / "11A04000123001.PDF"); }));
    running.signal(SIGSTOP);
    ASSERT_TRUE(running.running());
    const auto before = tree();
    const std::string inUse = "程式資料夾" + app().string() + "/正由另一個製作或匯入使用中，本次沒有執行，也沒有變更任何檔案。請等它完成後再試。\n";
    const Outcome made = cli({"make", "--dir", app().string(), "--import", second.string(), "--seq", "101"});
    EXPECT_EQ(made.status, 1);
    EXPECT_EQ(made.err, "匯入完成\n" + inUse);
    EXPECT_EQ(made.out, "");
    const Outcome imported = cli({"import", "--dir", app().string(), (dir / "SMP.zip").string()});
    EXPECT_EQ(imported.status, 1);
    EXPECT_EQ(imported.err, inUse);
    EXPECT_EQ(tree(), before);

    running.signal(SIGCONT);
    EXPECT_EQ(running.wait(), 0) << tessaro::testing::readBytes(dir / "first.err");
    const std::vector<std::string> packages = lines(tessaro::testing::readBytes(dir / "first.out"));
    ASSERT_EQ(packages.size(), 1u);
    const Outcome checked = cli({"check", packages[0]});
    EXPECT_EQ(checked.status, 0) << checked.out;
    // The folder is free again once the first run has ended.
    EXPECT_EQ(cli({"make", "--dir", app().string(), "--import", second.string(), "--seq", "101"}).status, 0);
}

// A run killed while it writes a package leaves nothing under the package's name (over an
// earlier package: that package as it was); its lock does not hold up the next run, which
// removes the temporary files it finds, and until then `check` names them.
TEST_F(FolderSharingTest, AKilledRunLeavesNoPackageUnderItsNameAndTheNextRunTidiesUp) {
    const fs::path small = table("small.txt", "09,31,<ATT>(A)" + record("small.pdf", "%PDF small"));
    const fs::path big = table("big.txt", "04,123,<ATT>(A)" + bigRecord());
    const Outcome made = cli({"make", "--dir", app().string(), "--import", small.string(), "--seq", "1"});
    ASSERT_EQ(made.status, 0) << made.err;
    const std::string earlier = lines(made.out)[0];
    std::string name = fs::path(earlier).filename().string();  // hospital_date_001.zip
    const fs::path package = upload() / name.replace(name.size() - 7, 3, "002");
    // Killed as soon as the new package's image is being written beside its name (a second
    // name of an earlier package, kept meanwhile, does not count).
    const auto killWhilePackaging = [&] {
        Background run({"make", "--dir", app().string(), "--import", big.string(), "--seq", "2"}, dir / "big.out", dir / "big.err");
        EXPECT_TRUE(waitUntil([&] {
            if (!fs::exists(upload())) return false;
            const auto names = leftovers();
            std::error_code ec;
            return std::any_of(names.begin(), names.end(), [&](const std::string& n) { return !fs::equivalent(upload() / n, package, ec); });
        }));
        run.signal(SIGKILL);
        EXPECT_EQ(run.wait(), 128 + SIGKILL);
    };

    killWhilePackaging();
    EXPECT_FALSE(fs::exists(package));
    ASSERT_THAT(leftovers(), ElementsAre(StartsWith(".~zip" + package.filename().string() + ".")));
    const Outcome stray = cli({"check", earlier});
    EXPECT_EQ(stray.status, 1);
    EXPECT_EQ(stray.out, (upload() / leftovers()[0]).string() + ": a temporary file of the package " +
                             package.filename().string() +
                             " left by a run that did not finish; it is no package and not to be uploaded (the next"
                             " run into this folder removes it)\n");

    const Outcome again = cli({"make", "--dir", app().string(), "--import", big.string(), "--seq", "2"});
    ASSERT_EQ(again.status, 0) << again.err;
    EXPECT_THAT(leftovers(), ::testing::IsEmpty());
    const Outcome clean = cli({"check", earlier, package.string()});
    EXPECT_EQ(clean.status, 0) << clean.out;
    EXPECT_EQ(clean.out, "");

    // Over the earlier package: killed while the new one is written beside it.
    const std::string complete = tessaro::testing::readBytes(package);
    killWhilePackaging();
    EXPECT_EQ(tessaro::testing::readBytes(package), complete);
    EXPECT_EQ(shell("python3", {"-c", "import sys, zipfile; sys.exit(zipfile.ZipFile(sys.argv[1]).testzip() is not None)",
                                package.string()})
                  .status,
              0);
}

// "DATA" that keeps an earlier month's sampling file (here one the importing user may not
// remove): the archive's own sampling file is taken, never the leftover.
TEST_F(MakeTest, ALeftoverSamplingFileIsNeverTakenForTheArchives) {
    if (::geteuid() != 0 || std::system("command -v setpriv >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "needs the superuser to leave a file another user cannot remove";
    const std::string csv = big5Lines({"3501200000,11309,1,1131015,04,55,x,A123456789,x,x,x,新月,x,1130905"});
    const std::string old = big5Lines({"3501200000,11308,1,1130915,04,44,x,A123456789,x,x,x,舊月,x,1130805"});
    dir.write("in/11309SMP.csv", csv);
    ASSERT_EQ(shell("cd " + shellArg((dir / "in").string()) + " && zip -q ../new.zip 11309SMP.csv", {}).status, 0);
    dir.write("app/DATA/11308SMP.csv", old);
    fs::permissions(dir.path(), fs::perms::all);
    fs::permissions(app(), fs::perms::all);
    fs::permissions(app() / "DATA", fs::perms::all | fs::perms::sticky_bit);
    fs::permissions(dir / "new.zip", fs::perms::all);
    const Outcome imported = shell("setpriv --reuid=65534 --regid=65534 --clear-groups " + shellArg(TESSARO_CLI),
                                   {"import", "--dir", app().string(), (dir / "new.zip").string()});
    EXPECT_EQ(imported.status, 0) << imported.err;
    EXPECT_EQ(imported.out, "04\t55\t新月\tA123456789\t1130905\t\n");
}
#endif

}  // namespace
}  // namespace tessaro::cli
