#include "archives/cab/cabinet_writer.h"

#include "archives/cab/cab_checksum.h"
#include "archives/cab/mszip_frame.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <span>

namespace tessaro::archives::cab {
namespace {

// The longest stored name the cabinet tools accept: 255 bytes and the terminator.
constexpr size_t kMaxNameBytes = 255;

std::string systemReason() { return errno ? std::strerror(errno) : "I/O error"; }

}  // namespace

CabinetWriter::CabinetWriter(FolderCompression compression, BlockCallback onBlock)
    : compression_(compression),
      onBlock_(std::move(onBlock)),
      temp_(std::tmpfile()),
      history_(kMaxBlockInput),
      pending_(kMaxBlockInput) {
    if (!temp_) throw CabinetWriteError(CabErrorCode::tempFile, "TempFile could not be created: " + systemReason());
    if (compression_ == FolderCompression::mszip) encoder_ = std::make_unique<MszipFrameEncoder>();
    frame_.reserve(kMaxBlockOutput);
}

CabinetWriter::~CabinetWriter() = default;

// ---- Adding files ----

void CabinetWriter::addFile(ByteSource& source, const CabFileInfo& info) {
    if (info.storedName.empty() || info.storedName.size() > kMaxNameBytes || info.storedName.find('\0') != std::string::npos)
        throw CabinetWriteError(CabErrorCode::formatLimit, "The name cannot be stored in a cabinet");
    if (files_.size() >= kMaxFiles) throw CabinetWriteError(CabErrorCode::formatLimit, "Too many files for one cabinet");

    const Mark before{tempLength_, folderSize_, blockCount_, pendingLength_};
    addingFile_ = true;
    buffersSaved_ = false;
    try {
        readData(source);
        const std::uint64_t size = folderSize_ - before.folderSize;
        FileRecord record{static_cast<std::uint32_t>(size), static_cast<std::uint32_t>(before.folderSize), 0,
                          info.dosDate, info.dosTime, info.attributes, info.storedName};
        // The worst case for the finished cabinet: the pending input stored, plus the directory.
        const std::uint64_t worstCase = tempLength_ + kDataHeaderSize + storedFrameSize(pendingLength_) +
                                        directorySize(fileRecordSize(record));
        if (worstCase > kMaxCabinetSize) throw CabinetWriteError(CabErrorCode::formatLimit, kSizeLimitText);
        files_.push_back(std::move(record));
    } catch (const CabinetWriteError&) {
        rollBack(before);
        throw;
    } catch (const tessaro::Error& e) {
        rollBack(before);
        throw CabinetWriteError(CabErrorCode::readSource, e.what());
    }
    addingFile_ = false;
}

void CabinetWriter::readData(ByteSource& source) {
    for (;;) {
        if (pendingLength_ == kMaxBlockInput) flushBlock();
        const size_t got = source.read(std::span(pending_).subspan(pendingLength_));
        if (got == 0) return;
        pendingLength_ += got;
        folderSize_ += got;
        if (folderSize_ > kMaxFolderInput) throw CabinetWriteError(CabErrorCode::formatLimit, kSizeLimitText);
    }
}

void CabinetWriter::rollBack(const Mark& mark) {
    if (buffersSaved_) {
        history_ = savedHistory_;
        historyLength_ = savedHistoryLength_;
        pending_ = savedPending_;
    }
    pendingLength_ = mark.pendingLength;
    tempLength_ = mark.tempLength;
    folderSize_ = mark.folderSize;
    blockCount_ = mark.blockCount;
    addingFile_ = false;
    // Blocks written past the mark are overwritten by the next ones and never copied.
    std::fseek(temp_.get(), static_cast<long>(tempLength_), SEEK_SET);
}

// ---- Data blocks ----

void CabinetWriter::flushBlock() {
    if (pendingLength_ == 0) return;
    if (addingFile_ && !buffersSaved_) {
        savedHistory_ = history_;
        savedPending_ = pending_;
        savedHistoryLength_ = historyLength_;
        buffersSaved_ = true;
    }
    const std::span<const std::uint8_t> input(pending_.data(), pendingLength_);
    frame_.clear();
    if (compression_ == FolderCompression::mszip)
        encoder_->encode(std::span<const std::uint8_t>(history_.data(), historyLength_), input, frame_);
    else
        frame_.assign(input.begin(), input.end());

    const auto uncompressed = static_cast<std::uint16_t>(pendingLength_);
    std::vector<std::uint8_t> header;
    header.reserve(kDataHeaderSize);
    putU32(header, dataBlockChecksum(frame_, uncompressed));
    putU16(header, static_cast<std::uint16_t>(frame_.size()));
    putU16(header, uncompressed);
    writeTemp(header);
    writeTemp(frame_);
    ++blockCount_;

    std::swap(history_, pending_);
    historyLength_ = pendingLength_;
    pendingLength_ = 0;
    if (onBlock_) onBlock_(static_cast<std::uint32_t>(frame_.size()), uncompressed);
}

void CabinetWriter::writeTemp(std::span<const std::uint8_t> bytes) {
    if (std::fwrite(bytes.data(), 1, bytes.size(), temp_.get()) != bytes.size())
        throw CabinetWriteError(CabErrorCode::tempFile, "Cannot write the temporary file: " + systemReason());
    tempLength_ += bytes.size();
}

size_t CabinetWriter::directorySize(size_t extraFileRecord) const {
    size_t size = kHeaderSize + kFolderSize + extraFileRecord;
    for (const auto& file : files_) size += fileRecordSize(file);
    return size;
}

// ---- The cabinet file ----

void CabinetWriter::finish(const std::filesystem::path& path) {
    flushBlock();
    // The cabinet is written beside its target and renamed over it only when complete, so a
    // failure never leaves a cut-short cabinet (the temporary file goes with `out`). The
    // temporary name is short, so any name the file system takes for the cabinet works; a
    // symbolic link is followed to the file it names.
    const std::filesystem::path target = platform::replacementTarget(path);
    const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
    errno = 0;
    std::optional<platform::TempFile> out = platform::TempFile::create(folder, ".~cab");
    if (!out) throw CabinetWriteError(CabErrorCode::cabinetFile, "Cannot create " + path.string() + ": " + systemReason());
    writeCabinet(*out, path);
    std::string reason;
    if (!out->replace(target, reason))
        throw CabinetWriteError(CabErrorCode::cabinetFile, "Cannot create " + path.string() + ": " + reason);
}

void CabinetWriter::writeCabinet(platform::TempFile& out, const std::filesystem::path& path) {
    const bool hasFolder = !files_.empty() || blockCount_ > 0;
    const size_t folderCount = hasFolder ? 1 : 0;
    const size_t directory = directorySize(0) - kFolderSize * (1 - folderCount);

    std::vector<std::uint8_t> bytes;
    bytes.reserve(directory);
    putHeader(bytes, static_cast<std::uint32_t>(directory + tempLength_), static_cast<std::uint32_t>(kHeaderSize + kFolderSize * folderCount),
              static_cast<std::uint16_t>(folderCount), static_cast<std::uint16_t>(files_.size()));
    if (hasFolder) {
        const std::uint16_t type = compression_ == FolderCompression::mszip ? kCompressMszip : kCompressNone;
        putFolder(bytes, FolderRecord{static_cast<std::uint32_t>(directory), static_cast<std::uint16_t>(blockCount_), type});
    }
    for (const auto& file : files_) putFile(bytes, file);

    const auto fail = [&] { return CabinetWriteError(CabErrorCode::cabinetFile, "Cannot write " + path.string() + ": " + systemReason()); };
    if (!out.write(bytes)) throw fail();

    // Copy the data blocks out of the temporary file.
    if (std::fflush(temp_.get()) != 0 || std::fseek(temp_.get(), 0, SEEK_SET) != 0)
        throw CabinetWriteError(CabErrorCode::tempFile, "Cannot read the temporary file: " + systemReason());
    std::vector<std::uint8_t> chunk(1 << 20);
    for (std::uint64_t left = tempLength_; left > 0;) {
        const size_t want = static_cast<size_t>(std::min<std::uint64_t>(left, chunk.size()));
        if (std::fread(chunk.data(), 1, want, temp_.get()) != want)
            throw CabinetWriteError(CabErrorCode::tempFile, "Cannot read the temporary file: " + systemReason());
        if (!out.write(std::span(chunk).first(want))) throw fail();
        left -= want;
    }
}

}  // namespace tessaro::archives::cab
