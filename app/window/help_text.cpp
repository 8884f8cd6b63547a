#include "app/window/help_text.h"

#include <QPainter>
#include <QStyle>

#include <algorithm>
#include <cmath>

namespace tessaro::window {

HelpText::HelpText(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

void HelpText::paintEvent(QPaintEvent*) {
    const QStringList lines = text().split(QLatin1Char('\n'));
    const auto count = static_cast<double>(lines.size());
    // The font's own line height, fallback fonts included, as the label would lay the text out.
    const double natural = fontMetrics().boundingRect(QRect(), Qt::AlignLeft, text()).height() / count;
    const double pitch = std::min(natural, height() / count);
    double top = (height() - pitch * count) / 2;
    QPainter painter(this);
    for (const QString& line : lines) {
        const int from = static_cast<int>(std::lround(top));
        const int to = static_cast<int>(std::lround(top + pitch));
        style()->drawItemText(&painter, QRect(0, from, width(), to - from), Qt::AlignLeft | Qt::AlignVCenter, palette(),
                              isEnabled(), line, foregroundRole());
        top += pitch;
    }
}

}  // namespace tessaro::window
