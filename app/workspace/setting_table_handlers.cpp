// Saving the case list as a setting table.
#include "app/workspace/workspace.h"
#include "feeinput/text_file.h"
#include "tables/import_texts.h"
#include "tables/setting_table.h"
#include "platform/path_text.h"

namespace tessaro::workspace {
namespace {

template <typename Items>
std::string_view itemText(const Items& items, std::size_t item) {
    return item < std::size(items) ? std::string_view(items[item]) : std::string_view();
}

}  // namespace

void Workspace::CsaveSettingClick() {
    FileDialogRequest request;
    request.filter = tables::kSettingTableFilter;
    request.defaultExtension = tables::kSettingTableExtension;
    request.initialDir = platform::pathFromUtf8(values_.appPath);
    request.fileName = tables::proposedSettingTableName(values_.INSUyyymm, itemText(kUploadTypeItems, panel_.CuploadType),
                                                        itemText(kInsuTypeItems, panel_.CINSUtype));
    const auto chosen = port_.saveFile(request);
    if (!chosen) return;

    // Each case as its editors hold it (a row never drawn: as its caption and serial cell).
    std::vector<tables::SettingTableRow> rows;
    rows.reserve(cases_.size());
    for (std::size_t i = 0; i < cases_.size(); ++i)
        rows.push_back({caseCategory(i), caseSerialText(i), cases_[i].cells[kAttachmentCell]});
    // A name Big5 cannot hold makes the table UTF-8 rather than a "?" in its place.
    feeinput::SaveToFileLossless(tables::settingTableLines(panel_.CXMLfile, rows), *chosen);
}

}  // namespace tessaro::workspace
