#include "app/window/row_table_model.h"

#include <algorithm>
#include <unordered_set>
#include <utility>

namespace tessaro::window {

RowTableModel::RowTableModel(QStringList headers, QObject* parent)
    : QAbstractTableModel(parent), headers_(std::move(headers)) {}

int RowTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(ids_.size());
}

int RowTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(headers_.size());
}

QVariant RowTableModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount()) return {};
    const auto row = static_cast<std::size_t>(index.row());
    const auto text = cellText(row, ids_[row], index.column());
    return text ? QVariant(*text) : QVariant();
}

QVariant RowTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 || section >= headers_.size())
        return {};
    return headers_[section];
}

std::optional<int> RowTableModel::rowOf(std::uint64_t id) const {
    const auto found = std::find(ids_.begin(), ids_.end(), id);
    if (found == ids_.end()) return std::nullopt;
    return static_cast<int>(found - ids_.begin());
}

void RowTableModel::sync(const std::vector<std::uint64_t>& ids) {
    if (ids != ids_) {
        removeGone(ids);
        insertNew(ids);
        if (ids != ids_) {  // rows changed their order: cannot happen, but never show a wrong row
            beginResetModel();
            ids_ = ids;
            endResetModel();
        }
    }
    if (!ids_.empty()) emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), {Qt::DisplayRole});
}

// Removes, in runs from the bottom up, the rows whose ids are not in `ids`.
void RowTableModel::removeGone(const std::vector<std::uint64_t>& ids) {
    const std::unordered_set<std::uint64_t> kept(ids.begin(), ids.end());
    for (std::size_t end = ids_.size(); end > 0;) {
        if (kept.count(ids_[end - 1])) {
            --end;
            continue;
        }
        std::size_t first = end - 1;
        while (first > 0 && !kept.count(ids_[first - 1])) --first;
        beginRemoveRows({}, static_cast<int>(first), static_cast<int>(end - 1));
        ids_.erase(ids_.begin() + static_cast<std::ptrdiff_t>(first), ids_.begin() + static_cast<std::ptrdiff_t>(end));
        endRemoveRows();
        end = first;
    }
}

// Inserts, in runs, the ids of `ids` the model does not have; the ones it has are in order.
void RowTableModel::insertNew(const std::vector<std::uint64_t>& ids) {
    std::size_t at = 0;
    for (std::size_t i = 0; i < ids.size();) {
        if (at < ids_.size() && ids_[at] == ids[i]) {
            ++at;
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < ids.size() && !(at < ids_.size() && ids_[at] == ids[end])) ++end;
        beginInsertRows({}, static_cast<int>(at), static_cast<int>(at + (end - i) - 1));
        ids_.insert(ids_.begin() + static_cast<std::ptrdiff_t>(at), ids.begin() + static_cast<std::ptrdiff_t>(i),
                    ids.begin() + static_cast<std::ptrdiff_t>(end));
        endInsertRows();
        at += end - i;
        i = end;
    }
}

}  // namespace tessaro::window
