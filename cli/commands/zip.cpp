// tessaro-cli zip: add files to a ZIP package with the production run's settings.
//
// Each FILE is taken literally: names with ";", blanks, a leading dot, "*", "?" or ":" are
// file names here, not masks.
#include "archives/zip/zip_writer.h"
#include "cli/commands/commands.h"
#include "platform/path_text.h"
#include "platform/temp_file.h"

namespace tessaro::cli {
namespace {

namespace fs = std::filesystem;

// Why AddFile took nothing for `file`.
std::string notAddedReason(const fs::path& file, const fs::path& archive) {
    std::error_code ec;
    if (!fs::exists(file, ec)) return "no such file";
    if (!fs::is_regular_file(file, ec)) return "not a regular file";
    if (fs::equivalent(file, archive, ec)) return "is the archive itself";
    return "cannot be added";
}

// Removes a package this command created when nothing went into it (it is still empty).
// Through a link, the package is the file the link points to: that file goes, the link stays.
class NewPackageGuard {
public:
    explicit NewPackageGuard(const fs::path& path) : path_(platform::replacementTarget(path)) {
        std::error_code ec;
        existed_ = fs::exists(path_, ec);
    }
    ~NewPackageGuard() {
        std::error_code ec;
        if (!existed_ && fs::is_regular_file(path_, ec) && fs::file_size(path_, ec) == 0 && !ec) fs::remove(path_, ec);
    }
    NewPackageGuard(const NewPackageGuard&) = delete;
    NewPackageGuard& operator=(const NewPackageGuard&) = delete;

private:
    fs::path path_;
    bool existed_ = false;
};

}  // namespace

int runZip(CommandContext& context) {
    const std::vector<std::string> args = context.args.positionals(2, SIZE_MAX);

    const fs::path archive = platform::pathFromUtf8(args[0]);
    const NewPackageGuard guard(archive);  // outlives the writer, which closes the file first

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

    writer.OpenArchive(archive);
    for (size_t i = 1; i < args.size(); ++i) {
        if (writer.AddFile(platform::pathFromUtf8(args[i]))) continue;
        context.err << args[i] << ": " << notAddedReason(platform::pathFromUtf8(args[i]), archive) << '\n';
        anyFailed = true;
    }
    writer.Save();
    writer.CloseArchive();
    return anyFailed ? kFailure : kSuccess;
}

}  // namespace tessaro::cli
