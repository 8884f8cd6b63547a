// The application icon: a record sheet with a red cross on a teal tile, drawn by
// scripts/make-icon.py and compiled into the program.
#pragma once

#include <QIcon>

namespace tessaro::window {

QIcon applicationIcon();

}  // namespace tessaro::window
