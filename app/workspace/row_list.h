// The rows of one list of the window, each with an identity of its own.
//
// A row gets an id when it is added; ids are never reused. Everything that must keep
// pointing at one row while rows above it come and go (an in-place editor, the selection,
// the case whose attachments are being edited) holds the id, not the row's index.
//
// A row's record (the state of its in-place editors) lives inside the row: it is created
// when the view first draws the row, or at once by an import; it moves with its row; and it
// is released with the row. The ids of released records queue up until the view takes them
// and hides those editors for good.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace tessaro::workspace {

// The identity of a row of the list tagged `Tag`.
template <typename Tag>
struct RowId {
    std::uint64_t value = 0;
    bool operator==(const RowId&) const = default;
};

// `Row` has a member `id` of its RowId type and a member `record` (a std::optional).
template <typename Row>
class RowList {
public:
    using Id = decltype(Row::id);

    std::size_t size() const { return rows_.size(); }
    bool empty() const { return rows_.empty(); }
    Row& operator[](std::size_t index) { return rows_.at(index); }
    const Row& operator[](std::size_t index) const { return rows_.at(index); }

    std::optional<std::size_t> indexOf(Id id) const {
        const auto it = std::find_if(rows_.begin(), rows_.end(), [&](const Row& row) { return row.id == id; });
        if (it == rows_.end()) return std::nullopt;
        return static_cast<std::size_t>(it - rows_.begin());
    }

    // Adds `row` before position `index` (at the end when `index` is past it); gives its id.
    Id insert(std::size_t index, Row row) {
        row.id = Id{nextId_++};
        row.record.reset();
        const Id id = row.id;
        rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(std::min(index, rows_.size())), std::move(row));
        return id;
    }
    Id append(Row row) { return insert(rows_.size(), std::move(row)); }

    // Removes a row and releases its record; the rows after it move up by one.
    void remove(std::size_t index) {
        if (index >= rows_.size()) return;
        release(rows_[index]);
        if (selected_ == rows_[index].id) selected_.reset();
        rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(index));
    }

    void clear() {
        for (Row& row : rows_) release(row);
        rows_.clear();
        selected_.reset();
    }

    // The selected row (at most one).
    std::optional<std::size_t> selected() const { return selected_ ? indexOf(*selected_) : std::nullopt; }
    std::optional<Id> selectedId() const { return selected_; }
    void select(std::optional<std::size_t> index) {
        selected_.reset();
        if (index && *index < rows_.size()) selected_ = rows_[*index].id;
    }

    // Rows whose records were released since the last call: their editors are to be hidden.
    std::vector<Id> takeReleased() { return std::exchange(released_, {}); }

private:
    void release(Row& row) {
        if (!row.record) return;
        row.record.reset();
        released_.push_back(row.id);
    }

    std::vector<Row> rows_;
    std::optional<Id> selected_;
    std::vector<Id> released_;
    std::uint64_t nextId_ = 1;
};

}  // namespace tessaro::workspace
