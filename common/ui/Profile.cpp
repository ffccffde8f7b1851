#include "common/ui/Profile.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <memory>

#include "common/ui/AddedTexts.h"
#include "common/ui/UiSeams.h"
#include "platform/PrivateFiles.h"
#include "platform/ReadableFile.h"

namespace {
std::unique_ptr<QSettings>& Store() {
    static std::unique_ptr<QSettings> settings;
    return settings;
}

// Where the profile's settings go for this run when its file cannot be read.
std::unique_ptr<QTemporaryDir>& StandIn() {
    static std::unique_ptr<QTemporaryDir> folder;
    return folder;
}

// The user's profile files as QSettings reads them: the application's own
// and the one shared by all of the company's programs.
QStringList UserProfileFiles(const QString& company) {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return {folder + "/" + company + "/" + UiSeams::ApplicationName() + ".conf",
            folder + "/" + company + ".conf"};
}

// The first profile file that is there but cannot be read as a regular
// file (QSettings would wait for ever on a FIFO), with why.
QString UnreadableProfile(const QString& company, std::string& reason) {
    for (const QString& file : UserProfileFiles(company)) {
        if (!QFileInfo(file).exists()) continue;
        reason = ReadableFileProblem(QFile::encodeName(file).toStdString());
        // QSettings writes through a link: only to a file of the user's.
        if (reason.empty() && !BelongsToThisUser(QFile::encodeName(file).toStdString())) {
            reason = "the file belongs to another user";
        }
        if (!reason.empty()) return file;
    }
    return {};
}

QString Path(const QString& section, const QString& key) {
    return section + "/" + key;
}

// Why the profile at `file` could not be written, as far as the file system
// tells.
QString WriteProblem(QSettings::Status status, const QString& file) {
    if (status == QSettings::FormatError)
        return AddedText(QT_TRANSLATE_NOOP("Telvoxa", "The file is not in the right format"));
    const std::string folder = QFile::encodeName(QFileInfo(file).absolutePath()).toStdString();
    if (OnReadOnlyFileSystem(folder))
        return AddedText(QT_TRANSLATE_NOOP("Telvoxa", "The file system is read-only"));
    if (const auto free = FreeBytes(folder); free && *free == 0)
        return AddedText(QT_TRANSLATE_NOOP("Telvoxa", "The disk is full"));
    if (!MayWriteIn(folder))
        return AddedText(
            QT_TRANSLATE_NOOP("Telvoxa", "There is no permission to write into the folder"));
    return AddedText(QT_TRANSLATE_NOOP("Telvoxa", "It could not be written"));
}

// A profile not yet written is begun empty with mode 0600 before its first
// write, which replaces the file keeping its mode: it is never readable by
// others, not even for a moment under a loose umask.
void BeginPrivate(const QString& file) {
    BeginPrivateFile(QFile::encodeName(file).toStdString());
}

// The profile is the user's alone: its folder 0700, the file 0600 (kept by
// every later write, which replaces the file with the same mode).
void MakePrivate(const QString& file) {
    const QFileInfo info(file);
    if (!info.exists() || !BelongsToThisUser(QFile::encodeName(file).toStdString())) return;
    QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    const QFileInfo folder(info.absolutePath());
    if (BelongsToThisUser(QFile::encodeName(folder.absoluteFilePath()).toStdString()))
        QFile::setPermissions(folder.absoluteFilePath(), QFileDevice::ReadOwner |
                                                             QFileDevice::WriteOwner |
                                                             QFileDevice::ExeOwner);
}
}  // namespace

namespace Profile {

void SetRegistryKey(const QString& company) {
    std::string reason;
    const QString unreadable = UnreadableProfile(company, reason);
    if (unreadable.isEmpty()) {
        Store() = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                              company, UiSeams::ApplicationName());
        return;
    }
    // The defaults, kept for this run in a private file of its own: what
    // is at the profile's name is neither read nor written over.
    StandIn() = std::make_unique<QTemporaryDir>();
    Store() = std::make_unique<QSettings>(StandIn()->filePath(QStringLiteral("profile.conf")),
                                          QSettings::IniFormat);
    UiSeams::Messages().Show(
        nullptr,
        AddedText(QT_TRANSLATE_NOOP("Telvoxa", "The settings could not be read")) + '\n' +
            unreadable + QStringLiteral(": ") + QString::fromStdString(reason) + '\n' +
            AddedText(QT_TRANSLATE_NOOP("Telvoxa",
                                        "Telvoxa runs with the default settings and saves none")),
        MessageIcon::Stop);
}

QString UserFile(const QString& company) {
    return UserProfileFiles(company).front();
}

bool IsRooted() {
    return Store() != nullptr;
}

int GetProfileInt(const QString& section, const QString& key, int defaultValue) {
    if (!Store()) return defaultValue;
    bool ok = false;
    const int value = Store()->value(Path(section, key)).toInt(&ok);
    return ok ? value : defaultValue;
}

bool WriteProfileInt(const QString& section, const QString& key, int value) {
    if (!Store()) return false;
    BeginPrivate(Store()->fileName());
    Store()->setValue(Path(section, key), value);
    return true;
}

QString GetProfileString(const QString& section, const QString& key, const QString& defaultValue) {
    if (!Store()) return defaultValue;
    const QVariant value = Store()->value(Path(section, key));
    return value.isValid() ? value.toString() : defaultValue;
}

bool WriteProfileString(const QString& section, const QString& key, const QString& value) {
    if (!Store()) return false;
    BeginPrivate(Store()->fileName());
    Store()->setValue(Path(section, key), value);
    return true;
}

void RemoveProfileEntry(const QString& section, const QString& key) {
    if (Store()) Store()->remove(Path(section, key));
}

bool Sync() {
    if (!Store()) return true;
    Store()->sync();
    // Also a profile that was rewritten from junk, whatever the status says.
    MakePrivate(Store()->fileName());
    const QSettings::Status status = Store()->status();
    if (status == QSettings::NoError) return true;
    UiSeams::Messages().Show(
        nullptr,
        AddedText(QT_TRANSLATE_NOOP("Telvoxa", "The settings could not be saved")) + '\n' +
            WriteProblem(status, Store()->fileName()) + '\n' + Store()->fileName(),
        MessageIcon::Stop);
    return false;
}

}  // namespace Profile
