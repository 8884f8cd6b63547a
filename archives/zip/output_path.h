// Where an entry is extracted to, and the refusal of names that would leave the base folder.
//
// Entry names come from the archive and are not to be trusted: "..\..\x", "\x", "C:x" or
// "\\server\share\x" would put files anywhere. Names are read with both "/" and "\" as
// separators on every platform (as Windows reads them), "." and ".." are resolved within
// the name, and a name that is absolute, carries a drive or share prefix, starts with a
// separator or climbs above its start is refused.
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace tessaro::archives::zip {

// True when `text` holds a control character, a double quote, "<", ">" or "|".
bool hasInvalidPathCharacters(std::string_view text);

// The components of `name` resolved within it, or nothing when it would leave its start
// (or names nothing at all). With `lastOnly` only the name's last component is kept.
std::optional<std::filesystem::path> confinedRelativePath(std::string_view name, bool lastOnly);

}  // namespace tessaro::archives::zip
