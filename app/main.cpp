// The program `tessaro`: the one window, on the program folder, with Qt's dialogs.
#include "app/window/app_icon.h"
#include "app/window/app_path.h"
#include "app/window/main_window.h"
#include "app/window/qt_dialogs.h"
#include "app/window/qt_text.h"
#include "app/window/window_fonts.h"
#include "app/window/window_texts.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessaro"));
    QApplication::setApplicationDisplayName(tessaro::window::qtText(tessaro::window::kProgramTitle));
    QApplication::setWindowIcon(tessaro::window::applicationIcon());
    QApplication::setFont(tessaro::window::windowFonts().window);

    tessaro::window::QtDialogs dialogs;
    tessaro::window::TFVPNTessaro window(dialogs, tessaro::window::programFolder());
    window.show();
    return QApplication::exec();
}
