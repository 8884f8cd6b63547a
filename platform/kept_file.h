// A file kept under a second name while its name is given to a new file, so that it can be
// put back exactly as it was.
//
// The production run replaces an earlier package in one step (a temporary file renamed over
// it) and only afterwards learns whether the new package may stay. To take it back, the
// earlier package is kept first: as a second name for the same file (a hard link), or, on
// file systems without hard links (FAT and exFAT drives, some network shares), as a copy with
// its permissions and last-write time. Restoring renames the kept file over the name in one
// step, so the name never stands empty or half-written. The kept name is removed when the
// object goes, unless it was restored.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace tessaro::platform {

class KeptFile {
public:
    // Keeps `file` as "<prefix>XXXXXX" in its folder. Nothing when neither a link nor a copy
    // can be made; `reason` then gets the system's text.
    static std::optional<KeptFile> keep(const std::filesystem::path& file, std::string_view prefix, std::string& reason);

    // Renames the kept file over the name it was kept from. False, with the system's text in
    // `reason`, when it cannot; the kept name then still goes when the object goes.
    bool restore(std::string& reason);

    const std::filesystem::path& path() const { return kept_; }

    ~KeptFile() { discard(); }
    KeptFile(KeptFile&& other) noexcept
        : file_(std::move(other.file_)), kept_(std::move(other.kept_)), owned_(std::exchange(other.owned_, false)) {}
    KeptFile& operator=(KeptFile&& other) noexcept {
        if (this != &other) {
            discard();
            file_ = std::move(other.file_);
            kept_ = std::move(other.kept_);
            owned_ = std::exchange(other.owned_, false);
        }
        return *this;
    }
    KeptFile(const KeptFile&) = delete;
    KeptFile& operator=(const KeptFile&) = delete;

private:
    KeptFile(std::filesystem::path file, std::filesystem::path kept) : file_(std::move(file)), kept_(std::move(kept)) {}
    void discard() noexcept;

    std::filesystem::path file_;
    std::filesystem::path kept_;
    bool owned_ = true;
};

}  // namespace tessaro::platform
