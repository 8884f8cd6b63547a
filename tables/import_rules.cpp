#include "tables/import_rules.h"

#include "archives/name_matching.h"
#include "feeinput/text_fields.h"
#include "tables/import_texts.h"
#include "tables/sampling_file.h"
#include "tables/setting_table.h"

#include <algorithm>
#include <array>
#include <utility>

namespace tessaro::tables {

ImportRules::ImportRules(LineFormat format, std::vector<std::string> categoryCodes)
    : format_(format), categoryCodes_(std::move(categoryCodes)) {}

LineResult ImportRules::judge(std::size_t lineNumber, std::string_view line) {
    return format_ == LineFormat::settingTable ? judgeSettingTableLine(lineNumber, line)
                                               : judgeSamplingLine(lineNumber, line);
}

bool ImportRules::isListedCategory(std::string_view category) const {
    const std::string upper = archives::asciiUpper(category);
    return std::any_of(categoryCodes_.begin(), categoryCodes_.end(),
                       [&](const std::string& code) { return archives::asciiUpper(code) == upper; });
}

LineResult ImportRules::judgeSettingTableLine(std::size_t lineNumber, std::string_view line) const {
    const auto read = readSettingTableLine(line);
    if (!read) return {};
    if (!isListedCategory(read->category)) return {.message = badCategoryText(lineNumber)};
    if (read->serial == 0) return {.message = badSerialText(lineNumber)};
    ImportedCase taken;
    taken.category = read->category;
    taken.serial = read->serial;
    taken.attachments = read->attachments;
    return {.importedCase = std::move(taken)};
}

LineResult ImportRules::judgeSamplingLine(std::size_t lineNumber, std::string_view line) {
    const bool csv = format_ == LineFormat::samplingCsv;
    const auto read = csv ? readSamplingCsvLine(line) : readSamplingFixedLine(line);
    if (!read) return {};
    // A comma-separated file may open with a heading line: on line 1 a wrong value is no
    // error. The fixed-width form has no heading and no category check.
    const bool heading = csv && lineNumber == 1;
    if (csv && !isListedCategory(read->category)) {
        if (heading) return {};
        return {.message = badCategoryText(lineNumber)};
    }
    if (read->serial == 0) {
        if (heading) return {};
        return {.message = badSerialText(lineNumber)};
    }

    LineResult result;
    result.header = ClaimHeader{read->hospitalCode, read->feeYearMonth, read->declarationDate};
    if (declarationType_.empty()) {
        declarationType_ = read->declarationType;
    } else if (read->declarationType != declarationType_) {
        result.message = declarationTypeConflictText(lineNumber);
        return result;
    }
    ImportedCase taken;
    taken.category = read->category;
    taken.serial = read->serial;
    taken.name = read->name;
    taken.idNumber = read->idNumber;
    taken.visitDate = read->visitDate;
    result.importedCase = std::move(taken);
    return result;
}

std::size_t declarationTypeItem(std::string_view declarationType) {
    // The chooser's items by the digit their text begins with.
    constexpr std::array<std::int32_t, 4> kItemCodes = {1, 2, 4, 5};
    const std::int32_t code = feeinput::StrToIntDef(declarationType, 1);
    const auto item = std::find(kItemCodes.begin(), kItemCodes.end(), code);
    return item == kItemCodes.end() ? 0 : static_cast<std::size_t>(item - kItemCodes.begin());
}

}  // namespace tessaro::tables
