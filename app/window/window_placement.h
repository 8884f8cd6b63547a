// Where the window starts: centred in the free part of its screen (the desktop less the task
// bar) with its frame, and made smaller where the screen has less room than it wants. The
// title bar is then always on the screen, where the user can take hold of it; on a small
// screen at high display scaling the window is lower than its 642 pixels and its panel scrolls.
#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>

namespace tessaro::window {

// The client area's place for a window that wants a client area of `client` and whose frame
// (title bar and borders) adds `frame` around it, on a screen whose free part is `available`.
QRect centredPlacement(const QRect& available, QSize client, const QMargins& frame);

}  // namespace tessaro::window
