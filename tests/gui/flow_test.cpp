// A month's work through the window: open the fee declaration, enter the cases, attach their
// record files, produce. The packages are compared with those a bare workspace writes from the
// same cases; meanwhile the progress display moves and no control takes input.
#include "app/workspace/handler_boundary.h"
#include "tests/gui/gui_fixture.h"
#include "tests/gui/gui_tests.h"
#include "tests/support/recording_port.h"

#include <QProgressBar>

#include <map>

namespace tessaro::testing {
namespace {

namespace fs = std::filesystem;
using workspace::kAttachmentCell;
using workspace::kNoteCell;

const std::vector<DeclaredCase> kDeclared = {{"04", "000123", "A123456789", "1130905", "陳小明"},
                                             {"A1", "7", "C134567890", "1130920", "王大同"}};

production::DateTime frozenNow() { return production::dateTimeOf({2024, 10, 31}) + 0.5; }

std::string readBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t le(const std::string& bytes, std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes.at(at + static_cast<std::size_t>(i)));
    return value;
}

// A package with its members' DOS times zeroed, in every local header and directory record.
// Those times are the cabinets' and the document's last-write times, which are the moment
// each was made; everything else in a package follows from the cases and the frozen clock.
std::string withoutMemberTimes(std::string zip) {
    const std::size_t end = zip.rfind(std::string("PK\x05\x06", 4));
    if (end == std::string::npos) return "no end record";
    const std::size_t count = le(zip, end + 10, 2);
    std::size_t at = le(zip, end + 16, 4);
    for (std::size_t i = 0; i < count; ++i) {
        if (le(zip, at, 4) != 0x02014b50) return "bad directory";
        zip.replace(at + 12, 4, 4, '\0');
        const std::size_t local = le(zip, at + 42, 4);
        if (le(zip, local, 4) != 0x04034b50) return "bad local header";
        zip.replace(local + 10, 4, 4, '\0');
        at += 46 + le(zip, at + 28, 2) + le(zip, at + 30, 2) + le(zip, at + 32, 2);
    }
    return zip;
}

std::map<std::string, std::string> outputFiles(const fs::path& folder) {
    std::map<std::string, std::string> files;
    if (!fs::exists(folder)) return files;
    for (const auto& entry : fs::directory_iterator(folder)) files[entry.path().filename().string()] = readBytes(entry.path());
    return files;
}

class FlowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<GuiFixture> f;

    // The cases with their record files, each case's attachment text as the window made it.
    struct Entered {
        std::string category, serial, attachments, idNumber;
    };

    // The lines of a Big5 setting table.
    static std::string settingTable(const std::vector<std::string>& lines) {
        std::string text;
        for (const std::string& line : lines) text += line + "\r\n";
        return platform::encodeCodePage(text);
    }

    // Imports a setting table through "匯入抽審明細檔" and its dialog; checks the window
    // took no input and showed its progress while the import ran.
    void importTable(const fs::path& table) {
        f->dialogs.openAnswers.push_back(table);
        bool checked = false;
        f->dialogs.onMessage = [&](const QString& text) {
            if (text != QStringLiteral("匯入完成")) return;
            checked = true;
            QVERIFY(f->window().handlerRunning());
            QVERIFY(!f->panel().isEnabled());
            QVERIFY(!f->window().caseList().isEnabled());
            QVERIFY(f->window().progress().isVisible());
            QCOMPARE(f->window().progress().bar().value(), f->window().progress().bar().maximum());
        };
        f->driver().click(f->panel().CimportFile);
        f->dialogs.onMessage = nullptr;
        QVERIFY(checked);
        QVERIFY(f->panel().isEnabled());
        QVERIFY(f->window().caseList().isEnabled());
        QVERIFY(!f->window().progress().isVisible());
    }

    // The month's cases: the fee declaration opened, the cases imported from a setting
    // table, the record files attached in the window.
    void enterCases(std::vector<Entered>& entered) {
        const auto dicom = f->write("records/04-123/DICOMDIR", std::string(420, 'd'));
        const auto chart = f->write("records/04-123/chart1.pdf", std::string(13000, 'p'));
        const auto emr = f->write("records/A1-7/emr-visit.xml", "<emr>visit</emr>");
        const auto report = f->write("records/A1-7/檢驗報告.pdf", std::string(4000, 'r'));
        const fs::path declaration = f->openDeclaration(kDeclared);
        importTable(f->write("cases.txt", settingTable({declaration.string(), "04,123,", "A1,7,"})));
        if (QTest::currentTestFailed()) return;
        QCOMPARE(f->dialogs.openRequests.back().filter, "設定表或健保署抽審檔(txt;csv;zip)|*.txt;*.csv;*.zip");
        QCOMPARE(f->dialogs.messages, QStringList{QStringLiteral("匯入完成")});
        f->dialogs.messages.clear();
        // Imported rows have their editors with the imported values.
        QCOMPARE(f->workspace().cases().size(), 2u);
        QCOMPARE(f->driver().serialEditor(0)->text(), QStringLiteral("123"));
        QCOMPARE(f->driver().categoryEditor(1)->currentText(), QStringLiteral("A1"));
        QCOMPARE(f->cell(1, workspace::kNameCell), "王大同");

        attach(0, {{"DCF", "B:影像報告", dicom}, {"ATT", "A:病歷本文", chart}});
        attach(1, {{"EMR", "A:病歷本文", emr}, {"ATT", "C:非影像報告", report}});
        for (std::size_t row = 0; row < 2; ++row)
            entered.push_back({f->workspace().caseCategory(row), f->workspace().caseSerialText(row),
                               f->cell(row, kAttachmentCell), f->cell(row, workspace::kIdCell)});
    }

    struct Attachment {
        QString kind, contentClass;
        fs::path file;
    };
    void attach(std::size_t row, const std::vector<Attachment>& files) {
        f->driver().clickCase(row);
        for (std::size_t i = 0; i < files.size(); ++i) {
            f->driver().click(f->panel().CattAdd);
            f->driver().clickAttachment(i);
            WindowDriver::choose(*f->driver().kindEditor(i), files[i].kind);
            WindowDriver::choose(*f->driver().classEditor(i), files[i].contentClass);
            f->dialogs.openAnswers.push_back(files[i].file);
            f->driver().click(*f->driver().fileButton(i));
        }
    }

    // The same cases produced by a bare workspace in a program folder of its own.
    std::map<std::string, std::string> referencePackages(const std::vector<Entered>& cases) {
        const fs::path folder = f->folder() / "reference";
        fs::create_directories(folder);
        RecordingPort port;
        workspace::Workspace ws(port, folder.string() + "/");
        ws.setClock(frozenNow);
        ws.panel().CXMLfile = (f->folder() / "fee.xml").string();
        for (const Entered& c : cases) {
            workspace::CaseRow row;
            row.caption = c.category;
            row.cells[kAttachmentCell] = c.attachments;
            row.cells[workspace::kIdCell] = c.idNumber;
            ws.cases().append(std::move(row));
            const auto id = ws.caseRowDrawn(ws.cases().size() - 1);
            ws.typeSerial(id, c.serial);
        }
        const bool ran = workspace::runHandler(port, [&] { ws.CmakeAuditClick(); });
        if (!ran || !port.errors.empty()) return {};
        return outputFiles(folder / "Upload" / "11309");
    }

private slots:
    void init() {
        f = std::make_unique<GuiFixture>();
        f->workspace().setClock(frozenNow);
    }
    void cleanup() { f.reset(); }

    void aMonthsWorkGivesThePackagesTheWorkspaceWrites() {
        std::vector<Entered> entered;
        enterCases(entered);
        QVERIFY(!entered.empty());
        QVERIFY(f->dialogs.messages.isEmpty());
        QCOMPARE(f->cell(0, workspace::kNameCell), "陳小明");

        // Watch the run as the user sees it.
        std::vector<int> barValues;
        QStringList texts;
        const QProgressBar& bar = f->window().progress().bar();
        connect(&bar, &QProgressBar::valueChanged, this, [&](int value) {
            barValues.push_back(value);
            texts << f->window().progress().text();
            QVERIFY(f->window().progress().isVisible());
            QVERIFY(!f->panel().isEnabled());
            QVERIFY(!f->window().caseList().isEnabled());
        });
        f->driver().click(f->panel().CmakeAudit);

        QCOMPARE(f->dialogs.errors, QStringList{});
        QCOMPARE(f->dialogs.messages.size(), 1);
        QVERIFY(f->dialogs.messages[0].startsWith(QStringLiteral("製作完成:")));
        QCOMPARE(f->cell(0, kNoteCell), "已製");
        QCOMPARE(f->cell(1, kNoteCell), "已製");
        QVERIFY(barValues.size() >= 2);
        QVERIFY(std::is_sorted(barValues.begin(), barValues.end()));
        QVERIFY(barValues.front() < barValues.back());
        QVERIFY(texts.filter(QStringLiteral("第 2 筆 / 共 2 筆")).size() > 0);
        // Afterwards the controls take input again and the display is gone.
        QVERIFY(f->panel().isEnabled());
        QVERIFY(f->window().caseList().isEnabled());
        QVERIFY(!f->window().progress().isVisible());

        const auto made = outputFiles(f->folder() / "Upload" / "11309");
        QCOMPARE(made.size(), 4u);  // two packages, two documents
        const auto reference = referencePackages(entered);
        QCOMPARE(reference.size(), made.size());
        for (const auto& [name, bytes] : made) {
            QVERIFY2(reference.count(name), name.c_str());
            if (name.ends_with(".zip"))
            {
                if (withoutMemberTimes(bytes) != withoutMemberTimes(reference.at(name))) {
                    std::ofstream(f->folder().parent_path() / "gui-made.zip", std::ios::binary) << bytes;
                    std::ofstream(f->folder().parent_path() / "gui-reference.zip", std::ios::binary) << reference.at(name);
                }
                QVERIFY2(withoutMemberTimes(bytes) == withoutMemberTimes(reference.at(name)), name.c_str());
            }
            else
                QVERIFY2(bytes == reference.at(name), name.c_str());
        }
    }

    void aSavedTableImportsAgainToTheSameCases() {
        std::vector<Entered> entered;
        enterCases(entered);
        QVERIFY(!entered.empty());
        const fs::path saved = f->folder() / "saved" / "1130911.txt";
        fs::create_directories(saved.parent_path());
        f->dialogs.saveAnswers.push_back(saved);
        f->driver().click(f->panel().CsaveSetting);
        QCOMPARE(f->dialogs.saveRequests.size(), 1u);
        QCOMPARE(f->dialogs.saveRequests[0].fileName, "1130911");
        QCOMPARE(f->dialogs.saveRequests[0].filter, "設定表(*.txt)|*.txt");
        QCOMPARE(f->dialogs.saveRequests[0].initialDir, f->folder().string() + "/");
        QCOMPARE(readBytes(saved), settingTable({(f->folder() / "fee.xml").string(),
                                                 "04,123," + entered[0].attachments, "A1,7," + entered[1].attachments}));

        f->driver().click(f->panel().Cadd);
        QCOMPARE(f->workspace().cases().size(), 3u);
        importTable(saved);
        QCOMPARE(f->workspace().cases().size(), 2u);
        for (std::size_t row = 0; row < 2; ++row) {
            QCOMPARE(f->cell(row, kAttachmentCell), entered[row].attachments);
            QCOMPARE(f->cell(row, workspace::kIdCell), entered[row].idNumber);
        }
        QCOMPARE(f->window().caseList().rowsWithEditors(), 2u);
        // The attachment list went with the old cases: no row of it is left to edit.
        QCOMPARE(f->panel().CattList.model()->rowCount(), 0);
        QCOMPARE(f->panel().CattList.rowsWithEditors(), 0u);
    }

    // After a run the attachment list shows the highlighted case, and a file added there goes
    // into that case.
    void afterARunTheAttachmentListShowsTheHighlightedCase() {
        std::vector<Entered> entered;
        enterCases(entered);
        QVERIFY(!entered.empty());
        f->driver().clickCase(0);
        f->driver().click(f->panel().CmakeAudit);
        QCOMPARE(f->cell(1, kNoteCell), "已製");
        QCOMPARE(f->window().caseList().selectedRow(), std::optional<int>(0));
        const QAbstractItemModel& shown = *f->panel().CattList.model();
        QCOMPARE(shown.rowCount(), 2);
        QVERIFY(shown.index(0, 2).data().toString().endsWith(QStringLiteral("DICOMDIR")));
        QVERIFY(shown.index(1, 2).data().toString().endsWith(QStringLiteral("chart1.pdf")));

        const auto added = f->write("records/04-123/chart2.pdf", "pdf");
        f->driver().click(f->panel().CattAdd);
        f->dialogs.openAnswers.push_back(added);
        f->driver().click(*f->driver().fileButton(2));
        QCOMPARE(f->cell(0, kAttachmentCell), entered[0].attachments + "(A)" + added.string());
        QCOMPARE(f->cell(1, kAttachmentCell), entered[1].attachments);
    }

    void closingDuringARunWaitsForItsEnd() {
        std::vector<Entered> entered;
        enterCases(entered);
        QVERIFY(!entered.empty());
        f->workspace().cases()[1].cells[kAttachmentCell] = "";  // the run stops at it with a message
        bool closedDuringRun = true;
        f->dialogs.onMessage = [&](const QString&) {
            QVERIFY(f->window().handlerRunning());
            closedDuringRun = f->window().close();
            f->driver().click(f->panel().Cadd);  // no input reaches the run
            QCOMPARE(f->workspace().cases().size(), 2u);
            QVERIFY(f->window().isVisible());
            QVERIFY(!f->window().caseList().isEnabled());
        };
        f->driver().click(f->panel().CmakeAudit);
        QVERIFY(!closedDuringRun);
        QCOMPARE(f->dialogs.messages.first(), QStringLiteral("第2筆病歷檔案資料空白"));
        // The package of the first case is complete; the window closed once the run was over.
        QVERIFY(fs::exists(f->folder() / "Upload" / "11309" / "0123456789_1131031_001.zip"));
        QVERIFY(!f->window().isVisible());
        QVERIFY(f->window().caseList().isEnabled());
    }

    void anErrorEndsTheRunAndGivesTheControlsBack() {
        std::vector<Entered> entered;
        enterCases(entered);
        QVERIFY(!entered.empty());
        // The output folder's name is taken by a file: the run cannot make its folder.
        f->write("Upload/11309", "not a folder");
        f->driver().click(f->panel().CmakeAudit);
        QCOMPARE(f->dialogs.errors.size() + f->dialogs.messages.size(), 1);
        QVERIFY(f->panel().isEnabled());
        QVERIFY(f->window().caseList().isEnabled());
        QVERIFY(!f->window().progress().isVisible());
        QCOMPARE(f->cell(0, kNoteCell), "");
    }
};

}  // namespace

std::unique_ptr<QObject> makeFlowTest() { return std::make_unique<FlowTest>(); }

}  // namespace tessaro::testing

#include "flow_test.moc"
