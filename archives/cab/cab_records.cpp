#include "archives/cab/cab_records.h"

namespace tessaro::archives::cab {

void putHeader(std::vector<std::uint8_t>& out, std::uint32_t cabinetSize, std::uint32_t firstFileOffset,
               std::uint16_t folderCount, std::uint16_t fileCount) {
    putU32(out, kSignature);
    putU32(out, 0);  // reserved1
    putU32(out, cabinetSize);
    putU32(out, 0);  // reserved2
    putU32(out, firstFileOffset);
    putU32(out, 0);  // reserved3
    out.push_back(kVersionMinor);
    out.push_back(kVersionMajor);
    putU16(out, folderCount);
    putU16(out, fileCount);
    putU16(out, 0);  // flags: no reserve, no neighbours
    putU16(out, 0);  // setID
    putU16(out, 0);  // iCabinet: the first (and only) cabinet of its set
}

void putFolder(std::vector<std::uint8_t>& out, const FolderRecord& folder) {
    putU32(out, folder.firstDataOffset);
    putU16(out, folder.dataBlockCount);
    putU16(out, folder.compressionType);
}

void putFile(std::vector<std::uint8_t>& out, const FileRecord& file) {
    putU32(out, file.size);
    putU32(out, file.folderOffset);
    putU16(out, file.folderIndex);
    putU16(out, file.dosDate);
    putU16(out, file.dosTime);
    putU16(out, file.attributes);
    out.insert(out.end(), file.name.begin(), file.name.end());
    out.push_back(0);
}

size_t fileRecordSize(const FileRecord& file) { return kFileFixedSize + file.name.size() + 1; }

}  // namespace tessaro::archives::cab
