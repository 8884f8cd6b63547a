// Finding the files a writer's mask names (AddFiles).
//
// A mask is a list of patterns separated by ";". Each pattern's folder part names the folder
// searched, its name part the names taken ("*" any run, "?" one character, ASCII letters
// without regard to case). Hidden files, system files and folders are found only when the
// attribute filter asks for them. Names are taken in ascending order of their upper-cased
// bytes (the order NTFS lists them in), so a package's entry order does not depend on the
// order a file system happens to return.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tessaro::archives::zip {

struct FoundFile {
    std::filesystem::path fullPath;
    std::string recordedPath;  // the pattern's folder part + the name (+ "\" for a folder)
    bool isFolder = false;
};

// True when the whole mask counts as absolute: it contains "\\" or ":" anywhere (or, on
// this platform, a pattern starts at the root).
bool isAbsoluteMask(std::string_view mask);

// Every file `mask` finds. Patterns that are not absolute are taken against
// `baseDirectory`, or the current folder when that is empty. With `recurse` sub-folders are
// searched too, depth first.
std::vector<FoundFile> findFiles(std::string_view mask, std::uint32_t searchAttributes, bool recurse,
                                 const std::filesystem::path& baseDirectory);

}  // namespace tessaro::archives::zip
