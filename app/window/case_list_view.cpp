#include "app/window/case_list_view.h"

#include "app/window/qt_text.h"
#include "app/window/serial_editor.h"
#include "app/window/window_texts.h"

#include <QComboBox>
#include <QMouseEvent>

namespace tessaro::window {
namespace {

// The case list starts at the window's left edge: its editors take 0 as their left offset.
constexpr int kListLeft = 0;

}  // namespace

CaseListView::CaseListView(workspace::Workspace& workspace, QWidget* parent)
    : EditorTable(parent), workspace_(workspace), cases_(workspace.cases(), this) {
    setRowModel(cases_);
    for (std::size_t column = 0; column < kCaseColumnWidths.size(); ++column)
        setColumnWidth(static_cast<int>(column), kCaseColumnWidths[column]);
}

// The model goes before the view does.
CaseListView::~CaseListView() { setModel(nullptr); }

std::vector<EditorTable::PlacedEditor> CaseListView::createEditors(int row, std::uint64_t id, int rowHeight) {
    const auto index = static_cast<std::size_t>(row);
    if (index >= workspace_.cases().size() || workspace_.cases()[index].id.value != id) return {};
    const workspace::CaseRowId rowId = workspace_.caseRowDrawn(index);
    const workspace::CaseRecord& record = *workspace_.cases()[index].record;
    const int w1 = columnWidth(0);
    const int w2 = columnWidth(1);

    auto category = std::make_unique<QComboBox>(viewport());
    for (const std::string& code : workspace_.values().D1strings) category->addItem(qtText(code));
    category->setCurrentIndex(record.category ? static_cast<int>(*record.category) : -1);
    category->resize(w1 - 10, rowHeight - 2);
    passWheelToList(*category);
    connect(category.get(), &QComboBox::activated, this,
            [this, rowId](int item) { emit categoryChosen(rowId.value, item); });

    auto serial = std::make_unique<SerialEditor>(viewport());
    serial->setText(qtText(record.serial));
    serial->resize(w2 + 2, rowHeight + 2);
    connect(serial.get(), &QLineEdit::textEdited, this,
            [this, rowId](const QString& text) { emit serialEdited(rowId.value, text); });
    connect(serial.get(), &SerialEditor::characterTyped, this,
            [this, rowId](QChar character) { emit serialCharacter(rowId.value, character); });
    connect(serial.get(), &SerialEditor::left, this, [this, rowId] { emit serialLeft(rowId.value); });

    // The drop-down at the first column's left edge, the serial box from two pixels left of
    // the second column's.
    std::vector<PlacedEditor> editors;
    editors.push_back({Editor(category.release()), {0, Anchor::Edge::Left, kListLeft}});
    editors.push_back({Editor(serial.release()), {1, Anchor::Edge::Left, kListLeft - 2}});
    return editors;
}

void CaseListView::mousePressEvent(QMouseEvent* event) {
    const auto before = selectedRow();
    EditorTable::mousePressEvent(event);
    pressMovedSelection_ = selectedRow() != before;
}

void CaseListView::mouseReleaseEvent(QMouseEvent* event) {
    EditorTable::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && !pressMovedSelection_ && indexAt(event->position().toPoint()).isValid())
        emit rowClickedAgain();
}

}  // namespace tessaro::window
