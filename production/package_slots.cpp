#include "production/package_slots.h"

#include "archives/name_matching.h"
#include "platform/path_text.h"
#include "production/package_names.h"

#include <system_error>
#include <utility>

namespace tessaro::production {
namespace {

namespace fs = std::filesystem;

}  // namespace

PackageSlots::PackageSlots(fs::path outputFolder, std::string hospitalCode, platform::CivilDate day)
    : outputFolder_(std::move(outputFolder)), hospitalCode_(std::move(hospitalCode)), day_(day) {
    std::error_code ec;
    for (fs::directory_iterator it(outputFolder_, ec), end; !ec && it != end; it.increment(ec))
        namesInFolder_.insert(archives::asciiUpper(platform::utf8FromPath(it->path().filename())));
}

fs::path PackageSlots::packagePath(std::uint32_t sequence) const {
    return outputFolder_ / platform::pathFromUtf8(packageNames(hospitalCode_, day_, sequence).package);
}

bool PackageSlots::freeFor(std::uint32_t sequence, const DocumentCase& owner) {
    const fs::path path = packagePath(sequence);
    if (!namesInFolder_.contains(archives::asciiUpper(platform::utf8FromPath(path.filename())))) return true;
    auto known = owners_.find(sequence);
    if (known == owners_.end()) {
        // The listing ignores letter case; whether the name is really there is the file
        // system's answer (a link counts, even one that leads nowhere).
        std::error_code ec;
        const bool there = fs::exists(fs::symlink_status(path, ec));
        if (!there) return true;
        known = owners_.emplace(sequence, fs::is_regular_file(path, ec) ? packagedCase(path) : std::nullopt).first;
    }
    return known->second == owner;
}

std::optional<std::size_t> PackageSlots::firstTaken(std::uint32_t first, const std::vector<DocumentCase>& cases) {
    for (std::size_t i = 0; i < cases.size(); ++i)
        if (!freeFor(first + static_cast<std::uint32_t>(i), cases[i])) return i;
    return std::nullopt;
}

std::uint32_t PackageSlots::firstFreeStart(std::uint32_t from, const std::vector<DocumentCase>& cases) {
    // Names exist for finitely many numbers, so a start past the last of them is free.
    std::uint32_t start = from;
    while (const auto taken = firstTaken(start, cases)) ++start;
    return start;
}

}  // namespace tessaro::production
