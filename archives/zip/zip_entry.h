// One entry of a ZIP archive as both components hold it: the central header's values, the
// decoded name, and (for the writer) where its data comes from and what a save does with it.
#pragma once

#include "archives/zip/zip_format.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace tessaro::archives {

enum class ArchiveAction {
    aaNone,     // loaded and unchanged
    aaAdd,      // to be added from its disk file
    aaFreshen,  // to be rebuilt from its disk file
    aaReplace,  // to be rebuilt from its disk file
    aaDelete,   // to be left out
    aaFailed,   // failed; left out
};

struct ZipEntry {
    std::string name;      // decoded stored name (UTF-8), separators as in the archive
    std::string rawName;   // the name's bytes as the headers hold them
    std::filesystem::path diskFileName;
    ArchiveAction action = ArchiveAction::aaNone;

    std::uint16_t versionMadeBy = 20;
    std::uint16_t versionNeeded = 20;
    std::uint16_t flags = 0;
    std::uint16_t method = 8;
    std::uint16_t dosTime = 0;
    std::uint16_t dosDate = 0;
    std::uint32_t crc = 0;
    std::uint64_t compressedSize = 0;
    std::uint64_t uncompressedSize = 0;
    std::uint16_t internalAttributes = 0;
    std::uint32_t externalAttributes = 0;
    std::uint64_t localHeaderOffset = 0;
    std::uint32_t firstDisk = 0;
    std::string centralExtra;
    std::optional<std::string> localExtra;  // known once the old local header has been read
    std::string comment;                    // raw bytes

    std::uint8_t hostByte() const { return static_cast<std::uint8_t>(versionMadeBy >> 8); }
    bool isEncrypted() const { return (flags & zip::kFlagEncrypted) != 0; }
    // A folder entry: the folder attribute, or a name ending in a separator.
    bool isFolder() const {
        return (externalAttributes & 0x10) != 0 ||
               (!rawName.empty() && (rawName.back() == '/' || rawName.back() == '\\'));
    }
};

}  // namespace tessaro::archives
