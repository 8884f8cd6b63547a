#include "production/del_tree.h"

#include "tests/support/folder_link.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <fstream>

namespace tessaro::production {
namespace {

namespace fs = std::filesystem;
using tessaro::testing::FolderLink;
using tessaro::testing::readBytes;
using tessaro::testing::TempDir;

void makeReadOnly(const fs::path& p) {
    fs::permissions(p, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
}

TEST(DelTree, RemovesNestedTreeWithReadOnlyFilesAndFolders) {
    TempDir dir;
    const fs::path root = dir / "DCF";
    dir.write("DCF/a.dcm", "x");
    dir.write("DCF/sub/b.pdf", "y");
    dir.write("DCF/sub/deeper/c.xml", "z");
    dir.write("DCF/.hidden", "h");
    makeReadOnly(root / "a.dcm");
    makeReadOnly(root / "sub/deeper/c.xml");
    makeReadOnly(root / "sub/deeper");
    makeReadOnly(root / "sub");
    EXPECT_TRUE(DelTree(root));
    EXPECT_FALSE(fs::exists(root));
    EXPECT_TRUE(fs::exists(dir.path()));
}

TEST(DelTree, EmptyFolderAndSingleFile) {
    TempDir dir;
    fs::create_directories(dir / "ATT");
    EXPECT_TRUE(DelTree(dir / "ATT"));
    EXPECT_FALSE(fs::exists(dir / "ATT"));
}

TEST(DelTree, MissingFolderReportsFalseWithoutThrowing) {
    TempDir dir;
    EXPECT_FALSE(DelTree(dir / "nothing here"));
    EXPECT_FALSE(DelTree(""));
}

// `mklink /J <appPath>\EMR\link C:\keep` must not cost the clerk C:\keep at the next run: a
// link inside the tree, and a working folder that is itself a link, lose only the link.
TEST(DelTree, RemovesLinksButNeverWhatTheyLeadTo) {
    TempDir dir;
    dir.write("keep/record.pdf", "keep");
    dir.write("keep/sub/scan.dcm", "scan");
    dir.write("EMR/a.cab", "a");
    const FolderLink inside(dir / "keep", dir / "EMR" / "link");
    const FolderLink whole(dir / "keep", dir / "DATA");
    if (!inside.made() || !whole.made()) GTEST_SKIP() << FolderLink::whyNotMade();
    const bool removedEmr = DelTree(dir / "EMR");
    const bool removedData = DelTree(dir / "DATA");
    EXPECT_EQ(readBytes(dir / "keep/record.pdf"), "keep");
    EXPECT_EQ(readBytes(dir / "keep/sub/scan.dcm"), "scan");
    EXPECT_FALSE(fs::exists(dir / "EMR/a.cab"));
    if (!inside.removableBySystem()) return;  // Wine: the links stay, and with them their folders
    EXPECT_TRUE(removedEmr);
    EXPECT_TRUE(removedData);
    EXPECT_FALSE(fs::exists(fs::symlink_status(dir / "EMR")));
    EXPECT_FALSE(fs::exists(fs::symlink_status(dir / "DATA")));
}

// "DATA" holds what a sampling archive unpacked, which may be as deep as a path can reach: on
// Linux about 2,000 levels, on Windows past MAX_PATH, where only extended-length paths
// ("\\?\C:\...") reach. The whole tree still goes, and the next import finds the folder empty.
// On Windows the tree is 1,000 characters deep: Wine resolves every component of a path anew,
// so 4,000 would take minutes there.
TEST(DelTree, RemovesTheDeepestTreeAPathCanReach) {
    TempDir dir;
#ifdef _WIN32
    const fs::path top = L"\\\\?\\" + dir.path().wstring();
    constexpr std::size_t kLength = 1000;
#else
    const fs::path top = dir.path();
    constexpr std::size_t kLength = 4000;
#endif
    fs::path deep = top / "DATA";
    fs::create_directory(deep);
    while ((deep / "x" / "f.txt").native().size() < kLength) {
        deep /= "x";
        fs::create_directory(deep);  // one level at a time: create_directories gives up earlier
    }
    std::ofstream file(deep / "f.txt");
    file << "f";
    file.close();
    ASSERT_TRUE(file.good());
    EXPECT_TRUE(DelTree(dir / "DATA"));
    EXPECT_FALSE(fs::exists(dir / "DATA"));
}

}  // namespace
}  // namespace tessaro::production
