// The setting table: the user's own list of a month's sampled cases, one text line per case.
//
// Line 1 is the fee declaration file's path as the window's path box holds it (an empty
// line when the box is empty); every further line is one case: category, serial number
// and attachment text, separated by commas. A value is written raw unless it holds a comma
// or begins with a double quote; then it is written in double quotes, each quote inside
// doubled, as the reader's field splitting takes it back. A table of ordinary values is
// therefore plain text with no quoting at all. The file is code page 950 with CR LF after
// each line, or UTF-8 after a byte-order mark when code page 950 cannot hold every character
// exactly (feeinput::SaveToFileLossless).
//
// Reading takes every line that splits into at least two fields as a case line, the first
// one included, so a table written by hand may leave the path line out. Fields after the
// third are ignored: an unquoted attachment text that holds a comma comes back only up to
// it, as it always did.
#pragma once

#include "feeinput/text_file.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaro::tables {

// One case row as it is saved: its editors' category and serial text and its attachment text.
struct SettingTableRow {
    std::string category;
    std::string serial;  // as typed, untrimmed
    std::string attachments;
};

// The lines of a setting table: the declaration path, then one line per row.
feeinput::LineList settingTableLines(std::string_view declarationPath, const std::vector<SettingTableRow>& rows);

// The file name the save dialog proposes: the fee year-month, then the first character of
// the upload category and of the declaration category shown ("11309" "1.當期送審" "1:送核"
// gives "1130911").
std::string proposedSettingTableName(std::string_view feeYearMonth, std::string_view uploadTypeItem,
                                     std::string_view declarationTypeItem);

// What a case line of a setting table holds.
struct SettingTableLine {
    std::string category;         // field 1, trimmed
    std::int32_t serial = 0;      // field 2, trimmed, as an integer (0 when it is none)
    std::string attachments;      // field 3, trimmed; empty when the line has two fields
};

// The case line `line` holds; nothing for a line of fewer than two fields.
std::optional<SettingTableLine> readSettingTableLine(std::string_view line);

// True when a setting table takes `text`, as part of a value, back unchanged: valid UTF-8
// without a line break, ending in no blank or control character (values are read trimmed).
bool keepsInSettingTable(std::string_view text);

}  // namespace tessaro::tables
