#include "cli/commands/commands.h"

namespace tessaro::cli {

std::span<const Command> allCommands() {
    static constexpr Command kCommands[] = {
        {"lookup", "look a case up in a fee declaration",
         "usage: tessaro-cli lookup --fee-xml FILE CATEGORY SERIAL\n\n"
         "Looks the case up as the case list does: the first block whose d1 equals CATEGORY\n"
         "(trimmed) and whose d2 equals SERIAL by value (SERIAL converted as typed, so ' 123'\n"
         "is 123 and '123 ' is 0). Prints name, ID number and visit date, tab-separated.\n"
         "Exit status 1, with the not-found message on standard error, when the case is\n"
         "missing or incomplete.\n",
         runLookup},
        {"cab", "build a cabinet from a folder's files",
         "usage: tessaro-cli cab CABINET FOLDER\n\n"
         "Packs the files directly inside FOLDER (no sub-folders; names beginning with \".\"\n"
         "are skipped) into one MSZIP cabinet CABINET, as the production run does.\n"
         "Exit status 1 with the error's text when a file or the cabinet fails.\n",
         runCab},
    };
    return kCommands;
}

}  // namespace tessaro::cli
