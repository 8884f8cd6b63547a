// The staging store, the end-record search and DOS times: the pieces a save and a load
// stand on.
#include "archives/zip/end_record_search.h"
#include "archives/zip/staging_store.h"
#include "platform/dos_time.h"
#include "platform/local_time.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <random>

namespace tessaro::archives::zip {
namespace {

using tessaro::testing::TempDir;

TEST(StagingStore, SwapsLeastRecentlyUsedPagesAndReadsEveryByteBack) {
    TempDir dir;
    std::vector<std::uint8_t> data(37 * StagingStore::kPageSize + 123);
    std::mt19937 random(5);
    for (auto& b : data) b = static_cast<std::uint8_t>(random());
    {
        StagingStore store(dir.path(), systemSwapFiles(), 4);
        // Odd-sized pieces cross page borders.
        for (size_t at = 0; at < data.size(); at += 1000)
            store.write(std::span(data).subspan(at, std::min<size_t>(1000, data.size() - at)));
        EXPECT_TRUE(store.hasSwapFile());
        EXPECT_FALSE(std::filesystem::is_empty(dir.path()));
        for (int i = 0; i < 200; ++i) {
            const size_t at = random() % data.size();
            const size_t n = std::min<size_t>(random() % 9000, data.size() - at);
            std::vector<std::uint8_t> back(n);
            store.readAt(at, back);
            ASSERT_TRUE(std::equal(back.begin(), back.end(), data.begin() + static_cast<std::ptrdiff_t>(at))) << at;
        }
        MemorySink copy;
        store.copyTo(copy);
        EXPECT_EQ(copy.bytes(), data);
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));  // the swap file went with the store
}

TEST(StagingStore, SmallStoresNeverTouchTheDisk) {
    TempDir dir;
    StagingStore store(dir.path());
    const std::vector<std::uint8_t> bytes(100000, 7);
    store.write(bytes);
    EXPECT_FALSE(store.hasSwapFile());
    EXPECT_EQ(swapFolderFor(dir / "missing"), swapFolderFor(""));
}

std::optional<std::uint64_t> endRecordIn(TempDir& dir, const std::string& bytes) {
    const auto path = dir.write("probe.zip", bytes);
    return findEndRecord(platform::RandomAccessFile(path, platform::RandomAccessFile::Mode::read));
}

std::string endRecord(std::uint16_t commentLength) {
    std::string record("PK\x05\x06", 4);
    record.append(16, '\0');
    record.push_back(static_cast<char>(commentLength & 0xFF));
    record.push_back(static_cast<char>(commentLength >> 8));
    return record;
}

TEST(EndRecordSearch, GrowingWindowsFindRecordsBehindCommentsAndTrailingData) {
    TempDir dir;
    const std::string lead(100, 'L');
    EXPECT_EQ(endRecordIn(dir, lead + endRecord(0)), 100u);
    EXPECT_EQ(endRecordIn(dir, lead + endRecord(5) + "hello"), 100u);
    EXPECT_EQ(endRecordIn(dir, lead + endRecord(0) + std::string(70000, 'x')), 100u);
    EXPECT_EQ(endRecordIn(dir, std::string(200000, 'L') + endRecord(0) + std::string(70000, 'x')), 200000u);
    // A comment longer than what follows rejects the record.
    EXPECT_FALSE(endRecordIn(dir, lead + endRecord(50) + "short"));
    EXPECT_FALSE(endRecordIn(dir, std::string(300, 'x')));
    EXPECT_FALSE(endRecordIn(dir, "PK"));
    // A rejected hit in the first window does not hide a good record in a later one.
    const std::string later = lead + endRecord(0) + std::string(600, 'y') + endRecord(9999);
    EXPECT_EQ(endRecordIn(dir, later), 100u);
}

TEST(DosTime, RoundTripsLocalTimeAtTwoSecondResolution) {
    const platform::LocalTime local{2024, 10, 31, 23, 59, 59};
    const std::time_t t = platform::fromLocalTime(local);
    const auto dos = platform::toDosDateTime(t);
    EXPECT_EQ(dos.date, ((2024 - 1980) << 9) | (10 << 5) | 31);
    EXPECT_EQ(dos.time, (23 << 11) | (59 << 5) | 29);
    EXPECT_EQ(platform::fromDosDateTime(dos.date, dos.time), t - 1);
    EXPECT_FALSE(platform::fromDosDateTime(0, 0));                        // month 0
    EXPECT_FALSE(platform::fromDosDateTime((44 << 9) | (4 << 5) | 31, 0));  // 31 April
    EXPECT_FALSE(platform::fromDosDateTime(0x21, 24 << 11));
    const auto early = platform::toDosDateTime(platform::fromLocalTime({1970, 6, 1, 0, 0, 0}));
    EXPECT_EQ(early.date, 0x21);
}

}  // namespace
}  // namespace tessaro::archives::zip
