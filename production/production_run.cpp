#include "production/production_run.h"

#include "archives/cab/cab_records.h"
#include "feeinput/declaration_header.h"
#include "feeinput/declaration_text.h"
#include "feeinput/text_fields.h"
#include "platform/error.h"
#include "platform/file_attributes.h"
#include "platform/file_copy.h"
#include "platform/path_text.h"
#include "platform/user_port.h"
#include "production/case_packaging.h"
#include "production/del_tree.h"
#include "production/feereview_document.h"
#include "production/package_leftovers.h"
#include "production/package_names.h"
#include "production/package_owner.h"
#include "production/package_slots.h"
#include "production/file_digest.h"
#include "production/package_check.h"
#include "production/run_record.h"
#include "production/production_texts.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cctype>
#include <cstdint>
#include <map>
#include <optional>
#include <string_view>
#include <system_error>

namespace tessaro::production {
namespace {

namespace fs = std::filesystem;

constexpr std::array<std::string_view, 4> kWorkingFolders = {"DCF", "ATT", "EMR", "DATA"};

// The existence test of a record file: a file, not a folder (links followed).
bool fileExists(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::is_regular_file(platform::pathFromUtf8(path), ec);
}

// A header value that names a folder or starts file names must be one name component that
// Windows accepts too, so that no value read from a file can place the run's output outside
// the program folder or make the same run succeed on one platform and fail on the other.
// Windows also drops a trailing dot or blank from a name (so "NUL." is NUL) and takes the
// device names (CON, PRN, AUX, NUL, COM1-9, LPT1-9, with any extension) for devices.
bool isDeviceName(std::string_view value) {
    std::string stem(value.substr(0, value.find('.')));
    for (char& c : stem) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL") return true;
    return stem.size() == 4 && (stem.starts_with("COM") || stem.starts_with("LPT")) && stem[3] >= '1' && stem[3] <= '9';
}

bool isNameComponent(std::string_view value) {
    if (value.empty() || value.back() == '.' || value.back() == ' ' || isDeviceName(value)) return false;
    return std::none_of(value.begin(), value.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 || std::string_view("<>:\"/\\|?*").find(c) != std::string_view::npos;
    });
}

void createFolder(const fs::path& folder) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) throw Error("Cannot create folder \"" + folder.string() + "\". " + ec.message());
}

// Windows drops trailing dots and blanks from file names; the copies are named as they come
// out there, so a stem without extension ("11A04000123001.") names the file "11A04000123001".
std::string windowsFileName(std::string name) {
    while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
    return name;
}

class Run {
public:
    Run(const RunSettings& settings, RunCases& cases, RunDates dates, UserPort& port)
        : settings_(settings), cases_(cases), dates_(dates), port_(port), appPath_(platform::pathFromUtf8(settings.appPath)) {}

    RunResult run();

private:
    enum class CaseResult { produced, skipped, stopped };

    bool takeHeader();
    bool takeHeaderFromDeclaration();
    bool checkHeader();
    std::vector<DocumentCase> plannedCases() const;
    ClaimHeader claimHeader() const;
    bool namesAreFree();
    bool resetWorkingFolders();
    CaseResult produceCaseNamed(std::size_t index);
    CaseResult produceCase(std::size_t index);
    CaseResult copyRecordFiles(std::size_t n, const CaseFacts& facts, FeeReviewDocument& document);
    bool packageNameFree(PackageSlots slots, const DocumentCase& owner);
    void stopForTakenName(PackageSlots& slots, std::uint32_t sequence, bool nothingWritten);
    bool copy(std::size_t n, const std::string& from, const std::string& folder, const std::string& name);
    void report(std::size_t n, const std::string& file) {
        currentFile_ = file;
        port_.showProgress({n, total_, file});
    }
    DateTime today() const { return settings_.clock ? settings_.clock() : now(); }
    void tell(const std::string& message) {
        lastMessage_ = message;
        port_.showMessage(message);
    }
    void startJournal();
    void noteFate(std::size_t index, CaseResult result);
    void closeRun(DateTime started) noexcept;
    void checkMadePackages() noexcept;
    void digestPackages() noexcept;
    void writeRecord(DateTime started) noexcept;
    std::string afterword() const;

    const RunSettings& settings_;
    RunCases& cases_;
    RunDates dates_;
    UserPort& port_;
    const fs::path appPath_;
    fs::path outputFolder_;
    std::string hospitalCode_;
    std::size_t total_ = 0;
    std::uint32_t sequence_ = 1;
    std::vector<DocumentCase> planned_;  // the cases that pass their checks, in list order
    std::optional<std::uint32_t> freeSequence_;
    std::string currentFile_;  // the file the run is working on, for error reports
    RunJournal journal_;       // what happened to each case
    std::string lastMessage_;  // the last message shown about the current case
    std::size_t problems_ = 0;  // packages the check found problems in
    fs::path record_;
    std::string recordError_;
    // The current case's copies: its record files as they were copied, and the bytes copied
    // into each working folder (what its cabinet will have to hold).
    std::vector<CopiedRecord> copied_;
    std::map<std::string, std::uint64_t> folderBytes_;
};

RunResult Run::run() {
    total_ = cases_.count();
    if (total_ == 0) return {RunOutcome::nothingToDo, {}, 0, {}};
    if (!takeHeader()) return {};

    outputFolder_ = appPath_ / "Upload" / platform::pathFromUtf8(dates_.INSUyyymm);
    sequence_ = static_cast<std::uint32_t>(settings_.firstSequence);
    planned_ = plannedCases();
    if (!namesAreFree()) return {RunOutcome::stopped, freeSequence_, 0, {}};

    createFolder(outputFolder_);
    // What a killed run left in the folder the clerk uploads from goes now; no other run can
    // be writing there, as this one holds the program folder's lock.
    removePackageLeftovers(outputFolder_);
    const DateTime started = today();
    startJournal();
    const std::string sep(1, static_cast<char>(fs::path::preferred_separator));
    const std::string outputFolder = settings_.appPath + "Upload" + sep + dates_.INSUyyymm + sep;
    try {
        for (std::size_t index = 0; index < total_; ++index) {
            const CaseResult result = produceCaseNamed(index);
            noteFate(index, result);
            if (result == CaseResult::produced) ++sequence_;
            if (result != CaseResult::stopped) continue;
            closeRun(started);
            if (problems_ > 0) port_.showMessage(afterword().substr(2));
            return {RunOutcome::stopped, freeSequence_, problems_, record_};
        }
    } catch (...) {
        closeRun(started);
        if (problems_ > 0) port_.showMessage(afterword().substr(2));
        throw;
    }
    closeRun(started);
    port_.showMessage(texts::finished(outputFolder) + afterword());
    return {RunOutcome::completed, {}, problems_, record_};
}

// ---- After the cases: check, marks and record -----------------------------------------------

void Run::startJournal() {
    journal_.assign(total_, {});
    for (std::size_t index = 0; index < total_; ++index) {
        const CaseFacts facts = cases_.facts(index);
        journal_[index].category = facts.category;
        journal_[index].serial = feeinput::Trim(facts.serialText);
    }
}

void Run::noteFate(std::size_t index, CaseResult result) {
    CaseEntry& entry = journal_[index];
    if (result == CaseResult::produced) return;  // noted with its package
    entry.fate = result == CaseResult::skipped ? CaseFate::passedOver : CaseFate::stoppedRun;
    entry.message = lastMessage_;
}

void Run::closeRun(DateTime started) noexcept {
    checkMadePackages();
    digestPackages();
    writeRecord(started);
}

// Every package made is read back as the insurer's side reads it; only a sound one marks its
// row. A package the check cannot even read counts as one with a problem.
void Run::checkMadePackages() noexcept {
    for (std::size_t index = 0; index < journal_.size(); ++index) {
        CaseEntry& entry = journal_[index];
        if (entry.fate != CaseFate::made) continue;
        try {
            // The bar stays full while the packages are checked: the cases are all handled.
            report(total_, texts::checking(platform::utf8FromPath(entry.package)));
            entry.problems = checkPackage(entry.package);
        } catch (const std::exception& error) {
            entry.problems.push_back(error.what());
        }
        if (!entry.problems.empty()) {
            ++problems_;
            continue;
        }
        try {
            cases_.packageMade(index, entry.package);
        } catch (...) {
            // Marking a row cannot fail in the program's front ends; the record still follows.
        }
    }
}

// The size and SHA-256 of each package made, as it lies on disk after the check, for the record.
void Run::digestPackages() noexcept {
    for (CaseEntry& entry : journal_) {
        if (entry.fate != CaseFate::made) continue;
        try {
            report(total_, texts::recording(platform::utf8FromPath(entry.package)));
            const FileDigest digest = digestOf(entry.package);
            entry.packageSize = digest.size;
            entry.packageSha256 = digest.sha256;
        } catch (const std::exception& error) {
            entry.problems.push_back(error.what());
        }
    }
}

void Run::writeRecord(DateTime started) noexcept {
    try {
        const std::string text = runRecordText(journal_);
        const double fraction = started - std::floor(started);
        const int second = std::clamp(static_cast<int>(fraction * 86400.0), 0, 86399);
        record_ = runRecordPath(appPath_ / "Records" / platform::pathFromUtf8(dates_.INSUyyymm), dateOf(started), second);
        writeRunRecord(record_, text);
        if (!settings_.recordCopy.empty()) writeRunRecord(settings_.recordCopy, text);
    } catch (const std::exception& error) {
        recordError_ = error.what();
    }
}

// What the closing message adds: the problems the check found and where the record is.
std::string Run::afterword() const {
    std::string text;
    if (problems_ > 0) {
        text += "\r\n\r\n" + std::string(texts::kProblemsFound);
        for (const CaseEntry& entry : journal_)
            for (const std::string& problem : entry.problems)
                text += "\r\n" + platform::utf8FromPath(entry.package.filename()) + "：" + problem;
    }
    if (recordError_.empty()) text += "\r\n" + texts::recordWritten(platform::utf8FromPath(record_));
    else text += "\r\n" + texts::recordNotWritten(recordError_);
    return text;
}

// ---- The claim header --------------------------------------------------------------------

bool Run::takeHeader() {
    if (settings_.headerSource == HeaderSource::declarationFile) {
        if (feeinput::Trim(settings_.declarationPath).empty()) {
            port_.showMessage(std::string(texts::kNoDeclaration));
            return false;
        }
        if (!fileExists(settings_.declarationPath)) {
            port_.showMessage(std::string(texts::kDeclarationMissing));
            return false;
        }
    }
    dates_.INSUyyymm.clear();
    dates_.INSUupdate.clear();
    hospitalCode_.clear();
    if (settings_.headerSource == HeaderSource::declarationFile) {
        if (!takeHeaderFromDeclaration()) return false;
    } else {
        dates_.INSUyyymm = settings_.feeYearMonthBox;
        dates_.INSUupdate = settings_.declarationDateBox;
        hospitalCode_ = settings_.hospitalCodeBox;
    }
    return checkHeader();
}

bool Run::takeHeaderFromDeclaration() {
    const auto header = feeinput::readChainedHeader(feeinput::DeclarationText::readFile(settings_.declarationPath));
    // Values found before a missing tag stay in the program-wide values.
    if (header.hospitalCode) hospitalCode_ = *header.hospitalCode;
    if (header.feeYearMonth) dates_.INSUyyymm = *header.feeYearMonth;
    if (header.declarationDate) dates_.INSUupdate = *header.declarationDate;
    if (header.declarationDate) return true;
    port_.showMessage(std::string(texts::kDeclarationContent));
    return false;
}

bool Run::checkHeader() {
    // The fee year-month names the output folder and the hospital code starts every file
    // name: beyond being present, each must be a single name component. The declaration
    // date goes into every document as a Gregorian date, so it must be a ROC date that is a
    // real day (anything else would be written as 18991230); the fee month likewise a ROC
    // year-month (YYYMM, month 01-12), as the insurer reads it.
    std::string_view problem;
    if (!isRocYearMonth(dates_.INSUyyymm) || !isNameComponent(dates_.INSUyyymm)) problem = texts::kBadFeeYearMonth;
    else if (!isRocDate(dates_.INSUupdate)) problem = texts::kBadDeclarationDate;
    else if (hospitalCode_.empty() || !isNameComponent(hospitalCode_)) problem = texts::kBadHospitalCode;
    if (problem.empty()) return true;
    port_.showMessage(std::string(problem));
    return false;
}

// ---- Package names of the day -----------------------------------------------------------

// The cases that pass the checks a case can fail without stopping the run (attachment text,
// serial), in list order: the cases that will take the run's sequence numbers one by one.
std::vector<DocumentCase> Run::plannedCases() const {
    std::vector<DocumentCase> planned;
    for (std::size_t index = 0; index < total_; ++index) {
        const CaseFacts facts = cases_.facts(index);
        const std::int32_t serial = feeinput::StrToIntDef(feeinput::Trim(facts.serialText), 0);
        if (!feeinput::Trim(facts.attachmentText).empty() && serial != 0)
            planned.push_back(documentCaseOf(claimHeader(), {facts.category, serial, facts.idNumber}));
    }
    return planned;
}

// The claim every document of the run names. The declaration date is a valid ROC date by now
// (checkHeader), so reading it reports nothing.
ClaimHeader Run::claimHeader() const {
    return {settings_.uploadType, hospitalCode_, dates_.INSUyyymm, settings_.declarationType, str7toDate(dates_.INSUupdate, port_)};
}

// Before anything is written: every name the run will use is free for its case.
bool Run::namesAreFree() {
    PackageSlots slots(outputFolder_, hospitalCode_, dateOf(today()));
    const auto taken = slots.firstTaken(sequence_, planned_);
    if (!taken) return true;
    stopForTakenName(slots, sequence_ + static_cast<std::uint32_t>(*taken), true);
    return false;
}

// Right before a case's package is written (the day may have changed since the run began,
// or another program may have written meanwhile), its name is checked once more.
bool Run::packageNameFree(PackageSlots slots, const DocumentCase& owner) {
    if (slots.freeFor(sequence_, owner)) return true;
    stopForTakenName(slots, sequence_, false);
    return false;
}

// The proposal is the first free start after the taken name; when that is past the highest
// number a run can be started at, the first free start from 1.
void Run::stopForTakenName(PackageSlots& slots, std::uint32_t sequence, bool nothingWritten) {
    const auto firstSequence = static_cast<std::uint32_t>(settings_.firstSequence);
    std::uint32_t free = slots.firstFreeStart(std::max(sequence, firstSequence) + 1, planned_);
    if (free > kLastFirstSequence) free = slots.firstFreeStart(1, planned_);
    if (free <= kLastFirstSequence) freeSequence_ = free;
    tell(texts::packageOfAnotherCase(platform::utf8FromPath(slots.packagePath(sequence)), freeSequence_, nothingWritten));
}

// ---- One case ----------------------------------------------------------------------------

// Empties the working folders and makes them again. A file that could not be removed (one
// another program holds open, an immutable one) would go into this case's cabinets, so a
// folder that is not empty afterwards stops the run.
bool Run::resetWorkingFolders() {
    for (const std::string_view name : kWorkingFolders) {
        const fs::path folder = appPath_ / platform::pathFromUtf8(name);
        DelTree(folder);
        createFolder(folder);
        std::error_code ec;
        const fs::directory_iterator first(folder, ec);
        if (ec || first == fs::directory_iterator()) continue;
        tell(texts::folderNotEmptied(platform::utf8FromPath(folder), platform::utf8FromPath(first->path())));
        return false;
    }
    return true;
}

// Runs one case; an error it raises gets a second line that names the case and the file.
Run::CaseResult Run::produceCaseNamed(std::size_t index) {
    currentFile_.clear();
    try {
        return produceCase(index);
    } catch (const Error& error) {
        const CaseFacts facts = cases_.facts(index);
        const auto* fileError = dynamic_cast<const FileError*>(&error);
        const std::string context =
            texts::caseContext(index + 1, facts.category, feeinput::Trim(facts.serialText),
                               fileError ? fileError->file() : currentFile_, fileError ? fileError->reason() : std::string());
        const std::string text = std::string(error.what()) + "\r\n" + context;
        journal_[index].fate = CaseFate::stoppedRun;
        journal_[index].message = text;
        throw Error(text);
    }
}

Run::CaseResult Run::produceCase(std::size_t index) {
    const std::size_t n = index + 1;
    report(n, {});
    if (!resetWorkingFolders()) return CaseResult::stopped;

    const CaseFacts facts = cases_.facts(index);
    if (feeinput::Trim(facts.attachmentText).empty()) {
        tell(texts::blankAttachments(n));
        return CaseResult::skipped;
    }
    const std::int32_t serial = feeinput::StrToIntDef(feeinput::Trim(facts.serialText), 0);
    if (serial == 0) {
        tell(texts::badSerial(n));
        return CaseResult::skipped;
    }

    FeeReviewDocument document;
    const ClaimCase claimCase{facts.category, serial, facts.idNumber};
    document.begin(claimHeader(), claimCase);
    if (const CaseResult copied = copyRecordFiles(n, facts, document); copied != CaseResult::produced) return copied;
    document.close();

    const platform::CivilDate day = dateOf(today());
    if (!packageNameFree(PackageSlots(outputFolder_, hospitalCode_, day), documentCaseOf(claimHeader(), claimCase)))
        return CaseResult::stopped;
    const PackagingJob job{appPath_, outputFolder_, packageNames(hospitalCode_, day, sequence_), copied_};
    fs::path package;
    try {
        package = packageCase(job, document, port_, [&](const fs::path& file) { report(n, platform::utf8FromPath(file)); });
    } catch (const RecordChanged& changed) {
        tell(texts::changedWhileRead(n, changed.file()));
        return CaseResult::stopped;
    }
    journal_[index].fate = CaseFate::made;
    journal_[index].package = package;
    return CaseResult::produced;
}

Run::CaseResult Run::copyRecordFiles(std::size_t n, const CaseFacts& facts, FeeReviewDocument& document) {
    const std::vector<AttachmentFacts> attachments = cases_.attachments(n - 1);
    port_.processPendingMessages();
    copied_.clear();
    folderBytes_.clear();
    int copied = 0;
    for (const AttachmentFacts& attachment : attachments) {
        if (!fileExists(attachment.file)) {
            tell(texts::missingFile(n, attachment.file));
            return CaseResult::stopped;
        }
        if (attachment.kind == "DCF") {
            document.addDicom();
            if (!copy(n, attachment.file, "DCF", dicomCopyName(facts.category, facts.serialText, sequence_)))
                return CaseResult::stopped;
        } else if (attachment.kind == "ATT" || attachment.kind == "EMR") {
            const std::string stem = recordCopyStem(attachment.contentClass, facts.category, facts.serialText, sequence_);
            const std::string extension = upperExtension(attachment.file);
            if (attachment.kind == "ATT") {
                document.addAttachment(stem, extension);
            } else {
                if (extension != "XML") {
                    tell(texts::notXml(n, attachment.file));
                    return CaseResult::stopped;
                }
                document.addMedicalRecord(stem, extension);
            }
            if (!copy(n, attachment.file, attachment.kind, windowsFileName(stem + extension))) return CaseResult::stopped;
        } else {
            continue;  // a kind the package has no place for; its file was still checked
        }
        ++copied;
    }
    if (copied > 0) return CaseResult::produced;
    tell(texts::noRecordFiles(n));
    return CaseResult::stopped;
}

// Copies a record file into its working folder. False, after the message, when the case must
// stop: the file would carry its folder's cabinet past what one cabinet can hold (found before
// a byte is copied), or it changed while it was read.
bool Run::copy(std::size_t n, const std::string& from, const std::string& folder, const std::string& name) {
    report(n, from);
    const fs::path source = platform::pathFromUtf8(from);
    const auto status = platform::queryFileStatus(source);
    std::uint64_t& folderBytes = folderBytes_[folder];
    if (status && status->size > archives::cab::kMaxFolderInput - folderBytes) {
        tell(texts::tooLargeForCabinet(n, from, folder, archives::cab::kMaxFolderInput));
        return false;
    }
    const fs::path to = appPath_ / platform::pathFromUtf8(folder) / platform::pathFromUtf8(name);
    platform::CopiedSource copied;
    try {
        copied = platform::copyFileNoOverwrite(source, to);
        const FileDigest digest = digestOf(to);
        journal_[n - 1].files.push_back({from, digest.size, digest.sha256});
    } catch (const Error& error) {
        // "The specified file already exists" names neither file: two record files of the case
        // map to one copy name.
        if (std::string_view(error.what()) != platform::kFileExistsText) throw;
        throw FileError(error.what(), from, "複製為" + platform::utf8FromPath(to) + "時，此名稱已被同一案件的另一個檔案使用");
    }
    if (copied.changed) {
        tell(texts::changedWhileRead(n, from));
        return false;
    }
    folderBytes += copied.stamp.size;
    copied_.push_back({from, copied.stamp});
    return true;
}

}  // namespace

RunResult runProduction(const RunSettings& settings, RunCases& cases, RunDates dates, UserPort& port) {
    return Run(settings, cases, dates, port).run();
}

}  // namespace tessaro::production
