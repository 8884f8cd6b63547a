// The progress display of a long operation (a production run, an import): "第 n 筆 / 共 N
// 筆", the file being worked on, and a bar of the cases reached. Shown only while the
// operation runs.
#pragma once

#include "platform/user_port.h"

#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QElapsedTimer>
#include <QProgressBar>

namespace tessaro::window {

class ProgressDisplay final : public QFrame {
    Q_OBJECT
public:
    explicit ProgressDisplay(QWidget* parent);

    void begin();
    void report(const Progress& progress);
    // A line under the bar, such as the note that the window closes once the run is done.
    void setNote(const QString& note);
    void end();

    const QProgressBar& bar() const { return bar_; }
    QString text() const { return caseText_.text() + QLatin1Char(' ') + file_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void showFile();

    QGridLayout layout_;
    QLabel caseText_;
    QLabel fileText_;
    QProgressBar bar_;
    QLabel note_;
    QString file_;
    QElapsedTimer sincePaint_;
};

}  // namespace tessaro::window
