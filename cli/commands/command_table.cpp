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
        {"zip", "add files to a ZIP package",
         "usage: tessaro-cli zip ARCHIVE FILE...\n\n"
         "Adds the files to ARCHIVE (created when missing, freshened when present) with the\n"
         "production run's settings: bare names, Deflate at the normal preset or stored when\n"
         "that does not pay, an entry of the same name replaced only when date, time or size\n"
         "differ. Each FILE is one file, its name taken literally (no wildcards). Exit status 1\n"
         "when a file could not be added; a new ARCHIVE that received nothing is removed.\n",
         runZip},
        {"extract", "extract every entry of a ZIP archive",
         "usage: tessaro-cli extract ARCHIVE DIR\n\n"
         "Extracts every entry below DIR, keeping the entries' folders. An entry that fails\n"
         "(encrypted, unsupported, corrupt, or a name leading outside DIR) is reported on\n"
         "standard error as NAME: REASON and the others are still extracted; exit status 1\n"
         "when any entry failed.\n",
         runExtract},
        {"cab", "build a cabinet from a folder's files",
         "usage: tessaro-cli cab CABINET FOLDER\n\n"
         "Packs the files directly inside FOLDER (no sub-folders; names beginning with \".\"\n"
         "are skipped) into one MSZIP cabinet CABINET, as the production run does.\n"
         "Exit status 1 when a file or the cabinet fails (each error names its file), and\n"
         "when FOLDER cannot be listed or holds no file to pack (no cabinet is written).\n",
         runCab},
        {"list", "list the entries of a ZIP archive or a cabinet",
         "usage: tessaro-cli list ARCHIVE\n\n"
         "One line per entry, tab-separated: name, method, compressed size (\"-\" in a\n"
         "cabinet), uncompressed size, CRC-32 (empty in a cabinet), date and time,\n"
         "attributes (D folder, R read-only, H hidden, S system, A archive).\n",
         runList},
        {"check", "check upload packages as the insurer will read them",
         "usage: tessaro-cli check PACKAGE.zip...\n\n"
         "Checks each package: the ZIP reads with every CRC right; its entries are the\n"
         "cabinets (ATT, EMR, DCF, in that order, each at most once) and then the feereview\n"
         "document, named by the naming rules with hospital code, date and sequence number\n"
         "agreeing; every cabinet reads with valid checksums; the document is Big5,\n"
         "well-formed XML with its values in their formats; and its file entries match the\n"
         "files in the cabinets one to one. Prints one line per problem, prefixed with the\n"
         "package's name; exit status 0 when there is none, 1 otherwise.\n",
         runCheck},
    };
    return kCommands;
}

}  // namespace tessaro::cli
