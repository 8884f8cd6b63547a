// A case row of the case list: caption, six cells and the optional record of its editors.
#pragma once

#include "app/workspace/row_list.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace tessaro::workspace {

struct CaseRowTag;

// The cells after the caption ("案件分類"), by column caption.
enum CaseCell : std::size_t {
    kSerialCell,      // "流水號": the serial number the row was created with
    kNameCell,        // "姓名"
    kIdCell,          // "身份證"
    kVisitDateCell,   // "就醫日期"
    kAttachmentCell,  // "病歷檔案": the attachment text
    kNoteCell,        // "註記"
    kCaseCellCount
};

// The state of a case row's two in-place editors. They are the only authority for the
// case's category and serial number; nothing writes them back into the cells.
struct CaseRecord {
    std::optional<std::size_t> category;  // the category editor's selection among D1strings
    std::string serial;                   // the serial editor's text, as typed
};

// A case as the lookup finds it in the fee declaration: its category (trimmed) and its serial
// number (the serial text as a number, 0 when it is none).
struct CaseKey {
    std::string category;
    std::int32_t serial = 0;
    bool operator==(const CaseKey&) const = default;
};

// The case whose record files ("病歷檔案") and note ("註記") a row holds: the key it was last
// looked up or imported with, and the patient's ID number found for it (empty until found).
struct HeldCase {
    CaseKey key;
    std::string idNumber;
};

struct CaseRow {
    RowId<CaseRowTag> id;
    std::string caption;  // the category text the row was created with
    std::array<std::string, kCaseCellCount> cells;
    HeldCase held;
    std::optional<CaseRecord> record;
};

using CaseList = RowList<CaseRow>;
using CaseRowId = CaseList::Id;

}  // namespace tessaro::workspace
