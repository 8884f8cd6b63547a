// The fixed-width panel `Panel1` at the window's right edge: the attachment list, the case
// and attachment buttons, the fee declaration box and its header values, the upload options,
// the help text, the daily sequence number and the production button, each at its place.
//
// The panel only holds and places the controls; the window wires their events.
#pragma once

#include "app/window/attachment_list_view.h"
#include "app/window/help_text.h"
#include "app/window/sequence_spin_box.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tessaro::window {

// An edit box with its caption directly above it, left-aligned with it.
struct LabelledEdit {
    LabelledEdit(const QString& caption, QWidget* parent);
    void place(int left, int top, int width, int height);

    QLabel label;
    QLineEdit box;
};

class SidePanel final : public QFrame {
    Q_OBJECT
public:
    static constexpr int kWidth = 403;
    static constexpr int kHeight = 642;

    SidePanel(workspace::Workspace& workspace, QWidget* parent);

    AttachmentListView CattList;
    QPushButton CattAdd;
    QPushButton CattDel;
    QPushButton Cadd;
    QPushButton Cdel;
    QPushButton CimportFile;
    QPushButton CsaveSetting;
    QPushButton CopenXMLfile;
    LabelledEdit ChospitalCode;
    LabelledEdit CXMLfile;
    LabelledEdit CINSUyyymm;
    QLabel Label1;
    QComboBox CuploadType;
    LabelledEdit CINSUupdate;
    QLabel Label4;
    QComboBox CINSUtype;
    HelpText Label5;
    QPushButton CmakeAudit;
    QLabel Label2;
    SequenceSpinBox CtodayNo;

protected:
    void changeEvent(QEvent* event) override;

private:
    void placeControls();
    void placeHelpText();
    void underTheControls();
};

}  // namespace tessaro::window
