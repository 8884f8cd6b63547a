// The two lists' models: the case list's seven columns and the attachment list's three, read
// from the workspace's rows.
#pragma once

#include "app/window/row_table_model.h"
#include "app/workspace/attachment_rows.h"
#include "app/workspace/case_rows.h"

namespace tessaro::window {

class CaseListModel final : public RowTableModel {
public:
    CaseListModel(const workspace::CaseList& cases, QObject* parent);
    // The ids of the workspace's case rows now.
    std::vector<std::uint64_t> workspaceIds() const;

protected:
    std::optional<QString> cellText(std::size_t row, std::uint64_t id, int column) const override;

private:
    const workspace::CaseList& cases_;
};

class AttachmentListModel final : public RowTableModel {
public:
    AttachmentListModel(const workspace::AttachmentList& attachments, QObject* parent);
    std::vector<std::uint64_t> workspaceIds() const;
    // The file's whole path is its cell's tooltip as well: the cell may show it shortened.
    QVariant data(const QModelIndex& index, int role) const override;

protected:
    std::optional<QString> cellText(std::size_t row, std::uint64_t id, int column) const override;

private:
    const workspace::AttachmentList& attachments_;
};

}  // namespace tessaro::window
