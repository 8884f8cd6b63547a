// Writes one cabinet file holding one folder: every file's data runs through one
// compressed stream, cut into data blocks of at most 32 KiB of input.
//
// The cabinet's directory (header, folder and file records) comes before the data in the
// file, but which files make it in is only known once all have been read: a file can vanish
// or fail halfway. So the data blocks go to an anonymous temporary file first, and finish()
// writes the directory followed by a copy of the data. The cabinet itself is written under a
// temporary name beside its destination and renamed into place when complete, so a failure
// never leaves a partial cabinet behind nor destroys an existing one.
//
// A file that fails while being read is rolled back: the stream is restored to where it stood
// before the file, as if it had never been added, and the rest of the cabinet stays sound.
#pragma once

#include "archives/cab/cab_records.h"
#include "archives/io/byte_stream.h"
#include "platform/error.h"
#include "platform/temp_file.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tessaro::archives::cab {

// The cabinet library's error codes, which the component reports unchanged.
enum class CabErrorCode : std::uint16_t {
    none = 0,
    openSource = 1,
    readSource = 2,
    outOfMemory = 3,
    tempFile = 4,
    badCompressionType = 5,
    cabinetFile = 6,
    userAbort = 7,
    compressionFailed = 8,
    formatLimit = 9,
};

// A failure of the writer, with the code the component reports for it.
class CabinetWriteError : public tessaro::Error {
public:
    CabinetWriteError(CabErrorCode code, const std::string& detail) : tessaro::Error(detail), code_(code) {}
    CabErrorCode code() const { return code_; }

private:
    CabErrorCode code_;
};

// Why a file that would carry the cabinet past its size limits is refused.
inline constexpr const char* kSizeLimitText = "The cabinet would exceed its size limit";

enum class FolderCompression { none, mszip };

// What the cabinet records about one file besides its data.
struct CabFileInfo {
    std::string storedName;  // code-page bytes; folders separated by backslashes
    std::uint16_t dosDate = 0;
    std::uint16_t dosTime = 0;
    std::uint16_t attributes = 0;  // already masked to the bits to be stored
};

class MszipFrameEncoder;

class CabinetWriter {
public:
    // Called once per data block written: its compressed and uncompressed sizes.
    using BlockCallback = std::function<void(std::uint32_t compressedSize, std::uint32_t uncompressedSize)>;

    // Throws CabinetWriteError(tempFile) when the temporary data file cannot be created.
    CabinetWriter(FolderCompression compression, BlockCallback onBlock = {});
    ~CabinetWriter();
    CabinetWriter(const CabinetWriter&) = delete;
    CabinetWriter& operator=(const CabinetWriter&) = delete;

    // Reads `source` to its end and adds it under `info`. On failure throws CabinetWriteError
    // (readSource for a read error, formatLimit for a name, size or count the format cannot
    // hold, tempFile for a failed temporary write) and leaves the cabinet as it was before.
    void addFile(ByteSource& source, const CabFileInfo& info);

    // Compresses what is pending and writes the cabinet to `path`. Throws
    // CabinetWriteError(cabinetFile) when it cannot be created or written; nothing is left at
    // `path` then (an existing file there stays as it was).
    void finish(const std::filesystem::path& path);

    size_t fileCount() const { return files_.size(); }
    // True when `size` more bytes fit into the folder's 65535 blocks: a file that cannot is
    // refused before it is read.
    bool hasRoomFor(std::uint64_t size) const { return size <= kMaxFolderInput - folderSize_; }

private:
    struct Mark {
        std::uint64_t tempLength;
        std::uint64_t folderSize;
        std::uint32_t blockCount;
        size_t pendingLength;
    };
    void readData(ByteSource& source);
    void rollBack(const Mark& mark);
    void flushBlock();
    size_t directorySize(size_t extraFileRecord) const;
    void writeTemp(std::span<const std::uint8_t> bytes);
    void writeCabinet(platform::TempFile& out, const std::filesystem::path& path);

    FolderCompression compression_;
    BlockCallback onBlock_;
    FileHandle temp_;
    std::unique_ptr<MszipFrameEncoder> encoder_;

    std::vector<FileRecord> files_;
    // Two fixed 32 KiB buffers: the input of the last block written (the MSZIP dictionary)
    // and the input not yet written as a block.
    std::vector<std::uint8_t> history_;
    std::vector<std::uint8_t> pending_;
    size_t historyLength_ = 0;
    size_t pendingLength_ = 0;
    std::vector<std::uint8_t> frame_;  // scratch for one block
    std::uint64_t tempLength_ = 0;       // bytes of blocks in the temporary file
    std::uint64_t folderSize_ = 0;       // uncompressed bytes of the folder so far
    std::uint32_t blockCount_ = 0;

    // Rollback state of the file being added: the stream buffers are copied only once a
    // block is written during that file, since until then pending_ only grows.
    std::vector<std::uint8_t> savedHistory_;
    std::vector<std::uint8_t> savedPending_;
    size_t savedHistoryLength_ = 0;
    bool buffersSaved_ = false;
    bool addingFile_ = false;
};

}  // namespace tessaro::archives::cab
