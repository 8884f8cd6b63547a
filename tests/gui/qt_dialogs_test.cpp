// The window's real dialogs: message boxes with the program's title and the right icon and
// buttons, file dialogs with the window's filters, folder and file name. Each dialog is
// answered from a timer, as a user would click it.
#include "app/window/qt_dialogs.h"
#include "tests/gui/gui_tests.h"

#include <QApplication>
#include <QAbstractButton>
#include <QComboBox>
#include <QFileDialog>
#include <QListView>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <fstream>

namespace tessaro::testing {
namespace {

class QtDialogsTest : public QObject {
    Q_OBJECT

    // Runs `look` on the modal dialog as soon as it is shown.
    template <typename Dialog, typename Look>
    static void whenShown(Look look) {
        QTimer::singleShot(0, [look] {
            auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog != nullptr);
            look(*dialog);
        });
    }

    // Runs `look` on the modal file dialog once it lists the files of its folder, which it
    // reads in the background (or after five seconds).
    template <typename Look>
    static void whenListed(Look look, int triesLeft = 500) {
        QTimer::singleShot(10, [look, triesLeft] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (triesLeft > 0 && (dialog == nullptr || listedNames(*dialog).isEmpty())) return whenListed(look, triesLeft - 1);
            QVERIFY(dialog != nullptr);
            look(*dialog);
        });
    }

    static QStringList listedNames(const QFileDialog& dialog) {
        const auto* view = dialog.findChild<QListView*>(QStringLiteral("listView"));
        QStringList names;
        for (int row = 0; row < view->model()->rowCount(view->rootIndex()); ++row)
            names << view->model()->index(row, 0, view->rootIndex()).data().toString();
        names.sort(Qt::CaseInsensitive);
        return names;
    }

    window::QtDialogs dialogs;
    QWidget parent;

private slots:
    void messageBoxesCarryTheProgramsTitle() {
        QString title;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QString text;
        whenShown<QMessageBox>([&](QMessageBox& box) {
            title = box.windowTitle();
            icon = box.icon();
            text = box.text();
            QCOMPARE(box.standardButtons(), QMessageBox::StandardButtons(QMessageBox::Ok));
            QCOMPARE(box.button(QMessageBox::Ok)->text(), QStringLiteral("確定"));
            box.accept();
        });
        dialogs.error(&parent, QStringLiteral("Cannot open file \"x\". No such file or directory."));
        QCOMPARE(title, QStringLiteral("電子病歷抽審檔案製作"));
        QCOMPARE(icon, QMessageBox::Critical);
        QCOMPARE(text, QStringLiteral("Cannot open file \"x\". No such file or directory."));

        whenShown<QMessageBox>([&](QMessageBox& box) {
            icon = box.icon();
            box.accept();
        });
        dialogs.message(&parent, QStringLiteral("匯入完成"));
        QCOMPARE(icon, QMessageBox::NoIcon);

        whenShown<QMessageBox>([&](QMessageBox& box) {
            text = box.button(QMessageBox::Cancel)->text();
            box.button(QMessageBox::Cancel)->click();
        });
        QVERIFY(!dialogs.okCancel(&parent, QStringLiteral("?")));
        QCOMPARE(text, QStringLiteral("取消"));
    }

    // The filter's caption shows the pattern as the window writes it; the dialog lists the
    // files of either letter case.
    void fileDialogsUseTheWindowsFiltersAndFolders() {
        QTemporaryDir folder;
        const std::filesystem::path root(folder.path().toStdU16String());
        for (const char* name : {"fee.xml", "VISIT.XML", "notes.txt"}) std::ofstream(root / name) << "<t2>1</t2>";

        FileDialogRequest request;
        request.initialDir = root;
        const std::pair<const char*, QString> shown[] = {{"電子病歷檔|*.xml", QStringLiteral("電子病歷檔 (*.xml)")},
                                                         {"費用申報檔(*.XML)|*.XML", QStringLiteral("費用申報檔(*.XML)")}};
        for (const auto& [filter, caption] : shown) {
            request.filter = filter;
            QString shownCaption;
            QStringList listed;
            whenListed([&](QFileDialog& dialog) {
                shownCaption = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"))->currentText();
                listed = listedNames(dialog);
                dialog.reject();
            });
            QVERIFY(!dialogs.openFile(&parent, request).has_value());
            QCOMPARE(shownCaption, caption);
            QCOMPARE(listed, (QStringList{QStringLiteral("fee.xml"), QStringLiteral("VISIT.XML")}));
        }

        QString directory;
        whenShown<QFileDialog>([&](QFileDialog& dialog) {
            directory = dialog.directory().absolutePath();
            dialog.selectFile(QStringLiteral("fee.xml"));
            static_cast<QDialog&>(dialog).accept();
        });
        const auto chosen = dialogs.openFile(&parent, request);
        QCOMPARE(directory, folder.path());
        QVERIFY(chosen.has_value());
        QCOMPARE(*chosen, root / "fee.xml");

        whenShown<QFileDialog>([](QFileDialog& dialog) { dialog.reject(); });
        QVERIFY(!dialogs.openFile(&parent, request).has_value());

        // The save dialog proposes the name and adds the default extension.
        FileDialogRequest save;
        save.filter = "設定表(*.txt)|*.txt";
        save.initialDir = root;
        save.fileName = "1130911";
        save.defaultExtension = "txt";
        whenShown<QFileDialog>([](QFileDialog& dialog) {
            QCOMPARE(dialog.acceptMode(), QFileDialog::AcceptSave);
            static_cast<QDialog&>(dialog).accept();
        });
        const auto saved = dialogs.saveFile(&parent, save);
        QVERIFY(saved.has_value());
        QCOMPARE(*saved, root / "1130911.txt");
    }
};

}  // namespace

std::unique_ptr<QObject> makeQtDialogsTest() { return std::make_unique<QtDialogsTest>(); }

}  // namespace tessaro::testing

#include "qt_dialogs_test.moc"
