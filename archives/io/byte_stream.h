// Sources and sinks of bytes: the one interface every codec reads from and writes to.
//
// Codecs never see files or buffers directly. They pull input from a ByteSource and push
// output into a ByteSink in pieces of bounded size, so the same encoder or decoder streams a
// 10 GB file to disk, fills a memory buffer in a test, or writes into the ZIP writer's
// staging store, with fixed memory in every case.
//
// Failures of the underlying medium are thrown as tessaro::Error by the implementations and
// pass through the codecs unchanged.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tessaro::archives {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Reads up to buffer.size() bytes; returns how many were read, 0 only at the end.
    virtual size_t read(std::span<std::uint8_t> buffer) = 0;
    // Offset of the next byte read, counted from where the source started.
    virtual std::uint64_t position() const = 0;
    // Moves to an offset counted like position(). Sources that cannot seek throw.
    virtual void seek(std::uint64_t offset) = 0;

    // Reads exactly buffer.size() bytes or as many as are left; returns the count.
    size_t readFully(std::span<std::uint8_t> buffer);
};

class ByteSink {
public:
    virtual ~ByteSink() = default;
    virtual void write(std::span<const std::uint8_t> data) = 0;
};

// Reads a buffer the caller keeps alive.
class MemorySource final : public ByteSource {
public:
    explicit MemorySource(std::span<const std::uint8_t> data) : data_(data) {}
    explicit MemorySource(std::string_view data)
        : data_(reinterpret_cast<const std::uint8_t*>(data.data()), data.size()) {}
    size_t read(std::span<std::uint8_t> buffer) override;
    std::uint64_t position() const override { return pos_; }
    void seek(std::uint64_t offset) override;

private:
    std::span<const std::uint8_t> data_;
    size_t pos_ = 0;
};

// Appends to a growing buffer.
class MemorySink final : public ByteSink {
public:
    void write(std::span<const std::uint8_t> data) override { bytes_.insert(bytes_.end(), data.begin(), data.end()); }
    const std::vector<std::uint8_t>& bytes() const { return bytes_; }
    std::string str() const { return std::string(bytes_.begin(), bytes_.end()); }

private:
    std::vector<std::uint8_t> bytes_;
};

// Counts bytes and throws them away.
class CountingSink final : public ByteSink {
public:
    void write(std::span<const std::uint8_t> data) override { count_ += data.size(); }
    std::uint64_t count() const { return count_; }

private:
    std::uint64_t count_ = 0;
};

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// Reads a file, optionally a window [start, start + length) of it.
class FileSource final : public ByteSource {
public:
    explicit FileSource(const std::filesystem::path& path);
    FileSource(const std::filesystem::path& path, std::uint64_t start, std::uint64_t length);
    size_t read(std::span<std::uint8_t> buffer) override;
    std::uint64_t position() const override { return pos_; }
    void seek(std::uint64_t offset) override;
    std::uint64_t size() const { return length_; }

private:
    std::filesystem::path path_;
    FileHandle file_;
    std::uint64_t start_ = 0;
    std::uint64_t length_ = 0;
    std::uint64_t pos_ = 0;
};

// Creates or replaces a file and writes to it; close() reports a failed final flush.
class FileSink final : public ByteSink {
public:
    explicit FileSink(const std::filesystem::path& path);
    void write(std::span<const std::uint8_t> data) override;
    void close();

private:
    std::filesystem::path path_;
    FileHandle file_;
};

}  // namespace tessaro::archives
