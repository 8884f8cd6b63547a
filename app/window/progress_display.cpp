#include "app/window/progress_display.h"

#include "app/window/qt_text.h"

#include <algorithm>
#include <climits>

namespace tessaro::window {

ProgressDisplay::ProgressDisplay(QWidget* parent)
    : QFrame(parent), layout_(this), caseText_(this), fileText_(this), bar_(this), note_(this) {
    setFrameShape(QFrame::StyledPanel);
    layout_.setContentsMargins(6, 4, 6, 4);
    layout_.addWidget(&caseText_, 0, 0);
    layout_.addWidget(&fileText_, 0, 1);
    layout_.addWidget(&bar_, 1, 0, 1, 2);
    layout_.addWidget(&note_, 2, 0, 1, 2);
    layout_.setColumnStretch(1, 1);
    fileText_.setMinimumWidth(0);
    fileText_.setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    bar_.setTextVisible(false);
    note_.hide();
    hide();
}

void ProgressDisplay::begin() {
    caseText_.clear();
    file_.clear();
    fileText_.clear();
    note_.clear();
    note_.hide();
    sincePaint_.invalidate();
    show();
    bar_.setRange(0, 1);
    bar_.setValue(0);
}

void ProgressDisplay::report(const Progress& progress) {
    const int total = static_cast<int>(std::min<std::size_t>(progress.total, INT_MAX));
    const int current = static_cast<int>(std::min<std::size_t>(progress.current, INT_MAX));
    caseText_.setText(QStringLiteral("第 %1 筆 / 共 %2 筆").arg(current).arg(total));
    file_ = qtText(progress.file);
    showFile();
    // The bar moves by cases, up to the one being worked on; its files move the text only.
    bar_.setRange(0, std::max(total, 1));
    bar_.setValue(std::clamp(current, 0, std::max(total, 1)));
    // Shown at once, not only when the operation next lets pending messages run; a repaint
    // handles no input. At most every 50 ms, so thousands of reports cost little.
    if (!sincePaint_.isValid() || sincePaint_.elapsed() >= 50) {
        repaint();
        sincePaint_.start();
    }
}

void ProgressDisplay::setNote(const QString& note) {
    note_.setText(note);
    note_.setVisible(!note.isEmpty());
}

void ProgressDisplay::end() {
    bar_.setValue(bar_.maximum());
    hide();
}

void ProgressDisplay::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    showFile();
}

// A long path loses its middle rather than its file name.
void ProgressDisplay::showFile() {
    fileText_.setText(fileText_.fontMetrics().elidedText(file_, Qt::ElideMiddle, std::max(fileText_.width(), 0)));
}

}  // namespace tessaro::window
