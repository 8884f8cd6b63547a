// The insurer's sampling file: one sampled case per line, comma-separated or fixed-width.
//
// Both forms carry the claim header (hospital code, fee year-month, declaration category,
// declaration date) on every line, then the case: category, serial number, the patient's
// ID number, name and visit date.
//
// Comma-separated: apostrophes are removed from the line before it is split at ","; fields
// 1-6 are hospital code, fee year-month, declaration category, declaration date, category
// and serial number, field 8 the ID number, 12 the name and 14 the visit date. Every value
// is trimmed. A line of fewer than six fields holds no case; one of six to thirteen fields
// has empty values where its fields are missing.
//
// Fixed-width: positions are 1-based byte positions in the line's code page 950 bytes (its
// ANSI byte view), each field decoded again on its own: 2-11 hospital code, 12-16 fee
// year-month, 17 declaration category, 18-24 declaration date, 25-26 category, 27-32
// serial number (all untrimmed), 35-44 ID number and 59-98 name (trimmed). The visit date
// is found by a scan: from byte 59 over the name (up to the first blank), over the blanks
// after it, then past a 7-byte field; the 7 bytes after that, trimmed. A line shorter than
// 40 bytes holds no case.
//
// No field is ever read past the line's end: a field that reaches beyond it holds the bytes
// the line has (possibly none), and a scan that runs off the end gives an empty visit date.
// A two-byte character cut by the name's last byte (98) is left out of the name rather than
// shown as half a character; every other cut follows the byte view (a substitute character).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tessaro::tables {

// What one line of a sampling file holds.
struct SamplingLine {
    std::string hospitalCode;
    std::string feeYearMonth;
    std::string declarationType;  // the declaration category code: 1, 2, 4 or 5
    std::string declarationDate;
    std::string category;
    std::int32_t serial = 0;  // 0 when the field is no integer
    std::string idNumber;
    std::string name;
    std::string visitDate;
};

// The case a comma-separated line holds; nothing for a line of fewer than six fields.
std::optional<SamplingLine> readSamplingCsvLine(std::string_view line);

// The case a fixed-width line holds; nothing for a line shorter than 40 bytes.
std::optional<SamplingLine> readSamplingFixedLine(std::string_view line);

}  // namespace tessaro::tables
