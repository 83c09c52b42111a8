// The open vault, without a window: the lock, changes made by another program,
// backups, and files that are not vaults. Checked on the bytes on disk.
#include "vault/EncryptedFormat.h"
#include "vault/VaultFile.h"
#include "vault/VaultFormat.h"
#include "vault/VaultSession.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

using namespace Qt::StringLiterals;
using Entries = std::vector<VaultEntry>;
using SaveStatus = VaultSession::SaveStatus;

Q_DECLARE_METATYPE(Entries)

namespace {

const QString Master = u"abcd"_s;
const VaultEntry Anna{u"anna"_s, u"secret"_s, u"www.example.com"_s};
const VaultEntry Bob{u"bob"_s, u"pw"_s, QString()};
const VaultEntry Carl{u"carl"_s, u"c4rl"_s, u"mail.example"_s};
const VaultEntry Dora{u"dora"_s, u"d0ra"_s, u"d.example"_s};

QByteArray vaultOf(const Entries &entries, const QString &master = Master)
{
    return VaultFormat::serialize(master, entries);
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

QByteArray contentsOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// The vault as another program leaves it: other bytes, another time.
void rewriteOutside(const QString &path, const QByteArray &bytes)
{
    writeFile(path, bytes);
    QFile file(path);
    file.open(QIODevice::ReadWrite);
    file.setFileTime(QDateTime::currentDateTime().addSecs(5), QFileDevice::FileModificationTime);
}

// Fast to derive: the tests are about the file, not the key's strength.
constexpr EncryptedFormat::KdfLimits QuickLimits{1, 8192};

struct OpenVault
{
    explicit OpenVault(const QString &path) : session(path)
    {
        if (!session.acquireLock() || !session.open() || !session.unlock(Master).value())
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
        QVERIFY(first.acquireLock());
        VaultSession second(m_path);
        const Result<void> refused = second.acquireLock();
        QVERIFY(!refused);
        QVERIFY(second.isOpenElsewhere());
        QCOMPARE(refused.error(), u"Keyholder is already open with this vault: "_s + QDir::toNativeSeparators(m_path));
        first.releaseLock();
        QVERIFY(second.acquireLock());
    }

    void lockLeftByACrashIsTakenOver()
    {
        QProcess crashing;
        crashing.start(QCoreApplication::applicationFilePath(), {u"--crash-holding-lock"_s, m_path + u".lock"_s});
        QVERIFY(crashing.waitForFinished());
        QVERIFY2(QFile::exists(m_path + u".lock"_s), "the crashed program left no lock behind");
        VaultSession session(m_path);
        QVERIFY(session.acquireLock());
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
        QVERIFY2(saved, qPrintable(saved.error()));
        QCOMPARE(saved.value(), SaveStatus::Saved);
        QCOMPARE(contentsOf(m_path), vaultOf(expected));
        QCOMPARE(session.entries().entries(), expected);
        QVERIFY(!session.hasUnsavedChanges());
    }

    void changesThatCannotBeMergedAreLeftToTheUser_data()
    {
        QTest::addColumn<QByteArray>("outside");
        QTest::addColumn<QString>("reason");
        QTest::newRow("new master password") << vaultOf({Anna, Bob}, u"other"_s) << u"master password"_s;
        QTest::newRow("edited entry deleted there") << vaultOf({Bob}) << u"changed or deleted"_s;
        QTest::newRow("edited entry changed there") << vaultOf({Carl, Bob}) << u"changed or deleted"_s;
    }

    void changesThatCannotBeMergedAreLeftToTheUser()
    {
        QFETCH(QByteArray, outside);
        QFETCH(QString, reason);
        writeFile(m_path, vaultOf({Anna, Bob}));
        OpenVault vault(m_path);
        rewriteOutside(m_path, outside);

        const Result<SaveStatus> saved = vault.session.replace(0, Dora);
        QVERIFY(saved);
        QCOMPARE(saved.value(), SaveStatus::Conflict);
        QVERIFY2(vault.session.conflictReason().contains(reason), qPrintable(vault.session.conflictReason()));
        QCOMPARE(contentsOf(m_path), outside);
        QVERIFY(vault.session.hasUnsavedChanges());

        // The user chose the list shown here.
        QVERIFY(vault.session.saveOverwriting());
        QCOMPARE(contentsOf(m_path), vaultOf({Dora, Bob}));
        QVERIFY(!vault.session.hasUnsavedChanges());
    }

    void masterPasswordChangedBeforeUnlockIsTheOneThatCounts()
    {
        writeFile(m_path, vaultOf({Anna}));
        VaultSession session(m_path);
        QVERIFY(session.open());
        rewriteOutside(m_path, vaultOf({Anna, Bob}, u"newer"_s));
        QCOMPARE(session.unlock(Master).value(), false);
        QCOMPARE(session.unlock(u"newer"_s).value(), true);
        QCOMPARE(session.entries().entries(), (Entries{Anna, Bob}));
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
        QCOMPARE(vault.session.reloadIfChangedOutside().value(), false);

        rewriteOutside(m_path, vaultOf({Anna, Carl}));
        QTRY_VERIFY(changed.count() > 0);
        QCOMPARE(vault.session.reloadIfChangedOutside().value(), true);
        QCOMPARE(vault.session.entries().entries(), (Entries{Anna, Carl}));

        // A save of our own is no outside change.
        changed.clear();
        QVERIFY(vault.session.add(Bob));
        QTest::qWait(200);
        QCOMPARE(changed.count(), 0);
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
        QVERIFY2(saved.error().contains(u"backup"_s), qPrintable(saved.error()));
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
        QVERIFY2(opened.error().contains(u"not a regular file"_s), qPrintable(opened.error()));
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
        QVERIFY2(opened.error().contains(u"larger than the 256 MiB"_s), qPrintable(opened.error()));
        QCOMPARE(QFileInfo(m_path).size(), VaultFile::MaximumSize + 1);
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"data.enc"_s});
    }

    void hugeFieldIsShownShortButKeptWhole()
    {
        const QString longPassword(100000, u'x');
        writeFile(m_path, vaultOf({{u"anna"_s, longPassword, u"site"_s}}));
        OpenVault vault(m_path);
        const EntryListModel &rows = vault.session.entries();
        vault.session.entries().addColumnHeader(u"Username"_s);
        vault.session.entries().addColumnHeader(u"Password"_s);
        const QString shown = rows.data(rows.index(0, 1), Qt::DisplayRole).toString();
        QCOMPARE(shown.size(), EntryListModel::MaximumShownLength + 1);
        QVERIFY(!rows.data(rows.index(0, 1), Qt::ToolTipRole).isValid());
        QVERIFY(rows.data(rows.index(0, 0), Qt::ToolTipRole).toString().contains(u"anna"_s));
        QCOMPARE(rows.entry(0).Password, longPassword);
        QVERIFY(vault.session.add(Bob));
        QCOMPARE(contentsOf(m_path), vaultOf({{u"anna"_s, longPassword, u"site"_s}, Bob}));
    }

    void encryptThenDecryptGivesTheScrambledFileBack()
    {
        const QByteArray scrambled = vaultOf({Anna, Bob});
        writeFile(m_path, scrambled);
        OpenVault vault(m_path);
        QVERIFY(vault.session.encrypt(QuickLimits));
        const QByteArray encrypted = contentsOf(m_path);
        QVERIFY(EncryptedFormat::isEncrypted(encrypted));
        QVERIFY(EncryptedFormat::isEncrypted(contentsOf(VaultFile::backupPathOf(m_path))));
        // Nothing of the master password or the entries shows, plain or scrambled.
        for (const QString &secret : {Master, Anna.Password, Anna.Location, Bob.Username}) {
            QVERIFY(!encrypted.contains(secret.toLatin1()));
            QVERIFY(!encrypted.contains(VaultFormat::masterOnly(secret).chopped(2)));
        }
        QVERIFY(vault.session.decrypt());
        QCOMPARE(contentsOf(m_path), scrambled);
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
        QCOMPARE(wrong.unlock(u"not it"_s).value(), false);

        OpenVault vault(m_path);
        QCOMPARE(vault.session.entries().entries(), Entries{Anna});
        QVERIFY(vault.session.add(Bob));
        const QByteArray saved = contentsOf(m_path);
        QVERIFY(EncryptedFormat::isEncrypted(saved));
        QVERIFY(!saved.contains("bob"));
        QVERIFY(EncryptedFormat::isEncrypted(contentsOf(VaultFile::backupPathOf(m_path))));
    }

    void tamperedEncryptedVaultIsRefusedAndLeftAlone_data()
    {
        QTest::addColumn<int>("offset");
        QTest::newRow("in the header") << 12;
        QTest::newRow("in the body") << int(EncryptedFormat::HeaderSize) + 3;
    }

    void tamperedEncryptedVaultIsRefusedAndLeftAlone()
    {
        QFETCH(int, offset);
        writeFile(m_path, vaultOf({Anna}));
        {
            OpenVault vault(m_path);
            QVERIFY(vault.session.encrypt(QuickLimits));
        }
        QByteArray tampered = contentsOf(m_path);
        tampered[offset] = char(tampered[offset] ^ 0x01);
        writeFile(m_path, tampered);

        VaultSession session(m_path);
        const Result<void> opened = session.open();
        const Result<bool> unlocked = opened ? session.unlock(Master) : Result<bool>(false);
        QVERIFY(!unlocked.ok() || !unlocked.value());
        QCOMPARE(contentsOf(m_path), tampered);
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
