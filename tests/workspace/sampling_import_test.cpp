// Importing the insurer's sampling files: comma-separated, fixed-width, and inside a .zip
// (made by Python's zipfile), with the state every failure leaves.
#include "tests/workspace/import_fixture.h"
#include "tests/support/peer_tools.h"

#include <gmock/gmock.h>

#include <random>

namespace tessaro::workspace {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// A comma-separated sampling line: header, category, serial, then ID (8), name (12), date (14).
std::string csvLine(const std::string& category, const std::string& serial, const std::string& type = "1",
                    const std::string& hospital = "3501200000") {
    return "'" + hospital + "','11305','" + type + "','1130610','" + category + "','" + serial +
           "',x,'A123456789',x,x,x,'王小明',x,'1130501'";
}

// A fixed-width sampling line as Big5 bytes: fields at their byte positions, the name
// padded to its 40 bytes, a 7-byte field, the visit date.
std::string fixedLine(const std::string& category, const std::string& serial, const std::string& nameBig5,
                      char type = '1') {
    std::string bytes = "1" "3501200000" "11305";
    bytes += type;
    bytes += "1130610" + category + serial + "  " + "B223456789" + std::string(14, ' ');
    bytes += nameBig5 + std::string(40 - nameBig5.size(), ' ');
    return bytes + "0000001" + "1130502" + "   ";
}

class SamplingImportTest : public ImportTest {
protected:
    std::filesystem::path textFile(const std::string& name, const std::vector<std::string>& lines) {
        std::string text;
        for (const std::string& line : lines) text += line + "\r\n";
        return dir.write(name, platform::encodeCodePage(text));
    }
    static std::string big5File(const std::vector<std::string>& lines) {
        return platform::encodeCodePage(bytesFile(lines));
    }
    static std::string bytesFile(const std::vector<std::string>& lines) {
        std::string bytes;
        for (const std::string& line : lines) bytes += line + "\r\n";
        return bytes;
    }

    void expectNothingImported(ImportFileMode mode = ImportFileMode::titxt) {
        EXPECT_TRUE(ws.cases().empty());
        EXPECT_EQ(ws.values().importfileMode, mode);
    }

    // Every file below the test folder (the program folder), as relative paths; the lock file
    // an archive's import holds aside.
    std::vector<std::string> filesBelowTestFolder() {
        std::vector<std::string> files;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.path()))
            if (entry.path().filename() != ".tessaro.lock")
                files.push_back(std::filesystem::relative(entry.path(), dir.path()).generic_string());
        std::sort(files.begin(), files.end());
        return files;
    }
};

// ---- Comma-separated ------------------------------------------------------------------------

TEST_F(SamplingImportTest, CommaSeparatedFile) {
    ws.panel().CXMLfile = "kept";
    const auto file = textFile("11305smp.csv", {"院所,年月,類別,日期,案件分類,流水號,x,身分證,x,x,x,姓名,x,就醫日期",
                                                csvLine("04", "0123"), csvLine("XX", "1"), csvLine("04", "0"),
                                                csvLine("A1", "5", "2"), csvLine("a1", "6"), "a,b,c,d,e",
                                                "'3501200000',11305,1,1130610,E3,9"});
    ASSERT_TRUE(importFile(file));

    EXPECT_EQ(ws.values().importfileMode, ImportFileMode::tiSMPcsv);
    EXPECT_THAT(rowTexts(), ElementsAre("04|04|123|123|王小明|A123456789|1130501||",
                                        "a1|A1|6|6|王小明|A123456789|1130501||",
                                        // six fields only: no patient data
                                        "E3|E3|9|9|||||"));
    EXPECT_THAT(port.messages, ElementsAre("第3行案件分類錯誤", "第4行案件流水號錯誤",
                                           "第5行案件申報類別與前列不同,請分開處理", "匯入完成"));
    EXPECT_EQ(ws.panel().ChospitalCode, "3501200000");
    EXPECT_EQ(ws.panel().CINSUyyymm, "11305");
    EXPECT_EQ(ws.panel().CINSUupdate, "1130610");
    EXPECT_EQ(ws.panel().CINSUtype, 0u);  // "1:送核"
    EXPECT_EQ(ws.panel().CXMLfile, "kept");
    EXPECT_EQ(ws.values().INSUyyymm, "");  // the program-wide values are not touched
}

TEST_F(SamplingImportTest, DeclarationCategoryChoosesTheChooserItem) {
    ASSERT_TRUE(importFile(textFile("a/SMP.csv", {csvLine("04", "1", "4"), csvLine("04", "2", "4")})));
    EXPECT_EQ(ws.panel().CINSUtype, 2u);  // "4:申復送核 "
    EXPECT_EQ(ws.cases().size(), 2u);
    ASSERT_TRUE(importFile(textFile("a/SMP.csv", {csvLine("04", "1", "3")})));
    EXPECT_EQ(ws.panel().CINSUtype, 0u);
}

TEST_F(SamplingImportTest, HeaderBoxesComeFromTheFirstLineWithAHospitalCode) {
    ws.panel().ChospitalCode = "old";
    ASSERT_TRUE(importFile(textFile("SMP.csv", {csvLine("04", "1", "1", " "), csvLine("04", "2", "1", "X1"),
                                                csvLine("04", "3", "1", "X2")})));
    EXPECT_EQ(ws.panel().ChospitalCode, "X1");
}

TEST_F(SamplingImportTest, FirstLineNamingAFileSetsTheDeclarationPathInEveryMode) {
    const std::string declaration = writeDeclaration("fee.xml", {});
    ASSERT_TRUE(importFile(textFile("SMP.csv", {declaration, csvLine("04", "1")})));
    EXPECT_EQ(ws.panel().CXMLfile, declaration);
    EXPECT_EQ(ws.cases().size(), 1u);
}

TEST_F(SamplingImportTest, CsvWithoutSmpInItsPathIsRefused) {
    ws.panel().ChospitalCode = "old";
    addCase("01", "1");
    const auto file = textFile("cases.csv", {csvLine("04", "1")});
    ASSERT_TRUE(importFile(file));
    EXPECT_THAT(port.messages, ElementsAre(file.string() + "不是正確抽審檔"));
    expectNothingImported();
    EXPECT_EQ(ws.panel().ChospitalCode, "old");
}

// ---- Fixed-width ----------------------------------------------------------------------------

TEST_F(SamplingImportTest, FixedWidthFileUnderAFolderNamedSmp) {
    // 王小明 A4 FD A4 70 A9 FA; 陳 B3 AF.
    const std::string wang = "\xA4\xFD\xA4\x70\xA9\xFA";
    const auto file = dir.write("SMPdata/cases.TXT", bytesFile({fixedLine("04", "000123", wang),
                                                                fixedLine("zz", "   007", "\xB3\xAF"), "too short",
                                                                fixedLine("04", "123   ", wang),
                                                                fixedLine("04", "000009", wang, '2')}));
    ASSERT_TRUE(importFile(file));

    EXPECT_EQ(ws.values().importfileMode, ImportFileMode::tiSMPtxt);
    EXPECT_THAT(rowTexts(), ElementsAre("04|04|123|123|王小明|B223456789|1130502||",
                                        // no category check: the editor has nothing selected
                                        "zz||7|7|陳|B223456789|1130502||"));
    EXPECT_FALSE(ws.cases()[1].record->category);
    EXPECT_THAT(port.messages,
                ElementsAre("第4行案件流水號錯誤", "第5行案件申報類別與前列不同,請分開處理", "匯入完成"));
    EXPECT_EQ(ws.panel().ChospitalCode, "3501200000");
    EXPECT_EQ(ws.panel().CINSUyyymm, "11305");
    EXPECT_EQ(ws.panel().CINSUupdate, "1130610");
}

// ---- The .zip route -------------------------------------------------------------------------

TEST_F(SamplingImportTest, ArchiveWithTheSamplingFileAtItsTop) {
    TESSARO_NEEDS_PEER_TOOLS("python3");
    dir.write("DATA/old/left-over.txt", "from the last import");
    const auto archive = writeZip("11305.zip", {{"readme.txt", "x"}, {"11305SMP.csv", big5File({csvLine("04", "12")})},
                                                {"sub/other.txt", "y"}});
    ASSERT_TRUE(importFile(archive));

    EXPECT_EQ(ws.values().importfileMode, ImportFileMode::tiSMPcsv);
    EXPECT_THAT(rowTexts(), ElementsAre("04|04|12|12|王小明|A123456789|1130501||"));
    EXPECT_THAT(port.messages, ElementsAre("匯入完成"));
    EXPECT_EQ(port.pendingMessageCalls, 1);
    EXPECT_THAT(filesBelowTestFolder(), ElementsAre("11305.zip", "DATA", "DATA/11305SMP.csv", "DATA/readme.txt",
                                                    "DATA/sub", "DATA/sub/other.txt"));
}

TEST_F(SamplingImportTest, ArchiveWithAFixedWidthFile) {
    TESSARO_NEEDS_PEER_TOOLS("python3");
    // A name beyond ASCII (Python marks it UTF-8).
    const auto archive = writeZip("a.ZIP", {{"門診xsmp.TXT", bytesFile({fixedLine("A1", "000005", "AB")})}});
    ASSERT_TRUE(importFile(archive));
    EXPECT_TRUE(std::filesystem::exists(dataFolder() / "門診xsmp.TXT"));
    EXPECT_EQ(ws.values().importfileMode, ImportFileMode::tiSMPtxt);
    EXPECT_THAT(rowTexts(), ElementsAre("A1|A1|5|5|AB|B223456789|1130502||"));
}

TEST_F(SamplingImportTest, ArchiveWithoutAUsableSamplingFile) {
    TESSARO_NEEDS_PEER_TOOLS("python3");
    // In a folder of the archive: unpacked into a folder of DATA, and not found there.
    const auto nested = writeZip("nested.zip", {{"sub/11305SMP.csv", big5File({csvLine("04", "12")})}});
    addCase("01", "1");
    ASSERT_TRUE(importFile(nested));
    EXPECT_THAT(port.messages, ElementsAre(nested.string() + "裡沒有正確抽審檔"));
    expectNothingImported();
    EXPECT_TRUE(std::filesystem::exists(dataFolder() / "sub" / "11305SMP.csv"));

    // Found, but neither .csv nor .txt.
    const auto wrongKind = writeZip("xls.zip", {{"11305SMP.xls", "x"}});
    port.messages.clear();
    ASSERT_TRUE(importFile(wrongKind));
    EXPECT_THAT(port.messages, ElementsAre(wrongKind.string() + "裡沒有正確抽審檔"));
    expectNothingImported();
    EXPECT_TRUE(std::filesystem::exists(dataFolder() / "11305SMP.xls"));
    EXPECT_FALSE(std::filesystem::exists(dataFolder() / "sub"));  // emptied before unpacking
}

TEST_F(SamplingImportTest, EntriesThatClimbOutOfDataAreNotWritten) {
    TESSARO_NEEDS_PEER_TOOLS("python3");
    const std::string unique = std::to_string(std::random_device{}());
    const auto absolute = std::filesystem::temp_directory_path() / ("tessaro-absolute-" + unique + ".txt");
    const auto archive = writeZip("climb.zip", {{"../escaped.txt", "up one"},
                                                {"../../tessaro-escaped-" + unique + ".txt", "up two"},
                                                {"sub/../../escaped2.txt", "round about"},
                                                {absolute.string(), "absolute"},
                                                {"11305SMP.csv", big5File({csvLine("04", "12")})}});
    ASSERT_TRUE(importFile(archive));

    EXPECT_THAT(rowTexts(), ElementsAre("04|04|12|12|王小明|A123456789|1130501||"));
    EXPECT_THAT(port.messages, ElementsAre("匯入完成"));  // refused entries are silent
    EXPECT_THAT(filesBelowTestFolder(), ElementsAre("DATA", "DATA/11305SMP.csv", "climb.zip"));
    EXPECT_FALSE(std::filesystem::exists(dir.path().parent_path() / ("tessaro-escaped-" + unique + ".txt")));
    EXPECT_FALSE(std::filesystem::exists(absolute));
}

TEST_F(SamplingImportTest, NoArchiveOrADamagedOneEndsWithTheExtractorsError) {
    TESSARO_NEEDS_PEER_TOOLS("python3");
    const auto valid = writeZip("valid.zip", {{"11305SMP.csv", big5File({csvLine("04", "12")})}});
    const std::string bytes = testing::readBytes(valid);
    struct Case {
        std::string name, bytes, error;
    };
    const std::vector<Case> cases = {
        {"text.zip", "04,123\r\n", "Unhandled Archive Type."},
        // The end record cut off: no end record can be found.
        {"cut.zip", bytes.substr(0, bytes.size() - 10), "Unhandled Archive Type."},
        // The central directory's signature spoilt.
        {"spoilt.zip", [&] {
             std::string damaged = bytes;
             damaged[damaged.rfind("PK\x01\x02")] = 'X';
             return damaged;
         }(),
         "Invalid file - not a PKZip file."},
        {"empty.zip", "", "Invalid Stream."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        port.errors.clear();
        addCase("01", "1");
        dir.write("DATA/old.txt", "");
        const auto file = dir.write(c.name, c.bytes);
        EXPECT_FALSE(importFile(file));
        EXPECT_THAT(port.errors, ElementsAre(c.error));
        expectNothingImported();
        EXPECT_TRUE(std::filesystem::is_empty(dataFolder()));
        std::filesystem::remove(file);
    }
    EXPECT_THAT(port.messages, IsEmpty());
    EXPECT_THAT(filesBelowTestFolder(), ElementsAre("DATA", "valid.zip"));
}

TEST_F(SamplingImportTest, ACorruptSamplingEntryIsSkippedAndNotFound) {
    TESSARO_NEEDS_PEER_TOOLS("python3");
    const std::string csv = big5File({csvLine("04", "12"), csvLine("04", "13"), csvLine("04", "14")});
    const auto archive = writeZip("corrupt.zip", {{"11305SMP.csv", csv}});
    std::string bytes = testing::readBytes(archive);
    // Spoil the compressed data right after the local header and the name.
    const std::size_t data = 30 + std::string("11305SMP.csv").size();
    for (std::size_t i = data; i < data + 8; ++i) bytes[i] = static_cast<char>(0xFF);
    dir.write("corrupt.zip", bytes);
    ASSERT_TRUE(importFile(archive));
    EXPECT_THAT(port.messages, ElementsAre(archive.string() + "裡沒有正確抽審檔"));
    EXPECT_TRUE(std::filesystem::is_empty(dataFolder()));
}

TEST_F(SamplingImportTest, ADataFolderThatIsALinkLeavesItsTargetAlone) {
    TESSARO_POSIX_ONLY("a symbolic link in place of a folder");
    const auto elsewhere = dir.write("elsewhere/keep.txt", "the user's");
    std::filesystem::create_directory_symlink(elsewhere.parent_path(), dataFolder());
    ASSERT_TRUE(importFile(writeZip("a.zip", {{"11305SMP.csv", big5File({csvLine("04", "12")})}})));
    EXPECT_EQ(ws.cases().size(), 1u);
    EXPECT_FALSE(std::filesystem::is_symlink(dataFolder()));
    EXPECT_EQ(testing::readBytes(elsewhere), "the user's");
    EXPECT_FALSE(std::filesystem::exists(elsewhere.parent_path() / "11305SMP.csv"));
}

TEST_F(SamplingImportTest, AnArchiveChosenFromInsideDataIsStillRead) {
    TESSARO_NEEDS_PEER_TOOLS("python3");
    const auto made = writeZip("made.zip", {{"11305SMP.csv", big5File({csvLine("04", "12")})}});
    std::filesystem::create_directories(dataFolder());
    const auto inside = dataFolder() / "11305.zip";
    std::filesystem::rename(made, inside);
    ASSERT_TRUE(importFile(inside));
    EXPECT_THAT(rowTexts(), ElementsAre("04|04|12|12|王小明|A123456789|1130501||"));
    EXPECT_THAT(filesBelowTestFolder(), ElementsAre("DATA", "DATA/11305SMP.csv"));
}

}  // namespace
}  // namespace tessaro::workspace
