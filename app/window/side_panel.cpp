#include "app/window/side_panel.h"

#include "app/window/qt_text.h"
#include "app/window/window_texts.h"
#include "app/workspace/panel.h"

#include <QEvent>

#include <algorithm>

namespace tessaro::window {
namespace {

constexpr int kLabelGap = 3;  // between a box's caption and the box

template <typename Items>
void fill(QComboBox& box, const Items& items) {
    for (const auto item : items) box.addItem(qtText(item));
    box.setCurrentIndex(0);
}

QString helpText() {
    QStringList lines;
    for (const auto line : kHelpLines) lines << qtText(line);
    return lines.join(QLatin1Char('\n'));
}

}  // namespace

LabelledEdit::LabelledEdit(const QString& caption, QWidget* parent) : label(caption, parent), box(parent) {}

void LabelledEdit::place(int left, int top, int width, int height) {
    const int labelHeight = label.fontMetrics().height();
    label.setGeometry(left, top - kLabelGap - labelHeight, std::max(width, label.sizeHint().width()), labelHeight);
    box.setGeometry(left, top, width, height);
}

SidePanel::SidePanel(workspace::Workspace& workspace, QWidget* parent)
    : QFrame(parent),
      CattList(workspace, this),
      CattAdd(QStringLiteral("新增附加檔"), this),
      CattDel(QStringLiteral("刪除附加檔"), this),
      Cadd(QStringLiteral("新增案件"), this),
      Cdel(QStringLiteral("刪除案件"), this),
      CimportFile(QStringLiteral("匯入抽審明細檔"), this),
      CsaveSetting(QStringLiteral("儲存本抽審明細表"), this),
      CopenXMLfile(QStringLiteral("指定檔案"), this),
      ChospitalCode(QStringLiteral("醫事機構代碼"), this),
      CXMLfile(QStringLiteral("費用申報XML檔"), this),
      CINSUyyymm(QStringLiteral("費用年月"), this),
      Label1(QStringLiteral("上傳資料類別"), this),
      CuploadType(this),
      CINSUupdate(QStringLiteral("申報日期"), this),
      Label4(QStringLiteral("申報類別"), this),
      CINSUtype(this),
      Label5(helpText(), this),
      CmakeAudit(QStringLiteral("製作電子抽審檔"), this),
      Label2(QStringLiteral("流水號(每日重計)"), this),
      CtodayNo(this) {
    setObjectName(QStringLiteral("Panel1"));
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(1);
    setFixedWidth(kWidth);
    setMinimumHeight(kHeight);

    // Object names are the controls' names, so tests and style sheets find them.
    const std::pair<QWidget*, const char*> names[] = {
        {&CattList, "CattList"}, {&CattAdd, "CattAdd"}, {&CattDel, "CattDel"}, {&Cadd, "Cadd"}, {&Cdel, "Cdel"},
        {&CimportFile, "CimportFile"}, {&CsaveSetting, "CsaveSetting"}, {&CopenXMLfile, "CopenXMLfile"},
        {&ChospitalCode.box, "ChospitalCode"}, {&CXMLfile.box, "CXMLfile"}, {&CINSUyyymm.box, "CINSUyyymm"},
        {&Label1, "Label1"}, {&CuploadType, "CuploadType"}, {&CINSUupdate.box, "CINSUupdate"}, {&Label4, "Label4"},
        {&CINSUtype, "CINSUtype"}, {&Label5, "Label5"}, {&CmakeAudit, "CmakeAudit"}, {&Label2, "Label2"},
        {&CtodayNo, "CtodayNo"}};
    for (const auto& [widget, name] : names) widget->setObjectName(QLatin1String(name));

    // The header values come from the fee declaration or an import, never from the keyboard.
    ChospitalCode.box.setReadOnly(true);
    CINSUyyymm.box.setReadOnly(true);
    CINSUupdate.box.setReadOnly(true);
    fill(CuploadType, workspace::kUploadTypeItems);
    fill(CINSUtype, workspace::kInsuTypeItems);

    QPalette white = CattList.palette();
    white.setColor(QPalette::Base, Qt::white);
    CattList.setPalette(white);

    placeControls();
    underTheControls();
}

// The captions and the help text only show text, and in the window's fonts a caption's box
// may reach over a control beside it ("費用申報XML檔" over the lower part of "指定檔案",
// "申報日期" over the bottom of "費用年月"). They lie beneath every control and let the mouse
// through, so a control is drawn whole and takes a click anywhere on its face.
void SidePanel::underTheControls() {
    for (QLabel* label : findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
        label->lower();
    }
}

// Places, relative to the panel, in pixels at 96 dots per inch.
void SidePanel::placeControls() {
    CattList.setGeometry(1, 1, 401, 152);
    CattAdd.setGeometry(157, 157, 76, 20);
    CattDel.setGeometry(285, 157, 76, 20);
    Cadd.setGeometry(13, 181, 76, 20);
    Cdel.setGeometry(13, 221, 76, 20);
    CimportFile.setGeometry(115, 221, 118, 20);
    CsaveSetting.setGeometry(255, 221, 118, 20);
    CopenXMLfile.setGeometry(112, 273, 97, 25);
    ChospitalCode.place(296, 274, 81, 23);
    CXMLfile.place(14, 304, 267, 23);
    CINSUyyymm.place(296, 320, 81, 23);
    Label1.setGeometry(42, 339, 78, 15);
    CuploadType.setGeometry(124, 336, 103, CuploadType.sizeHint().height());
    CINSUupdate.place(296, 362, 81, 23);
    Label4.setGeometry(64, 365, 51, 16);
    CINSUtype.setGeometry(125, 363, 103, CINSUtype.sizeHint().height());
    placeHelpText();
    CmakeAudit.setGeometry(176, 584, 185, 37);
    Label2.setGeometry(13, 600, 100, 15);
    CtodayNo.setGeometry(110, 598, 53, 24);

    // A caption in a wider font than the window was drawn for grows to the right, never cut.
    for (QLabel* label : {&Label1, &Label4, &Label2}) {
        const QRect place = label->geometry();
        label->resize(std::max(place.width(), label->sizeHint().width()), std::max(place.height(), label->sizeHint().height()));
    }
}

void SidePanel::changeEvent(QEvent* event) {
    QFrame::changeEvent(event);
    if (event->type() == QEvent::FontChange) placeControls();
}

// The help text's box is 299 x 203 at (22, 390), between the drop-downs above it and the
// sequence number below. A font with wider letters than the window was drawn for widens it to
// the right, up to the panel's edge; taller lines are drawn closer together (HelpText).
void SidePanel::placeHelpText() {
    const QRect place(22, 390, 299, 203);
    const int width = std::min(std::max(place.width(), Label5.sizeHint().width()), kWidth - 2 - place.left());
    Label5.setGeometry(place.left(), place.top(), width, place.height());
}

}  // namespace tessaro::window
