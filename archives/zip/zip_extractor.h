// TZipExtractor: opens a ZIP archive and extracts its entries below a base folder.
//
// The import uses it to unpack a sampling archive: assign FileName, assign BaseDirectory,
// ExtractFiles("*.*"), CloseArchive. Errors that end the whole operation are thrown; a
// failure of one entry (encrypted, unsupported method, corrupt data, a name that would leave
// the base folder, an output file that cannot be created) is reported to the item-failure
// handler and the next entry is extracted. Entry data streams from the archive through its
// decoder straight into the output file while the CRC-32 is computed.
#pragma once

#include "archives/zip/archive_loader.h"
#include "archives/zip/name_codec.h"
#include "archives/zip/zip_errors.h"
#include "platform/drive_query.h"
#include "platform/user_port.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

namespace tessaro::archives {

// ExtractOptions bits.
enum ExtractOption : unsigned {
    eoCreateDirs = 1u << 0,   // create missing output folders; extract folder entries
    eoRestorePath = 1u << 1,  // keep the entries' folders below the base folder
};

enum class ArchiveStatus { invalid, idle, busy };

class TZipExtractor {
public:
    // `port` answers disk prompts of sets on removable disks; `drives` tells removable drives
    // (nullptr: the system's answers, where no drive is removable).
    explicit TZipExtractor(UserPort* port = nullptr, const platform::DriveQuery* drives = nullptr);
    ~TZipExtractor();
    TZipExtractor(const TZipExtractor&) = delete;
    TZipExtractor& operator=(const TZipExtractor&) = delete;

    void setCodePages(zip::CodePagePair codePages) { codePages_ = codePages; }
    void setExtractOptions(unsigned options) { options_ = options; }
    unsigned extractOptions() const { return options_; }
    void setOnItemFailure(ItemFailureHandler handler) { onItemFailure_ = std::move(handler); }

    // Closes any open archive, then opens and loads `path` (empty: none). Throws "File not
    // found", "Invalid Stream", "Unhandled Archive Type" and the loader's errors.
    void setFileName(const std::filesystem::path& path);
    const std::filesystem::path& fileName() const { return fileName_; }

    // Takes the folder output paths are joined to. With an archive open, a folder that does
    // not exist is refused with "Directory does not exist" and the old value stays.
    void setBaseDirectory(const std::filesystem::path& folder);
    const std::filesystem::path& baseDirectory() const { return baseDirectory_; }

    // Extracts every entry matching `fileMask`.
    void ExtractFiles(std::string_view fileMask);
    void CloseArchive();

    // The loaded entries (empty without archive).
    const std::vector<ZipEntry>& entries() const;
    ArchiveStatus status() const { return status_; }

private:
    void extractEntry(const ZipEntry& entry);
    void extractFileData(const ZipEntry& entry, const std::filesystem::path& output, ByteSource& data);
    void report(const ZipEntry& entry, ErrorClass errorClass, int code, const std::string& text) const;
    void checkBaseExists(const std::filesystem::path& folder) const;

    UserPort* port_;
    const platform::DriveQuery* drives_;
    zip::CodePagePair codePages_;
    unsigned options_ = eoCreateDirs | eoRestorePath;
    ItemFailureHandler onItemFailure_;
    std::filesystem::path fileName_;
    std::filesystem::path baseDirectory_;
    std::optional<zip::LoadedArchive> archive_;
    ArchiveStatus status_ = ArchiveStatus::invalid;
};

}  // namespace tessaro::archives
