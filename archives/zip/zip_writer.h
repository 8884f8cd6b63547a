// TZipWriter: makes and updates ZIP packages.
//
// The production run starts each case's package anew (CreateArchive), adds the case's
// cabinets and document one file at a time, saves and closes; OpenArchive updates an
// existing archive instead. A save builds the complete new image in a
// staging store and only then replaces the package file, through a temporary file in the
// package's folder that is renamed over it, so a failed save leaves the old package (or the
// empty new one) as it was. Entries already in a package are copied over unchanged unless a
// file of the same name is added again with a different date, time or size.
#pragma once

#include "archives/zip/archive_loader.h"
#include "archives/zip/entry_builder.h"
#include "archives/zip/entry_compression.h"
#include "archives/zip/name_codec.h"
#include "archives/zip/package_image.h"
#include "archives/zip/stored_name.h"
#include "archives/zip/zip_errors.h"
#include "archives/zip/zip_extractor.h"
#include "platform/drive_query.h"
#include "platform/user_port.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tessaro::archives {

class TZipWriter {
public:
    // The store options the window gives the component when it creates it.
    static constexpr unsigned kInitialStoreOptions = soStripDrive | soRemoveDots | soRecurse | soReplace;

    // `port` answers disk prompts on removable drives; `drives` tells removable drives
    // (nullptr: the system's answers, where no drive is removable).
    explicit TZipWriter(UserPort* port = nullptr, platform::DriveQuery* drives = nullptr);
    // Closes an open archive; unsaved changes are saved, and a failure then is swallowed.
    ~TZipWriter();
    TZipWriter(const TZipWriter&) = delete;
    TZipWriter& operator=(const TZipWriter&) = delete;

    // soStripDrive is always in force. Takes effect for the open archive too.
    void setStoreOptions(unsigned options);
    unsigned storeOptions() const { return storeOptions_; }
    void setAutoSave(bool on) { autoSave_ = on; }
    void setCompressionMethod(CompressionMethod method) { method_ = method; }
    void setDeflationOption(DeflationOption option) { deflation_ = option; }
    void setBaseDirectory(const std::filesystem::path& folder) { baseDirectory_ = folder; }
    // The folder of the staging stores' swap files; empty: the system's temporary folder.
    void setTempDirectory(const std::filesystem::path& folder) { tempDirectory_ = folder; }
    // A save writes the image to "<prefix>XXXXXX" beside the package before it renames it over
    // the package (default ".~zip"): callers that must recognise what a killed program left
    // name it after the package.
    void setTempFilePrefix(std::string prefix) { tempFilePrefix_ = std::move(prefix); }
    void setCodePages(zip::CodePagePair codePages) { codePages_ = codePages; }
    void setOnItemFailure(ItemFailureHandler handler) { onItemFailure_ = std::move(handler); }
    // Replaces how swap files are made (tests provoke swap-file failures with it).
    void setSwapFileFactory(zip::SwapFileFactory factory) { swapFiles_ = std::move(factory); }
    // Pages each staging store keeps in memory (2,048 = 8 MiB; tests compare against a
    // store that never swaps).
    void setResidentPageLimit(size_t pages) { residentPages_ = pages; }

    // Closes any open archive (saving it), then opens `fileName`: an existing ZIP is loaded,
    // a missing ".zip" file is created empty at once.
    void OpenArchive(const std::filesystem::path& fileName);
    // Closes any open archive (saving it), then starts a new, empty archive that Save writes
    // to `fileName` (a ".zip" name). Nothing is read from or written to `fileName` before
    // Save, which replaces any file of that name in one step: no entry of an earlier file
    // survives, and until then the name holds what it held (a killed program leaves no empty
    // or partial file under it).
    void CreateArchive(const std::filesystem::path& fileName);
    // Adds every file `fileMask` finds; hidden and system files and folders only when
    // `searchAttributes` asks for them (DOS attribute bits).
    void AddFiles(std::string_view fileMask, std::uint32_t searchAttributes = 0);
    // Adds the one regular file `file` names, taken literally: no mask characters, no
    // attribute filter, no folder search. False, with nothing added, when `file` is no
    // regular file or is the archive itself.
    bool AddFile(const std::filesystem::path& file);
    // Writes the archive when it has unsaved changes.
    void Save();
    // Saves unsaved changes, closes the file and forgets the archive.
    void CloseArchive();
    // Closes the file and forgets the archive without saving: the package stays on disk as
    // it was (a package OpenArchive created is left empty). For callers that must not let a
    // failed operation reach the package.
    void DiscardArchive() noexcept;

    bool isOpen() const { return archive_.has_value(); }
    const std::filesystem::path& fileName() const { return fileName_; }
    const std::vector<ZipEntry>& entries() const;
    bool hasUnsavedChanges() const { return changed_; }

private:
    struct Settings {
        unsigned storeOptions = 0;
        bool autoSave = false;
        CompressionMethod method = CompressionMethod::smBestMethod;
        DeflationOption deflation = DeflationOption::doNormal;
        std::filesystem::path baseDirectory;
        std::filesystem::path tempDirectory;
    };
    struct SaveResult;

    void addFoundFile(const std::filesystem::path& fullPath, const std::string& recordedPath);
    void freshen(const std::string& storedName, const std::filesystem::path& fullPath);
    std::optional<size_t> findEntry(const std::string& storedName) const;
    void rebuildIndex();
    void reportAddFailure(const ZipEntry& entry, ErrorClass errorClass, int code, const std::string& text) const;

    void writeImage(zip::PackageImage& image, std::vector<ZipEntry>& entries, bool removable);
    void writeKeptEntry(zip::PackageImage& image, ZipEntry& entry);
    bool writeBuiltEntry(zip::PackageImage& image, ZipEntry& entry);
    void writeDirectory(zip::PackageImage& image, const std::vector<ZipEntry>& entries);
    void replacePackage(zip::StagingStore& image);
    void reopenPackage(platform::RandomAccessFile::Mode mode);
    zip::BuildSettings buildSettings() const;

    UserPort* port_;
    platform::DriveQuery* drives_;
    zip::CodePagePair codePages_;
    zip::SwapFileFactory swapFiles_ = zip::systemSwapFiles();
    size_t residentPages_ = zip::StagingStore::kMaxResidentPages;
    ItemFailureHandler onItemFailure_;

    // The component's settings, copied into each archive it opens.
    unsigned storeOptions_ = kInitialStoreOptions;
    bool autoSave_ = false;
    CompressionMethod method_ = CompressionMethod::smBestMethod;
    DeflationOption deflation_ = DeflationOption::doNormal;
    std::filesystem::path baseDirectory_;
    std::filesystem::path tempDirectory_;
    std::string tempFilePrefix_ = ".~zip";

    // The open archive.
    std::filesystem::path fileName_;
    std::optional<zip::LoadedArchive> archive_;
    Settings settings_;
    bool changed_ = false;
    ArchiveStatus status_ = ArchiveStatus::invalid;
    std::unordered_map<std::string, size_t> index_;  // upper-cased stored name -> first entry
};

}  // namespace tessaro::archives
