// The header of a fee declaration: hospital code, fee year-month and declaration date.
#pragma once

#include "feeinput/declaration_text.h"

#include <optional>
#include <string>

namespace tessaro::feeinput {

// Each value is read only when the one before it was found, so a missing value leaves every
// later one empty too.
struct DeclarationHeader {
    std::optional<std::string> hospitalCode;     // t2, searched from the start
    std::optional<std::string> feeYearMonth;     // t3, searched from the start again
    std::optional<std::string> declarationDate;  // t6, searched after the closing tag of t3
};

// The header as the declaration dialog shows it: t3 may stand before or after t2.
DeclarationHeader readDeclarationHeader(const DeclarationText& text);

// The header as a production run takes it: each value searched after the closing tag of the
// one before (t2, then t3 after it, then t6 after that).
DeclarationHeader readChainedHeader(const DeclarationText& text);

}  // namespace tessaro::feeinput
