// Packaging one produced case: a cabinet per non-empty working folder, the feereview
// document, and the ZIP package that holds them.
//
// The package is the one file the insurer receives, so it is only ever written complete.
// Everything that can fail on the way is done before the package is touched: the cabinets
// are built (in the order ATT, EMR, DCF) and checked, and the document is saved; only then is
// the package written anew, with these members only, and put in place in one step. A failure
// anywhere ends the case with an error and leaves an existing package as it was (a new one is
// not left behind). Whose package may be replaced is the run's decision (package_owner.h).
#pragma once

#include "production/feereview_document.h"
#include "production/package_names.h"

#include <filesystem>
#include <functional>
#include <string>

namespace tessaro {
class UserPort;
}

namespace tessaro::production {

struct PackagingJob {
    std::filesystem::path appPath;       // holds the working folders ATT, EMR, DCF and DATA
    std::filesystem::path outputFolder;  // receives the document and the package
    PackageNames names;
};

// Called with each file as it is packed: a cabinet, the document, the package.
using PackingReport = std::function<void(const std::filesystem::path& file)>;

// Packs the case and gives the package's path. Throws tessaro::Error: for a cabinet that could
// not be completed a FileError with the cabinet builder's error text, naming the file and the
// reason; the document writer's and the ZIP writer's errors otherwise.
std::filesystem::path packageCase(const PackagingJob& job, const FeeReviewDocument& document, UserPort& port,
                                  const PackingReport& report);

}  // namespace tessaro::production
