#include "cli/commands/commands.h"

namespace tessaro::cli {

std::span<const Command> allCommands() {
    static constexpr Command kCommands[] = {
        {"make", "make the upload packages of a case list, as the window does",
         "usage: tessaro-cli make --import FILE [--dir DIR] [--fee-xml FILE] [--attachments TABLE]\n"
         "                        [--upload-type 1|2|3] [--declaration-type 1|2|4|5] [--seq N]\n"
         "                        [--record FILE]\n\n"
         "Does what a user does in the window: names the fee declaration (--fee-xml), imports\n"
         "FILE as \"匯入抽審明細檔\" does (a setting table, a comma-separated or fixed-width\n"
         "sampling file, or a .zip holding one), optionally gives each imported case the\n"
         "attachment text of the line of TABLE (a setting table) with the same category and\n"
         "serial, sets the upload category (default 1), the declaration category (default:\n"
         "what the import chose) and the first sequence number (1 to 999, default 1), then\n"
         "runs \"製作電子抽審檔\". DIR is the program folder (default: the current folder):\n"
         "Upload/, DATA/, ATT/, EMR/ and DCF/ are made in it.\n\n"
         "Each message the window would show goes to standard error, one per line, in order\n"
         "(an error as \"error: \" and its text); the full path of each package goes to standard\n"
         "output once the check after the run found it sound; a terminal also gets a progress\n"
         "line. The run's record (a CSV file: each case, what happened to it, its record files\n"
         "and package with sizes and SHA-256) goes to DIR/Records/<fee month>/, and to FILE as\n"
         "well with --record. Exit status 0 when the run reached its closing message and every\n"
         "package it made passed the check, 1 when the import or the run stopped early, an\n"
         "error was reported or a package has a problem (named on standard error).\n",
         runMake},
        {"import", "import a setting table or sampling file and print the case list",
         "usage: tessaro-cli import [--dir DIR] [--fee-xml FILE] FILE\n\n"
         "Imports FILE as \"匯入抽審明細檔\" does and prints the case list, one case per line,\n"
         "tab-separated: category, serial, name, ID number, visit date, attachment text.\n"
         "Messages and exit status as for make: 0 when the import reached \"匯入完成\".\n",
         runImport},
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
         "when any entry failed. A file whose CRC does not match is kept as decoded. A name\n"
         "with a control character or one of \" < > |, or a folder that cannot be made, ends\n"
         "the extraction with an error.\n",
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
         "package's name, and one line for each temporary file of a package that a run which\n"
         "did not finish left in the packages' folders; exit status 0 when there is none of\n"
         "either, 1 otherwise.\n",
         runCheck},
    };
    return kCommands;
}

}  // namespace tessaro::cli
