// The drive query on Windows: the drive's real type, readiness, free space and label, asked
// of the volume that holds the path (a drive letter's root or a mounted folder).
#include "platform/drive_query.h"

#include "platform/win32_support.h"

#include <vector>

namespace tessaro::platform {
namespace {

// The root of the volume holding `path` ("E:\", "\\server\share\"), which need not exist yet.
std::wstring volumeRoot(const std::filesystem::path& path) {
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    const std::wstring name = (ec ? path : absolute).wstring();
    std::vector<wchar_t> root(name.size() + 2);
    if (::GetVolumePathNameW(name.c_str(), root.data(), static_cast<DWORD>(root.size()))) return root.data();
    return (ec ? path : absolute).root_path().wstring();
}

class SystemDriveQuery final : public DriveQuery {
public:
    bool isRemovable(const std::filesystem::path& path) const override {
        return ::GetDriveTypeW(volumeRoot(path).c_str()) == DRIVE_REMOVABLE;
    }
    bool isReady(const std::filesystem::path& path) const override {
        // A drive without a disk in it has no volume information.
        return ::GetVolumeInformationW(volumeRoot(path).c_str(), nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0) != 0;
    }
    std::uint64_t freeSpace(const std::filesystem::path& path) const override {
        ULARGE_INTEGER available{};
        if (!::GetDiskFreeSpaceExW(volumeRoot(path).c_str(), &available, nullptr, nullptr)) return 0;
        return available.QuadPart;
    }
    bool setVolumeLabel(const std::filesystem::path& path, const std::string& label) override {
        return ::SetVolumeLabelW(volumeRoot(path).c_str(), win32::toWide(label).c_str()) != 0;
    }
};

}  // namespace

DriveQuery& systemDriveQuery() {
    // Stateless: one shared instance serves every caller.
    static SystemDriveQuery query;
    return query;
}

}  // namespace tessaro::platform
