#include "platform/file_bytes.h"

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/vfs.h>
#endif
#endif

#include <utility>

namespace tessaro::platform {

// ---- Windows: a read-only view of a file on a fixed drive --------------------------------

#ifdef _WIN32

class FileBytes::Mapping {
public:
    // Nothing when the file should be read instead, or when any step fails.
    static std::unique_ptr<Mapping> open(const std::filesystem::path& path, std::uintmax_t sizeLimit) {
        if (!onFixedDrive(path)) return nullptr;
        // Others may read the file while it is mapped, not write it: the sharing of a read.
        const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        if (file == INVALID_HANDLE_VALUE) return nullptr;
        auto mapping = std::make_unique<Mapping>(file);
        LARGE_INTEGER size{};
        if (::GetFileType(file) != FILE_TYPE_DISK || !::GetFileSizeEx(file, &size) || size.QuadPart <= 0 ||
            static_cast<std::uintmax_t>(size.QuadPart) >= sizeLimit)
            return nullptr;
        mapping->section_ = ::CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
        if (mapping->section_ == nullptr) return nullptr;
        mapping->address_ = ::MapViewOfFile(mapping->section_, FILE_MAP_READ, 0, 0, 0);
        if (mapping->address_ == nullptr) return nullptr;
        mapping->size_ = static_cast<std::size_t>(size.QuadPart);
        return mapping;
    }

    explicit Mapping(HANDLE file) : file_(file) {}
    ~Mapping() {
        if (address_ != nullptr) ::UnmapViewOfFile(address_);
        if (section_ != nullptr) ::CloseHandle(section_);
        ::CloseHandle(file_);
    }
    Mapping(const Mapping&) = delete;
    Mapping& operator=(const Mapping&) = delete;

    std::string_view view() const { return {static_cast<const char*>(address_), size_}; }

private:
    // Network and removable drives can go away under a mapping; only fixed drives (and RAM
    // disks) are mapped.
    static bool onFixedDrive(const std::filesystem::path& path) {
        std::error_code ec;
        const std::filesystem::path root = std::filesystem::absolute(path, ec).root_path();
        if (ec || root.empty()) return false;
        std::wstring rootText = root.wstring();
        if (rootText.back() != L'\\') rootText += L'\\';
        const UINT type = ::GetDriveTypeW(rootText.c_str());
        return type == DRIVE_FIXED || type == DRIVE_RAMDISK;
    }

    HANDLE file_;
    HANDLE section_ = nullptr;
    void* address_ = nullptr;
    std::size_t size_ = 0;
};

#else

// ---- POSIX: a private read-only mapping of a file on a local disk ------------------------

class FileBytes::Mapping {
public:
    static std::unique_ptr<Mapping> open(const std::filesystem::path& path, std::uintmax_t sizeLimit) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) return nullptr;
        std::unique_ptr<Mapping> mapping = mapOpenFile(fd, sizeLimit);
        ::close(fd);  // a mapping keeps its file referenced by itself
        return mapping;
    }

    Mapping(void* address, std::size_t size) : address_(address), size_(size) {}
    ~Mapping() { ::munmap(address_, size_); }
    Mapping(const Mapping&) = delete;
    Mapping& operator=(const Mapping&) = delete;

    std::string_view view() const { return {static_cast<const char*>(address_), size_}; }

private:
    static std::unique_ptr<Mapping> mapOpenFile(int fd, std::uintmax_t sizeLimit) {
        struct stat status {};
        if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || status.st_size <= 0 ||
            static_cast<std::uintmax_t>(status.st_size) >= sizeLimit || !onLocalDisk(fd))
            return nullptr;
        const auto size = static_cast<std::size_t>(status.st_size);
        int flags = MAP_PRIVATE;
#ifdef MAP_POPULATE
        flags |= MAP_POPULATE;  // the search reads every page: set them all up in one go
#endif
        void* address = ::mmap(nullptr, size, PROT_READ, flags, fd, 0);
        if (address == MAP_FAILED) return nullptr;
        return std::make_unique<Mapping>(address, size);
    }

    // Network file systems, FUSE (which covers NTFS and exFAT drives) and anything not
    // known to be a local disk could fail under the mapping; those files are read instead.
    static bool onLocalDisk([[maybe_unused]] int fd) {
#ifdef __linux__
        struct statfs info {};
        if (::fstatfs(fd, &info) != 0) return false;
        switch (static_cast<unsigned long>(info.f_type)) {
            case 0xEF53UL:      // ext2, ext3, ext4
            case 0x58465342UL:  // xfs
            case 0x9123683EUL:  // btrfs
            case 0x01021994UL:  // tmpfs
            case 0x794C7630UL:  // overlayfs (containers)
            case 0x2FC12FC1UL:  // zfs
            case 0xF2F52010UL:  // f2fs
                return true;
            default: return false;
        }
#else
        return false;
#endif
    }

    void* address_;
    std::size_t size_;
};

#endif

// ---- The shared half -----------------------------------------------------------------------

FileBytes FileBytes::load(const std::filesystem::path& path, std::uintmax_t sizeLimit) {
    std::error_code ec;
    if (!std::filesystem::is_directory(path, ec))
        if (auto mapping = Mapping::open(path, sizeLimit)) return FileBytes(std::move(mapping));
    return FileBytes(readFileBytes(path, sizeLimit));
}

FileBytes::FileBytes(std::string bytes) : buffer_(std::move(bytes)) {}
FileBytes::FileBytes(std::unique_ptr<Mapping> mapping) : mapping_(std::move(mapping)) {}
FileBytes::~FileBytes() = default;
FileBytes::FileBytes(FileBytes&&) noexcept = default;
FileBytes& FileBytes::operator=(FileBytes&&) noexcept = default;

std::string_view FileBytes::view() const { return mapping_ ? mapping_->view() : std::string_view(buffer_); }

}  // namespace tessaro::platform
