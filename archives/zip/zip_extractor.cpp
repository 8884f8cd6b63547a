#include "archives/zip/zip_extractor.h"

#include "archives/codecs/entry_decoder.h"
#include "archives/io/decode_error.h"
#include "archives/zip/archive_kind.h"
#include "archives/zip/checksum_streams.h"
#include "archives/zip/entry_data.h"
#include "archives/zip/entry_attributes.h"
#include "archives/zip/name_mask.h"
#include "archives/zip/output_path.h"
#include "platform/dos_time.h"
#include "platform/file_attributes.h"
#include "platform/file_io.h"
#include "platform/path_text.h"

#include <array>
#include <cerrno>
#include <cstring>

namespace tessaro::archives {
namespace {

using zip::VolumeReader;

// The highest "version needed" (low byte) this extractor reads: 6.3.
constexpr std::uint16_t kHighestVersion = 63;

std::filesystem::path withoutTrailingSeparator(const std::filesystem::path& folder) {
    std::string text = platform::utf8FromPath(folder);
    while (text.size() > 1 && (text.back() == '\\' || text.back() == '/') && text[text.size() - 2] != ':')
        text.pop_back();
    return platform::pathFromUtf8(text);
}

// Whether `size` bytes fit on the file system of `folder`; true when it cannot tell. An
// entry is refused before its file is made, so a declared size the disk cannot take leaves
// no file half-written and no disk filled.
bool fitsOnDisk(const std::filesystem::path& folder, std::uint64_t size) {
    std::error_code ec;
    const auto info = std::filesystem::space(folder.empty() ? std::filesystem::path(".") : folder, ec);
    return ec || size <= info.available;
}

void createFolders(const std::filesystem::path& folder) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) throw tessaro::Error("Cannot create folder \"" + folder.string() + "\". " + ec.message());
}

}  // namespace

TZipExtractor::TZipExtractor(UserPort* port, const platform::DriveQuery* drives) : port_(port), drives_(drives) {}

TZipExtractor::~TZipExtractor() = default;

const std::vector<ZipEntry>& TZipExtractor::entries() const {
    static const std::vector<ZipEntry> kNone;
    return archive_ ? archive_->entries : kNone;
}

void TZipExtractor::checkBaseExists(const std::filesystem::path& folder) const {
    std::error_code ec;
    if (!folder.empty() && !std::filesystem::is_directory(folder, ec))
        throw ZipError(ZipCode::noSuchDirectory, zip_text::kNoSuchDirectory);
}

void TZipExtractor::setFileName(const std::filesystem::path& path) {
    CloseArchive();
    if (path.empty()) return;
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) throw ZipError(ZipCode::fileNotFound, zip_text::kFileNotFound);
    const auto size = std::filesystem::file_size(path, ec);
    if (ec || size == 0) throw ZipError(ZipCode::invalidStream, zip_text::kInvalidStream);
    if (!zip::isZipKind(zip::detectArchiveKind(path)))
        throw ZipError(ZipCode::unhandledType, zip_text::kUnhandledType);
    checkBaseExists(baseDirectory_);

    zip::LoaderEnvironment environment;
    environment.codePages = codePages_;
    environment.drives = drives_;
    environment.port = port_;
    archive_ = zip::loadArchive(platform::RandomAccessFile(path, platform::RandomAccessFile::Mode::read), environment);
    fileName_ = path;
    status_ = ArchiveStatus::idle;
}

void TZipExtractor::setBaseDirectory(const std::filesystem::path& folder) {
    const std::filesystem::path value = withoutTrailingSeparator(folder);
    if (archive_) checkBaseExists(value);
    baseDirectory_ = value;
}

void TZipExtractor::CloseArchive() {
    archive_.reset();
    fileName_.clear();
    status_ = ArchiveStatus::invalid;
}

void TZipExtractor::ExtractFiles(std::string_view fileMask) {
    if (!archive_ || status_ == ArchiveStatus::invalid) throw ZipError(ZipCode::noArchive, zip_text::kNoArchive);
    status_ = ArchiveStatus::busy;
    for (const auto& entry : archive_->entries) {
        if (status_ == ArchiveStatus::invalid) throw ZipError(ZipCode::noArchive, zip_text::kNoArchive);
        if (!zip::entryMatchesMask(fileMask, entry.name)) continue;
        if (entry.isFolder() && (options_ & eoCreateDirs) == 0) continue;
        try {
            extractEntry(entry);
        } catch (...) {
            if (status_ == ArchiveStatus::busy) status_ = ArchiveStatus::idle;
            throw;
        }
    }
    if (status_ == ArchiveStatus::busy) status_ = ArchiveStatus::idle;
}

void TZipExtractor::report(const ZipEntry& entry, ErrorClass errorClass, int code, const std::string& text) const {
    if (onItemFailure_) onItemFailure_({entry.name, ItemOperation::extract, errorClass, code, text});
}

void TZipExtractor::extractEntry(const ZipEntry& entry) {
    const bool folder = entry.isFolder();
    const bool restorePath = (options_ & eoRestorePath) != 0;
    const bool createDirs = (options_ & eoCreateDirs) != 0;
    if (folder && !(createDirs && restorePath)) return;

    if (zip::hasInvalidPathCharacters(baseDirectory_.string()) || zip::hasInvalidPathCharacters(entry.name))
        throw ZipError(ZipCode::invalidPathCharacters, zip_text::kInvalidPathCharacters);
    const auto relative = zip::confinedRelativePath(entry.name, !restorePath);
    if (!relative) {
        report(entry, ErrorClass::library, static_cast<int>(ZipCode::outsideBase), zip_text::kOutsideBase);
        return;
    }
    const std::filesystem::path output = baseDirectory_ / *relative;

    const std::filesystem::path outputFolder = output.parent_path();
    std::error_code ec;
    if (!outputFolder.empty() && !std::filesystem::is_directory(outputFolder, ec)) {
        if (!createDirs) throw ZipError(ZipCode::noSuchDirectory, zip_text::kNoSuchDirectory);
        createFolders(outputFolder);
    }

    ErrorClass stepClass = ErrorClass::other;
    try {
        if (folder) {
            createFolders(output);
            // Read-only has no meaning for a Windows folder's contents; here it would lock
            // the folder's later entries out, so folders take no attributes.
            return;
        }
        if ((entry.versionNeeded & 0xFF) > kHighestVersion)
            throw ZipError(ZipCode::newerVersion, zip_text::kNewerVersion);
        stepClass = ErrorClass::io;
        VolumeReader data = zip::openEntryData(*archive_->volumes, entry);
        stepClass = ErrorClass::other;
        if (entry.isEncrypted()) throw ZipError(ZipCode::invalidPassword, zip_text::kInvalidPassword);
        if (entry.uncompressedSize != 0 && !isSupportedMethod(entry.method))
            throw ZipError(ZipCode::unsupportedMethod, zip_text::kUnsupportedMethod);

        if (!fitsOnDisk(outputFolder, entry.uncompressedSize))
            throw ZipError(ZipCode::noFreeSpace, zip_text::kNoFreeSpace);
        stepClass = ErrorClass::fileCreate;
        // A read-only file stays, as Windows refuses to open it for writing (root here could).
        if (platform::isReadOnly(output))
            throw tessaro::Error(platform::cannotCreateText(output, std::strerror(EACCES)));
        extractFileData(entry, output, data);  // creates the file; deletes it again on failure
        stepClass = ErrorClass::other;

        if (const auto time = platform::fromDosDateTime(entry.dosDate, entry.dosTime))
            platform::setLastWriteTime(output, *time);
        platform::applyDosAttributes(output, zip::dosAttributesOf(entry));
    } catch (const UserAbort& abort) {
        status_ = ArchiveStatus::invalid;
        report(entry, ErrorClass::library, static_cast<int>(ZipCode::userAbort), abort.what());
    } catch (const ZipError& error) {
        report(entry, ErrorClass::library, static_cast<int>(error.code()), error.what());
    } catch (const UnsupportedMethodError& error) {
        report(entry, ErrorClass::library, static_cast<int>(ZipCode::unsupportedMethod), error.what());
    } catch (const platform::FileIoError& error) {
        report(entry, ErrorClass::io, error.code(), error.what());
    } catch (const DecodeError& error) {
        report(entry, ErrorClass::other, 0, error.what());
    } catch (const tessaro::Error& error) {
        report(entry, stepClass == ErrorClass::io ? ErrorClass::stream : stepClass, 0, error.what());
    }
}

void TZipExtractor::extractFileData(const ZipEntry& entry, const std::filesystem::path& output, ByteSource& data) {
    bool complete = false;
    struct RemoveUnlessComplete {
        const std::filesystem::path& path;
        const bool& complete;
        ~RemoveUnlessComplete() {
            std::error_code ec;
            if (!complete) std::filesystem::remove(path, ec);
        }
    } guard{output, complete};
    // Declared after the guard, so the file is closed before the guard removes it: Windows
    // cannot delete a file that is still open.
    FileSink file(output);

    zip::CrcSink checked(file);
    if (entry.uncompressedSize != 0) {
        EntryCoding coding;
        coding.method = entry.method;
        coding.flags = entry.flags;
        coding.compressedSize = entry.compressedSize;
        coding.uncompressedSize = entry.uncompressedSize;
        decodeEntryData(coding, data, checked);
    }
    file.close();
    complete = true;
    if (entry.uncompressedSize != 0 && checked.crc() != entry.crc)
        report(entry, ErrorClass::library, static_cast<int>(ZipCode::badCrc), zip_text::kBadCrc);
}

}  // namespace tessaro::archives
