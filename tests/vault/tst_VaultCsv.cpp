// CSV both ways: the peers' exports as their documented headers have them,
// the rows the vault refuses, and our own export read back.
#include "VaultFiles.h"
#include "vault/VaultCsv.h"
#include "vault/VaultFormat.h"
#include "vault/Windows1252.h"

#include <QBuffer>
#include <QTest>

using namespace Qt::StringLiterals;
using VaultCsv::Format;
using VaultFiles::testData;

Q_DECLARE_METATYPE(std::vector<VaultEntry>)

namespace {

QString describe(const std::vector<VaultEntry> &entries)
{
    QStringList lines;
    for (const VaultEntry &e : entries)
        lines.append(QStringList{e.Username, e.Password, e.Location}.join(u" | "));
    return lines.join(u'\n');
}

QString describe(const std::vector<EntryRow> &rows)
{
    std::vector<VaultEntry> entries;
    for (const EntryRow &row : rows)
        entries.push_back(row.entry());
    return describe(entries);
}

std::vector<EntryRow> rowsOf(const std::vector<VaultEntry> &entries)
{
    return {entries.begin(), entries.end()};
}

// The message for a check that failed; empty for a result that holds its value.
QString errorOf(const Result<VaultCsv::Import> &result)
{
    return result.ok() ? QString() : result.message();
}

} // namespace

class tst_VaultCsv : public QObject
{
    Q_OBJECT

private slots:
    void importsPeerExport_data();
    void importsPeerExport();
    void listsRowsTheVaultCannotStore_data();
    void listsRowsTheVaultCannotStore();
    void leavesOutDuplicates();
    void refusesFile_data();
    void refusesFile();
    void exportIsRfc4180WithOurHeader();
    void exportReadsBackUnchanged();
};

void tst_VaultCsv::importsPeerExport_data()
{
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<Format>("asked");
    QTest::addColumn<Format>("found");
    QTest::addColumn<std::vector<VaultEntry>>("entries");

    QTest::newRow("keepassxc") << testData(u"csv/keepassxc.csv"_s) << Format::Auto << Format::KeePassXC
            << std::vector<VaultEntry>{{u"anna@example.com"_s, u"p,a\"ss"_s, u"https://mail.example.com"_s},
                                       {u"admin"_s, u" spaced "_s, u"Router"_s}};
    QTest::newRow("keepassxc 2.7 with a BOM") << testData(u"csv/keepassxc_bom.csv"_s) << Format::Auto << Format::KeePassXC
            << std::vector<VaultEntry>{{u"anna@example.com"_s, u"p,a\"ss"_s, u"https://mail.example.com"_s},
                                       {u"admin"_s, u" spaced "_s, u"Router"_s}};
    QTest::newRow("bitwarden, BOM, CR LF") << testData(u"csv/bitwarden.csv"_s) << Format::Auto << Format::Bitwarden
            << std::vector<VaultEntry>{{u"ben"_s, u"Pässwört€"_s, u"https://forge.example.org/login"_s},
                                       {u"root"_s, u"s3cr\"et"_s, u"Home NAS"_s}};
    QTest::newRow("bitwarden organisation") << testData(u"csv/bitwarden_organisation.csv"_s) << Format::Auto
            << Format::Bitwarden << std::vector<VaultEntry>{{u"deployer"_s, u"t0ps3cret"_s, u"https://ci.example.org"_s}};
    QTest::newRow("chrome") << testData(u"csv/chrome.csv"_s) << Format::Chrome << Format::Chrome
            << std::vector<VaultEntry>{{u"carla"_s, u"hunter2"_s, u"https://shop.example.com/"_s},
                                       {u"carla.b"_s, u"multi\nline"_s, u"Bank"_s}};
    QTest::newRow("chrome, four columns") << testData(u"csv/chrome_old.csv"_s) << Format::Auto << Format::Chrome
            << std::vector<VaultEntry>{{u"carla"_s, u"hunter2"_s, u"https://shop.example.com/"_s}};
    QTest::newRow("firefox") << testData(u"csv/firefox.csv"_s) << Format::Auto << Format::Firefox
            << std::vector<VaultEntry>{{u"dora"_s, u"d0ra!"_s, u"https://forum.example.net"_s},
                                       {u"guest"_s, u"anon"_s, u"ftp://files.example.net"_s}};
    QTest::newRow("keyholder, quoted CR LF kept") << "username,password,location\n\"a\r\nb\",pw,x\n\n"_ba
            << Format::Keyholder << Format::Keyholder
            << std::vector<VaultEntry>{{u"a\r\nb"_s, u"pw"_s, u"x"_s}};
    QTest::newRow("columns reordered, one added") << "id,location,password,username\n7,x,pw,u\n"_ba
            << Format::Auto << Format::Keyholder << std::vector<VaultEntry>{{u"u"_s, u"pw"_s, u"x"_s}};
    QTest::newRow("two formats' columns, one named") << "name,url,username,password,httpRealm\nN,U,u,pw,\n"_ba
            << Format::Firefox << Format::Firefox << std::vector<VaultEntry>{{u"u"_s, u"pw"_s, u"U"_s}};
}

void tst_VaultCsv::importsPeerExport()
{
    QFETCH(QByteArray, csv);
    QFETCH(Format, asked);
    QFETCH(Format, found);
    QFETCH(std::vector<VaultEntry>, entries);

    const Result<VaultCsv::Import> import = VaultCsv::importCsv(csv, asked);
    QVERIFY2(import.ok(), qPrintable(errorOf(import)));
    QCOMPARE(VaultCsv::nameOf(import->format), VaultCsv::nameOf(found));
    QCOMPARE(describe(import->rows), describe(entries));
    QVERIFY(import->rejected.empty());
}

void tst_VaultCsv::listsRowsTheVaultCannotStore_data()
{
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<QStringList>("rejected");
    QTest::addColumn<int>("kept");

    QTest::newRow("each reason, with its row")
            << "username,password,location\r\n"
               "ok,pw,here\r\n"
               "tick \xE2\x9C\x93,pw,here\r\n"
               "u,a|||b,here\r\n"
               "u,\"x\0y\",here\r\n"
               "u|,pw,here\r\n"
               "short,row\r\n"
               "\"two\nlines\",pw,\"\xF0\x9F\x94\x91\"\r\n"
               ",pw,here\r\n"
               "u,,here\r\n"_ba
            << QStringList{
                   u"3: the username cannot be stored: it contains the character \"✓\" (U+2713), which the vault file cannot store"_s,
                   u"4: the password cannot be stored: it contains \"|||\", which the vault file uses to separate fields"_s,
                   u"5: the password cannot be stored: it contains the NUL character"_s,
                   u"6: the username cannot be stored: it ends with \"|\", which would run into the \"|||\" the vault file puts after it"_s,
                   u"7: it has 2 fields where the header has 3"_s,
                   u"8: the location cannot be stored: it contains the character \"🔑\" (U+1F511), which the vault file cannot store"_s,
                   u"9: the username is empty"_s,
                   u"10: the password is empty"_s}
            << 1;
}

void tst_VaultCsv::listsRowsTheVaultCannotStore()
{
    QFETCH(QByteArray, csv);
    QFETCH(QStringList, rejected);
    QFETCH(int, kept);

    const Result<VaultCsv::Import> import = VaultCsv::importCsv(csv);
    QVERIFY2(import.ok(), qPrintable(errorOf(import)));
    QStringList seen;
    for (const VaultCsv::RejectedRow &row : import->rejected)
        seen.append(u"%1: %2"_s.arg(row.row).arg(row.reason));
    QCOMPARE(seen, rejected);
    QCOMPARE(int(import->rows.size()), kept);
}

void tst_VaultCsv::leavesOutDuplicates()
{
    const std::vector<EntryRow> known = rowsOf({{u"anna"_s, u"pw"_s, u"x"_s}});
    QByteArray csv = "username,password,location\nanna,pw,x\nben,pw,y\nben,pw,y\nanna,pw,X\n"_ba;
    QBuffer file(&csv);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const Result<VaultCsv::Import> import = VaultCsv::importCsv(file, Format::Auto, known);
    QVERIFY2(import.ok(), qPrintable(errorOf(import)));
    QCOMPARE(describe(import->rows), describe(std::vector<VaultEntry>{{u"ben"_s, u"pw"_s, u"y"_s}, {u"anna"_s, u"pw"_s, u"X"_s}}));
    QCOMPARE(import->duplicates, 2);
}

void tst_VaultCsv::refusesFile_data()
{
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<Format>("asked");
    QTest::addColumn<QString>("error");

    QTest::newRow("empty") << ""_ba << Format::Auto << u"The file is empty"_s;
    QTest::newRow("unclosed quote") << "username,password,location\n\"a,b,c\n"_ba << Format::Auto
                                    << u"The file is not valid CSV"_s;
    QTest::newRow("stray quote") << "username,password,location\na\"b,c,d\n"_ba << Format::Auto
                                 << u"The file is not valid CSV"_s;
    QTest::newRow("Latin-1") << "username,password,location\nb\xE9,c,d\n"_ba << Format::Auto
                             << u"The file is not UTF-8 text"_s;
    QTest::newRow("unknown header") << "login,secret\n"_ba << Format::Auto
            << u"The header row matches none of the formats known: keyholder, keepassxc, bitwarden, chrome, firefox"_s;
    QTest::newRow("other peer's header") << testData(u"csv/chrome.csv"_s) << Format::Firefox
                                         << u"The header row is not that of a firefox export"_s;
    QTest::newRow("a header two formats fit") << "name,url,username,password,httpRealm\n"_ba << Format::Auto
            << u"The header row fits the chrome and firefox formats alike; --format says which it is"_s;
}

void tst_VaultCsv::refusesFile()
{
    QFETCH(QByteArray, csv);
    QFETCH(Format, asked);
    QFETCH(QString, error);

    const Result<VaultCsv::Import> import = VaultCsv::importCsv(csv, asked);
    QVERIFY(!import.ok());
    QVERIFY2(import.message().startsWith(error), qPrintable(errorOf(import)));
}

void tst_VaultCsv::exportIsRfc4180WithOurHeader()
{
    const std::vector<VaultEntry> entries{{u"plain"_s, u" spaced "_s, u"Zürich €"_s},
                                          {u"co,mma"_s, u"qu\"ote"_s, u"two\r\nlines"_s},
                                          {u""_s, u""_s, u""_s}};
    QCOMPARE(VaultCsv::exportCsv(rowsOf(entries)),
             "username,password,location\r\n"
             "plain, spaced ,Z\xC3\xBCrich \xE2\x82\xAC\r\n"
             "\"co,mma\",\"qu\"\"ote\",\"two\r\nlines\"\r\n"
             ",,\r\n"_ba);
}

void tst_VaultCsv::exportReadsBackUnchanged()
{
    // Every character the vault file can hold.
    std::vector<VaultEntry> entries;
    for (int byte = 0; byte < 256; ++byte) {
        const QString c = Windows1252::decode(QByteArray(1, char(byte)));
        if (VaultFormat::fieldUnstorableReason(c, VaultFormat::Field::Username).isEmpty())
            entries.push_back({c, u"a%1b"_s.arg(c), u"%1|"_s.arg(c)});
    }
    QCOMPARE(entries.size(), size_t(253));
    const Result<VaultCsv::Import> import = VaultCsv::importCsv(VaultCsv::exportCsv(rowsOf(entries)));
    QVERIFY2(import.ok(), qPrintable(errorOf(import)));
    QVERIFY(import->rejected.empty());
    QCOMPARE(describe(import->rows), describe(entries));
}

QTEST_APPLESS_MAIN(tst_VaultCsv)
#include "tst_VaultCsv.moc"
