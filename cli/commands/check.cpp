// tessaro-cli check: packages checked as the insurer's side will read them.
#include "cli/commands/commands.h"
#include "platform/path_text.h"
#include "production/package_check.h"
#include "production/package_leftovers.h"

#include <filesystem>
#include <limits>
#include <set>
#include <system_error>

namespace tessaro::cli {
namespace {

namespace fs = std::filesystem;

// What a run that did not finish left beside a package: hidden, but in the folder the clerk
// uploads from. Each folder is named once.
bool reportLeftovers(const std::vector<std::string>& packages, CommandContext& context) {
    std::set<fs::path> seen;
    bool none = true;
    for (const std::string& package : packages) {
        const fs::path folder = platform::pathFromUtf8(package).parent_path();
        std::error_code ec;
        if (!seen.insert(fs::absolute(folder.empty() ? fs::path(".") : folder, ec).lexically_normal()).second) continue;
        for (const fs::path& leftover : production::packageLeftovers(folder.empty() ? fs::path(".") : folder)) {
            const std::string name = platform::utf8FromPath(leftover.filename());
            const std::string of = *production::leftoverPackageName(name);
            context.out << platform::utf8FromPath(folder / leftover.filename()) << ": a temporary file of "
                        << (of.empty() ? std::string("a package") : "the package " + of)
                        << " left by a run that did not finish; it is no package and not to be uploaded (the next run"
                           " into this folder removes it)\n";
            none = false;
        }
    }
    return none;
}

}  // namespace

int runCheck(CommandContext& context) {
    const std::vector<std::string> packages = context.args.positionals(1, std::numeric_limits<size_t>::max());
    bool sound = true;
    for (const std::string& package : packages) {
        for (const std::string& problem : production::checkPackage(platform::pathFromUtf8(package))) {
            context.out << package << ": " << problem << '\n';
            sound = false;
        }
    }
    if (!reportLeftovers(packages, context)) sound = false;
    return sound ? kSuccess : kFailure;
}

}  // namespace tessaro::cli
