// Whole-file reading and writing with the user-facing error texts.
//
// Files are read and written in one piece and closed before the call returns. A failure is a
// tessaro::Error whose text names the file with its full path in double quotes, followed by
// the system's reason: 'Cannot open file "/x/y.txt". No such file or directory'.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace tessaro::platform {

// Files of this size or more are refused by the text readers.
inline constexpr std::uintmax_t kMaxTextFileSize = std::uintmax_t{1} << 31;

// Reads every byte of `path`. Throws "The specified file is too long." for files of
// `sizeLimit` bytes or more, and the cannot-open text when the file cannot be opened or read.
std::string readFileBytes(const std::filesystem::path& path, std::uintmax_t sizeLimit = kMaxTextFileSize);

// Creates or replaces `path` with `bytes`. Throws the cannot-create text on failure.
void writeFileBytes(const std::filesystem::path& path, std::string_view bytes);

std::string cannotOpenText(const std::filesystem::path& path, const std::string& reason);
std::string cannotCreateText(const std::filesystem::path& path, const std::string& reason);

}  // namespace tessaro::platform
