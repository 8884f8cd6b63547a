// Makes a picture of the window with a filled case list and attachment list, for the README:
// the example fee declaration opened, three cases entered and looked up, their record files
// attached, the packages made, the first case selected.
// Usage: gui_screenshot OUTPUT.png [RUNNING.png]
// RUNNING.png, when given, pictures the window at the end of the production run, as its
// closing message appears: the progress display shown, the controls disabled.
#include "app/window/app_icon.h"
#include "app/window/main_window.h"
#include "app/window/window_fonts.h"
#include "tests/gui/stub_dialogs.h"
#include "tests/gui/window_driver.h"

#include <QApplication>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <filesystem>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: gui_screenshot OUTPUT.png [RUNNING.png]\n");
        return 2;
    }
    QApplication::setWindowIcon(tessaro::window::applicationIcon());
    QApplication::setFont(tessaro::window::windowFonts().window);

    // The example is copied into a folder of its own, which is also the program folder.
    QTemporaryDir folder;
    const std::filesystem::path examples = std::filesystem::path(folder.path().toStdU16String()) / "examples";
    std::filesystem::copy(std::filesystem::path(TESSARO_SOURCE_DIR) / "examples", examples,
                          std::filesystem::copy_options::recursive);
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
    // Each case's record files: kind, class and file below examples/records.
    const struct Attachment {
        std::size_t row;
        const char* kind;
        const char* contentClass;
        const char* file;
    } attachments[] = {
        {0, "DCF", "B:影像報告", "04-123/DICOMDIR"}, {0, "ATT", "A:病歷本文", "04-123/chart1.pdf"},
        {0, "ATT", "B:影像報告", "04-123/chart2.pdf"}, {0, "EMR", "A:病歷本文", "04-123/emr-visit.xml"},
        {1, "ATT", "D:其他書類", "04-123/chart2.pdf"},  {2, "EMR", "A:病歷本文", "A1-7/emr-visit.xml"},
        {2, "ATT", "C:非影像報告", "A1-7/檢驗報告.pdf"},
    };
    std::size_t shownCase = SIZE_MAX;
    std::size_t attachmentRow = 0;
    for (const Attachment& attachment : attachments) {
        if (attachment.row != shownCase) {
            driver.clickCase(attachment.row);
            shownCase = attachment.row;
            attachmentRow = 0;
        }
        driver.click(panel.CattAdd);
        driver.clickAttachment(attachmentRow);
        tessaro::testing::WindowDriver::choose(*driver.kindEditor(attachmentRow), QString::fromUtf8(attachment.kind));
        tessaro::testing::WindowDriver::choose(*driver.classEditor(attachmentRow),
                                               QString::fromUtf8(attachment.contentClass));
        dialogs.openAnswers.push_back(examples / "records" / std::filesystem::path(std::u8string(
                                          reinterpret_cast<const char8_t*>(attachment.file))));
        driver.click(*driver.fileButton(attachmentRow));
        ++attachmentRow;
    }
    if (argc == 3)
        dialogs.onMessage = [&](const QString&) { window.grab().save(QString::fromLocal8Bit(argv[2]), "PNG"); };
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
