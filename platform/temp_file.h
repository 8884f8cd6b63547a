// Uniquely named scratch files: swap files of the ZIP staging store, and the image of a ZIP
// package or cabinet before it replaces its target.
//
// The file is created exclusively (no other process can have chosen the same name) and is
// removed when the object goes, unless it has been moved over its target by replace(). It is
// readable by its owner only while it exists; a replacement takes the permissions of the file
// it replaces, or those the user gives new files (the umask) when there is none.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

namespace tessaro::platform {

// The system's folder for temporary files.
std::filesystem::path systemTempFolder();

// The file that replacing `path` must replace: `path` itself, or the file a link at `path`
// (file_links.h) finally points to (replacing the link would leave that file stale). On
// Windows a link whose file does not exist yet gives `path` itself. The temporary file is
// made in this file's folder, so the rename stays on one file system.
std::filesystem::path replacementTarget(const std::filesystem::path& path);

// Six random characters that end a temporary file's name: [0-9A-Za-z] (lower case only on
// Windows, whose names ignore case).
std::string temporaryNameSuffix();

class TempFile {
public:
    // Creates "<folder>/<prefix>XXXXXX". Nothing when it cannot be made; `attempted` then
    // holds the name pattern that was tried.
    static std::optional<TempFile> create(const std::filesystem::path& folder, std::string_view prefix,
                                          std::filesystem::path* attempted = nullptr);

    ~TempFile() { discard(); }
    TempFile(TempFile&& other) noexcept
        : path_(std::move(other.path_)),
          fd_(std::exchange(other.fd_, -1)),
          owned_(std::exchange(other.owned_, false)),
          newFileMode_(other.newFileMode_) {}
    TempFile& operator=(TempFile&& other) noexcept {
        if (this != &other) {
            discard();
            path_ = std::move(other.path_);
            fd_ = std::exchange(other.fd_, -1);
            owned_ = std::exchange(other.owned_, false);
            newFileMode_ = other.newFileMode_;
        }
        return *this;
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    const std::filesystem::path& path() const { return path_; }

    // Each returns false and leaves errno set when the system call fails or falls short.
    bool seek(std::uint64_t offset);
    bool read(std::span<std::uint8_t> buffer);
    bool write(std::span<const std::uint8_t> data);

    // Flushes the data to the device, closes the file and renames it to `target`, replacing
    // what is there with its permissions and, where the system allows, its owner. A target
    // that is read-only (its owner may not write) is not replaced, as on Windows. On failure
    // `reason` gets the system's text and the file is still removed by the destructor.
    bool replace(const std::filesystem::path& target, std::string& reason);

private:
    TempFile(std::filesystem::path path, int fd, unsigned newFileMode)
        : path_(std::move(path)), fd_(fd), newFileMode_(newFileMode) {}
    void discard();

    std::filesystem::path path_;
    int fd_ = -1;
    bool owned_ = true;
    unsigned newFileMode_ = 0600;  // the permissions a new file gets from the system
};

}  // namespace tessaro::platform
