// Kept files on Windows: CreateHardLinkW, else CopyFileW (which keeps the attributes and the
// last-write time); MoveFileExW(REPLACE_EXISTING | WRITE_THROUGH) restores.
#include "platform/kept_file.h"

#include "platform/temp_file.h"
#include "platform/win32_support.h"

#include <cerrno>
#include <cstring>

namespace tessaro::platform {
namespace {

constexpr int kNameAttempts = 100;

bool nameTaken(DWORD error) { return error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS; }

}  // namespace

std::optional<KeptFile> KeptFile::keep(const std::filesystem::path& file, std::string_view prefix, std::string& reason) {
    const std::filesystem::path folder = file.has_parent_path() ? file.parent_path() : std::filesystem::path(L".");
    bool linksWork = true;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::filesystem::path kept = folder / win32::toWide(std::string(prefix) + temporaryNameSuffix());
        if (linksWork) {
            if (::CreateHardLinkW(kept.c_str(), file.c_str(), nullptr)) return KeptFile(file, kept);
            if (nameTaken(::GetLastError())) continue;
            linksWork = false;  // no hard links here (FAT, exFAT, some shares): copy instead
        }
        if (::CopyFileW(file.c_str(), kept.c_str(), TRUE)) return KeptFile(file, kept);
        const DWORD error = ::GetLastError();
        if (nameTaken(error)) continue;
        reason = std::strerror(win32::errnoFromWin32(error));
        return std::nullopt;
    }
    reason = std::strerror(EEXIST);
    return std::nullopt;
}

bool KeptFile::restore(std::string& reason) {
    if (!::MoveFileExW(kept_.c_str(), file_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        reason = std::strerror(win32::errnoFromWin32(::GetLastError()));
        return false;
    }
    owned_ = false;
    return true;
}

void KeptFile::discard() noexcept {
    if (owned_) ::DeleteFileW(kept_.c_str());
    owned_ = false;
}

}  // namespace tessaro::platform
