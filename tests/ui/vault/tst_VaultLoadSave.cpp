// The vault between data.enc and the list, through whole starts of the
// program: the bytes on disk, the status line, and what happens when the file
// cannot be written or read.
#include "EntryTesting.h"
#include "FileSizeLimit.h"
#include "TestEnv.h"
#include "VaultFiles.h"
#include "ui/main/EntryList.h"
#include "ui/main/Form1.h"
#include "ui/vault/frmPass.h"
#include "ui/vault/modGlobals.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

#include <memory>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

using EntryTesting::enciphered;
using EntryTesting::shown;
using VaultFiles::testData;
using platform::MsgButtons;
using platform::MsgIcon;

namespace {

const QByteArray AbcdLine = QByteArray("\xE1\xE2\xE3\xE4\r\n");
// anna|||secret|||www.example.com
const QByteArray AnnaLine = QByteArray("\xE1\xEE\xEE\xE1\xFC\xFC\xFC\xF3\xE5\xE3\xF2\xE5\xF4\xFC\xFC\xFC"
                                       "\xF7\xF7\xF7\xAE\xE5\xF8\xE1\xED\xF0\xEC\xE5\xAE\xE3\xEF\xED\r\n");
// bob|||pw|||
const QByteArray BobLine = QByteArray("\xE2\xEF\xE2\xFC\xFC\xFC\xF0\xF7\xFC\xFC\xFC\r\n");

// What a user does at the dialog: the password, typed twice in create mode, then Ok.
void unlockWith(TestEnv &env, const QString &password)
{
    frmPass *dialog = env.ctx().windows.Find<frmPass>();
    QVERIFY(dialog);
    dialog->txtPass->setText(password);
    if (dialog->txtPass2->isVisible())
        dialog->txtPass2->setText(password);
    dialog->cmdOK->click();
    TestEnv::settle();
}

// Every path under the folder with its size: proof that nothing was written.
QStringList snapshot(const QString &folder)
{
    QStringList entries;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        entries << it.filePath() + " " + QString::number(it.fileInfo().size());
    }
    entries.sort();
    return entries;
}

enum class Obstacle { FileSizeLimit, VaultIsAFolder, FolderUnderAFile, FolderMoved };

QString movedAway(const TestEnv &env)
{
    return env.folder.path() + QStringLiteral("-away");
}

// Makes writing the vault fail the way the row says; a size limit lasts as long as the result.
std::unique_ptr<FileSizeLimit> obstruct(TestEnv &env, Obstacle obstacle)
{
    switch (obstacle) {
    case Obstacle::FileSizeLimit:
        return std::make_unique<FileSizeLimit>(QFileInfo(env.vaultPath()).size());
    case Obstacle::VaultIsAFolder:
        QFile::remove(env.vaultPath());
        QDir().mkpath(env.vaultPath());
        break;
    case Obstacle::FolderUnderAFile: {
        const QString plainFile = env.folder.filePath(QStringLiteral("plain"));
        QFile file(plainFile);
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot prepare %s", qPrintable(plainFile));
        env.platform.folder = plainFile + QStringLiteral("/app");
        // Nor can the user's data folder, where a program folder that cannot be written sends the vault.
        qputenv("XDG_DATA_HOME", QFile::encodeName(plainFile + QStringLiteral("/data")));
        break;
    }
    case Obstacle::FolderMoved:
        QDir().rename(env.folder.path(), movedAway(env));
        break;
    }
    return nullptr;
}

} // namespace

Q_DECLARE_METATYPE(Obstacle)

class VaultLoadSaveTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { m_locale = QLocale(); }
    void cleanup() { QLocale::setDefault(m_locale); }

    void firstStartCreatesTheVaultWithTheNewPassword()
    {
        TestEnv env;
        Form1 *main = env.startProgram();
        QCOMPARE(env.vaultBytes(), QByteArray("\r\n"));
        QVERIFY(env.ctx().windows.Find<frmPass>()->mode() == frmPass::Mode::Create);
        QVERIFY(env.ctx().windows.Find<frmPass>()->txtPass2->isVisible());
        unlockWith(env, QStringLiteral("abcd"));
        QCOMPARE(env.vaultBytes(), QByteArray("\xE1\xE2\xE3\xE4\x0D\x0A"));
        QCOMPARE(main->statusText(), QStringLiteral("Password created successfully"));
        QCOMPARE(main->lstPass->count(), 0);
        QVERIFY(main->isVisible());
        QVERIFY(!env.ctx().windows.IsLoaded<frmPass>());
        QVERIFY(env.platform.messages.empty());
        QVERIFY(!env.platform.ended());
        // Nobody but the owner may read the new vault.
        QCOMPARE(QFile::permissions(env.vaultPath())
                         & (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther),
                 QFile::Permissions());
    }

    void laterStartLoadsTheEntries_data()
    {
        QTest::addColumn<QByteArray>("vault");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("no entries") << testData("unlock/master_only.enc") << "Loaded 0 entries" << QStringList{};
        QTest::newRow("one entry") << testData("unlock/one_entry.enc") << "Loaded 1 entries"
                                   << QStringList{"anna ; secret ; www.example.com"};
    }

    void laterStartLoadsTheEntries()
    {
        QFETCH(QByteArray, vault);
        QFETCH(QString, status);
        QFETCH(QStringList, rows);
        TestEnv env;
        env.writeVault(vault);
        Form1 *main = env.startProgram();
        QVERIFY(env.ctx().windows.Find<frmPass>()->mode() == frmPass::Mode::Check);
        QCOMPARE(main->lstPass->count(), 0); // nothing shows before the password
        unlockWith(env, QStringLiteral("abcd"));
        QCOMPARE(main->statusText(), status);
        QCOMPARE(shown(*main->lstPass), rows);
        QVERIFY(main->isVisible());
        QCOMPARE(env.vaultBytes(), vault);
    }

    void emptyFileIsAVaultWithoutPassword()
    {
        TestEnv env;
        env.writeVault(testData("unlock/zero_bytes.enc"));
        env.startProgram();
        QVERIFY(env.ctx().windows.Find<frmPass>()->mode() == frmPass::Mode::Create);
        unlockWith(env, QStringLiteral("abcd"));
        QCOMPARE(env.vaultBytes(), AbcdLine);
    }

    void entriesOfAVaultWithoutPasswordAreKept()
    {
        TestEnv env;
        env.writeVault(testData("unlock/entries_without_master.enc"));
        Form1 *main = env.startProgram();
        QVERIFY(env.ctx().windows.Find<frmPass>()->mode() == frmPass::Mode::Create);
        unlockWith(env, QStringLiteral("abcd"));
        QCOMPARE(env.vaultBytes(), AbcdLine + AnnaLine + BobLine + "\r\n");
        QCOMPARE(shown(*main->lstPass),
                 (QStringList{"anna ; secret ; www.example.com", "bob ; pw ; "}));
        QCOMPARE(main->statusText(), QStringLiteral("Password created successfully"));
    }

    void vaultBeyondTheOldLimitLoadsAndSavesWhole()
    {
        constexpr int Count = 40000;
        QByteArray vault = AbcdLine;
        for (int i = 1; i <= Count; ++i)
            vault += enciphered("user" + QByteArray::number(i) + "|||pw|||site") + "\r\n";
        vault += "\r\n";
        TestEnv env;
        env.writeVault(vault);
        Form1 *main = env.startUnlocked(QStringLiteral("abcd"));
        QCOMPARE(main->statusText(), QStringLiteral("Loaded 40000 entries"));
        QCOMPARE(main->lstPass->item(Count).Username, QStringLiteral("user40000"));
        QFile::remove(env.vaultPath());
        QVERIFY(modGlobals::SaveVault(env.ctx(), *main));
        QCOMPARE(env.vaultBytes(), vault);
    }

    void saveWritesEveryRowInDisplayOrder()
    {
        TestEnv env;
        env.writeVault(testData("unlock/one_entry.enc"));
        Form1 *main = env.startUnlocked(QStringLiteral("abcd"));
        VaultSession &session = env.ctx().session();
        QVERIFY(session.add({"bob", "pw", ""}));
        // Written anew by the next save, from the rows shown.
        QFile::remove(env.vaultPath());
        QVERIFY(modGlobals::SaveVault(env.ctx(), *main));
        QCOMPARE(env.vaultBytes(), AbcdLine + AnnaLine + BobLine + "\r\n");
        QVERIFY(session.remove(0));
        QVERIFY(session.remove(0));
        QFile::remove(env.vaultPath());
        QVERIFY(modGlobals::SaveVault(env.ctx(), *main));
        QCOMPARE(env.vaultBytes(), testData("unlock/master_only.enc"));
        QVERIFY(env.platform.messages.empty());
    }

    void savedStatusShowsTheLocalDateAndTime_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QTime>("time");
        QTest::addColumn<QString>("status");
        QTest::newRow("US afternoon") << "en_US" << QTime(14, 5, 9) << "Saved 12/8/26 2:05:09 PM";
        QTest::newRow("German afternoon") << "de_DE" << QTime(14, 5, 9) << "Saved 08.12.26 14:05:09";
        QTest::newRow("Finnish dots") << "fi_FI" << QTime(9, 30, 0) << "Saved 8.12.2026 9.30.00";
        QTest::newRow("Spanish, zone in brackets") << "es_ES" << QTime(7, 0, 1) << "Saved 8/12/26 7:00:01";
        QTest::newRow("US midnight") << "en_US" << QTime(0, 0, 0) << "Saved 12/8/26";
        QTest::newRow("German midnight") << "de_DE" << QTime(0, 0, 0) << "Saved 08.12.26";
        QTest::newRow("second after midnight") << "en_US" << QTime(0, 0, 1) << "Saved 12/8/26 12:00:01 AM";
        QTest::newRow("just before midnight") << "de_DE" << QTime(23, 59, 59) << "Saved 08.12.26 23:59:59";
    }

    void savedStatusShowsTheLocalDateAndTime()
    {
        QFETCH(QString, locale);
        QFETCH(QTime, time);
        QFETCH(QString, status);
        QLocale::setDefault(QLocale(locale));
        TestEnv env;
        env.writeVault(testData("unlock/master_only.enc"));
        Form1 *main = env.startUnlocked(QStringLiteral("abcd"));
        env.platform.clock = QDateTime(QDate(2026, 12, 8), time);
        QVERIFY(modGlobals::SaveVault(env.ctx(), *main));
        QCOMPARE(main->statusText(), status);
    }

    void failedSaveTellsTheUserAndKeepsTheOldFile_data()
    {
        QTest::addColumn<Obstacle>("obstacle");
#ifdef Q_OS_UNIX
        QTest::newRow("disk full") << Obstacle::FileSizeLimit;
#endif
        QTest::newRow("data.enc is a folder") << Obstacle::VaultIsAFolder;
        QTest::newRow("folder moved away") << Obstacle::FolderMoved;
    }

    void failedSaveTellsTheUserAndKeepsTheOldFile()
    {
        QFETCH(Obstacle, obstacle);
        TestEnv env;
        env.writeVault(testData("unlock/master_only.enc"));
        Form1 *main = env.startUnlocked(QStringLiteral("abcd"));
        const QString originalFolder = env.platform.folder;
        {
            const auto blocked = obstruct(env, obstacle);
            const QString path = QDir::toNativeSeparators(env.vaultPath());
            QVERIFY(!modGlobals::SaveVault(env.ctx(), *main, env.ctx().session().add({"anna", "secret", "www.example.com"})));
            QCOMPARE(env.platform.messages.size(), size_t(1));
            const auto &message = env.platform.messages[0];
            QCOMPARE(message.title, QStringLiteral("Error"));
            QCOMPARE(message.buttons, MsgButtons::Ok);
            QCOMPARE(message.icon, MsgIcon::Critical);
            QVERIFY2(message.text.startsWith(QStringLiteral("Your entries were NOT saved.")),
                     qPrintable(message.text));
            QVERIFY2(message.text.contains(path), qPrintable(message.text));
            QCOMPARE(main->statusText(), QStringLiteral("Entries NOT saved to ") + path);
        }
        if (obstacle == Obstacle::FolderMoved)
            QDir().rename(movedAway(env), originalFolder);
        if (obstacle == Obstacle::FileSizeLimit)
            QCOMPARE(env.vaultBytes(), testData("unlock/master_only.enc"));
        if (obstacle == Obstacle::VaultIsAFolder)
            QVERIFY(QFileInfo(env.vaultPath()).isDir());
        // No half-written file is left beside the lock and the backup.
        QCOMPARE(snapshot(originalFolder).filter(QRegularExpression(QStringLiteral("data\\.enc\\.(?!bak |lock )"))),
                 QStringList{});
        // The entry is still in the list; once the way is clear the next save writes it.
        QCOMPARE(shown(*main->lstPass), QStringList{"anna ; secret ; www.example.com"});
        env.platform.folder = originalFolder;
        if (QFileInfo(env.vaultPath()).isDir())
            QDir(env.vaultPath()).removeRecursively();
        QVERIFY(modGlobals::SaveVault(env.ctx(), *main));
        QCOMPARE(env.vaultBytes(), AbcdLine + AnnaLine + "\r\n");
        QVERIFY(main->statusText().startsWith(QStringLiteral("Saved ")));
    }

    void unusableVaultAtStartEndsTheProgram_data()
    {
        QTest::addColumn<Obstacle>("obstacle");
        QTest::newRow("data.enc is a folder") << Obstacle::VaultIsAFolder;
        QTest::newRow("folder path runs through a file") << Obstacle::FolderUnderAFile;
    }

    void unusableVaultAtStartEndsTheProgram()
    {
        QFETCH(Obstacle, obstacle);
        TestEnv env;
        const auto blocked = obstruct(env, obstacle);
        const QStringList before = snapshot(env.folder.path());
        Form1 *main = env.startProgram();
        QCOMPARE(env.platform.messages.size(), size_t(1));
        const auto &message = env.platform.messages[0];
        QCOMPARE(message.title, QStringLiteral("Error"));
        QCOMPARE(message.buttons, MsgButtons::Ok);
        QVERIFY2(message.text.contains(QDir::toNativeSeparators(env.ctx().vaultPath())),
                 qPrintable(message.text));
        // At start nothing is being saved; the message must not say so.
        QVERIFY2(!message.text.contains(QStringLiteral("save")), qPrintable(message.text));
        QCOMPARE(env.platform.endProgramCalls, 1);
        QVERIFY(!env.ctx().windows.IsLoaded<frmPass>());
        QVERIFY(!main->isVisible());
        QCOMPARE(snapshot(env.folder.path()), before);
    }

    void vaultThatCannotTakeTheNewPasswordEndsTheProgram()
    {
#ifdef Q_OS_UNIX
        TestEnv env;
        Form1 *main = env.startProgram();
        {
            const FileSizeLimit full(QFileInfo(env.vaultPath()).size());
            unlockWith(env, QStringLiteral("abcd"));
        }
        QCOMPARE(env.vaultBytes(), QByteArray("\r\n"));
        QCOMPARE(env.platform.messages.size(), size_t(1));
        QCOMPARE(env.platform.messages[0].title, QStringLiteral("Error"));
        QCOMPARE(env.platform.endProgramCalls, 1);
        QVERIFY(!main->isVisible());
        QVERIFY(main->statusText().isEmpty());
#else
        QSKIP("needs a file size limit");
#endif
    }

private:
    QLocale m_locale;
};

QTEST_MAIN(VaultLoadSaveTest)
#include "tst_VaultLoadSave.moc"
