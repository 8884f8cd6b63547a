// Importing a setting table or the insurer's sampling file into the case list.
//
// The chosen file's name decides what it is (tables/import_source.h); a .zip is unpacked
// into the working folder "DATA" first and its sampling file taken from there. The file is
// read as lines; each line is judged by the rules of its format (tables/import_rules.h)
// and becomes a case row with its editors at once, or a message, or nothing. A setting
// table's cases are completed from the fee declaration, all of them from one scan of it
// (feeinput::CaseIndex, with exactly the one-case lookup's rule); a sampling file's cases
// carry their patient data and the claim header themselves.
#include "app/workspace/workspace.h"
#include "archives/zip/output_path.h"
#include "archives/zip/zip_extractor.h"
#include "feeinput/case_lookup.h"
#include "feeinput/declaration_text.h"
#include "feeinput/text_fields.h"
#include "feeinput/text_file.h"
#include "platform/error.h"
#include "platform/file_io.h"
#include "platform/path_text.h"
#include "platform/temp_file.h"
#include "production/del_tree.h"
#include "production/working_folders_lock.h"
#include "tables/import_rules.h"
#include "tables/import_source.h"
#include "tables/import_texts.h"
#include "tables/setting_table.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>
#include <set>

namespace tessaro::workspace {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kDataFolder = "DATA";
constexpr std::string_view kEveryEntry = "*.*";

// The file an import reads, and how.
struct ImportFile {
    fs::path path;
    tables::LineFormat format;
};

ImportFileMode modeFor(tables::LineFormat format) {
    switch (format) {
        case tables::LineFormat::samplingCsv: return ImportFileMode::tiSMPcsv;
        case tables::LineFormat::samplingFixed: return ImportFileMode::tiSMPtxt;
        case tables::LineFormat::settingTable: break;
    }
    return ImportFileMode::titxt;
}

// True when `path` names a file that exists (a folder is no file). A text with a NUL in it
// names no file, though the system would read the part before the NUL as one.
bool namesExistingFile(const std::string& path) {
    if (path.empty() || path.find('\0') != std::string::npos) return false;
    std::error_code ec;
    const fs::file_status status = fs::status(platform::pathFromUtf8(path), ec);
    return !ec && fs::exists(status) && !fs::is_directory(status);
}

bool liesInside(const fs::path& file, const fs::path& folder) {
    std::error_code ec;
    const fs::path canonicalFile = fs::weakly_canonical(file, ec);
    if (ec) return false;
    const fs::path canonicalFolder = fs::weakly_canonical(folder, ec);
    if (ec) return false;
    const auto [folderEnd, fileRest] =
        std::mismatch(canonicalFolder.begin(), canonicalFolder.end(), canonicalFile.begin(), canonicalFile.end());
    return folderEnd == canonicalFolder.end() && fileRest != canonicalFile.end();
}

// ---- The .zip route ---------------------------------------------------------------------------

// A copy of an archive chosen from inside the working folder, which is emptied before the
// archive is read: without it the import would delete the very file it was asked to read.
std::optional<platform::TempFile> copyOutOf(const fs::path& dataFolder, const fs::path& archive) {
    if (!liesInside(archive, dataFolder)) return std::nullopt;
    fs::path attempted;
    auto copy = platform::TempFile::create(platform::systemTempFolder(), "tessaro-import-", &attempted);
    if (!copy) throw Error(platform::cannotCreateText(attempted, std::strerror(errno)));
    std::error_code ec;
    fs::copy_file(archive, copy->path(), fs::copy_options::overwrite_existing, ec);
    if (ec) throw Error(platform::cannotCreateText(copy->path(), ec.message()));
    return copy;
}

// The names of the archive's files that land directly in the folder it is unpacked into.
std::set<std::string> topLevelFileNames(const std::vector<archives::ZipEntry>& entries) {
    std::set<std::string> names;
    for (const auto& entry : entries) {
        if (entry.isFolder()) continue;
        const auto relative = archives::zip::confinedRelativePath(entry.name, false);
        if (relative && std::distance(relative->begin(), relative->end()) == 1)
            names.insert(platform::utf8FromPath(relative->filename()));
    }
    return names;
}

// Empties "DATA" (a file it keeps, say one held open elsewhere, is never taken for the new
// sampling file), unpacks the archive into it as the window's extractor does (its folders
// kept, entries that would land outside "DATA" refused) and gives the sampling file found
// at its top level. The extractor's errors end the import with their own text.
std::optional<fs::path> unpackSamplingArchive(UserPort& port, const fs::path& dataFolder, const fs::path& archive) {
    const auto copy = copyOutOf(dataFolder, archive);
    production::DelTree(dataFolder);
    std::error_code ec;
    fs::create_directories(dataFolder, ec);  // a folder that is missing is refused by the extractor

    archives::TZipExtractor extractor(&port);
    extractor.setFileName(copy ? copy->path() : archive);
    extractor.setBaseDirectory(dataFolder);
    extractor.ExtractFiles(kEveryEntry);
    port.processPendingMessages();
    const std::set<std::string> unpacked = topLevelFileNames(extractor.entries());
    extractor.CloseArchive();
    return tables::findSamplingFile(dataFolder, &unpacked);
}

// The sampling file of an unpacked archive; nothing (after the message) when there is none
// or it is neither a .csv nor a .txt file.
std::optional<ImportFile> samplingFileOfArchive(UserPort& port, const std::string& appPath, const std::string& archive) {
    const auto found = unpackSamplingArchive(port, platform::pathFromUtf8(appPath) / platform::pathFromUtf8(kDataFolder),
                                               platform::pathFromUtf8(archive));
    const auto format = found ? tables::samplingFormatOf(platform::utf8FromPath(found->filename())) : std::nullopt;
    if (format) return ImportFile{*found, *format};
    port.showMessage(tables::noSamplingFileInArchiveText(archive));
    return std::nullopt;
}

// What the chosen file is and where its lines come from; nothing (after the message) when
// it cannot be imported.
std::optional<ImportFile> chooseImportFile(UserPort& port, const std::string& appPath, const std::string& chosen) {
    switch (tables::importSourceOf(chosen)) {
        case tables::ImportSource::archive: return samplingFileOfArchive(port, appPath, chosen);
        case tables::ImportSource::notSampling:
            port.showMessage(tables::notASamplingFileText(chosen));
            return std::nullopt;
        case tables::ImportSource::settingTable: return ImportFile{platform::pathFromUtf8(chosen), tables::LineFormat::settingTable};
        case tables::ImportSource::samplingCsv: return ImportFile{platform::pathFromUtf8(chosen), tables::LineFormat::samplingCsv};
        case tables::ImportSource::samplingFixed: return ImportFile{platform::pathFromUtf8(chosen), tables::LineFormat::samplingFixed};
    }
    return std::nullopt;
}

// ---- Lines into rows ------------------------------------------------------------------------

// The categories of a setting table's case lines: the lookups the index must answer.
std::vector<std::string> categoriesOf(const feeinput::LineList& lines) {
    std::set<std::string> categories;
    for (const std::string& line : lines)
        if (const auto read = tables::readSettingTableLine(line)) categories.insert(read->category);
    return {categories.begin(), categories.end()};
}

// Appends the case's row and creates its editors at once: the category that equals the
// case's (letter case ignored) selected, the serial number in plain decimal. Setting them
// starts no lookup. The row holds that case with the record files of its line. Gives the
// row's index.
std::size_t addImportedRow(Workspace& ws, const tables::ImportedCase& imported) {
    const std::string serial = std::to_string(imported.serial);
    CaseRow row;
    row.caption = imported.category;
    row.cells[kSerialCell] = serial;
    row.cells[kAttachmentCell] = imported.attachments;
    ws.cases().append(std::move(row));
    const std::size_t index = ws.cases().size() - 1;
    ws.typeSerial(ws.caseRowDrawn(index), serial);
    ws.cases()[index].held.key = ws.caseKey(index);
    return index;
}

// Reads the lines of `file` into the case list.
class LineImport {
public:
    LineImport(Workspace& ws, UserPort& port, const ImportFile& file)
        : ws_(ws), port_(port), format_(file.format), lines_(feeinput::LoadFromFile(file.path)) {}

    // True when the import reached its end ("匯入完成").
    bool run() {
        // Line 1 that names a file is the fee declaration's path, whatever the format.
        const bool firstLineIsPath = !lines_.empty() && namesExistingFile(lines_.front());
        if (firstLineIsPath) ws_.panel().CXMLfile = lines_.front();
        const bool settingTable = format_ == tables::LineFormat::settingTable;
        const std::string& declaration = ws_.panel().CXMLfile;
        if (settingTable && (feeinput::Trim(declaration).empty() || !namesExistingFile(declaration))) {
            port_.showMessage(std::string(tables::kNoDeclarationFileText));
            return false;
        }
        Panel& panel = ws_.panel();
        panel.ChospitalCode.clear();
        panel.CINSUyyymm.clear();
        panel.CINSUupdate.clear();

        std::optional<feeinput::DeclarationText> text;
        std::optional<feeinput::CaseIndex> index;
        if (settingTable) {
            text = feeinput::DeclarationText::readFile(declaration);
            index.emplace(*text, categoriesOf(lines_));
        }

        tables::ImportRules rules(format_, ws_.values().D1strings);
        // The path line of a table we saved is no case line, even with a comma in it, and the
        // progress does not count it among the cases.
        const std::size_t first = settingTable && firstLineIsPath ? 1 : 0;
        for (std::size_t i = first; i < lines_.size(); ++i) {
            port_.showProgress({i + 1 - first, lines_.size() - first, {}});
            apply(i + 1, rules.judge(i + 1, lines_[i]), index ? &*index : nullptr);
        }
        panel.CINSUtype = tables::declarationTypeItem(rules.declarationType());
        port_.showMessage(std::string(tables::kImportDoneText));
        return true;
    }

private:
    void apply(std::size_t lineNumber, const tables::LineResult& result, const feeinput::CaseIndex* index) {
        Panel& panel = ws_.panel();
        if (result.header && panel.ChospitalCode.empty()) {
            panel.ChospitalCode = result.header->hospitalCode;
            panel.CINSUyyymm = result.header->feeYearMonth;
            panel.CINSUupdate = result.header->declarationDate;
        }
        if (result.message) port_.showMessage(*result.message);
        if (!result.importedCase) return;

        const tables::ImportedCase& imported = *result.importedCase;
        const std::size_t row = addImportedRow(ws_, imported);
        if (index == nullptr) {
            fill(row, imported.name, imported.idNumber, imported.visitDate);
            return;
        }
        const feeinput::CaseLookup found = index->find(imported.category, imported.serial);
        if (!found.found()) {
            ws_.cases().remove(row);
            port_.showMessage(tables::caseMissingText(lineNumber, imported.category, imported.serial));
            return;
        }
        fill(row, *found.name, *found.idNumber, *found.visitDate);
    }

    void fill(std::size_t row, const std::string& name, const std::string& idNumber, const std::string& visitDate) {
        CaseRow& target = ws_.cases()[row];
        target.cells[kNameCell] = name;
        target.cells[kIdCell] = idNumber;
        target.cells[kVisitDateCell] = visitDate;
        target.held.idNumber = idNumber;
    }

    Workspace& ws_;
    UserPort& port_;
    tables::LineFormat format_;
    feeinput::LineList lines_;
};

}  // namespace

ImportOutcome Workspace::CimportFileClick() {
    FileDialogRequest request;
    request.filter = tables::kImportFilter;
    request.initialDir = platform::pathFromUtf8(values_.appPath);
    const auto chosen = port_.openFile(request);
    if (!chosen) return ImportOutcome::cancelled;

    // An archive is unpacked into DATA, which a run may be using: the import holds the
    // program folder's lock until it has read the sampling file, and a refusal keeps the list.
    std::optional<platform::FileLock> lock;
    if (tables::importSourceOf(fullPath(*chosen)) == tables::ImportSource::archive) {
        lock = production::lockWorkingFolders(platform::pathFromUtf8(values_.appPath), port_);
        if (!lock) return ImportOutcome::stopped;
    }

    // From here on the old case list is gone, whatever follows.
    clearAuditlist();
    values_.importfileMode = ImportFileMode::titxt;
    const auto file = chooseImportFile(port_, values_.appPath, fullPath(*chosen));
    if (!file) return ImportOutcome::stopped;
    values_.importfileMode = modeFor(file->format);
    return LineImport(*this, port_, *file).run() ? ImportOutcome::completed : ImportOutcome::stopped;
}

}  // namespace tessaro::workspace
