// The bytes of the records the writer puts into a package.
#pragma once

#include "archives/zip/zip_entry.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tessaro::archives::zip {

// True when either size needs the zip64 record (and both 32-bit fields are saturated).
bool sizesOverflow(const ZipEntry& entry);

std::string localHeaderRecord(const ZipEntry& entry, std::string_view localExtra);
// Central header with the entry's central extra field and no comment.
std::string centralHeaderRecord(const ZipEntry& entry);
// The data descriptor of an entry with flag bit 3: signature, CRC-32, sizes (8 bytes each
// when a size overflows, 4 otherwise).
std::string dataDescriptorRecord(const ZipEntry& entry);

// True when a count reaches 0xFFFF or the directory's size or offset reaches 0xFFFFFFFF.
bool needsZip64Tail(const DirectoryEnd& end);
std::string zip64EndRecord(const DirectoryEnd& end);
std::string zip64LocatorRecord(std::uint32_t endRecordDisk, std::uint64_t endRecordOffset, std::uint32_t totalDisks);
// The end record, each overflowing field saturated.
std::string endRecord(const DirectoryEnd& end);

}  // namespace tessaro::archives::zip
