#include "app/window/file_cell_delegate.h"

namespace tessaro::window {

FileCellDelegate::FileCellDelegate(int coveredWidth, QObject* parent)
    : QStyledItemDelegate(parent), coveredWidth_(coveredWidth) {}

void FileCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QStyleOptionViewItem shown = option;
    shown.rect.setRight(option.rect.right() - coveredWidth_);
    shown.textElideMode = Qt::ElideMiddle;
    QStyledItemDelegate::paint(painter, shown, index);
}

}  // namespace tessaro::window
