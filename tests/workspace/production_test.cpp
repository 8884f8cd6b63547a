// The production run end to end: from a Big5 fee declaration, case rows and generated record
// files to the packages in the output folder, checked byte for byte where the format is fixed
// and by unzip, 7zz and cabextract everywhere.
#include "app/workspace/handler_boundary.h"
#include "platform/code_page.h"
#include "platform/path_text.h"
#include "production/package_check.h"
#include "production/roc_dates.h"
#include "tests/support/peer_tools.h"
#include "tests/workspace/workspace_fixture.h"

#include <gmock/gmock.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>

#include <sys/stat.h>

namespace tessaro::workspace {
namespace {

namespace fs = std::filesystem;
namespace peers = tessaro::testing::peers;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using production::RunOutcome;
using tessaro::testing::readBytes;

const std::string kHeader = "<tdata><t2>0123456789</t2><t3>11309</t3><t6>1131015</t6></tdata>";

class ProductionTest : public WorkspaceTest {
protected:
    void SetUp() override {
        writeDeclarationWithHeader(kHeader);
        ws.setClock([] { return production::dateTimeOf({2024, 10, 31}) + 0.75; });
    }

    void writeDeclarationWithHeader(const std::string& header) {
        ws.panel().CXMLfile =
            dir.write("fee.xml", platform::encodeCodePage(declarationText({{"04", "123", "A123456789", "1130901", "王小明"}}, header)))
                .string();
    }

    // A record file with contents of its own, below the folder "records".
    std::string record(const std::string& name, std::size_t size = 3000) {
        std::string bytes;
        for (std::size_t i = 0; i < size; ++i) bytes += static_cast<char>((i * 7 + name.size() * 13 + i / 97) % 251);
        return dir.write("records/" + name, bytes).string();
    }

    // A case row as the window holds it after an import and attaching files.
    CaseRowId caseRow(const std::string& category, const std::string& serial, const std::string& attachments,
                      const std::string& id = "A123456789") {
        const CaseRowId rowId = addCase(category, serial);
        CaseRow& r = ws.cases()[indexOf(rowId)];
        r.cells[kIdCell] = id;
        r.cells[kAttachmentCell] = attachments;
        return rowId;
    }

    RunOutcome run() {
        RunOutcome outcome = RunOutcome::stopped;
        runHandler(port, [&] { outcome = ws.CmakeAuditClick().outcome; });
        return outcome;
    }

    fs::path output() const { return dir / "Upload" / "11309"; }
    std::vector<std::string> outputNames() const {
        std::vector<std::string> names;
        if (!fs::exists(output())) return names;
        for (const auto& entry : fs::directory_iterator(output())) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    // The entry names of a package in their order, as unzip lists them.
    static std::vector<std::string> entryNames(const fs::path& package) {
        const auto listing = peers::run("unzip -Z1 " + peers::shellQuote(package));
        std::vector<std::string> names;
        std::istringstream lines(listing.output);
        for (std::string line; std::getline(lines, line);) names.push_back(line);
        return names;
    }

    // Unpacks a package and its cabinets with unzip and cabextract: every file, by name. The
    // package checker must find nothing wrong with it either.
    std::map<std::string, std::string> unpack(const fs::path& package) {
        EXPECT_THAT(production::checkPackage(package), IsEmpty());
        const fs::path into = dir / ("unpacked-" + package.stem().string());
        fs::create_directories(into);
        EXPECT_EQ(peers::unzipInto(package, into), "");
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::directory_iterator(into)) {
            if (entry.path().extension() != ".CAB") continue;
            EXPECT_EQ(peers::cabinetComplaints(entry.path()), "");
            const fs::path cabinetFiles = into / (entry.path().stem().string() + "-files");
            EXPECT_EQ(peers::cabextractInto(entry.path(), cabinetFiles), "");
            for (auto& [name, bytes] : peers::readTree(cabinetFiles)) files[name] = std::move(bytes);
        }
        return files;
    }
};

std::string big5Lines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return platform::encodeCodePage(text);
}

// ---- The document and the names ----------------------------------------------------------

TEST_F(ProductionTest, WorkedExampleGivesTheDocumentByteForByteAndTheNamedFiles) {
    TESSARO_NEEDS_PEER_TOOLS("unzip", "cabextract");
    const std::string chart = record("chart1.pdf");
    caseRow("04", "123", "<ATT>(B)" + chart);
    EXPECT_EQ(run(), RunOutcome::completed);

    const fs::path document = output() / "XML0123456789_2024103100000001.XML";
    EXPECT_EQ(readBytes(document),
              big5Lines({"<?xml version=\"1.0\" encoding=\"Big5\"?>", "<feereview>", "<cdata>", "<chead>", "<c1>1</c1>",
                         "<c2>0123456789</c2>", "<c3>11</c3>", "<c4>11309</c4>", "<c5>1</c5>", "<c6>20241015</c6>",
                         "</chead>", "<cbody>", "<c7>04</c7>", "<c8>000123</c8>", "<c10>A123456789</c10>", "<fdata>",
                         "<f1>11B04000123001.PDF</f1>", "<f2>PDF</f2>", "<f3>ATT</f3>",
                         "<f4>病歷本文(含基本資料、醫護診斷及圖檔等)</f4>", "</fdata>", "</cbody>", "</cdata>",
                         "</feereview>"}));

    const fs::path package = output() / "0123456789_1131031_001.zip";
    EXPECT_THAT(outputNames(), ElementsAre("0123456789_1131031_001.zip", "XML0123456789_2024103100000001.XML"));
    EXPECT_THAT(entryNames(package), ElementsAre("ATT0123456789_2024103100000001.CAB", "XML0123456789_2024103100000001.XML"));
    EXPECT_TRUE(fs::exists(dir / "DATA" / "ATT0123456789_2024103100000001.CAB"));
    EXPECT_EQ(peers::packageComplaints(package), "");
    const auto files = unpack(package);
    ASSERT_EQ(files.count("11B04000123001.PDF"), 1u);
    EXPECT_EQ(files.at("11B04000123001.PDF"), readBytes(chart));

    EXPECT_EQ(row(0).cells[kNoteCell], "已製");
    EXPECT_THAT(port.messages, ElementsAre("製作完成:\r\n檔案放在" + (dir / "Upload" / "11309").string() +
                                           "/\r\n請自行到VPN上傳\r\n製作紀錄:" +
                                           (dir / "Records" / "11309" / "20241031-180000.csv").string()));
    EXPECT_EQ(ws.values().INSUyyymm, "11309");
    EXPECT_EQ(ws.values().INSUupdate, "1131015");
}

TEST_F(ProductionTest, AllThreeKindsGoIntoCabinetsInTheOrderAttEmrDcf) {
    TESSARO_NEEDS_PEER_TOOLS("unzip", "cabextract");
    const std::string emr = record("護理紀錄.xml");
    const std::string dicom = record("DICOMDIR");
    const std::string att = record("scan.pdf");
    // The text lists EMR first; the list and the document take DCF, ATT, EMR.
    caseRow("A1", "1234567", "<EMR>(C)" + emr + "<ATT>(A)" + att + "<DCF>(B)" + dicom);
    ws.panel().CINSUtype = 3;  // "5:申復補報"
    ws.panel().CuploadType = 2;  // "3.補件"
    EXPECT_EQ(run(), RunOutcome::completed);

    const fs::path package = output() / "0123456789_1131031_001.zip";
    EXPECT_THAT(entryNames(package),
                ElementsAre("ATT0123456789_2024103100000001.CAB", "EMR0123456789_2024103100000001.CAB",
                            "DCF0123456789_2024103100000001.CAB", "XML0123456789_2024103100000001.XML"));
    EXPECT_EQ(peers::packageComplaints(package), "");
    const auto files = unpack(package);
    // Serial 1234567: six digits in ATT and EMR names, three in the DICOM name.
    EXPECT_EQ(files.at("A1567001"), readBytes(dicom));
    EXPECT_EQ(files.at("11AA1234567001.PDF"), readBytes(att));
    EXPECT_EQ(files.at("11CA1234567001.XML"), readBytes(emr));

    const std::string document = platform::decodeCodePage(readBytes(output() / "XML0123456789_2024103100000001.XML"));
    EXPECT_THAT(document, ::testing::HasSubstr("<c1>3</c1>"));
    EXPECT_THAT(document, ::testing::HasSubstr("<c5>5</c5>"));
    EXPECT_THAT(document, ::testing::HasSubstr("<c8>1234567</c8>"));
    EXPECT_THAT(document, ::testing::HasSubstr("<fdata>\r\n<f1>DICOMDIR</f1>\r\n<f2>DICOM</f2>\r\n<f3>DCF</f3>\r\n<f4>"));
    EXPECT_THAT(document, ::testing::HasSubstr("<fdata>\r\n<f1>11CA1234567001.XML</f1>\r\n<f2>XML</f2>\r\n<f3>EMR</f3>\r\n</fdata>"));
    EXPECT_LT(document.find("DICOMDIR"), document.find("11AA1234567001.PDF"));
    EXPECT_LT(document.find("11AA1234567001.PDF"), document.find("11CA1234567001.XML"));
}

TEST_F(ProductionTest, SequenceNumbersSkipNoNumberForSkippedCasesAndGrowPast999) {
    TESSARO_NEEDS_PEER_TOOLS("unzip", "cabextract");
    ws.panel().CtodayNo = 999;
    caseRow("04", "123", "<ATT>(A)" + record("a.pdf"));
    caseRow("04", "124", "  ");         // blank attachment text: skipped
    caseRow("04", "abc", "<ATT>(A)x");  // no serial: skipped
    caseRow("04", "125", "<EMR>(A)" + record("b.xml"));  // lower-case .xml is accepted
    EXPECT_EQ(run(), RunOutcome::completed);

    EXPECT_THAT(port.messages, ElementsAre("第2筆病歷檔案資料空白", "第3筆病歷流水號錯誤", ::testing::StartsWith("製作完成:")));
    EXPECT_THAT(outputNames(), ElementsAre("0123456789_1131031_1000.zip", "0123456789_1131031_999.zip",
                                           "XML0123456789_2024103100000999.XML", "XML0123456789_2024103100001000.XML"));
    EXPECT_THAT(entryNames(output() / "0123456789_1131031_1000.zip"),
                ElementsAre("EMR0123456789_2024103100001000.CAB", "XML0123456789_2024103100001000.XML"));
    EXPECT_EQ(unpack(output() / "0123456789_1131031_1000.zip").count("11A040001251000.XML"), 1u);
    EXPECT_EQ(row(0).cells[kNoteCell], "已製");
    EXPECT_EQ(row(1).cells[kNoteCell], "");
    EXPECT_EQ(row(3).cells[kNoteCell], "已製");
    EXPECT_EQ(ws.panel().CtodayNo, 999);  // the box is never written back
}

TEST_F(ProductionTest, AnAttachmentWithoutExtensionAndTwoCasesWithTheirOwnDocuments) {
    TESSARO_NEEDS_PEER_TOOLS("unzip", "cabextract");
    const std::string plain = record("README");
    caseRow("04", "7", "<ATT>(D)" + plain, "B1");
    caseRow("09", "8", "<ATT>(A)" + record("c.pdf"), "B2");
    EXPECT_EQ(run(), RunOutcome::completed);

    const std::string first = platform::decodeCodePage(readBytes(output() / "XML0123456789_2024103100000001.XML"));
    EXPECT_THAT(first, ::testing::HasSubstr("<c8>000007</c8>\r\n<c10>B1</c10>"));
    EXPECT_THAT(first, ::testing::HasSubstr("<f1>11D04000007001.</f1>\r\n<f2></f2>"));
    EXPECT_THAT(first, ::testing::Not(::testing::HasSubstr("B2")));
    // The copy itself has no extension, as a Windows copy of that name has.
    EXPECT_EQ(unpack(output() / "0123456789_1131031_001.zip").at("11D04000007001"), readBytes(plain));
    const std::string second = platform::decodeCodePage(readBytes(output() / "XML0123456789_2024103100000002.XML"));
    EXPECT_THAT(second, ::testing::HasSubstr("<c7>09</c7>\r\n<c8>000008</c8>\r\n<c10>B2</c10>"));
}

// The run reads every case's attachment text and leaves the attachment list to the case the
// user chose: a file added there afterwards goes into that case.
TEST_F(ProductionTest, TheAttachmentListKeepsShowingTheChosenCase) {
    const CaseRowId chosen = caseRow("04", "7", "<ATT>(A)" + record("a.pdf"), "B1");
    const CaseRowId other = caseRow("09", "8", "<EMR>(A)" + record("b.xml"), "B2");
    ws.cases().select(indexOf(chosen));
    ws.CauditListClick();
    ASSERT_EQ(run(), RunOutcome::completed);
    ASSERT_EQ(ws.attachments().size(), 1u);
    EXPECT_EQ(ws.attachments()[0].file, record("a.pdf"));

    ws.CattAddClick();
    port.openAnswers.push_back(record("c.pdf"));
    ws.getAttfile(ws.attachmentRowDrawn(1));
    const std::string chosenFile = fs::path(record("c.pdf")).make_preferred().string();  // as a dialog gives it
    EXPECT_EQ(row(indexOf(chosen)).cells[kAttachmentCell], "<ATT>(A)" + record("a.pdf") + "(A)" + chosenFile);
    EXPECT_EQ(row(indexOf(other)).cells[kAttachmentCell], "<EMR>(A)" + record("b.xml"));
}

TEST_F(ProductionTest, HeaderFromTheBoxesAfterASamplingImport) {
    ws.values().importfileMode = ImportFileMode::tiSMPcsv;
    ws.panel().CXMLfile.clear();  // not needed in this mode
    ws.panel().ChospitalCode = "3501200000";
    ws.panel().CINSUyyymm = "11305";
    ws.panel().CINSUupdate = "0000229";  // no such day (1911 was no leap year)
    caseRow("04", "1", "<ATT>(A)" + record("a.pdf"));
    EXPECT_EQ(run(), RunOutcome::stopped);
    EXPECT_THAT(port.messages, ElementsAre("申報日期不正確"));
    EXPECT_FALSE(fs::exists(dir / "Upload"));

    ws.panel().CINSUupdate = "1130229";
    EXPECT_EQ(run(), RunOutcome::completed);
    const std::string document =
        platform::decodeCodePage(readBytes(dir / "Upload" / "11305" / "XML3501200000_2024103100000001.XML"));
    EXPECT_THAT(document, ::testing::HasSubstr("<c2>3501200000</c2>\r\n<c3>11</c3>\r\n<c4>11305</c4>"));
    EXPECT_THAT(document, ::testing::HasSubstr("<c6>20240229</c6>"));
    EXPECT_TRUE(fs::exists(dir / "Upload" / "11305" / "3501200000_1131031_001.zip"));
}

// A second session of the day starts at sequence number 1 again and forms the same names.
// The same case is packaged anew (nothing of the earlier package survives, even a cabinet of
// the same size and two-second time); a name that holds another case's package, or one that
// cannot be read to tell whose it is, stops the run before anything is written, and the
// sequence box proposes the first number from which the whole run is free.
TEST_F(ProductionTest, ASecondSessionOfTheDayNeverReplacesAnotherCasesPackage) {
    TESSARO_NEEDS_PEER_TOOLS("unzip", "cabextract");
    const std::string chart = record("chart.pdf");
    caseRow("04", "123", "<ATT>(A)" + chart);
    caseRow("04", "124", "<ATT>(A)" + record("other.pdf"));
    ASSERT_EQ(run(), RunOutcome::completed);
    const fs::path first = output() / "0123456789_1131031_001.zip";
    const fs::path second = output() / "0123456789_1131031_002.zip";

    // The same cases again: the record changes but keeps its size and time.
    const auto time = fs::last_write_time(chart);
    std::string changed = readBytes(chart);
    changed[100] ^= 0x55;
    dir.write("records/chart.pdf", changed);
    fs::last_write_time(chart, time);
    port.messages.clear();
    ASSERT_EQ(run(), RunOutcome::completed);
    EXPECT_EQ(unpack(first).at("11A04000123001.PDF"), changed);
    EXPECT_THAT(entryNames(first), ElementsAre("ATT0123456789_2024103100000001.CAB", "XML0123456789_2024103100000001.XML"));

    const std::string firstBytes = readBytes(first);
    struct Session {
        std::string what;
        std::vector<std::pair<std::string, std::string>> cases;  // category, serial
        std::function<void()> prepare;
        std::string taken;
        int freeSequence;
        std::string id = "A123456789";
        std::size_t declarationType = 0;
        int start = 1;
    };
    // Another claim or another patient under the same category and serial is another case.
    const std::vector<Session> sessions = {
        {"the same numbers, another patient's ID", {{"04", "123"}}, [] {}, first.string(), 3, "Z199999999"},
        {"the same case, another declaration category", {{"04", "123"}}, [] {}, first.string(), 3, "A123456789", 1},
        {"another case at number 1", {{"09", "31"}}, [] {}, first.string(), 3},
        {"the same cases in another order", {{"04", "124"}, {"04", "123"}}, [] {}, first.string(), 2},
        {"a free first name, the second taken", {{"04", "123"}, {"09", "31"}}, [] {}, second.string(), 3},
        {"a package that cannot be read", {{"04", "123"}},
         [&] { dir.write("Upload/11309/0123456789_1131031_001.zip", "not a package"); }, first.string(), 3},
        {"a folder under the name", {{"04", "125"}, {"04", "126"}},
         [&] { fs::create_directories(output() / "0123456789_1131031_004.zip"); }, first.string(), 5},
        // Past the highest number a run can start at, the search begins again at 1.
        {"the last number taken", {{"09", "31"}}, [&] { dir.write("Upload/11309/0123456789_1131031_999.zip", "x"); },
         (output() / "0123456789_1131031_999.zip").string(), 3, "A123456789", 0, 999},
    };
    for (const Session& session : sessions) {
        fs::remove_all(output() / "0123456789_1131031_004.zip");
        fs::remove_all(output() / "0123456789_1131031_999.zip");
        dir.write("Upload/11309/0123456789_1131031_001.zip", firstBytes);
        session.prepare();
        const std::vector<std::string> before = outputNames();
        const std::string packageBefore = readBytes(first);
        ws.clearAuditlist();
        for (const auto& [category, serial] : session.cases) caseRow(category, serial, "<ATT>(B)" + record("new.pdf"), session.id);
        ws.panel().CINSUtype = session.declarationType;
        ws.panel().CtodayNo = session.start;
        port.messages.clear();
        EXPECT_EQ(run(), RunOutcome::stopped) << session.what;
        EXPECT_THAT(port.messages, ElementsAre("上傳檔案" + session.taken +
                                               "屬於另一個案件(或讀不出屬於哪個案件)，不能覆蓋，製作已停止，沒有寫入任何檔案。\r\n"
                                               "當日序號從" + std::to_string(session.freeSequence) +
                                               "起的檔名都可使用，請改用這個序號再製作。"))
            << session.what;
        EXPECT_EQ(outputNames(), before) << session.what;
        EXPECT_EQ(readBytes(first), packageBefore) << session.what;
        EXPECT_EQ(ws.panel().CtodayNo, session.freeSequence) << session.what;
    }

    // From the proposed number on, the run goes through and leaves the earlier packages be.
    ws.panel().CINSUtype = 0;
    fs::remove_all(output() / "0123456789_1131031_999.zip");
    dir.write("Upload/11309/0123456789_1131031_001.zip", firstBytes);
    ws.clearAuditlist();
    caseRow("09", "31", "<ATT>(B)" + record("new.pdf"));
    ws.panel().CtodayNo = 1;
    EXPECT_EQ(run(), RunOutcome::stopped);
    EXPECT_EQ(run(), RunOutcome::completed);
    EXPECT_EQ(readBytes(first), firstBytes);
    EXPECT_EQ(production::checkPackage(output() / "0123456789_1131031_003.zip"), std::vector<std::string>{});
}

TEST_F(ProductionTest, ProgressNamesTheCaseAndEachFile) {
    const std::string chart = record("chart.pdf");
    caseRow("04", "123", "<ATT>(A)" + chart);
    caseRow("04", "124", "");
    run();
    ASSERT_FALSE(port.progress.empty());
    for (const Progress& p : port.progress) EXPECT_EQ(p.total, 2u);
    std::vector<std::string> files;
    for (const Progress& p : port.progress)
        if (!p.file.empty()) files.push_back(fs::path(p.file).filename().string());
    EXPECT_THAT(files, ElementsAre("chart.pdf", "ATT0123456789_2024103100000001.CAB", "XML0123456789_2024103100000001.XML",
                                   "0123456789_1131031_001.zip", "0123456789_1131031_001.zip",
                                   "0123456789_1131031_001.zip"));  // made, checked, then its SHA-256 taken for the record
    EXPECT_EQ(port.progress[port.progress.size() - 2].file, "檢查 " + (output() / "0123456789_1131031_001.zip").string());
    EXPECT_EQ(port.progress.back().file, "紀錄 " + (output() / "0123456789_1131031_001.zip").string());
    EXPECT_EQ(port.progress.back().current, 2u);
}

// ---- Stops and messages ------------------------------------------------------------------

TEST_F(ProductionTest, HeaderChecksStopBeforeAnythingIsWritten) {
    caseRow("04", "123", "<ATT>(A)" + record("a.pdf"));
    const std::string declaration = ws.panel().CXMLfile;
    struct Case {
        std::string path, header, message;
    };
    const std::vector<Case> cases = {
        {" \t", kHeader, "沒有指定費用申報檔"},
        {declaration + "x", kHeader, "找不到指定的費用申報檔"},
        {(dir / "records").string(), kHeader, "找不到指定的費用申報檔"},  // a folder is no file
        {declaration, "<t6>1131015</t6><t2>1</t2><t3>11309</t3>", "指定的費用申報檔內容不正確"},
        {declaration, "<t2>1</t2><t3></t3><t6>1131015</t6>", "費用年月不正確"},
        {declaration, "<t2>1</t2><t3>11309</t3><t6></t6>", "申報日期不正確"},
        // A declaration date must be a real day written as a ROC date: anything else would
        // go into every document as 18991230.
        {declaration, "<t2>1</t2><t3>11313</t3><t6>1131015</t6>", "費用年月不正確"},
        {declaration, "<t2>1</t2><t3>abc</t3><t6>1131015</t6>", "費用年月不正確"},
        {declaration, "<t2>1</t2><t3>11309</t3><t6>20241015</t6>", "申報日期不正確"},
        {declaration, "<t2>1</t2><t3>11309</t3><t6>1131301</t6>", "申報日期不正確"},
        {declaration, "<t2>1</t2><t3>11309</t3><t6>113ab01</t6>", "申報日期不正確"},
        {declaration, "<t2>1</t2><t3>11309</t3><t6> 1131015</t6>", "申報日期不正確"},
        {declaration, "<t2></t2><t3>11309</t3><t6>1131015</t6>", "醫事機構代碼不正確"},
        // Values that would put files outside the output folder are refused the same way.
        {declaration, "<t2>1</t2><t3>../../x</t3><t6>1131015</t6>", "費用年月不正確"},
        {declaration, "<t2>../1</t2><t3>11309</t3><t6>1131015</t6>", "醫事機構代碼不正確"},
        {declaration, "<t2>01*</t2><t3>11309</t3><t6>1131015</t6>", "醫事機構代碼不正確"},
        // Names Windows takes for something else: a device, or the name without its dot.
        {declaration, "<t2>1</t2><t3>NUL.</t3><t6>1131015</t6>", "費用年月不正確"},
        {declaration, "<t2>1</t2><t3>com1.113</t3><t6>1131015</t6>", "費用年月不正確"},
        {declaration, "<t2>1</t2><t3>11309 </t3><t6>1131015</t6>", "費用年月不正確"},
        {declaration, "<t2>35012.</t2><t3>11309</t3><t6>1131015</t6>", "醫事機構代碼不正確"},
    };
    for (const Case& c : cases) {
        port.messages.clear();
        writeDeclarationWithHeader(c.header);
        ws.panel().CXMLfile = c.path;
        EXPECT_EQ(run(), RunOutcome::stopped) << c.message;
        EXPECT_THAT(port.messages, ElementsAre(c.message));
        EXPECT_FALSE(fs::exists(dir / "Upload")) << c.message;
    }
    // Values found before a missing tag stay in the program-wide values.
    writeDeclarationWithHeader("<t2>1</t2><t3>11309</t3>");
    ws.panel().CXMLfile = declaration;
    run();
    EXPECT_EQ(ws.values().INSUyyymm, "11309");
    EXPECT_EQ(ws.values().INSUupdate, "");

    // An empty list does nothing at all.
    port.messages.clear();
    ws.clearAuditlist();
    EXPECT_EQ(run(), RunOutcome::nothingToDo);
    EXPECT_THAT(port.messages, IsEmpty());
}

TEST_F(ProductionTest, RecordFileProblemsStopTheRunAndKeepEarlierPackages) {
    const std::string good = record("good.pdf");
    // A DICOM index beyond what one cabinet holds (sparse: nothing of it is on disk).
    const fs::path huge = dir / "records" / "DICOMDIR";
    std::ofstream(huge).close();
    fs::resize_file(huge, 2'306'867'200);
    struct Case {
        std::string attachments, message;
    };
    const std::vector<Case> cases = {
        {"<DCF>(A)" + huge.string(),
         "第2筆病歷檔案:" + huge.string() + "超過CAB壓縮檔可容納的大小(DCF類檔案合計最多2,147,450,880位元組)，無法製作"},
        {"<ATT>(A)" + (dir / "records" / "gone.pdf").string(), "第2筆病歷檔案:" + (dir / "records" / "gone.pdf").string() + "不存在"},
        {"<ATT>(A)" + (dir / "records").string(), "第2筆病歷檔案:" + (dir / "records").string() + "不存在"},
        {"<EMR>(A)" + good, "第2筆病歷檔案:" + good + "必須是XML檔"},
        {"<ATT>(A)", "第2筆病歷檔案:不存在"},     // an entry without a path
        {"<att>(A)" + good, "第2筆病歷檔案資料錯誤"},  // no entry at all: nothing to copy
    };
    for (const Case& c : cases) {
        ws.clearAuditlist();
        port.messages.clear();
        fs::remove_all(dir / "Upload");
        caseRow("04", "123", "<ATT>(A)" + good);
        caseRow("04", "124", c.attachments);
        caseRow("04", "125", "<ATT>(A)" + good);
        EXPECT_EQ(run(), RunOutcome::stopped) << c.message;
        EXPECT_THAT(port.messages, ElementsAre(c.message));
        EXPECT_THAT(outputNames(), ElementsAre("0123456789_1131031_001.zip", "XML0123456789_2024103100000001.XML"));
        EXPECT_TRUE(fs::is_empty(dir / "DCF") && fs::is_empty(dir / "ATT") && fs::is_empty(dir / "DATA")) << c.message;
        EXPECT_EQ(row(0).cells[kNoteCell], "已製");
        EXPECT_EQ(row(1).cells[kNoteCell], "");
        EXPECT_EQ(row(2).cells[kNoteCell], "");
    }
}

// An error whose text names no file or case gets a second line that does: the case, the file
// and the reason.
TEST_F(ProductionTest, TwoFilesWithOneCopyNameStopWithTheCopyError) {
    const std::string second = record("b.pdf");
    caseRow("04", "123", "<ATT>(A)" + record("a.pdf") + "(A)" + second);
    EXPECT_EQ(run(), RunOutcome::stopped);
    EXPECT_THAT(port.errors, ElementsAre("The specified file already exists.\r\n第1筆(案件分類 04，流水號 123)：" + second +
                                         "，原因：複製為" + (dir / "ATT" / "11A04000123001.PDF").string() +
                                         "時，此名稱已被同一案件的另一個檔案使用"));
    EXPECT_THAT(outputNames(), IsEmpty());
    EXPECT_EQ(readBytes(dir / "ATT" / "11A04000123001.PDF"), readBytes(dir / "records" / "a.pdf"));
    EXPECT_EQ(row(0).cells[kNoteCell], "");
}

// A working folder that cannot be emptied (here a file made immutable; on Windows one another
// program holds open) stops the run before its leftovers reach the next case's cabinets.
TEST_F(ProductionTest, AWorkingFolderThatCannotBeEmptiedStopsTheRun) {
    TESSARO_POSIX_ONLY("immutable files");
    caseRow("04", "123", "<ATT>(A)" + record("a.pdf"));
    ASSERT_EQ(run(), RunOutcome::completed);
    const fs::path leftover = dir / "ATT" / "11A04000123001.PDF";
    const std::string quoted = peers::shellQuote(leftover);
    if (std::system(("chattr +i " + quoted + " 2>/dev/null").c_str()) != 0) GTEST_SKIP() << "chattr +i needs root on ext4";
    struct Mutable {
        std::string file;
        ~Mutable() { [[maybe_unused]] const int ignored = std::system(("chattr -i " + file).c_str()); }
    } restore{quoted};

    ws.clearAuditlist();
    caseRow("09", "31", "<ATT>(B)" + record("b.pdf"));
    ws.panel().CtodayNo = 2;
    port.messages.clear();
    EXPECT_EQ(run(), RunOutcome::stopped);
    EXPECT_THAT(port.messages, ElementsAre("工作資料夾" + (dir / "ATT").string() + "無法清空，仍有檔案" + leftover.string() +
                                           "，製作已停止。請關閉使用它的程式後再製作。"));
    EXPECT_FALSE(fs::exists(output() / "0123456789_1131031_002.zip"));
    EXPECT_EQ(row(0).cells[kNoteCell], "");
}

// ---- Failures that must not leave a package behind ----------------------------------------

TEST_F(ProductionTest, ACabinetThatFailsEndsTheRunWithoutPackageOrMark) {
    // A hospital code outside code page 950 (read from a UTF-8 declaration) cannot name a cabinet.
    const std::string hospital = "0123456789\xF0\x9F\x98\x80";
    ws.panel().CXMLfile =
        dir.write("fee-utf8.xml", "\xEF\xBB\xBF" + declarationText({}, "<t2>" + hospital + "</t2><t3>11309</t3><t6>1131015</t6>"))
            .string();
    caseRow("04", "123", "<ATT>(A)" + record("a.pdf"));
    EXPECT_EQ(run(), RunOutcome::stopped);
    ASSERT_THAT(port.errors, ElementsAre("Cabinet file could bot be created.\r\n第1筆(案件分類 04，流水號 123)：" +
                                         platform::utf8FromPath(dir / "DATA" / platform::pathFromUtf8("ATT" + hospital + "_2024103100000001.CAB")) +
                                         "，原因：The cabinet name cannot be used"));
    EXPECT_THAT(outputNames(), IsEmpty());
    EXPECT_TRUE(fs::is_empty(dir / "DATA"));
    EXPECT_EQ(row(0).cells[kNoteCell], "");
}

// A port through which a test changes the disk at the moment the run reports a file.
class InterferingPort : public testing::RecordingPort {
public:
    std::function<void(const fs::path& file)> interfere;
    void showProgress(const Progress& report) override {
        RecordingPort::showProgress(report);
        if (interfere && !report.file.empty()) interfere(report.file);
    }
};

class ProductionFailureTest : public ::testing::Test {
protected:
    ProductionFailureTest() {
        ws.setClock([] { return production::dateTimeOf({2024, 10, 31}); });
        ws.panel().CXMLfile = dir.write("fee.xml", declarationText({}, kHeader)).string();
        CaseRow row;
        row.caption = "04";
        row.cells[kAttachmentCell] = "<ATT>(A)" + dir.write("a.pdf", "first").string();
        ws.cases().append(row);
        ws.typeSerial(ws.caseRowDrawn(0), "123");
    }
    bool run() {
        ws.cases()[0].cells[kNoteCell].clear();
        return runHandler(port, [&] { ws.CmakeAuditClick(); });
    }

    testing::TempDir dir;
    InterferingPort port;
    Workspace ws{port, dir.path().string()};
    const fs::path package = dir / "Upload" / "11309" / "0123456789_1131031_001.zip";
    const fs::path document = dir / "Upload" / "11309" / "XML0123456789_2024103100000001.XML";
};

// The cabinet builder meets a file it cannot take (a name outside code page 950 appears in
// the working folder as the cabinet is about to be built).
TEST_F(ProductionFailureTest, AFailingCabinetLeavesAnEarlierPackageOfTheSameNameAsItWas) {
    ASSERT_TRUE(run());
    const std::string before = readBytes(package);

    const fs::path intruder = dir / "ATT" / "\xF0\x9F\x98\x80.pdf";
    port.interfere = [&](const fs::path& file) {
        if (file.filename().string().starts_with("ATT")) std::ofstream(intruder) << "not in code page 950";
    };
    dir.write("a.pdf", "second, longer version");
    EXPECT_FALSE(run());
    ASSERT_EQ(port.errors.size(), 1u);
    EXPECT_THAT(port.errors[0], ::testing::StartsWith("Error opening source file.\r\n第1筆(案件分類 04，流水號 123)：" +
                                                      intruder.string() + "，原因："));
    EXPECT_EQ(readBytes(package), before);
    EXPECT_EQ(ws.cases()[0].cells[kNoteCell], "");
}

// A package damaged between its making and the check after the run: the closing message
// names it and its problem, and its row stays unmarked.
TEST_F(ProductionFailureTest, APackageTheCheckFindsDamagedIsReportedAndNotMarked) {
    port.interfere = [&](const fs::path& file) {
        if (file.string() != "檢查 " + package.string()) return;
        std::string bytes = readBytes(package);
        bytes[40] ^= 0x5A;  // inside the first entry's data
        dir.write("Upload/11309/0123456789_1131031_001.zip", bytes);
    };
    production::RunResult result;
    ASSERT_TRUE(runHandler(port, [&] { result = ws.CmakeAuditClick(); }));
    EXPECT_EQ(result.outcome, RunOutcome::completed);
    EXPECT_EQ(result.packagesWithProblems, 1u);
    EXPECT_EQ(ws.cases()[0].cells[kNoteCell], "");
    ASSERT_EQ(port.messages.size(), 1u);
    EXPECT_THAT(port.messages[0], ::testing::HasSubstr("\r\n\r\n檢查發現下列問題，這些抽審檔沒有標記「已製」，請勿上傳:\r\n"
                                                       "0123456789_1131031_001.zip："));
}

// A record file that changes after it was copied (here as its package is written; the copy
// itself compares the file before and after) was being written by another program: the case
// stops, its package is taken back (an earlier one put back as it was), its document too.
TEST_F(ProductionFailureTest, ARecordFileThatChangesWhileItIsPackedTakesThePackageBack) {
    const fs::path source = dir / "a.pdf";
    const fs::path output = package.parent_path();
    const auto folder = [&] {
        std::map<std::string, std::string> files;
        if (fs::exists(output))
            for (const auto& entry : fs::directory_iterator(output)) files[entry.path().filename().string()] = readBytes(entry.path());
        return files;
    };
    struct Change {
        std::string what;
        bool earlierPackage;
        std::function<void()> change;
    };
    const std::vector<Change> changes = {
        {"grown", false, [&] { std::ofstream(source, std::ios::app) << " and more"; }},
        {"rewritten at its size", true, [&] { fs::last_write_time(source, fs::last_write_time(source) + std::chrono::seconds(1)); }},
    };
    for (const Change& c : changes) {
        fs::remove_all(output);
        port.interfere = nullptr;
        ws.cases()[0].cells[kAttachmentCell] = "<ATT>(A)" + source.string();
        if (c.earlierPackage) {
            ASSERT_TRUE(run());
        }
        ws.cases()[0].cells[kAttachmentCell] = "<ATT>(B)" + source.string();  // the new document differs
        const auto before = folder();
        port.messages.clear();
        port.interfere = [&](const fs::path& file) {
            if (file == package) c.change();
        };
        EXPECT_TRUE(run()) << c.what;
        EXPECT_THAT(port.messages, ElementsAre("第1筆病歷檔案:" + source.string() + "在讀取時被修改，請關閉正在寫入它的程式後再製作"))
            << c.what;
        EXPECT_EQ(folder(), before) << c.what;
        EXPECT_EQ(ws.cases()[0].cells[kNoteCell], "") << c.what;
    }
}

TEST_F(ProductionTest, ADocumentThatCannotBeSavedLeavesTheRowUnmarked) {
    fs::create_directories(output() / "XML0123456789_2024103100000001.XML");  // a folder in its way
    caseRow("04", "123", "<ATT>(A)" + record("a.pdf"));
    EXPECT_EQ(run(), RunOutcome::stopped);
    ASSERT_EQ(port.errors.size(), 1u);
    EXPECT_THAT(port.errors[0], ::testing::StartsWith("Cannot create file"));
    EXPECT_FALSE(fs::exists(output() / "0123456789_1131031_001.zip"));
    EXPECT_EQ(row(0).cells[kNoteCell], "");
}

// A package that cannot be saved leaves no mark and no document that no package carries:
// a new document goes again, an earlier run's is put back as it was. The error names the
// package, not the temporary file it was written to.
TEST_F(ProductionFailureTest, APackageThatCannotBeSavedLeavesTheRowUnmarkedAndTheDocumentAsItWas) {
    port.interfere = [&](const fs::path& file) {
        if (file == package) fs::create_directories(package / "in the way");
    };
    EXPECT_FALSE(run());
    ASSERT_EQ(port.errors.size(), 1u);
    EXPECT_THAT(port.errors[0], ::testing::StartsWith("Cannot create file \"" + package.string() + "\""));
    EXPECT_EQ(ws.cases()[0].cells[kNoteCell], "");
    EXPECT_FALSE(fs::exists(document));

    fs::remove_all(package);
    port.interfere = nullptr;
    port.errors.clear();
    ASSERT_TRUE(run());
    const std::string earlier = readBytes(document);
    const std::string earlierPackage = readBytes(package);
    ws.cases()[0].cells[kAttachmentCell] = "<ATT>(B)" + (dir / "a.pdf").string();  // the new document differs
    port.interfere = [&](const fs::path& file) {
        if (file == package) fs::permissions(package, fs::perms::owner_read);  // its owner wants it kept
    };
    EXPECT_FALSE(run());
    ASSERT_EQ(port.errors.size(), 1u);
    EXPECT_EQ(ws.cases()[0].cells[kNoteCell], "");
    EXPECT_EQ(readBytes(document), earlier);
    EXPECT_EQ(readBytes(package), earlierPackage);
}

// The clock is read once per case (after the run's first look at the names of the day and the
// time that names its record): a case packed across midnight has one date in every name.
TEST_F(ProductionTest, ACaseAcrossMidnightHasOneDateInEveryName) {
    TESSARO_NEEDS_PEER_TOOLS("unzip");
    int readings = 0;
    ws.setClock([&] {
        ++readings;
        return production::dateTimeOf({2024, 10, 31}) + (readings <= 3 ? 0.99999 : 1.00001);
    });
    caseRow("04", "123", "<ATT>(A)" + record("a.pdf") + "<EMR>(A)" + record("b.xml"));
    EXPECT_EQ(run(), RunOutcome::completed);
    EXPECT_THAT(outputNames(), ElementsAre("0123456789_1131031_001.zip", "XML0123456789_2024103100000001.XML"));
    EXPECT_THAT(entryNames(output() / "0123456789_1131031_001.zip"),
                ElementsAre("ATT0123456789_2024103100000001.CAB", "EMR0123456789_2024103100000001.CAB",
                            "XML0123456789_2024103100000001.XML"));
}

// A serial of 0 is no serial; when every case is passed over, the run still ends with its
// closing message and writes no package.
// The run's record: one line per case in list order, what happened to it, each record file
// and the package with sizes and SHA-256, read by Python's csv module and checked against
// sha256sum.
TEST_F(ProductionTest, TheRecordSaysWhatHappenedToEveryCase) {
    TESSARO_NEEDS_PEER_TOOLS("python3", "sha256sum");
    const std::string a = record("a.pdf", 5000), b = record("b.xml", 300), c = record("c.pdf", 70000);
    const std::string gone = (dir / "records" / "gone.pdf").string();
    caseRow("04", "123", "<ATT>(A)" + a + "<EMR>(A)" + b);
    caseRow("04", "124", " ");
    caseRow("04", "0", "<ATT>(A)" + a);
    caseRow("09", "31", "<ATT>(B)" + c);
    caseRow("04", "125", "<ATT>(A)" + gone);
    caseRow("A1", "7", "<ATT>(A)" + a);
    EXPECT_EQ(run(), RunOutcome::stopped);

    const fs::path recordFile = dir / "Records" / "11309" / "20241031-180000.csv";
    EXPECT_TRUE(readBytes(recordFile).starts_with("\xEF\xBB\xBF"));
    const auto rows = peers::run("python3 -c \"import csv,sys\n"
                                 "for r in csv.reader(open(sys.argv[1], encoding='utf-8-sig', newline='')): print('|'.join(r))\" " +
                                 peers::shellQuote(recordFile));
    const auto sha = [](const fs::path& file) { return peers::run("sha256sum " + peers::shellQuote(file)).output.substr(0, 64); };
    const auto line = [&](const fs::path& file) { return file.string() + "|" + std::to_string(fs::file_size(file)) + "|" + sha(file); };
    const fs::path first = output() / "0123456789_1131031_001.zip", second = output() / "0123456789_1131031_002.zip";
    const std::string header = "第幾筆|案件分類|流水號|抽審檔|結果|訊息|抽審檔大小|抽審檔SHA-256|病歷檔案1|病歷檔案1大小|病歷檔案1SHA-256|"
                               "病歷檔案2|病歷檔案2大小|病歷檔案2SHA-256";
    const std::string packageFields = [&](const fs::path& p) {
        return std::to_string(fs::file_size(p)) + "|" + sha(p);
    }(first);
    std::istringstream lines(rows.output);
    std::vector<std::string> got;
    for (std::string l; std::getline(lines, l);) got.push_back(l);
    EXPECT_THAT(got, ElementsAre(header, "1|04|123|" + first.filename().string() + "|已製作||" + packageFields + "|" + line(a) + "|" + line(b),
                                 "2|04|124||略過|第2筆病歷檔案資料空白||", "3|04|0||略過|第3筆病歷流水號錯誤||",
                                 "4|09|31|" + second.filename().string() + "|已製作||" + std::to_string(fs::file_size(second)) + "|" +
                                     sha(second) + "|" + line(c),
                                 "5|04|125||停止製作|第5筆病歷檔案:" + gone + "不存在||", "6|A1|7||未處理(製作已先停止)|||"));

    // A later run of the day writes a record of its own; nothing is appended to this one.
    const std::string before = readBytes(recordFile);
    ws.clearAuditlist();
    caseRow("04", "123", "<ATT>(A)" + a + "<EMR>(A)" + b);
    EXPECT_EQ(run(), RunOutcome::completed);
    EXPECT_EQ(readBytes(recordFile), before);
    EXPECT_TRUE(fs::exists(dir / "Records" / "11309" / "20241031-180000-2.csv"));
    EXPECT_FALSE(fs::exists(output() / "20241031-180000.csv"));
}

TEST_F(ProductionTest, EveryCasePassedOverStillEndsWithTheClosingMessage) {
    caseRow("04", "0", "<ATT>(A)" + record("a.pdf"));
    caseRow("04", "124", "");
    EXPECT_EQ(run(), RunOutcome::completed);
    EXPECT_THAT(port.messages, ElementsAre("第1筆病歷流水號錯誤", "第2筆病歷檔案資料空白", ::testing::StartsWith("製作完成:")));
    EXPECT_THAT(outputNames(), IsEmpty());
    EXPECT_EQ(row(0).cells[kNoteCell], "");
}

}  // namespace
}  // namespace tessaro::workspace

namespace tessaro::workspace {
namespace {

// Files made by a run hold medical records: under umask 077 nobody else may read any of them,
// and a program folder whose name holds mask characters is used literally.
TEST(ProductionOutsideTest, UmaskIsHonouredAndOddProgramFoldersWork) {
    TESSARO_POSIX_ONLY("the umask, and folder names Windows refuses");
    testing::TempDir dir;
    testing::RecordingPort port;
    const fs::path app = dir / "app;[x]*?";
    fs::create_directories(app);
    Workspace ws(port, app.string());
    ws.setClock([] { return production::dateTimeOf({2024, 10, 31}); });
    ws.panel().CXMLfile = dir.write("fee.xml", declarationText({}, kHeader)).string();
    CaseRow row;
    row.caption = "04";
    row.cells[kIdCell] = "A123456789";
    row.cells[kAttachmentCell] = "<ATT>(A)" + dir.write("a.pdf", "pdf").string() + "<EMR>(A)" + dir.write("b.xml", "<x/>").string();
    ws.cases().append(row);
    ws.typeSerial(ws.caseRowDrawn(0), "123");

    const mode_t old = ::umask(077);
    const bool ran = runHandler(port, [&] { ws.CmakeAuditClick(); });
    ::umask(old);
    ASSERT_TRUE(ran) << (port.errors.empty() ? "" : port.errors[0]);

    const fs::path package = app / "Upload" / "11309" / "0123456789_1131031_001.zip";
    EXPECT_EQ(peers::packageComplaints(package), "");
    EXPECT_THAT(production::checkPackage(package), IsEmpty());
    int files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(app)) {
        const auto perms = fs::status(entry.path()).permissions();
        EXPECT_EQ(perms & (fs::perms::group_all | fs::perms::others_all), fs::perms::none) << entry.path();
        files += entry.is_regular_file();
    }
    EXPECT_EQ(files, 8);  // two copies, two cabinets, the document, the package, the record, the lock file
}

}  // namespace
}  // namespace tessaro::workspace
