// A file read and written by position, held open between calls.
//
// An open ZIP archive keeps its file open from the moment it is opened until it is closed,
// and reads records and entry data at arbitrary offsets. Reads and writes by position (no
// shared file pointer) keep every caller independent of where the last one stopped.
#pragma once

#include "platform/error.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace tessaro::platform {

// A read or write of an open file that failed; `code` is the system's error number (0 for
// data that ends too early).
class FileIoError : public tessaro::Error {
public:
    FileIoError(const std::string& text, int code) : tessaro::Error(text), code_(code) {}
    int code() const { return code_; }

private:
    int code_;
};

class RandomAccessFile {
public:
    enum class Mode {
        read,       // existing file, read only
        readWrite,  // existing file, read and write
        create,     // created, or emptied when it exists; read and write
    };

    // Throws the cannot-open text (read, readWrite) or the cannot-create text (create).
    RandomAccessFile(const std::filesystem::path& path, Mode mode);
    ~RandomAccessFile();
    RandomAccessFile(RandomAccessFile&& other) noexcept;
    RandomAccessFile& operator=(RandomAccessFile&& other) noexcept;
    RandomAccessFile(const RandomAccessFile&) = delete;
    RandomAccessFile& operator=(const RandomAccessFile&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::uint64_t size() const;

    // Reads up to buffer.size() bytes at `offset`; fewer only at the end of the file.
    size_t readAt(std::uint64_t offset, std::span<std::uint8_t> buffer) const;
    // Reads exactly buffer.size() bytes or throws FileIoError.
    void readExactAt(std::uint64_t offset, std::span<std::uint8_t> buffer) const;
    void writeAt(std::uint64_t offset, std::span<const std::uint8_t> data);
    void truncate(std::uint64_t length);
    // Closes the file, reporting a failure of the final flush.
    void close();

private:
    std::filesystem::path path_;
    int fd_ = -1;
};

std::string cannotReadText(const std::filesystem::path& path, const std::string& reason);
std::string cannotWriteText(const std::filesystem::path& path, const std::string& reason);

}  // namespace tessaro::platform
