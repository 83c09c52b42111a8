// keyholder-cli as a user runs it: the real program on a temporary vault,
// its output, its exit status and the bytes it leaves on disk.
#include "vault/EncryptedFormat.h"
#include "vault/VaultFile.h"
#include "vault/VaultFormat.h"
#include "CliRun.h"
#include "VaultFiles.h"

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <csignal>
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;
using VaultFiles::contentsOf;
using VaultFiles::encryptedVaultOf;
using VaultFiles::vaultOf;
using VaultFiles::writeFile;

Q_DECLARE_METATYPE(std::vector<VaultEntry>)

namespace {

const QString Master = u"master"_s;
const QString BadCsv = QStringLiteral(KEYHOLDER_TEST_DATA "/csv/unstorable_row.csv");

const std::vector<VaultEntry> Entries{{u"anna"_s, u"pässwört"_s, u"https://mail.example.com"_s},
                                      {u"ben"_s, u"s3cret"_s, u"Router, upstairs"_s}};

using Run = CliRun;

} // namespace

class tst_Cli : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void readingCommands_data();
    void readingCommands();
    void writingCommands_data();
    void writingCommands();
    void addWritesWhatASaveWrites();
    void failuresLeaveTheVaultUntouched_data();
    void failuresLeaveTheVaultUntouched();
    void lockedVault_data();
    void lockedVault();
    void createMakesANewVault();
    void exportThenImportReproducesTheVault();
    void encryptThenDecryptGivesTheSameFileBack();
    void damagedVaultIsNotAWrongPassword();
    void noNewVaultOverABackup_data();
    void noNewVaultOverABackup();
    void lockLeftElsewhereIsTakenOverOnlyWhenAsked();
    void secondNameOfALockedVaultIsRefused();
    void listFindShowsTheEntriesHoldingEveryWord_data();
    void listFindShowsTheEntriesHoldingEveryWord();
    void passwdChangesOnlyWithTheRightPasswords_data();
    void passwdChangesOnlyWithTheRightPasswords();

    void exportNeverLandsOnAFileUnasked_data();
    void exportNeverLandsOnAFileUnasked();
    void failedOutputIsAnError_data();
    void failedOutputIsAnError();
    void importReadsOnlyARegularFileOfAVaultsSize_data();
    void importReadsOnlyARegularFileOfAVaultsSize();
    void importingTwiceAddsNothingTwice();
    void controlCharactersReachTheTerminalEscaped_data();
    void controlCharactersReachTheTerminalEscaped();
    void createTakesTheDialogsMasterPasswordRule();
    void versionIsPrinted();
#ifdef Q_OS_UNIX
    void interruptedPromptGivesTheEchoBack();
#endif

private:
    Run cli(const QString &vault, const QStringList &arguments, const QByteArray &input = {});
    Run cli(const QStringList &arguments, const QByteArray &input = {})
    {
        return cli(m_vault, arguments, input);
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_vault;
    QString m_stdoutFile; // where the next run's standard output goes, when set
};

void tst_Cli::init()
{
    m_stdoutFile.clear();
    m_dir = std::make_unique<QTemporaryDir>();
    m_vault = m_dir->filePath(u"data.enc"_s);
    writeFile(m_vault, vaultOf(Entries, Master));
}

Run tst_Cli::cli(const QString &vault, const QStringList &arguments, const QByteArray &input)
{
    return runCli(QStringList{u"--vault"_s, vault} + arguments, input, m_stdoutFile);
}

void tst_Cli::readingCommands_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("out");

    QTest::newRow("list") << QStringList{u"list"_s}
                          << u"anna\thttps://mail.example.com\nben\tRouter, upstairs\n"_s;
    QTest::newRow("list --show-passwords") << QStringList{u"list"_s, u"--show-passwords"_s}
            << u"anna\tpässwört\thttps://mail.example.com\nben\ts3cret\tRouter, upstairs\n"_s;
    QTest::newRow("show 2") << QStringList{u"show"_s, u"2"_s}
                            << u"Username: ben\nPassword: s3cret\nLocation: Router, upstairs\n"_s;
    QTest::newRow("export") << QStringList{u"export"_s, u"--format"_s, u"csv"_s}
            << u"username,password,location\r\nanna,pässwört,https://mail.example.com\r\nben,s3cret,\"Router, upstairs\"\r\n"_s;
}

void tst_Cli::readingCommands()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, out);

    const Run run = cli(QStringList{u"--password-stdin"_s} + arguments, "master\n");
    QCOMPARE(run.status, 0);
    QCOMPARE(run.out, out);
    QCOMPARE(contentsOf(m_vault), vaultOf(Entries, Master));
}

void tst_Cli::writingCommands_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<std::vector<VaultEntry>>("entries");
    QTest::addColumn<QString>("out");

    const VaultEntry anna = Entries[0], ben = Entries[1];
    QTest::newRow("add") << QStringList{u"add"_s, u"carla"_s, u"shop €"_s} << "master\nhunter2\n"_ba
                         << std::vector<VaultEntry>{anna, ben, {u"carla"_s, u"hunter2"_s, u"shop €"_s}}
                         << u"Added entry 3.\n"_s;
    QTest::newRow("add after --") << QStringList{u"add"_s, u"--"_s, u"--dashes"_s, u"x"_s} << "master\npw\n"_ba
                                   << std::vector<VaultEntry>{anna, ben, {u"--dashes"_s, u"pw"_s, u"x"_s}}
                                   << u"Added entry 3.\n"_s;
    QTest::newRow("edit all") << QStringList{u"edit"_s, u"1"_s, u"--username"_s, u"ann"_s, u"--location"_s, u"x"_s, u"--password"_s}
                              << "master\nnew\n"_ba
                              << std::vector<VaultEntry>{{u"ann"_s, u"new"_s, u"x"_s}, ben} << u"Changed entry 1.\n"_s;
    QTest::newRow("remove") << QStringList{u"remove"_s, u"1"_s} << "master\n"_ba
                            << std::vector<VaultEntry>{ben} << u"Removed entry 1.\n"_s;
    QTest::newRow("import chrome") << QStringList{u"import"_s, QStringLiteral(KEYHOLDER_TEST_DATA "/csv/chrome.csv")}
            << "master\n"_ba
            << std::vector<VaultEntry>{anna, ben, {u"carla"_s, u"hunter2"_s, u"https://shop.example.com/"_s},
                                       {u"carla.b"_s, u"multi\nline"_s, u"Bank"_s}}
            << u"Imported 2 entries from a chrome export; skipped 0 row(s).\n"_s;
    QTest::newRow("import --skip-invalid") << QStringList{u"import"_s, BadCsv, u"--skip-invalid"_s}
            << "master\n"_ba << std::vector<VaultEntry>{anna, ben, {u"ok"_s, u"pw"_s, u"here"_s}}
            << u"Imported 1 entries from a keyholder export; skipped 1 row(s).\n"_s;
}

void tst_Cli::writingCommands()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, input);
    QFETCH(std::vector<VaultEntry>, entries);
    QFETCH(QString, out);

    const Run run = cli(QStringList{u"--password-stdin"_s} + arguments, input);
    QVERIFY2(run.status == 0, qPrintable(run.err));
    QCOMPARE(run.out, out);
    QCOMPARE(contentsOf(m_vault), vaultOf(entries, Master));
}

// A file another program wrote (other line ends, skipped lines, NUL) gains the
// entry as a save of what was read would write it; the backup is the file as it was.
void tst_Cli::addWritesWhatASaveWrites()
{
    const QByteArray handEdited = VaultFiles::testData("vault/hand_edited.enc") + '\0';
    writeFile(m_vault, handEdited);
    const Run run = cli({u"--password-stdin"_s, u"add"_s, u"carla"_s, u"x"_s}, "master\npw\n");
    QVERIFY2(run.status == 0, qPrintable(run.err));
    const VaultFormat::Contents read = VaultFormat::parse(handEdited);
    QCOMPARE(run.out, u"Added entry %1.\n"_s.arg(read.Rows.size() + 1));
    QCOMPARE(contentsOf(m_vault),
             VaultFormat::serialize(read.MasterPassword, read.Rows, VaultFiles::rowsOf({{u"carla"_s, u"pw"_s, u"x"_s}})));
    QCOMPARE(contentsOf(VaultFile::backupPathOf(m_vault)), handEdited);
}

void tst_Cli::failuresLeaveTheVaultUntouched_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("err");

    const QString bad = BadCsv;
    const QStringList stdinPassword{u"--password-stdin"_s};
    QTest::newRow("wrong password") << stdinPassword + QStringList{u"list"_s} << "wrong\n"_ba << 1
                                    << u"keyholder-cli: Wrong master password\n"_s;
    QTest::newRow("no password") << stdinPassword + QStringList{u"list"_s} << ""_ba << 1
                                 << u"keyholder-cli: No password was given\n"_s;
    QTest::newRow("no terminal") << QStringList{u"list"_s} << "master\n"_ba << 1
            << u"keyholder-cli: There is no terminal to ask for the password on; use --password-stdin\n"_s;
    QTest::newRow("no such entry") << stdinPassword + QStringList{u"remove"_s, u"3"_s} << "master\n"_ba << 1
                                   << u"keyholder-cli: There is no entry 3; the vault holds 2\n"_s;
    QTest::newRow("add, wrong password") << stdinPassword + QStringList{u"add"_s, u"u"_s, u"x"_s} << "wrong\npw\n"_ba
                                         << 1 << u"keyholder-cli: Wrong master password\n"_s;
    QTest::newRow("empty username") << stdinPassword + QStringList{u"add"_s, u""_s, u"x"_s} << "master\npw\n"_ba << 1
                                    << u"keyholder-cli: You must enter a username\n"_s;
    QTest::newRow("unstorable password") << stdinPassword + QStringList{u"add"_s, u"u"_s, u"x"_s}
            << "master\n\xE2\x9C\x93\n"_ba << 1
            << u"keyholder-cli: Nothing was saved: the password cannot be stored: it contains the character \"✓\" (U+2713), which the vault file cannot store\n"_s;
    QTest::newRow("separator in username") << stdinPassword + QStringList{u"edit"_s, u"2"_s, u"--username"_s, u"a|||b"_s}
            << "master\n"_ba << 1
            << u"keyholder-cli: Nothing was saved: the username cannot be stored: it contains \"|||\", which the vault file uses to separate fields\n"_s;
    QTest::newRow("import with a bad row") << stdinPassword + QStringList{u"import"_s, bad} << "master\n"_ba << 1
            << u"row 3: the username cannot be stored: it contains the character \"✓\" (U+2713), which the vault file cannot store\n"
               "keyholder-cli: Nothing was imported: 1 row(s) cannot be stored; --skip-invalid imports the others\n"_s;
    QTest::newRow("import of an unknown format") << stdinPassword + QStringList{u"import"_s, bad, u"--format"_s, u"bitwarden"_s}
            << "master\n"_ba << 1
            << u"keyholder-cli: Could not import \"%1\": The header row is not that of a bitwarden export\n"_s.arg(bad);
    QTest::newRow("create over a vault") << stdinPassword + QStringList{u"create"_s} << "new\n"_ba << 1
            << u"keyholder-cli: The vault \"{vault}\" already has a master password\n"_s;

    const QString usage = u"\n\nUsage: keyholder-cli"_s;
    QTest::newRow("no command") << QStringList{} << ""_ba << 2 << u"keyholder-cli: no command given"_s + usage;
    QTest::newRow("unknown command") << QStringList{u"ls"_s} << ""_ba << 2
                                     << u"keyholder-cli: unknown command \"ls\""_s + usage;
    QTest::newRow("not a number") << QStringList{u"show"_s, u"first"_s} << ""_ba << 2
                                  << u"keyholder-cli: \"first\" is not an entry number"_s + usage;
    QTest::newRow("unknown format") << QStringList{u"import"_s, bad, u"--format"_s, u"lastpass"_s} << ""_ba << 2
            << u"keyholder-cli: --format is one of auto, keyholder, keepassxc, bitwarden, chrome, firefox"_s + usage;
    QTest::newRow("edit without a change") << QStringList{u"edit"_s, u"1"_s} << ""_ba << 2
            << u"keyholder-cli: edit needs --username, --location or --password"_s + usage;
}

void tst_Cli::failuresLeaveTheVaultUntouched()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, input);
    QFETCH(int, status);
    QFETCH(QString, err);

    const Run run = cli(arguments, input);
    QCOMPARE(run.status, status);
    QVERIFY2(run.err.startsWith(QString(err).replace(u"{vault}"_s, m_vault)), qPrintable(run.err));
    QCOMPARE(run.out, QString());
    QCOMPARE(contentsOf(m_vault), vaultOf(Entries, Master));
}

void tst_Cli::lockedVault_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");

    QTest::newRow("list reads") << QStringList{u"list"_s} << 0;
    QTest::newRow("show reads") << QStringList{u"show"_s, u"1"_s} << 0;
    QTest::newRow("export reads") << QStringList{u"export"_s} << 0;
    QTest::newRow("add refuses") << QStringList{u"add"_s, u"u"_s, u"x"_s} << 1;
    QTest::newRow("edit refuses") << QStringList{u"edit"_s, u"1"_s, u"--location"_s, u"y"_s} << 1;
    QTest::newRow("remove refuses") << QStringList{u"remove"_s, u"1"_s} << 1;
    QTest::newRow("import refuses") << QStringList{u"import"_s, QStringLiteral(KEYHOLDER_TEST_DATA "/csv/chrome.csv")} << 1;
    QTest::newRow("create refuses") << QStringList{u"create"_s} << 1;
    QTest::newRow("encrypt refuses") << QStringList{u"encrypt"_s} << 1;
}

void tst_Cli::lockedVault()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);

    QLockFile program(m_vault + u".lock"_s);
    QVERIFY(program.tryLock());
    const Run run = cli(QStringList{u"--password-stdin"_s} + arguments, "master\npw\n");
    QCOMPARE(run.status, status);
    if (status != 0) {
        QCOMPARE(run.err, u"keyholder-cli: The vault \"%1\" is open in Keyholder or another program, so it cannot "
                          "be changed now; list, show and export still work\n"_s.arg(QDir::toNativeSeparators(m_vault)));
        QCOMPARE(run.out, QString());
    }
    QCOMPARE(contentsOf(m_vault), vaultOf(Entries, Master));
}

void tst_Cli::createMakesANewVault()
{
    const QString path = m_dir->filePath(u"new/data.enc"_s);
    QVERIFY(QDir().mkpath(m_dir->filePath(u"new"_s)));
    QCOMPARE(cli(path, {u"list"_s}).status, 1);
    QCOMPARE(cli(path, {u"create"_s}).status, 1); // no terminal to ask twice on
    QVERIFY(!QFile::exists(path));

    const Run created = cli(path, {u"--password-stdin"_s, u"create"_s}, "fresh\n");
    QCOMPARE(created.status, 0);
    QCOMPARE(contentsOf(path), VaultFormat::masterOnly(u"fresh"_s));
    QCOMPARE(cli(path, {u"--password-stdin"_s, u"add"_s, u"u"_s, u"x"_s}, "fresh\npw\n").status, 0);
    QCOMPARE(cli(path, {u"--password-stdin"_s, u"list"_s}, "fresh\n").out, u"u\tx\n"_s);
}

void tst_Cli::exportThenImportReproducesTheVault()
{
    std::vector<VaultEntry> entries = Entries;
    entries.push_back({u" lead, \"quoted\" "_s, u"|line\r\nbreak"_s, u"|€ ÿ\t"_s});
    entries.push_back({u"x"_s, u"y"_s, u""_s});
    writeFile(m_vault, vaultOf(entries, Master));
    const QString csv = m_dir->filePath(u"export.csv"_s);

    const Run exported = cli({u"--password-stdin"_s, u"export"_s, csv}, "master\n");
    QCOMPARE(exported.status, 0);
    QVERIFY2(exported.err.startsWith(u"Warning: the export is not protected"_s), qPrintable(exported.err));
    QCOMPARE(QFile::permissions(csv) & 0x0077, QFileDevice::Permissions());
    QCOMPARE(cli({u"--password-stdin"_s, u"export"_s}, "master\n").out.toUtf8(), contentsOf(csv));

    const QString copy = m_dir->filePath(u"copy.enc"_s);
    QCOMPARE(cli(copy, {u"--password-stdin"_s, u"create"_s}, "master\n").status, 0);
    const Run imported = cli(copy, {u"--password-stdin"_s, u"import"_s, csv, u"--format"_s, u"keyholder"_s}, "master\n");
    QVERIFY2(imported.status == 0, qPrintable(imported.err));
    QCOMPARE(contentsOf(copy), contentsOf(m_vault));
}

void tst_Cli::encryptThenDecryptGivesTheSameFileBack()
{
    const QString backup = VaultFile::backupPathOf(m_vault);
    writeFile(backup, vaultOf({Entries[0]}, Master));
    const Run encrypted = cli({u"--password-stdin"_s, u"encrypt"_s}, "master\n");
    QVERIFY2(encrypted.status == 0, qPrintable(encrypted.err));
    QVERIFY2(encrypted.err.contains(u"still only scrambled"_s), qPrintable(encrypted.err));
    for (const QString &path : {m_vault, backup}) {
        const QByteArray bytes = contentsOf(path);
        QVERIFY(EncryptedFormat::isEncrypted(bytes));
        QVERIFY(!bytes.contains("anna") && !bytes.contains(vaultOf({}, Master).chopped(4)));
    }

    QCOMPARE(cli({u"--password-stdin"_s, u"list"_s}, "master\n").out,
             u"anna\thttps://mail.example.com\nben\tRouter, upstairs\n"_s);
    const QByteArray sealed = contentsOf(m_vault);
    const Run wrong = cli({u"--password-stdin"_s, u"decrypt"_s}, "not it\n");
    QCOMPARE(wrong.status, 1);
    QCOMPARE(wrong.err, u"keyholder-cli: Wrong master password\n"_s);
    QCOMPARE(contentsOf(m_vault), sealed);

    const Run decrypted = cli({u"--password-stdin"_s, u"decrypt"_s}, "master\n");
    QVERIFY2(decrypted.status == 0, qPrintable(decrypted.err));
    QCOMPARE(contentsOf(m_vault), vaultOf(Entries, Master));
    // The backup went through both as it was: the version before, not a copy of this one.
    QCOMPARE(contentsOf(backup), vaultOf({Entries[0]}, Master));
}

void tst_Cli::damagedVaultIsNotAWrongPassword()
{
    QCOMPARE(cli({u"--password-stdin"_s, u"encrypt"_s}, "master\n").status, 0);
    QByteArray damaged = contentsOf(m_vault);
    damaged.chop(1);
    writeFile(m_vault, damaged);

    const Run run = cli({u"--password-stdin"_s, u"list"_s}, "master\n");
    QCOMPARE(run.status, 1);
    QVERIFY2(run.err.startsWith(u"keyholder-cli: The vault file is damaged"_s), qPrintable(run.err));
    QCOMPARE(cli({u"--password-stdin"_s, u"list"_s}, "not it\n").err, u"keyholder-cli: Wrong master password\n"_s);
    QCOMPARE(contentsOf(m_vault), damaged);
}

void tst_Cli::noNewVaultOverABackup_data()
{
    QTest::addColumn<QByteArray>("vault"); // "<missing>": deleted
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("deleted, create") << "<missing>"_ba << QStringList{u"create"_s};
    QTest::newRow("deleted, list") << "<missing>"_ba << QStringList{u"list"_s};
    QTest::newRow("emptied, create") << "\r\n"_ba << QStringList{u"create"_s};
}

void tst_Cli::noNewVaultOverABackup()
{
    QFETCH(QByteArray, vault);
    QFETCH(QStringList, arguments);
    const QString backup = VaultFile::backupPathOf(m_vault);
    writeFile(backup, vaultOf(Entries, Master));
    if (vault == "<missing>")
        QVERIFY(QFile::remove(m_vault));
    else
        writeFile(m_vault, vault);

    const Run run = cli(QStringList{u"--password-stdin"_s} + arguments, "fresh\n");
    QCOMPARE(run.status, 1);
    QVERIFY2(run.err.contains(u"copy \"%1\" over"_s.arg(QDir::toNativeSeparators(backup))), qPrintable(run.err));
    QCOMPARE(contentsOf(m_vault), vault);
    QCOMPARE(contentsOf(backup), vaultOf(Entries, Master));
}

void tst_Cli::lockLeftElsewhereIsTakenOverOnlyWhenAsked()
{
    VaultFiles::writeLockOf(m_vault, 4242, u"far-away-pc"_s);
    const Run refused = cli({u"--password-stdin"_s, u"remove"_s, u"1"_s}, "master\n");
    QCOMPARE(refused.status, 1);
    QVERIFY2(refused.err.contains(u"process 4242 (keyholder) on the computer \"far-away-pc\""_s)
                     && refused.err.contains(u"--take-over"_s),
             qPrintable(refused.err));
    QCOMPARE(contentsOf(m_vault), vaultOf(Entries, Master));
    QCOMPARE(cli({u"--password-stdin"_s, u"list"_s}, "master\n").status, 0);
    QCOMPARE(cli({u"--password-stdin"_s, u"remove"_s, u"--take-over"_s, u"1"_s}, "master\n").status, 2);

    const Run taken = cli({u"--password-stdin"_s, u"--take-over"_s, u"remove"_s, u"1"_s}, "master\n");
    QVERIFY2(taken.status == 0, qPrintable(taken.err));
    QCOMPARE(contentsOf(m_vault), vaultOf({Entries[1]}, Master));
    QVERIFY(!QFile::exists(m_vault + u".lock"_s));
}

void tst_Cli::secondNameOfALockedVaultIsRefused()
{
    QLockFile program(m_vault + u".lock"_s);
    QVERIFY(program.tryLock());
    QTemporaryDir elsewhere;
    const QString alias = elsewhere.filePath(u"alias.enc"_s);
    QVERIFY(QFile::link(m_vault, alias));

    const Run run = cli(alias, {u"--password-stdin"_s, u"add"_s, u"u"_s, u"x"_s}, "master\npw\n");
    QCOMPARE(run.status, 1);
    QVERIFY2(run.err.contains(u"is open in Keyholder"_s), qPrintable(run.err));
    QCOMPARE(contentsOf(m_vault), vaultOf(Entries, Master));
    QVERIFY(!QFile::exists(alias + u".bak"_s));
}

void tst_Cli::listFindShowsTheEntriesHoldingEveryWord_data()
{
    QTest::addColumn<bool>("encrypted");
    QTest::addColumn<QString>("find");
    QTest::addColumn<QString>("out");
    const QString anna = u"1\tanna\thttps://mail.example.com\n"_s, ben = u"2\tben\tRouter, upstairs\n"_s;
    QTest::newRow("words in both fields, any case") << false << u"MAIL Anna"_s << anna;
    QTest::newRow("the second entry keeps its number") << false << u"upstairs"_s << ben;
    QTest::newRow("spaces around and between") << false << u"  ben   up "_s << ben;
    QTest::newRow("one word missing") << false << u"anna router"_s << u""_s;
    QTest::newRow("passwords are not searched") << false << u"s3cret"_s << u""_s;
    QTest::newRow("nothing but spaces") << false << u"  "_s << anna + ben;
    QTest::newRow("encrypted, words in both fields") << true << u"MAIL Anna"_s << anna;
    QTest::newRow("encrypted, passwords are not searched") << true << u"s3cret"_s << u""_s;
}

void tst_Cli::listFindShowsTheEntriesHoldingEveryWord()
{
    QFETCH(bool, encrypted);
    QFETCH(QString, find);
    QFETCH(QString, out);
    if (encrypted)
        writeFile(m_vault, encryptedVaultOf(Entries, Master));

    const Run run = cli({u"--password-stdin"_s, u"list"_s, u"--find"_s, find}, "master\n");
    QVERIFY2(run.status == 0, qPrintable(run.err));
    QCOMPARE(run.out, out);
}

void tst_Cli::passwdChangesOnlyWithTheRightPasswords_data()
{
    QTest::addColumn<bool>("encrypted");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("err"); // empty: changed
    for (const bool encrypted : {false, true}) {
        const char *format = encrypted ? "encrypted" : "scrambled";
        const QByteArray typedTwice = "new secret\nnew secret\n";
        QTest::addRow("%s, changed", format) << encrypted << "master\n" + typedTwice << QString();
        QTest::addRow("%s, wrong current password", format) << encrypted << "not it\n" + typedTwice
                << u"Wrong master password"_s;
        QTest::addRow("%s, new passwords differ", format) << encrypted << "master\nnew secret\nnew secert\n"_ba
                << u"The two passwords differ"_s;
        QTest::addRow("%s, too short", format) << encrypted << "master\nabc\nabc\n"_ba
                << u"at least 4 characters"_s;
        QTest::addRow("%s, open elsewhere", format) << encrypted << "master\n" + typedTwice
                << u"is open in Keyholder"_s;
    }
}

void tst_Cli::passwdChangesOnlyWithTheRightPasswords()
{
    QFETCH(bool, encrypted);
    QFETCH(QByteArray, input);
    QFETCH(QString, err);
    if (encrypted)
        writeFile(m_vault, encryptedVaultOf(Entries, Master));
    const QByteArray before = contentsOf(m_vault);
    QLockFile program(m_vault + u".lock"_s);
    if (err.contains(u"open in Keyholder"_s))
        QVERIFY(program.tryLock());

    const Run run = cli({u"--password-stdin"_s, u"passwd"_s}, input);
    QVERIFY2(run.status == (err.isEmpty() ? 0 : 1) && run.err.contains(err), qPrintable(run.err));
    if (!err.isEmpty()) {
        QCOMPARE(contentsOf(m_vault), before);
        return;
    }
    QCOMPARE(contentsOf(VaultFile::backupPathOf(m_vault)), before);
    if (!encrypted) {
        QCOMPARE(contentsOf(m_vault), vaultOf(Entries, u"new secret"_s));
        return;
    }
    QVERIFY(EncryptedFormat::readHeader(contentsOf(m_vault))->salt != EncryptedFormat::readHeader(before)->salt);
    QCOMPARE(cli({u"--password-stdin"_s, u"list"_s}, "master\n").status, 1);
    QCOMPARE(cli({u"--password-stdin"_s, u"list"_s}, "new secret\n").out,
             u"anna\thttps://mail.example.com\nben\tRouter, upstairs\n"_s);
}

namespace {

QFileDevice::Permissions modeOf(const QString &path)
{
    return QFile::permissions(path) & ~(QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser);
}

const QFileDevice::Permissions OwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
const QByteArray TheirBytes = "someone else's notes\n";

} // namespace

void tst_Cli::exportNeverLandsOnAFileUnasked_data()
{
    QTest::addColumn<QString>("target"); // what is at FILE: "file", "dangling link", "vault", "backup", "lock", "link to vault"
    QTest::addColumn<bool>("force");
    QTest::addColumn<bool>("written");
    QTest::newRow("existing file") << u"file"_s << false << false;
    QTest::newRow("existing file, --force") << u"file"_s << true << true;
    QTest::newRow("dangling link") << u"dangling link"_s << false << false;
    QTest::newRow("dangling link, --force") << u"dangling link"_s << true << true;
    QTest::newRow("the vault, --force") << u"vault"_s << true << false;
    QTest::newRow("its backup, --force") << u"backup"_s << true << false;
    QTest::newRow("its lock, --force") << u"lock"_s << true << false;
    QTest::newRow("a link to the vault, --force") << u"link to vault"_s << true << false;
}

void tst_Cli::exportNeverLandsOnAFileUnasked()
{
    QFETCH(QString, target);
    QFETCH(bool, force);
    QFETCH(bool, written);
    QString file = m_dir->filePath(u"export.csv"_s);
    const QString linkTarget = m_dir->filePath(u"nowhere.csv"_s);
    if (target == u"file"_s) {
        writeFile(file, TheirBytes);
        QVERIFY(QFile::setPermissions(file, OwnerOnly | QFileDevice::ReadGroup | QFileDevice::ReadOther));
    } else if (target == u"dangling link"_s) {
        QVERIFY(QFile::link(linkTarget, file));
    } else if (target == u"vault"_s) {
        file = m_vault;
    } else if (target == u"backup"_s) {
        file = VaultFile::backupPathOf(m_vault);
        writeFile(file, vaultOf({}, Master));
    } else if (target == u"lock"_s) {
        file = m_vault + u".lock"_s;
    } else {
        QVERIFY(QFile::link(m_vault, file));
    }
    const QByteArray before = contentsOf(file);

    const QStringList force_ = force ? QStringList{u"--force"_s} : QStringList{};
    // A refusal comes before the password is asked for.
    const Run run = cli(QStringList{u"--password-stdin"_s, u"export"_s} + force_ + QStringList{file},
                        written ? "master\n" : "");
    QCOMPARE(run.status, written ? 0 : 1);
    QCOMPARE(contentsOf(m_vault), vaultOf(Entries, Master));
    if (!written) {
        QCOMPARE(contentsOf(file), before);
        return;
    }
    QVERIFY(contentsOf(file).startsWith("username,password,location\r\n"));
    QCOMPARE(modeOf(file), OwnerOnly);
    QVERIFY(!QFileInfo(file).isSymLink());
    QVERIFY(!QFile::exists(linkTarget));
}

void tst_Cli::failedOutputIsAnError_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("where"); // "full disk" or "closed pipe"
    for (const QString &where : {u"full disk"_s, u"closed pipe"_s}) {
        QTest::addRow("list, %s", qPrintable(where)) << QStringList{u"list"_s} << where;
        QTest::addRow("export, %s", qPrintable(where)) << QStringList{u"export"_s} << where;
    }
}

void tst_Cli::failedOutputIsAnError()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, where);
    QProcess process;
    if (where == u"full disk"_s) {
        process.setStandardOutputFile(u"/dev/full"_s);
        process.start(QStringLiteral(KEYHOLDER_CLI), QStringList{u"--vault"_s, m_vault, u"--password-stdin"_s} + arguments);
    } else {
        // The reader ends before the password arrives, so every write meets a closed pipe.
        process.start(u"bash"_s, QStringList{u"-c"_s, u"{ sleep 1; echo master; } | \"$0\" \"$@\" | true; exit ${PIPESTATUS[1]}"_s,
                                             QStringLiteral(KEYHOLDER_CLI), u"--vault"_s, m_vault, u"--password-stdin"_s}
                                         + arguments);
    }
    process.write("master\n");
    process.closeWriteChannel();
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 1);
    const QString err = QString::fromUtf8(process.readAllStandardError());
    QVERIFY2(err.contains(u"keyholder-cli: Could not write to standard output: "_s), qPrintable(err));
}

void tst_Cli::importReadsOnlyARegularFileOfAVaultsSize_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("refusal");
    QTest::newRow("a device") << u"/dev/zero"_s << u"not a regular file"_s;
    QTest::newRow("a pipe") << u"fifo"_s << u"not a regular file"_s;
    QTest::newRow("300 MiB") << u"huge.csv"_s << u"larger than the 256 MiB"_s;
    QTest::newRow("missing") << u"missing.csv"_s << u"Could not open the file"_s;
}

void tst_Cli::importReadsOnlyARegularFileOfAVaultsSize()
{
    QFETCH(QString, file);
    QFETCH(QString, refusal);
    const QString path = file.startsWith(u'/') ? file : m_dir->filePath(file);
    if (file == u"fifo"_s)
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    if (file == u"huge.csv"_s) {
        QFile huge(path);
        QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(qint64(300) << 20));
    }
    // Refused before the lock: held here, it would otherwise be what is reported.
    QLockFile program(m_vault + u".lock"_s);
    QVERIFY(program.tryLock());

    const Run run = cli({u"--password-stdin"_s, u"import"_s, path}, "master\n");
    QCOMPARE(run.status, 1);
    QVERIFY2(run.err.contains(refusal) && run.err.contains(path), qPrintable(run.err));
    QCOMPARE(contentsOf(m_vault), vaultOf(Entries, Master));
}

void tst_Cli::importingTwiceAddsNothingTwice()
{
    const QString csv = QStringLiteral(KEYHOLDER_TEST_DATA "/csv/chrome.csv");
    const Run first = cli({u"--password-stdin"_s, u"import"_s, csv}, "master\n");
    QVERIFY2(first.status == 0, qPrintable(first.err));
    const QByteArray once = contentsOf(m_vault);
    const QByteArray backup = contentsOf(VaultFile::backupPathOf(m_vault));

    const Run second = cli({u"--password-stdin"_s, u"import"_s, csv}, "master\n");
    QVERIFY2(second.status == 0, qPrintable(second.err));
    QCOMPARE(second.out, u"Imported 0 entries from a chrome export; skipped 0 row(s); skipped 2 duplicates.\n"_s);
    QCOMPARE(contentsOf(m_vault), once);
    QCOMPARE(contentsOf(VaultFile::backupPathOf(m_vault)), backup); // nothing was saved

}

void tst_Cli::controlCharactersReachTheTerminalEscaped_data()
{
    QTest::addColumn<QByteArray>("vault");
    QTest::addColumn<QString>("listed");
    QTest::addColumn<QString>("shown");
    QTest::newRow("controls") << vaultOf({{u"\u001B]0;owned\u0007"_s, u"p\tw"_s, u"two\r\nlines\u0081\u007F"_s}}, Master)
                              << u"\\x1B]0;owned\\x07\tp\\tw\ttwo\\r\\nlines\\x81\\x7F\n"_s
                              << u"Username: \\x1B]0;owned\\x07\nPassword: p\\tw\nLocation: two\\r\\nlines\\x81\\x7F\n"_s;
    QTest::newRow("beside other text") << vaultOf({{u"é\u0007€"_s, u"ÿ\n"_s, u"ñ\u0090\u00A0"_s}}, Master)
                                       << u"é\\x07€\tÿ\\n\tñ\\x90\u00A0\n"_s
                                       << u"Username: é\\x07€\nPassword: ÿ\\n\nLocation: ñ\\x90\u00A0\n"_s;
}

void tst_Cli::controlCharactersReachTheTerminalEscaped()
{
    QFETCH(QByteArray, vault);
    QFETCH(QString, listed);
    QFETCH(QString, shown);
    writeFile(m_vault, vault);
    const Run list = cli({u"--password-stdin"_s, u"list"_s, u"--show-passwords"_s}, "master\n");
    QCOMPARE(list.status, 0);
    QCOMPARE(list.out, listed);
    const Run show = cli({u"--password-stdin"_s, u"show"_s, u"1"_s}, "master\n");
    QCOMPARE(show.out, shown);
}

void tst_Cli::createTakesTheDialogsMasterPasswordRule()
{
    const QString path = m_dir->filePath(u"new.enc"_s);
    const Run tooShort = cli(path, {u"--password-stdin"_s, u"create"_s}, "abc\n");
    QCOMPARE(tooShort.status, 1);
    QCOMPARE(tooShort.err, u"keyholder-cli: The master password must be at least 4 characters long\n"_s);
    QVERIFY(!QFile::exists(path));
    QCOMPARE(cli(path, {u"--password-stdin"_s, u"create"_s}, "abcd\n").status, 0);
    QCOMPARE(contentsOf(path), VaultFormat::masterOnly(u"abcd"_s));
}

void tst_Cli::versionIsPrinted()
{
    const Run run = cli({u"--version"_s});
    QCOMPARE(run.status, 0);
    QCOMPARE(run.out, u"keyholder-cli 1.0.0\n"_s);
}

#ifdef Q_OS_UNIX
// The prompt on a real terminal: Ctrl-C there must not leave the echo off.
void tst_Cli::interruptedPromptGivesTheEchoBack()
{
    // Made before the fork: the child may only call exec.
    const QByteArray cli = QByteArrayLiteral(KEYHOLDER_CLI);
    const QByteArray vault = QFile::encodeName(m_vault);
    int terminal = -1;
    const pid_t child = forkpty(&terminal, nullptr, nullptr, nullptr);
    QVERIFY(child >= 0);
    if (child == 0) {
        execl(cli.constData(), cli.constData(), "--vault", vault.constData(), "list", static_cast<char *>(nullptr));
        _exit(127);
    }
    QByteArray seen;
    char buffer[256];
    for (ssize_t got = 0; !seen.contains("Master password: ") && got >= 0;) {
        got = read(terminal, buffer, sizeof buffer);
        seen.append(buffer, std::max<ssize_t>(got, 0));
    }
    QVERIFY2(seen.contains("Master password: "), seen.constData());
    termios settings{};
    QTRY_VERIFY_WITH_TIMEOUT(tcgetattr(terminal, &settings) == 0 && !(settings.c_lflag & ECHO), 5000);

    QCOMPARE(write(terminal, "\x03", 1), ssize_t(1)); // Ctrl-C
    int status = 0;
    QCOMPARE(waitpid(child, &status, 0), child);
    QVERIFY(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT);
    QCOMPARE(tcgetattr(terminal, &settings), 0);
    QVERIFY(settings.c_lflag & ECHO);
    close(terminal);
}
#endif

QTEST_GUILESS_MAIN(tst_Cli)
#include "tst_Cli.moc"
