#include "production/case_packaging.h"

#include "archives/cab/cab_support.h"
#include "archives/zip/zip_writer.h"
#include "platform/error.h"
#include "platform/file_io.h"
#include "platform/kept_file.h"
#include "platform/path_text.h"
#include "platform/user_port.h"
#include "production/package_leftovers.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaro::production {
namespace {

namespace fs = std::filesystem;

// The kinds of working folder, in the order their cabinets go into the package.
constexpr std::array<std::string_view, 3> kCabinetKinds = {"ATT", "EMR", "DCF"};

// The options every package is written with: bare names. The package is always written
// anew (CreateArchive), so no entry of an earlier package of the same name survives.
constexpr unsigned kPackageStoreOptions =
    archives::soStripDrive | archives::soStripPath | archives::soRemoveDots | archives::soFreshen | archives::soReplace;

// True when `folder` holds anything but folders (hidden files count).
bool holdsFile(const fs::path& folder) {
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (!it->is_directory(ec)) return true;
    return false;
}

// Packs every file directly inside `folder` into the cabinet `cabinet`. A cabinet that lacks
// a file is as wrong as no cabinet: any error the builder reports ends the case, and what
// the builder wrote is removed so that no incomplete cabinet stands under the case's name.
// The error names the file it is about (the record file for a source that could not be
// opened or read, else the cabinet) with the builder's own words as the reason.
void buildCabinet(const fs::path& folder, const fs::path& cabinet, UserPort& port) {
    archives::cab::TCabCompress builder(port);
    builder.Reset();
    builder.AddFolder(platform::utf8FromPath(folder / "*.*"));
    builder.FileName = platform::utf8FromPath(cabinet);
    const bool written = builder.Compress();
    const std::uint16_t code = builder.LastError();
    if (written && code == 0) return;
    std::error_code ec;
    fs::remove(cabinet, ec);
    const int current = builder.CurrentIndex();
    const bool aboutSource = (code == 1 || code == 2 || code == 9) && current >= 0 && current < builder.FileCount();
    throw FileError(archives::cab::cabErrorText(code), aboutSource ? builder.Item(current).FileName : builder.FileName,
                    builder.LastErrorDetail());
}

// Adds `members` to the package and saves it in one step. An entry that cannot be added is
// an error of the whole package: the writer's item failure is raised, which stops the save
// before the package file is replaced.
void writePackage(const fs::path& package, const std::vector<fs::path>& members, UserPort& port) {
    archives::TZipWriter writer(&port);
    writer.setStoreOptions(kPackageStoreOptions);
    writer.setTempFilePrefix(packageTempPrefix(platform::utf8FromPath(package.filename())));
    writer.setOnItemFailure([](const archives::ItemFailure& failure) { throw Error(failure.text); });
    try {
        writer.CreateArchive(package);
        for (const fs::path& member : members) {
            // Each member is named literally: a program folder with ";", "*" or "?" in its path
            // must not turn the name into a mask.
            if (!writer.AddFile(member)) throw Error("Cannot add file \"" + member.string() + "\" to the package");
        }
        writer.Save();
        writer.CloseArchive();
    } catch (...) {
        writer.DiscardArchive();
        throw;
    }
}

// The document file of a case while its package is written: when the package cannot be
// saved, the document is put back as it was (an earlier run's bytes, or no file), so the
// output folder never holds a document that no package carries.
class DocumentRollback {
public:
    explicit DocumentRollback(fs::path path) : path_(std::move(path)) {
        std::error_code ec;
        if (fs::is_regular_file(path_, ec)) previous_ = platform::readFileBytes(path_);
    }
    ~DocumentRollback() {
        if (kept_) return;
        try {
            if (previous_) platform::writeFileBytes(path_, *previous_);
            else fs::remove(path_);
        } catch (...) {
            // The package error is the one the user sees; this is only tidying up.
        }
    }
    DocumentRollback(const DocumentRollback&) = delete;
    DocumentRollback& operator=(const DocumentRollback&) = delete;

    void keep() { kept_ = true; }

private:
    fs::path path_;
    std::optional<std::string> previous_;
    bool kept_ = false;
};

// The package's name while a new package replaces it: an earlier package is kept under a
// second name first, so that the new one can be taken back when it must not stay.
class PackageRollback {
public:
    explicit PackageRollback(fs::path package) : package_(std::move(package)) {
        std::error_code ec;
        if (!fs::is_regular_file(package_, ec)) return;
        std::string reason;
        earlier_ = platform::KeptFile::keep(package_, packageTempPrefix(platform::utf8FromPath(package_.filename())), reason);
        // A package that could not be put back is not replaced.
        if (!earlier_) throw Error(platform::cannotCreateText(package_, reason));
    }
    PackageRollback(const PackageRollback&) = delete;
    PackageRollback& operator=(const PackageRollback&) = delete;

    // Puts the earlier package back in one step, or removes the new one. Should that fail, the
    // new package stays: complete, but its row unmarked, and the user is told to make it again.
    void takeBack() noexcept {
        std::string reason;
        std::error_code ec;
        if (earlier_) earlier_->restore(reason);
        else fs::remove(package_, ec);
    }

private:
    fs::path package_;
    std::optional<platform::KeptFile> earlier_;  // its kept name goes with it
};

// The first record file that is no longer what was copied of it.
std::optional<std::string> firstChanged(const std::vector<CopiedRecord>& records) {
    for (const CopiedRecord& record : records)
        if (platform::fileStamp(platform::pathFromUtf8(record.file)) != record.stamp) return record.file;
    return std::nullopt;
}

}  // namespace

fs::path packageCase(const PackagingJob& job, const FeeReviewDocument& document, UserPort& port,
                     const PackingReport& report) {
    std::vector<fs::path> members;
    for (const std::string_view kind : kCabinetKinds) {
        const fs::path folder = job.appPath / platform::pathFromUtf8(kind);
        if (!holdsFile(folder)) continue;
        const fs::path cabinet = job.appPath / "DATA" / platform::pathFromUtf8(job.names.cabinetFor(kind));
        report(cabinet);
        buildCabinet(folder, cabinet, port);
        members.push_back(cabinet);
    }

    const fs::path documentFile = job.outputFolder / platform::pathFromUtf8(job.names.document);
    report(documentFile);
    DocumentRollback rollback(documentFile);
    document.save(documentFile);
    port.processPendingMessages();
    members.push_back(documentFile);

    const fs::path package = job.outputFolder / platform::pathFromUtf8(job.names.package);
    report(package);
    PackageRollback packageRollback(package);
    writePackage(package, members, port);
    if (const auto changed = firstChanged(job.records)) {
        packageRollback.takeBack();
        throw RecordChanged(*changed);
    }
    rollback.keep();
    return package;
}

}  // namespace tessaro::production
