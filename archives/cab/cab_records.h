// The fixed records of a Microsoft cabinet file, and how they are laid out in bytes.
//
// A cabinet is: CFHEADER (36 bytes, plus optional reserve sizes and neighbour names), one
// CFFOLDER (8 bytes) per folder, one CFFILE (16 bytes and a zero-terminated name) per file,
// then each folder's CFDATA blocks (8-byte header and the block's data). All numbers are
// little-endian (archives/io/little_endian.h). The writer and the reader share these
// definitions so the two agree on every offset.
#pragma once

#include "archives/io/little_endian.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tessaro::archives::cab {

// ---- Limits and constants ----

inline constexpr std::uint32_t kSignature = 0x4643534D;  // "MSCF"
inline constexpr std::uint8_t kVersionMinor = 3;
inline constexpr std::uint8_t kVersionMajor = 1;
inline constexpr size_t kHeaderSize = 36;
inline constexpr size_t kFolderSize = 8;
inline constexpr size_t kFileFixedSize = 16;
inline constexpr size_t kDataHeaderSize = 8;

// Header flags.
inline constexpr std::uint16_t kFlagPrevCabinet = 0x0001;
inline constexpr std::uint16_t kFlagNextCabinet = 0x0002;
inline constexpr std::uint16_t kFlagReservePresent = 0x0004;

// Folder compression types (low four bits of typeCompress).
inline constexpr std::uint16_t kCompressNone = 0;
inline constexpr std::uint16_t kCompressMszip = 1;
inline constexpr std::uint16_t kCompressQuantum = 2;
inline constexpr std::uint16_t kCompressLzx = 3;
inline constexpr std::uint16_t kCompressTypeMask = 0x000F;

// File attribute bits.
inline constexpr std::uint16_t kAttrReadOnly = 0x01;
inline constexpr std::uint16_t kAttrHidden = 0x02;
inline constexpr std::uint16_t kAttrSystem = 0x04;
inline constexpr std::uint16_t kAttrArchive = 0x20;
inline constexpr std::uint16_t kAttrExecute = 0x40;
inline constexpr std::uint16_t kAttrNameIsUtf = 0x80;
// The bits a cabinet builder records: read-only, hidden, system, archive.
inline constexpr std::uint16_t kStoredAttrMask = 0x27;

// iFolder values of files that continue across cabinets.
inline constexpr std::uint16_t kFolderContinuedFromPrev = 0xFFFD;
inline constexpr std::uint16_t kFolderContinuedToNext = 0xFFFE;

// A data block holds at most 32 KiB of uncompressed data, and at most 32 KiB + 12 bytes of
// compressed data (the MSZIP bound for incompressible input).
inline constexpr size_t kMaxBlockInput = 32768;
inline constexpr size_t kMaxBlockOutput = 32768 + 12;

// The largest uncompressed folder and cabinet a single cabinet may hold: the size fields are
// 32-bit, and the cabinet library's own ceiling is 2^31 - 1 bytes.
inline constexpr std::uint64_t kMaxCabinetSize = 0x7FFFFFFF;

// The most uncompressed data one folder, and so one cabinet as the builder writes it, can
// hold: 65535 data blocks (a 16-bit count) of 32 KiB each, 2,147,450,880 bytes.
inline constexpr std::uint64_t kMaxFolderInput = std::uint64_t{0xFFFF} * kMaxBlockInput;

// A cabinet holds at most 65535 files (16-bit count).
inline constexpr size_t kMaxFiles = 0xFFFF;

// ---- Records ----

struct FileRecord {
    std::uint32_t size = 0;           // uncompressed bytes
    std::uint32_t folderOffset = 0;   // offset of its first byte in the folder's stream
    std::uint16_t folderIndex = 0;
    std::uint16_t dosDate = 0;
    std::uint16_t dosTime = 0;
    std::uint16_t attributes = 0;
    std::string name;                 // code-page bytes (or UTF-8 when kAttrNameIsUtf is set)
};

struct FolderRecord {
    std::uint32_t firstDataOffset = 0;  // offset of its first CFDATA in the cabinet
    std::uint16_t dataBlockCount = 0;
    std::uint16_t compressionType = kCompressNone;
};

// Appends a CFHEADER without reserve or neighbour names.
void putHeader(std::vector<std::uint8_t>& out, std::uint32_t cabinetSize, std::uint32_t firstFileOffset,
               std::uint16_t folderCount, std::uint16_t fileCount);
void putFolder(std::vector<std::uint8_t>& out, const FolderRecord& folder);
void putFile(std::vector<std::uint8_t>& out, const FileRecord& file);
// The on-disk size of a CFFILE record with its name and terminator.
size_t fileRecordSize(const FileRecord& file);

}  // namespace tessaro::archives::cab
