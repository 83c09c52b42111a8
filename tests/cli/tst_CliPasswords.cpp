// keyholder-cli's strong passwords as a user runs them: generate, add
// --generate and check, their output and exit status.
#include "BreachFiles.h"
#include "CliRun.h"
#include "VaultFiles.h"

#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using VaultFiles::vaultOf;
using VaultFiles::writeFile;

namespace {

const QString Master = u"master"_s;
const QString Reused = u"gravel-ocean-ladder-fiddle-unkind-patio"_s;
const std::vector<VaultEntry> Entries{{u"anna"_s, u"pV7#kQ2m!xZ9@wL4"_s, u"https://mail.example.com"_s},
                                      {u"ben"_s, u"hunter2"_s, u"Router, upstairs"_s},
                                      {u"carla"_s, Reused, u"shop"_s},
                                      {u"dan"_s, Reused, u"bank"_s},
                                      {u"eve"_s, u"Tr0ub4dor&3"_s, u"forum"_s}};

bool matches(const QString &pattern, const QString &text)
{
    return QRegularExpression(pattern).match(text).hasMatch();
}

} // namespace

class tst_CliPasswords : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void generateFollowsItsOptions_data();
    void generateFollowsItsOptions();
    void generateCountGivesThatManyDifferentPasswords();
    void addGenerateStoresAPasswordUnshown_data();
    void addGenerateStoresAPasswordUnshown();
    void checkListsFindingsWorstFirst_data();
    void checkListsFindingsWorstFirst();
    void checkRefusesAnUnusableBreachList_data();
    void checkRefusesAnUnusableBreachList();

private:
    CliRun cli(const QStringList &arguments, const QByteArray &input = "master\n")
    {
        return runCli(QStringList{u"--vault"_s, m_vault, u"--password-stdin"_s} + arguments, input);
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_vault;
};

void tst_CliPasswords::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_vault = m_dir->filePath(u"data.enc"_s);
    writeFile(m_vault, vaultOf(Entries, Master));
}

void tst_CliPasswords::generateFollowsItsOptions_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("expected"); // status 0: the pattern of the output; else the start of the error
    QTest::newRow("3 words and dots") << QStringList{u"--words"_s, u"3"_s, u"--separator"_s, u"."_s} << 0
                                      << u"^[a-z-]+\\.[a-z-]+\\.[a-z-]+\n$"_s;
    QTest::newRow("9 digits") << QStringList{u"--length"_s, u"9"_s, u"--no-upper"_s, u"--no-lower"_s, u"--no-symbols"_s}
                              << 0 << u"^[2-9]{9}\n$"_s;
    QTest::newRow("7 characters") << QStringList{u"--length"_s, u"7"_s} << 2 << u"A password has from 8 to 128 characters"_s;
    QTest::newRow("not a number") << QStringList{u"--length"_s, u"ten"_s} << 2 << u"--length needs a number"_s;
    QTest::newRow("words and a length") << QStringList{u"--words"_s, u"4"_s, u"--length"_s, u"10"_s} << 2
                                        << u"--words makes a passphrase, which takes only --separator"_s;
    QTest::newRow("a separator without words") << QStringList{u"--separator"_s, u"."_s} << 2
                                               << u"--separator goes with --words"_s;
    QTest::newRow("no passwords") << QStringList{u"--count"_s, u"0"_s} << 2 << u"--count needs a number of at least 1"_s;
}

void tst_CliPasswords::generateFollowsItsOptions()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, expected);
    const CliRun run = runCli(QStringList{u"generate"_s} + arguments);
    QCOMPARE(run.status, status);
    if (status == 0)
        QVERIFY2(matches(expected, run.out), qPrintable(run.out));
    else
        QVERIFY2(run.err.startsWith(u"keyholder-cli: "_s + expected), qPrintable(run.err));
}

void tst_CliPasswords::generateCountGivesThatManyDifferentPasswords()
{
    const CliRun run = runCli({u"generate"_s, u"--count"_s, u"2000"_s});
    QCOMPARE(run.status, 0);
    QVERIFY(run.out.endsWith(u'\n'));
    const QStringList passwords = run.out.chopped(1).split(u'\n');
    QCOMPARE(passwords.size(), 2000);
    QCOMPARE(QSet<QString>(passwords.cbegin(), passwords.cend()).size(), 2000);
    for (const QString &password : passwords) {
        QVERIFY2(matches(u"^(?=.*[A-Z])(?=.*[a-z])(?=.*[0-9])(?=.*[^A-Za-z0-9]).{20}$"_s, password),
                 qPrintable(password));
    }
}

void tst_CliPasswords::addGenerateStoresAPasswordUnshown_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("pattern");
    QTest::newRow("the default") << QStringList{} << u"^[^|]{20}$"_s;
    QTest::newRow("4 words") << QStringList{u"--words"_s, u"4"_s, u"--separator"_s, u" "_s}
                             << u"^[a-z-]+( [a-z-]+){3}$"_s;
}

void tst_CliPasswords::addGenerateStoresAPasswordUnshown()
{
    QFETCH(QStringList, options);
    QFETCH(QString, pattern);
    const CliRun added = cli(QStringList{u"add"_s, u"fred"_s, u"https://new.example.com"_s, u"--generate"_s} + options);
    QVERIFY2(added.status == 0, qPrintable(added.err));
    QCOMPARE(added.out, u"Added entry 6.\n"_s);

    const CliRun list = cli({u"list"_s, u"--show-passwords"_s});
    const QStringList fields = list.out.split(u'\n').value(5).split(u'\t');
    QCOMPARE(fields.size(), 3);
    QCOMPARE(fields[0], u"fred"_s);
    QVERIFY2(matches(pattern, fields[1]), qPrintable(fields[1]));
    QVERIFY(!added.err.contains(fields[1]));
}

void tst_CliPasswords::checkListsFindingsWorstFirst_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("out");
    const QString reusedAndWeak = u"3\tcarla\tshop\treused: 2 entries\n"
                                  "4\tdan\tbank\treused: 2 entries\n"
                                  "2\tben\tRouter, upstairs\tweak: 10 bits\n"
                                  "5\teve\tforum\tweak: 46 bits\n"_s;
    QTest::newRow("no breach list") << QStringList{} << reusedAndWeak;
    QTest::newRow("a breach list") << QStringList{u"--breached"_s, u"{list}"_s}
            << u"2\tben\tRouter, upstairs\tbreached: seen 17 times\n"
               "5\teve\tforum\tbreached: seen 1 time\n"_s + reusedAndWeak;
}

void tst_CliPasswords::checkListsFindingsWorstFirst()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, out);
    const QString list = m_dir->filePath(u"breached.txt"_s);
    writeFile(list, BreachFiles::listOf({{u"hunter2"_s, 17}, {u"Tr0ub4dor&3"_s, 1}, {u"password"_s, 9545824}}));

    const CliRun run = cli(QStringList{u"check"_s} + arguments.replaceInStrings(u"{list}"_s, list));
    QVERIFY2(run.status == 0, qPrintable(run.err));
    QCOMPARE(run.out, out);
}

void tst_CliPasswords::checkRefusesAnUnusableBreachList_data()
{
    QTest::addColumn<QByteArray>("file"); // "<missing>": none
    QTest::addColumn<QString>("error");
    QTest::newRow("missing") << "<missing>"_ba << u"Could not open the breach list"_s;
    QTest::newRow("not a breach list") << "hunter2\n"_ba << u"is not a breach list"_s;
    QTest::newRow("backwards") << "F3BBBD66A63D4BF1747940578EC3D0103530E21D:17\n"
                                  "5BAA61E4C9B93F3F0682250B6CF8331B7EE68FD8:9545824\n"_ba
                               << u"is not sorted by hash"_s;
}

void tst_CliPasswords::checkRefusesAnUnusableBreachList()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, error);
    const QString list = m_dir->filePath(u"breached.txt"_s);
    if (file != "<missing>")
        writeFile(list, file);

    // Refused before the master password is asked for: none is given.
    const CliRun run = cli({u"check"_s, u"--breached"_s, list}, "");
    QCOMPARE(run.status, 1);
    QVERIFY2(run.err.startsWith(u"keyholder-cli: "_s) && run.err.contains(error) && run.err.contains(list),
             qPrintable(run.err));
    QCOMPARE(run.out, QString());
}

QTEST_GUILESS_MAIN(tst_CliPasswords)
#include "tst_CliPasswords.moc"
