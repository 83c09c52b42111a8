// Where the vault file is looked for and created, rule by rule.
#include "vault/VaultLocation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

enum class Folder { WritableEmpty, ReadOnlyHoldingVault, Unwritable, InstalledWritable, InstalledWithOldVault, OtherUsersVault };
enum class Expect { BesideProgram, UserData, Override };

QByteArray why(const Result<QString> &result)
{
    return result.ok() ? QByteArray() : result.message().toUtf8();
}

// Even root cannot create files in /proc, so the rule is tried for real there.
const QString UnwritableFolder = QStringLiteral("/proc");

} // namespace

class tst_VaultLocation : public QObject
{
    Q_OBJECT

private slots:
    void resolve_data();
    void resolve();
    void userDataFolderIsOwnerOnly();
};

void tst_VaultLocation::resolve_data()
{
    QTest::addColumn<Folder>("folder");
    QTest::addColumn<QString>("overridePath");
    QTest::addColumn<Expect>("expected");

    QTest::newRow("writable program folder") << Folder::WritableEmpty << QString() << Expect::BesideProgram;
    QTest::newRow("program folder holds a vault") << Folder::ReadOnlyHoldingVault << QString()
                                                  << Expect::BesideProgram;
    QTest::newRow("installed program") << Folder::Unwritable << QString() << Expect::UserData;
    QTest::newRow("installed program, run by root") << Folder::InstalledWritable << QString() << Expect::UserData;
    QTest::newRow("installed program, a vault from before beside it")
        << Folder::InstalledWithOldVault << QString() << Expect::BesideProgram;
#ifdef Q_OS_UNIX
    if (geteuid() == 0)
        QTest::newRow("another user's vault beside the program")
            << Folder::OtherUsersVault << QString() << Expect::UserData;
#endif
    QTest::newRow("--vault beats a writable folder")
        << Folder::WritableEmpty << QStringLiteral("other.enc") << Expect::Override;
    QTest::newRow("--vault beats the data folder")
        << Folder::Unwritable << QStringLiteral("/tmp/k/other.enc") << Expect::Override;
}

void tst_VaultLocation::resolve()
{
    QFETCH(Folder, folder);
    QFETCH(QString, overridePath);
    QFETCH(Expect, expected);

    QTemporaryDir dataHome;
    QTemporaryDir program;
    qputenv("XDG_DATA_HOME", dataHome.path().toLocal8Bit());
    const auto restore = qScopeGuard([&] {
        QFile::setPermissions(program.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    });

    QString programFolder = program.path();
    if (folder == Folder::InstalledWritable || folder == Folder::InstalledWithOldVault) {
        programFolder = program.filePath(QStringLiteral("bin"));
        QVERIFY(QDir().mkpath(programFolder));
        const QString data = VaultLocation::installedDataFolder(programFolder);
        QVERIFY(QDir().mkpath(data));
        QFile help(data + QStringLiteral("/Help.rtf"));
        QVERIFY(help.open(QIODevice::WriteOnly));
        if (folder == Folder::InstalledWithOldVault)
            QVERIFY(QFile(QDir(programFolder).filePath(QStringLiteral("data.enc"))).open(QIODevice::WriteOnly));
    } else if (folder == Folder::OtherUsersVault) {
#ifdef Q_OS_UNIX
        const QByteArray vault = QFile::encodeName(program.filePath(QStringLiteral("data.enc")));
        QFile(QString::fromLocal8Bit(vault)).open(QIODevice::WriteOnly);
        QCOMPARE(chown(vault.constData(), 4321, 4321), 0);
#endif
    } else if (folder == Folder::Unwritable) {
        programFolder = UnwritableFolder;
    } else if (folder == Folder::ReadOnlyHoldingVault) {
        QFile vault(program.filePath(QStringLiteral("data.enc")));
        QVERIFY(vault.open(QIODevice::WriteOnly));
        vault.close();
        QFile::setPermissions(program.path(), QFile::ReadOwner | QFile::ExeOwner);
    }

    const Result<QString> path = VaultLocation::resolve(programFolder, overridePath);
    QVERIFY2(path.ok(), why(path).constData());

    const QString userData = dataHome.filePath(QStringLiteral("Keyholder"));
    switch (expected) {
    case Expect::BesideProgram:
        QCOMPARE(path.value(), QDir(programFolder).filePath(QStringLiteral("data.enc")));
        QVERIFY(!QFileInfo::exists(userData));
        break;
    case Expect::UserData:
        QCOMPARE(path.value(), userData + QStringLiteral("/data.enc"));
        QVERIFY(QFileInfo(userData).isDir());
        break;
    case Expect::Override:
        QCOMPARE(path.value(), QFileInfo(overridePath).absoluteFilePath());
        QVERIFY(QFileInfo(path.value()).isAbsolute());
        QVERIFY(!QFileInfo::exists(userData));
        break;
    }
    // Trying the folder leaves nothing behind in it.
    if (folder == Folder::WritableEmpty)
        QCOMPARE(QDir(programFolder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList());
}

void tst_VaultLocation::userDataFolderIsOwnerOnly()
{
    QTemporaryDir dataHome;
    const QString base = dataHome.filePath(QStringLiteral("not/yet/there"));
    qputenv("XDG_DATA_HOME", base.toLocal8Bit());

    const Result<QString> path = VaultLocation::resolve(UnwritableFolder);
    QVERIFY2(path.ok(), why(path).constData());
    QCOMPARE(path.value(), base + QStringLiteral("/Keyholder/data.enc"));
    const QFile::Permissions everyone = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                        | QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup
                                        | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
    QCOMPARE(QFile::permissions(base + QStringLiteral("/Keyholder")) & everyone,
             QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    // A folder that cannot be made is an error that names it.
    QFile blocker(dataHome.filePath(QStringLiteral("file")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    qputenv("XDG_DATA_HOME", blocker.fileName().toLocal8Bit());
    const Result<QString> blocked = VaultLocation::resolve(UnwritableFolder);
    QVERIFY(!blocked.ok());
    QVERIFY2(why(blocked).contains(blocker.fileName().toUtf8()), why(blocked).constData());
}

QTEST_GUILESS_MAIN(tst_VaultLocation)
#include "tst_VaultLocation.moc"
