// Uniquely named scratch files: swap files of the ZIP staging store and the image of a ZIP
// package before it replaces the package.
//
// The file is created exclusively (no other process can have chosen the same name) and is
// removed when the object goes, unless it has been moved over its target by replace().
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tessaro::platform {

// The system's folder for temporary files.
std::filesystem::path systemTempFolder();

class TempFile {
public:
    // Creates "<folder>/<prefix>XXXXXX". Nothing when it cannot be made; `attempted` then
    // holds the name pattern that was tried.
    static std::optional<TempFile> create(const std::filesystem::path& folder, std::string_view prefix,
                                          std::filesystem::path* attempted = nullptr);

    ~TempFile();
    TempFile(TempFile&& other) noexcept;
    TempFile& operator=(TempFile&& other) noexcept;
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    const std::filesystem::path& path() const { return path_; }

    // Each returns false and leaves errno set when the system call fails or falls short.
    bool seek(std::uint64_t offset);
    bool read(std::span<std::uint8_t> buffer);
    bool write(std::span<const std::uint8_t> data);

    // Flushes the data to the device, closes the file and renames it to `target`, replacing
    // what is there. On failure `reason` gets the system's text and the file is still
    // removed by the destructor.
    bool replace(const std::filesystem::path& target, std::string& reason);

private:
    TempFile(std::filesystem::path path, int fd) : path_(std::move(path)), fd_(fd) {}
    void discard();

    std::filesystem::path path_;
    int fd_ = -1;
    bool owned_ = true;
};

}  // namespace tessaro::platform
