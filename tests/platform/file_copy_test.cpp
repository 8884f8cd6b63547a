// Copying a record file into a working folder: a failed copy names the file it is about, with
// the C library's text for the reason on both platforms (never the Win32 message, which is in
// the system's language).
#include "platform/error.h"
#include "platform/file_copy.h"
#include "platform/file_io.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

namespace tessaro::platform {
namespace {

namespace fs = std::filesystem;
using tessaro::testing::readBytes;
using tessaro::testing::TempDir;

std::string copyError(const fs::path& from, const fs::path& to) {
    try {
        copyFileNoOverwrite(from, to);
    } catch (const Error& error) {
        return error.what();
    }
    return "no error";
}

TEST(FileCopy, AFailureNamesTheSourceOrTheTargetWithTheCLibrarysReason) {
    TempDir dir;
    const fs::path record = dir.write("record.pdf", "record");
    const fs::path taken = dir.write("EMR/taken.pdf", "first");
    EXPECT_EQ(copyError(dir / "missing.pdf", dir / "EMR/a.pdf"),
              cannotOpenText(dir / "missing.pdf", std::strerror(ENOENT)));
    EXPECT_EQ(copyError(dir / "EMR", dir / "b.pdf"), cannotOpenText(dir / "EMR", std::strerror(EISDIR)));
    EXPECT_EQ(copyError(record, dir / "no folder/c.pdf"),
              cannotCreateText(dir / "no folder/c.pdf", std::strerror(ENOENT)));
    EXPECT_EQ(copyError(record, taken), kFileExistsText);
    EXPECT_EQ(readBytes(taken), "first");
    EXPECT_FALSE(fs::exists(dir / "EMR/a.pdf"));
    EXPECT_FALSE(fs::exists(dir / "b.pdf"));
    EXPECT_EQ(copyError(record, dir / "EMR/d.pdf"), "no error");
    EXPECT_EQ(readBytes(dir / "EMR/d.pdf"), "record");
}

}  // namespace
}  // namespace tessaro::platform
