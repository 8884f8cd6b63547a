#include "tables/setting_table.h"

#include "feeinput/text_decoding.h"
#include "feeinput/text_fields.h"

namespace tessaro::tables {
namespace {

// The first character of a UTF-8 text (a whole multi-byte sequence).
std::string_view firstCharacter(std::string_view text) {
    if (text.empty()) return {};
    const auto lead = static_cast<unsigned char>(text.front());
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    return text.substr(0, length);
}

}  // namespace

feeinput::LineList settingTableLines(std::string_view declarationPath, const std::vector<SettingTableRow>& rows) {
    feeinput::LineList lines;
    lines.reserve(rows.size() + 1);
    lines.emplace_back(declarationPath);
    // Every row is written, empty values included. A value with a comma (a path's) or an
    // opening quote is quoted, so it reads back whole; every other value is written raw.
    for (const SettingTableRow& row : rows)
        lines.push_back(feeinput::delimitedField(row.category) + "," + feeinput::delimitedField(row.serial) + "," +
                        feeinput::delimitedField(row.attachments));
    return lines;
}

std::string proposedSettingTableName(std::string_view feeYearMonth, std::string_view uploadTypeItem,
                                     std::string_view declarationTypeItem) {
    return std::string(feeYearMonth) + std::string(firstCharacter(uploadTypeItem)) +
           std::string(firstCharacter(declarationTypeItem));
}

std::optional<SettingTableLine> readSettingTableLine(std::string_view line) {
    const std::vector<std::string> fields = feeinput::SetDelimitedText(line, ',');
    if (fields.size() < 2) return std::nullopt;
    SettingTableLine result;
    result.category = feeinput::Trim(fields[0]);
    result.serial = feeinput::StrToIntDef(feeinput::Trim(fields[1]), 0);
    if (fields.size() > 2) result.attachments = feeinput::Trim(fields[2]);
    return result;
}

bool keepsInSettingTable(std::string_view text) {
    return feeinput::isValidUtf8(text) && text.find_first_of("\r\n") == std::string_view::npos &&
           (text.empty() || static_cast<unsigned char>(text.back()) > ' ');
}

}  // namespace tessaro::tables
