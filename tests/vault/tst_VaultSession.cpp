// The open vault, without a window: the lock, changes made by another program,
// backups, and files that are not vaults. Checked on the bytes on disk.
#include "FileSizeLimit.h"
#include "vault/EncryptedFormat.h"
#include "vault/VaultFile.h"
#include "vault/VaultKey.h"
#include "vault/VaultFormat.h"
#include "vault/VaultSession.h"
#include "VaultFiles.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSaveFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

using namespace Qt::StringLiterals;
using Entries = std::vector<VaultEntry>;
using SaveStatus = VaultSession::SaveStatus;
using Unlock = VaultSession::UnlockOutcome;
using Reload = VaultSession::ReloadOutcome;
using VaultFiles::contentsOf;
using VaultFiles::encryptedVaultOf;
using VaultFiles::entriesOf;
using VaultFiles::rewriteOutside;
using VaultFiles::rowsOf;
using VaultFiles::vaultOf;
using VaultFiles::writeFile;
using VaultFiles::writeLockOf;

Q_DECLARE_METATYPE(Entries)
Q_DECLARE_METATYPE(VaultSession::Resolution)

namespace {

const QString Master = u"abcd"_s;
const VaultEntry Anna{u"anna"_s, u"secret"_s, u"www.example.com"_s};
const VaultEntry Bob{u"bob"_s, u"pw"_s, QString()};
const VaultEntry Carl{u"carl"_s, u"c4rl"_s, u"mail.example"_s};
const VaultEntry Dora{u"dora"_s, u"d0ra"_s, u"d.example"_s};
const VaultEntry Eve{u"eve"_s, u"3ve"_s, u"e.example"_s};
// Bob as changed here, and as another program changed him meanwhile.
const VaultEntry Bobby{u"bobby"_s, u"pw"_s, QString()};
const VaultEntry BobThere{u"bob"_s, u"new pw"_s, QString()};

// Fast to derive: the tests are about the file, not the key's strength.
constexpr EncryptedFormat::KdfLimits QuickLimits{1, 8192};

struct OpenVault
{
    explicit OpenVault(const QString &path) : session(path)
    {
        if (session.acquireLock() != VaultLock::Status::Taken || !session.open()
            || session.unlock(Master).value() != Unlock::Unlocked)
            qFatal("cannot open the test vault");
    }
    VaultSession session;
};

} // namespace

class VaultSessionTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_path = m_dir->filePath(u"data.enc"_s);
    }

    void secondSessionOnTheSameVaultIsRefused()
    {
        writeFile(m_path, vaultOf({Anna}));
        VaultSession first(m_path);
        QCOMPARE(first.acquireLock(), VaultLock::Status::Taken);
        VaultSession second(m_path);
        QCOMPARE(second.acquireLock(), VaultLock::Status::HeldByRunningProgram);
        QCOMPARE(second.fileLock().owner().pid, QCoreApplication::applicationPid());
        first.releaseLock();
        QCOMPARE(second.acquireLock(), VaultLock::Status::Taken);
    }

    void lockLeftByACrashIsTakenOver()
    {
        QProcess crashing;
        crashing.start(QCoreApplication::applicationFilePath(), {u"--crash-holding-lock"_s, m_path + u".lock"_s});
        QVERIFY(crashing.waitForStarted());
        const qint64 crashedPid = crashing.processId();
        QVERIFY(crashing.waitForFinished());
        QVERIFY2(QFile::exists(m_path + u".lock"_s), "the crashed program left no lock behind");
        // Left in place until the user, who hears who left it, takes it over.
        VaultSession session(m_path);
        QCOMPARE(session.acquireLock(), VaultLock::Status::HeldElsewhere);
        QCOMPARE(session.fileLock().owner().pid, crashedPid);
        QVERIFY(!session.holdsLock());
        QVERIFY(QFile::exists(m_path + u".lock"_s));
        QVERIFY(session.takeOverLock());
        QVERIFY(session.holdsLock());
    }

    void changesFromOutsideAreKeptUnderTheUsersChange_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<Entries>("expected");
        QTest::newRow("add") << u"add"_s << Entries{Anna, Bob, Carl, Dora};
        QTest::newRow("edit") << u"edit"_s << Entries{Anna, Dora, Carl};
        QTest::newRow("delete") << u"delete"_s << Entries{Bob, Carl};
    }

    void changesFromOutsideAreKeptUnderTheUsersChange()
    {
        QFETCH(QString, change);
        QFETCH(Entries, expected);
        writeFile(m_path, vaultOf({Anna, Bob}));
        OpenVault vault(m_path);
        rewriteOutside(m_path, vaultOf({Anna, Bob, Carl}));

        VaultSession &session = vault.session;
        const Result<SaveStatus> saved = change == u"add"_s ? session.add(Dora)
                : change == u"edit"_s                      ? session.replace(1, Dora)
                                                           : session.remove(0);
        QVERIFY2(saved, qPrintable(saved.message()));
        QCOMPARE(saved.value(), SaveStatus::Saved);
        QCOMPARE(contentsOf(m_path), vaultOf(expected));
        QCOMPARE(entriesOf(session.entries().rows()), expected);
        QVERIFY(!session.hasUnsavedChanges());
    }

    void newMasterPasswordThereIsLeftToTheUser()
    {
        writeFile(m_path, vaultOf({Anna, Bob}));
        OpenVault vault(m_path);
        const QByteArray outside = vaultOf({Anna, Bob}, u"other"_s);
        rewriteOutside(m_path, outside);

        const Result<SaveStatus> saved = vault.session.replace(0, Dora);
        QVERIFY(saved);
        QCOMPARE(saved.value(), SaveStatus::Conflict);
        QVERIFY2(vault.session.conflictReason().contains(u"master password"_s), qPrintable(vault.session.conflictReason()));
        QCOMPARE(contentsOf(m_path), outside);
        QVERIFY(vault.session.hasUnsavedChanges());

        // The user chose the list shown here.
        QVERIFY(vault.session.saveOverwriting());
        QCOMPARE(contentsOf(m_path), vaultOf({Dora, Bob}));
        QVERIFY(!vault.session.hasUnsavedChanges());
    }

    void changedOnBothSidesIsAskedAboutOnceTheFileIsShown_data()
    {
        QTest::addColumn<Entries>("outside");
        QTest::addColumn<bool>("deleteHere"); // else Bob is renamed Bobby here
        QTest::addColumn<VaultSession::Resolution>("resolution");
        QTest::addColumn<Entries>("shown"); // while the user is asked
        QTest::addColumn<Entries>("saved");
        using R = VaultSession::Resolution;
        const Entries changedThere{Anna, BobThere, Carl, Dora};
        QTest::newRow("changed there, edited here: keep mine") << changedThere << false << R::KeepMine
                << Entries{Anna, Bobby, Carl, Dora} << Entries{Anna, Bobby, Carl, Dora, Eve};
        QTest::newRow("changed there, edited here: keep theirs") << changedThere << false << R::KeepTheirs
                << Entries{Anna, Bobby, Carl, Dora} << Entries{Anna, BobThere, Carl, Dora, Eve};
        QTest::newRow("changed there, edited here: keep both") << changedThere << false << R::KeepBoth
                << Entries{Anna, Bobby, Carl, Dora} << Entries{Anna, BobThere, Carl, Dora, Bobby, Eve};
        QTest::newRow("deleted there, edited here: keep theirs") << Entries{Anna, Carl, Dora} << false
                << R::KeepTheirs << Entries{Anna, Carl, Dora, Bobby} << Entries{Anna, Carl, Dora, Eve};
        QTest::newRow("deleted there, edited here: keep mine") << Entries{Anna, Carl, Dora} << false
                << R::KeepMine << Entries{Anna, Carl, Dora, Bobby} << Entries{Anna, Carl, Dora, Bobby, Eve};
        QTest::newRow("changed there, deleted here: keep mine") << changedThere << true << R::KeepMine
                << Entries{Anna, BobThere, Carl, Dora} << Entries{Anna, Carl, Dora, Eve};
        QTest::newRow("changed there, deleted here: keep both") << changedThere << true << R::KeepBoth
                << Entries{Anna, BobThere, Carl, Dora} << Entries{Anna, BobThere, Carl, Dora, Eve};
    }

    void changedOnBothSidesIsAskedAboutOnceTheFileIsShown()
    {
        QFETCH(Entries, outside);
        QFETCH(bool, deleteHere);
        QFETCH(VaultSession::Resolution, resolution);
        QFETCH(Entries, shown);
        QFETCH(Entries, saved);
        writeFile(m_path, vaultOf({Anna, Bob, Carl}));
        OpenVault vault(m_path);
        VaultSession &session = vault.session;
        rewriteOutside(m_path, vaultOf(outside));
        const QByteArray theirFile = contentsOf(m_path);

        Result<SaveStatus> status = deleteHere ? session.remove(1) : session.replace(1, Bobby);
        QCOMPARE(status.value(), SaveStatus::Disputed);
        QCOMPARE(entriesOf(session.entries().rows()), shown);
        QCOMPARE(session.disputes().size(), size_t(1));
        QCOMPARE(session.disputes()[0].mine, deleteHere ? std::nullopt : std::optional(Bobby));
        QCOMPARE(session.disputes()[0].theirs.has_value(), outside.size() == 4);
        QCOMPARE(contentsOf(m_path), theirFile);

        // Left unanswered, the next change asks about Bob alone, and writes nothing.
        status = session.add(Eve);
        QCOMPARE(status.value(), SaveStatus::Disputed);
        QCOMPARE(session.disputes().size(), size_t(1));
        QCOMPARE(contentsOf(m_path), theirFile);

        status = session.resolveDisputes(resolution);
        QCOMPARE(status.value(), SaveStatus::Saved);
        QCOMPARE(contentsOf(m_path), vaultOf(saved));
        QCOMPARE(entriesOf(session.entries().rows()), saved);
        QVERIFY(!session.hasUnsavedChanges());
    }

    void laterChangesToADisputedEntryJoinIt()
    {
        writeFile(m_path, vaultOf({Anna, Bob, Carl}));
        OpenVault vault(m_path);
        VaultSession &session = vault.session;
        rewriteOutside(m_path, vaultOf({Anna, BobThere, Carl}));
        QCOMPARE(session.replace(1, Bobby).value(), SaveStatus::Disputed);

        // Edited again before the user chose: still one entry to ask about, as it is now.
        const VaultEntry Bobby2{u"bobby2"_s, u"pw2"_s, u"b.example"_s};
        QCOMPARE(session.replace(1, Bobby2).value(), SaveStatus::Disputed);
        QCOMPARE(session.disputes().size(), size_t(1));
        QCOMPARE(session.disputes()[0].mine, std::optional(Bobby2));
        QCOMPARE(session.resolveDisputes(VaultSession::Resolution::KeepMine).value(), SaveStatus::Saved);
        QCOMPARE(contentsOf(m_path), vaultOf({Anna, Bobby2, Carl}));
    }

    void halvesOfASaveLeftByACrashAreCleared()
    {
        writeFile(m_path, vaultOf({Anna}));
        for (const QString &name : {u"data.enc.saving-a1B2c3"_s, u"data.enc.saving-x9Y8z7"_s, u"data.enc.backup"_s})
            writeFile(m_dir->filePath(name), vaultOf({Bob}));
        OpenVault vault(m_path);
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{u"data.enc"_s, u"data.enc.backup"_s, u"data.enc.lock"_s}));
    }

    void vanishedVaultIsNotStartedOver_data()
    {
        QTest::addColumn<QByteArray>("vault"); // "<missing>": deleted
        QTest::addColumn<bool>("encryptedBackup");
        QTest::addColumn<bool>("refused");
        QTest::newRow("deleted, scrambled backup") << "<missing>"_ba << false << true;
        QTest::newRow("deleted, encrypted backup") << "<missing>"_ba << true << true;
        QTest::newRow("emptied to CR LF, encrypted backup") << "\r\n"_ba << true << true;
        QTest::newRow("zero bytes, scrambled backup") << QByteArray() << false << true;
        QTest::newRow("a link to a file that is away, no backup here") << "<link>"_ba << false << true;
    }

    void vanishedVaultIsNotStartedOver()
    {
        QFETCH(QByteArray, vault);
        QFETCH(bool, encryptedBackup);
        const QString backup = VaultFile::backupPathOf(m_path);
        writeFile(m_path, vaultOf({Anna}));
        {
            OpenVault opened(m_path);
            QVERIFY(opened.session.add(Bob));
            if (encryptedBackup)
                QVERIFY(opened.session.encrypt(QuickLimits));
        }
        const QByteArray backupBytes = contentsOf(backup);
        QVERIFY(QFile::remove(m_path));
        if (vault == "<link>") {
            QVERIFY(QFile::remove(backup));
            QVERIFY(QFile::link(m_dir->filePath(u"away/data.enc"_s), m_path));
        } else if (vault != "<missing>") {
            writeFile(m_path, vault);
        }

        VaultSession session(m_path);
        const Result<void> opened = session.open();
        QVERIFY(!opened);
        if (vault == "<link>") {
            QVERIFY2(opened.message().contains(u"is a link to"_s), qPrintable(opened.message()));
            QVERIFY(QFileInfo(m_path).isSymLink());
            return;
        }
        for (const QString &named : {m_path, backup})
            QVERIFY2(opened.message().contains(u"\""_s + QDir::toNativeSeparators(named) + u"\""_s),
                     qPrintable(opened.message()));
        QVERIFY2(opened.message().contains(u"copy"_s), qPrintable(opened.message()));
        QCOMPARE(contentsOf(m_path), vault);
        QCOMPARE(contentsOf(backup), backupBytes);
    }

    void emptyVaultWithAnEmptyBackupIsAFirstUse()
    {
        writeFile(m_path, "\r\n");
        writeFile(VaultFile::backupPathOf(m_path), "\r\n");
        VaultSession session(m_path);
        QVERIFY(session.open());
        QVERIFY(session.needsNewMasterPassword());
        QVERIFY(session.createMasterPassword(Master));
        QCOMPARE(contentsOf(m_path), VaultFormat::masterOnly(Master));
        // A vault without a master password never becomes the backup.
        QCOMPARE(contentsOf(VaultFile::backupPathOf(m_path)), "\r\n"_ba);
    }

    void lockOfAnotherComputerIsNamedAndCanBeTakenOver()
    {
        writeFile(m_path, vaultOf({Anna}));
        writeLockOf(m_path, 4242, u"far-away-pc"_s);
        const QByteArray theirLock = contentsOf(m_path + u".lock"_s);
        VaultSession session(m_path);
        QCOMPARE(session.acquireLock(), VaultLock::Status::HeldElsewhere);
        const QString owner = session.fileLock().owner().describe();
        QVERIFY2(owner.contains(u"4242"_s) && owner.contains(u"\"far-away-pc\""_s), qPrintable(owner));
        QCOMPARE(contentsOf(m_path + u".lock"_s), theirLock);

        QVERIFY(session.takeOverLock());
        QVERIFY(contentsOf(m_path + u".lock"_s).startsWith(QByteArray::number(QCoreApplication::applicationPid()) + '\n'));
    }

    void everyNameOfTheVaultMeetsTheSameLock()
    {
        writeFile(m_path, vaultOf({Anna}));
        QTemporaryDir elsewhere;
        const QString alias = elsewhere.filePath(u"alias.enc"_s);
        QVERIFY(QFile::link(m_path, alias));
        OpenVault first(m_path);

        VaultSession second(alias);
        QCOMPARE(second.path(), m_path);
        QCOMPARE(second.acquireLock(), VaultLock::Status::HeldByRunningProgram);
        QVERIFY(!QFile::exists(alias + u".lock"_s));
    }

    void vaultThatCannotBeLockedIsReadOnly_data()
    {
        QTest::addColumn<bool>("missingFolder");
        QTest::addColumn<QString>("reason");
#ifdef Q_OS_UNIX
        QTest::newRow("disk full") << false << qt_error_string(EFBIG);
#endif
        QTest::newRow("missing folder") << true << u"does not exist"_s;
    }

    void vaultThatCannotBeLockedIsReadOnly()
    {
        QFETCH(bool, missingFolder);
        QFETCH(QString, reason);
        const QString path = missingFolder ? m_dir->filePath(u"gone/data.enc"_s) : m_path;
        if (!missingFolder)
            writeFile(path, vaultOf({Anna}));
        VaultSession session(path);
        VaultLock::Status status;
        {
            const FileSizeLimit full(0);
            status = session.acquireLock();
        }
        QCOMPARE(status, VaultLock::Status::Unavailable);
        QVERIFY2(session.fileLock().reason().contains(reason), qPrintable(session.fileLock().reason()));
        QVERIFY(!QFile::exists(path + u".lock"_s));
        if (missingFolder)
            return;

        session.openReadOnly(session.fileLock().reason());
        QVERIFY(session.open());
        QCOMPARE(session.unlock(Master).value(), Unlock::Unlocked);
        QCOMPARE(entriesOf(session.entries().rows()), Entries{Anna});
        const Result<SaveStatus> added = session.add(Bob);
        QVERIFY(!added);
        QVERIFY2(added.message().contains(u"read-only"_s) && added.message().contains(reason), qPrintable(added.message()));
        QCOMPARE(entriesOf(session.entries().rows()), Entries{Anna});
        QCOMPARE(contentsOf(path), vaultOf({Anna}));
    }

    void failedSaveLeavesVaultAndBackupAsTheyWere()
    {
        writeFile(m_path, vaultOf({Anna}));
        OpenVault vault(m_path);
        QVERIFY(vault.session.add(Bob));
        Result<SaveStatus> saved = SaveStatus::Saved;
        {
            const FileSizeLimit full(16);
            saved = vault.session.add(Carl);
        }
        QVERIFY(!saved);
        QCOMPARE(contentsOf(m_path), vaultOf({Anna, Bob}));
        QCOMPARE(contentsOf(VaultFile::backupPathOf(m_path)), vaultOf({Anna}));
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{u"data.enc"_s, u"data.enc.bak"_s, u"data.enc.lock"_s}));
    }

    void linkInPlaceOfTheBackupIsNotWrittenThrough_data()
    {
        QTest::addColumn<bool>("sharedVault"); // the backup is then a copy, not a second name
        QTest::newRow("owner-only vault") << false;
        QTest::newRow("vault readable by the group") << true;
    }

    void linkInPlaceOfTheBackupIsNotWrittenThrough()
    {
        QFETCH(bool, sharedVault);
        writeFile(m_path, vaultOf({Anna}));
        if (sharedVault)
            QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
        const QString victim = m_dir->filePath(u"notes.txt"_s);
        writeFile(victim, "my notes");
        const QString backup = VaultFile::backupPathOf(m_path);
        QVERIFY(QFile::link(victim, backup));

        OpenVault vault(m_path);
        QVERIFY(vault.session.add(Bob));
        QCOMPARE(contentsOf(victim), "my notes"_ba);
        QVERIFY(!QFileInfo(backup).isSymLink());
        QCOMPARE(contentsOf(backup), vaultOf({Anna}));
    }

    void outsideWritesOfEveryKindAreNoticed_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("replaced by a rename") << u"rename"_s;
        QTest::newRow("rewritten in place") << u"in place"_s;
        QTest::newRow("through a link in another folder") << u"link"_s;
    }

    void outsideWritesOfEveryKindAreNoticed()
    {
        QFETCH(QString, how);
        writeFile(m_path, vaultOf({Anna}));
        QTemporaryDir elsewhere;
        const QString alias = elsewhere.filePath(u"alias.enc"_s);
        QVERIFY(QFile::link(m_path, alias));
        OpenVault vault(m_path);
        QSignalSpy changed(&vault.session, &VaultSession::changedOutside);
        // Twice, after a save of our own each time: the watch must outlive every kind of write.
        for (const Entries &outside : {Entries{Anna, Carl}, Entries{Anna, Carl, Dora}}) {
            QVERIFY(vault.session.add(Bob));
            changed.clear();
            if (how == u"in place"_s) {
                rewriteOutside(m_path, vaultOf(outside));
            } else {
                QSaveFile file(how == u"link"_s ? alias : m_path);
                QVERIFY(file.open(QIODevice::WriteOnly));
                file.write(vaultOf(outside));
                QVERIFY(file.commit());
            }
            QTRY_VERIFY(changed.count() > 0);
            QCOMPARE(vault.session.reloadIfChangedOutside().value(), Reload::Reloaded);
            QCOMPARE(entriesOf(vault.session.entries().rows()), outside);
        }
    }

    // A copy tool may put the time back; the change is still kept under our own save.
    void anOutsideWriteOfTheSameSizeAndTimeIsKept()
    {
        writeFile(m_path, vaultOf({Anna, Bob}));
        OpenVault vault(m_path);
        const QDateTime time = QFileInfo(m_path).lastModified();
        const VaultEntry changed{Bob.Username, u"PW"_s, Bob.Location};
        {
            QFile file(m_path);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QCOMPARE(file.write(vaultOf({Anna, changed})), file.size());
            QVERIFY(file.flush());
            QVERIFY(file.setFileTime(time, QFileDevice::FileModificationTime));
        }
        QCOMPARE(QFileInfo(m_path).lastModified(), time);
        QVERIFY(vault.session.add(Carl));
        QCOMPARE(contentsOf(m_path), vaultOf({Anna, changed, Carl}));
    }

    void versionOneVaultBecomesVersionTwoAtItsNextSave()
    {
        QVERIFY(QFile::copy(QStringLiteral(KEYHOLDER_TEST_DATA "/vault/version1.enc"), m_path));
        QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner);
        VaultSession session(m_path);
        QVERIFY(session.open());
        QCOMPARE(session.unlock(u"abcd"_s).value(), Unlock::Unlocked);
        QVERIFY(session.add(Bob));
        const QByteArray saved = contentsOf(m_path);
        QCOMPARE(quint8(saved[8]), EncryptedFormat::Version);
        VaultSession again(m_path);
        QVERIFY(again.open());
        QCOMPARE(again.unlock(u"abcd"_s).value(), Unlock::Unlocked);
        QCOMPARE(again.entries().rowCount(), 2);
    }

    void masterPasswordChangedBeforeUnlockIsTheOneThatCounts()
    {
        writeFile(m_path, vaultOf({Anna}));
        VaultSession session(m_path);
        QVERIFY(session.open());
        rewriteOutside(m_path, vaultOf({Anna, Bob}, u"newer"_s));
        QCOMPARE(session.unlock(Master).value(), Unlock::WrongPassword);
        QCOMPARE(session.unlock(u"newer"_s).value(), Unlock::Unlocked);
        QCOMPARE(entriesOf(session.entries().rows()), (Entries{Anna, Bob}));
    }

    void fileThatNoLongerReadsIsNotOverwritten()
    {
        writeFile(m_path, vaultOf({Anna}));
        OpenVault vault(m_path);
        QVERIFY(QFile::resize(m_path, VaultFile::MaximumSize + 1));

        const Result<SaveStatus> saved = vault.session.add(Bob);
        QCOMPARE(saved.value(), SaveStatus::Conflict);
        QVERIFY2(vault.session.conflictReason().contains(u"can no longer be read"_s), qPrintable(vault.session.conflictReason()));
        QCOMPARE(QFileInfo(m_path).size(), VaultFile::MaximumSize + 1);
    }

    void outsideChangeIsShownAndWatched()
    {
        writeFile(m_path, vaultOf({Anna}));
        OpenVault vault(m_path);
        QAbstractItemModelTester tester(&vault.session.entries());
        QSignalSpy changed(&vault.session, &VaultSession::changedOutside);
        QCOMPARE(vault.session.reloadIfChangedOutside().value(), Reload::Unchanged);

        rewriteOutside(m_path, vaultOf({Anna, Carl}));
        QTRY_VERIFY(changed.count() > 0);
        QCOMPARE(vault.session.reloadIfChangedOutside().value(), Reload::Reloaded);
        QCOMPARE(entriesOf(vault.session.entries().rows()), (Entries{Anna, Carl}));

        // A save of our own is no outside change: the one report after it is
        // the outside change that follows, reloaded as the window does.
        std::vector<Reload> reports;
        const QObject listener;
        connect(&vault.session, &VaultSession::changedOutside, &listener,
                [&] { reports.push_back(vault.session.reloadIfChangedOutside().value()); });
        QVERIFY(vault.session.add(Bob));
        QCoreApplication::processEvents(); // what the file system tells of our save
        rewriteOutside(m_path, vaultOf({Anna, Carl, Dora}));
        QTRY_VERIFY(!reports.empty());
        QCOMPARE(reports.size(), size_t(1));
        QCOMPARE(reports[0], Reload::Reloaded);
        QCOMPARE(entriesOf(vault.session.entries().rows()), (Entries{Anna, Carl, Dora}));
    }

    void everySaveKeepsThePreviousFileOwnerOnly_data()
    {
        QTest::addColumn<bool>("sharedVault");
        QTest::newRow("owner-only vault") << false;
        QTest::newRow("vault readable by the group") << true;
    }

    void everySaveKeepsThePreviousFileOwnerOnly()
    {
        QFETCH(bool, sharedVault);
        writeFile(m_path, vaultOf({Anna}));
        if (sharedVault)
            QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
        OpenVault vault(m_path);
        QVERIFY(vault.session.add(Bob));
        QVERIFY(vault.session.add(Carl));

        const QString backup = VaultFile::backupPathOf(m_path);
        QCOMPARE(contentsOf(backup), vaultOf({Anna, Bob}));
        QCOMPARE(contentsOf(m_path), vaultOf({Anna, Bob, Carl}));
        QCOMPARE(QFile::permissions(backup) & ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser),
                 QFile::ReadOwner | QFile::WriteOwner);
    }

    void failedBackupFailsTheSave()
    {
        writeFile(m_path, vaultOf({Anna}));
        OpenVault vault(m_path);
        QVERIFY(QDir().mkpath(VaultFile::backupPathOf(m_path) + u"/blocked"_s));

        const Result<SaveStatus> saved = vault.session.add(Bob);
        QVERIFY(!saved);
        QVERIFY2(saved.message().contains(u"backup"_s), qPrintable(saved.message()));
        QCOMPARE(contentsOf(m_path), vaultOf({Anna}));
        QVERIFY(vault.session.hasUnsavedChanges());
    }

    void onlyARegularFileIsAVault_data()
    {
        QTest::addColumn<QString>("kind");
#ifdef Q_OS_UNIX
        QTest::newRow("pipe") << u"pipe"_s;
#endif
        QTest::newRow("folder") << u"folder"_s;
    }

    void onlyARegularFileIsAVault()
    {
        QFETCH(QString, kind);
#ifdef Q_OS_UNIX
        if (kind == u"pipe"_s)
            QCOMPARE(mkfifo(QFile::encodeName(m_path).constData(), 0600), 0);
#endif
        if (kind == u"folder"_s)
            QVERIFY(QDir().mkpath(m_path));
        VaultSession session(m_path);
        const Result<void> opened = session.open();
        QVERIFY(!opened);
        QVERIFY2(opened.message().contains(u"not a regular file"_s), qPrintable(opened.message()));
        QCOMPARE(QFileInfo(m_path).isFile(), false);
        QVERIFY(QFileInfo(m_path).exists());
    }

    void vaultReachedThroughALinkKeepsTheLink()
    {
        const QString target = m_dir->filePath(u"real.enc"_s);
        writeFile(target, vaultOf({Anna}));
        QVERIFY(QFile::link(target, m_path));
        OpenVault vault(m_path);
        QVERIFY(vault.session.add(Bob));
        QVERIFY(QFileInfo(m_path).isSymLink());
        QCOMPARE(contentsOf(target), vaultOf({Anna, Bob}));
    }

    void oversizedFileIsRefusedUnread()
    {
        writeFile(m_path, vaultOf({Anna}));
        QVERIFY(QFile::resize(m_path, VaultFile::MaximumSize + 1));
        VaultSession session(m_path);
        const Result<void> opened = session.open();
        QVERIFY(!opened);
        QVERIFY2(opened.message().contains(u"larger than the 256 MiB"_s), qPrintable(opened.message()));
        QCOMPARE(QFileInfo(m_path).size(), VaultFile::MaximumSize + 1);
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"data.enc"_s});
    }

    void hugeFieldIsKeptWhole()
    {
        const QString longPassword(100000, u'x');
        writeFile(m_path, vaultOf({{u"anna"_s, longPassword, u"site"_s}}));
        OpenVault vault(m_path);
        const EntryListModel &rows = vault.session.entries();
        QCOMPARE(rows.data(rows.index(0, 1), Qt::DisplayRole).toString(), longPassword);
        QCOMPARE(rows.entry(0).Password, longPassword);
        QVERIFY(vault.session.add(Bob));
        QCOMPARE(contentsOf(m_path), vaultOf({{u"anna"_s, longPassword, u"site"_s}, Bob}));
    }

    void encryptThenDecryptGivesTheScrambledFileBack()
    {
        const QByteArray scrambled = vaultOf({Anna, Bob});
        writeFile(m_path, vaultOf({Anna}));
        OpenVault vault(m_path);
        QVERIFY(vault.session.add(Bob));
        QVERIFY(vault.session.encrypt(QuickLimits));
        const QByteArray encrypted = contentsOf(m_path);
        QVERIFY(EncryptedFormat::isEncrypted(encrypted));
        // The backup keeps the version before the last save, sealed too.
        const QString backup = VaultFile::backupPathOf(m_path);
        const QByteArray sealedBackup = contentsOf(backup);
        Result<VaultKey> backupKey = VaultKey::forFile(sealedBackup, Master);
        QVERIFY(backupKey);
        QCOMPARE(EncryptedFormat::open(sealedBackup, backupKey.value()).value(), vaultOf({Anna}));
        // Nothing of the master password or the entries shows, plain or scrambled.
        for (const QString &secret : {Master, Anna.Password, Anna.Location, Bob.Username}) {
            QVERIFY(!encrypted.contains(secret.toLatin1()));
            QVERIFY(!encrypted.contains(VaultFormat::masterOnly(secret).chopped(2)));
        }
        QVERIFY(vault.session.decrypt());
        QCOMPARE(contentsOf(m_path), scrambled);
        QCOMPARE(contentsOf(backup), vaultOf({Anna}));
    }

    void encryptedVaultOpensWithItsPasswordAndStaysEncrypted()
    {
        writeFile(m_path, vaultOf({Anna}));
        {
            OpenVault vault(m_path);
            QVERIFY(vault.session.encrypt(QuickLimits));
        }
        VaultSession wrong(m_path);
        QVERIFY(wrong.open());
        QVERIFY(!wrong.needsNewMasterPassword());
        QCOMPARE(wrong.unlock(u"not it"_s).value(), Unlock::WrongPassword);

        OpenVault vault(m_path);
        QCOMPARE(entriesOf(vault.session.entries().rows()), Entries{Anna});
        QVERIFY(vault.session.add(Bob));
        const QByteArray saved = contentsOf(m_path);
        QVERIFY(EncryptedFormat::isEncrypted(saved));
        QVERIFY(!saved.contains("bob"));
        QVERIFY(EncryptedFormat::isEncrypted(contentsOf(VaultFile::backupPathOf(m_path))));
    }

    void damagedEncryptedVaultIsNotAWrongPassword_data()
    {
        QTest::addColumn<int>("flipAt"); // -1: cut short instead
        QTest::newRow("a byte of the body changed") << int(EncryptedFormat::HeaderSize) + 3;
        QTest::newRow("cut short") << -1;
    }

    void damagedEncryptedVaultIsNotAWrongPassword()
    {
        QFETCH(int, flipAt);
        writeFile(m_path, vaultOf({Anna}));
        {
            OpenVault vault(m_path);
            QVERIFY(vault.session.add(Bob)); // leaves a backup to go back to
            QVERIFY(vault.session.encrypt(QuickLimits));
        }
        QByteArray damaged = contentsOf(m_path);
        if (flipAt < 0)
            damaged.chop(10);
        else
            damaged[flipAt] = char(damaged[flipAt] ^ 0x01);
        writeFile(m_path, damaged);

        VaultSession session(m_path);
        QVERIFY(session.open());
        QCOMPARE(session.unlock(u"not it"_s).value(), Unlock::WrongPassword);
        const Result<Unlock> unlocked = session.unlock(Master);
        QVERIFY(!unlocked);
        QCOMPARE(unlocked.errorKind(), ErrorKind::DamagedFile);
        QVERIFY2(unlocked.message().startsWith(u"The vault file is damaged"_s), qPrintable(unlocked.message()));
        QVERIFY2(unlocked.message().contains(QDir::toNativeSeparators(VaultFile::backupPathOf(m_path))),
                 qPrintable(unlocked.message()));
        QCOMPARE(contentsOf(m_path), damaged);
    }

    void lockForgetsTheEntriesUntilTheFileIsReadAgain_data()
    {
        QTest::addColumn<bool>("encrypted");
        QTest::newRow("scrambled") << false;
        QTest::newRow("encrypted") << true;
    }

    void lockForgetsTheEntriesUntilTheFileIsReadAgain()
    {
        QFETCH(bool, encrypted);
        const auto vaultFile = encrypted ? encryptedVaultOf : vaultOf;
        writeFile(m_path, vaultFile({Anna, Bob}, Master));
        OpenVault vault(m_path);
        VaultSession &session = vault.session;
        session.lock();
        QVERIFY(session.isLocked());
        QCOMPARE(session.entries().rowCount(), 0);
        QCOMPARE(session.entries().rows().capacity(), size_t(0));
        QCOMPARE(session.MasterPassword(), QString());
        QVERIFY(!session.isMasterPassword(Master));
        QVERIFY(session.holdsLock());
        QVERIFY(!session.add(Carl));

        rewriteOutside(m_path, vaultFile({Anna, Carl}, Master));
        QCOMPARE(session.unlock(u"not it"_s).value(), Unlock::WrongPassword);
        QCOMPARE(session.unlock(Master).value(), Unlock::Unlocked);
        QCOMPARE(entriesOf(session.entries().rows()), (Entries{Anna, Carl}));
    }

    void readersThroughTheFileKeepNoEntries_data() { lockForgetsTheEntriesUntilTheFileIsReadAgain_data(); }

    // A list read through the file and an entry added after its own see what an
    // unlock would, leave the session locked, and the backup is the file as it was.
    void readersThroughTheFileKeepNoEntries()
    {
        QFETCH(bool, encrypted);
        const auto vaultFile = encrypted ? encryptedVaultOf : vaultOf;
        writeFile(m_path, vaultFile({Anna, Bob}, Master));
        const QByteArray before = contentsOf(m_path);
        VaultSession session(m_path);
        QCOMPARE(session.acquireLock(), VaultLock::Status::Taken);
        QVERIFY(session.open());
        const auto usernames = [&session](const QString &password, QStringList *seen) {
            return session.readEntriesThrough(password, [seen](const VaultFormat::RawEntry &entry) {
                QString username;
                for (const char byte : entry.username)
                    username += QChar(VaultFormat::RawEntry::characterOf(uchar(byte)));
                seen->append(username);
            });
        };

        QStringList seen;
        QCOMPARE(usernames(u"not it"_s, &seen).value(), Unlock::WrongPassword);
        QCOMPARE(session.appendThrough(u"not it"_s, rowsOf({Carl})).value().outcome, Unlock::WrongPassword);
        QCOMPARE(seen, QStringList());
        QCOMPARE(contentsOf(m_path), before);

        const Result<VaultSession::Appended> appended = session.appendThrough(Master, rowsOf({Carl}));
        QCOMPARE(appended.value().outcome, Unlock::Unlocked);
        QCOMPARE(appended.value().entries, qsizetype(3));
        QCOMPARE(usernames(Master, &seen).value(), Unlock::Unlocked);
        QCOMPARE(seen, (QStringList{u"anna"_s, u"bob"_s, u"carl"_s}));
        QVERIFY(session.isLocked());
        QCOMPARE(session.entries().rowCount(), 0);
        QCOMPARE(EncryptedFormat::isEncrypted(contentsOf(m_path)), encrypted);
        QCOMPARE(contentsOf(VaultFile::backupPathOf(m_path)), before);
        QCOMPARE(session.unlock(Master).value(), Unlock::Unlocked);
        QCOMPARE(entriesOf(session.entries().rows()), (Entries{Anna, Bob, Carl}));
        QVERIFY(!session.appendThrough(Master, rowsOf({Dora})));
    }

    void unsavedChangeSurvivesALock_data() { changesFromOutsideAreKeptUnderTheUsersChange_data(); }

    void unsavedChangeSurvivesALock()
    {
        QFETCH(QString, change);
        QFETCH(Entries, expected);
        writeFile(m_path, vaultOf({Anna, Bob}));
        OpenVault vault(m_path);
        VaultSession &session = vault.session;
        {
            const FileSizeLimit full(16);
            QVERIFY(!(change == u"add"_s ? session.add(Dora)
                      : change == u"edit"_s ? session.replace(1, Dora)
                                            : session.remove(0)));
        }
        session.lock();
        rewriteOutside(m_path, vaultOf({Anna, Bob, Carl}));

        QCOMPARE(session.unlock(Master).value(), Unlock::Unlocked);
        QCOMPARE(entriesOf(session.entries().rows()), expected);
        QVERIFY(session.hasUnsavedChanges());
        QCOMPARE(contentsOf(m_path), vaultOf({Anna, Bob, Carl}));
        QCOMPARE(session.save().value(), SaveStatus::Saved);
        QCOMPARE(contentsOf(m_path), vaultOf(expected));
    }

    // Bob's namesake was shown before the lock, so it is not taken for Bob changed there.
    void unsavedEditOfAnEntryDeletedWhileLockedIsAskedAbout()
    {
        const VaultEntry namesake{u"bob"_s, u"other"_s, u"b.example"_s};
        writeFile(m_path, vaultOf({Anna, Bob, namesake}));
        OpenVault vault(m_path);
        VaultSession &session = vault.session;
        {
            const FileSizeLimit full(16);
            QVERIFY(!session.replace(1, Bobby));
        }
        session.lock();
        rewriteOutside(m_path, vaultOf({Anna, namesake}));

        QCOMPARE(session.unlock(Master).value(), Unlock::Unlocked);
        QCOMPARE(session.disputes().size(), size_t(1));
        QCOMPARE(session.disputes()[0].theirs, std::nullopt);
        QCOMPARE(session.resolveDisputes(VaultSession::Resolution::KeepMine).value(), SaveStatus::Saved);
        QCOMPARE(contentsOf(m_path), vaultOf({Anna, namesake, Bobby}));
    }

    void insertPutsTheEntryAtItsRow_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("sorted");
        QTest::addColumn<Entries>("outside"); // empty: the file as it was read
        QTest::addColumn<Entries>("saved");
        QTest::newRow("first") << 0 << false << Entries{} << Entries{Carl, Anna, Bob};
        QTest::newRow("between") << 1 << false << Entries{} << Entries{Anna, Carl, Bob};
        QTest::newRow("past the end") << 7 << false << Entries{} << Entries{Anna, Bob, Carl};
        QTest::newRow("sorted list") << 0 << true << Entries{} << Entries{Anna, Bob, Carl};
        QTest::newRow("file changed outside") << 1 << false << Entries{Dora, Anna, Bob}
                                              << Entries{Dora, Anna, Carl, Bob};
    }

    void insertPutsTheEntryAtItsRow()
    {
        QFETCH(int, row);
        QFETCH(bool, sorted);
        QFETCH(Entries, outside);
        QFETCH(Entries, saved);
        writeFile(m_path, vaultOf({Anna, Bob}));
        OpenVault vault(m_path);
        vault.session.entries().setSortSettings(sorted, 0, EntryListModel::Ascending);
        if (!outside.empty())
            rewriteOutside(m_path, vaultOf(outside));

        QCOMPARE(vault.session.insert(row, Carl).value(), SaveStatus::Saved);
        QCOMPARE(contentsOf(m_path), vaultOf(saved));
    }

    // What keyholder-cli passwd cannot reach; it checks the bytes of both formats.
    void masterPasswordChangesOnlyWhenAllowed_data()
    {
        QTest::addColumn<QString>("obstacle");
        QTest::addColumn<QString>("refusal"); // empty: changed
        QTest::newRow("none") << u""_s << u""_s;
        QTest::newRow("read-only") << u"read-only"_s << u"read-only"_s;
        QTest::newRow("locked") << u"locked"_s << u"locked"_s;
        QTest::newRow("key made for another password") << u"another"_s << u"not changed"_s;
        QTest::newRow("disk full") << u"disk full"_s << u"data.enc"_s;
    }

    void masterPasswordChangesOnlyWhenAllowed()
    {
        QFETCH(QString, obstacle);
        QFETCH(QString, refusal);
        const QString newPassword = u"new master"_s;
        writeFile(m_path, vaultOf({Anna}));
        OpenVault vault(m_path);
        VaultSession &session = vault.session;
        if (obstacle == u"read-only"_s)
            session.openReadOnly(u"Just looking."_s);
        if (obstacle == u"locked"_s)
            session.lock();
        std::optional<FileSizeLimit> full;
        if (obstacle == u"disk full"_s)
            full.emplace(16);
        const Result<void> changed = session.finishMasterChange(
                newPassword, session.prepareMasterChange(obstacle == u"another"_s ? u"another one"_s : newPassword, QuickLimits));
        full.reset();

        QVERIFY2(changed.message().contains(refusal) && changed.ok() == refusal.isEmpty(), qPrintable(changed.message()));
        QCOMPARE(contentsOf(m_path), vaultOf({Anna}, changed ? newPassword : Master));
        QCOMPARE(session.isMasterPassword(newPassword), changed.ok());
        QCOMPARE(session.isMasterPassword(Master), !changed && obstacle != u"locked"_s);
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
};

// Run as a child with --crash-holding-lock PATH, it takes the lock and dies holding it.
int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "--crash-holding-lock") == 0) {
        QLockFile lock(QString::fromLocal8Bit(argv[2]));
        lock.lock();
        std::_Exit(0);
    }
    VaultSessionTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_VaultSession.moc"
