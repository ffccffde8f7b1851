// The profile on disk: the owner's alone, and a write that fails is told in
// one message box with its reason rather than taken for success.

#include "common/ui/Profile.h"

#include <sys/mount.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <fstream>

#include "support/gui/ScriptedDialogs.h"
#include "support/gui/TempProfile.h"

namespace {

int Mode(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

QString ProfileFile() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope,
                     QStringLiteral("Orvel Applications"), UiSeams::ApplicationName())
        .fileName();
}

TEST(ProfileTest, AWrittenProfileIsPrivateAndAFailedWriteIsTold) {
    ResetProfile();
    ScriptedDialogs dialogs;
    ::umask(022);
    ASSERT_TRUE(Profile::WriteProfileInt(QStringLiteral("pad"), QStringLiteral("x"), 10));
    EXPECT_TRUE(Profile::Sync());
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(Mode(ProfileFile()), 0600);
    EXPECT_EQ(Mode(QFileInfo(ProfileFile()).absolutePath()), 0700);

    // A full disk under the profile's folder.
    const QByteArray folder = QFile::encodeName(QFileInfo(ProfileFile()).absolutePath());
    if (::mount("tmpfs", folder.constData(), "tmpfs", 0, "size=64k,mode=0700") != 0)
        GTEST_SKIP() << "no tmpfs can be mounted here (needs root)";
    {
        std::ofstream filler(folder.toStdString() + "/filler", std::ios::binary);
        const std::string block(4096, 'f');
        while (filler.write(block.data(), block.size())) filler.flush();
    }
    ResetProfile();
    ASSERT_TRUE(Profile::WriteProfileInt(QStringLiteral("pad"), QStringLiteral("x"), 20));
    EXPECT_FALSE(Profile::Sync());
    ::umount2(folder.constData(), MNT_DETACH);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text.section(QLatin1Char('\n'), 0, 1),
              QStringLiteral("The settings could not be saved\nThe disk is full"));
    EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Stop);
}

TEST(ProfileTest, TheProfileAndItsFolderArePrivateUnderAnyUmask) {
    const QString folder = QFileInfo(ProfileFile()).absolutePath();
    const QByteArray file = QFile::encodeName(ProfileFile());
    const struct {
        const char* what;
        bool junk;  // left behind loose and unreadable by an earlier run
    } cases[] = {{"made by this run", false}, {"rewritten from junk", true}};
    const mode_t previous = ::umask(0);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedDialogs dialogs;
        QDir(folder).removeRecursively();
        if (c.junk) {
            QDir().mkpath(folder);
            std::ofstream(file.toStdString()) << "\x01[\xff junk =\n=";
            ::chmod(file.constData(), 0644);
            ::chmod(QFile::encodeName(folder).constData(), 0755);
        }
        Profile::SetRegistryKey(QStringLiteral("Orvel Applications"));
        ASSERT_TRUE(Profile::WriteProfileInt(QStringLiteral("pad"), QStringLiteral("x"), 10));
        Profile::Sync();
        EXPECT_EQ(Mode(ProfileFile()), 0600);
        EXPECT_EQ(Mode(folder), 0700);
    }
    ::umask(previous);
    ResetProfile();
}

}  // namespace
