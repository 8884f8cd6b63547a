// Packaging one produced case: a cabinet per non-empty working folder, the feereview
// document, and the ZIP package that holds them.
//
// The package is the one file the insurer receives, so it is only ever written complete.
// Everything that can fail on the way is done before the package is touched: the cabinets
// are built (in the order ATT, EMR, DCF) and checked, and the document is saved; only then is
// the package written anew, with these members only, and put in place in one step. A failure
// anywhere ends the case with an error and leaves an existing package as it was (a new one is
// not left behind). Whose package may be replaced is the run's decision (package_owner.h).
//
// Once the package is in place, every record file of the case must still be as it was when it
// was copied (size and last-write time): one that changed was being written by another
// program, and its copy may be cut short. The package is then taken back (a new one removed,
// an earlier one of the name, kept until now under a second name, put back in one step), the
// document likewise, and RecordChanged names the file.
#pragma once

#include "platform/error.h"
#include "platform/file_copy.h"
#include "production/feereview_document.h"
#include "production/package_names.h"

#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace tessaro {
class UserPort;
}

namespace tessaro::production {

// A record file of the case and what its copy saw of it.
struct CopiedRecord {
    std::string file;  // the attachment's path
    platform::FileStamp stamp;
};

struct PackagingJob {
    std::filesystem::path appPath;       // holds the working folders ATT, EMR, DCF and DATA
    std::filesystem::path outputFolder;  // receives the document and the package
    PackageNames names;
    std::vector<CopiedRecord> records;   // the case's record files, as they were copied
};

// A record file changed after it was copied; the case's package and document were taken back.
class RecordChanged : public Error {
public:
    explicit RecordChanged(std::string file) : Error("The file changed after it was copied: " + file), file_(std::move(file)) {}
    const std::string& file() const { return file_; }

private:
    std::string file_;
};

// Called with each file as it is packed: a cabinet, the document, the package.
using PackingReport = std::function<void(const std::filesystem::path& file)>;

// Packs the case and gives the package's path. Throws tessaro::Error: for a cabinet that could
// not be completed a FileError with the cabinet builder's error text, naming the file and the
// reason; RecordChanged; the document writer's and the ZIP writer's errors otherwise.
std::filesystem::path packageCase(const PackagingJob& job, const FeeReviewDocument& document, UserPort& port,
                                  const PackingReport& report);

}  // namespace tessaro::production
