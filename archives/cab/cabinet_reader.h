// Reads a Microsoft cabinet file: lists its files and extracts them.
//
// Used by the tests and the package checker to look inside the cabinets we build and those
// other tools build. It handles the folder kinds our writer produces and the common tools
// emit: stored (no compression) and MSZIP, in any number of folders, with or without reserved
// areas. Every data block's checksum is verified when one is present (non-zero). Cabinets
// that continue into a neighbour cabinet are listed, but their split files cannot be
// extracted on their own.
//
// Corrupt or truncated cabinets raise DecodeError; reading is bounded by the cabinet's own
// size, so no input makes it read or allocate without limit. Folders whose data blocks overlap,
// or run past the cabinet's end, are refused when the directory is read: one pass over every
// folder then decodes each block at most once.
#pragma once

#include "archives/cab/cab_records.h"
#include "archives/io/byte_stream.h"
#include "platform/code_page.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace tessaro::archives::cab {

struct CabEntry {
    std::string rawName;  // the stored bytes
    std::string name;     // UTF-8: decoded from the code page, or as stored when flagged UTF-8
    std::uint32_t size = 0;
    std::uint32_t folderOffset = 0;
    std::uint16_t folderIndex = 0;
    std::uint16_t dosDate = 0;
    std::uint16_t dosTime = 0;
    std::uint16_t attributes = 0;
};

class CabinetReader {
public:
    // Reads the cabinet's directory. Throws tessaro::Error when the file cannot be opened and
    // DecodeError when it is not a sound cabinet.
    explicit CabinetReader(const std::filesystem::path& path, platform::CodePage codePage = platform::kAnsiCodePage);

    const std::vector<CabEntry>& entries() const { return entries_; }
    const std::vector<FolderRecord>& folders() const { return folders_; }
    std::uint16_t setId() const { return setId_; }

    // Writes the data of entry `index` to `out`.
    void extract(size_t index, ByteSink& out);

    // Extracts every entry in one pass per folder; `sinkFor` gives the sink of each entry (or
    // nullptr to skip it). Entries are visited in the order of their data within each folder.
    void extractAll(const std::function<ByteSink*(const CabEntry&)>& sinkFor);

private:
    void readDirectory(platform::CodePage codePage);
    void checkFolderData(std::uint32_t cabinetSize);
    void extractFolder(size_t folder, const std::vector<size_t>& entryIndexes,
                       const std::function<ByteSink*(const CabEntry&)>& sinkFor);

    std::filesystem::path path_;
    FileSource file_;
    std::vector<FolderRecord> folders_;
    std::vector<CabEntry> entries_;
    std::uint16_t setId_ = 0;
    size_t dataReserve_ = 0;
};

}  // namespace tessaro::archives::cab
