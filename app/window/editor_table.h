// A report-view list whose rows carry in-place editors: controls laid over some of a row's
// cells, created the first time the row is on screen and moved with it from then on.
//
// Editors are made lazily: placeEditors() visits only the rows on screen, creates the editors
// of those that have none (the subclass makes them, bound to the row's id) and moves the
// others to their row. A list of any length therefore has editors only for rows that have been
// on screen. Each editor is anchored to an edge of its cell's column, so it stays over its cell
// when the list scrolls sideways or a column is resized; it keeps the width it was made with.
// Editors of rows that leave the screen are hidden until their row comes back; the one holding
// the input focus only moves with its row, out of sight, so scrolling never takes the focus
// from it. dropEditors() hides the editors of removed rows for good and lets Qt
// delete them once the current event is done; their signals are blocked first, so a dropped
// editor never acts again.
#pragma once

#include "app/window/row_table_model.h"

#include <QTableView>

#include <cstdint>
#include <memory>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace tessaro::window {

class EditorTable : public QTableView {
    Q_OBJECT
public:
    explicit EditorTable(QWidget* parent);

    // New editors are made only while this is allowed; the window forbids it while a handler
    // runs, since making a row's editors creates its record in the workspace.
    void setEditorCreation(bool allowed) { creationAllowed_ = allowed; }
    void placeEditors();
    void dropEditors(const std::vector<std::uint64_t>& ids);

    // The editors of the row with `id`, left to right; empty when it has none.
    std::vector<QWidget*> editorsOf(std::uint64_t id) const;
    std::size_t rowsWithEditors() const { return editors_.size(); }

    // The selected row, and selecting one (or none).
    std::optional<int> selectedRow() const;
    void showSelection(std::optional<std::size_t> row);

protected:
    struct DeleteLater {
        void operator()(QWidget* editor) const;
    };
    using Editor = std::unique_ptr<QWidget, DeleteLater>;

    // Where an editor sits across its row: `offset` pixels right of the left or the right edge
    // of column `column`, wherever that edge is on screen.
    struct Anchor {
        enum class Edge { Left, Right };
        int column = 0;
        Edge edge = Edge::Left;
        int offset = 0;
    };
    struct PlacedEditor {
        Editor widget;
        Anchor anchor;
    };

    // Lets the mouse wheel over `editor` scroll the list unless the user has given the editor
    // the input focus (by a click or Tab; the wheel itself gives none): turning the wheel over
    // the list must not pick another item in a drop-down under the pointer (which would start a
    // lookup), as it does not on Windows.
    void passWheelToList(QWidget& editor);
    bool eventFilter(QObject* watched, QEvent* event) override;

    // Makes the editors of row `row` (id `id`), sized for a row `rowHeight` high and anchored
    // to their cells; none when the row cannot have them now. The list moves them into place.
    virtual std::vector<PlacedEditor> createEditors(int row, std::uint64_t id, int rowHeight) = 0;

    // Shows `model`, which the subclass owns.
    void setRowModel(RowTableModel& model);

    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void scrollContentsBy(int dx, int dy) override;
    bool viewportEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // Moves `editor` over its cell in the row whose top in the viewport is `rowTop`.
    void place(const PlacedEditor& editor, int rowTop) const;

    RowTableModel* model_ = nullptr;
    std::unordered_map<std::uint64_t, std::vector<PlacedEditor>> editors_;
    std::unordered_set<std::uint64_t> shown_;
    bool creationAllowed_ = true;
    double wheelRest_ = 0;  // wheel turned over editors, not yet a whole line
};

}  // namespace tessaro::window
