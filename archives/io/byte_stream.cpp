#include "archives/io/byte_stream.h"

#include "platform/error.h"
#include "platform/file_io.h"
#include "platform/file_open.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace tessaro::archives {

size_t ByteSource::readFully(std::span<std::uint8_t> buffer) {
    size_t total = 0;
    while (total < buffer.size()) {
        const size_t got = read(buffer.subspan(total));
        if (got == 0) break;
        total += got;
    }
    return total;
}

size_t MemorySource::read(std::span<std::uint8_t> buffer) {
    const size_t n = std::min(buffer.size(), data_.size() - pos_);
    if (n != 0) std::memcpy(buffer.data(), data_.data() + pos_, n);  // an empty span may hold no pointer
    pos_ += n;
    return n;
}

void MemorySource::seek(std::uint64_t offset) { pos_ = static_cast<size_t>(std::min<std::uint64_t>(offset, data_.size())); }

namespace {

FileHandle openForReading(const std::filesystem::path& path) {
    errno = 0;
    FileHandle file(platform::openFile(path, "rb"));
    if (!file) throw Error(platform::cannotOpenText(path, std::strerror(errno)));
    return file;
}

void seekFile(std::FILE* file, std::uint64_t offset, const std::filesystem::path& path) {
    if (!platform::seekFile(file, offset))
        throw Error(platform::cannotOpenText(path, std::strerror(errno)));
}

}  // namespace

FileSource::FileSource(const std::filesystem::path& path) : path_(path), file_(openForReading(path)) {
    std::error_code ec;
    length_ = std::filesystem::file_size(path, ec);
    if (ec) throw Error(platform::cannotOpenText(path, ec.message()));
}

FileSource::FileSource(const std::filesystem::path& path, std::uint64_t start, std::uint64_t length)
    : path_(path), file_(openForReading(path)), start_(start), length_(length) {
    seekFile(file_.get(), start_, path_);
}

size_t FileSource::read(std::span<std::uint8_t> buffer) {
    const size_t wanted = static_cast<size_t>(std::min<std::uint64_t>(buffer.size(), length_ - pos_));
    if (wanted == 0) return 0;
    const size_t got = std::fread(buffer.data(), 1, wanted, file_.get());
    if (got == 0 && std::ferror(file_.get())) throw Error(platform::cannotOpenText(path_, std::strerror(errno)));
    pos_ += got;
    return got;
}

void FileSource::seek(std::uint64_t offset) {
    pos_ = std::min(offset, length_);
    seekFile(file_.get(), start_ + pos_, path_);
}

FileSink::FileSink(const std::filesystem::path& path) : path_(path) {
    errno = 0;
    file_.reset(platform::openFile(path, "wb"));
    if (!file_) throw Error(platform::cannotCreateText(path, std::strerror(errno)));
}

void FileSink::write(std::span<const std::uint8_t> data) {
    if (!file_) throw Error(platform::cannotCreateText(path_, "The file is closed"));
    if (std::fwrite(data.data(), 1, data.size(), file_.get()) != data.size())
        throw Error(platform::cannotCreateText(path_, std::strerror(errno)));
}

void FileSink::close() {
    if (!file_) return;
    const int result = std::fclose(file_.release());
    if (result != 0) throw Error(platform::cannotCreateText(path_, std::strerror(errno)));
}

}  // namespace tessaro::archives
