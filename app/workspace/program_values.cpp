#include "app/workspace/program_values.h"

#include "feeinput/case_categories.h"

#include <filesystem>

namespace tessaro::workspace {

const std::vector<std::string>& caseCategoryCodes() { return feeinput::caseCategoryCodes(); }

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
