#include "archives/checksum/sha256.h"

#include "tests/archives/deflate_test_data.h"
#include "tests/support/peer_tools.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

namespace tessaro::archives {
namespace {

// Every length around the padding's edges and a large one, fed whole and in uneven pieces,
// against sha256sum.
TEST(Sha256, MatchesSha256sumInAnyPieces) {
    TESSARO_NEEDS_PEER_TOOLS("sha256sum");
    tessaro::testing::TempDir dir;
    const testing::Bytes data = testing::randomData(300007);
    for (const std::size_t length : {0u, 1u, 3u, 55u, 56u, 57u, 63u, 64u, 65u, 119u, 120u, 128u, 300007u}) {
        const std::string bytes(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(length));
        const auto file = dir.write("in", bytes);
        const auto sum = tessaro::testing::peers::run("sha256sum " + tessaro::testing::peers::shellQuote(file));
        const std::string expected = sum.output.substr(0, 64);
        for (const std::size_t piece : {1u, 7u, 64u, 100000u}) {
            Sha256 sha;
            for (std::size_t at = 0; at < length; at += piece)
                sha.update(std::span(data).subspan(at, std::min(piece, length - at)));
            EXPECT_EQ(sha.finishHex(), expected) << length << " in pieces of " << piece;
        }
    }
}

}  // namespace
}  // namespace tessaro::archives
