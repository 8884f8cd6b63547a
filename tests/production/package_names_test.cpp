// Names of copies and output files, at the edges the examples do not reach.
#include "production/package_names.h"

#include <gtest/gtest.h>

namespace tessaro::production {
namespace {

TEST(PackageNamesTest, SerialsAreTrimmedPaddedAndCutToTheirLastDigits) {
    EXPECT_EQ(serialDigits("123", 3), "123");
    EXPECT_EQ(serialDigits(" 7 ", 6), "000007");
    EXPECT_EQ(serialDigits("1234567", 3), "567");
    EXPECT_EQ(serialDigits("1234567", 6), "234567");
    EXPECT_EQ(serialDigits("", 3), "000");
    // Characters, not bytes, are counted.
    EXPECT_EQ(serialDigits("一二", 3), "0一二");
    EXPECT_EQ(dicomCopyName("04", "123", 1), "04123001");
    EXPECT_EQ(recordCopyStem('B', "04", "123", 1000), "11B040001231000.");
    EXPECT_EQ(recordCopyStem('A', "", "5", 1), "11A000005001.");
}

TEST(PackageNamesTest, ExtensionsAreTheTextAfterTheLastDotOfTheName) {
    EXPECT_EQ(upperExtension("/x/chart1.pdf"), "PDF");
    EXPECT_EQ(upperExtension("d:\\a.b\\chart3.XmL"), "XML");
    EXPECT_EQ(upperExtension("/x.d/README"), "");
    EXPECT_EQ(upperExtension("/x/.pdf"), "PDF");
    EXPECT_EQ(upperExtension("/x/name."), "");
    EXPECT_EQ(upperExtension("/x/a.tar.gz"), "GZ");
}

TEST(PackageNamesTest, OutputNamesCarryTheDateAndSequence) {
    const PackageNames names = packageNames("0123456789", {2024, 10, 31}, 1);
    EXPECT_EQ(names.attCabinet, "ATT0123456789_2024103100000001.CAB");
    EXPECT_EQ(names.emrCabinet, "EMR0123456789_2024103100000001.CAB");
    EXPECT_EQ(names.dcfCabinet, "DCF0123456789_2024103100000001.CAB");
    EXPECT_EQ(names.document, "XML0123456789_2024103100000001.XML");
    EXPECT_EQ(names.package, "0123456789_1131031_001.zip");
    EXPECT_EQ(packageNames("1", {2011, 1, 2}, 1000).package, "1_1000102_1000.zip");
    EXPECT_EQ(packageNames("1", {2011, 1, 2}, 1000).document, "XML1_2011010200001000.XML");
}

}  // namespace
}  // namespace tessaro::production
