#include "archives/zip/entry_builder.h"

#include "archives/zip/checksum_streams.h"
#include "archives/zip/extra_field.h"
#include "archives/zip/zip_errors.h"
#include "platform/dos_time.h"
#include "platform/file_attributes.h"

#include <algorithm>
#include <array>

namespace tessaro::archives::zip {
namespace {

constexpr size_t kStoredPiece = 8192;

struct StoredResult {
    std::uint32_t crc;
    std::uint64_t size;
};

StoredResult copyStored(ByteSource& file, StagingStore& store) {
    CrcSink checked(store);
    std::array<std::uint8_t, kStoredPiece> piece{};
    for (;;) {
        const size_t got = file.read(piece);
        if (got == 0) break;
        checked.write(std::span(piece).first(got));
    }
    return {checked.crc(), checked.count()};
}

void setStored(ZipEntry& entry, const StoredResult& result) {
    entry.method = 0;
    entry.crc = result.crc;
    entry.uncompressedSize = result.size;
}

}  // namespace

void setVersionNumbers(ZipEntry& entry) {
    std::uint16_t needed = 10;
    if (findExtraRecord(entry.centralExtra, kZip64ExtraId)) needed = 45;
    else if (entry.isFolder() || entry.isEncrypted() || entry.method > 6) needed = 20;
    entry.versionNeeded = needed;
    entry.versionMadeBy = static_cast<std::uint16_t>((entry.hostByte() << 8) | std::max<std::uint16_t>(20, needed));
}

std::unique_ptr<StagingStore> buildEntryData(ZipEntry& entry, const BuildSettings& settings) {
    const std::filesystem::path path =
        entry.diskFileName.is_absolute() || settings.baseDirectory.empty() ? entry.diskFileName
                                                                           : settings.baseDirectory / entry.diskFileName;
    const auto status = platform::queryFileStatus(path);
    if (!status) throw ZipError(ZipCode::fileNotFound, zip_text::kFileNotFound);

    entry.externalAttributes = status->attributes;
    const platform::DosDateTime dos = platform::toDosDateTime(status->lastWrite);
    entry.dosDate = dos.date;
    entry.dosTime = dos.time;
    entry.flags &= kFlagUtf8;
    entry.internalAttributes = 0;
    auto store = std::make_unique<StagingStore>(settings.swapFolder, settings.swapFiles, settings.residentPages);

    if (status->isDirectory()) {
        setStored(entry, {0, 0});
    } else {
        FileSource file(path);
        if (file.size() == 0) {
            setStored(entry, {0, 0});
        } else if (settings.method == CompressionMethod::smStored) {
            setStored(entry, copyStored(file, *store));
        } else {
            ExtentSource counted(file);
            entry.crc = deflateEntry(counted, *store, settings.deflation);
            entry.uncompressedSize = counted.extent();
            entry.method = 8;
            entry.flags |= deflationFlags(settings.deflation);
            if (settings.method == CompressionMethod::smBestMethod && store->size() > entry.uncompressedSize) {
                // Deflate does not pay: store the file instead.
                store = std::make_unique<StagingStore>(settings.swapFolder, settings.swapFiles, settings.residentPages);
                file.seek(0);
                entry.flags &= kFlagUtf8;
                setStored(entry, copyStored(file, *store));
            }
        }
    }
    entry.compressedSize = store->size();
    setVersionNumbers(entry);
    return store;
}

}  // namespace tessaro::archives::zip
