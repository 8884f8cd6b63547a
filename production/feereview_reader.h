// Reading a feereview document back, as the receiving side reads it: Big5 bytes, well-formed
// XML of the fixed structure, values in their formats. Used by the package checker.
//
// The document is small and its structure fixed, so it is read by a minimal XML reader of its
// own (elements, text, the five predefined entities and character references, an XML
// declaration; no attributes, comments or DTDs, which the format never has) rather than a
// general parser: every deviation is a finding to report, not something to tolerate.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaro::production {

// One fdata entry: f1 the file name, f2 its type, f3 its kind, f4 the description (DCF, ATT).
struct FeeReviewFile {
    std::string f1, f2, f3;
    std::optional<std::string> f4;
};

// The values of a document, each as its element holds it (entities resolved).
struct FeeReviewContent {
    std::string c1, c2, c3, c4, c5, c6;  // chead
    std::string c7, c8, c10;             // cbody
    std::vector<FeeReviewFile> files;
};

// Reads `bytes`. Every problem found is appended to `problems` as a sentence; the content is
// given when the document is well-formed XML of the feereview structure (its values may still
// be out of format: checkFeeReviewValues tells).
std::optional<FeeReviewContent> readFeeReview(std::string_view bytes, std::vector<std::string>& problems);

// Checks the values of a read document: upload and declaration categories, ROC year-month,
// the Gregorian declaration date, the case category among the category codes, a non-zero
// serial of at least six digits, an ID number, and each file entry's type, kind and
// description.
void checkFeeReviewValues(const FeeReviewContent& content, std::vector<std::string>& problems);

}  // namespace tessaro::production
