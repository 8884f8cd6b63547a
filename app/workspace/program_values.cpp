#include "app/workspace/program_values.h"

#include <filesystem>

namespace tessaro::workspace {

const std::vector<std::string>& caseCategoryCodes() {
    static const std::vector<std::string> codes = {"01", "02", "03", "04", "05", "06", "08", "09", "A1",
                                                   "A2", "A3", "A5", "A6", "A7", "B1", "B6", "B7", "B9",
                                                   "BA", "C1", "D1", "D2", "DF", "E1", "E2", "E3"};
    return codes;
}

ProgramValues startUpValues(std::string appPath) {
    constexpr char separator = std::filesystem::path::preferred_separator;
    if (appPath.empty() || appPath.back() != separator) appPath += separator;
    ProgramValues values;
    values.appPath = std::move(appPath);
    values.D1strings = caseCategoryCodes();
    values.importfileMode = ImportFileMode::titxt;
    return values;
}

}  // namespace tessaro::workspace
