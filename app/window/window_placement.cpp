#include "app/window/window_placement.h"

#include <algorithm>

namespace tessaro::window {

QRect centredPlacement(const QRect& available, QSize client, const QMargins& frame) {
    const QSize frameSize(frame.left() + frame.right(), frame.top() + frame.bottom());
    const QSize fitted = client.boundedTo(available.size() - frameSize).expandedTo(QSize(0, 0));
    const QSize outer = fitted + frameSize;
    // Where not even the frame fits, it starts at the free area's top left: the title bar stays
    // on the screen.
    const QPoint outerTopLeft(available.left() + std::max(available.width() - outer.width(), 0) / 2,
                              available.top() + std::max(available.height() - outer.height(), 0) / 2);
    return {outerTopLeft + QPoint(frame.left(), frame.top()), fitted};
}

}  // namespace tessaro::window
