// tessaro-cli cab: one cabinet from a folder's files, as the production run builds them.
//
// Every error line names what it is about: the file that could not be taken, the cabinet that
// could not be written, or the folder that cannot be listed or holds nothing to pack (no
// cabinet is written then, nor when none of its files could be taken).
#include "archives/cab/cab_support.h"
#include "cli/commands/commands.h"
#include "platform/error_report.h"
#include "platform/path_text.h"
#include "platform/temp_file.h"

#include <filesystem>
#include <set>

namespace tessaro::cli {
namespace {

namespace cab = archives::cab;

// Codes that are about the item being added (cannot be opened, fails halfway, too large).
bool isAboutItem(std::uint16_t code) { return code == 1 || code == 2 || code == 9; }

// What an error code of the builder is about: the item being added, or the cabinet.
std::string subjectOf(cab::TCabCompress& builder, std::uint16_t code) {
    if (isAboutItem(code) && builder.CurrentIndex() < builder.FileCount()) return builder.Item(builder.CurrentIndex()).FileName;
    if (code == 6) return builder.FileName;
    return {};
}

}  // namespace

int runCab(CommandContext& context) {
    const std::vector<std::string> args = context.args.positionals(2, 2);
    const std::filesystem::path folder = platform::pathFromUtf8(args[1]);
    if (!std::filesystem::is_directory(folder)) throw UsageError{"FOLDER must be an existing folder"};
    std::error_code unreadable;
    const std::filesystem::directory_iterator listing(folder, unreadable);
    if (unreadable) {
        reportError(context.port, folder.string() + ": " + unreadable.message());
        return kFailure;
    }

    cab::TCabCompress builder(context.port);
    std::vector<std::string> errors;
    std::set<int> failedItems;
    builder.OnError = [&](cab::TCustomCabComponent&, std::uint16_t code) {
        const std::string subject = subjectOf(builder, code);
        errors.push_back((subject.empty() ? "" : subject + ": ") + cab::cabErrorText(code));
        if (isAboutItem(code)) failedItems.insert(builder.CurrentIndex());
    };
    builder.Reset();
    builder.AddFolder(platform::utf8FromPath(folder / "*.*"));
    if (builder.FileCount() == 0) {
        reportError(context.port, folder.string() + ": no file to pack");
        return kFailure;
    }
    builder.FileName = args[0];
    const std::filesystem::path cabinet = platform::replacementTarget(platform::pathFromUtf8(args[0]));
    std::error_code ec;
    const bool existed = std::filesystem::exists(cabinet, ec);
    const bool completed = builder.Compress();
    // A new cabinet that none of the files went into holds nothing a reader accepts.
    if (!existed && static_cast<int>(failedItems.size()) == builder.FileCount()) std::filesystem::remove(cabinet, ec);

    for (const std::string& error : errors) reportError(context.port, error);
    return completed && errors.empty() ? kSuccess : kFailure;
}

}  // namespace tessaro::cli
