// The real window on a temporary program folder, with dialogs that answer at once and a
// driver that clicks and types, plus helpers to write Big5 fee declarations and files.
#pragma once

#include "app/window/main_window.h"
#include "platform/code_page.h"
#include "tests/gui/stub_dialogs.h"
#include "tests/gui/window_driver.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace tessaro::testing {

struct DeclaredCase {
    std::string category, serial, id, date, name;
};

// A Big5 fee declaration with a header and one block per case.
inline std::string declarationBytes(const std::vector<DeclaredCase>& cases,
                                    const std::string& header = "<tdata><t2>0123456789</t2><t3>11309</t3><t6>1131015</t6></tdata>") {
    std::string text = "<?xml version=\"1.0\" encoding=\"Big5\"?><outpatient>" + header;
    for (const DeclaredCase& c : cases)
        text += "<ddata><dhead><d1>" + c.category + "</d1><d2>" + c.serial + "</d2></dhead><dbody><d3>" + c.id +
                "</d3><d9>" + c.date + "</d9><d49>" + c.name + "</d49></dbody></ddata>\r\n";
    return platform::encodeCodePage(text + "</outpatient>");
}

class GuiFixture {
public:
    // Paths with the platform's own separators, as the file dialogs give them.
    GuiFixture() : folder_(QDir::toNativeSeparators(dir_.path()).toStdU16String()) {
        window_ = std::make_unique<window::TFVPNTessaro>(dialogs, (folder_ / "").string());
        window_->show();
        // Focus moves (and a serial box is left) only in the active window.
        window_->activateWindow();
        if (!QTest::qWaitForWindowActive(window_.get())) qWarning("the window did not become active");
        driver_ = std::make_unique<WindowDriver>(*window_);
    }

    StubDialogs dialogs;
    window::TFVPNTessaro& window() { return *window_; }
    window::SidePanel& panel() { return window_->panel(); }
    workspace::Workspace& workspace() { return window_->workspace(); }
    WindowDriver& driver() { return *driver_; }
    const std::filesystem::path& folder() const { return folder_; }

    std::filesystem::path write(const std::string& name, const std::string& bytes) {
        const std::filesystem::path file = folder_ / std::filesystem::path(std::u8string(name.begin(), name.end()));
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << bytes;
        return std::filesystem::path(file).make_preferred();
    }

    // Opens a fee declaration through "指定檔案" and its dialog.
    std::filesystem::path openDeclaration(const std::vector<DeclaredCase>& cases) {
        const auto file = write("fee.xml", declarationBytes(cases));
        dialogs.openAnswers.push_back(file);
        driver_->click(panel().CopenXMLfile);
        return file;
    }

    // Adds `count` rows with "新增案件".
    void addCases(std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) driver_->click(panel().Cadd);
    }

    // Lets Qt finish laying out: lists and scroll areas place their scroll bars and
    // viewports on zero-time timers, one round after another.
    static void settle() { QTest::qWait(50); }

    std::string cell(std::size_t row, workspace::CaseCell cell) { return workspace().cases()[row].cells[cell]; }

private:
    QTemporaryDir dir_;
    std::filesystem::path folder_;
    std::unique_ptr<window::TFVPNTessaro> window_;
    std::unique_ptr<WindowDriver> driver_;
};

}  // namespace tessaro::testing
