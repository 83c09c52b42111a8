// data.enc on disk: exact bytes, permissions, and failures that leave the old
// file as it was.
#include "FileSizeLimit.h"
#include "VaultFiles.h"
#include "vault/VaultFile.h"
#include "vault/xfileExists.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

using namespace Qt::StringLiterals;
using VaultFiles::contentsOf;
using VaultFiles::writeFile;

namespace {

constexpr QFileDevice::Permissions OwnerReadWrite = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
constexpr QFileDevice::Permissions OwnerGroupRead = OwnerReadWrite | QFileDevice::ReadGroup;
// Qt mirrors the owner bits into the "User" ones when we own the file.
constexpr QFileDevice::Permissions UserBits = QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser;

const QByteArray OldContents = "\xE1\xE2\r\n\xF5|\r\n\r\n";

QFileDevice::Permissions permissionsOf(const QString &path)
{
    return QFile::permissions(path) & ~UserBits;
}

// The error must name the file and carry the system's own words.
void verifyError(const QString &error, const QString &path, int systemError)
{
    QVERIFY2(error.contains(QDir::toNativeSeparators(path)), qPrintable(error));
    QVERIFY2(error.contains(qt_error_string(systemError)), qPrintable(error));
}

// The outcome as a flag and the error text, as the checks below read it.
bool outcome(const Result<void> &result, QString *error)
{
    *error = result.ok() ? QString() : result.message();
    return result.ok();
}

bool write(const QString &path, QByteArrayView bytes, QString *error)
{
    return outcome(VaultFile::write(path, bytes), error);
}

bool ensureVaultFile(const QString &path, QString *error)
{
    return outcome(VaultFile::EnsureVaultFile(path), error);
}

} // namespace

class tst_VaultFile : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void readGivesExactBytes();
    void readMissingFileFails();
    void writeCreatesOwnerOnlyFile();
    void writeKeepsPermissionsOfExistingFile();
    void writeUnderRegularFileFails();
    void writeIntoReadOnlyFolderKeepsOldFile();
    void writeCutShortKeepsOldFile();
    void writeLargerThanTheReaderTakesIsRefused();

    void ensureCreatesEmptyVault();
    void ensureLeavesExistingFileAlone_data();
    void ensureLeavesExistingFileAlone();
    void ensureOnFolderFails();

    void fileExists_data();
    void fileExists();

private:
    QString pathOf(const QString &name) const { return m_dir->filePath(name); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_VaultFile::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void tst_VaultFile::readGivesExactBytes()
{
    const QByteArray bytes("\x00\r\n\n\r\x80\xFF", 7);
    writeFile(pathOf(u"data.enc"_s), bytes);

    const Result<QByteArray> result = VaultFile::read(pathOf(u"data.enc"_s));
    QVERIFY(result.ok());
    QCOMPARE(result.value(), bytes);
}

void tst_VaultFile::readMissingFileFails()
{
    const QString path = pathOf(u"data.enc"_s);

    const Result<QByteArray> result = VaultFile::read(path);
    QVERIFY(!result.ok());
    verifyError(result.message(), path, ENOENT);
}

void tst_VaultFile::writeCreatesOwnerOnlyFile()
{
    const QString path = pathOf(u"data.enc"_s);
    QString error;

    QVERIFY(write(path, OldContents, &error));
    QCOMPARE(error, QString());
    QCOMPARE(contentsOf(path), OldContents);
    QCOMPARE(permissionsOf(path), OwnerReadWrite);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"data.enc"_s});
}

void tst_VaultFile::writeKeepsPermissionsOfExistingFile()
{
    const QString path = pathOf(u"data.enc"_s);
    writeFile(path, OldContents);
    QVERIFY(QFile::setPermissions(path, OwnerGroupRead));
    QString error;

    QVERIFY(write(path, "\r\n", &error));
    QCOMPARE(contentsOf(path), "\r\n"_ba);
    QCOMPARE(permissionsOf(path), OwnerGroupRead);
}

void tst_VaultFile::writeUnderRegularFileFails()
{
    const QString notAFolder = pathOf(u"plain"_s);
    writeFile(notAFolder, OldContents);
    const QString path = notAFolder + u"/data.enc"_s;
    QString error;

    QVERIFY(!write(path, "\r\n", &error));
    verifyError(error, path, ENOTDIR);
    // It is the folder that cannot take the new file, and the message says which.
    QVERIFY2(error.contains(u"its folder \""_s + QDir::toNativeSeparators(notAFolder) + u"\" cannot be written"_s),
             qPrintable(error));
    QCOMPARE(contentsOf(notAFolder), OldContents);
}

void tst_VaultFile::writeIntoReadOnlyFolderKeepsOldFile()
{
    const QString path = pathOf(u"data.enc"_s);
    writeFile(path, OldContents);
    QVERIFY(QFile::setPermissions(m_dir->path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    const auto restore = qScopeGuard([this] {
        QFile::setPermissions(m_dir->path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    });
    if (QFile probe(pathOf(u"probe"_s)); probe.open(QIODevice::WriteOnly))
        QSKIP("Folder permissions do not stop this user (root) from writing");
    QString error;

    QVERIFY(!write(path, "\r\n", &error));
    verifyError(error, path, EACCES);
    QCOMPARE(contentsOf(path), OldContents);
}

// A write that breaks off part way must not leave a truncated vault behind.
void tst_VaultFile::writeCutShortKeepsOldFile()
{
#ifdef Q_OS_UNIX
    const QString path = pathOf(u"data.enc"_s);
    writeFile(path, OldContents);
    const QByteArray large(64 * 1024, '\xE1');
    QString error;

    bool written = true;
    {
        const FileSizeLimit limit(1024);
        written = write(path, large, &error);
    }
    QVERIFY(!written);
    verifyError(error, path, EFBIG);
    QCOMPARE(contentsOf(path), OldContents);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"data.enc"_s});
#else
    QSKIP("Needs a per-process file size limit");
#endif
}

void tst_VaultFile::writeLargerThanTheReaderTakesIsRefused()
{
    const QString path = pathOf(u"data.enc"_s);
    writeFile(path, OldContents);
    const QByteArray tooLarge(VaultFile::MaximumSize + 1, Qt::Uninitialized);
    QString error;

    QVERIFY(!write(path, tooLarge, &error));
    QVERIFY2(error.contains(u"larger than the 256 MiB"_s), qPrintable(error));
    QCOMPARE(contentsOf(path), OldContents);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"data.enc"_s});
}

void tst_VaultFile::ensureCreatesEmptyVault()
{
    const QString path = pathOf(u"data.enc"_s);
    QString error;

    QVERIFY(ensureVaultFile(path, &error));
    QCOMPARE(contentsOf(path), "\r\n"_ba);
    QCOMPARE(permissionsOf(path), OwnerReadWrite);
}

void tst_VaultFile::ensureLeavesExistingFileAlone_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("vault with entries") << u"data.enc"_s << OldContents;
    QTest::newRow("zero bytes") << u"data.enc"_s << QByteArray();
    QTest::newRow("dot file is not hidden") << u".data.enc"_s << OldContents;
}

void tst_VaultFile::ensureLeavesExistingFileAlone()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    const QString path = pathOf(name);
    writeFile(path, bytes);
    QVERIFY(QFile::setPermissions(path, OwnerGroupRead));
    QString error;

    QVERIFY(ensureVaultFile(path, &error));
    QCOMPARE(contentsOf(path), bytes);
    QCOMPARE(permissionsOf(path), OwnerGroupRead);
}

void tst_VaultFile::ensureOnFolderFails()
{
    const QString path = pathOf(u"data.enc"_s);
    QVERIFY(QDir(m_dir->path()).mkdir(u"data.enc"_s));
    QString error;

    QVERIFY(!ensureVaultFile(path, &error));
    QVERIFY2(error.contains(QDir::toNativeSeparators(path)), qPrintable(error));
    QVERIFY(QFileInfo(path).isDir());
}

void tst_VaultFile::fileExists_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("viaSymlink");
    QTest::addColumn<bool>("exists");

    QTest::newRow("regular file") << u"file"_s << false << true;
    QTest::newRow("empty regular file") << u"empty file"_s << false << true;
    QTest::newRow("dot file") << u".file"_s << false << true;
    QTest::newRow("folder") << u"folder"_s << false << false;
    QTest::newRow("missing") << u"missing"_s << false << false;
    QTest::newRow("empty path") << QString() << false << false;
    QTest::newRow("symlink to file") << u"file"_s << true << true;
    QTest::newRow("symlink to folder") << u"folder"_s << true << false;
    QTest::newRow("dangling symlink") << u"missing"_s << true << false;
}

void tst_VaultFile::fileExists()
{
    QFETCH(QString, kind);
    QFETCH(bool, viaSymlink);
    QFETCH(bool, exists);
    QString path = kind.isEmpty() ? QString() : pathOf(kind);
    if (kind == u"file" || kind == u".file")
        writeFile(path, "x");
    if (kind == u"empty file")
        writeFile(path, {});
    if (kind == u"folder")
        QVERIFY(QDir().mkdir(path));
    if (viaSymlink) {
        QVERIFY(QFile::link(path, pathOf(u"link"_s)));
        path = pathOf(u"link"_s);
    }

    QCOMPARE(xfileExists::FileExists(path), exists);
}

QTEST_GUILESS_MAIN(tst_VaultFile)
#include "tst_VaultFile.moc"
