// Choosing the fee declaration file and looking a case up in it.
#include "app/workspace/workspace.h"
#include "app/workspace/workspace_texts.h"
#include "feeinput/case_lookup.h"
#include "feeinput/declaration_header.h"
#include "feeinput/declaration_text.h"
#include "feeinput/text_fields.h"

#include <filesystem>

namespace tessaro::workspace {
namespace {

// The folder the declaration dialog opens in: drive C: where there are drives; elsewhere
// the dialog's own default.
std::filesystem::path declarationDialogFolder() {
#ifdef _WIN32
    return "C:";
#else
    return {};
#endif
}

}  // namespace

void Workspace::CopenXMLfileClick() {
    values_.INSUyyymm.clear();
    values_.INSUupdate.clear();

    FileDialogRequest request;
    request.filter = kDeclarationFilter;
    request.initialDir = declarationDialogFolder();
    const auto chosen = port_.openFile(request);
    panel_.CXMLfile = chosen ? fullPath(*chosen) : std::string();
    if (panel_.CXMLfile.empty()) return;

    // A box is written only when its value is found; the others keep what they showed.
    const auto header = feeinput::readDeclarationHeader(feeinput::DeclarationText::readFile(panel_.CXMLfile));
    if (!header.hospitalCode) return;
    panel_.ChospitalCode = *header.hospitalCode;
    if (!header.feeYearMonth) return;
    values_.INSUyyymm = panel_.CINSUyyymm = *header.feeYearMonth;
    if (!header.declarationDate) return;
    values_.INSUupdate = panel_.CINSUupdate = *header.declarationDate;
}

void Workspace::ReadItem(std::size_t xIndex) {
    if (panel_.CXMLfile.empty() || xIndex >= cases_.size()) return;
    // Every lookup shows the patient afresh. The record files and the note stay while the row
    // holds the same case; a changed category or serial is another case, and they go.
    for (const CaseCell cell : {kSerialCell, kNameCell, kIdCell, kVisitDateCell}) cases_[xIndex].cells[cell].clear();
    const CaseKey key = caseKey(xIndex);
    if (key != cases_[xIndex].held.key) {
        forgetRecordFiles(xIndex);
        cases_[xIndex].held = {key, {}};
    }
    const std::string serialText = caseSerialText(xIndex);
    if (key.category.empty() || feeinput::Trim(serialText).empty()) return;

    // The file is read at every lookup, so a path typed into the box or a file changed on
    // disk takes effect at once. The serial is converted as typed: "123 " reads as 0.
    const auto text = feeinput::DeclarationText::readFile(panel_.CXMLfile);
    const auto found = feeinput::lookupCase(text, key.category, key.serial);

    CaseRow& row = cases_[xIndex];
    if (found.idNumber) row.cells[kIdCell] = *found.idNumber;
    if (found.visitDate) row.cells[kVisitDateCell] = *found.visitDate;
    if (found.name) row.cells[kNameCell] = *found.name;
    if (found.idNumber) {
        // The same numbers in another declaration may be another patient, who never gets the
        // files gathered for this one.
        if (!row.held.idNumber.empty() && row.held.idNumber != *found.idNumber) forgetRecordFiles(xIndex);
        row.held.idNumber = *found.idNumber;
    }
    if (!found.found()) port_.showMessage(caseNotFoundText(key.category, serialText));
}

}  // namespace tessaro::workspace
