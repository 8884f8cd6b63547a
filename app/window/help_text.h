// The help text beside the production button: plain lines, vertically centred in its box.
//
// The box lies between the drop-downs above it and the sequence number below. A font whose
// lines are taller than the window was drawn for (the Traditional-Chinese fallback font's are)
// has its lines drawn closer together rather than over those controls.
#pragma once

#include <QLabel>

namespace tessaro::window {

class HelpText final : public QLabel {
    Q_OBJECT
public:
    HelpText(const QString& text, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace tessaro::window
