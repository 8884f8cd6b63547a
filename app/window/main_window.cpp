#include "app/window/main_window.h"

#include "app/window/qt_text.h"
#include "app/window/window_fonts.h"
#include "app/window/window_placement.h"
#include "app/window/window_texts.h"
#include "app/workspace/handler_boundary.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QScreen>
#include <QScrollBar>
#include <QWindow>

#include <optional>
#include <utility>

namespace tessaro::window {
namespace {

// The background of the case list: the colour Windows gives an inactive caption's gradient.
const QColor kCaseListBackground(215, 228, 242);

template <typename Id>
std::vector<std::uint64_t> idValues(const std::vector<Id>& ids) {
    std::vector<std::uint64_t> values;
    values.reserve(ids.size());
    for (const Id& id : ids) values.push_back(id.value);
    return values;
}

std::optional<std::size_t> rowIndex(std::optional<int> row) {
    return row ? std::optional<std::size_t>(static_cast<std::size_t>(*row)) : std::nullopt;
}

std::optional<std::size_t> itemIndex(int item) {
    return item >= 0 ? std::optional<std::size_t>(static_cast<std::size_t>(item)) : std::nullopt;
}

void setTextIfChanged(QLineEdit& box, const std::string& text) {
    const QString shown = qtText(text);
    if (box.text() != shown) box.setText(shown);
}

// Row height of a list: room for the list font's line and for the drop-downs over it.
int rowHeightFor(const QFont& font) { return QFontMetrics(font).height() + 8; }

// A list whose selected row stays plainly marked while another control has the focus.
void keepSelectionVisible(QWidget& list, const QColor* background) {
    QPalette palette = list.palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight, palette.color(QPalette::Active, QPalette::Highlight));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     palette.color(QPalette::Active, QPalette::HighlightedText));
    if (background != nullptr) palette.setColor(QPalette::Base, *background);
    list.setPalette(palette);
}

}  // namespace

TFVPNTessaro::TFVPNTessaro(WindowDialogs& dialogs, std::string appPath, QWidget* parent)
    : QWidget(parent),
      port_(dialogs, *this,
            {[this] { letPendingMessagesRun(); }, [this](const Progress& progress) { progress_.report(progress); }}),
      workspace_(port_, std::move(appPath)),
      layout_(this),
      caseList_(workspace_, this),
      progress_(this),
      panelArea_(this),
      panel_(workspace_, this) {
    setObjectName(QStringLiteral("FVPNTessaro"));
    caseList_.setObjectName(QStringLiteral("CauditList"));
    setWindowTitle(qtText(kProgramTitle));
    arrange();
    wireEvents();
    setFocusOrder();
    refresh();
}

TFVPNTessaro::~TFVPNTessaro() {
    // Widgets going away (an editor losing the focus, a list its selection) act on nothing.
    for (QObject* child : findChildren<QObject*>()) QObject::disconnect(child, nullptr, this, nullptr);
    workspace_.FormDestroy();
}

// The case list fills the window up to the panel and takes every change of the window's
// width; the panel keeps its 403 pixels and its controls their places. A window lower than
// the panel scrolls the panel, its scroll bar beside it.
void TFVPNTessaro::arrange() {
    const WindowFonts fonts = windowFonts();
    setFont(fonts.window);
    caseList_.setFont(fonts.lists);
    panel_.CattList.setFont(fonts.lists);
    for (EditorTable* list : {static_cast<EditorTable*>(&caseList_), static_cast<EditorTable*>(&panel_.CattList)})
        list->verticalHeader()->setDefaultSectionSize(rowHeightFor(fonts.lists));
    keepSelectionVisible(caseList_, &kCaseListBackground);
    keepSelectionVisible(panel_.CattList, nullptr);

    // No size constraint on the window: it may be made smaller than its contents (the panel
    // then scrolls), as any window may.
    layout_.setSizeConstraint(QLayout::SetNoConstraint);
    layout_.setContentsMargins(0, 0, 0, 0);
    layout_.setSpacing(0);
    left_.setContentsMargins(0, 0, 0, 0);
    left_.setSpacing(0);
    left_.addWidget(&caseList_, 1);
    left_.addWidget(&progress_);
    layout_.addLayout(&left_, 1);

    panelArea_.setFrameShape(QFrame::NoFrame);
    panelArea_.setFocusPolicy(Qt::NoFocus);
    panelArea_.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    panelArea_.setWidgetResizable(true);
    panelArea_.setFixedWidth(SidePanel::kWidth);
    panelArea_.setWidget(&panel_);
    layout_.addWidget(&panelArea_);
    // The panel's vertical scroll bar goes beside the panel, taking its width from the case
    // list, rather than over the panel's right edge.
    const QScrollBar& bar = *panelArea_.verticalScrollBar();
    connect(&bar, &QScrollBar::rangeChanged, this, [this, &bar](int min, int max) {
        panelArea_.setFixedWidth(SidePanel::kWidth + (max > min ? bar.sizeHint().width() : 0));
    });

    resize(kClientWidth, kClientHeight);
}

// The window is placed as it is first shown: its native window exists by then, so the size of
// its frame is known (on Windows; X11 tells it only once the window is mapped), and it is not
// yet on the screen.
void TFVPNTessaro::showEvent(QShowEvent* event) {
    if (!placed_) {
        placed_ = true;
        const QMargins frame = windowHandle() != nullptr ? windowHandle()->frameMargins() : QMargins();
        if (const QScreen* screen = this->screen())
            setGeometry(centredPlacement(screen->availableGeometry(), size(), frame));
    }
    QWidget::showEvent(event);
}

void TFVPNTessaro::wireEvents() {
    const auto press = [this](QPushButton& button, void (workspace::Workspace::*handler)()) {
        connect(&button, &QPushButton::clicked, this, [this, handler] { forward([this, handler] { (workspace_.*handler)(); }); });
    };
    press(panel_.Cadd, &workspace::Workspace::CaddClick);
    press(panel_.Cdel, &workspace::Workspace::CdelClick);
    press(panel_.CattAdd, &workspace::Workspace::CattAddClick);
    press(panel_.CattDel, &workspace::Workspace::CattDelClick);
    press(panel_.CopenXMLfile, &workspace::Workspace::CopenXMLfileClick);
    press(panel_.CsaveSetting, &workspace::Workspace::CsaveSettingClick);
    // The two long operations.
    connect(&panel_.CimportFile, &QPushButton::clicked, this,
            [this] { forwardLong([this] { workspace_.CimportFileClick(); }); });
    connect(&panel_.CmakeAudit, &QPushButton::clicked, this,
            [this] { forwardLong([this] { workspace_.CmakeAuditClick(); }); });
    wireCaseList();
    wireAttachmentList();
}

void TFVPNTessaro::wireCaseList() {
    using workspace::CaseRowId;
    connect(&caseList_, &CaseListView::categoryChosen, this, [this](quint64 row, int item) {
        forward([this, row, item] {
            workspace_.chooseCategory(CaseRowId{row}, itemIndex(item));
            workspace_.D1Change(CaseRowId{row});
        });
    });
    // Storing the serial's text is no handler: nothing else changes, nothing to show.
    connect(&caseList_, &CaseListView::serialEdited, this, [this](quint64 row, const QString& text) {
        if (!handlerRunning_) workspace_.typeSerial(CaseRowId{row}, utf8Text(text));
    });
    connect(&caseList_, &CaseListView::serialCharacter, this, [this](quint64 row, QChar character) {
        forward([this, row, character] { workspace_.SNnoKeyPress(CaseRowId{row}, character.unicode()); });
    });
    connect(&caseList_, &CaseListView::serialLeft, this,
            [this](quint64 row) { forward([this, row] { workspace_.D1Change(CaseRowId{row}); }); });
    connect(&caseList_, &CaseListView::rowClickedAgain, this,
            [this] { forward([this] { workspace_.CauditListClick(); }); });
    connect(caseList_.selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { caseSelectionChanged(); });
}

void TFVPNTessaro::wireAttachmentList() {
    using workspace::AttachmentRowId;
    AttachmentListView& list = panel_.CattList;
    connect(&list, &AttachmentListView::kindChosen, this, [this](quint64 row, int item) {
        forward([this, row, item] {
            workspace_.chooseKind(AttachmentRowId{row}, itemIndex(item));
            workspace_.sTypeChange(AttachmentRowId{row});
        });
    });
    connect(&list, &AttachmentListView::classChosen, this, [this](quint64 row, int item) {
        forward([this, row, item] {
            workspace_.chooseContentClass(AttachmentRowId{row}, itemIndex(item));
            workspace_.sContentChange(AttachmentRowId{row});
        });
    });
    connect(&list, &AttachmentListView::fileButtonPressed, this,
            [this](quint64 row) { forward([this, row] { workspace_.getAttfile(AttachmentRowId{row}); }); });
    connect(list.selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { attachmentSelectionChanged(); });
}

// The case list first, then the panel's controls in their order.
void TFVPNTessaro::setFocusOrder() {
    SidePanel& p = panel_;
    QWidget* const order[] = {&caseList_,   &p.CimportFile,       &p.CINSUtype,      &p.CmakeAudit,    &p.CsaveSetting,
                              &p.CuploadType, &p.CXMLfile.box,    &p.CopenXMLfile,   &p.Cadd,          &p.Cdel,
                              &p.CattList,  &p.CattAdd,           &p.CattDel,        &p.CtodayNo,      &p.ChospitalCode.box,
                              &p.CINSUyyymm.box, &p.CINSUupdate.box};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);
}

// Runs one handler; see the file comment. A handler never starts while another runs (the
// user could only reach one from a message box's own event loop).
void TFVPNTessaro::forward(const std::function<void()>& handler) {
    if (handlerRunning_) return;
    readPanel();
    handlerRunning_ = true;
    caseList_.setEditorCreation(false);
    panel_.CattList.setEditorCreation(false);
    workspace::runHandler(port_, handler);
    handlerRunning_ = false;
    caseList_.setEditorCreation(true);
    panel_.CattList.setEditorCreation(true);
    refresh();
    if (closeRequested_) close();
}

void TFVPNTessaro::forwardLong(const std::function<void()>& handler) {
    if (handlerRunning_) return;
    caseList_.setEnabled(false);
    panelArea_.setEnabled(false);
    progress_.begin();
    forward(handler);
    progress_.end();
    caseList_.setEnabled(true);
    panelArea_.setEnabled(true);
}

void TFVPNTessaro::refresh() {
    const bool outer = !std::exchange(viewSyncing_, true);
    caseList_.dropEditors(idValues(workspace_.cases().takeReleased()));
    panel_.CattList.dropEditors(idValues(workspace_.attachments().takeReleased()));
    caseList_.caseModel().sync(caseList_.caseModel().workspaceIds());
    panel_.CattList.attachmentModel().sync(panel_.CattList.attachmentModel().workspaceIds());
    caseList_.showSelection(workspace_.cases().selected());
    panel_.CattList.showSelection(workspace_.attachments().selected());
    caseList_.placeEditors();
    panel_.CattList.placeEditors();
    showPanel();
    if (outer) viewSyncing_ = false;
}

// The panel's boxes and choosers as the user left them, for the handler to read.
void TFVPNTessaro::readPanel() {
    workspace::Panel& values = workspace_.panel();
    values.CXMLfile = utf8Text(panel_.CXMLfile.box.text());
    values.CuploadType = static_cast<std::size_t>(std::max(panel_.CuploadType.currentIndex(), 0));
    values.CINSUtype = static_cast<std::size_t>(std::max(panel_.CINSUtype.currentIndex(), 0));
    values.CtodayNo = panel_.CtodayNo.settledValue();
}

void TFVPNTessaro::showPanel() {
    const workspace::Panel& values = workspace_.panel();
    setTextIfChanged(panel_.CXMLfile.box, values.CXMLfile);
    setTextIfChanged(panel_.ChospitalCode.box, values.ChospitalCode);
    setTextIfChanged(panel_.CINSUyyymm.box, values.CINSUyyymm);
    setTextIfChanged(panel_.CINSUupdate.box, values.CINSUupdate);
    panel_.CuploadType.setCurrentIndex(static_cast<int>(values.CuploadType));
    panel_.CINSUtype.setCurrentIndex(static_cast<int>(values.CINSUtype));
    if (!panel_.CtodayNo.hasFocus()) panel_.CtodayNo.setValue(values.CtodayNo);
}

// A fixed point of a long operation: the lists show where it stands, the window repaints and
// takes its pending events; the user's input finds every control disabled.
void TFVPNTessaro::letPendingMessagesRun() {
    refresh();
    QCoreApplication::processEvents();
}

// The attachment list follows the selected case, whether the mouse or the keyboard moved the
// selection.
void TFVPNTessaro::caseSelectionChanged() {
    if (viewSyncing_ || handlerRunning_) return;
    workspace_.cases().select(rowIndex(caseList_.selectedRow()));
    forward([this] { workspace_.CauditListClick(); });
}

void TFVPNTessaro::attachmentSelectionChanged() {
    if (viewSyncing_ || handlerRunning_) return;
    workspace_.attachments().select(rowIndex(panel_.CattList.selectedRow()));
}

void TFVPNTessaro::closeEvent(QCloseEvent* event) {
    if (handlerRunning_) {
        closeRequested_ = true;
        progress_.setNote(QStringLiteral("完成後將關閉視窗"));
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

}  // namespace tessaro::window
