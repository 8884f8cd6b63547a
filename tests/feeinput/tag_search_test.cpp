// The literal search of every tag search, against the standard library's search on texts
// made of the few bytes a declaration consists of (so near-misses are frequent).
#include "feeinput/tag_search.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace tessaro::feeinput {
namespace {

TEST(FindLiteral, AgreesWithAPlainSearch) {
    std::mt19937 random(20240601);
    const std::string alphabet = "<>/d1204E\xA4\x40";
    auto randomText = [&](std::size_t length) {
        std::string text;
        for (std::size_t i = 0; i < length; ++i)
            text += alphabet[std::uniform_int_distribution<std::size_t>(0, alphabet.size() - 1)(random)];
        return text;
    };
    const std::vector<std::string> needles = {"<d1>04</d1>", "<d1>", "</d2>", "d1>", "11", "<", "", "<d1><d1>",
                                              "1>1>1>", std::string(300, '<')};
    for (int round = 0; round < 3000; ++round) {
        const std::string text = randomText(std::uniform_int_distribution<std::size_t>(0, 400)(random));
        // Needles taken from the text itself are sure to be found somewhere.
        std::vector<std::string> candidates = needles;
        if (text.size() > 12) candidates.push_back(text.substr(text.size() / 3, 3 + round % 10));
        for (const std::string& needle : candidates)
            for (std::size_t from : {std::size_t{0}, std::size_t{1}, text.size() / 2, text.size(), text.size() + 1}) {
                const std::size_t expected = from > text.size() ? std::string::npos : text.find(needle, from);
                ASSERT_EQ(findLiteral(text, needle, from), expected) << "needle " << needle << " from " << from;
            }
    }
}

TEST(FindLiteral, NeedleAtTheVeryEndAndStart) {
    EXPECT_EQ(findLiteral("xx<d1>04</d1>", "<d1>04</d1>", 0), 2u);
    EXPECT_EQ(findLiteral("<d1>04</d1>", "<d1>04</d1>", 0), 0u);
    EXPECT_EQ(findLiteral("<d1>04</d1", "<d1>04</d1>", 0), std::string::npos);
    EXPECT_EQ(findLiteral("<d1>04</d1>", "<d1>04</d1>", 1), std::string::npos);
}

}  // namespace
}  // namespace tessaro::feeinput
