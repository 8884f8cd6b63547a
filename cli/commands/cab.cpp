// tessaro-cli cab: one cabinet from a folder's files, as the production run builds them.
#include "archives/cab/cab_support.h"
#include "cli/commands/commands.h"
#include "platform/error_report.h"
#include "platform/path_text.h"

#include <filesystem>

namespace tessaro::cli {

int runCab(CommandContext& context) {
    const std::vector<std::string> args = context.args.positionals(2, 2);
    const std::filesystem::path folder = platform::pathFromUtf8(args[1]);
    if (!std::filesystem::is_directory(folder)) throw UsageError{"FOLDER must be an existing folder"};

    archives::cab::TCabCompress cab(context.port);
    std::vector<std::uint16_t> errors;
    cab.OnError = [&](archives::cab::TCustomCabComponent&, std::uint16_t code) { errors.push_back(code); };
    cab.Reset();
    cab.AddFolder(platform::utf8FromPath(folder / "*.*"));
    cab.FileName = args[0];
    const bool completed = cab.Compress();

    for (const std::uint16_t code : errors) reportError(context.port, archives::cab::cabErrorText(code));
    return completed && errors.empty() ? kSuccess : kFailure;
}

}  // namespace tessaro::cli
