#include "archives/zip/zip_writer.h"

#include "archives/zip/archive_kind.h"
#include "archives/zip/extra_field.h"
#include "archives/zip/file_search.h"
#include "archives/zip/name_mask.h"
#include "archives/zip/package_image.h"
#include "archives/zip/record_writer.h"
#include "platform/dos_time.h"
#include "platform/file_attributes.h"
#include "platform/file_io.h"
#include "platform/temp_file.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

namespace tessaro::archives {
namespace {

using zip::PackageImage;
using zip::VolumeReader;

constexpr const char* kDuplicateNameText = "Cannot add file - an entry of that name exists";
constexpr size_t kCopyPiece = 1 << 20;

bool isWritten(const ZipEntry& entry) {
    return entry.action != ArchiveAction::aaDelete && entry.action != ArchiveAction::aaFailed;
}

// The central extra field with its zip64 record brought up to date.
std::string withZip64(std::string_view extra, const ZipEntry& entry) {
    std::string updated = zip::removeExtraRecord(extra, zip::kZip64ExtraId);
    const std::string data =
        zip::centralZip64Data(entry.uncompressedSize, entry.compressedSize, entry.localHeaderOffset);
    if (!data.empty()) updated += zip::extraRecordBytes(zip::kZip64ExtraId, data);
    return updated;
}

// The local extra field: `kept` (an old local field) without the records this writer makes,
// then the central field's Unicode name records, then the zip64 sizes when they overflow.
std::string localExtraFor(const ZipEntry& entry, std::string_view kept) {
    std::string extra = kept.empty() ? std::string()
                                     : zip::removeExtraRecord(
                                           zip::removeExtraRecord(zip::removeExtraRecord(kept, zip::kZip64ExtraId),
                                                                  zip::kUnicodePathExtraId),
                                           zip::kUnicodeNameNucxExtraId);
    for (const std::uint16_t id : {zip::kUnicodePathExtraId, zip::kUnicodeNameNucxExtraId})
        if (const auto record = zip::findExtraRecord(entry.centralExtra, id)) extra += zip::extraRecordBytes(id, *record);
    if (zip::sizesOverflow(entry)) {
        std::string data;
        ByteWriter w(data);
        w.u64(entry.uncompressedSize);
        w.u64(entry.compressedSize);
        extra += zip::extraRecordBytes(zip::kZip64ExtraId, data);
    }
    return extra;
}

// An entry rebuilt from a file here describes that file as a new entry does: its external
// attributes are DOS bits, so its host byte must be a DOS one (a Unix host byte would make
// readers take the bits for a Unix mode of 0000), and the time records of its old writer
// go, or readers would show their time instead of the new DOS time. The name's bytes and
// every other record stay. Host 0 suits every name when the two code pages are one; when
// they differ, an entry of another host keeps its names read in the ANSI code page (11).
void describeAsRebuiltHere(ZipEntry& entry, const zip::CodePagePair& codePages) {
    const std::uint8_t oldHost = entry.hostByte();
    if (oldHost == zip::kHostMsDos || oldHost == zip::kHostNtfs) {
        const bool dosHost = oldHost == zip::kHostMsDos || codePages.ansi == codePages.oem;
        const std::uint8_t host = dosHost ? zip::kHostMsDos : zip::kHostNtfs;
        entry.versionMadeBy = static_cast<std::uint16_t>((host << 8) | (entry.versionMadeBy & 0xFF));
    } else {
        // Another host's name bytes (UTF-8 on Unix, often without bit 11) would be read in
        // the DOS code page once the host byte says DOS: the name is stored as a new
        // entry's is, host byte, bit 11 and Unicode Path record included.
        zip::encodeEntryName(entry, codePages);
    }
    for (const std::uint16_t id : {zip::kNtfsTimesExtraId, zip::kExtendedTimeExtraId, zip::kUnixOldExtraId})
        entry.centralExtra = zip::removeExtraRecord(entry.centralExtra, id);
}

void copyData(ByteSource& from, std::uint64_t length, PackageImage& image) {
    std::vector<std::uint8_t> piece(static_cast<size_t>(std::min<std::uint64_t>(kCopyPiece, length)));
    while (length > 0) {
        const size_t n = from.readFully(std::span(piece).first(static_cast<size_t>(std::min<std::uint64_t>(piece.size(), length))));
        if (n == 0) throw ZipError(ZipCode::notPkZip, zip_text::kNotPkZip);
        image.data(std::span(piece).first(n));
        length -= n;
    }
}

// Writes the new image into the temporary file that will replace `package`. A failure names
// the package, the file the user knows, not the temporary file.
class TempFileSink final : public ByteSink {
public:
    TempFileSink(platform::TempFile& file, const std::filesystem::path& package) : file_(file), package_(package) {}
    void write(std::span<const std::uint8_t> data) override {
        if (!file_.write(data)) throw platform::FileIoError(platform::cannotWriteText(package_, std::strerror(errno)), errno);
    }

private:
    platform::TempFile& file_;
    const std::filesystem::path& package_;
};

}  // namespace

TZipWriter::TZipWriter(UserPort* port, platform::DriveQuery* drives)
    : port_(port), drives_(drives ? drives : &platform::systemDriveQuery()) {}

TZipWriter::~TZipWriter() {
    try {
        CloseArchive();
    } catch (...) {
        // A destructor cannot report; CloseArchive() called by the owner does.
    }
}

void TZipWriter::setStoreOptions(unsigned options) {
    storeOptions_ = options | soStripDrive;
    if (archive_) settings_.storeOptions = storeOptions_;
}

const std::vector<ZipEntry>& TZipWriter::entries() const {
    static const std::vector<ZipEntry> kNone;
    return archive_ ? archive_->entries : kNone;
}

zip::BuildSettings TZipWriter::buildSettings() const {
    zip::BuildSettings build;
    build.method = settings_.method;
    build.deflation = settings_.deflation;
    build.baseDirectory = settings_.baseDirectory;
    build.swapFolder = zip::swapFolderFor(settings_.tempDirectory);
    build.swapFiles = swapFiles_;
    build.residentPages = residentPages_;
    return build;
}

// ---- Opening and closing ------------------------------------------------------------------

void TZipWriter::OpenArchive(const std::filesystem::path& fileName) {
    CloseArchive();
    std::error_code ec;
    zip::LoadedArchive loaded;
    if (std::filesystem::exists(fileName, ec)) {
        if (!zip::isZipKind(zip::detectArchiveKind(fileName)))
            throw ZipError(ZipCode::unhandledType, zip_text::kUnhandledType);
        zip::LoaderEnvironment environment;
        environment.codePages = codePages_;
        environment.drives = drives_;
        environment.port = port_;
        loaded = zip::loadArchive(platform::RandomAccessFile(fileName, platform::RandomAccessFile::Mode::read), environment);
    } else {
        if (asciiUpper(fileName.extension().string()) != ".ZIP")
            throw ZipError(ZipCode::unhandledType, zip_text::kUnhandledType);
        loaded.volumes = std::make_unique<zip::VolumeSet>(
            platform::RandomAccessFile(fileName, platform::RandomAccessFile::Mode::create));
    }
    archive_ = std::move(loaded);
    fileName_ = fileName;
    settings_ = {storeOptions_, autoSave_, method_, deflation_, baseDirectory_, tempDirectory_};
    changed_ = false;
    status_ = ArchiveStatus::idle;
    rebuildIndex();
}

void TZipWriter::CreateArchive(const std::filesystem::path& fileName) {
    CloseArchive();
    if (asciiUpper(fileName.extension().string()) != ".ZIP") throw ZipError(ZipCode::unhandledType, zip_text::kUnhandledType);
    archive_ = zip::LoadedArchive{};  // no file behind it until the first save
    fileName_ = fileName;
    settings_ = {storeOptions_, autoSave_, method_, deflation_, baseDirectory_, tempDirectory_};
    changed_ = false;
    status_ = ArchiveStatus::idle;
    rebuildIndex();
}

void TZipWriter::CloseArchive() {
    if (fileName_.empty()) return;
    struct Forget {
        TZipWriter& writer;
        ~Forget() { writer.DiscardArchive(); }
    } forget{*this};
    if (changed_) Save();
}

void TZipWriter::DiscardArchive() noexcept {
    archive_.reset();
    fileName_.clear();
    index_.clear();
    changed_ = false;
    status_ = ArchiveStatus::invalid;
}

// ---- Adding -----------------------------------------------------------------------------

void TZipWriter::rebuildIndex() {
    index_.clear();
    if (!archive_) return;
    for (size_t i = 0; i < archive_->entries.size(); ++i)
        index_.emplace(asciiUpper(archive_->entries[i].name), i);
}

std::optional<size_t> TZipWriter::findEntry(const std::string& storedName) const {
    const std::string key = asciiUpper(storedName);
    const auto found = index_.find(key);
    if (found == index_.end()) return std::nullopt;
    const auto& entries = archive_->entries;
    if (entries[found->second].action != ArchiveAction::aaDelete) return found->second;
    for (size_t i = found->second + 1; i < entries.size(); ++i)
        if (entries[i].action != ArchiveAction::aaDelete && asciiUpper(entries[i].name) == key) return i;
    return std::nullopt;
}

void TZipWriter::reportAddFailure(const ZipEntry& entry, ErrorClass errorClass, int code, const std::string& text) const {
    if (onItemFailure_) onItemFailure_({entry.name, ItemOperation::add, errorClass, code, text});
}

void TZipWriter::AddFiles(std::string_view fileMask, std::uint32_t searchAttributes) {
    if (!archive_ || status_ == ArchiveStatus::invalid) throw ZipError(ZipCode::noArchive, zip_text::kNoArchive);
    const auto found = zip::findFiles(fileMask, searchAttributes, (settings_.storeOptions & soRecurse) != 0,
                                      settings_.baseDirectory);
    for (const auto& file : found) {
        std::error_code ec;
        if (std::filesystem::equivalent(file.fullPath, fileName_, ec)) continue;
        addFoundFile(std::filesystem::absolute(file.fullPath, ec), file.recordedPath);
    }
}

bool TZipWriter::AddFile(const std::filesystem::path& file) {
    if (!archive_ || status_ == ArchiveStatus::invalid) throw ZipError(ZipCode::noArchive, zip_text::kNoArchive);
    const std::filesystem::path path =
        file.is_absolute() || settings_.baseDirectory.empty() ? file : settings_.baseDirectory / file;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec) || std::filesystem::equivalent(path, fileName_, ec)) return false;
    // Recorded by its absolute path: a root is stripped like a drive, and a colon inside a
    // POSIX file name is no drive.
    const std::filesystem::path fullPath = std::filesystem::absolute(path, ec);
    addFoundFile(fullPath, fullPath.string());
    return true;
}

void TZipWriter::addFoundFile(const std::filesystem::path& fullPath, const std::string& recordedPath) {
    ZipEntry entry;
    entry.diskFileName = fullPath;
    entry.name = zip::storedNameFor(recordedPath, settings_.storeOptions);
    entry.method = 8;
    entry.versionMadeBy = 20;
    zip::encodeEntryName(entry, codePages_);
    zip::setVersionNumbers(entry);

    if (const auto existing = findEntry(entry.name)) {
        if (settings_.storeOptions & soFreshen) {
            freshen(entry.name, fullPath);
        } else if (settings_.storeOptions & soReplace) {
            ZipEntry& target = archive_->entries[*existing];
            target.diskFileName = fullPath;
            // An entry not saved yet stays one to be added: it has no old data to fall back on.
            if (target.action != ArchiveAction::aaAdd) target.action = ArchiveAction::aaReplace;
            changed_ = true;
        } else {
            reportAddFailure(entry, ErrorClass::library, 0, kDuplicateNameText);
        }
        return;
    }
    entry.action = ArchiveAction::aaAdd;
    index_.emplace(asciiUpper(entry.name), archive_->entries.size());
    archive_->entries.push_back(std::move(entry));
    changed_ = true;
    if (settings_.autoSave) Save();
}

void TZipWriter::freshen(const std::string& storedName, const std::filesystem::path& fullPath) {
    auto index = findEntry(storedName);
    if (archive_->entries[*index].action != ArchiveAction::aaNone) {
        Save();
        index = findEntry(storedName);
        if (!index) return;
    }
    ZipEntry& entry = archive_->entries[*index];
    entry.diskFileName = fullPath;
    const std::filesystem::path path = fullPath.is_absolute() || settings_.baseDirectory.empty()
                                           ? fullPath
                                           : settings_.baseDirectory / fullPath;
    std::optional<platform::FileStatus> status;
    try {
        FileSource probe(path);  // the file must open for reading
        status = platform::queryFileStatus(path);
        if (!status) throw tessaro::Error(platform::cannotOpenText(path, std::strerror(ENOENT)));
    } catch (const tessaro::Error& error) {
        reportAddFailure(entry, ErrorClass::fileOpen, 0, error.what());
        return;
    }
    const platform::DosDateTime dos = platform::toDosDateTime(status->lastWrite);
    if (dos.date == entry.dosDate && dos.time == entry.dosTime && status->size == entry.uncompressedSize) return;
    entry.action = ArchiveAction::aaFreshen;
    changed_ = true;
}

// ---- Saving -----------------------------------------------------------------------------

void TZipWriter::Save() {
    if (!archive_ || status_ == ArchiveStatus::invalid) return;
    if (archive_->entries.empty() || !changed_) return;
    if (archive_->multiDisk) {
        for (auto& entry : archive_->entries) entry.action = ArchiveAction::aaNone;
        changed_ = false;
        throw ZipError(ZipCode::spannedUpdate, zip_text::kSpannedUpdate);
    }

    // The entries as the new image has them; they replace the list only when it is complete.
    std::vector<ZipEntry> entries = archive_->entries;
    // A removable drive is written directly only where no earlier package is at stake.
    std::error_code ec;
    const bool empty = archive_->volumes ? archive_->volumes->archiveFile().size() == 0 : !std::filesystem::exists(fileName_, ec);
    const bool direct = empty && drives_->isRemovable(fileName_);
    status_ = ArchiveStatus::busy;
    struct Idle {
        ArchiveStatus& status;
        ~Idle() {
            if (status == ArchiveStatus::busy) status = ArchiveStatus::idle;
        }
    } idle{status_};

    bool spanned = false;
    if (direct) {
        zip::DiskImage image(fileName_, *drives_, port_);
        writeImage(image, entries, true);
        if (image.disk() == 0) {
            std::string marker;
            ByteWriter(marker).u32(zip::kSingleDiskMarker);
            image.overwriteStart(marker);
        }
        image.close();
        spanned = image.disk() > 0;
        reopenPackage(platform::RandomAccessFile::Mode::readWrite);
    } else {
        zip::StagedImage image(zip::swapFolderFor(settings_.tempDirectory), swapFiles_, residentPages_);
        writeImage(image, entries, false);
        replacePackage(image.store());
    }

    std::erase_if(entries, [](const ZipEntry& entry) { return !isWritten(entry); });
    for (auto& entry : entries) entry.action = ArchiveAction::aaNone;
    archive_->entries = std::move(entries);
    archive_->multiDisk = spanned;
    changed_ = false;
    rebuildIndex();
}

void TZipWriter::writeImage(PackageImage& image, std::vector<ZipEntry>& entries, bool removable) {
    if (removable) {
        std::string marker;
        ByteWriter(marker).u32(zip::kSpannedMarker);
        image.beginRecord(marker.size());
        image.record(marker);
    }
    for (auto& entry : entries) {
        switch (entry.action) {
            case ArchiveAction::aaNone: writeKeptEntry(image, entry); break;
            case ArchiveAction::aaAdd:
            case ArchiveAction::aaFreshen:
            case ArchiveAction::aaReplace: writeBuiltEntry(image, entry); break;
            case ArchiveAction::aaDelete:
            case ArchiveAction::aaFailed: break;
        }
    }
    writeDirectory(image, entries);
}

void TZipWriter::writeKeptEntry(PackageImage& image, ZipEntry& entry) {
    zip::VolumeSet& volumes = *archive_->volumes;
    std::array<std::uint8_t, zip::kLocalHeaderSize> header{};
    VolumeReader old(volumes, entry.firstDisk, entry.localHeaderOffset, UINT64_MAX);
    if (old.readFully(header) != header.size()) throw ZipError(ZipCode::notPkZip, zip_text::kNotPkZip);
    ByteReader in(header);
    if (in.u32() != zip::kLocalHeaderSignature) throw ZipError(ZipCode::notPkZip, zip_text::kNotPkZip);
    in.skip(22);
    const std::uint16_t nameLength = in.u16();
    const std::uint16_t extraLength = in.u16();
    std::string oldExtra(extraLength, '\0');
    old.seek(zip::kLocalHeaderSize + nameLength);
    if (old.readFully({reinterpret_cast<std::uint8_t*>(oldExtra.data()), oldExtra.size()}) != oldExtra.size())
        throw ZipError(ZipCode::notPkZip, zip_text::kNotPkZip);
    if (!entry.localExtra) entry.localExtra = oldExtra;
    VolumeReader data(volumes, old.disk(), old.diskOffset(), entry.compressedSize);

    // A data descriptor is written again after Deflate data only; any other entry loses bit 3
    // with it, or readers would look for a descriptor that is not there.
    const bool descriptor = (entry.flags & zip::kFlagDataDescriptor) && entry.method == 8;
    if (!descriptor) entry.flags &= static_cast<std::uint16_t>(~zip::kFlagDataDescriptor);

    const std::string localExtra = localExtraFor(entry, *entry.localExtra);
    image.beginRecord(zip::kLocalHeaderSize + entry.rawName.size() + localExtra.size());
    entry.localHeaderOffset = image.position();
    entry.firstDisk = image.disk();
    entry.centralExtra = withZip64(entry.centralExtra, entry);
    if (zip::findExtraRecord(entry.centralExtra, zip::kZip64ExtraId))
        entry.versionNeeded = std::max<std::uint16_t>(entry.versionNeeded, 45);
    image.record(zip::localHeaderRecord(entry, localExtra));
    copyData(data, entry.compressedSize, image);
    if (descriptor) image.data(zip::asBytes(zip::dataDescriptorRecord(entry)));
}

bool TZipWriter::writeBuiltEntry(PackageImage& image, ZipEntry& entry) {
    // A freshened or replaced entry is in the package already; when its new file fails, the
    // content the package holds is kept rather than lost.
    const ZipEntry old = entry;
    const bool inPackage = entry.action != ArchiveAction::aaAdd;
    std::unique_ptr<zip::StagingStore> data;
    try {
        data = zip::buildEntryData(entry, buildSettings());
    } catch (const UserAbort&) {
        throw;
    } catch (const tessaro::Error& error) {
        entry = old;
        reportAddFailure(entry, ErrorClass::fileOpen, 0, error.what());
        if (!inPackage) {
            entry.action = ArchiveAction::aaDelete;
            return false;
        }
        entry.action = ArchiveAction::aaNone;
        writeKeptEntry(image, entry);
        return true;
    }
    if (inPackage) describeAsRebuiltHere(entry, codePages_);
    const std::string localExtra = localExtraFor(entry, {});
    image.beginRecord(zip::kLocalHeaderSize + entry.rawName.size() + localExtra.size());
    entry.localHeaderOffset = image.position();
    entry.firstDisk = image.disk();
    entry.centralExtra = withZip64(entry.centralExtra, entry);
    entry.localExtra = localExtra;
    zip::setVersionNumbers(entry);
    image.record(zip::localHeaderRecord(entry, localExtra));
    zip::ImageDataSink sink(image);
    data->copyTo(sink);
    return true;
}

void TZipWriter::writeDirectory(PackageImage& image, const std::vector<ZipEntry>& entries) {
    zip::DirectoryEnd end;
    bool first = true;
    std::uint32_t lastDisk = image.disk();
    std::uint64_t onLastDisk = 0;
    for (const auto& entry : entries) {
        if (!isWritten(entry)) continue;
        const std::string header = zip::centralHeaderRecord(entry);
        image.beginRecord(header.size());
        if (first) {
            end.directoryDisk = image.disk();
            end.directoryOffset = image.position();
            first = false;
        }
        if (image.disk() != lastDisk) {
            lastDisk = image.disk();
            onLastDisk = 0;
        }
        image.record(header);
        ++onLastDisk;
        ++end.entriesTotal;
        end.directorySize += header.size();
    }
    if (first) {
        end.directoryDisk = image.disk();
        end.directoryOffset = image.position();
    }

    // The tail stays together on one disk: the zip64 end record and locator when needed,
    // then the end record.
    end.thisDisk = image.disk();
    end.entriesOnDisk = end.entriesTotal;
    const bool zip64 = zip::needsZip64Tail(end);
    const size_t tailSize = zip::kEndRecordSize + (zip64 ? zip::kZip64EndRecordSize + zip::kZip64LocatorSize : 0);
    image.beginRecord(tailSize);
    end.thisDisk = image.disk();
    end.entriesOnDisk = end.thisDisk == lastDisk ? onLastDisk : 0;
    if (zip64) {
        const std::uint64_t zip64Offset = image.position();
        image.record(zip::zip64EndRecord(end));
        image.record(zip::zip64LocatorRecord(end.thisDisk, zip64Offset, end.thisDisk + 1));
    }
    image.record(zip::endRecord(end));
}

// ---- Putting the image in place -------------------------------------------------------------

void TZipWriter::reopenPackage(platform::RandomAccessFile::Mode mode) {
    try {
        archive_->volumes = std::make_unique<zip::VolumeSet>(platform::RandomAccessFile(fileName_, mode));
    } catch (...) {
        archive_->volumes.reset();
        status_ = ArchiveStatus::invalid;
        throw;
    }
}

void TZipWriter::replacePackage(zip::StagingStore& image) {
    // A package opened through a symbolic link is updated where the link points.
    const std::filesystem::path target = platform::replacementTarget(fileName_);
    std::filesystem::path folder = target.parent_path();
    if (folder.empty()) folder = ".";
    auto temp = platform::TempFile::create(folder, tempFilePrefix_);
    if (!temp) throw tessaro::Error(platform::cannotCreateText(fileName_, std::strerror(errno)));
    TempFileSink sink(*temp, fileName_);
    image.copyTo(sink);

    // The package is closed while it is replaced (Windows cannot rename over an open file)
    // and opened again afterwards: the new image, or the old package when the rename failed.
    archive_->volumes.reset();
    std::string reason;
    if (temp->replace(target, reason)) {
        reopenPackage(platform::RandomAccessFile::Mode::readWrite);
        return;
    }
    // The old package may be read-only (that is why it was not replaced): read it back as such.
    // Whatever happens then, the error is the one of the package that could not be replaced.
    std::error_code ec;
    if (std::filesystem::is_regular_file(fileName_, ec)) {
        try {
            reopenPackage(platform::RandomAccessFile::Mode::read);
        } catch (const std::exception&) {
            // reopenPackage has marked the archive invalid.
        }
    }
    throw tessaro::Error(platform::cannotCreateText(fileName_, reason));
}

}  // namespace tessaro::archives
