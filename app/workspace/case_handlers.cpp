// The case list: adding, deleting, selecting and clearing cases, and the records of the
// rows' category and serial editors.
#include "app/workspace/item_match.h"
#include "app/workspace/workspace.h"
#include "app/workspace/workspace_texts.h"
#include "feeinput/text_fields.h"

namespace tessaro::workspace {

void Workspace::CaddClick() {
    // A path of blanks counts as text here; the lookup reports it when it tries to read it.
    if (panel_.CXMLfile.empty()) {
        port_.showMessage(std::string(kNoDeclarationText));
        return;
    }
    // The new row goes right after the selected one, and the selection stays where it was,
    // so a second press puts its row above the first one's.
    const auto selected = cases_.selected();
    cases_.insert(selected ? *selected + 1 : cases_.size(), CaseRow{});
}

void Workspace::CdelClick() {
    // No question and no message.
    const auto selected = cases_.selected();
    if (!selected) return;
    cases_.remove(*selected);
    dropAttachmentsOfGoneCase();
}

void Workspace::CauditListClick() {
    const auto selected = cases_.selected();
    if (!selected) return;
    showAttList(cases_[*selected].cells[kAttachmentCell], cases_[*selected].id);
}

void Workspace::D1Change(CaseRowId sender) {
    const auto index = cases_.indexOf(sender);
    if (index && cases_[*index].record) ReadItem(*index);
}

char16_t Workspace::SNnoKeyPress(CaseRowId sender, char16_t key) {
    constexpr char16_t kEnter = 13;
    if (key == kEnter) D1Change(sender);
    return key;
}

void Workspace::clearAuditlist() {
    cases_.clear();
    dropAttachmentsOfGoneCase();
}

// The attachment list goes with its case: no row of it stays editable to take a file that
// could go into no case.
void Workspace::dropAttachmentsOfGoneCase() {
    if (attachmentSource_ && cases_.indexOf(*attachmentSource_)) return;
    clearAttlist();
    attachmentSource_.reset();
}

std::string Workspace::caseCategory(std::size_t index) const {
    const CaseRow& row = cases_[index];
    if (!row.record) return row.caption;
    const auto& item = row.record->category;
    return item && *item < values_.D1strings.size() ? values_.D1strings[*item] : std::string();
}

std::string Workspace::caseSerialText(std::size_t index) const {
    const CaseRow& row = cases_[index];
    return row.record ? row.record->serial : row.cells[kSerialCell];
}

CaseKey Workspace::caseKey(std::size_t index) const {
    return {feeinput::Trim(caseCategory(index)), feeinput::StrToIntDef(caseSerialText(index), 0)};
}

// The row's record files and note go, and so does the attachment list's copy of them when it
// shows this case: a file chosen there would bring the others back into the case.
void Workspace::forgetRecordFiles(std::size_t index) {
    CaseRow& row = cases_[index];
    row.cells[kAttachmentCell].clear();
    row.cells[kNoteCell].clear();
    if (attachmentSource_ == row.id) showAttList({}, row.id);
}

CaseRowId Workspace::caseRowDrawn(std::size_t index) {
    CaseRow& row = cases_[index];
    if (!row.record) row.record = CaseRecord{findItemIgnoringCase(values_.D1strings, row.caption), std::string()};
    return row.id;
}

void Workspace::chooseCategory(CaseRowId editor, std::optional<std::size_t> item) {
    if (CaseRecord* record = caseRecord(editor)) record->category = item;
}

void Workspace::typeSerial(CaseRowId editor, std::string text) {
    if (CaseRecord* record = caseRecord(editor)) record->serial = std::move(text);
}

}  // namespace tessaro::workspace
