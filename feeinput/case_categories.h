// The case category codes of the fee declaration: what a case list offers, an import accepts
// and a feereview document may carry.
#pragma once

#include <string>
#include <vector>

namespace tessaro::feeinput {

// The 26 codes in their order (there is no "07").
inline const std::vector<std::string>& caseCategoryCodes() {
    static const std::vector<std::string> codes = {"01", "02", "03", "04", "05", "06", "08", "09", "A1",
                                                   "A2", "A3", "A5", "A6", "A7", "B1", "B6", "B7", "B9",
                                                   "BA", "C1", "D1", "D2", "DF", "E1", "E2", "E3"};
    return codes;
}

}  // namespace tessaro::feeinput
