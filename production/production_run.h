// The production run: one upload package for every case of the list that passes its checks.
//
// Before anything is written, the run makes sure that no package it would write replaces a
// package of another case (package_slots.h): a second session of the day forms the same
// names. If one would, it stops, names the package and gives the first sequence number from
// which every name it needs is free.
//
// The caller holds the program folder's lock for the whole run (working_folders_lock.h), so
// the run is alone in the working folders and the output folder, and removes the temporary
// files a killed run left there (package_leftovers.h).
//
// The run walks the cases from top to bottom. For each it empties the working folders (and
// stops when one cannot be emptied, so nothing left over reaches another case), checks
// the case's attachment text and serial, starts its feereview document, copies every record
// file under its fixed name (a copy never overwrites), and packs cabinets, document and ZIP
// package (case_packaging.h). A case with a blank attachment text or a bad serial is skipped
// with a message and uses no sequence number; a missing or wrong record file stops the run,
// and so does one its cabinet cannot hold (found before it is copied) or one that changed
// while it was copied or before its package was finished.
// Errors of files and archives are thrown as tessaro::Error and end the run at once; cases
// finished before keep their packages and marks. An error raised while a case is handled
// gets a second line naming the case, the file and, where known, the reason.
//
// After the last case (and after a stop), every package the run made is checked as the
// insurer's side reads it (package_check.h); only sound packages mark their rows, and the
// closing message lists the problems found. The run then writes its record (run_record.h).
//
// The run knows the case list only through RunCases, which the workspace implements over its
// rows, and talks to the user only through the port.
#pragma once

#include "production/roc_dates.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tessaro {
class UserPort;
}

namespace tessaro::production {

// Where a run takes the claim header from: the fee declaration file (cases from a setting
// table), or the three header boxes a sampling-file import filled.
enum class HeaderSource { declarationFile, headerBoxes };

struct RunSettings {
    std::string appPath;  // the program folder, ending with the path separator
    HeaderSource headerSource = HeaderSource::declarationFile;
    std::string declarationPath;     // the fee declaration path box, as typed
    std::string hospitalCodeBox;     // the three header boxes
    std::string feeYearMonthBox;
    std::string declarationDateBox;
    std::string uploadType;       // first character of the upload category chosen
    std::string declarationType;  // first character of the declaration category chosen
    int firstSequence = 1;        // the day's sequence number of the first package
    std::function<DateTime()> clock;  // today's date for the names; production::now by default
    std::filesystem::path recordCopy;  // where the run's record is written as well, if anywhere
};

// What the run reads of one case row.
struct CaseFacts {
    std::string category;        // the category editor's text
    std::string serialText;      // the serial editor's text, as typed
    std::string attachmentText;  // "病歷檔案"
    std::string idNumber;        // "身份證"
};

// One row of the attachment list, as the run walks it.
struct AttachmentFacts {
    std::string kind;       // "DCF", "ATT", "EMR" (anything else is passed over)
    char contentClass = 'A';  // the first character of the class label
    std::string file;       // the full path
};

class RunCases {
public:
    virtual ~RunCases() = default;
    virtual std::size_t count() const = 0;
    virtual CaseFacts facts(std::size_t index) const = 0;
    // The case's attachments, in the order of its attachment text (DCF, ATT, EMR).
    virtual std::vector<AttachmentFacts> attachments(std::size_t index) const = 0;
    // The case's package is written and sound: mark its row.
    virtual void packageMade(std::size_t index, const std::filesystem::path& package) = 0;
};

// The program-wide values a run sets afresh: the fee year-month and the declaration date.
struct RunDates {
    std::string& INSUyyymm;
    std::string& INSUupdate;
};

enum class RunOutcome {
    nothingToDo,  // no cases
    completed,    // every case handled; the closing message was shown
    stopped,      // a message stopped the run
};

// The highest daily sequence number a run can be started at (the window's box, the command
// line's --seq); a run's later cases may go past it.
inline constexpr std::uint32_t kLastFirstSequence = 999;

struct RunResult {
    RunOutcome outcome = RunOutcome::stopped;
    // Set when the run stopped because a name it needed holds another case's package: the
    // first sequence number from which the whole run finds its names free.
    std::optional<std::uint32_t> freeSequence;
    // Packages the check after the run found problems in (their rows are not marked).
    std::size_t packagesWithProblems = 0;
    std::filesystem::path record;  // the run's record, when one was written
};

RunResult runProduction(const RunSettings& settings, RunCases& cases, RunDates dates, UserPort& port);

}  // namespace tessaro::production
