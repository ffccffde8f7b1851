// Address books chosen by the user and followed on disk: the file dialog's
// kinds, the one message for a broken book, a book read again when its file
// changes, and a failed reread that keeps the book in use.

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>
#include <string>

#include "app/ui/HandsetApp.h"
#include "handset/CallerDirectory.h"
#include "phonebook/ui/PhoneBookWatcher.h"
#include "platform/Cp932.h"
#include "support/gui/ScriptedDialogs.h"
#include "support/gui/TempProfile.h"

namespace {

std::string Card(const std::string& name, const std::string& number) {
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:" + name + "\r\nTEL:" + number + "\r\nEND:VCARD\r\n";
}

class PhoneBookReloadTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProfile();
        ASSERT_TRUE(dir.isValid());
        path = dir.path() + "/contacts.vcf";
    }

    void Write(const QString& file, const std::string& bytes) {
        std::ofstream(file.toStdString(), std::ios::binary | std::ios::trunc) << bytes;
    }
    // The name an incoming call from `number` shows with the app's book.
    std::string Caller(const std::string& number) const {
        const auto directory = CallerDirectory::FromPhoneBook(app.m_phoneBook);
        const std::string* name = directory->NameFor(number);
        return name ? Cp932ToUtf8(*name) : "";
    }

    QTemporaryDir dir;
    QString path;
    ScriptedDialogs dialogs;
    CHandsetApp app;
};

TEST_F(PhoneBookReloadTest, TheFileDialogOffersEveryKindAndTheContentsDecide) {
    // A vCard under a name the dialog would not suggest still reads as one.
    const QString oddName = dir.path() + "/export.txt";
    Write(oddName, Card("山田太郎", "+81 90-1234-5678"));
    dialogs.fileAnswers.push_back(oddName);
    app.LoadPhoneBook(QString());
    EXPECT_EQ(dialogs.lastFilters,
              (QStringList{"電話帳 (*.mdd *.vcf *.csv)", "Memory Dial Data File(*.mdd)",
                           "vCard (*.vcf)", "CSV (*.csv)", "All Files (*)"}));
    EXPECT_EQ(app.m_phoneBook.m_format, PhoneBookFormat::VCard);
    EXPECT_EQ(Caller("09012345678"), "山田太郎");
    // Only the count of a book chosen from the menu.
    EXPECT_EQ(dialogs.Texts(), QStringList{"Entries read from export.txt: 1."});
    dialogs.messages.clear();

    // A broken book: one message with the file and line; the cards before stay.
    Write(path, Card("Kept", "0311112222") + "BEGIN:VCARD\r\nFN:Cut\r\n");
    app.LoadPhoneBook(path);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text,
              path + ", line 6: the card that begins here has no END:VCARD");
    EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Stop);
    EXPECT_EQ(Caller("0311112222"), "Kept");
}

TEST_F(PhoneBookReloadTest, ARereadWithoutEntriesKeepsTheBookInUse) {
    Write(path, Card("First", "0311112222"));
    app.LoadPhoneBook(path);
    ASSERT_EQ(Caller("0311112222"), "First");
    for (const std::string& broken : {std::string("Company,Email\r\nACME,a@example.com\r\n"),
                                      std::string("BEGIN:VCARD\r\nFN:Half\r\n"), std::string()}) {
        Write(path, broken);
        app.ReloadPhoneBook();
        app.WaitForPhoneBook();
        EXPECT_EQ(Caller("0311112222"), "First") << broken;
    }
    QFile::remove(path);
    app.ReloadPhoneBook();
    app.WaitForPhoneBook();
    EXPECT_EQ(Caller("0311112222"), "First");
    // Something else in its place (another user's FIFO): never waited on.
    ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0666), 0);
    app.ReloadPhoneBook();
    EXPECT_EQ(Caller("0311112222"), "First");
    QFile::remove(path);
    EXPECT_TRUE(dialogs.messages.empty());  // nobody asked for this read

    // A book with a flaw but with entries is taken, as loading it would; the
    // window keeps the book in use until the new one is read beside it.
    Write(path, Card("Second", "0311112222") + "END:VCARD\r\n");
    app.ReloadPhoneBook();
    EXPECT_EQ(Caller("0311112222"), "First");
    app.WaitForPhoneBook();
    EXPECT_EQ(Caller("0311112222"), "Second");
    EXPECT_EQ(app.m_strPhoneBookFile, path);
}

// The watcher itself: a file written again, and one replaced by a new file as
// editors and exporters save, both lead to a new reading once things settle.
TEST_F(PhoneBookReloadTest, TheBookFollowsItsFileOnDisk) {
    Write(path, Card("First", "0311112222"));
    app.LoadPhoneBook(path);
    ASSERT_TRUE(app.m_phoneBookWatcher);
    app.m_phoneBookWatcher->SetSettleTime(20);

    Write(path, Card("Rewritten", "0311112222"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return Caller("0311112222") == "Rewritten"; }, 10000));

    const QString fresh = dir.path() + "/contacts.vcf.new";
    Write(fresh, Card("Replaced", "0311112222"));
    ASSERT_TRUE(QDir().rename(fresh, path) || (QFile::remove(path) && QFile::rename(fresh, path)));
    EXPECT_TRUE(QTest::qWaitFor([&] { return Caller("0311112222") == "Replaced"; }, 10000));

    // And again after the replacement: the new file is the one watched.
    Write(path, Card("Again", "0311112222"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return Caller("0311112222") == "Again"; }, 10000));
    EXPECT_TRUE(dialogs.messages.empty());
}

}  // namespace
