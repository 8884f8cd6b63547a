// The package checker on a package the run wrote and on copies of it that Python's zipfile
// rewrote with one fault each: an entry dropped, entries reordered, a cabinet or the document
// changed, the ZIP data itself damaged.
#include "platform/code_page.h"
#include "production/package_check.h"
#include "production/production_run.h"
#include "tests/support/peer_tools.h"
#include "tests/support/recording_port.h"
#include "tests/support/temp_dir.h"

#include <gmock/gmock.h>

#include <fstream>

namespace tessaro::production {
namespace {

namespace fs = std::filesystem;
namespace peers = tessaro::testing::peers;
using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using tessaro::testing::readBytes;

// Rewrites a ZIP archive: "drop NAME", "order NAME...", "put NAME FILE" (replace or add).
constexpr const char* kRewriteScript = R"(import sys, zipfile
src, dst, op = sys.argv[1], sys.argv[2], sys.argv[3]
args = sys.argv[4:]
z = zipfile.ZipFile(src)
items = [(i.filename, z.read(i.filename)) for i in z.infolist()]
if op == 'drop':
    items = [(n, d) for n, d in items if n != args[0]]
elif op == 'order':
    data = dict(items)
    items = [(n, data[n]) for n in args]
elif op == 'put':
    new = open(args[1], 'rb').read()
    if any(n == args[0] for n, _ in items):
        items = [(n, new if n == args[0] else d) for n, d in items]
    else:
        items.append((args[0], new))
with zipfile.ZipFile(dst, 'w', zipfile.ZIP_DEFLATED) as out:
    for n, d in items:
        out.writestr(n, d)
)";

class Cases final : public RunCases {
public:
    std::vector<AttachmentFacts> files;
    std::size_t count() const override { return 1; }
    CaseFacts facts(std::size_t) const override { return {"04", "123", "<ATT>x", "A123456789"}; }
    std::vector<AttachmentFacts> attachments(std::size_t) const override { return files; }
    void packageMade(std::size_t, const fs::path& package) override { made = package; }
    fs::path made;
};

class PackageCheckTest : public ::testing::Test {
protected:
    testing::TempDir dir;
    fs::path package;

    void SetUp() override {
        testing::RecordingPort port;
        RunSettings settings;
        settings.appPath = (dir / "app").string() + "/";
        settings.headerSource = HeaderSource::headerBoxes;
        settings.hospitalCodeBox = "0123456789";
        settings.feeYearMonthBox = "11309";
        settings.declarationDateBox = "1131015";
        settings.uploadType = settings.declarationType = "1";
        settings.clock = [] { return dateTimeOf({2024, 10, 31}); };
        Cases cases;
        cases.files = {{"DCF", 'B', dir.write("in/DICOMDIR", std::string(5000, 'd')).string()},
                       {"ATT", 'A', dir.write("in/scan.pdf", "%PDF-1.4 scan").string()},
                       {"ATT", 'C', dir.write("in/README", "no extension").string()},
                       {"EMR", 'A', dir.write("in/note.xml", "<note/>").string()}};
        std::string yyymm, update;
        ASSERT_EQ(runProduction(settings, cases, {yyymm, update}, port).outcome, RunOutcome::completed);
        package = cases.made;
        dir.write("rewrite.py", kRewriteScript);
    }

    // A copy of the package rewritten by Python's zipfile; same file name, another folder.
    fs::path rewritten(const std::string& operation) {
        static int count = 0;
        const fs::path copy = dir / ("copy" + std::to_string(++count)) / package.filename();
        fs::create_directories(copy.parent_path());
        const auto outcome = peers::run("python3 " + peers::shellQuote(dir / "rewrite.py") + " " + peers::shellQuote(package) +
                                        " " + peers::shellQuote(copy) + " " + operation);
        EXPECT_EQ(outcome.exitCode, 0) << outcome.output;
        return copy;
    }

    fs::path withDocument(const std::string& from, const std::string& to) {
        std::string text = platform::decodeCodePage(documentBytes());
        const auto at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        if (at != std::string::npos) text.replace(at, from.size(), to);
        dir.write("doc.XML", platform::encodeCodePage(text));
        return rewritten("put XML0123456789_2024103100000001.XML " + peers::shellQuote(dir / "doc.XML"));
    }

    std::string documentBytes() const { return readBytes(dir / "app" / "Upload" / "11309" / "XML0123456789_2024103100000001.XML"); }
};

TEST_F(PackageCheckTest, AcceptsWhatTheRunWritesAndWhatZipfileRewritesFromIt) {
    TESSARO_NEEDS_PEER_TOOLS("python3", "unzip");
    EXPECT_THAT(checkPackage(package), IsEmpty());
    EXPECT_THAT(checkPackage(rewritten("order ATT0123456789_2024103100000001.CAB EMR0123456789_2024103100000001.CAB "
                                       "DCF0123456789_2024103100000001.CAB XML0123456789_2024103100000001.XML")),
                IsEmpty());
}

TEST_F(PackageCheckTest, FindsMissingAndMisplacedEntries) {
    TESSARO_NEEDS_PEER_TOOLS("python3", "unzip");
    EXPECT_THAT(checkPackage(rewritten("drop XML0123456789_2024103100000001.XML")), Contains("the package holds no document"));
    EXPECT_THAT(checkPackage(rewritten("order EMR0123456789_2024103100000001.CAB ATT0123456789_2024103100000001.CAB "
                                       "DCF0123456789_2024103100000001.CAB XML0123456789_2024103100000001.XML")),
                Contains(HasSubstr("is out of order")));
    EXPECT_THAT(checkPackage(rewritten("order ATT0123456789_2024103100000001.CAB XML0123456789_2024103100000001.XML "
                                       "EMR0123456789_2024103100000001.CAB DCF0123456789_2024103100000001.CAB")),
                Contains(HasSubstr("follows the document")));
    // The cabinet with the ATT files is gone: the document names files no cabinet holds.
    EXPECT_THAT(checkPackage(rewritten("drop ATT0123456789_2024103100000001.CAB")),
                Contains("the document names '11A04000123001.PDF' (ATT), which no ATT cabinet holds"));
}

TEST_F(PackageCheckTest, FindsDamagedCabinetsAndDamagedZipData) {
    TESSARO_NEEDS_PEER_TOOLS("python3", "unzip");
    std::string cabinet = readBytes(dir / "app" / "DATA" / "EMR0123456789_2024103100000001.CAB");
    cabinet[cabinet.size() - 3] ^= 0x55;  // inside the last data block: its checksum no longer fits
    dir.write("bad.CAB", cabinet);
    EXPECT_THAT(checkPackage(rewritten("put EMR0123456789_2024103100000001.CAB " + peers::shellQuote(dir / "bad.CAB"))),
                Contains(HasSubstr("the cabinet 'EMR0123456789_2024103100000001.CAB' cannot be read")));

    // One byte of the first entry's data flipped: its CRC (or its Deflate data) fails.
    std::string zip = readBytes(package);
    const std::size_t dataStart = 30 + static_cast<unsigned char>(zip[26]) + static_cast<unsigned char>(zip[28]);
    zip[dataStart + 40] ^= 0x20;
    const fs::path damaged = dir / "damaged" / package.filename();
    dir.write("damaged/" + package.filename().string(), zip);
    EXPECT_THAT(checkPackage(damaged), Contains(HasSubstr("cannot be extracted")));
    EXPECT_THAT(checkPackage(dir / "nothing.zip"), Contains(HasSubstr("cannot be read as a ZIP archive")));
}

TEST_F(PackageCheckTest, FindsDocumentsThatAreIllFormedOrOutOfFormat) {
    TESSARO_NEEDS_PEER_TOOLS("python3", "unzip");
    EXPECT_THAT(checkPackage(withDocument("<c10>A123456789</c10>", "<c10>A&B<C</c10>")),
                Contains(HasSubstr("unescaped \"&\"")));
    EXPECT_THAT(checkPackage(withDocument("<c10>A123456789</c10>", "<c10>A<B</c10>")),
                Contains(HasSubstr("unescaped \"<\"")));
    EXPECT_THAT(checkPackage(withDocument("</cbody>", "")), Contains(HasSubstr("is closed by")));
    EXPECT_THAT(checkPackage(withDocument("<c4>11309</c4>", "<c4>11313</c4>")), Contains(HasSubstr("no ROC year-month")));
    EXPECT_THAT(checkPackage(withDocument("<c7>04</c7>", "<c7>07</c7>")), Contains(HasSubstr("no case category")));
    EXPECT_THAT(checkPackage(withDocument("<c8>000123</c8>", "<c8>000000</c8>")), Contains(HasSubstr("<c8>")));
    EXPECT_THAT(checkPackage(withDocument("<c6>20241015</c6>", "<c6>18991230</c6>")), Contains(HasSubstr("zero date")));
    EXPECT_THAT(checkPackage(withDocument("<c2>0123456789</c2>", "<c2>9999999999</c2>")),
                Contains(HasSubstr("is not the package's")));
    EXPECT_THAT(checkPackage(withDocument("<f1>11A04000123001.PDF</f1>\r\n<f2>PDF</f2>",
                                          "<f1>11A04000123001.PDF</f1>\r\n<f2>PDF</f2>\r\n<f9>x</f9>")),
                Contains(HasSubstr("<fdata> holds")));
    // A file listed that no cabinet holds.
    EXPECT_THAT(checkPackage(withDocument("</cbody>", "<fdata>\r\n<f1>11A04000123001.JPG</f1>\r\n<f2>JPG</f2>\r\n<f3>ATT</f3>\r\n"
                                                      "<f4>病歷本文(含基本資料、醫護診斷及圖檔等)</f4>\r\n</fdata>\r\n</cbody>")),
                Contains("the document names '11A04000123001.JPG' (ATT), which no ATT cabinet holds"));
    // A document that is not Big5.
    dir.write("utf8.XML", "\xEF\xBB\xBF" + platform::decodeCodePage(documentBytes()));
    EXPECT_THAT(checkPackage(rewritten("put XML0123456789_2024103100000001.XML " + peers::shellQuote(dir / "utf8.XML"))),
                Contains(HasSubstr("byte-order mark")));
}

TEST_F(PackageCheckTest, FindsNamesThatDisagree) {
    const fs::path renamed = dir / "renamed" / "0123456789_1131031_002.zip";
    fs::create_directories(renamed.parent_path());
    fs::copy_file(package, renamed);
    const auto problems = checkPackage(renamed);
    EXPECT_THAT(problems, Contains(HasSubstr("does not agree with the package's name")));
    EXPECT_THAT(problems, Contains(HasSubstr("is not named after the document's case")));
    fs::rename(renamed, renamed.parent_path() / "package.zip");
    EXPECT_THAT(checkPackage(renamed.parent_path() / "package.zip"), Contains(HasSubstr("the package's name is not")));
}

}  // namespace
}  // namespace tessaro::production
