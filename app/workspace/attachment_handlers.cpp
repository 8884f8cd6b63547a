// The attachment list of one case: filling it from the case's attachment text, editing its
// rows, choosing files and writing that text back.
#include "app/workspace/attachment_text.h"
#include "app/workspace/item_match.h"
#include "app/workspace/workspace.h"
#include "app/workspace/workspace_texts.h"
#include "platform/path_text.h"
#include "tables/setting_table.h"

#include <filesystem>

namespace tessaro::workspace {
namespace {

template <typename Items>
std::string itemText(const Items& items, std::optional<std::size_t> item) {
    return item && *item < std::size(items) ? std::string(items[*item]) : std::string();
}

// Why a chosen file cannot go into the attachment text, if it cannot: it is refused rather
// than cut at the next save or import.
std::optional<std::string> refusalOf(const std::string& path) {
    if (holdsAttachmentMarker(path)) return pathHoldsMarkerText(path);
    if (!tables::keepsInSettingTable(path)) return pathNotOneLineText(path);
    return std::nullopt;
}

// The folder of `file`, ending with the separator: where the next file dialog opens.
std::string folderOf(const std::filesystem::path& file) {
    std::string folder = platform::utf8FromPath(file.parent_path());
    if (folder.empty() || folder.back() != std::filesystem::path::preferred_separator)
        folder += std::filesystem::path::preferred_separator;
    return folder;
}

}  // namespace

void Workspace::showAttList(const std::string& text, std::optional<CaseRowId> source) {
    clearAttlist();
    attachmentSource_ = source;
    for (AttachmentEntry& entry : parseAttachmentText(text))
        attachments_.append({{}, std::move(entry.kind), std::move(entry.contentClass), std::move(entry.file), {}});
}

void Workspace::setAttToAudit() {
    // The attachment text goes back into the case the list was filled from, wherever that row
    // now stands and whichever row is selected; when that row is gone, nowhere.
    const auto target = attachmentSource_ ? cases_.indexOf(*attachmentSource_) : std::nullopt;
    if (!target) return;
    std::vector<AttachmentEntry> entries;
    for (std::size_t i = 0; i < attachments_.size(); ++i)
        entries.push_back({attachments_[i].kind, attachments_[i].contentClass, attachments_[i].file});
    cases_[*target].cells[kAttachmentCell] = buildAttachmentText(entries);
}

std::string Workspace::charToContent(std::string_view character) { return workspace::charToContent(character); }

void Workspace::clearAttlist() { attachments_.clear(); }

void Workspace::CattAddClick() {
    if (!cases_.selected()) {
        port_.showMessage(std::string(kNoCaseSelectedText));
        return;
    }
    const auto selected = attachments_.selected();
    AttachmentRow row;
    row.kind = "ATT";
    row.contentClass = kContentClassLabels[0];
    attachments_.insert(selected ? *selected + 1 : attachments_.size(), std::move(row));
}

// A deleted row leaves the case at once: the list no longer shows the file, so the package
// must not carry it (a clerk deletes a row above all when it holds another patient's file).
void Workspace::CattDelClick() {
    const auto selected = attachments_.selected();
    if (!selected) return;
    attachments_.remove(*selected);
    setAttToAudit();
}

// A kind or class the user picks goes into the case at once: the list shows it, so the
// package must carry it (rows without a file are not written, as at a file dialog). A kind
// that is none of the three is not written back: the row's file would drop out of the case.
void Workspace::sTypeChange(AttachmentRowId sender) {
    AttachmentRow* row = attachmentRow(sender);
    if (!row || !row->record) return;
    row->kind = itemText(kAttachmentKinds, row->record->kind);
    if (!row->kind.empty()) setAttToAudit();
}

void Workspace::sContentChange(AttachmentRowId sender) {
    AttachmentRow* row = attachmentRow(sender);
    if (!row || !row->record) return;
    row->contentClass = itemText(kContentClassLabels, row->record->contentClass);
    setAttToAudit();
}

void Workspace::getAttfile(AttachmentRowId sender) {
    const AttachmentRow* row = attachmentRow(sender);
    if (row == nullptr) return;
    const auto filter = fileFilterFor(row->kind);
    if (!filter) return;
    if (values_.getfilePath.empty()) values_.getfilePath = values_.appPath;

    FileDialogRequest request;
    request.filter = *filter;
    request.initialDir = platform::pathFromUtf8(values_.getfilePath);
    const auto chosen = port_.openFile(request);

    // Found again by its id: the row is the button's own, wherever it stands now.
    AttachmentRow* target = attachmentRow(sender);
    if (target == nullptr) return;
    std::optional<std::string> refusal;
    if (chosen) {
        const std::filesystem::path file = platform::pathFromUtf8(fullPath(*chosen));
        const std::string path = platform::utf8FromPath(file);
        values_.getfilePath = folderOf(file);
        refusal = refusalOf(path);
        if (!refusal) target->file = path;  // a refused file leaves the row as it was
    } else {
        target->file.clear();
    }
    setAttToAudit();
    if (refusal) port_.showMessage(*refusal);
}

AttachmentRowId Workspace::attachmentRowDrawn(std::size_t index) {
    AttachmentRow& row = attachments_[index];
    if (!row.record)
        row.record = AttachmentRecord{findItemIgnoringCase(kAttachmentKinds, row.kind),
                                      findItemIgnoringCase(kContentClassLabels, row.contentClass)};
    return row.id;
}

void Workspace::chooseKind(AttachmentRowId editor, std::optional<std::size_t> item) {
    AttachmentRow* row = attachmentRow(editor);
    if (row && row->record) row->record->kind = item;
}

void Workspace::chooseContentClass(AttachmentRowId editor, std::optional<std::size_t> item) {
    AttachmentRow* row = attachmentRow(editor);
    if (row && row->record) row->record->contentClass = item;
}

}  // namespace tessaro::workspace
