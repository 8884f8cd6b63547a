#include "archives/zip/archive_loader.h"

#include "archives/zip/end_record_search.h"
#include "archives/zip/extra_field.h"
#include "archives/zip/zip_errors.h"
#include "archives/zip/zip_format.h"
#include "platform/path_text.h"

#include <algorithm>
#include <array>
#include <tuple>
#include <vector>

namespace tessaro::archives::zip {
namespace {

[[noreturn]] void notPkZip() { throw ZipError(ZipCode::notPkZip, zip_text::kNotPkZip); }

const platform::DriveQuery& drivesOf(const LoaderEnvironment& environment) {
    return environment.drives ? *environment.drives : platform::systemDriveQuery();
}

std::uint32_t firstFourBytes(const platform::RandomAccessFile& file) {
    std::array<std::uint8_t, 4> head{};
    return file.readAt(0, head) == head.size() ? getU32(head.data()) : 0;
}

// The end record's offset; asks for the last disk of a floppy set while it is missing.
std::uint64_t locateEndRecord(platform::RandomAccessFile& file, const LoaderEnvironment& environment) {
    for (;;) {
        if (const auto found = findEndRecord(file)) return *found;
        const auto& drives = drivesOf(environment);
        if (firstFourBytes(file) != kSpannedMarker || !drives.isRemovable(file.path()) || !environment.port) notPkZip();
        const std::filesystem::path path = file.path();
        do {
            if (!environment.port->askOkCancel("Insert the last disk in the spanned disk set")) throw UserAbort();
        } while (!drives.isReady(path));
        try {
            file = platform::RandomAccessFile(path, platform::RandomAccessFile::Mode::read);
        } catch (const tessaro::Error&) {
            // Not readable yet: the search fails and the prompt comes again.
        }
    }
}

struct EndRecordAt {
    EndValues values;
    std::uint64_t offset = 0;
};

EndRecordAt readEndRecord(const platform::RandomAccessFile& file, std::uint64_t offset, const CodePagePair& codePages) {
    std::array<std::uint8_t, kEndRecordSize> bytes{};
    file.readExactAt(offset, bytes);
    ByteReader reader(bytes);
    if (reader.u32() != kEndRecordSignature) notPkZip();
    EndRecordAt end;
    end.offset = offset;
    end.values.thisDisk = reader.u16();
    end.values.directoryDisk = reader.u16();
    end.values.entriesOnDisk = reader.u16();
    end.values.entriesTotal = reader.u16();
    end.values.directorySize = reader.u32();
    end.values.directoryOffset = reader.u32();
    const std::uint16_t commentLength = reader.u16();
    std::string comment(commentLength, '\0');
    const size_t got = file.readAt(offset + kEndRecordSize,
                                   {reinterpret_cast<std::uint8_t*>(comment.data()), comment.size()});
    comment.resize(got);
    end.values.comment = platform::decodeCodePage(comment, codePages.ansi);
    return end;
}

bool needsZip64(const EndValues& v) {
    return v.thisDisk >= kSaturated16 || v.directoryDisk >= kSaturated16 || v.entriesOnDisk >= kSaturated16 ||
           v.entriesTotal >= kSaturated16 || v.directorySize == kSaturated32 || v.directoryOffset == kSaturated32;
}

struct Zip64Locator {
    std::uint32_t endRecordDisk = 0;
    std::uint64_t endRecordOffset = 0;
    std::uint32_t totalDisks = 1;
};

// Searches backwards from 20 bytes before the end record for the locator's signature, one
// candidate position at a time, reading the candidates in windows of 64 KiB.
Zip64Locator findZip64Locator(const platform::RandomAccessFile& file, std::uint64_t endOffset) {
    if (endOffset < kZip64LocatorSize) notPkZip();
    constexpr std::uint64_t kCandidatesPerWindow = 65536;
    std::vector<std::uint8_t> window(kCandidatesPerWindow + kZip64LocatorSize);
    std::uint64_t top = endOffset - kZip64LocatorSize;  // highest candidate not yet looked at
    for (;;) {
        const std::uint64_t bottom = top >= kCandidatesPerWindow ? top - kCandidatesPerWindow + 1 : 0;
        const size_t length = static_cast<size_t>(top - bottom + kZip64LocatorSize);
        file.readExactAt(bottom, std::span(window).first(length));
        for (std::uint64_t at = top + 1; at-- > bottom;) {
            const size_t local = static_cast<size_t>(at - bottom);
            if (getU32(window.data() + local) != kZip64LocatorSignature) continue;
            ByteReader reader(std::span<const std::uint8_t>(window).subspan(local + 4, 16));
            Zip64Locator locator;
            locator.endRecordDisk = reader.u32();
            locator.endRecordOffset = reader.u64();
            locator.totalDisks = reader.u32();
            return locator;
        }
        if (bottom == 0) notPkZip();
        top = bottom - 1;
    }
}

// Applies the zip64 end record to the saturated fields; returns all of its values.
EndValues applyZip64End(VolumeSet& volumes, const Zip64Locator& locator, EndValues& values) {
    std::array<std::uint8_t, kZip64EndRecordSize> bytes{};
    VolumeReader reader(volumes, locator.endRecordDisk, locator.endRecordOffset, bytes.size());
    if (reader.readFully(bytes) != bytes.size()) notPkZip();
    ByteReader in(bytes);
    if (in.u32() != kZip64EndRecordSignature) notPkZip();
    in.skip(8 + 2 + 2);  // record size, version made by, version needed
    const std::uint32_t thisDisk = in.u32();
    const std::uint32_t directoryDisk = in.u32();
    const std::uint64_t entriesOnDisk = in.u64();
    const std::uint64_t entriesTotal = in.u64();
    const std::uint64_t directorySize = in.u64();
    const std::uint64_t directoryOffset = in.u64();
    if (values.thisDisk == kSaturated16) values.thisDisk = thisDisk;
    if (values.directoryDisk == kSaturated16) values.directoryDisk = directoryDisk;
    if (values.entriesOnDisk == kSaturated16) values.entriesOnDisk = entriesOnDisk;
    if (values.entriesTotal == kSaturated16) values.entriesTotal = entriesTotal;
    if (values.directorySize == kSaturated32) values.directorySize = directorySize;
    if (values.directoryOffset == kSaturated32) values.directoryOffset = directoryOffset;
    EndValues zip64 = values;
    zip64.directoryDisk = directoryDisk;
    zip64.directorySize = directorySize;
    zip64.directoryOffset = directoryOffset;
    return zip64;
}

// Reads the central directory through a buffer, record by record.
class DirectoryReader {
public:
    DirectoryReader(VolumeSet& volumes, std::uint32_t disk, std::uint64_t offset)
        : source_(volumes, disk, offset, UINT64_MAX) {}

    // Exactly `count` bytes, or "not a PKZip file" when the directory ends before.
    std::string_view take(size_t count) {
        if (buffer_.size() - pos_ < count) refill(count);
        const std::string_view out(reinterpret_cast<const char*>(buffer_.data()) + pos_, count);
        pos_ += count;
        taken_ += count;
        return out;
    }

    // Bytes of directory taken so far.
    std::uint64_t taken() const { return taken_; }

private:
    void refill(size_t count) {
        buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(pos_));
        pos_ = 0;
        const size_t have = buffer_.size();
        buffer_.resize(std::max<size_t>(count, 65536));
        const size_t got = source_.readFully(std::span(buffer_).subspan(have));
        buffer_.resize(have + got);
        if (buffer_.size() < count) notPkZip();
    }

    VolumeReader source_;
    std::vector<std::uint8_t> buffer_;
    size_t pos_ = 0;
    std::uint64_t taken_ = 0;
};

// ---- Limits ----

// What one archive's central directory may hold. Loading keeps every entry in memory (about
// 300 bytes each, its name three times over, its extra field and comment), so an archive
// is refused beyond 1,048,576 entries or 256 MiB of directory, counted as read rather than
// as the end record claims: loading then takes at most about 1.1 GB, and an archive that
// claims more than it holds costs only what it holds.
constexpr std::uint64_t kMaxEntries = std::uint64_t{1} << 20;
constexpr std::uint64_t kMaxDirectoryBytes = std::uint64_t{256} << 20;

// Entries whose data overlap. Each entry's data lies after its own local header (at least 30
// bytes) and runs for its compressed size; two entries that share bytes, or start at one
// header, are the mark of a crafted archive whose few bytes extract to any size ("zip
// bomb"), and no writer makes them. Entries are compared by these least extents on the
// disk where they start.
void refuseOverlappingEntries(const std::vector<ZipEntry>& entries) {
    std::vector<const ZipEntry*> order;
    order.reserve(entries.size());
    for (const auto& entry : entries) order.push_back(&entry);
    std::sort(order.begin(), order.end(), [](const ZipEntry* a, const ZipEntry* b) {
        return std::tie(a->firstDisk, a->localHeaderOffset) < std::tie(b->firstDisk, b->localHeaderOffset);
    });
    for (size_t i = 1; i < order.size(); ++i) {
        const ZipEntry& before = *order[i - 1];
        const ZipEntry& after = *order[i];
        if (before.firstDisk != after.firstDisk) continue;
        const std::uint64_t room = after.localHeaderOffset - before.localHeaderOffset;
        if (room < kLocalHeaderSize || room - kLocalHeaderSize < before.compressedSize)
            throw ZipError(ZipCode::overlappingEntries, zip_text::kOverlappingEntries);
    }
}

ZipEntry readCentralHeader(DirectoryReader& reader, const CodePagePair& codePages) {
    ByteReader in(reader.take(kCentralHeaderSize));
    if (in.u32() != kCentralHeaderSignature) notPkZip();
    ZipEntry entry;
    entry.versionMadeBy = in.u16();
    entry.versionNeeded = in.u16();
    entry.flags = in.u16();
    entry.method = in.u16();
    entry.dosTime = in.u16();
    entry.dosDate = in.u16();
    entry.crc = in.u32();
    entry.compressedSize = in.u32();
    entry.uncompressedSize = in.u32();
    const std::uint16_t nameLength = in.u16();
    const std::uint16_t extraLength = in.u16();
    const std::uint16_t commentLength = in.u16();
    entry.firstDisk = in.u16();
    entry.internalAttributes = in.u16();
    entry.externalAttributes = in.u32();
    entry.localHeaderOffset = in.u32();
    entry.rawName = std::string(reader.take(nameLength));
    entry.centralExtra = buildExtraField(parseExtraField(reader.take(extraLength)));
    entry.comment = std::string(reader.take(commentLength));

    entry.name = decodeEntryName(entry.rawName, entry.flags, entry.hostByte(), entry.centralExtra, codePages);
    if (const auto zip64 = findExtraRecord(entry.centralExtra, kZip64ExtraId)) {
        Zip64Fields fields{entry.uncompressedSize, entry.compressedSize, entry.localHeaderOffset, entry.firstDisk};
        applyZip64Record(*zip64, fields);
        entry.uncompressedSize = fields.uncompressedSize;
        entry.compressedSize = fields.compressedSize;
        entry.localHeaderOffset = fields.localHeaderOffset;
        entry.firstDisk = fields.firstDisk;
    }
    std::string diskName = entry.name;
    std::replace(diskName.begin(), diskName.end(), '/', '\\');
    entry.diskFileName = platform::pathFromUtf8(diskName);
    entry.action = ArchiveAction::aaNone;
    return entry;
}

bool centralHeaderAt(VolumeSet& volumes, std::uint32_t disk, std::uint64_t offset) {
    std::array<std::uint8_t, 4> signature{};
    VolumeReader reader(volumes, disk, offset, signature.size());
    return reader.readFully(signature) == signature.size() && getU32(signature.data()) == kCentralHeaderSignature;
}

// Bytes put in front of a single-disk archive whose offsets were not adjusted for them (a
// program part, or other data): the central directory ends that much before the record
// that follows it. Used only when the directory is not where its offset says.
std::uint64_t prefixLength(VolumeSet& volumes, const EndValues& end, std::uint64_t directoryEnd) {
    if (end.entriesTotal == 0 || end.thisDisk != 0) return 0;
    if (centralHeaderAt(volumes, 0, end.directoryOffset)) return 0;
    if (directoryEnd <= end.directoryOffset + end.directorySize) return 0;
    const std::uint64_t prefix = directoryEnd - (end.directoryOffset + end.directorySize);
    return centralHeaderAt(volumes, 0, end.directoryOffset + prefix) ? prefix : 0;
}

}  // namespace

LoadedArchive loadArchive(platform::RandomAccessFile archive, const LoaderEnvironment& environment) {
    LoadedArchive loaded;
    const std::filesystem::path path = archive.path();
    if (archive.size() == 0) {
        loaded.volumes = std::make_unique<VolumeSet>(std::move(archive));
        return loaded;
    }
    const std::uint32_t head = firstFourBytes(archive);
    loaded.selfExtracting = (head & 0xFFFF) == 0x5A4D /* "MZ" */ || head == 0x464C457F /* 7F "ELF" */;

    const std::uint64_t endOffset = locateEndRecord(archive, environment);
    EndRecordAt end = readEndRecord(archive, endOffset, environment.codePages);
    std::uint64_t directoryEnd = end.offset;

    std::optional<Zip64Locator> locator;
    if (needsZip64(end.values)) {
        locator = findZip64Locator(archive, end.offset);
        // Some writers put 0 for "one disk"; there is always at least the disk holding the locator.
        end.values.thisDisk = std::max<std::uint32_t>(locator->totalDisks, 1) - 1;
    }
    loaded.volumes = std::make_unique<VolumeSet>(std::move(archive));
    VolumeSet& volumes = *loaded.volumes;
    if (end.values.thisDisk != 0) {
        loaded.multiDisk = true;
        const auto& drives = drivesOf(environment);
        if (std::filesystem::exists(splitPartName(path, 1)) || !drives.isRemovable(path) || !environment.port)
            volumes.useSplitFiles(end.values.thisDisk);
        else
            volumes.useRemovableDisks(end.values.thisDisk, *environment.port, drives);
    }
    if (locator) {
        const EndValues zip64 = applyZip64End(volumes, *locator, end.values);
        directoryEnd = locator->endRecordOffset;
        // Some writers leave wrong 32-bit values beside a zip64 record; when the directory is
        // not where they say but where the zip64 record says, the zip64 values count.
        if (!centralHeaderAt(volumes, end.values.directoryDisk, end.values.directoryOffset) &&
            centralHeaderAt(volumes, zip64.directoryDisk, zip64.directoryOffset)) {
            end.values.directoryDisk = zip64.directoryDisk;
            end.values.directorySize = zip64.directorySize;
            end.values.directoryOffset = zip64.directoryOffset;
        }
    }
    loaded.end = end.values;

    const std::uint64_t prefix = prefixLength(volumes, loaded.end, directoryEnd);
    DirectoryReader reader(volumes, loaded.end.directoryDisk, loaded.end.directoryOffset + prefix);
    // Room for what the directory can hold: a central header takes at least 46 bytes.
    loaded.entries.reserve(static_cast<size_t>(
        std::min({loaded.end.entriesTotal, loaded.end.directorySize / kCentralHeaderSize + 1, std::uint64_t{4096}})));
    for (std::uint64_t i = 0; i < loaded.end.entriesTotal; ++i) {
        if (i == kMaxEntries || reader.taken() > kMaxDirectoryBytes)
            throw ZipError(ZipCode::directoryTooLarge, zip_text::kDirectoryTooLarge);
        loaded.entries.push_back(readCentralHeader(reader, environment.codePages));
        loaded.entries.back().localHeaderOffset += prefix;
    }
    refuseOverlappingEntries(loaded.entries);

    if (loaded.selfExtracting) {
        std::uint64_t smallest = UINT64_MAX;
        for (const auto& entry : loaded.entries)
            if (entry.firstDisk == 0) smallest = std::min(smallest, entry.localHeaderOffset);
        loaded.programSize = smallest == UINT64_MAX ? 0 : smallest;
    }
    return loaded;
}

}  // namespace tessaro::archives::zip
