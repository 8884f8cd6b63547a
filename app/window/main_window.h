// The program's one window `FVPNTessaro`: the case list on the left, filling the window, and
// the fixed-width panel on the right.
//
// The window owns widgets only. Each widget event goes to its workspace handler through
// forward(): the panel's values are handed to the workspace, the handler runs inside the
// handler boundary (errors become the standard error report), and the window then shows what
// changed: rows added or removed, cells, the selection, the header boxes, and the editors of
// the rows on screen (created for rows that have none, moved for the others, hidden for good
// for rows that went).
//
// Long operations (a production run, an import) run the same way, on this thread, with the
// lists and the panel disabled and a progress display shown; the workspace lets pending
// messages run at its fixed points, where the window repaints, moves the progress display and
// takes no user input. Closing the window while a handler runs waits until it has returned,
// so no package is ever left half-written.
#pragma once

#include "app/window/case_list_view.h"
#include "app/window/progress_display.h"
#include "app/window/side_panel.h"
#include "app/window/window_port.h"
#include "app/workspace/workspace.h"

#include <QHBoxLayout>
#include <QScrollArea>
#include <QVBoxLayout>
#include <QWidget>

#include <functional>
#include <string>

namespace tessaro::window {

class TFVPNTessaro final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 1071;
    static constexpr int kClientHeight = 642;

    // A window for a program living in `appPath`, showing its dialogs with `dialogs`.
    TFVPNTessaro(WindowDialogs& dialogs, std::string appPath, QWidget* parent = nullptr);
    ~TFVPNTessaro() override;

    workspace::Workspace& workspace() { return workspace_; }
    CaseListView& caseList() { return caseList_; }
    SidePanel& panel() { return panel_; }
    const ProgressDisplay& progress() const { return progress_; }
    // Whether a handler is running (then no other starts and closing waits).
    bool handlerRunning() const { return handlerRunning_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    // The first showing centres the window on its screen, shrunk to fit (window_placement.h).
    void showEvent(QShowEvent* event) override;

private:
    void arrange();
    void wireEvents();
    void wireCaseList();
    void wireAttachmentList();
    void setFocusOrder();

    void forward(const std::function<void()>& handler);
    void forwardLong(const std::function<void()>& handler);
    void refresh();
    void readPanel();
    void showPanel();
    void letPendingMessagesRun();
    void caseSelectionChanged();
    void attachmentSelectionChanged();

    WindowPort port_;
    workspace::Workspace workspace_;
    QHBoxLayout layout_;
    QVBoxLayout left_;
    CaseListView caseList_;
    ProgressDisplay progress_;
    QScrollArea panelArea_;  // before the panel: the panel leaves it before it goes
    SidePanel panel_;
    bool handlerRunning_ = false;
    bool viewSyncing_ = false;
    bool closeRequested_ = false;
    bool placed_ = false;
};

}  // namespace tessaro::window
