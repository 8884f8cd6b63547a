// bzip2 (method 12) and LZMA (method 14) entries as 7-Zip, Info-ZIP and Python write them,
// with and without data descriptors and end markers.
#include "tests/archives/support/tool_archives.h"

#include <gtest/gtest.h>

namespace tessaro::archives {
namespace {

using tessaro::testing::expectEntriesMatch;
using tessaro::testing::runIn;
using tessaro::testing::TempDir;
using tessaro::testing::writeSampleInputs;

const char* kInputs = "text.txt binary.bin random.bin tiny.txt";

TEST(LibraryMethods, SevenZipBzip2AndLzmaWithAndWithoutEndMarker) {
    TESSARO_NEEDS_PEER_TOOLS("7zz");
    TempDir dir;
    const auto files = writeSampleInputs(dir);
    for (const std::string method : {"BZip2", "BZip2:d=100k", "LZMA", "LZMA:eos", "LZMA:d=64k:lc=0:lp=2:pb=2"}) {
        SCOPED_TRACE(method);
        const std::string name = "7z-" + std::to_string(std::hash<std::string>{}(method)) + ".zip";
        ASSERT_TRUE(runIn(dir / "in", "7zz a -tzip -mm=" + method + " ../" + name + " " + kInputs));
        EXPECT_GE(expectEntriesMatch(dir / name, files), 2);  // 7-Zip stores what does not shrink
    }
}

TEST(LibraryMethods, InfoZipBzip2) {
    TESSARO_NEEDS_PEER_TOOLS("zip");
    TempDir dir;
    const auto files = writeSampleInputs(dir);
    ASSERT_TRUE(runIn(dir / "in", std::string("zip -q -Z bzip2 ../iz.zip ") + kInputs));
    EXPECT_GE(expectEntriesMatch(dir / "iz.zip", files), 3);
}

// Python writes LZMA with an end marker; writing into a pipe makes it use data descriptors.
TEST(LibraryMethods, PythonZipfileBzip2AndLzmaSeekableAndStreamed) {
    TESSARO_NEEDS_PEER_TOOLS("python3");
    TempDir dir;
    const auto files = writeSampleInputs(dir);
    const std::string script =
        "import sys, zipfile\n"
        "method = {'bz': zipfile.ZIP_BZIP2, 'xz': zipfile.ZIP_LZMA}[sys.argv[1]]\n"
        "out = open(sys.argv[2], 'wb') if sys.argv[2] != '-' else sys.stdout.buffer\n"
        "with zipfile.ZipFile(out, 'w', method) as z:\n"
        "    for name in sys.argv[3:]:\n"
        "        with z.open(name, 'w') as w, open(name, 'rb') as r: w.write(r.read())\n";
    dir.write("make.py", script);
    for (const std::string kind : {"bz", "xz"}) {
        SCOPED_TRACE(kind);
        ASSERT_TRUE(runIn(dir / "in", "python3 ../make.py " + kind + " ../py-" + kind + ".zip " + kInputs));
        EXPECT_EQ(expectEntriesMatch(dir / ("py-" + kind + ".zip"), files), 4);
        ASSERT_TRUE(runIn(dir / "in", "python3 ../make.py " + kind + " - " + kInputs + " | cat > ../pipe-" + kind + ".zip"));
        EXPECT_EQ(expectEntriesMatch(dir / ("pipe-" + kind + ".zip"), files), 4);
    }
}

}  // namespace
}  // namespace tessaro::archives
