// The program's start as the user meets it: Qt's own dialogs in the user's
// language, fixed-size dialogs without a maximise button, "Telvoxa" on the
// message boxes, and a later start bringing the running window forward.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <QDialog>
#include <QLibraryInfo>
#include <QLocalSocket>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QTranslator>
#include <QWindow>
#include <functional>

#include "app/ui/ApplicationStart.h"
#include "app/ui/InstanceBeacon.h"
#include "common/ui/AboutDlg.h"
#include "common/ui/DialogFrames.h"
#include "common/ui/UiSeams.h"
#include "support/ScratchDir.h"

namespace {

void RemoveQtTranslations() {
    for (QTranslator* translator : qApp->findChildren<QTranslator*>()) delete translator;
}

QString Cancel() {
    return QCoreApplication::translate("QPlatformTheme", "Cancel");
}

TEST(ApplicationStart, LoadsQtsOwnTranslationForTheUsersLanguageOnly) {
    const ScratchDir empty;
    const QString installed = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    struct Case {
        const char* locale;
        QString folder;
        bool loaded;
        QString cancel;
    };
    const Case cases[] = {
        {"ja_JP", installed, true, QStringLiteral("キャンセル")},
        {"ja", installed, true, QStringLiteral("キャンセル")},
        {"ja_JP", QString::fromStdString(empty.Path()), false, QStringLiteral("Cancel")},
        {"C", installed, false, QStringLiteral("Cancel")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.locale);
        EXPECT_EQ(LoadQtTranslation(*qApp, QLocale(QString::fromLatin1(c.locale)), c.folder),
                  c.loaded);
        EXPECT_EQ(Cancel(), c.cancel);
        RemoveQtTranslations();
    }
}

TEST(ApplicationStart, FixedSizeDialogsHaveNoMaximiseButtonOthersKeepTheirFrame) {
    static bool installed = false;
    if (!installed) InstallDialogFrames(*qApp);
    installed = true;
    struct Case {
        const char* name;
        std::function<QDialog*()> make;
        bool fixed;
    };
    const Case cases[] = {
        {"version dialog", [] { return new CAboutDlg; }, true},
        {"dialog of a fixed size",
         [] {
             auto* dialog = new QDialog;
             dialog->setFixedSize(200, 100);
             return dialog;
         },
         true},
        {"resizable dialog", [] { return new QDialog; }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::unique_ptr<QDialog> dialog(c.make());
        dialog->show();
        ASSERT_NE(dialog->windowHandle(), nullptr);
        const Qt::WindowFlags native = dialog->windowHandle()->flags();
        EXPECT_EQ(native, dialog->windowFlags());
        EXPECT_FALSE(native.testFlag(Qt::WindowMaximizeButtonHint));
        EXPECT_EQ(native.testFlag(Qt::CustomizeWindowHint), c.fixed);
        if (c.fixed) {
            EXPECT_FALSE(native.testFlag(Qt::WindowMinimizeButtonHint));
            EXPECT_TRUE(native.testFlag(Qt::WindowCloseButtonHint));
            EXPECT_TRUE(native.testFlag(Qt::WindowTitleHint));
        }
        EXPECT_TRUE(dialog->isVisible());
    }
}

TEST(ApplicationStart, MessageBoxesAreCaptionedTelvoxaAndCannotBeMaximised) {
    QString caption;
    Qt::WindowFlags flags;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        caption = box->windowTitle();
        flags = box->windowFlags();
        box->accept();
    });
    UiSeams::SetMessages(nullptr);
    UiSeams::Messages().Show(nullptr, QStringLiteral("Already Running !!"), MessageIcon::None);
    EXPECT_EQ(caption, QStringLiteral("Telvoxa"));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
}

class Beacon : public testing::Test {
protected:
    QString Path() const { return QString::fromStdString(scratch.PathOf("h_Test.socket")); }

    ScratchDir scratch;
};

TEST_F(Beacon, ALaterStartBringsTheShownWindowForwardAndActive) {
    enum class Before { NeverShown, Hidden, Minimised, Behind };
    struct Case {
        const char* name;
        Before before;
        bool comesForward;
    };
    const Case cases[] = {
        {"hidden in the notification area", Before::Hidden, true},
        {"minimised", Before::Minimised, true},
        {"behind another window", Before::Behind, true},
        {"still starting, never shown", Before::NeverShown, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QDialog window;
        QDialog other;
        if (c.before != Before::NeverShown) window.show();
        if (c.before == Before::Hidden) window.hide();
        if (c.before == Before::Minimised) window.showMinimized();
        other.show();
        other.activateWindow();
        QTRY_VERIFY(other.isActiveWindow());

        InstanceBeacon beacon;
        int requests = 0;
        ASSERT_TRUE(beacon.Listen(Path(), [&] {
            ++requests;
            BringForward(&window);
        }));
        ASSERT_TRUE(InstanceBeacon::AskToComeForward(Path()));
        QTRY_COMPARE(requests, 1);
        if (c.comesForward) {
            EXPECT_TRUE(window.isVisible());
            EXPECT_FALSE(window.isMinimized());
            QTRY_VERIFY(window.isActiveWindow());
        } else {
            EXPECT_FALSE(window.isVisible());
        }
    }
}

TEST_F(Beacon, IsPrivateReplacesALeftOverSocketAndHearsNothingButItsRequest) {
    EXPECT_FALSE(InstanceBeacon::AskToComeForward(Path()));  // nobody listens yet
    scratch.Write("h_Test.socket", "left by an instance that crashed");

    InstanceBeacon beacon;
    int requests = 0;
    ASSERT_TRUE(beacon.Listen(Path(), [&] { ++requests; }));
    struct stat info {};
    ASSERT_EQ(stat(Path().toLocal8Bit().constData(), &info), 0);
    EXPECT_TRUE(S_ISSOCK(info.st_mode));
    EXPECT_EQ(info.st_mode & 077, 0u);

    for (const QByteArray& junk : {QByteArray("quit\n"), QByteArray(200, 'x')}) {
        SCOPED_TRACE(junk.left(8).toStdString());
        QLocalSocket client;
        client.connectToServer(Path());
        ASSERT_TRUE(client.waitForConnected(5000));
        QSignalSpy gone(&client, &QLocalSocket::disconnected);
        client.write(junk);
        // The beacon hangs up once it has judged what came.
        QTRY_COMPARE_WITH_TIMEOUT(gone.count(), 1, 20000);
        EXPECT_EQ(requests, 0);
    }
}

}  // namespace
