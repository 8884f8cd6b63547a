// The case list `CauditList`: seven columns of text and, over each row on screen, the row's
// category editor (a drop-down of the category codes) and serial editor.
//
// The editors are bound to their row's id. Their events leave here as signals carrying that
// id; the window forwards them to the workspace.
#pragma once

#include "app/window/editor_table.h"
#include "app/window/list_models.h"
#include "app/workspace/workspace.h"

namespace tessaro::window {

class CaseListView final : public EditorTable {
    Q_OBJECT
public:
    CaseListView(workspace::Workspace& workspace, QWidget* parent);

    ~CaseListView() override;

    CaseListModel& caseModel() { return cases_; }

signals:
    void categoryChosen(quint64 row, int item);
    void serialEdited(quint64 row, const QString& text);
    void serialCharacter(quint64 row, QChar character);
    void serialLeft(quint64 row);
    // A click on a row that did not move the selection (a click that moved it is a selection
    // change).
    void rowClickedAgain();

protected:
    std::vector<PlacedEditor> createEditors(int row, std::uint64_t id, int rowHeight) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    workspace::Workspace& workspace_;
    CaseListModel cases_;
    bool pressMovedSelection_ = false;
};

}  // namespace tessaro::window
