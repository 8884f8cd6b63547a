// The guide's pictures: the month's job on the bundled example, as a clerk does it in the
// window, one picture per step. Two sessions of the same day share one program folder: the
// first chooses the fee declaration, types a case, imports the example's setting table
// instead and makes its three packages; the second types another case and starts at sequence
// number 1, so its run stops at the first session's package and proposes a free number.
//
// The program folder is "tessaro-guide/Tessaro" in the system's temporary folder, always the
// same, so the paths the messages show do not change from one drawing to the next; it is
// emptied before and removed after. The clock is frozen at 31 October 2024, noon.
#include "tests/gui/guide_pictures.h"

#include "app/window/main_window.h"
#include "app/window/qt_dialogs.h"
#include "app/workspace/case_rows.h"
#include "platform/path_text.h"
#include "tests/gui/stub_dialogs.h"
#include "tests/gui/window_driver.h"

#include <QDir>
#include <QProgressBar>

#include <cstdio>
#include <filesystem>
#include <memory>

namespace tessaro::testing {
namespace {

namespace fs = std::filesystem;

class GuidePictures {
public:
    GuidePictures(const QString& folder, fs::path programFolder)
        : folder_(folder), programFolder_(std::move(programFolder)) {}

    bool make() {
        openSession();
        emptyWindow();
        chooseDeclaration();
        typeCase();
        importCases();
        showRecordFiles();
        makePackages();
        secondSession();
        return ok_;
    }

private:
    // The window as it opens: the program started on the program folder.
    void openSession() {
        driver_.reset();
        window_.reset();
        dialogs_ = std::make_unique<StubDialogs>();
        window_ = std::make_unique<window::TFVPNTessaro>(*dialogs_, platform::utf8FromPath(programFolder_ / ""));
        window_->workspace().setClock([] { return production::dateTimeOf({2024, 10, 31}) + 0.5; });
        window_->show();
        // Drawn as the window in use: active, with its active colours.
        window_->activateWindow();
        expect(QTest::qWaitForWindowActive(window_.get()), "the window becomes active");
        driver_ = std::make_unique<WindowDriver>(*window_);
    }

    void emptyWindow() { save(*window_, "01-window.png"); }

    // "指定檔案": the file dialog answered with the example's fee declaration.
    void chooseDeclaration() {
        dialogs_->openAnswers.push_back(programFolder_ / "examples" / "declaration.xml");
        driver_->click(panel().CopenXMLfile);
        expect(panel().ChospitalCode.box.text() == QStringLiteral("3501200000"), "the declaration's hospital code is shown");
        save(*window_, "02-declaration.png");
    }

    // "新增案件", the category chosen, the serial typed and Enter: the case is looked up.
    void typeCase() {
        driver_->click(panel().Cadd);
        WindowDriver::choose(*driver_->categoryEditor(0), QStringLiteral("04"));
        driver_->typeSerial(0, QStringLiteral("123"), true);
        expect(cell(0, workspace::kNameCell) == "陳小明", "the typed case is found in the declaration");
        save(*window_, "03-case.png");
    }

    // "匯入抽審明細檔": the example's setting table replaces the case list.
    void importCases() {
        dialogs_->openAnswers.push_back(programFolder_ / "examples" / "settings.txt");
        driver_->click(panel().CimportFile);
        expect(dialogs_->messages.contains(QStringLiteral("匯入完成")), "the import reports 匯入完成");
        expect(window_->workspace().cases().size() == 3, "the setting table's three cases are listed");
        save(*window_, "04-import.png");
    }

    // The first case highlighted: the attachment list shows its record files.
    void showRecordFiles() {
        driver_->clickCase(0);
        expect(window_->workspace().attachments().size() == 4, "the first case's four record files are listed");
        save(*window_, "05-attachments.png");
    }

    // "製作電子抽審檔": the window while the second case is made, the closing message, the
    // window afterwards with every case marked.
    void makePackages() {
        const QProgressBar& bar = window_->progress().bar();
        const auto onBar = QObject::connect(&bar, &QProgressBar::valueChanged, [&](int value) {
            if (value == 2 && window_->progress().isVisible()) save(*window_, "06-running.png");
        });
        bool finished = false;
        dialogs_->onMessage = [&](const QString& text) {
            finished = text.startsWith(QStringLiteral("製作完成"));
            if (finished) saveMessage(text, "07-finished.png");
        };
        driver_->click(panel().CmakeAudit);
        QObject::disconnect(onBar);
        dialogs_->onMessage = nullptr;
        expect(finished, "the run ends with 製作完成");
        expect(cell(2, workspace::kNoteCell) == "已製", "every case is marked 已製");
        driver_->clickCase(0);
        save(*window_, "08-made.png");
    }

    // The program started again the same day: another case typed, with one record file; the
    // sequence box starts at 1 again, where the first session's package lies.
    void secondSession() {
        openSession();
        dialogs_->openAnswers.push_back(programFolder_ / "examples" / "declaration.xml");
        driver_->click(panel().CopenXMLfile);
        driver_->click(panel().Cadd);
        WindowDriver::choose(*driver_->categoryEditor(0), QStringLiteral("04"));
        driver_->typeSerial(0, QStringLiteral("124"), true);
        driver_->clickCase(0);
        driver_->click(panel().CattAdd);
        dialogs_->openAnswers.push_back(programFolder_ / "examples" / "records" / "04-123" / "chart2.pdf");
        driver_->click(*driver_->fileButton(0));

        bool stopped = false;
        dialogs_->onMessage = [&](const QString& text) {
            stopped = text.startsWith(QStringLiteral("上傳檔案"));
            if (stopped) saveMessage(text, "09-taken.png");
        };
        driver_->click(panel().CmakeAudit);
        dialogs_->onMessage = nullptr;
        expect(stopped, "the second session's run stops at the first session's package");
        expect(panel().CtodayNo.value() == 4, "the sequence box proposes 4");
        save(*window_, "10-sequence.png");
    }

    window::SidePanel& panel() { return window_->panel(); }
    std::string cell(std::size_t row, workspace::CaseCell column) const {
        const auto& cases = window_->workspace().cases();
        return row < cases.size() ? cases[row].cells[column] : std::string();
    }

    // A message as the program shows it: in the box QtDialogs shows.
    void saveMessage(const QString& text, const char* name) {
        const auto box = window::messageBox(window::MessageKind::message, window_.get(), text);
        box->show();
        QApplication::processEvents();
        save(*box, name);
    }

    void save(QWidget& widget, const char* name) {
        QApplication::processEvents();
        const QString file = QDir(folder_).filePath(QLatin1String(name));
        expect(widget.grab().save(file, "PNG"), ("cannot write " + file.toStdString()).c_str());
    }

    void expect(bool shown, const std::string& what) {
        if (shown) return;
        std::fprintf(stderr, "not as the guide says: %s\n", what.c_str());
        for (const QString& text : dialogs_->messages + dialogs_->errors)
            std::fprintf(stderr, "  message shown: %s\n", text.toUtf8().constData());
        ok_ = false;
    }

    QString folder_;
    fs::path programFolder_;
    std::unique_ptr<StubDialogs> dialogs_;
    std::unique_ptr<window::TFVPNTessaro> window_;
    std::unique_ptr<WindowDriver> driver_;
    bool ok_ = true;
};

}  // namespace

bool makeGuidePictures(const QString& folder) {
    const QString pictures = QDir(folder).absolutePath();
    if (!QDir().mkpath(pictures)) {
        std::fprintf(stderr, "cannot make %s\n", pictures.toUtf8().constData());
        return false;
    }
    const fs::path scratch = fs::path(QDir::toNativeSeparators(QDir::tempPath()).toStdU16String()) / "tessaro-guide";
    const fs::path programFolder = scratch / "Tessaro";
    fs::remove_all(scratch);
    fs::create_directories(programFolder);
    fs::copy(fs::path(TESSARO_SOURCE_DIR) / "examples", programFolder / "examples", fs::copy_options::recursive);
    // The setting table names its files relative to the program folder.
    QDir::setCurrent(QString::fromStdU16String(programFolder.u16string()));
    const bool made = GuidePictures(pictures, programFolder).make();
    QDir::setCurrent(QDir::tempPath());
    std::error_code ec;
    fs::remove_all(scratch, ec);
    return made;
}

}  // namespace tessaro::testing
