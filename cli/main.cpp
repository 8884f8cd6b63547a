// tessaro-cli: the engines of Tessaro for scripts and batch work.
//
// Each subcommand drives the same code as the window, with the program's own settings,
// through a console user port. Exit status 0 on success, 1 when the work failed (the error's
// text on standard error after "error: "), 2 for a wrong command line.
#include "cli/commands/commands.h"
#include "platform/console.h"
#include "platform/error.h"
#include "platform/error_report.h"

#include <exception>
#include <iostream>

namespace tessaro::cli {
namespace {

void printOverview(std::ostream& out) {
    out << "usage: tessaro-cli COMMAND [ARGS...]\n\ncommands:\n";
    for (const Command& command : allCommands()) out << "  " << command.name << "\t" << command.summary << '\n';
    out << "\nRun 'tessaro-cli COMMAND --help' for a command's arguments.\n";
}

const Command* findCommand(const std::string& name) {
    for (const Command& command : allCommands())
        if (name == command.name) return &command;
    return nullptr;
}

int runCommand(const Command& command, std::vector<std::string> args) {
    ConsolePort port(std::cerr);
    CommandContext context{Arguments(std::move(args)), std::cout, std::cerr, port};
    try {
        if (context.args.takeFlag("help")) {
            std::cout << command.usage;
            return kSuccess;
        }
        return command.run(context);
    } catch (const UsageError& e) {
        std::cerr << "tessaro-cli " << command.name << ": " << e.message << "\n" << command.usage;
        return kUsageError;
    } catch (const Error& e) {
        reportError(port, e.what());
    } catch (const std::exception& e) {
        reportError(port, e.what());
    }
    return kFailure;
}

}  // namespace
}  // namespace tessaro::cli

int main(int argc, char** argv) {
    using namespace tessaro::cli;
    const tessaro::platform::ByteExactStandardStreams streams;
    const std::vector<std::string> args = tessaro::platform::commandLineArguments(argc, argv);
    if (args.size() < 2 || args[1] == "--help" || args[1] == "-h") {
        printOverview(args.size() < 2 ? std::cerr : std::cout);
        return args.size() < 2 ? kUsageError : kSuccess;
    }
    const Command* command = findCommand(args[1]);
    if (!command) {
        std::cerr << "tessaro-cli: unknown command '" << args[1] << "'\n";
        printOverview(std::cerr);
        return kUsageError;
    }
    const int status = runCommand(*command, std::vector<std::string>(args.begin() + 2, args.end()));
    // What a script reads (the packages written, the case list) must not go missing unnoticed.
    std::cout.flush();
    if (!std::cout && status != kUsageError) {
        std::cerr << "error: Cannot write to standard output.\n";
        return kFailure;
    }
    return status;
}
