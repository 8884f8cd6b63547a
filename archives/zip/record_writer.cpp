#include "archives/zip/record_writer.h"

#include <algorithm>

namespace tessaro::archives::zip {
namespace {

std::uint32_t field32(std::uint64_t value) {
    return value >= kSaturated32 ? kSaturated32 : static_cast<std::uint32_t>(value);
}

std::uint16_t field16(std::uint64_t value) {
    return value >= kSaturated16 ? kSaturated16 : static_cast<std::uint16_t>(value);
}

}  // namespace

bool sizesOverflow(const ZipEntry& entry) {
    return entry.compressedSize >= kSaturated32 || entry.uncompressedSize >= kSaturated32;
}

std::string localHeaderRecord(const ZipEntry& entry, std::string_view localExtra) {
    std::string out;
    ByteWriter w(out);
    const bool overflow = sizesOverflow(entry);
    w.u32(kLocalHeaderSignature);
    w.u16(entry.versionNeeded);
    w.u16(entry.flags);
    w.u16(entry.method);
    w.u16(entry.dosTime);
    w.u16(entry.dosDate);
    w.u32(entry.crc);
    w.u32(overflow ? kSaturated32 : static_cast<std::uint32_t>(entry.compressedSize));
    w.u32(overflow ? kSaturated32 : static_cast<std::uint32_t>(entry.uncompressedSize));
    w.u16(static_cast<std::uint16_t>(entry.rawName.size()));
    w.u16(static_cast<std::uint16_t>(localExtra.size()));
    w.bytes(entry.rawName);
    w.bytes(localExtra);
    return out;
}

std::string centralHeaderRecord(const ZipEntry& entry) {
    std::string out;
    ByteWriter w(out);
    w.u32(kCentralHeaderSignature);
    w.u16(entry.versionMadeBy);
    w.u16(entry.versionNeeded);
    w.u16(entry.flags);
    w.u16(entry.method);
    w.u16(entry.dosTime);
    w.u16(entry.dosDate);
    w.u32(entry.crc);
    w.u32(field32(entry.compressedSize));
    w.u32(field32(entry.uncompressedSize));
    w.u16(static_cast<std::uint16_t>(entry.rawName.size()));
    w.u16(static_cast<std::uint16_t>(entry.centralExtra.size()));
    w.u16(0);  // comment length
    w.u16(field16(entry.firstDisk));
    w.u16(entry.internalAttributes);
    w.u32(entry.externalAttributes);
    w.u32(field32(entry.localHeaderOffset));
    w.bytes(entry.rawName);
    w.bytes(entry.centralExtra);
    return out;
}

std::string dataDescriptorRecord(const ZipEntry& entry) {
    std::string out;
    ByteWriter w(out);
    w.u32(kDataDescriptorSignature);
    w.u32(entry.crc);
    if (sizesOverflow(entry)) {
        w.u64(entry.compressedSize);
        w.u64(entry.uncompressedSize);
    } else {
        w.u32(static_cast<std::uint32_t>(entry.compressedSize));
        w.u32(static_cast<std::uint32_t>(entry.uncompressedSize));
    }
    return out;
}

bool needsZip64Tail(const DirectoryEnd& end) {
    return end.entriesOnDisk >= kSaturated16 || end.entriesTotal >= kSaturated16 ||
           end.directorySize >= kSaturated32 || end.directoryOffset >= kSaturated32 || end.thisDisk >= kSaturated16 ||
           end.directoryDisk >= kSaturated16;
}

std::string zip64EndRecord(const DirectoryEnd& end) {
    std::string out;
    ByteWriter w(out);
    w.u32(kZip64EndRecordSignature);
    w.u64(kZip64EndRecordSize - 12);  // the record's size after this field
    w.u16(45);                        // version made by
    w.u16(45);                        // version needed
    w.u32(end.thisDisk);
    w.u32(end.directoryDisk);
    w.u64(end.entriesOnDisk);
    w.u64(end.entriesTotal);
    w.u64(end.directorySize);
    w.u64(end.directoryOffset);
    return out;
}

std::string zip64LocatorRecord(std::uint32_t endRecordDisk, std::uint64_t endRecordOffset, std::uint32_t totalDisks) {
    std::string out;
    ByteWriter w(out);
    w.u32(kZip64LocatorSignature);
    w.u32(endRecordDisk);
    w.u64(endRecordOffset);
    w.u32(totalDisks);
    return out;
}

std::string endRecord(const DirectoryEnd& end) {
    std::string out;
    ByteWriter w(out);
    w.u32(kEndRecordSignature);
    w.u16(field16(end.thisDisk));
    w.u16(field16(end.directoryDisk));
    w.u16(field16(end.entriesOnDisk));
    w.u16(field16(end.entriesTotal));
    w.u32(field32(end.directorySize));
    w.u32(field32(end.directoryOffset));
    w.u16(0);  // no comment
    return out;
}

}  // namespace tessaro::archives::zip
