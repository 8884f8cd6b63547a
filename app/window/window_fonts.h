// The window's fonts: "Segoe UI" for the window and "微軟正黑體" for the two lists where they
// are installed; otherwise the platform's UI font and a Traditional-Chinese font (Noto Sans
// CJK TC on Debian), each falling back to the other for the characters it lacks.
//
// Sizes are 12 pixels (9 points at 96 dots per inch), so text keeps its proportion to the
// window's pixel layout whatever the screen's dots per inch; display scaling enlarges both.
#pragma once

#include <QFont>

namespace tessaro::window {

struct WindowFonts {
    QFont window;
    QFont lists;
};

WindowFonts windowFonts();

}  // namespace tessaro::window
