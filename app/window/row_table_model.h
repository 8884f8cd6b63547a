// A Qt table model over one list of the workspace, kept in step with it by row ids.
//
// The model remembers the ids of the rows it shows, not their texts: the view reads each
// cell from the workspace when it paints, so a list of 10,000 rows costs one id per row here.
// After a handler the window calls sync(): rows whose ids are gone are removed and new ids
// inserted where they stand (the workspace's lists never reorder their rows), so the view
// keeps its scroll position and its editors stay with their rows. Until then, a cell whose
// row in the workspace is no longer the one the model shows reads as empty, so a paint in the
// middle of a handler never reads a row that is not there.
#pragma once

#include <QAbstractTableModel>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

namespace tessaro::window {

class RowTableModel : public QAbstractTableModel {
public:
    RowTableModel(QStringList headers, QObject* parent);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Brings the model's rows in line with `ids`, the list's rows from top to bottom, and
    // has every cell read again.
    void sync(const std::vector<std::uint64_t>& ids);
    std::uint64_t idAt(int row) const { return ids_.at(static_cast<std::size_t>(row)); }
    std::optional<int> rowOf(std::uint64_t id) const;

protected:
    // The text of cell `column` of the list's row `row`, if that row is the one with `id`.
    virtual std::optional<QString> cellText(std::size_t row, std::uint64_t id, int column) const = 0;

private:
    void removeGone(const std::vector<std::uint64_t>& ids);
    void insertNew(const std::vector<std::uint64_t>& ids);

    QStringList headers_;
    std::vector<std::uint64_t> ids_;
};

}  // namespace tessaro::window
