#include "cli/batch_session.h"

#include "app/workspace/handler_boundary.h"
#include "platform/error_report.h"
#include "platform/file_io.h"
#include "platform/path_text.h"

#include <system_error>

namespace tessaro::cli {

std::filesystem::path BatchSession::programFolder(CommandContext& context) {
    const std::string dir = context.args.takeOption("dir").value_or(".");
    std::error_code ec;
    // Normalised, so that "." and ".." do not show in the paths the run prints.
    std::filesystem::path folder = std::filesystem::absolute(platform::pathFromUtf8(dir), ec).lexically_normal();
    if (ec) throw UsageError{"--dir " + dir + ": " + ec.message()};
    std::filesystem::create_directories(folder, ec);
    if (ec || !std::filesystem::is_directory(folder)) throw UsageError{"--dir " + dir + " is no folder that can be used"};
    return folder;
}

BatchSession::BatchSession(CommandContext& context)
    : context_(context),
      declaration_(context.args.takeOption("fee-xml")),
      workspace_(context.port, platform::utf8FromPath(programFolder(context))) {}

bool BatchSession::openAndImport(const std::string& file) {
    if (declaration_) {
        context_.port.answerNextOpenDialog(platform::pathFromUtf8(*declaration_));
        if (!workspace::runHandler(context_.port, [&] { workspace_.CopenXMLfileClick(); })) return false;
    }
    // The window's open dialog gives only existing files; a file named on the command line
    // is checked the same way before anything (DATA above all) is touched.
    const std::filesystem::path chosen = platform::pathFromUtf8(file);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(chosen, ec)) {
        const std::string reason = ec                                   ? ec.message()
                                   : std::filesystem::exists(chosen, ec) ? std::string("Not a regular file")
                                                                         : std::make_error_code(std::errc::no_such_file_or_directory).message();
        reportError(context_.port, platform::cannotOpenText(std::filesystem::absolute(chosen, ec), reason));
        return false;
    }
    auto outcome = workspace::ImportOutcome::stopped;
    context_.port.answerNextOpenDialog(chosen);
    const bool ran = workspace::runHandler(context_.port, [&] { outcome = workspace_.CimportFileClick(); });
    return ran && outcome == workspace::ImportOutcome::completed;
}

}  // namespace tessaro::cli
