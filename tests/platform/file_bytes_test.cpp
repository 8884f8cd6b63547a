// A file's bytes mapped or read: the same bytes and the same errors either way.
#include "platform/error.h"
#include "platform/file_bytes.h"
#include "tests/support/temp_dir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <random>

namespace tessaro::platform {
namespace {

using ::testing::HasSubstr;
using tessaro::testing::TempDir;

std::string errorOf(const std::filesystem::path& path, std::uintmax_t sizeLimit = kMaxTextFileSize) {
    try {
        FileBytes::load(path, sizeLimit);
    } catch (const Error& error) {
        return error.what();
    }
    return "no error";
}

TEST(FileBytes, GivesTheFilesBytes) {
    TempDir dir;
    std::mt19937 random(5);
    std::string bytes(3 * 65536 + 17, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    const auto file = dir.write("decl.xml", bytes);

    const FileBytes loaded = FileBytes::load(file);
    EXPECT_EQ(loaded.view(), bytes);
#ifdef __linux__
    // The test folder lies on a local disk here, so the file is mapped, not copied.
    EXPECT_TRUE(loaded.isMapped());
#endif
    // The bytes stay valid after the object moves, mapped or not.
    FileBytes moved = FileBytes::load(file);
    FileBytes target(std::string("x"));
    target = std::move(moved);
    EXPECT_EQ(target.view(), bytes);
    FileBytes small(std::string("short"));  // a buffer short enough to live inside the string
    FileBytes movedSmall(std::move(small));
    EXPECT_EQ(movedSmall.view(), "short");
}

TEST(FileBytes, FilesThatCannotBeMappedAreRead) {
    TempDir dir;
    const FileBytes empty = FileBytes::load(dir.write("empty.xml", ""));
    EXPECT_EQ(empty.view(), "");
    EXPECT_FALSE(empty.isMapped());
#ifdef __linux__
    // A file the system reports as empty but that has content.
    const FileBytes status = FileBytes::load("/proc/self/status");
    EXPECT_FALSE(status.isMapped());
    EXPECT_THAT(std::string(status.view()), HasSubstr("Name:"));
#endif
}

TEST(FileBytes, ErrorsAreThoseOfAPlainRead) {
    TempDir dir;
    EXPECT_THAT(errorOf(dir / "missing.xml"), HasSubstr("Cannot open file \"" + (dir / "missing.xml").string() + "\"."));
    EXPECT_THAT(errorOf(dir.path()), HasSubstr("Is a directory"));
    const auto file = dir.write("big.xml", std::string(100, 'x'));
    EXPECT_EQ(errorOf(file, 100), "The specified file is too long.");
    EXPECT_EQ(FileBytes::load(file, 101).view(), std::string(100, 'x'));
}

}  // namespace
}  // namespace tessaro::platform
