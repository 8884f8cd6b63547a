#include "archives/checksum/crc32.h"

#include "tests/archives/deflate_test_data.h"

#include <gtest/gtest.h>

#include <zlib.h>

namespace tessaro::archives {
namespace {

TEST(Crc32, MatchesZlibInAnyPieces) {
    EXPECT_EQ(crc32(testing::toBytes("123456789")), 0xCBF43926u);  // the standard check value
    EXPECT_EQ(crc32({}), 0u);
    const testing::Bytes data = testing::randomData(100003);
    const std::uint32_t expected = static_cast<std::uint32_t>(::crc32(0L, data.data(), static_cast<uInt>(data.size())));
    EXPECT_EQ(crc32(data), expected);
    for (std::size_t piece : {1u, 3u, 7u, 8u, 9u, 4096u}) {
        Crc32 crc;
        for (std::size_t at = 0; at < data.size(); at += piece)
            crc.update(std::span(data).subspan(at, std::min(piece, data.size() - at)));
        EXPECT_EQ(crc.value(), expected) << piece;
    }
}

}  // namespace
}  // namespace tessaro::archives
