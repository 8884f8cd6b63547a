#include "app/window/attachment_list_view.h"

#include "app/window/qt_text.h"
#include "app/window/window_texts.h"
#include "app/workspace/attachment_text.h"

#include <QComboBox>
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
    : EditorTable(parent), workspace_(workspace), attachments_(workspace.attachments(), this) {
    setRowModel(attachments_);
    for (std::size_t column = 0; column < kAttachmentColumnWidths.size(); ++column)
        setColumnWidth(static_cast<int>(column), kAttachmentColumnWidths[column]);
}

// The model goes before the view does.
AttachmentListView::~AttachmentListView() { setModel(nullptr); }

std::vector<EditorTable::Editor> AttachmentListView::createEditors(int row, std::uint64_t id, int rowTop,
                                                                   int rowHeight) {
    const auto index = static_cast<std::size_t>(row);
    if (index >= workspace_.attachments().size() || workspace_.attachments()[index].id.value != id) return {};
    const workspace::AttachmentRowId rowId = workspace_.attachmentRowDrawn(index);
    const workspace::AttachmentRecord& record = *workspace_.attachments()[index].record;
    const int w1 = columnWidth(0);
    const int w2 = columnWidth(1);
    const int w3 = columnWidth(2);

    auto kind = chooser(viewport(), workspace::kAttachmentKinds, record.kind);
    kind->setGeometry(kListLeft, rowTop - 1, w1 - 2, rowHeight - 2);
    passWheelToList(*kind);
    connect(kind.get(), &QComboBox::activated, this, [this, rowId](int item) { emit kindChosen(rowId.value, item); });

    auto contentClass = chooser(viewport(), workspace::kContentClassLabels, record.contentClass);
    contentClass->setGeometry(kListLeft + w1, rowTop - 1, w2 - 2, rowHeight - 2);
    passWheelToList(*contentClass);
    connect(contentClass.get(), &QComboBox::activated, this,
            [this, rowId](int item) { emit classChosen(rowId.value, item); });

    auto button = std::make_unique<QPushButton>(qtText(kFileButtonCaption), viewport());
    button->setGeometry(kListLeft + w1 + w2 + w3 - kFileButtonWidth, rowTop - 1, kFileButtonWidth, rowHeight + 2);
    connect(button.get(), &QPushButton::clicked, this, [this, rowId] { emit fileButtonPressed(rowId.value); });

    std::vector<Editor> editors;
    editors.emplace_back(kind.release());
    editors.emplace_back(contentClass.release());
    editors.emplace_back(button.release());
    return editors;
}

}  // namespace tessaro::window
