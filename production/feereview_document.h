// The feereview document: the short Big5 XML text in every package that names the claim the
// package answers and lists the record files it carries.
//
// One element per line, no indentation, values inserted exactly as they are (no escaping:
// the receiving side reads the values as the hospital's files hold them). The production run
// builds the lines while it copies a case's files: begin, one entry per copied file, close;
// the lines are then saved in code page 950 with CR LF after every line.
#pragma once

#include "feeinput/text_file.h"
#include "production/roc_dates.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace tessaro::production {

// The claim a document answers (its chead part).
struct ClaimHeader {
    std::string uploadType;       // "1", "2" or "3": first character of the upload category
    std::string hospitalCode;     // c2
    std::string feeYearMonth;     // c4, ROC YYYMM
    std::string declarationType;  // "1", "2", "4" or "5": first character of the declaration category
    DateTime declarationDate = 0;  // c6, written as a Gregorian yyyymmdd (0 gives 18991230)
};

// The case a document describes (the head of its cbody part).
struct ClaimCase {
    std::string category;  // c7
    std::int32_t serial = 0;  // c8, at least six digits
    std::string idNumber;  // c10
};

// The description every DICOM and ATT entry carries, whatever the file's content class.
inline constexpr std::string_view kRecordDescription = "病歷本文(含基本資料、醫護診斷及圖檔等)";

class FeeReviewDocument {
public:
    // Starts a new document with its opening, claim and case lines.
    void begin(const ClaimHeader& header, const ClaimCase& claimCase);
    // File entries, one per copied file. `stem` ends with "." (recordCopyStem); `extension`
    // is upper case and may be empty.
    void addDicom();
    void addAttachment(std::string_view stem, std::string_view extension);
    void addMedicalRecord(std::string_view stem, std::string_view extension);
    // Adds the closing lines.
    void close();

    const feeinput::LineList& lines() const { return lines_; }
    // Writes the lines in code page 950, CR LF after each, replacing an existing file.
    void save(const std::filesystem::path& path) const { feeinput::SaveToFile(lines_, path); }

private:
    void element(std::string_view tag, std::string_view value);

    feeinput::LineList lines_;
};

}  // namespace tessaro::production
