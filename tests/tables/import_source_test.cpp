// What a chosen file is, by its name and path, and finding the sampling file among the
// files an archive unpacked.
#include "tables/import_source.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

namespace tessaro::tables {
namespace {

TEST(ImportSource, ByExtensionAndPath) {
    EXPECT_EQ(importSourceOf("D:\\SMPdata\\cases.TXT"), ImportSource::samplingFixed);
    EXPECT_EQ(importSourceOf("/home/c/smp/cases.txt"), ImportSource::samplingFixed);
    EXPECT_EQ(importSourceOf("/home/c/cases.txt"), ImportSource::settingTable);
    EXPECT_EQ(importSourceOf("/home/c/list.dat"), ImportSource::settingTable);
    EXPECT_EQ(importSourceOf("/home/c/list"), ImportSource::settingTable);
    EXPECT_EQ(importSourceOf("/home/c/11305SmP.Csv"), ImportSource::samplingCsv);
    EXPECT_EQ(importSourceOf("/home/c/11305.csv"), ImportSource::notSampling);
    EXPECT_EQ(importSourceOf("/home/c/11305.ZIP"), ImportSource::archive);
    EXPECT_EQ(importSourceOf("/home/c/a.zip.txt"), ImportSource::settingTable);
    // Only the last component's extension counts.
    EXPECT_EQ(importSourceOf("/home/c.zip/list"), ImportSource::settingTable);
    EXPECT_EQ(fileExtension("D:\\a.b\\c"), "");
    EXPECT_EQ(fileExtension("/x/.csv"), ".csv");
}

TEST(ImportSource, SamplingFormatInAnArchive) {
    EXPECT_EQ(samplingFormatOf("11305SMP.CSV"), LineFormat::samplingCsv);
    EXPECT_EQ(samplingFormatOf("11305SMP.txt"), LineFormat::samplingFixed);
    EXPECT_FALSE(samplingFormatOf("11305SMP.xls"));
}

TEST(ImportSource, FindsTheFirstSamplingFileAtTheTopLevel) {
    testing::TempDir dir;
    EXPECT_FALSE(findSamplingFile(dir.path()));
    EXPECT_FALSE(findSamplingFile(dir / "missing"));

    dir.write("sub/aSMP.csv", "in a folder: not searched");
    dir.write("readme.txt", "");
    dir.write("xSMP", "no dot: no match");
    std::filesystem::create_directories(dir / "ASMP.txt");  // a folder is no sampling file
    EXPECT_FALSE(findSamplingFile(dir.path()));

    dir.write("zSMP.csv", "");
    dir.write("bsmp.TXT", "");
    // Names in Windows order: without regard to ASCII case.
    EXPECT_EQ(findSamplingFile(dir.path())->filename(), "bsmp.TXT");
}

}  // namespace
}  // namespace tessaro::tables
