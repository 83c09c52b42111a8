// The encrypted data.enc, checked on the bytes of the sealed file.
#include "VaultFiles.h"
#include "vault/EncryptedFormat.h"
#include "vault/ToggleHighBits.h"
#include "vault/VaultFormat.h"
#include "vault/VaultKey.h"
#include "vault/Windows1252.h"

#include <QTest>
#include <QtEndian>

using namespace Qt::StringLiterals;
using namespace EncryptedFormat;

Q_DECLARE_METATYPE(ErrorKind)

namespace {

// Small limits keep the tests fast; the reader accepts them as it accepts the calibrated ones.
constexpr KdfLimits TestLimits{1, MinMemLimit};
const QString Master = u"Corr€ct-hörse-battery"_s;

// Offsets of the header fields, as documented for the file.
constexpr qsizetype VersionAt = 8, KdfAt = 9, OpsAt = 10, MemAt = 18, NonceAt = 42;

VaultKey newKey(const QString &password = Master)
{
    Result<VaultKey> key = VaultKey::createNew(password, TestLimits);
    if (!key)
        qFatal("no key: %s", qPrintable(key.message()));
    return std::move(key).value();
}

QByteArray sampleVault()
{
    return VaultFiles::vaultOf({{u"alice@example.com"_s, u"Sésame-ouvre-toi"_s, u"https://bank.example.com"_s},
                                {u"bob"_s, u"hunter2-hunter2"_s, u"\\\\fileserver\\share"_s}},
                               Master);
}

// The file cannot be opened with the master password: either its header is refused
// or the derived key does not open it.
ErrorKind refusal(const QByteArray &file, const QString &password = Master)
{
    Result<VaultKey> key = VaultKey::forFile(file, password);
    if (!key)
        return key.errorKind();
    const Result<QByteArray> opened = open(file, key.value());
    return opened ? ErrorKind::Other : opened.errorKind();
}

template <class T>
const char *whyNot(const Result<T> &result)
{
    static QByteArray why;
    why = result ? QByteArray() : result.message().toUtf8();
    return why.constData();
}

QByteArray withUInt64(QByteArray file, qsizetype at, quint64 value)
{
    qToLittleEndian(value, file.data() + at);
    return file;
}

} // namespace

class tst_EncryptedFormat : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip_data();
    void roundTrip();
    void wrongPassword_data();
    void wrongPassword();
    void tamperedByte_data();
    void tamperedByte();
    void wrongPasswordIsToldFromDamage_data();
    void wrongPasswordIsToldFromDamage();
    void versionOneFileStillOpens();
    void damagedHeader_data();
    void damagedHeader();
    void freshNoncePerSeal();
    void noSecretInFile_data();
    void noSecretInFile();
    void calibratedLimitsAreReadable();
    void scrambledVaultIsNotEncrypted_data();
    void scrambledVaultIsNotEncrypted();
};

void tst_EncryptedFormat::roundTrip_data()
{
    QTest::addColumn<QByteArray>("plain");
    QTest::newRow("empty vault") << VaultFormat::emptyVault();
    QTest::newRow("master only") << VaultFormat::masterOnly(Master);
    QTest::newRow("entries") << sampleVault();
    QTest::newRow("every byte") << [] {
        QByteArray all;
        for (int i = 0; i < 256 * 4; ++i)
            all.append(char(i));
        return all;
    }();
}

void tst_EncryptedFormat::roundTrip()
{
    QFETCH(QByteArray, plain);
    const QByteArray file = seal(plain, newKey());
    QVERIFY(isEncrypted(file));
    QCOMPARE(file.first(8), QByteArray("\x00KHV1\r\n\x1a", 8));
    QCOMPARE(file.size(), HeaderSize + plain.size() + TagSize);

    // Unlocking reads the salt and limits back from the header alone.
    Result<VaultKey> key = VaultKey::forFile(file, Master);
    QVERIFY2(key, whyNot(key));
    QCOMPARE(key->limits(), TestLimits);
    const Result<QByteArray> opened = open(file, key.value());
    QVERIFY2(opened, whyNot(opened));
    QCOMPARE(opened.value(), plain);
}

void tst_EncryptedFormat::wrongPassword_data()
{
    QTest::addColumn<QString>("password");
    QTest::newRow("empty") << QString();
    QTest::newRow("other case") << Master.toUpper();
    QTest::newRow("one character short") << Master.chopped(1);
    QTest::newRow("trailing blank") << Master + u' ';
    QTest::newRow("an entry's password") << u"hunter2-hunter2"_s;
}

void tst_EncryptedFormat::wrongPassword()
{
    QFETCH(QString, password);
    const QByteArray file = seal(sampleVault(), newKey());
    QCOMPARE(refusal(file, password), ErrorKind::DecryptionFailed);
    QCOMPARE(refusal(file, Master), ErrorKind::Other); // the right one still opens it
}

void tst_EncryptedFormat::tamperedByte_data()
{
    QTest::addColumn<int>("flippedBits");
    QTest::newRow("low bit") << 0x01;
    QTest::newRow("high bit") << 0x80;
    QTest::newRow("every bit") << 0xFF;
}

void tst_EncryptedFormat::tamperedByte()
{
    QFETCH(int, flippedBits);
    const QByteArray file = seal(sampleVault(), newKey());
    for (qsizetype at = 0; at < file.size(); ++at) {
        QByteArray tampered = file;
        tampered[at] = char(tampered[at] ^ flippedBits);
        const ErrorKind kind = refusal(tampered);
        QVERIFY2(kind == ErrorKind::DecryptionFailed || kind == ErrorKind::DamagedFile,
                 qPrintable(u"opened with byte %1 changed"_s.arg(at)));
    }
}

void tst_EncryptedFormat::wrongPasswordIsToldFromDamage_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("damaged");
    QTest::addColumn<ErrorKind>("refusal");
    QTest::newRow("wrong password, whole file") << u"wrong"_s << false << ErrorKind::DecryptionFailed;
    QTest::newRow("wrong password, damaged file") << u"wrong"_s << true << ErrorKind::DecryptionFailed;
    QTest::newRow("right password, damaged file") << Master << true << ErrorKind::DamagedFile;
}

void tst_EncryptedFormat::wrongPasswordIsToldFromDamage()
{
    QFETCH(QString, password);
    QFETCH(bool, damaged);
    QFETCH(ErrorKind, refusal);
    QByteArray file = seal(sampleVault(), newKey());
    QCOMPARE(quint8(file[VersionAt]), Version);
    if (damaged)
        file[HeaderSize + 5] = char(file[HeaderSize + 5] ^ 0x20);
    QCOMPARE(::refusal(file, password), refusal);
}

// Written before the key check was added: it opens as before, and a wrong
// password and a changed byte still look alike.
void tst_EncryptedFormat::versionOneFileStillOpens()
{
    const QByteArray file = VaultFiles::testData(u"vault/version1.enc"_s);
    QCOMPARE(quint8(file[VersionAt]), VersionWithoutKeyCheck);
    const QString password = u"abcd"_s;
    Result<VaultKey> key = VaultKey::forFile(file, password);
    QVERIFY2(key, whyNot(key));
    QCOMPARE(open(file, key.value()).value(),
             VaultFiles::vaultOf({{u"anna"_s, u"secret"_s, u"www.example.com"_s}}, password));
    QCOMPARE(::refusal(file, u"abce"_s), ErrorKind::DecryptionFailed);
    QByteArray changed = file;
    changed[HeaderSizeWithoutKeyCheck + 3] = char(changed[HeaderSizeWithoutKeyCheck + 3] ^ 0x01);
    QCOMPARE(::refusal(changed, password), ErrorKind::DecryptionFailed);
}

void tst_EncryptedFormat::damagedHeader_data()
{
    const QByteArray file = seal(sampleVault(), newKey());
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("scrambled vault") << sampleVault();
    QTest::newRow("magic only") << file.first(8);
    QTest::newRow("header cut short") << file.first(HeaderSize - 1);
    QTest::newRow("no room for the tag") << file.first(HeaderSize + TagSize - 1);
    QTest::newRow("other magic") << QByteArray(file).replace(1, 3, "KHX");
    QTest::newRow("version 3") << QByteArray(file).replace(VersionAt, 1, "\x03");
    QTest::newRow("version 2 cut to a version 1 header") << file.first(HeaderSizeWithoutKeyCheck + TagSize);
    QTest::newRow("version 0") << QByteArray(file).replace(VersionAt, 1, QByteArray(1, '\0'));
    QTest::newRow("unknown kdf") << QByteArray(file).replace(KdfAt, 1, "\x07");
    QTest::newRow("no passes") << withUInt64(file, OpsAt, 0);
    QTest::newRow("absurd passes") << withUInt64(file, OpsAt, 1'000'000);
    QTest::newRow("passes just over") << withUInt64(file, OpsAt, MaxOpsLimit + 1);
    QTest::newRow("too little memory") << withUInt64(file, MemAt, MinMemLimit - 1);
    QTest::newRow("over 1 GiB") << withUInt64(file, MemAt, MaxMemLimit + 1);
    QTest::newRow("1 GiB at many passes") << withUInt64(withUInt64(file, MemAt, MaxMemLimit), OpsAt, 8);
    QTest::newRow("all ones") << withUInt64(withUInt64(file, MemAt, ~0ull), OpsAt, ~0ull);
}

void tst_EncryptedFormat::damagedHeader()
{
    QFETCH(QByteArray, bytes);
    QCOMPARE(refusal(bytes), ErrorKind::DamagedFile);
    const Result<QByteArray> opened = open(bytes, newKey());
    QVERIFY(!opened);
    QCOMPARE(opened.errorKind(), ErrorKind::DamagedFile);
    QVERIFY2(opened.message().startsWith(u"The vault file is damaged or was written by a newer program: "_s),
             qPrintable(opened.message()));
}

void tst_EncryptedFormat::freshNoncePerSeal()
{
    const VaultKey key = newKey();
    const QByteArray first = seal(sampleVault(), key);
    const QByteArray second = seal(sampleVault(), key);
    QCOMPARE(first.first(NonceAt), second.first(NonceAt)); // same salt and limits
    QVERIFY(first.sliced(NonceAt, NonceSize) != second.sliced(NonceAt, NonceSize));
    QVERIFY(first.sliced(HeaderSize) != second.sliced(HeaderSize));
    QCOMPARE(open(second, key).value(), sampleVault());
}

void tst_EncryptedFormat::noSecretInFile_data()
{
    QTest::addColumn<QString>("secret");
    QTest::newRow("master password") << Master;
    QTest::newRow("username") << u"alice@example.com"_s;
    QTest::newRow("password") << u"Sésame-ouvre-toi"_s;
    QTest::newRow("ascii password") << u"hunter2-hunter2"_s;
    QTest::newRow("location") << u"https://bank.example.com"_s;
}

void tst_EncryptedFormat::noSecretInFile()
{
    QFETCH(QString, secret);
    const QByteArray file = seal(sampleVault(), newKey());
    const QByteArray plain = Windows1252::encode(secret);
    const QByteArray scrambled = ToggleHighBitsBytes(plain);
    QVERIFY(sampleVault().contains(scrambled)); // it is there before sealing
    // Any 4 bytes in a row would be telling; chance alone gives ~1 in 10^7 here.
    for (qsizetype at = 0; at + 4 <= plain.size(); ++at) {
        QVERIFY2(!file.contains(plain.sliced(at, 4)), qPrintable(u"plain bytes at %1"_s.arg(at)));
        QVERIFY2(!file.contains(scrambled.sliced(at, 4)), qPrintable(u"scrambled bytes at %1"_s.arg(at)));
    }
    QVERIFY(!file.contains(secret.toUtf8().first(4)));
}

void tst_EncryptedFormat::calibratedLimitsAreReadable()
{
    const KdfLimits limits = calibrate();
    QVERIFY(limits.memLimit >= 64u << 20);
    Result<VaultKey> key = VaultKey::createNew(Master, limits);
    QVERIFY2(key, whyNot(key));
    const Result<Header> header = readHeader(seal(sampleVault(), key.value()));
    QVERIFY2(header, whyNot(header));
    QCOMPARE(header->limits, limits);
}

void tst_EncryptedFormat::scrambledVaultIsNotEncrypted_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("saved.enc") << VaultFiles::testData("vault/saved.enc");
    QTest::newRow("hand_edited.enc") << VaultFiles::testData("vault/hand_edited.enc");
    QTest::newRow("zero_bytes.enc") << VaultFiles::testData("vault/zero_bytes.enc");
    QTest::newRow("empty master") << VaultFormat::masterOnly(QString());
    QTest::newRow("master starting with NUL") << VaultFormat::masterOnly(QString(QChar(0)) + u"abc"_s);
    QTest::newRow("master starting with euro") << VaultFormat::masterOnly(u"€uro"_s);
    QTest::newRow("master starting with byte 0x80") << VaultFormat::masterOnly(u"\u0080abc"_s);
}

void tst_EncryptedFormat::scrambledVaultIsNotEncrypted()
{
    QFETCH(QByteArray, bytes);
    QVERIFY(!isEncrypted(bytes));
}

QTEST_GUILESS_MAIN(tst_EncryptedFormat)
#include "tst_EncryptedFormat.moc"
