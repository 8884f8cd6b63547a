#include "app/window/app_icon.h"

namespace tessaro::window {

QIcon applicationIcon() {
    QIcon icon;
    for (const int size : {32, 64, 256}) icon.addFile(QStringLiteral(":/tessaro/tessaro-%1.png").arg(size), QSize(size, size));
    return icon;
}

}  // namespace tessaro::window
