#include "production/feereview_document.h"

#include "production/package_names.h"


namespace tessaro::production {
void FeeReviewDocument::element(std::string_view tag, std::string_view value) {
    lines_.push_back("<" + std::string(tag) + ">" + std::string(value) + "</" + std::string(tag) + ">");
}

void FeeReviewDocument::begin(const ClaimHeader& header, const ClaimCase& claimCase) {
    lines_ = {"<?xml version=\"1.0\" encoding=\"Big5\"?>", "<feereview>", "<cdata>", "<chead>"};
    element("c1", header.uploadType);
    element("c2", header.hospitalCode);
    element("c3", "11");
    element("c4", header.feeYearMonth);
    element("c5", header.declarationType);
    element("c6", DateTimeToStr8(header.declarationDate));
    lines_.push_back("</chead>");
    lines_.push_back("<cbody>");
    element("c7", claimCase.category);
    // A negative serial is written as the unsigned number of its 32 bits, as "%.6u" does.
    element("c8", zeroPadded(static_cast<std::uint32_t>(claimCase.serial), 6));
    element("c10", claimCase.idNumber);
}

void FeeReviewDocument::addDicom() {
    lines_.push_back("<fdata>");
    element("f1", "DICOMDIR");
    element("f2", "DICOM");
    element("f3", "DCF");
    element("f4", kRecordDescription);
    lines_.push_back("</fdata>");
}

void FeeReviewDocument::addAttachment(std::string_view stem, std::string_view extension) {
    lines_.push_back("<fdata>");
    element("f1", std::string(stem) + std::string(extension));
    element("f2", extension);
    element("f3", "ATT");
    element("f4", kRecordDescription);
    lines_.push_back("</fdata>");
}

void FeeReviewDocument::addMedicalRecord(std::string_view stem, std::string_view extension) {
    lines_.push_back("<fdata>");
    element("f1", std::string(stem) + std::string(extension));
    element("f2", "XML");
    element("f3", "EMR");
    lines_.push_back("</fdata>");
}

void FeeReviewDocument::close() {
    lines_.push_back("</cbody>");
    lines_.push_back("</cdata>");
    lines_.push_back("</feereview>");
}

}  // namespace tessaro::production
