// The record a run keeps of what it made: one CSV line per case of the list, in list order,
// with what happened to it, each record file with its size and SHA-256, and the package with
// its size and SHA-256, so that a hospital can later show which bytes it sent for which case.
//
// The record never goes into the folder the clerk uploads from: it is written below
// "Records/<fee month>/" in the program folder, named after the run's date and time
// ("20241031-180000.csv"; a second run in the same second gets "-2"), never over an earlier
// record. It is UTF-8 with a byte-order mark and CR LF line ends, which Excel on a Taiwanese
// desktop opens with its Chinese intact, and is written through a temporary file that is
// renamed into place, so a record is complete or absent.
#pragma once

#include "platform/calendar.h"
#include "production/run_journal.h"

#include <filesystem>
#include <string>

namespace tessaro::production {

// The record's text.
std::string runRecordText(const RunJournal& journal);

// The record's path for a run at `time` (local date and seconds since midnight) in the
// folder `folder`: the first of "<date>-<time>.csv", "<date>-<time>-2.csv", … not there.
std::filesystem::path runRecordPath(const std::filesystem::path& folder, const platform::CivilDate& day, int secondOfDay);

// Writes `text` to `path` through a temporary file beside it. Throws tessaro::Error.
void writeRunRecord(const std::filesystem::path& path, const std::string& text);

}  // namespace tessaro::production
