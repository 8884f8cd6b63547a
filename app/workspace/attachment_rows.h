// An attachment row of the attachment list: file kind, content class, file path and the
// optional record of its editors.
#pragma once

#include "app/workspace/row_list.h"

#include <cstddef>
#include <optional>
#include <string>

namespace tessaro::workspace {

struct AttachmentRowTag;

// The state of an attachment row's kind and class editors (its file button has none). The
// row's cells and its editors hold the same kind and class: every change in an editor is
// written into its cell at once.
struct AttachmentRecord {
    std::optional<std::size_t> kind;          // selection among kAttachmentKinds
    std::optional<std::size_t> contentClass;  // selection among kContentClassLabels
};

struct AttachmentRow {
    RowId<AttachmentRowTag> id;
    std::string kind;          // caption, "檔型"
    std::string contentClass;  // "檔案類別": the class label
    std::string file;          // "檔案": the full path, empty until a file is chosen
    std::optional<AttachmentRecord> record;
};

using AttachmentList = RowList<AttachmentRow>;
using AttachmentRowId = AttachmentList::Id;

}  // namespace tessaro::workspace
