// What every subcommand of tessaro-cli gets and gives.
#pragma once

#include "cli/console_port.h"

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace tessaro::cli {

enum ExitStatus : int { kSuccess = 0, kFailure = 1, kUsageError = 2 };

// A wrong command line; main prints the message and the command's usage and exits with 2.
struct UsageError {
    std::string message;
};

// The arguments after the subcommand's name, with options taken out as they are asked for.
class Arguments {
public:
    explicit Arguments(std::vector<std::string> args) : args_(std::move(args)) {}

    // Removes "--name VALUE" (or "--name=VALUE") and returns VALUE; throws UsageError when the
    // value is missing.
    std::optional<std::string> takeOption(const std::string& name);
    // Removes "--name" and tells whether it was there.
    bool takeFlag(const std::string& name);
    // The remaining arguments; throws UsageError for an unknown option, or when their count
    // lies outside [minimum, maximum].
    std::vector<std::string> positionals(size_t minimum, size_t maximum);

private:
    std::vector<std::string> args_;
};

struct CommandContext {
    Arguments args;
    std::ostream& out;
    std::ostream& err;
    ConsolePort& port;
};

struct Command {
    const char* name;
    const char* summary;
    const char* usage;  // full help text, first line "usage: tessaro-cli NAME ..."
    int (*run)(CommandContext&);
};

}  // namespace tessaro::cli
