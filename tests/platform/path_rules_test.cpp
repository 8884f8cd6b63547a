#include "platform/path_rules.h"

#include <gtest/gtest.h>

namespace tessaro::platform {
namespace {

TEST(PathRules, WindowsRules) {
    const auto check = [](const char* p) { return checkPathSyntax(p, PathStyle::windows); };
    EXPECT_EQ(check("C:\\data\\fee.xml"), PathSyntax::ok);
    EXPECT_EQ(check("fee.xml"), PathSyntax::ok);
    EXPECT_EQ(check("C:\\a:b.xml"), PathSyntax::misplacedColon);
    EXPECT_EQ(check("1:\\x"), PathSyntax::misplacedColon);
    EXPECT_EQ(check(":"), PathSyntax::misplacedColon);
    EXPECT_EQ(check(""), PathSyntax::empty);
    EXPECT_EQ(check("  \t"), PathSyntax::empty);
    EXPECT_EQ(check("C:\\*.xml"), PathSyntax::invalidCharacters);
    EXPECT_EQ(check("a?.xml"), PathSyntax::invalidCharacters);
    EXPECT_EQ(check("a|b"), PathSyntax::invalidCharacters);
    EXPECT_EQ(check("a\"b"), PathSyntax::invalidCharacters);
    // The colon check comes first: a blank path with a colon is a format error.
    EXPECT_EQ(check(" : "), PathSyntax::misplacedColon);
}

TEST(PathRules, PosixRulesAllowColonsButNotWildcards) {
    const auto check = [](const char* p) { return checkPathSyntax(p, PathStyle::posix); };
    EXPECT_EQ(check("/tmp/a:b.xml"), PathSyntax::ok);
    EXPECT_EQ(check("/tmp/a|b.xml"), PathSyntax::ok);
    EXPECT_EQ(check("/tmp/*.xml"), PathSyntax::invalidCharacters);
    EXPECT_EQ(check("/tmp/a?.xml"), PathSyntax::invalidCharacters);
    EXPECT_EQ(check(" "), PathSyntax::empty);
}

}  // namespace
}  // namespace tessaro::platform
