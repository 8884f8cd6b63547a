#include "platform/path_rules.h"

namespace tessaro::platform {
namespace {

bool isBlank(std::string_view path) {
    for (const char c : path)
        if (static_cast<unsigned char>(c) > ' ') return false;
    return true;
}

bool hasMisplacedColon(std::string_view path) {
    for (size_t i = 0; i < path.size(); ++i) {
        if (path[i] != ':') continue;
        const bool afterDriveLetter =
            i == 1 && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
        if (!afterDriveLetter) return true;
    }
    return false;
}

bool isInvalidCharacter(unsigned char c, PathStyle style) {
    if (c == '?' || c == '*' || c == '\0') return true;
    if (style == PathStyle::posix) return false;
    return c < 0x20 || c == '"' || c == '<' || c == '>' || c == '|';
}

}  // namespace

PathSyntax checkPathSyntax(std::string_view path, PathStyle style) {
    if (style == PathStyle::windows && hasMisplacedColon(path)) return PathSyntax::misplacedColon;
    if (isBlank(path)) return PathSyntax::empty;
    for (const char c : path)
        if (isInvalidCharacter(static_cast<unsigned char>(c), style)) return PathSyntax::invalidCharacters;
    return PathSyntax::ok;
}

}  // namespace tessaro::platform
