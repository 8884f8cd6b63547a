#include "production/package_leftovers.h"

#include "platform/path_text.h"

#include <algorithm>
#include <system_error>

namespace tessaro::production {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kPrefix = ".~zip";
constexpr std::size_t kRandomLength = 6;

bool isAlphanumeric(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    });
}

bool endsWithZip(std::string_view name) {
    if (name.size() < 4) return false;
    std::string extension(name.substr(name.size() - 4));
    for (char& c : extension)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return extension == ".zip";
}

}  // namespace

std::string packageTempPrefix(std::string_view packageName) { return std::string(kPrefix) + std::string(packageName) + "."; }

std::optional<std::string> leftoverPackageName(std::string_view fileName) {
    if (!fileName.starts_with(kPrefix) || fileName.size() < kPrefix.size() + kRandomLength) return std::nullopt;
    const std::string_view random = fileName.substr(fileName.size() - kRandomLength);
    if (!isAlphanumeric(random)) return std::nullopt;
    if (fileName.size() == kPrefix.size() + kRandomLength) return std::string();
    const std::string_view rest = fileName.substr(kPrefix.size(), fileName.size() - kPrefix.size() - kRandomLength);
    if (!rest.ends_with('.') || !endsWithZip(rest.substr(0, rest.size() - 1))) return std::nullopt;
    return std::string(rest.substr(0, rest.size() - 1));
}

std::vector<fs::path> packageLeftovers(const fs::path& folder) {
    std::vector<fs::path> found;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code kind;
        if (!it->is_directory(kind) && leftoverPackageName(platform::utf8FromPath(it->path().filename())))
            found.push_back(it->path());
    }
    std::sort(found.begin(), found.end());
    return found;
}

void removePackageLeftovers(const fs::path& folder) noexcept {
    try {
        for (const fs::path& file : packageLeftovers(folder)) {
            std::error_code ec;
            fs::remove(file, ec);
        }
    } catch (...) {
        // Only tidying up: what stays is named by `check`.
    }
}

}  // namespace tessaro::production
