// DOS attributes (derived from a POSIX file system, the file system's own on Windows), and the
// temporary files that replace a package in one step.
#include "platform/file_attributes.h"
#include "platform/temp_file.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <cerrno>
#include <cstring>

namespace tessaro::platform {
namespace {

using tessaro::testing::readBytes;
using tessaro::testing::TempDir;

// What a package keeps when a temporary file replaces it: its permissions on POSIX, its
// hidden bit on Windows.
#ifdef _WIN32
void markReplaced(const std::filesystem::path& target) { applyDosAttributes(target, dos_attr::kHidden); }
void expectKept(const std::filesystem::path& target) {
    EXPECT_EQ(queryFileStatus(target)->attributes, dos_attr::kHidden | dos_attr::kArchive);
}
#else
void markReplaced(const std::filesystem::path& target) { ::chmod(target.c_str(), 0640); }
void expectKept(const std::filesystem::path& target) {
    struct stat st {};
    ::stat(target.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}
#endif

TEST(FileAttributes, DerivesTheDosBitsAndAppliesReadOnly) {
    TempDir dir;
    const auto plain = dir.write("plain.cab", "12345");
    const auto hidden = dir.write(".hidden", "");
    EXPECT_EQ(queryFileStatus(plain)->attributes, dos_attr::kArchive);
    EXPECT_EQ(queryFileStatus(plain)->size, 5u);
#ifdef _WIN32
    // Windows keeps the real bits: a leading dot hides nothing, the hidden and system bits stay.
    EXPECT_EQ(queryFileStatus(hidden)->attributes, dos_attr::kArchive);
    ASSERT_TRUE(applyDosAttributes(hidden, dos_attr::kHidden | dos_attr::kSystem | dos_attr::kArchive));
    EXPECT_EQ(queryFileStatus(hidden)->attributes, dos_attr::kHidden | dos_attr::kSystem | dos_attr::kArchive);
#else
    EXPECT_EQ(queryFileStatus(hidden)->attributes, dos_attr::kArchive | dos_attr::kHidden);
#endif
    EXPECT_EQ(queryFileStatus(dir.path())->attributes & dos_attr::kDirectory, dos_attr::kDirectory);
    EXPECT_FALSE(queryFileStatus(dir / "missing"));

    ASSERT_TRUE(applyDosAttributes(plain, dos_attr::kReadOnly | dos_attr::kArchive));
    EXPECT_TRUE(isReadOnly(plain));
    EXPECT_EQ(queryFileStatus(plain)->attributes, dos_attr::kArchive | dos_attr::kReadOnly);
    ASSERT_TRUE(applyDosAttributes(plain, dos_attr::kArchive));
    EXPECT_FALSE(isReadOnly(plain));

    ASSERT_TRUE(setLastWriteTime(plain, 1000000000));
    EXPECT_EQ(queryFileStatus(plain)->lastWrite, 1000000000);
}

TEST(TempFile, ReplacesItsTargetKeepingPermissionsOrVanishes) {
    TempDir dir;
    const auto target = dir.write("pkg.zip", "old");
    markReplaced(target);
    {
        auto temp = TempFile::create(dir.path(), ".~zip");
        ASSERT_TRUE(temp);
        const std::string bytes = "new image";
        ASSERT_TRUE(temp->write({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}));
        std::string reason;
        ASSERT_TRUE(temp->replace(target, reason)) << reason;
    }
    EXPECT_EQ(readBytes(target), "new image");
    expectKept(target);
    {
        auto abandoned = TempFile::create(dir.path(), ".~zip");
        ASSERT_TRUE(abandoned);
    }
    size_t files = 0;
    for ([[maybe_unused]] const auto& item : std::filesystem::directory_iterator(dir.path())) ++files;
    EXPECT_EQ(files, 1u);
    std::filesystem::path attempted;
    EXPECT_FALSE(TempFile::create(dir / "missing", "VMS", &attempted));
    EXPECT_EQ(attempted, dir / "missing" / "VMSXXXXXX");
}

TEST(TempFile, FollowsLinksRefusesReadOnlyTargetsAndGivesNewFilesTheUmask) {
#ifdef _WIN32
    GTEST_SKIP() << "checks POSIX behaviour: symbolic links, the umask and permission bits";
#else
    TempDir dir;
    const auto write = [](TempFile& file, const std::string& bytes) {
        return file.write({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
    };
    std::filesystem::create_directories(dir / "real");
    std::filesystem::create_symlink("real/new.cab", dir / "dangling.cab");
    std::filesystem::create_symlink("dangling.cab", dir / "chain.cab");
    EXPECT_EQ(replacementTarget(dir / "chain.cab"), dir / "real" / "new.cab");
    EXPECT_EQ(replacementTarget(dir / "plain.cab"), dir / "plain.cab");

    const mode_t old = ::umask(027);
    auto temp = TempFile::create(dir / "real", ".~cab");
    ::umask(old);
    ASSERT_TRUE(temp);
    struct stat st {};
    ASSERT_EQ(::stat(temp->path().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);  // private while it is being written
    ASSERT_TRUE(write(*temp, "cabinet"));
    std::string reason;
    ASSERT_TRUE(temp->replace(replacementTarget(dir / "chain.cab"), reason)) << reason;
    ASSERT_EQ(::stat((dir / "real" / "new.cab").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "dangling.cab"));

    ::chmod((dir / "real" / "new.cab").c_str(), 0444);
    auto refused = TempFile::create(dir / "real", ".~cab");
    ASSERT_TRUE(refused);
    ASSERT_TRUE(write(*refused, "other"));
    EXPECT_FALSE(refused->replace(dir / "real" / "new.cab", reason));
    EXPECT_EQ(reason, std::strerror(EACCES));
    EXPECT_EQ(readBytes(dir / "real" / "new.cab"), "cabinet");
#endif
}

}  // namespace
}  // namespace tessaro::platform
