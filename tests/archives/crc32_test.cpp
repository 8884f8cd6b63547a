#include "archives/checksum/crc32.h"

#include "tests/archives/deflate_test_data.h"

#include <gtest/gtest.h>

#include <zlib.h>

namespace tessaro::archives {
namespace {

// Each way the CRC is computed (folding only where the processor has it), over lengths around
// its 16- and 64-byte steps and at unaligned starts.
TEST(Crc32, EachWayMatchesZlib) {
    const testing::Bytes data = testing::randomData(5000, 11);
    for (std::size_t size : {0u, 1u, 15u, 16u, 63u, 64u, 65u, 127u, 128u, 129u, 191u, 4096u, 4999u}) {
        for (std::size_t offset : {0u, 1u}) {
            const std::span<const std::uint8_t> piece = std::span(data).subspan(offset, std::min(size, data.size() - offset));
            const auto expected = static_cast<std::uint32_t>(::crc32(0L, piece.data(), static_cast<uInt>(piece.size())));
            EXPECT_EQ(~crc32_ways::tables(0xFFFFFFFFu, piece), expected) << size << " at " << offset;
            if (crc32_ways::foldingAvailable()) {
                EXPECT_EQ(~crc32_ways::folding(0xFFFFFFFFu, piece), expected) << size << " at " << offset;
            }
        }
    }
}

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
