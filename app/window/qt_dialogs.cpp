#include "app/window/qt_dialogs.h"

#include "app/window/file_filters.h"
#include "app/window/qt_text.h"
#include "app/window/window_texts.h"

#include <QAbstractButton>
#include <QFileDialog>

namespace tessaro::window {
namespace {

// Whether file names tell letter cases apart, which decides how patterns are offered.
constexpr bool kCaseSensitiveNames =
#if defined(Q_OS_WIN) || defined(Q_OS_MACOS)
    false;
#else
    true;
#endif

// A file dialog set up from a request: filters (the first selected) and initial folder. An
// empty folder leaves the dialog's own default. The filters show their captions only, not
// the patterns that match both letter cases.
void prepare(QFileDialog& dialog, const FileDialogRequest& request) {
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    const QStringList filters = qtNameFilters(request.filter, kCaseSensitiveNames);
    dialog.setNameFilters(filters);
    if (!filters.isEmpty()) dialog.selectNameFilter(filters.front());
    if (!request.initialDir.empty()) dialog.setDirectory(qtPath(request.initialDir));
}

std::optional<std::filesystem::path> chosenFile(QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return pathOf(dialog.selectedFiles().front());
}

}  // namespace

std::unique_ptr<QMessageBox> messageBox(MessageKind kind, QWidget* parent, const QString& text) {
    const QMessageBox::Icon icon = kind == MessageKind::message ? QMessageBox::NoIcon
                                   : kind == MessageKind::error ? QMessageBox::Critical
                                                                : QMessageBox::Warning;
    const QMessageBox::StandardButtons buttons =
        kind == MessageKind::question ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::Ok;
    auto box = std::make_unique<QMessageBox>(icon, qtText(kProgramTitle), text, buttons, parent);
    // The clerk can select and copy what a message says (a path, the problems a check found).
    box->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    // The buttons speak the clerks' language, as a Chinese Windows' own message boxes do
    // (Qt's captions are English without a translation file).
    box->button(QMessageBox::Ok)->setText(QStringLiteral("確定"));
    if (QAbstractButton* cancel = box->button(QMessageBox::Cancel)) cancel->setText(QStringLiteral("取消"));
    return box;
}

void QtDialogs::message(QWidget* parent, const QString& text) { messageBox(MessageKind::message, parent, text)->exec(); }

void QtDialogs::error(QWidget* parent, const QString& text) { messageBox(MessageKind::error, parent, text)->exec(); }

bool QtDialogs::okCancel(QWidget* parent, const QString& text) {
    return messageBox(MessageKind::question, parent, text)->exec() == QMessageBox::Ok;
}

std::optional<std::filesystem::path> QtDialogs::openFile(QWidget* parent, const FileDialogRequest& request) {
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    prepare(dialog, request);
    return chosenFile(dialog);
}

std::optional<std::filesystem::path> QtDialogs::saveFile(QWidget* parent, const FileDialogRequest& request) {
    // Qt's save dialog asks before an existing file is replaced.
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    prepare(dialog, request);
    dialog.setDefaultSuffix(qtText(request.defaultExtension));
    if (!request.fileName.empty()) dialog.selectFile(qtText(request.fileName));
    return chosenFile(dialog);
}

}  // namespace tessaro::window
