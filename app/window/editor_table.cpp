#include "app/window/editor_table.h"

#include <QApplication>
#include <QEvent>
#include <QScrollBar>
#include <QWheelEvent>
#include <QHeaderView>
#include <QItemSelectionModel>

namespace tessaro::window {

void EditorTable::DeleteLater::operator()(QWidget* editor) const {
    editor->blockSignals(true);
    editor->hide();
    editor->deleteLater();
}

EditorTable::EditorTable(QWidget* parent) : QTableView(parent) {
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Tab moves the input focus from control to control (leaving a serial box), not from
    // cell to cell.
    setTabKeyNavigation(false);
    setShowGrid(true);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // The drop-downs over the cells are as narrow as their columns (48 pixels for "DCF"):
    // a slim arrow and little padding leave their text room.
    setStyleSheet(QStringLiteral("QComboBox { padding: 0px 0px 0px 3px; } "
                                  "QComboBox::drop-down { width: 12px; }"));
    // A column resized (by the user or by the list) takes the editors anchored to it along.
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this] { placeEditors(); });
}

void EditorTable::setRowModel(RowTableModel& model) {
    model_ = &model;
    setModel(model_);
}

void EditorTable::placeEditors() {
    if (model_ == nullptr) return;
    std::unordered_set<std::uint64_t> shown;
    const int first = rowAt(0);
    if (isVisible() && first >= 0) {
        int last = rowAt(viewport()->height() - 1);
        if (last < 0) last = model_->rowCount() - 1;
        for (int row = first; row <= last; ++row) {
            const std::uint64_t id = model_->idAt(row);
            const int top = rowViewportPosition(row);
            auto found = editors_.find(id);
            if (found == editors_.end()) {
                if (!creationAllowed_) continue;
                std::vector<PlacedEditor> made = createEditors(row, id, rowHeight(row));
                if (made.empty()) continue;
                found = editors_.emplace(id, std::move(made)).first;
            }
            for (const PlacedEditor& editor : found->second) {
                place(editor, top);
                editor.widget->show();
            }
            shown.insert(id);
        }
    }
    for (const std::uint64_t id : shown_) {
        if (shown.count(id)) continue;
        const auto found = editors_.find(id);
        if (found == editors_.end()) continue;
        // An editor with the focus stays shown, at its row's place outside the viewport, and is
        // looked at again once the focus has gone.
        const auto row = model_->rowOf(id);
        bool focused = false;
        for (const PlacedEditor& editor : found->second) {
            if (editor.widget->hasFocus() && row) {
                focused = true;
                place(editor, rowViewportPosition(*row));
            } else {
                editor.widget->hide();
            }
        }
        if (focused) shown.insert(id);
    }
    shown_ = std::move(shown);
}

// Placed by the column's edge where the header shows it, not by where the editor was: Qt's
// sideways scrolling shifts the editors on screen, and those made while the list was scrolled
// would otherwise be off by the distance scrolled.
void EditorTable::place(const PlacedEditor& editor, int rowTop) const {
    const Anchor& anchor = editor.anchor;
    const int edge = horizontalHeader()->sectionViewportPosition(anchor.column) +
                     (anchor.edge == Anchor::Edge::Right ? columnWidth(anchor.column) : 0);
    editor.widget->move(edge + anchor.offset, rowTop - 1);
}

void EditorTable::dropEditors(const std::vector<std::uint64_t>& ids) {
    for (const std::uint64_t id : ids) {
        editors_.erase(id);
        shown_.erase(id);
    }
}

std::vector<QWidget*> EditorTable::editorsOf(std::uint64_t id) const {
    std::vector<QWidget*> widgets;
    if (const auto found = editors_.find(id); found != editors_.end())
        for (const PlacedEditor& editor : found->second) widgets.push_back(editor.widget.get());
    return widgets;
}

std::optional<int> EditorTable::selectedRow() const {
    const QModelIndexList rows = selectionModel()->selectedRows();
    if (rows.isEmpty()) return std::nullopt;
    return rows.front().row();
}

void EditorTable::showSelection(std::optional<std::size_t> row) {
    if (model_ == nullptr) return;
    const std::optional<int> wanted =
        row && *row < static_cast<std::size_t>(model_->rowCount()) ? std::optional<int>(static_cast<int>(*row)) : std::nullopt;
    if (wanted == selectedRow()) return;
    if (!wanted) {
        selectionModel()->clearSelection();
        return;
    }
    selectionModel()->select(model_->index(*wanted, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void EditorTable::passWheelToList(QWidget& editor) {
    // A drop-down takes the input focus from the wheel by default, before any filter sees the
    // wheel, so it would always seem to have been clicked. Click and Tab still focus it.
    editor.setFocusPolicy(Qt::StrongFocus);
    editor.installEventFilter(this);
}

bool EditorTable::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Wheel && watched->isWidgetType()) {
        // The wheel never picks an item of a row's drop-down, not even one the user clicked
        // before: one notch over a category would look another case up and empty the row.
        // Scrolled here rather than passed on: Qt would hand a passed-on wheel event back to
        // the widget it began at. A notch (120) moves the lines the desktop sets; the rest of
        // finer wheels is kept for the next turn.
        QScrollBar& bar = *verticalScrollBar();
        wheelRest_ += static_cast<QWheelEvent*>(event)->angleDelta().y() / 120.0 * QApplication::wheelScrollLines() *
                      bar.singleStep();
        const int lines = static_cast<int>(wheelRest_);
        wheelRest_ -= lines;
        bar.setValue(bar.value() - lines);
        return true;
    }
    return QTableView::eventFilter(watched, event);
}

// Home and End go to the first and last row, as in a list, not to the row's first and last cell.
QModelIndex EditorTable::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    if (action == MoveHome || action == MoveEnd) modifiers |= Qt::ControlModifier;
    return QTableView::moveCursor(action, modifiers);
}

void EditorTable::scrollContentsBy(int dx, int dy) {
    QTableView::scrollContentsBy(dx, dy);
    placeEditors();
}

bool EditorTable::viewportEvent(QEvent* event) {
    const bool handled = QTableView::viewportEvent(event);
    if (event->type() == QEvent::Resize) placeEditors();
    return handled;
}

void EditorTable::showEvent(QShowEvent* event) {
    QTableView::showEvent(event);
    placeEditors();
}

}  // namespace tessaro::window
