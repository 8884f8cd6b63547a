#include "platform/drive_query.h"

namespace tessaro::platform {
namespace {

class SystemDriveQuery final : public DriveQuery {
public:
    bool isRemovable(const std::filesystem::path&) const override { return false; }
    bool isReady(const std::filesystem::path&) const override { return true; }
    std::uint64_t freeSpace(const std::filesystem::path& path) const override {
        std::error_code ec;
        const auto info = std::filesystem::space(path.has_parent_path() ? path.parent_path() : ".", ec);
        return ec ? 0 : info.available;
    }
    bool setVolumeLabel(const std::filesystem::path&, const std::string&) override { return false; }
};

}  // namespace

DriveQuery& systemDriveQuery() {
    // Stateless: one shared instance serves every caller.
    static SystemDriveQuery query;
    return query;
}

}  // namespace tessaro::platform
