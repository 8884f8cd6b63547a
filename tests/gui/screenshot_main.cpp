// Makes a picture of the window with a filled case list and attachment list, for the README:
// the example fee declaration opened, three cases entered and looked up, two record files
// attached to the first case, the packages made. Usage: gui_screenshot OUTPUT.png
#include "app/window/app_icon.h"
#include "app/window/main_window.h"
#include "app/window/window_fonts.h"
#include "tests/gui/stub_dialogs.h"
#include "tests/gui/window_driver.h"

#include <QApplication>
#include <QTemporaryDir>

#include <cstdio>
#include <filesystem>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: gui_screenshot OUTPUT.png\n");
        return 2;
    }
    QApplication::setWindowIcon(tessaro::window::applicationIcon());
    QApplication::setFont(tessaro::window::windowFonts().window);

    QTemporaryDir folder;
    const std::filesystem::path examples = std::filesystem::path(TESSARO_SOURCE_DIR) / "examples";
    tessaro::testing::StubDialogs dialogs;
    tessaro::window::TFVPNTessaro window(dialogs, folder.path().toStdString() + "/");
    window.workspace().setClock([] { return tessaro::production::dateTimeOf({2024, 10, 31}) + 0.5; });
    window.show();
    tessaro::testing::WindowDriver driver(window);
    tessaro::window::SidePanel& panel = window.panel();

    dialogs.openAnswers.push_back(examples / "declaration.xml");
    driver.click(panel.CopenXMLfile);
    const struct {
        const char* category;
        const char* serial;
    } cases[] = {{"04", "123"}, {"04", "124"}, {"A1", "7"}};
    for (std::size_t row = 0; row < std::size(cases); ++row) {
        driver.click(panel.Cadd);
        tessaro::testing::WindowDriver::choose(*driver.categoryEditor(row), QString::fromUtf8(cases[row].category));
        driver.typeSerial(row, QString::fromUtf8(cases[row].serial), true);
    }
    for (std::size_t row = 0; row < std::size(cases); ++row) {
        driver.clickCase(row);
        driver.click(panel.CattAdd);
        if (row == 0) driver.click(panel.CattAdd);
        dialogs.openAnswers.push_back(examples / "records" / "lab-report.txt");
        driver.click(*driver.fileButton(0));
        if (row == 0) {
            tessaro::testing::WindowDriver::choose(*driver.kindEditor(1), QStringLiteral("EMR"));
            tessaro::testing::WindowDriver::choose(*driver.classEditor(1), QStringLiteral("C:非影像報告"));
            dialogs.openAnswers.push_back(examples / "records" / "emr-visit.xml");
            driver.click(*driver.fileButton(1));
        }
    }
    driver.click(panel.CmakeAudit);
    driver.clickCase(0);
    QApplication::processEvents();

    if (!window.grab().save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    for (const QString& text : dialogs.errors) std::fprintf(stderr, "error shown: %s\n", text.toUtf8().constData());
    return 0;
}
