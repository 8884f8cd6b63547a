// tessaro-cli check: packages checked as the insurer's side will read them.
#include "cli/commands/commands.h"
#include "production/package_check.h"

#include <limits>

namespace tessaro::cli {

int runCheck(CommandContext& context) {
    const std::vector<std::string> packages = context.args.positionals(1, std::numeric_limits<size_t>::max());
    bool sound = true;
    for (const std::string& package : packages) {
        for (const std::string& problem : production::checkPackage(package)) {
            context.out << package << ": " << problem << '\n';
            sound = false;
        }
    }
    return sound ? kSuccess : kFailure;
}

}  // namespace tessaro::cli
