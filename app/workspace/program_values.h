// The program-wide values every part of the program reads, with their start-up values.
//
// One instance lives in the workspace; nothing is kept between runs.
#pragma once

#include <string>
#include <vector>

namespace tessaro::workspace {

// What the case list was last imported from; it tells a production run where the claim
// header comes from.
enum class ImportFileMode {
    tiSMPcsv,  // a sampling file in comma-separated form
    tiSMPtxt,  // a sampling file in fixed-width form
    titxt,     // a setting table, or nothing imported yet
};

struct ProgramValues {
    std::string appPath;                 // the program folder, ending with the path separator
    std::vector<std::string> D1strings;  // the case category codes
    std::string INSUyyymm;               // fee year-month of the fee declaration, ROC YYYMM
    std::string INSUupdate;              // declaration date, ROC YYYMMDD
    std::string getfilePath;             // folder of the last attachment chosen, with separator
    ImportFileMode importfileMode = ImportFileMode::titxt;
};

// The 26 case category codes in their order (there is no "07").
const std::vector<std::string>& caseCategoryCodes();

// The values at start-up for a program living in `appPath`.
ProgramValues startUpValues(std::string appPath);

}  // namespace tessaro::workspace
