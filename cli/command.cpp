#include "cli/command.h"

#include <algorithm>
#include <limits>

namespace tessaro::cli {

std::optional<std::string> Arguments::takeOption(const std::string& name) {
    const std::string flag = "--" + name;
    for (auto it = args_.begin(); it != args_.end(); ++it) {
        if (*it == "--") break;
        if (*it == flag) {
            if (std::next(it) == args_.end()) throw UsageError{"option " + flag + " needs a value"};
            std::string value = *std::next(it);
            args_.erase(it, std::next(it, 2));
            return value;
        }
        if (it->rfind(flag + "=", 0) == 0) {
            std::string value = it->substr(flag.size() + 1);
            args_.erase(it);
            return value;
        }
    }
    return std::nullopt;
}

bool Arguments::takeFlag(const std::string& name) {
    const auto it = std::find(args_.begin(), std::find(args_.begin(), args_.end(), "--"), "--" + name);
    if (it == args_.end() || *it == "--") return false;
    args_.erase(it);
    return true;
}

std::vector<std::string> Arguments::positionals(size_t minimum, size_t maximum) {
    std::vector<std::string> result;
    bool optionsEnded = false;
    for (const std::string& arg : args_) {
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-' && arg[1] == '-') {
            throw UsageError{"unknown option " + arg};
        } else {
            result.push_back(arg);
        }
    }
    if (result.size() < minimum) throw UsageError{"missing arguments"};
    if (result.size() > maximum) throw UsageError{"too many arguments"};
    return result;
}

}  // namespace tessaro::cli
