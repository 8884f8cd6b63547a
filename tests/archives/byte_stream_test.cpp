#include "archives/io/byte_stream.h"

#include "platform/error.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

namespace tessaro::archives {
namespace {

TEST(FileSource, ReadsAWindowAndSeeksWithinIt) {
    tessaro::testing::TempDir dir;
    const auto path = dir.write("f.bin", "0123456789");
    FileSource source(path, 2, 5);
    std::uint8_t buffer[16];
    EXPECT_EQ(source.readFully(buffer), 5u);
    EXPECT_EQ(std::string(buffer, buffer + 5), "23456");
    EXPECT_EQ(source.read(buffer), 0u);
    source.seek(3);
    EXPECT_EQ(source.read(buffer), 2u);
    EXPECT_EQ(std::string(buffer, buffer + 2), "56");
}

TEST(FileSink, WritesAndReportsMissingFolder) {
    tessaro::testing::TempDir dir;
    {
        FileSink sink(dir / "out.bin");
        const std::string text = "abc";
        sink.write({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
        sink.close();
    }
    EXPECT_EQ(tessaro::testing::readBytes(dir / "out.bin"), "abc");
    EXPECT_THROW(FileSink{dir / "no" / "out.bin"}, tessaro::Error);
}

}  // namespace
}  // namespace tessaro::archives
