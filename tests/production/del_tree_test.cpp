#include "production/del_tree.h"

#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

namespace tessaro::production {
namespace {

namespace fs = std::filesystem;
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

TEST(DelTree, DoesNotFollowSymlinksOutOfTheTree) {
    TempDir dir;
    dir.write("outside/keep.txt", "keep");
    fs::create_directories(dir / "EMR");
    std::error_code ec;
    fs::create_directory_symlink(dir / "outside", dir / "EMR" / "link", ec);
    // Windows lets only privileged users make links (and Wine cannot make them at all).
    if (ec) GTEST_SKIP() << "cannot make a symbolic link here: " << ec.message();
    EXPECT_TRUE(DelTree(dir / "EMR"));
    EXPECT_TRUE(fs::exists(dir / "outside" / "keep.txt"));
}

// "DATA" holds what a sampling archive unpacked, which may be as deep as a path can reach
// (about 2,000 levels on Linux): the whole tree still goes, and the next import finds the
// folder empty.
TEST(DelTree, RemovesTheDeepestTreeAPathCanReach) {
    TempDir dir;
    std::string deep = "DATA";
    fs::create_directories(dir / deep);
    while (((dir.path() / deep).string() + "/x/f.txt").size() < 4000) {
        deep += "/x";
        fs::create_directory(dir / deep);  // one level at a time: create_directories gives up earlier
    }
    dir.write(deep + "/f.txt", "f");
    EXPECT_TRUE(DelTree(dir / "DATA"));
    EXPECT_FALSE(fs::exists(dir / "DATA"));
}

}  // namespace
}  // namespace tessaro::production
