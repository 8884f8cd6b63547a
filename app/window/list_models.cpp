#include "app/window/list_models.h"

#include "app/window/qt_text.h"
#include "app/window/window_texts.h"

namespace tessaro::window {
namespace {

template <typename Columns>
QStringList captions(const Columns& columns) {
    QStringList list;
    for (const auto column : columns) list << qtText(column);
    return list;
}

template <typename List>
std::vector<std::uint64_t> idsOf(const List& list) {
    std::vector<std::uint64_t> ids(list.size());
    for (std::size_t i = 0; i < list.size(); ++i) ids[i] = list[i].id.value;
    return ids;
}

}  // namespace

CaseListModel::CaseListModel(const workspace::CaseList& cases, QObject* parent)
    : RowTableModel(captions(kCaseColumns), parent), cases_(cases) {}

std::vector<std::uint64_t> CaseListModel::workspaceIds() const { return idsOf(cases_); }

std::optional<QString> CaseListModel::cellText(std::size_t row, std::uint64_t id, int column) const {
    if (row >= cases_.size() || cases_[row].id.value != id) return std::nullopt;
    const workspace::CaseRow& caseRow = cases_[row];
    if (column == 0) return qtText(caseRow.caption);
    const auto cell = static_cast<std::size_t>(column - 1);
    if (cell >= caseRow.cells.size()) return std::nullopt;
    return qtText(caseRow.cells[cell]);
}

AttachmentListModel::AttachmentListModel(const workspace::AttachmentList& attachments, QObject* parent)
    : RowTableModel(captions(kAttachmentColumns), parent), attachments_(attachments) {}

std::vector<std::uint64_t> AttachmentListModel::workspaceIds() const { return idsOf(attachments_); }

QVariant AttachmentListModel::data(const QModelIndex& index, int role) const {
    constexpr int kFileColumn = 2;
    if (role == Qt::ToolTipRole && index.column() == kFileColumn) role = Qt::DisplayRole;
    return RowTableModel::data(index, role);
}

std::optional<QString> AttachmentListModel::cellText(std::size_t row, std::uint64_t id, int column) const {
    if (row >= attachments_.size() || attachments_[row].id.value != id) return std::nullopt;
    const workspace::AttachmentRow& attachment = attachments_[row];
    switch (column) {
        case 0: return qtText(attachment.kind);
        case 1: return qtText(attachment.contentClass);
        case 2: return qtText(attachment.file);
        default: return std::nullopt;
    }
}

}  // namespace tessaro::window
