// The window's test program: `gui_tests CLASS [Qt Test options]` runs one test class, so
// CTest runs each class as a test of its own. Without a class it runs them all.
#include "app/window/window_fonts.h"
#include "tests/gui/gui_tests.h"

#include <QApplication>
#include <QTest>

#include <cstring>
#include <vector>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setFont(tessaro::window::windowFonts().window);
    const auto& classes = tessaro::testing::guiTestClasses();

    std::vector<char*> args(argv, argv + argc);
    const bool chosen = argc > 1 && argv[1][0] != '-';
    if (chosen) args.erase(args.begin() + 1);
    int failures = 0;
    bool found = false;
    for (const auto& [name, make] : classes) {
        if (chosen && std::strcmp(name, argv[1]) != 0) continue;
        found = true;
        const auto test = make();
        failures += QTest::qExec(test.get(), static_cast<int>(args.size()), args.data());
    }
    return found ? failures : 2;
}
