#include "app/window/app_path.h"

#include "app/window/qt_text.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace tessaro::window {
namespace {

// Whether a file can be made in `folder`: the one sure test of write access, whatever the
// permission bits, access lists or read-only media say.
bool canWriteIn(const QString& folder) {
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".tessaro-probe-XXXXXX")));
    return probe.open();
}

std::string withSeparator(const QString& folder) {
    std::string path = utf8Text(QDir::toNativeSeparators(QDir(folder).absolutePath()));
    if (path.empty() || path.back() != static_cast<char>(QDir::separator().toLatin1())) path += QDir::separator().toLatin1();
    return path;
}

}  // namespace

std::string programFolder() {
    const QString own = QCoreApplication::applicationDirPath();
    if (canWriteIn(own)) return withSeparator(own);
    // On Windows the local, not the roaming, data folder (%LOCALAPPDATA%\Tessaro): packages
    // and records are large and belong to this desktop. Elsewhere both are the same folder.
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    QDir().mkpath(data);
    return withSeparator(data);
}

}  // namespace tessaro::window
