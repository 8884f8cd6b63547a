// Writing and reading setting tables, checked against hand-written bytes.
#include "feeinput/text_file.h"
#include "tables/setting_table.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

namespace tessaro::tables {
namespace {

TEST(SettingTable, SavedBytesAreBig5WithCrLfAfterEveryLine) {
    testing::TempDir dir;
    const auto file = dir / "t.txt";
    const std::vector<SettingTableRow> rows = {
        {"04", "0123", "<ATT>(A)D:\\中.pdf"},  // the serial as typed; raw text, no quoting
        {"", "", ""},                         // every row is written, empty values too
        {"A1", " 7", ""},
        {"04", "1,2", "<ATT>(A)D:\\a,b \"c\".pdf"},  // a comma: quoted, quotes doubled
        {"04", "\"5", "<ATT>(A)D:\\\"q\".pdf"},      // a quote opening a value: quoted
    };
    feeinput::SaveToFile(settingTableLines("D:\\fee.xml", rows), file);
    // "中" is A4 A4 in Big5.
    EXPECT_EQ(testing::readBytes(file), "D:\\fee.xml\r\n04,0123,<ATT>(A)D:\\\xA4\xA4.pdf\r\n,,\r\nA1, 7,\r\n"
                                        "04,\"1,2\",\"<ATT>(A)D:\\a,b \"\"c\"\".pdf\"\r\n"
                                        "04,\"\"\"5\",<ATT>(A)D:\\\"q\".pdf\r\n");
    // Quoted values read back whole.
    const auto lines = feeinput::LoadFromFile(file);
    EXPECT_EQ(readSettingTableLine(lines[4])->attachments, rows[3].attachments);
    EXPECT_EQ(readSettingTableLine(lines[5])->attachments, rows[4].attachments);

    // An empty list and an empty path box: one empty line.
    feeinput::SaveToFile(settingTableLines("", {}), file);
    EXPECT_EQ(testing::readBytes(file), "\r\n");
}

TEST(SettingTable, ProposedNameTakesTheFirstCharacterOfEachChooser) {
    EXPECT_EQ(proposedSettingTableName("11309", "1.當期送審", "1:送核"), "1130911");
    EXPECT_EQ(proposedSettingTableName("11309", "3.補件", "4:申復送核 "), "1130934");
    EXPECT_EQ(proposedSettingTableName("", "2.事後抽審", "5:申復補報"), "25");
    EXPECT_EQ(proposedSettingTableName("11309", "", "中"), "11309中");
}

TEST(SettingTable, CaseLines) {
    const auto full = readSettingTableLine(" 04 , 0123 ,<ATT>(A)D:\\x.pdf ,ignored");
    ASSERT_TRUE(full);
    EXPECT_EQ(full->category, "04");
    EXPECT_EQ(full->serial, 123);
    EXPECT_EQ(full->attachments, "<ATT>(A)D:\\x.pdf");

    const auto twoFields = readSettingTableLine("04,123");
    ASSERT_TRUE(twoFields);
    EXPECT_EQ(twoFields->attachments, "");

    // A serial that is no integer reads as 0; the caller reports it.
    EXPECT_EQ(readSettingTableLine("04,12a")->serial, 0);
    EXPECT_EQ(readSettingTableLine("04,")->serial, 0);
    EXPECT_EQ(readSettingTableLine("04,$1F")->serial, 31);

    // Fewer than two fields: no case line (the path line, empty lines).
    EXPECT_FALSE(readSettingTableLine(""));
    EXPECT_FALSE(readSettingTableLine("D:\\fee.xml"));

    // An attachment text with a comma comes back only up to it; a quoted field keeps it.
    EXPECT_EQ(readSettingTableLine("04,1,<ATT>(A)D:\\a,b.pdf")->attachments, "<ATT>(A)D:\\a");
    EXPECT_EQ(readSettingTableLine("04,1,\"<ATT>(A)D:\\a,b.pdf\"")->attachments, "<ATT>(A)D:\\a,b.pdf");
}

}  // namespace
}  // namespace tessaro::tables
