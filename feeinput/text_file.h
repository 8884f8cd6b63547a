// Reading and writing the program's text files.
//
// Every text file Tessaro reads or writes goes through here: the fee declaration file (read
// whole), setting tables and sampling files (read as lines), setting tables and the feereview
// document (written as lines with CR LF after every line, in code page 950; a setting table
// that code page cannot hold in UTF-8 after a byte-order mark).
#pragma once

#include "platform/file_bytes.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tessaro::feeinput {

using LineList = std::vector<std::string>;

// Checks the path as the user typed it (colon, blank, invalid characters, folder, file; in
// that order, each with its own error text), then reads the file's raw bytes. Used by
// ReadAllText and by searches that work on the undecoded bytes.
std::string readCheckedFileBytes(const std::string& path);

// The same checks, then the file's bytes mapped where that is safe (platform/file_bytes.h).
platform::FileBytes loadCheckedFile(const std::string& path);

// The whole file as one text, decoded by its byte-order mark; line breaks unchanged.
std::string ReadAllText(const std::string& path);

// The file as a list of lines: CR LF, lone LF and lone CR each end one line; LF CR ends two.
// No checks beforehand: a missing file fails on opening.
LineList LoadFromFile(const std::filesystem::path& path);

// Writes every line followed by CR LF, in code page 950, without a byte-order mark.
void SaveToFile(const LineList& lines, const std::filesystem::path& path);

// As SaveToFile when code page 950 holds every character exactly; otherwise the lines are
// written in UTF-8 after a byte-order mark, which LoadFromFile reads, so no character turns
// into "?" or a look-alike.
void SaveToFileLossless(const LineList& lines, const std::filesystem::path& path);

// The line splitting of LoadFromFile, on decoded text.
LineList splitLines(std::string_view text);

}  // namespace tessaro::feeinput
