// tessaro-cli zip: add files to a ZIP package with the production run's settings.
#include "archives/zip/zip_writer.h"
#include "cli/commands/commands.h"
#include "platform/path_text.h"

namespace tessaro::cli {

int runZip(CommandContext& context) {
    const std::vector<std::string> args = context.args.positionals(2, SIZE_MAX);

    bool anyFailed = false;
    archives::TZipWriter writer(&context.port);
    writer.setStoreOptions(archives::soStripDrive | archives::soStripPath | archives::soRemoveDots |
                           archives::soFreshen | archives::soReplace);
    writer.setCompressionMethod(archives::CompressionMethod::smBestMethod);
    writer.setDeflationOption(archives::DeflationOption::doNormal);
    writer.setOnItemFailure([&](const archives::ItemFailure& failure) {
        context.err << failure.entryName << ": " << failure.text << '\n';
        anyFailed = true;
    });

    writer.OpenArchive(platform::pathFromUtf8(args[0]));
    for (size_t i = 1; i < args.size(); ++i) {
        if (!std::filesystem::is_regular_file(platform::pathFromUtf8(args[i]))) {
            context.err << args[i] << ": no such file\n";
            anyFailed = true;
            continue;
        }
        writer.AddFiles(args[i]);
    }
    writer.Save();
    writer.CloseArchive();
    return anyFailed ? kFailure : kSuccess;
}

}  // namespace tessaro::cli
