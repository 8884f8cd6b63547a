// What an unfinished package leaves in the output folder.
//
// A package is written to a temporary file beside its name and renamed over it in one step,
// and an earlier package of the name is kept under a second temporary name until the new one
// has been found sound (case_packaging.h). A run that is killed meanwhile leaves such a file,
// hidden, in the folder the clerk uploads from. They are named so that they can be told from
// anything else: ".~zip" + the package's name + "." + six random characters (earlier versions
// wrote ".~zip" + six characters). The next run into the folder removes them (it holds the
// program folder's lock, so no other run is writing one), and `check` names them.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaro::production {

// The prefix of the temporary files of `packageName` (six random characters follow).
std::string packageTempPrefix(std::string_view packageName);

// The package a temporary file named `fileName` was for (empty for one of an earlier
// version, which does not tell); nothing when the name is not one of a package's temporary
// files.
std::optional<std::string> leftoverPackageName(std::string_view fileName);

// The temporary files of packages in `folder` (none when it cannot be listed), by name.
std::vector<std::filesystem::path> packageLeftovers(const std::filesystem::path& folder);

// Removes them; one that cannot be removed stays (and `check` names it). Never throws.
void removePackageLeftovers(const std::filesystem::path& folder) noexcept;

}  // namespace tessaro::production
