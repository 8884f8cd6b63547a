// Links seen as links on both platforms (a junction or a Unix link under Wine is one too),
// and a replacement written where a link leads.
#include "platform/file_links.h"
#include "platform/temp_file.h"
#include "tests/support/folder_link.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

namespace tessaro::platform {
namespace {

namespace fs = std::filesystem;
using tessaro::testing::FolderLink;
using tessaro::testing::TempDir;

TEST(FileLinks, ALinkIsALinkAndNothingElseIs) {
    TempDir dir;
    const fs::path file = dir.write("real/record.pdf", "record");
    const FolderLink link(dir / "real", dir / "link");
    if (!link.made()) GTEST_SKIP() << FolderLink::whyNotMade();
    EXPECT_TRUE(isLink(dir / "link"));
    EXPECT_FALSE(isLink(dir / "real"));
    EXPECT_FALSE(isLink(file));
    EXPECT_FALSE(isLink(dir / "link" / "record.pdf"));
    EXPECT_FALSE(isLink(dir / "missing"));
}

TEST(FileLinks, AReplacementTargetIsWhereTheLinkLeads) {
    TempDir dir;
    dir.write("real/record.pdf", "record");
    const FolderLink link(dir / "real", dir / "link");
    if (!link.made()) GTEST_SKIP() << FolderLink::whyNotMade();
    const fs::path target = replacementTarget(dir / "link");
    EXPECT_NE(target, dir / "link");
    EXPECT_EQ(target.filename(), "real");
    EXPECT_EQ(tessaro::testing::readBytes(target / "record.pdf"), "record") << target;
    EXPECT_EQ(replacementTarget(dir / "real" / "record.pdf"), dir / "real" / "record.pdf");
}

}  // namespace
}  // namespace tessaro::platform
