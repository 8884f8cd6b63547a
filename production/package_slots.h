// Which package names of the day a run may use.
//
// A package is named after the hospital, the day and the day's sequence number only, so a
// second session of the same day (or a second run into the same folder) forms names that
// earlier packages already carry. A name is free for a case when no file has it, or when the
// package under it answers that very case (it is then made anew). Anything else under the
// name (another case's package, a package that cannot be read to tell whose it is, a folder
// or a link) makes it taken: the run never replaces it.
//
// The output folder is listed once; a package's owner is read at most once.
#pragma once

#include "platform/calendar.h"
#include "production/package_owner.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace tessaro::production {

class PackageSlots {
public:
    PackageSlots(std::filesystem::path outputFolder, std::string hospitalCode, platform::CivilDate day);

    // The package path that `sequence` names.
    std::filesystem::path packagePath(std::uint32_t sequence) const;
    // True when `owner`'s case may be packaged under the name of `sequence`.
    bool freeFor(std::uint32_t sequence, const DocumentCase& owner);
    // The first of `cases`, numbered consecutively from `first`, whose name is taken.
    std::optional<std::size_t> firstTaken(std::uint32_t first, const std::vector<DocumentCase>& cases);
    // The first sequence number at or after `from` from which every one of `cases` finds its
    // name free.
    std::uint32_t firstFreeStart(std::uint32_t from, const std::vector<DocumentCase>& cases);

private:
    std::filesystem::path outputFolder_;
    std::string hospitalCode_;
    platform::CivilDate day_;
    std::set<std::string> namesInFolder_;  // upper-cased, for file systems that ignore case
    std::map<std::uint32_t, std::optional<DocumentCase>> owners_;
};

}  // namespace tessaro::production
