// Makes a picture of the window with a filled case list and attachment list, for the README:
// the bundled example's setting table imported (its fee declaration and record files), the
// packages made, the first case selected with its record files shown.
// Usage: gui_screenshot [--folder FOLDER] OUTPUT.png [RUNNING.png]
//        gui_screenshot --guide FOLDER
// RUNNING.png, when given, pictures the window at the end of the production run, as its
// closing message appears: the progress display shown, the controls disabled.
// --folder makes FOLDER the program folder and keeps it, with the packages the window made
// (scripts/test-windows.sh compares the Windows window's packages with the Linux window's).
// --guide writes the user guide's pictures into FOLDER instead (guide_pictures.h).
#include "app/window/app_icon.h"
#include "app/window/main_window.h"
#include "app/window/window_fonts.h"
#include "tests/gui/guide_pictures.h"
#include "tests/gui/stub_dialogs.h"
#include "tests/gui/window_driver.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <filesystem>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    const bool guide = argc == 3 && QLatin1String(argv[1]) == QLatin1String("--guide");
    QString kept;
    if (argc > 2 && QLatin1String(argv[1]) == QLatin1String("--folder")) {
        kept = QFileInfo(QString::fromLocal8Bit(argv[2])).absoluteFilePath();
        argc -= 2;
        argv += 2;
    }
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: gui_screenshot [--folder FOLDER] OUTPUT.png [RUNNING.png]\n"
                             "       gui_screenshot --guide FOLDER\n");
        return 2;
    }
    // Whole paths before the current folder changes (QFileInfo gives a path rooted without a
    // drive, as Wine's callers pass them, the current drive).
    const auto whole = [](const char* path) { return QFileInfo(QString::fromLocal8Bit(path)).absoluteFilePath(); };
    const QString output = whole(argv[1]);
    const QString running = argc == 3 ? whole(argv[2]) : QString();
    QApplication::setWindowIcon(tessaro::window::applicationIcon());
    QApplication::setFont(tessaro::window::windowFonts().window);
    if (guide) return tessaro::testing::makeGuidePictures(whole(argv[2])) ? 0 : 1;

    // The example is copied into a folder of its own, which is the program folder and the
    // current folder: the setting table names its files relative to it.
    QTemporaryDir temporary;
    const QString folder = kept.isEmpty() ? temporary.path() : QDir(kept).absolutePath();
    QDir().mkpath(folder);
    const std::filesystem::path root(QDir::toNativeSeparators(folder).toStdU16String());
    std::filesystem::copy(std::filesystem::path(TESSARO_SOURCE_DIR) / "examples", root / "examples",
                          std::filesystem::copy_options::recursive);
    QDir::setCurrent(folder);

    tessaro::testing::StubDialogs dialogs;
    tessaro::window::TFVPNTessaro window(dialogs, (root / "").string());
    window.workspace().setClock([] { return tessaro::production::dateTimeOf({2024, 10, 31}) + 0.5; });
    window.show();
    tessaro::testing::WindowDriver driver(window);
    tessaro::window::SidePanel& panel = window.panel();

    dialogs.openAnswers.push_back(root / "examples" / "settings.txt");
    driver.click(panel.CimportFile);
    if (!running.isEmpty()) dialogs.onMessage = [&](const QString&) { window.grab().save(running, "PNG"); };
    driver.click(panel.CmakeAudit);
    driver.clickCase(0);
    QApplication::processEvents();

    if (!window.grab().save(output, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    for (const QString& text : dialogs.errors) std::fprintf(stderr, "error shown: %s\n", text.toUtf8().constData());
    if (dialogs.messages.size() != 2) {
        for (const QString& text : dialogs.messages) std::fprintf(stderr, "message: %s\n", text.toUtf8().constData());
        return 1;
    }
    return 0;
}
