// Reading and writing data.enc, checked on the exact bytes of the file.
#include "VaultFiles.h"
#include "vault/VaultFormat.h"

#include <QRandomGenerator>
#include <QTest>

#include <algorithm>

using namespace Qt::StringLiterals;
using Entries = std::vector<VaultEntry>;
using VaultFiles::entriesOf;
using VaultFiles::rowsOf;
using VaultFiles::testData;

Q_DECLARE_METATYPE(VaultFormat::Contents)
Q_DECLARE_METATYPE(VaultFormat::Field)

namespace QTest {
template<>
char *toString(const VaultFormat::Contents &contents)
{
    QString text = u"master=\"%1\""_s.arg(contents.MasterPassword);
    for (const EntryRow &row : contents.Rows)
        text += u" [\"%1\" \"%2\" \"%3\"]"_s.arg(row.username(), row.password(), row.location());
    return qstrdup(text.toUtf8().constData());
}
} // namespace QTest

namespace {

// Enciphered text as it lands on disk, written out by hand: every byte < 128
// gains 128 and every byte > 128 loses it.
const QByteArray abcd = "\xE1\xE2\xE3\xE4";
const QByteArray user = "\xF5\xF3\xE5\xF2";      // "user"
const QByteArray pass = "\xF0\xE1\xF3\xF3";      // "pass"
const QByteArray site = "\xF3\xE9\xF4\xE5";      // "site"
const QByteArray sep = "\xFC\xFC\xFC";           // "|||"
const QByteArray crlf = "\r\n";

VaultFormat::Contents contents(const QString &master, const Entries &entries = {})
{
    return {master, rowsOf(entries)};
}

// The file as an unlock reads it: at the top of the block its text decodes
// into, spare bytes after it, as the room for a file that might have grown.
VaultFormat::Contents parsedInBlock(const QByteArray &bytes, qsizetype spare)
{
    const qsizetype room = bytes.size() + spare;
    EntryRow::Block *block = EntryRow::Block::create(room);
    char *file = reinterpret_cast<char *>(block->text()) + room;
    std::copy(bytes.begin(), bytes.end(), file);
    return VaultFormat::parseInBlock(QByteArrayView(file, bytes.size()), block);
}

// The file as a reader that only passes entries on sees it, each byte taken
// for its character.
VaultFormat::Contents readThrough(const QByteArray &bytes)
{
    const auto text = [](QByteArrayView field) {
        QString characters;
        for (const char byte : field)
            characters += QChar(VaultFormat::RawEntry::characterOf(uchar(byte)));
        return characters;
    };
    Entries entries;
    VaultFormat::forEachEntry(bytes, [&](const VaultFormat::RawEntry &entry) {
        entries.push_back({text(entry.username), text(entry.password), text(entry.location)});
    });
    return contents(VaultFormat::readMasterPassword(bytes), entries);
}

// The file written again with an entry added after its own, straight from
// its bytes, against serialize of what parse reads.
void checkWrittenAgain(const QByteArray &bytes)
{
    const std::vector<EntryRow> added = rowsOf({{u"new"_s, u"pässword"_s, u"x"_s}});
    const VaultFormat::Contents parsed = VaultFormat::parse(bytes);
    qsizetype entries = -1;
    QCOMPARE(VaultFormat::serializeAfterFile(bytes, added, &entries),
             VaultFormat::serialize(parsed.MasterPassword, parsed.Rows, added));
    QCOMPARE(entries, qsizetype(parsed.Rows.size()));
}

} // namespace

class tst_VaultFormat : public QObject
{
    Q_OBJECT

private slots:
    void fixedFiles();
    void serialize_data();
    void serialize();
    void parse_data();
    void parse();
    void everyReaderReadsTheSame_data() { parse_data(); }
    void everyReaderReadsTheSame();
    void everyReaderReadsRandomFilesTheSame();
    void fixtures_data();
    void fixtures();
    void roundTrip_data();
    void roundTrip();
    void readMasterPassword_data();
    void readMasterPassword();
    void firstMasterPassword_data();
    void firstMasterPassword();
    void manyEntries();
    void unstorableReason_data();
    void unstorableReason();
    void fieldUnstorableReason_data();
    void fieldUnstorableReason();
    void acceptedFieldsWithBarsReadBack_data();
    void acceptedFieldsWithBarsReadBack();
};

void tst_VaultFormat::fixedFiles()
{
    QCOMPARE(VaultFormat::emptyVault(), "\r\n"_ba);
    QCOMPARE(VaultFormat::masterOnly(u"abcd"_s), "\xE1\xE2\xE3\xE4\r\n"_ba);
    QCOMPARE(VaultFormat::masterOnly(QString()), "\r\n"_ba);
}

void tst_VaultFormat::serialize_data()
{
    QTest::addColumn<QString>("master");
    QTest::addColumn<Entries>("entries");
    QTest::addColumn<Entries>("more"); // written after entries, as an import is
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("no entries") << u"abcd"_s << Entries{} << Entries{} << abcd + crlf + crlf;
    QTest::newRow("no master, no entries") << QString() << Entries{} << Entries{} << crlf + crlf;
    QTest::newRow("one entry")
            << u"abcd"_s << Entries{{u"user"_s, u"pass"_s, u"site"_s}} << Entries{}
            << abcd + crlf + user + sep + pass + sep + site + crlf + crlf;
    QTest::newRow("empty location")
            << u"abcd"_s << Entries{{u"user"_s, u"pass"_s, QString()}} << Entries{}
            << abcd + crlf + user + sep + pass + sep + crlf + crlf;
    QTest::newRow("all fields empty")
            << u"abcd"_s << Entries{{}} << Entries{}
            << abcd + crlf + sep + sep + crlf + crlf;
    QTest::newRow("two entries, in order")
            << u"abcd"_s << Entries{{u"user"_s, u"pass"_s, u"site"_s}, {u"site"_s, QString(), u"user"_s}} << Entries{}
            << abcd + crlf + user + sep + pass + sep + site + crlf + site + sep + sep + user + crlf + crlf;
    QTest::newRow("more entries after them")
            << u"abcd"_s << Entries{{u"user"_s, u"pass"_s, u"site"_s}} << Entries{{u"site"_s, QString(), u"user"_s}}
            << abcd + crlf + user + sep + pass + sep + site + crlf + site + sep + sep + user + crlf + crlf;
    QTest::newRow("only more entries")
            << u"abcd"_s << Entries{} << Entries{{u"user"_s, u"pass"_s, u"site"_s}}
            << abcd + crlf + user + sep + pass + sep + site + crlf + crlf;
    QTest::newRow("line break and S caron in a field")
            << QString() << Entries{{u"Š\r\n"_s, u"€"_s, u" "_s}} << Entries{}
            << crlf + "\x0A\x8D\x8A"_ba + sep + "\x80"_ba + sep + "\xA0"_ba + crlf + crlf;
}

void tst_VaultFormat::serialize()
{
    QFETCH(QString, master);
    QFETCH(Entries, entries);
    QFETCH(Entries, more);
    QFETCH(QByteArray, bytes);

    QCOMPARE(VaultFormat::serialize(master, rowsOf(entries), rowsOf(more)), bytes);
}

void tst_VaultFormat::parse_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<VaultFormat::Contents>("expected");

    const VaultEntry full{u"user"_s, u"pass"_s, u"site"_s};

    QTest::newRow("zero bytes") << QByteArray() << contents({});
    QTest::newRow("new vault") << crlf << contents({});
    QTest::newRow("master only") << abcd + crlf << contents(u"abcd"_s);
    QTest::newRow("master without line end") << abcd << contents(u"abcd"_s);
    QTest::newRow("saved layout")
            << abcd + crlf + user + sep + pass + sep + site + crlf + crlf << contents(u"abcd"_s, {full});
    QTest::newRow("first line is the master even when empty")
            << crlf + user + sep + pass + sep + site + crlf << contents({}, {full});
    QTest::newRow("master line is never split")
            << sep + abcd + sep + crlf << contents(u"|||abcd|||"_s);
    QTest::newRow("empty and single-space lines skipped")
            << abcd + crlf + crlf + " "_ba + crlf + user + sep + pass + sep + site + crlf + " "_ba
            << contents(u"abcd"_s, {full});
    QTest::newRow("two spaces are an entry")
            << abcd + crlf + "  "_ba + crlf << contents(u"abcd"_s, {{u"\u00A0\u00A0"_s, {}, {}}});
    QTest::newRow("enciphered space is an entry")
            << abcd + crlf + "\xA0"_ba + crlf << contents(u"abcd"_s, {{u" "_s, {}, {}}});
    QTest::newRow("username only") << abcd + crlf + user + crlf << contents(u"abcd"_s, {{u"user"_s, {}, {}}});
    QTest::newRow("two pieces")
            << abcd + crlf + user + sep + pass + crlf << contents(u"abcd"_s, {{u"user"_s, u"pass"_s, {}}});
    QTest::newRow("pieces beyond the third ignored")
            << abcd + crlf + user + sep + pass + sep + site + sep + abcd + sep + crlf
            << contents(u"abcd"_s, {full});
    QTest::newRow("four bars split at the first three")
            << abcd + crlf + user + sep + "\xFC"_ba + pass + crlf
            << contents(u"abcd"_s, {{u"user"_s, u"|pass"_s, {}}});
    QTest::newRow("lone LF belongs to the line")
            << abcd + crlf + user + "\n"_ba + pass + sep + sep + crlf
            << contents(u"abcd"_s, {{u"userŠpass"_s, {}, {}}});
    QTest::newRow("LF starting a line after CR LF is kept")
            << abcd + crlf + "\n"_ba + user + crlf << contents(u"abcd"_s, {{u"Šuser"_s, {}, {}}});
    QTest::newRow("lone CR ends a line")
            << abcd + "\r"_ba + user + "\r"_ba + pass << contents(u"abcd"_s, {{u"user"_s, {}, {}}, {u"pass"_s, {}, {}}});
    QTest::newRow("last line without line end")
            << abcd + crlf + user + sep + pass + sep + site << contents(u"abcd"_s, {full});
    QTest::newRow("zero byte deciphers to euro sign")
            << abcd + crlf + "\x00"_ba + crlf << contents(u"abcd"_s, {{u"€"_s, {}, {}}});
}

void tst_VaultFormat::parse()
{
    QFETCH(QByteArray, bytes);
    QFETCH(VaultFormat::Contents, expected);

    QCOMPARE(VaultFormat::parse(bytes), expected);
}

// Read in place, and passed on entry by entry, a file reads as parse reads
// it; written again straight from its bytes, it is what serialize writes of that.
void tst_VaultFormat::everyReaderReadsTheSame()
{
    QFETCH(QByteArray, bytes);
    QFETCH(VaultFormat::Contents, expected);

    QCOMPARE(parsedInBlock(bytes, 0), expected);
    QCOMPARE(parsedInBlock(bytes, 1), expected);
    QCOMPARE(readThrough(bytes), expected);
    checkWrittenAgain(bytes);
}

// The text is decoded over the file it comes from, or passed on straight from
// it: any mix of line ends, separators and characters of every kind reads as
// from a copy of the file.
void tst_VaultFormat::everyReaderReadsRandomFilesTheSame()
{
    const char pieces[] = {'\r', '\n', '\xFC', '\x00', '\x80', '\x20', '\xA0', '\x9F', '\x3F', '\xE1', '\xC4'};
    QRandomGenerator random(20261209);
    for (int file = 0; file < 400; ++file) {
        QByteArray bytes;
        const int size = random.bounded(file < 200 ? 40 : 4000);
        for (int i = 0; i < size; ++i)
            bytes += random.bounded(3) == 0 ? char(random.bounded(256)) : pieces[random.bounded(int(sizeof pieces))];
        const VaultFormat::Contents copied = VaultFormat::parse(bytes);
        QCOMPARE(parsedInBlock(bytes, 1), copied);
        QCOMPARE(readThrough(bytes), copied);
        checkWrittenAgain(bytes);
        if (QTest::currentTestFailed())
            return;
    }
}

void tst_VaultFormat::fixtures_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<VaultFormat::Contents>("expected");

    QTest::newRow("saved.enc") << testData("vault/saved.enc")
            << contents(u"Geheim€1"_s, {{u"anna"_s, u"pässwort"_s, u"https://example.com/login"_s},
                                        {u"Šárka\r\nzweite Zeile"_s, u"x||y"_s, {}}});
    QTest::newRow("hand_edited.enc") << testData("vault/hand_edited.enc")
            << contents(u"master"_s, {{u"onlyuser"_s, {}, {}},
                                      {u"user"_s, u"pass"_s, {}},
                                      {u"a"_s, u"b"_s, u"c"_s},
                                      {u"liŠne"_s, u"p"_s, u"l"_s},
                                      {u"last"_s, u"line"_s, u"unterminated"_s}});
    QTest::newRow("zero_bytes.enc") << testData("vault/zero_bytes.enc") << contents({});
}

void tst_VaultFormat::fixtures()
{
    QFETCH(QByteArray, bytes);
    QFETCH(VaultFormat::Contents, expected);

    QCOMPARE(VaultFormat::parse(bytes), expected);
}

void tst_VaultFormat::roundTrip_data()
{
    QTest::addColumn<VaultFormat::Contents>("contents");

    QTest::newRow("empty vault") << contents({});
    QTest::newRow("S caron everywhere")
            << contents(u"Š"_s, {{u"Š"_s, u"ŠŠ"_s, u"aŠb"_s}, {u"Šx"_s, {}, u"xŠ"_s}});
    QTest::newRow("line breaks in fields")
            << contents(u"a\r\nb"_s, {{u"\r\n"_s, u"one\ntwo"_s, u"three\rfour\r\n"_s}});
    QTest::newRow("bars inside fields")
            << contents(u"|||"_s, {{u"a||b"_s, u"x|y"_s, u"a||b||c"_s}});
    QTest::newRow("spaces and empty fields")
            << contents(u" "_s, {{u" "_s, {}, {}}, {{}, {}, {}}, {{}, u" "_s, {}}});
    QTest::newRow("euro and undefined codes")
            << contents(u"€\u0081"_s, {{u"\u008F"_s, u"\u0090€"_s, u"\u009D"_s}});
}

void tst_VaultFormat::roundTrip()
{
    QFETCH(VaultFormat::Contents, contents);

    const QByteArray bytes = VaultFormat::serialize(contents.MasterPassword, contents.Rows);
    QCOMPARE(VaultFormat::parse(bytes), contents);
    QCOMPARE(VaultFormat::readMasterPassword(bytes), contents.MasterPassword);
}

void tst_VaultFormat::readMasterPassword_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("master");

    QTest::newRow("zero bytes") << QByteArray() << QString();
    QTest::newRow("new vault") << crlf << QString();
    QTest::newRow("without line end") << abcd << u"abcd"_s;
    QTest::newRow("with entries after") << abcd + crlf + user + sep + pass + crlf << u"abcd"_s;
    QTest::newRow("lone LF stays in the master") << abcd + "\n"_ba + abcd + crlf << u"abcdŠabcd"_s;
    QTest::newRow("lone CR ends it") << abcd + "\r"_ba + user << u"abcd"_s;
}

void tst_VaultFormat::readMasterPassword()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, master);

    QCOMPARE(VaultFormat::readMasterPassword(bytes), master);
}

void tst_VaultFormat::firstMasterPassword_data()
{
    QTest::addColumn<QByteArray>("existing");
    QTest::addColumn<QByteArray>("written");

    QTest::newRow("zero bytes") << QByteArray() << abcd + crlf;
    QTest::newRow("new vault") << crlf << abcd + crlf;
    QTest::newRow("only blank lines") << crlf + crlf + " "_ba + crlf << abcd + crlf;
    QTest::newRow("entries not written by us are kept")
            << crlf + crlf + user + sep + pass + crlf
            << abcd + crlf + user + sep + pass + sep + crlf + crlf;
}

void tst_VaultFormat::firstMasterPassword()
{
    QFETCH(QByteArray, existing);
    QFETCH(QByteArray, written);

    QCOMPARE(VaultFormat::withFirstMasterPassword(existing, u"abcd"_s), written);
}

// Far past the 32,767 lines an old list box could hold.
void tst_VaultFormat::manyEntries()
{
    constexpr int Count = 40000;
    Entries entries;
    for (int i = 0; i < Count; ++i)
        entries.push_back({u"user%1"_s.arg(i), u"pass%1"_s.arg(i), u"site%1"_s.arg(i)});

    const QByteArray bytes = VaultFormat::serialize(u"abcd"_s, rowsOf(entries));
    QCOMPARE(bytes.count(crlf), Count + 2);
    QCOMPARE(VaultFormat::parse(bytes), contents(u"abcd"_s, entries));
}

void tst_VaultFormat::unstorableReason_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("reason");

    QTest::newRow("plain") << u"abc"_s << QString();
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("1252 specials") << u"€Š“”\u0081\r\n"_s << QString();
    QTest::newRow("separator is fine outside fields") << u"a|||b"_s << QString();
    QTest::newRow("NUL") << u"ab\0c"_s << u"it contains the NUL character"_s;
    QTest::newRow("U+008D")
            << u"a\u008Db"_s
            << u"it contains the control character U+008D, which would break its line in the vault file"_s;
    QTest::newRow("CJK")
            << u"pass中"_s << u"it contains the character \"中\" (U+4E2D), which the vault file cannot store"_s;
    QTest::newRow("first of several is named")
            << u"Жx中"_s << u"it contains the character \"Ж\" (U+0416), which the vault file cannot store"_s;
    QTest::newRow("outside the BMP")
            << u"a😀"_s << u"it contains the character \"😀\" (U+1F600), which the vault file cannot store"_s;
    QTest::newRow("C1 control U+0080")
            << u"\u0080"_s << u"it contains the character \"\u0080\" (U+0080), which the vault file cannot store"_s;
}

void tst_VaultFormat::unstorableReason()
{
    QFETCH(QString, text);
    QFETCH(QString, reason);

    QCOMPARE(VaultFormat::unstorableReason(text), reason);
    QCOMPARE(VaultFormat::fieldUnstorableReason(text, VaultFormat::Field::Location).isEmpty(),
             reason.isEmpty() && !text.contains(u"|||"));
}

void tst_VaultFormat::fieldUnstorableReason_data()
{
    using VaultFormat::Field;
    QTest::addColumn<QString>("text");
    QTest::addColumn<Field>("field");
    QTest::addColumn<QString>("reason");

    const QString separatorReason = u"it contains \"|||\", which the vault file uses to separate fields"_s;
    const QString endReason =
            u"it ends with \"|\", which would run into the \"|||\" the vault file puts after it"_s;

    QTest::newRow("two bars inside") << u"a||b"_s << Field::Username << QString();
    QTest::newRow("one bar inside") << u"a|b"_s << Field::Password << QString();
    QTest::newRow("separator") << u"a|||b"_s << Field::Username << separatorReason;
    QTest::newRow("separator alone") << u"|||"_s << Field::Location << separatorReason;
    QTest::newRow("four bars") << u"x||||y"_s << Field::Password << separatorReason;
    QTest::newRow("username ends in a bar") << u"ab|"_s << Field::Username << endReason;
    QTest::newRow("password ends in a bar") << u"ab|"_s << Field::Password << endReason;
    QTest::newRow("two bars alone") << u"||"_s << Field::Password << endReason;
    QTest::newRow("location ends in a bar") << u"ab|"_s << Field::Location << QString();
    QTest::newRow("username starts with a bar") << u"|ab"_s << Field::Username << QString();
    QTest::newRow("password starts with bars") << u"||ab"_s << Field::Password << QString();
    QTest::newRow("location starts with bars") << u"||ab"_s << Field::Location << QString();
    QTest::newRow("character reason first") << u"|||中"_s << Field::Location
            << u"it contains the character \"中\" (U+4E2D), which the vault file cannot store"_s;
}

void tst_VaultFormat::fieldUnstorableReason()
{
    QFETCH(QString, text);
    QFETCH(VaultFormat::Field, field);
    QFETCH(QString, reason);

    QCOMPARE(VaultFormat::fieldUnstorableReason(text, field), reason);
}

// What the refusals promise: every field they let through reads back as it was.
void tst_VaultFormat::acceptedFieldsWithBarsReadBack_data()
{
    QTest::addColumn<QString>("username");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("location");
    QTest::newRow("bars leading everywhere") << u"|u"_s << u"||p"_s << u"||l"_s;
    QTest::newRow("bars inside") << u"u||v"_s << u"p|q"_s << u"l||"_s;
    QTest::newRow("location of bars") << u"u"_s << u"p"_s << u"||"_s;
}

void tst_VaultFormat::acceptedFieldsWithBarsReadBack()
{
    QFETCH(QString, username);
    QFETCH(QString, password);
    QFETCH(QString, location);
    using VaultFormat::Field;
    QVERIFY(VaultFormat::fieldUnstorableReason(username, Field::Username).isEmpty());
    QVERIFY(VaultFormat::fieldUnstorableReason(password, Field::Password).isEmpty());
    QVERIFY(VaultFormat::fieldUnstorableReason(location, Field::Location).isEmpty());
    const std::vector<VaultEntry> entries{{username, password, location}};
    QCOMPARE(entriesOf(VaultFormat::parse(VaultFormat::serialize(u"pw"_s, rowsOf(entries))).Rows), entries);
}

QTEST_APPLESS_MAIN(tst_VaultFormat)
#include "tst_VaultFormat.moc"
