// tessaro-cli extract: every entry of a ZIP archive below a folder, as the import unpacks.
#include "archives/zip/zip_extractor.h"
#include "cli/commands/commands.h"

namespace tessaro::cli {

int runExtract(CommandContext& context) {
    const std::vector<std::string> args = context.args.positionals(2, 2);

    bool anyFailed = false;
    archives::TZipExtractor extractor(&context.port);
    extractor.setExtractOptions(archives::eoCreateDirs | archives::eoRestorePath);
    extractor.setOnItemFailure([&](const archives::ItemFailure& failure) {
        context.err << failure.entryName << ": " << failure.text << '\n';
        anyFailed = true;
    });

    std::filesystem::create_directories(args[1]);
    extractor.setFileName(std::filesystem::absolute(args[0]));
    extractor.setBaseDirectory(std::filesystem::absolute(args[1]));
    extractor.ExtractFiles("*.*");
    extractor.CloseArchive();
    return anyFailed ? kFailure : kSuccess;
}

}  // namespace tessaro::cli
