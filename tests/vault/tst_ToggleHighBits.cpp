// The cipher and the Windows-1252 codec under it, checked against the bytes
// they must produce.
#include "vault/ToggleHighBits.h"
#include "vault/Windows1252.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QByteArray bytesOf(std::initializer_list<int> codes)
{
    QByteArray bytes;
    for (int code : codes)
        bytes.append(char(code));
    return bytes;
}

// Every 1252 character but NUL, which the cipher cannot bring back.
QString allCharactersButNul()
{
    QByteArray bytes;
    for (int code = 1; code < 256; ++code)
        bytes.append(char(code));
    return Windows1252::decode(bytes);
}

} // namespace

class tst_ToggleHighBits : public QObject
{
    Q_OBJECT

private slots:
    void enciphersToBytes_data();
    void enciphersToBytes();
    void rawBytes_data();
    void rawBytes();
    void twiceGivesBack_data();
    void twiceGivesBack();
    void nulComesBackAsEuroSign();
    void rawBytesTwiceGiveBackAllButZero();
    void decodesWindows1252_data();
    void decodesWindows1252();
    void unmappableEncodesAsQuestionMark_data();
    void unmappableEncodesAsQuestionMark();
    void canEncode_data();
    void canEncode();
    void wholeFieldsMatchCharacterByCharacter_data();
    void wholeFieldsMatchCharacterByCharacter();
};

void tst_ToggleHighBits::enciphersToBytes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("letters") << u"abc"_s << bytesOf({225, 226, 227});
    QTest::newRow("empty") << QString() << QByteArray();
    QTest::newRow("separator") << u"|||"_s << bytesOf({0xFC, 0xFC, 0xFC});
    QTest::newRow("space") << u" "_s << bytesOf({160});
    QTest::newRow("CR LF") << u"\r\n"_s << bytesOf({141, 138});
    QTest::newRow("euro sign stays") << u"€"_s << bytesOf({128});
    QTest::newRow("S caron becomes LF") << u"Š"_s << bytesOf({10});
    QTest::newRow("Latin-1 letter") << u"é"_s << bytesOf({0x69});
    QTest::newRow("y diaeresis to DEL") << u"ÿ"_s << bytesOf({0x7F});
    QTest::newRow("undefined 0x81") << u"\u0081"_s << bytesOf({0x01});
    QTest::newRow("NUL") << QString(QChar(0)) << bytesOf({128});
}

// What lands on disk: the 1252 bytes of the enciphered text.
void tst_ToggleHighBits::enciphersToBytes()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);

    QCOMPARE(Windows1252::encode(ToggleHighBits(text)), bytes);
    QCOMPARE(ToggleHighBitsBytes(Windows1252::encode(text)), bytes);
}

void tst_ToggleHighBits::rawBytes_data()
{
    QTest::addColumn<QByteArray>("plain");
    QTest::addColumn<QByteArray>("enciphered");

    QTest::newRow("0 to 128") << bytesOf({0}) << bytesOf({128});
    QTest::newRow("1 to 129") << bytesOf({1}) << bytesOf({129});
    QTest::newRow("127 to 255") << bytesOf({127}) << bytesOf({255});
    QTest::newRow("128 stays") << bytesOf({128}) << bytesOf({128});
    QTest::newRow("129 to 1") << bytesOf({129}) << bytesOf({1});
    QTest::newRow("255 to 127") << bytesOf({255}) << bytesOf({127});
    QTest::newRow("mixed run") << bytesOf({'a', 0x80, 0xE1, 0}) << bytesOf({0xE1, 0x80, 'a', 0x80});
}

void tst_ToggleHighBits::rawBytes()
{
    QFETCH(QByteArray, plain);
    QFETCH(QByteArray, enciphered);

    QCOMPARE(ToggleHighBitsBytes(plain), enciphered);
}

void tst_ToggleHighBits::twiceGivesBack_data()
{
    QTest::addColumn<QString>("text");

    QTest::newRow("empty") << QString();
    QTest::newRow("password") << u"Pässwörd €5 Šárka"_s;
    QTest::newRow("line breaks") << u"one\r\ntwo\nthree\r"_s;
    QTest::newRow("undefined codes") << u"\u0081\u008D\u008F\u0090\u009D"_s;
    QTest::newRow("every 1252 character but NUL") << allCharactersButNul();
}

void tst_ToggleHighBits::twiceGivesBack()
{
    QFETCH(QString, text);

    const QString enciphered = ToggleHighBits(text);
    if (!text.isEmpty())
        QCOMPARE_NE(enciphered, text);
    QCOMPARE(ToggleHighBits(enciphered), text);
}

void tst_ToggleHighBits::nulComesBackAsEuroSign()
{
    QCOMPARE(ToggleHighBits(ToggleHighBits(u"a\0b"_s)), u"a€b"_s);
}

void tst_ToggleHighBits::rawBytesTwiceGiveBackAllButZero()
{
    QByteArray all;
    for (int code = 0; code < 256; ++code)
        all.append(char(code));
    QByteArray expected = all;
    expected[0] = char(128);

    QCOMPARE(ToggleHighBitsBytes(ToggleHighBitsBytes(all)), expected);
}

void tst_ToggleHighBits::decodesWindows1252_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");

    QTest::newRow("ASCII") << QByteArray("Az|~") << u"Az|~"_s;
    QTest::newRow("euro sign") << bytesOf({0x80}) << u"€"_s;
    QTest::newRow("S caron") << bytesOf({0x8A}) << u"Š"_s;
    QTest::newRow("quotes") << bytesOf({0x93, 0x94}) << u"“”"_s;
    QTest::newRow("Y diaeresis") << bytesOf({0x9F}) << u"Ÿ"_s;
    QTest::newRow("undefined five") << bytesOf({0x81, 0x8D, 0x8F, 0x90, 0x9D})
                                    << u"\u0081\u008D\u008F\u0090\u009D"_s;
    QTest::newRow("Latin-1 half") << bytesOf({0xA0, 0xC4, 0xFF}) << u"\u00A0Äÿ"_s;
}

// Both ways, so the table is checked against a second source of truth.
void tst_ToggleHighBits::decodesWindows1252()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);

    QCOMPARE(Windows1252::decode(bytes), text);
    QCOMPARE(Windows1252::encode(text), bytes);
}

void tst_ToggleHighBits::unmappableEncodesAsQuestionMark_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("CJK") << u"a中b"_s << QByteArray("a?b");
    QTest::newRow("C1 control without a 1252 code") << u"\u0080"_s << QByteArray("?");
    QTest::newRow("emoji is one character") << u"x😀y"_s << QByteArray("x?y");
    QTest::newRow("lone surrogate") << QString(QChar(0xD800)) << QByteArray("?");
}

void tst_ToggleHighBits::unmappableEncodesAsQuestionMark()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);

    QCOMPARE(Windows1252::encode(text), bytes);
}

void tst_ToggleHighBits::canEncode_data()
{
    QTest::addColumn<QChar>("character");
    QTest::addColumn<bool>("encodable");

    QTest::newRow("letter") << QChar(u'a') << true;
    QTest::newRow("NUL") << QChar(0) << true;
    QTest::newRow("euro sign") << QChar(0x20AC) << true;
    QTest::newRow("undefined 0x9D") << QChar(0x9D) << true;
    QTest::newRow("U+0080") << QChar(0x80) << false;
    QTest::newRow("U+009E") << QChar(0x9E) << false;
    QTest::newRow("Cyrillic") << QChar(0x0416) << false;
    QTest::newRow("surrogate") << QChar(0xD83D) << false;
}

void tst_ToggleHighBits::canEncode()
{
    QFETCH(QChar, character);
    QFETCH(bool, encodable);

    QCOMPARE(Windows1252::canEncode(character), encodable);
}

QTEST_APPLESS_MAIN(tst_ToggleHighBits)
#include "tst_ToggleHighBits.moc"

// Fields are taken several characters at a time; every character must come out
// as it does alone, wherever it falls in such a group.
void tst_ToggleHighBits::wholeFieldsMatchCharacterByCharacter_data()
{
    QTest::addColumn<int>("offset");
    for (int offset = 0; offset < 9; ++offset)
        QTest::addRow("from %d", offset) << offset;
}

void tst_ToggleHighBits::wholeFieldsMatchCharacterByCharacter()
{
    QFETCH(int, offset);
    const QString text = QString(offset, u'a') + allCharactersButNul() + u"\u4e2d"_s;
    for (qsizetype size = 0; size <= text.size(); size += 1 + size / 4) {
        const QStringView field = QStringView(text).first(size);
        QByteArray bytes(size, Qt::Uninitialized);
        bytes.truncate(EncipherTo(bytes.data(), field) - bytes.data());
        QCOMPARE(bytes, ToggleHighBitsBytes(Windows1252::encode(field)));
        QString back(size, Qt::Uninitialized);
        back.truncate(DecipherTo(reinterpret_cast<char16_t *>(back.data()), bytes) - reinterpret_cast<char16_t *>(back.data()));
        QCOMPARE(back, Windows1252::decode(ToggleHighBitsBytes(bytes)));
    }
}
