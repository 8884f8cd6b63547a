// The subcommands of tessaro-cli, one file each.
#pragma once

#include "cli/command.h"

#include <span>

namespace tessaro::cli {

int runLookup(CommandContext& context);
int runZip(CommandContext& context);
int runExtract(CommandContext& context);
int runCab(CommandContext& context);
int runList(CommandContext& context);
int runCheck(CommandContext& context);
int runMake(CommandContext& context);
int runImport(CommandContext& context);

// Every subcommand, in the order the overall help lists them.
std::span<const Command> allCommands();

}  // namespace tessaro::cli
