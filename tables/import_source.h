// Which kind of file an import reads, decided from the chosen file's name and path.
//
// A ".zip" is unpacked first and its sampling file found among the unpacked files. A ".csv"
// must be a sampling file, which its path tells by holding "SMP" (any letter case). A
// ".txt" whose path holds "SMP" is a fixed-width sampling file, any other ".txt" a setting
// table, and so is a file of any other extension. Extensions are compared without regard
// to letter case.
#pragma once

#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace tessaro::tables {

// How the lines of an imported file are read.
enum class LineFormat {
    settingTable,   // the user's own setting table
    samplingCsv,    // the insurer's sampling file, comma-separated
    samplingFixed,  // the insurer's sampling file, fixed-width
};

// What the chosen file is.
enum class ImportSource {
    archive,       // a .zip holding the sampling file
    settingTable,
    samplingCsv,
    samplingFixed,
    notSampling,   // a .csv whose path does not say it is a sampling file
};

ImportSource importSourceOf(std::string_view fullPath);

// The format of a sampling file found in an archive, by its extension: ".csv" or ".txt";
// nothing for any other.
std::optional<LineFormat> samplingFormatOf(std::string_view name);

// The first file directly in `folder` whose name matches "*SMP.*" (letter case ignored), in
// the order a folder is listed on Windows. Folders are passed over: a folder can never be
// read as a sampling file. Nothing when there is none.
// With `unpacked`, only files of those names count: the files an archive just put there, so
// that a file left from an earlier import (a folder that could not be emptied) is never
// taken for this archive's.
std::optional<std::filesystem::path> findSamplingFile(const std::filesystem::path& folder,
                                                      const std::set<std::string>* unpacked = nullptr);

// The extension of the last component of `path`, from its last "." on ("" when none).
std::string fileExtension(std::string_view path);

}  // namespace tessaro::tables
