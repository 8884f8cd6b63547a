// Fuzz target: the lines of an imported file, in each of its three forms (setting table,
// comma-separated and fixed-width sampling file).
//
// Byte 0 picks the form; the rest is the file, decoded and split as an import reads it, and
// every line judged in file order. A case taken from a line always has a listed category
// (sampling files in fixed width excepted: they carry no category check) and a serial other
// than 0, and every value it carries is valid UTF-8 without a line break. A case taken from
// a setting table, saved as a table line again, reads back the same.
#include "feeinput/case_categories.h"
#include "feeinput/text_decoding.h"
#include "feeinput/text_file.h"
#include "fuzz/fuzz_support.h"
#include "tables/import_rules.h"
#include "tables/setting_table.h"

#include <algorithm>
#include <cctype>

using namespace tessaro;

namespace {

void checkValue(const std::string& value) {
    FUZZ_CHECK(feeinput::isValidUtf8(value));
    FUZZ_CHECK(value.find_first_of("\r\n") == std::string::npos);
}

// The table line the case list would save for `taken` reads back as `taken`.
void checkSavedAgain(const tables::ImportedCase& taken) {
    const auto lines = tables::settingTableLines("", {{taken.category, std::to_string(taken.serial), taken.attachments}});
    const auto again = tables::readSettingTableLine(lines.back());
    FUZZ_CHECK(again && again->category == taken.category && again->serial == taken.serial &&
               again->attachments == taken.attachments);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    static constexpr tables::LineFormat kFormats[] = {tables::LineFormat::settingTable, tables::LineFormat::samplingCsv,
                                                      tables::LineFormat::samplingFixed};
    const auto format = kFormats[data[0] % 3];
    fuzz::expectingErrors([&] {
        tables::ImportRules rules(format, feeinput::caseCategoryCodes());
        const auto lines = feeinput::splitLines(feeinput::decodeText(fuzz::asText(data + 1, size - 1)));
        for (size_t n = 0; n < lines.size(); ++n) {
            const auto result = rules.judge(n + 1, lines[n]);
            if (!result.importedCase) continue;
            const auto& taken = *result.importedCase;
            FUZZ_CHECK(taken.serial != 0);
            for (const auto* value : {&taken.category, &taken.attachments, &taken.name, &taken.idNumber, &taken.visitDate})
                checkValue(*value);
            if (format == tables::LineFormat::settingTable) checkSavedAgain(taken);
            if (format == tables::LineFormat::samplingFixed) continue;
            bool listed = false;
            for (const auto& code : feeinput::caseCategoryCodes())
                listed = listed || (code.size() == taken.category.size() &&
                                    std::equal(code.begin(), code.end(), taken.category.begin(),
                                               [](char a, char b) { return std::toupper(a) == std::toupper(b); }));
            FUZZ_CHECK(listed);
        }
    });
    return 0;
}
