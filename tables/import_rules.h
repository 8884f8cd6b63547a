// The rules an import applies to each line of the file it reads.
//
// Every line is judged on its own, in file order; what it gives is a case to add, a
// message, both or neither. The only thing carried from line to line is the declaration
// category of the first case a sampling file gave: a later line with another category is
// refused, since one upload cannot mix them.
//
// Setting table: a line of fewer than two fields is passed over silently (the declaration
// path on line 1, empty lines); a category that is none of the list's codes (letter case
// ignored) and a serial number of 0 are each reported. The lookup in the declaration is the
// caller's.
//
// Comma-separated sampling file: a line of fewer than six fields is passed over; a wrong
// category or serial is reported except on line 1, which is taken for a heading line and
// passed over silently. Fixed-width sampling file: a line shorter than 40 bytes is passed
// over; a serial of 0 is reported on every line; the category is not checked.
#pragma once

#include "tables/import_source.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaro::tables {

// The claim header a sampling line carries, for the three header boxes.
struct ClaimHeader {
    std::string hospitalCode;
    std::string feeYearMonth;
    std::string declarationDate;
};

// A case to add to the case list.
struct ImportedCase {
    std::string category;
    std::int32_t serial = 0;
    std::string attachments;  // setting tables only
    std::string name;         // sampling files only; a setting table's come from the lookup
    std::string idNumber;
    std::string visitDate;
};

// What one line gives, in the order the caller applies it: the header (taken only while the
// hospital code box is empty), then the message, then the case.
struct LineResult {
    std::optional<ClaimHeader> header = std::nullopt;
    std::optional<std::string> message = std::nullopt;
    std::optional<ImportedCase> importedCase = std::nullopt;
};

class ImportRules {
public:
    // `categoryCodes`: the codes a category must be one of (letter case ignored).
    ImportRules(LineFormat format, std::vector<std::string> categoryCodes);

    // Judges line `lineNumber` (1-based; every line of the file counts).
    LineResult judge(std::size_t lineNumber, std::string_view line);

    // The declaration category code of the first case a sampling file gave; empty until then
    // and for setting tables.
    const std::string& declarationType() const { return declarationType_; }

private:
    LineResult judgeSettingTableLine(std::size_t lineNumber, std::string_view line) const;
    LineResult judgeSamplingLine(std::size_t lineNumber, std::string_view line);
    bool isListedCategory(std::string_view category) const;

    LineFormat format_;
    std::vector<std::string> categoryCodes_;
    std::string declarationType_;
};

// The item of the declaration category chooser ("1:送核", "2:補報", "4:申復送核 ",
// "5:申復補報", 0-based) for a declaration category code read as an integer: an empty or
// non-numeric code, and any code other than 2, 4 and 5, give the first item.
std::size_t declarationTypeItem(std::string_view declarationType);

}  // namespace tessaro::tables
