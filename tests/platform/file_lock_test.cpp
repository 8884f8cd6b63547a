// The lock of a program folder: a second holder, even in the same process, is refused until
// the first lets go; a lock file that cannot be made is a system error, not "held elsewhere".
// (tests/cli/make_test.cpp runs two processes against one folder, and kills one.)
#include "platform/file_lock.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

namespace tessaro::platform {
namespace {

TEST(FileLock, OneHolderAtATime) {
    tessaro::testing::TempDir dir;
    const auto file = dir / ".tessaro.lock";
    auto refusal = FileLock::Refusal::systemError;
    std::string reason;
    std::optional<FileLock> first = FileLock::tryLock(file, refusal, reason);
    ASSERT_TRUE(first) << reason;
    EXPECT_FALSE(FileLock::tryLock(file, refusal, reason));
    EXPECT_EQ(refusal, FileLock::Refusal::heldElsewhere);
    first.reset();
    EXPECT_TRUE(FileLock::tryLock(file, refusal, reason));

    EXPECT_FALSE(FileLock::tryLock(dir / "no folder" / ".tessaro.lock", refusal, reason));
    EXPECT_EQ(refusal, FileLock::Refusal::systemError);
    EXPECT_EQ(reason, std::strerror(ENOENT));
}

}  // namespace
}  // namespace tessaro::platform
