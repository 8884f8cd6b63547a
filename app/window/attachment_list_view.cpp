#include "app/window/attachment_list_view.h"

#include "app/window/qt_text.h"
#include "app/window/window_texts.h"
#include "app/workspace/attachment_text.h"

#include <QComboBox>
#include <QEvent>
#include <QHeaderView>
#include <QPushButton>

namespace tessaro::window {
namespace {

// The attachment list sits inside the panel's one-pixel border: its editors take 1 as their
// left offset.
constexpr int kListLeft = 1;
constexpr int kFileButtonWidth = 50;

template <typename Items>
std::unique_ptr<QComboBox> chooser(QWidget* parent, const Items& items, std::optional<std::size_t> selected) {
    auto box = std::make_unique<QComboBox>(parent);
    for (const auto item : items) box->addItem(qtText(item));
    box->setCurrentIndex(selected ? static_cast<int>(*selected) : -1);
    return box;
}

}  // namespace

AttachmentListView::AttachmentListView(workspace::Workspace& workspace, QWidget* parent)
    : EditorTable(parent),
      workspace_(workspace),
      attachments_(workspace.attachments(), this),
      fileCells_(kFileButtonWidth - kListLeft, this) {
    setRowModel(attachments_);
    setItemDelegateForColumn(2, &fileCells_);
    for (std::size_t column = 0; column < kAttachmentColumnWidths.size(); ++column)
        setColumnWidth(static_cast<int>(column), kAttachmentColumnWidths[column]);
    // The width the file column is given, by this list or by the user dragging its border.
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int column, int, int width) {
        if (column == 2 && !fitting_) fileColumnWidth_ = width;
    });
}

// The model goes before the view does.
AttachmentListView::~AttachmentListView() { setModel(nullptr); }

std::vector<EditorTable::PlacedEditor> AttachmentListView::createEditors(int row, std::uint64_t id, int rowHeight) {
    const auto index = static_cast<std::size_t>(row);
    if (index >= workspace_.attachments().size() || workspace_.attachments()[index].id.value != id) return {};
    const workspace::AttachmentRowId rowId = workspace_.attachmentRowDrawn(index);
    const workspace::AttachmentRecord& record = *workspace_.attachments()[index].record;
    const int w1 = columnWidth(0);
    const int w2 = columnWidth(1);

    auto kind = chooser(viewport(), workspace::kAttachmentKinds, record.kind);
    kind->resize(w1 - 2, rowHeight - 2);
    passWheelToList(*kind);
    connect(kind.get(), &QComboBox::activated, this, [this, rowId](int item) { emit kindChosen(rowId.value, item); });

    auto contentClass = chooser(viewport(), workspace::kContentClassLabels, record.contentClass);
    contentClass->resize(w2 - 2, rowHeight - 2);
    passWheelToList(*contentClass);
    connect(contentClass.get(), &QComboBox::activated, this,
            [this, rowId](int item) { emit classChosen(rowId.value, item); });

    auto button = std::make_unique<QPushButton>(qtText(kFileButtonCaption), viewport());
    button->resize(kFileButtonWidth, rowHeight + 2);
    connect(button.get(), &QPushButton::clicked, this, [this, rowId] { emit fileButtonPressed(rowId.value); });

    // The drop-downs from their columns' left edges, the file button ending at column "檔案"'s
    // right edge (each one pixel further right, as the list sits inside the panel's border).
    std::vector<PlacedEditor> editors;
    editors.push_back({Editor(kind.release()), {0, Anchor::Edge::Left, kListLeft}});
    editors.push_back({Editor(contentClass.release()), {1, Anchor::Edge::Left, kListLeft}});
    editors.push_back({Editor(button.release()), {2, Anchor::Edge::Right, kListLeft - kFileButtonWidth}});
    return editors;
}

bool AttachmentListView::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::Resize) fitFileColumn();
    return EditorTable::viewportEvent(event);
}

// The list is as wide as the columns and the file buttons: when the vertical scroll bar takes
// its part of that width, column "檔案" gives it up rather than bring a horizontal bar for a few
// pixels. Columns the user made wider than the list keep their widths and scroll.
void AttachmentListView::fitFileColumn() {
    const int taken = contentsRect().width() - viewport()->width();  // by the vertical bar
    const int lacking = kListLeft + columnWidth(0) + columnWidth(1) + fileColumnWidth_ - viewport()->width();
    const int width = lacking > 0 && lacking <= taken ? fileColumnWidth_ - lacking : fileColumnWidth_;
    if (width == columnWidth(2)) return;
    fitting_ = true;
    setColumnWidth(2, width);
    fitting_ = false;
}

}  // namespace tessaro::window
