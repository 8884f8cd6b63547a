// The workspace's start-up, shutdown and row look-ups; the handlers live in
// case_handlers.cpp, declaration_handlers.cpp and attachment_handlers.cpp.
#include "app/workspace/workspace.h"

#include "platform/path_text.h"

#include <utility>

namespace tessaro::workspace {

std::string fullPath(const std::filesystem::path& file) {
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(file, ec);
    // "a/SMP/../x.csv" is "a/x.csv": the path's words decide what the file is taken for.
    return platform::utf8FromPath((ec ? file : absolute).lexically_normal());
}

Workspace::Workspace(UserPort& port, std::string appPath) : port_(port) { FormCreate(std::move(appPath)); }

void Workspace::FormCreate(std::string appPath) { values_ = startUpValues(std::move(appPath)); }

void Workspace::FormDestroy() { values_.D1strings.clear(); }

CaseRecord* Workspace::caseRecord(CaseRowId id) {
    const auto index = cases_.indexOf(id);
    if (!index || !cases_[*index].record) return nullptr;
    return &*cases_[*index].record;
}

AttachmentRow* Workspace::attachmentRow(AttachmentRowId id) {
    const auto index = attachments_.indexOf(id);
    return index ? &attachments_[*index] : nullptr;
}

}  // namespace tessaro::workspace
