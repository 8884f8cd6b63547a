// The attachment list's cells of column "檔案": the row's file button "設定" lies over the
// cell's right end, so the path is drawn in the part left of it, shortened in the middle when
// it is too long there. The file's own name, at the path's end, stays in sight; the whole
// path is the cell's tooltip (the model gives it).
#pragma once

#include <QStyledItemDelegate>

namespace tessaro::window {

class FileCellDelegate final : public QStyledItemDelegate {
public:
    // `coveredWidth`: how many pixels of the cell's right end the button covers.
    FileCellDelegate(int coveredWidth, QObject* parent);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    int coveredWidth_;
};

}  // namespace tessaro::window
