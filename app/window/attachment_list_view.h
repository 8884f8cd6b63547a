// The attachment list `CattList`: kind, class and file of the selected case's attachments and,
// over each row on screen, the row's kind and class drop-downs and its file button "設定".
//
// The editors are bound to their row's id; their events leave here as signals carrying it.
// A path too long for the room left of its file button loses its middle, not its file name.
// Column "檔案" narrows by the vertical scroll bar's width while the bar is shown, so the
// columns fit the list without a horizontal bar whenever they fit it without the vertical one.
#pragma once

#include "app/window/editor_table.h"
#include "app/window/file_cell_delegate.h"
#include "app/window/list_models.h"
#include "app/window/window_texts.h"
#include "app/workspace/workspace.h"

namespace tessaro::window {

class AttachmentListView final : public EditorTable {
    Q_OBJECT
public:
    AttachmentListView(workspace::Workspace& workspace, QWidget* parent);
    ~AttachmentListView() override;

    AttachmentListModel& attachmentModel() { return attachments_; }

signals:
    void kindChosen(quint64 row, int item);
    void classChosen(quint64 row, int item);
    void fileButtonPressed(quint64 row);

protected:
    std::vector<PlacedEditor> createEditors(int row, std::uint64_t id, int rowHeight) override;
    bool viewportEvent(QEvent* event) override;

private:
    void fitFileColumn();

    workspace::Workspace& workspace_;
    AttachmentListModel attachments_;
    FileCellDelegate fileCells_;
    int fileColumnWidth_ = kAttachmentColumnWidths[2];
    bool fitting_ = false;
};

}  // namespace tessaro::window
