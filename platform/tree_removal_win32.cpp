// Removing a tree on Windows, walked with FindFirstFileExW. Each entry's attributes and
// reparse tag come with the listing: a link (a junction or a symbolic link, see
// file_links.h) is removed itself, with RemoveDirectoryW for a link to a folder and
// DeleteFileW for a link to a file, and never entered; a read-only file or folder loses that
// attribute first. Paths are used in their extended-length form ("\\?\C:\..."), so a tree
// deeper than MAX_PATH goes as well. A folder's entries are listed and its search closed
// before any of them is removed, so one search is open at a time however deep the tree.
#include "platform/tree_removal.h"

#include "platform/win32_support.h"

#include <string>
#include <string_view>
#include <vector>

namespace tessaro::platform {
namespace {

constexpr DWORD kSettableAttributes = FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                      FILE_ATTRIBUTE_NOT_CONTENT_INDEXED | FILE_ATTRIBUTE_OFFLINE |
                                      FILE_ATTRIBUTE_TEMPORARY;

struct Entry {
    std::wstring path;
    DWORD attributes = 0;
    DWORD reparseTag = 0;  // meaningful with FILE_ATTRIBUTE_REPARSE_POINT only

    bool isFolder() const { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
    bool isLink() const { return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 && win32::isLinkTag(reparseTag); }
};

struct SearchCloser {
    void operator()(HANDLE search) const {
        if (search != INVALID_HANDLE_VALUE) ::FindClose(search);
    }
};
using UniqueSearch = std::unique_ptr<void, SearchCloser>;

// The absolute, extended-length form of `path`, without a trailing separator; device paths
// ("\\.\") and paths already in that form stay as they are.
std::wstring extendedLengthPath(const std::filesystem::path& path) {
    const std::wstring& text = path.native();
    if (text.starts_with(L"\\\\?\\") || text.starts_with(L"\\\\.\\")) return text;
    const DWORD size = ::GetFullPathNameW(text.c_str(), 0, nullptr, nullptr);
    if (size == 0) return text;
    std::wstring full(size, L'\0');
    const DWORD length = ::GetFullPathNameW(text.c_str(), size, full.data(), nullptr);
    if (length == 0 || length >= size) return text;
    full.resize(length);
    while (full.size() > 3 && full.back() == L'\\') full.pop_back();
    if (full.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

std::vector<Entry> entriesOf(const std::wstring& folder) {
    std::vector<Entry> entries;
    WIN32_FIND_DATAW data{};
    const UniqueSearch search(
        ::FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0));
    if (search.get() == INVALID_HANDLE_VALUE) return entries;
    do {
        const std::wstring_view name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        entries.push_back({folder + L"\\" + data.cFileName, data.dwFileAttributes, data.dwReserved0});
    } while (::FindNextFileW(search.get(), &data));
    return entries;
}

// Removes one entry, a folder after everything in it; false when anything stays.
bool removeEntry(const Entry& entry) {
    bool complete = true;
    if (entry.isFolder() && !entry.isLink())
        for (const Entry& inner : entriesOf(entry.path)) complete = removeEntry(inner) && complete;
    if (!entry.isLink() && (entry.attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        const DWORD kept = entry.attributes & kSettableAttributes;
        ::SetFileAttributesW(entry.path.c_str(), kept != 0 ? kept : FILE_ATTRIBUTE_NORMAL);
    }
    const BOOL removed = entry.isFolder() ? ::RemoveDirectoryW(entry.path.c_str()) : ::DeleteFileW(entry.path.c_str());
    return removed && complete;
}

}  // namespace

bool removeTree(const std::filesystem::path& path) noexcept {
    try {
        const std::wstring full = extendedLengthPath(path);
        const DWORD attributes = ::GetFileAttributesW(full.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) return false;
        const DWORD tag = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ? win32::reparseTag(full) : 0;
        removeEntry({full, attributes, tag});
        return ::GetFileAttributesW(full.c_str()) == INVALID_FILE_ATTRIBUTES;
    } catch (...) {
        return false;
    }
}

}  // namespace tessaro::platform
