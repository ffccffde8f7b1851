#include "app/ui/DataFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

bool IsInside(const QString& path, const QString& folder) {
    return !folder.isEmpty() && (path == folder || path.startsWith(folder + "/"));
}

QString& OverriddenFolder() {
    static QString folder;
    return folder;
}

QString ExistingFolder(const QString& path) {
    const QFileInfo info(path);
    return info.isDir() ? info.canonicalFilePath() : QString();
}

}  // namespace

namespace DataFolder {

QString Path() {
    if (!OverriddenFolder().isEmpty()) return ExistingFolder(OverriddenFolder());
    const QString exeDir = QFileInfo(QCoreApplication::applicationDirPath()).canonicalFilePath();
#ifdef TELVOXA_BUILD_DATA_DIR
    // The build tree is two levels above its share/telvoxa copy.
    const QString buildData = QStringLiteral(TELVOXA_BUILD_DATA_DIR);
    const QString buildRoot = QFileInfo(buildData + "/../..").canonicalFilePath();
    if (IsInside(exeDir, buildRoot)) {
        const QString found = ExistingFolder(buildData);
        if (!found.isEmpty()) return found;
    }
#endif
    // An installed tree: <prefix>/bin/telvoxa and <prefix>/share/telvoxa.
    const QString relative = ExistingFolder(exeDir + "/../share/telvoxa");
    if (!relative.isEmpty()) return relative;
#ifdef TELVOXA_INSTALL_DATA_DIR
    return ExistingFolder(QStringLiteral(TELVOXA_INSTALL_DATA_DIR));
#else
    return {};
#endif
}

void Override(const QString& folder) {
    OverriddenFolder() = folder;
}

QString FilePath(const QString& relative) {
    const QString folder = Path();
    return folder.isEmpty() ? QString() : folder + "/" + relative;
}

}  // namespace DataFolder
