// tessaro-cli extract: every entry of a ZIP archive below a folder, as the import unpacks.
#include "archives/zip/zip_extractor.h"
#include "cli/commands/commands.h"
#include "platform/path_text.h"

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

    const std::filesystem::path archive = platform::pathFromUtf8(args[0]), folder = platform::pathFromUtf8(args[1]);
    std::filesystem::create_directories(folder);
    extractor.setFileName(std::filesystem::absolute(archive));
    extractor.setBaseDirectory(std::filesystem::absolute(folder));
    extractor.ExtractFiles("*.*");
    extractor.CloseArchive();
    return anyFailed ? kFailure : kSuccess;
}

}  // namespace tessaro::cli
