// Where replacing a file must write, on Windows. A link (file_links.h) is opened, which makes
// the system follow it to the end, and the handle's final path names the file. A link whose
// file does not exist yet cannot be opened: the path itself is returned, so the new file
// takes the link's place (nothing is left stale, since there was no file). MinGW's
// std::filesystem can neither see nor read a link here.
#include "platform/temp_file.h"

#include "platform/file_links.h"
#include "platform/win32_support.h"

#include <string>

namespace tessaro::platform {
namespace {

// The DOS form of a final path: "\\?\C:\x" becomes "C:\x" and "\\?\UNC\server\x" "\\server\x".
std::wstring withoutExtendedPrefix(std::wstring path) {
    if (path.starts_with(L"\\\\?\\UNC\\")) return L"\\\\" + path.substr(8);
    if (path.starts_with(L"\\\\?\\")) return path.substr(4);
    return path;
}

}  // namespace

std::filesystem::path replacementTarget(const std::filesystem::path& path) {
    if (!isLink(path)) return path;
    const win32::UniqueHandle file = win32::openForMetadata(path, 0);
    if (!win32::valid(file)) return path;
    std::wstring finalPath(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        const auto size = static_cast<DWORD>(finalPath.size());
        const DWORD length =
            ::GetFinalPathNameByHandleW(file.get(), finalPath.data(), size, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0) return path;
        if (length < finalPath.size()) {
            finalPath.resize(length);
            return withoutExtendedPrefix(std::move(finalPath));
        }
        finalPath.resize(length);  // the size needed, terminating zero included
    }
    return path;
}

}  // namespace tessaro::platform
