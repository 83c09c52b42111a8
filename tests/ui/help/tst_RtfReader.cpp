#include "ui/help/RtfReader.h"

#include <QColor>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

namespace {

// Paragraph breaks as '\n'; line breaks stay U+2028 so the two can be told apart.
QString textOf(const QByteArray &rtf)
{
    QTextDocument document;
    RtfReader::read(rtf, document);
    return document.toRawText().replace(QChar::ParagraphSeparator, u'\n');
}

// The format of the first character of the first occurrence of word; an
// invalid format when the word is missing.
QTextCharFormat formatOf(QTextDocument &document, const QString &word)
{
    const QTextCursor found = document.find(word, 0, QTextDocument::FindCaseSensitively);
    if (found.isNull())
        return {};
    QTextCursor at(&document);
    at.setPosition(found.selectionStart() + 1);
    return at.charFormat();
}

QColor colourOf(const QTextCharFormat &format)
{
    return format.hasProperty(QTextFormat::ForegroundBrush) ? format.foreground().color() : QColor();
}

QString familyOf(const QTextCharFormat &format)
{
    return format.fontFamilies().toStringList().value(0);
}

QByteArray nested(int depth, const QByteArray &inner)
{
    return QByteArray(depth, '{') + inner + QByteArray(depth, '}');
}

} // namespace

class tst_RtfReader : public QObject
{
    Q_OBJECT

private slots:
    void text_data();
    void text();
    void malformedInput_data();
    void malformedInput();
    void characterFormat_data();
    void characterFormat();
    void fontSize_data();
    void fontSize();
    void fontFamily_data();
    void fontFamily();
    void colour_data();
    void colour();
    void paragraphFormat_data();
    void paragraphFormat();
    void hangingIndentLinesUp();
    void hugeParametersStayBounded();
    void replacesPreviousContent();
    void helpFileReads();
};

void tst_RtfReader::text_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("expected");

    QTest::newRow("plain words") << QByteArray(R"({\rtf1\ansi Hello world})") << u"Hello world"_qs;
    QTest::newRow("space after a control word is its delimiter")
        << QByteArray(R"({\rtf1 \b Bold\b0  text})") << u"Bold text"_qs;
    QTest::newRow("line ends in the source are not text")
        << QByteArray("{\\rtf1 one\r\ntwo\nthree}") << u"onetwothree"_qs;

    // Paragraphs and breaks
    QTest::newRow("paragraphs") << QByteArray(R"({\rtf1 One\par Two\par Three})") << u"One\nTwo\nThree"_qs;
    QTest::newRow("empty paragraph") << QByteArray(R"({\rtf1 One\par\par Two})") << u"One\n\nTwo"_qs;
    QTest::newRow("final par ends the last paragraph")
        << QByteArray(R"({\rtf1 One\par Two\par})") << u"One\nTwo"_qs;
    QTest::newRow("backslash before a line end is a paragraph")
        << QByteArray("{\\rtf1 One\\\nTwo}") << u"One\nTwo"_qs;
    QTest::newRow("line break stays in the paragraph")
        << QByteArray(R"({\rtf1 One\line Two})") << u"One\u2028Two"_qs;
    QTest::newRow("tab") << QByteArray(R"({\rtf1 Name\tab Value})") << u"Name\tValue"_qs;

    // Windows-1252
    QTest::newRow("hex e acute") << QByteArray(R"({\rtf1 caf\'e9})") << u"caf\u00e9"_qs;
    QTest::newRow("hex upper case") << QByteArray(R"({\rtf1 CAF\'C9})") << u"CAF\u00c9"_qs;
    QTest::newRow("hex euro keeps the following space")
        << QByteArray(R"({\rtf1 \'80 5})") << u"\u20ac 5"_qs;
    QTest::newRow("hex quotes and dash")
        << QByteArray(R"({\rtf1 \'93quoted\'94 \'96 ok})") << u"\u201cquoted\u201d \u2013 ok"_qs;
    QTest::newRow("raw byte above 0x7f") << QByteArray("{\\rtf1 \x80 \xe9}") << u"\u20ac \u00e9"_qs;

    // Unicode and the fallback characters after it
    QTest::newRow("unicode skips one fallback by default")
        << QByteArray(R"({\rtf1 \u8364?5})") << u"\u20ac5"_qs;
    QTest::newRow("unicode with hex fallback")
        << QByteArray(R"({\rtf1\uc1 caf\u233\'e9!})") << u"caf\u00e9!"_qs;
    QTest::newRow("uc0 has no fallback") << QByteArray(R"({\rtf1\uc0 \u8364 5})") << u"\u20ac5"_qs;
    QTest::newRow("uc2 skips two") << QByteArray(R"({\rtf1\uc2 \u8364 EU rest})") << u"\u20ac rest"_qs;
    QTest::newRow("negative values form a surrogate pair")
        << QByteArray(R"({\rtf1 \u-10179?\u-8704?!})") << u"\U0001F600!"_qs;
    QTest::newRow("control symbol as fallback")
        << QByteArray(R"({\rtf1 a\u160\~b})") << u"a\u00a0b"_qs;
    QTest::newRow("control word as fallback")
        << QByteArray(R"({\rtf1 a\u8212\emdash b})") << u"a\u2014b"_qs;
    QTest::newRow("uc is restored after a group")
        << QByteArray(R"({\rtf1 {\uc0 \u233}\u233?})") << u"\u00e9\u00e9"_qs;
    QTest::newRow("fallback ends with the group")
        << QByteArray(R"({\rtf1\uc3 {\u233}xyz})") << u"\u00e9xyz"_qs;

    // Symbols
    QTest::newRow("control symbols")
        << QByteArray(R"({\rtf1 a\\b\{c\}d\~e\-f\_g})") << u"a\\b{c}d\u00a0e\u00adf\u2011g"_qs;
    QTest::newRow("typographic words")
        << QByteArray(R"({\rtf1 \ldblquote Hi\rdblquote \emdash \lquote x\rquote \endash \bullet})")
        << u"\u201cHi\u201d\u2014\u2018x\u2019\u2013\u2022"_qs;

    // What is not text
    QTest::newRow("unknown control words")
        << QByteArray(R"({\rtf1 \foo12 \bar-3 text\baz})") << u"text"_qs;
    QTest::newRow("unknown starred destination")
        << QByteArray(R"({\rtf1 a{\*\foo hidden {nested} text}b})") << u"ab"_qs;
    QTest::newRow("stylesheet")
        << QByteArray(R"({\rtf1{\stylesheet{\s0 Normal;}{\s1 Heading;}}Body})") << u"Body"_qs;
    QTest::newRow("info") << QByteArray(R"({\rtf1{\info{\title Secret}{\author Me}}Body})") << u"Body"_qs;
    QTest::newRow("font and colour tables")
        << QByteArray(R"({\rtf1{\fonttbl{\f0 Arial;}}{\colortbl;\red255\green0\blue0;}Body})") << u"Body"_qs;
    QTest::newRow("binary data with braces")
        << QByteArray(R"({\rtf1 a{\pict\bin3 {{{}b})") << u"ab"_qs;
    QTest::newRow("binary data in text") << QByteArray(R"({\rtf1 a\bin2 xyb})") << u"ab"_qs;
    QTest::newRow("field shows its result")
        << QByteArray(R"({\rtf1 {\field{\*\fldinst HYPERLINK "x"}{\fldrslt Link}}})") << u"Link"_qs;

    // Not RTF at all
    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("whitespace before the header")
        << QByteArray("  \r\n{\\rtf1 x}") << u"x"_qs;
    QTest::newRow("plain text") << QByteArray("Just text\nsecond line") << u"Just text\nsecond line"_qs;
    QTest::newRow("plain text with rtf characters")
        << QByteArray(R"(C:\path {x} \par)") << uR"(C:\path {x} \par)"_qs;
}

void tst_RtfReader::text()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, expected);
    QCOMPARE(textOf(rtf), expected);
}

void tst_RtfReader::malformedInput_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("expected");

    QTest::newRow("truncated in text") << QByteArray(R"({\rtf1 Hello wor)") << u"Hello wor"_qs;
    QTest::newRow("truncated in a control word") << QByteArray(R"({\rtf1 Hello\b)") << u"Hello"_qs;
    QTest::newRow("truncated after a backslash") << QByteArray("{\\rtf1 Hello\\") << u"Hello"_qs;
    QTest::newRow("truncated hex escape") << QByteArray(R"({\rtf1 caf\'e)") << u"caf"_qs;
    QTest::newRow("truncated font table") << QByteArray(R"({\rtf1{\fonttbl{\f0 Ari)") << QString();
    QTest::newRow("truncated after unicode") << QByteArray(R"({\rtf1 a\u233)") << u"a\u00e9"_qs;
    QTest::newRow("hex escape without digits") << QByteArray(R"({\rtf1 a\'zz})") << u"azz"_qs;
    QTest::newRow("text after the document") << QByteArray(R"({\rtf1 a} b\par c)") << u"a"_qs;
    QTest::newRow("extra closing braces") << QByteArray(R"({\rtf1 a}}} b})") << u"a"_qs;
    QTest::newRow("second group after the document") << QByteArray(R"({\rtf1 a}{b})") << u"ab"_qs;
    QTest::newRow("missing closing braces") << QByteArray(R"({\rtf1 a{\b b{\i c)") << u"abc"_qs;
    QTest::newRow("nul bytes") << QByteArray("{\\rtf1 a\0b}", 11) << u"ab"_qs;

    QTest::newRow("deep nesting within the limit")
        << QByteArray("{\\rtf1 a" + nested(200, "deep") + "b}") << u"adeepb"_qs;
    QTest::newRow("deeper nesting is dropped")
        << QByteArray("{\\rtf1 a" + nested(100000, "deep") + " b}") << u"a b"_qs;
    QTest::newRow("deep nesting never closed")
        << QByteArray("{\\rtf1 a" + QByteArray(100000, '{') + "x") << u"a"_qs;
    QTest::newRow("escaped braces in dropped groups do not count")
        << QByteArray("{\\rtf1 a" + nested(1000, R"(\}\})") + " b}") << u"a b"_qs;

    QTest::newRow("huge font size") << QByteArray(R"({\rtf1 \fs99999999999999999999 big})") << u"big"_qs;
    QTest::newRow("huge unicode value") << QByteArray(R"({\rtf1 a\u99999999999999?b})") << u"ab"_qs;
    QTest::newRow("huge negative unicode value") << QByteArray(R"({\rtf1 a\u-99999999999?b})") << u"ab"_qs;
    QTest::newRow("huge fallback count ends with the group")
        << QByteArray(R"({\rtf1 {\uc99999999 \u233 abc}def})") << u"\u00e9def"_qs;
    QTest::newRow("huge binary length") << QByteArray(R"({\rtf1 a\bin99999999999999 xyz})") << u"a"_qs;
    QTest::newRow("negative binary length") << QByteArray(R"({\rtf1 a\bin-5 xyz})") << u"axyz"_qs;
    QTest::newRow("huge font and colour numbers")
        << QByteArray(R"({\rtf1{\fonttbl{\f99999999999 X;}}\f99999999999\cf99999999999 t})") << u"t"_qs;
    QTest::newRow("very long control word")
        << QByteArray("{\\rtf1 a\\" + QByteArray(100000, 'x') + " b}") << u"ab"_qs;
}

void tst_RtfReader::malformedInput()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, expected);
    QCOMPARE(textOf(rtf), expected);
}

void tst_RtfReader::characterFormat_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<bool>("italic");
    QTest::addColumn<bool>("underline");

    QTest::newRow("default") << u"plain"_qs << false << false << false;
    QTest::newRow("bold on") << u"strong"_qs << true << false << false;
    QTest::newRow("bold off") << u"after"_qs << false << false << false;
    QTest::newRow("bold with 1") << u"again"_qs << true << false << false;
    QTest::newRow("italic in a group") << u"slanted"_qs << false << true << false;
    QTest::newRow("italic ends with the group") << u"back"_qs << false << false << false;
    QTest::newRow("italic off with 0") << u"upright"_qs << false << false << false;
    QTest::newRow("underline") << u"under"_qs << false << false << true;
    QTest::newRow("ulnone") << u"over"_qs << false << false << false;
    QTest::newRow("underline again") << u"lined"_qs << false << false << true;
    QTest::newRow("ul0") << u"unlined"_qs << false << false << false;
    QTest::newRow("all three") << u"everything"_qs << true << true << true;
    QTest::newRow("plain in a nested group") << u"reset"_qs << false << false << false;
    QTest::newRow("outer group restored") << u"still"_qs << true << true << true;
    QTest::newRow("all restored") << u"end"_qs << false << false << false;
    QTest::newRow("pard keeps character format") << u"kept"_qs << true << false << false;
    QTest::newRow("plain") << u"cleared"_qs << false << false << false;
}

void tst_RtfReader::characterFormat()
{
    QFETCH(QString, word);
    QFETCH(bool, bold);
    QFETCH(bool, italic);
    QFETCH(bool, underline);

    QTextDocument document;
    RtfReader::read(R"({\rtf1 plain \b strong\b0  after \b1 again\b0 {\i slanted} back \i1\i0 upright )"
                    R"(\ul under\ulnone  over \ul lined\ul0  unlined )"
                    R"({\b\i\ul everything {\plain reset} still} end )"
                    R"(\b\pard kept\plain  cleared})",
                    document);
    const QTextCharFormat format = formatOf(document, word);
    QVERIFY2(format.isValid(), qPrintable(word));
    QCOMPARE(format.fontWeight() >= QFont::Bold, bold);
    QCOMPARE(format.fontItalic(), italic);
    QCOMPARE(format.fontUnderline(), underline);
}

void tst_RtfReader::fontSize_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<double>("points");

    QTest::newRow("default is 12 points") << u"normal"_qs << 12.0;
    QTest::newRow("fs40") << u"twenty"_qs << 20.0;
    QTest::newRow("odd half points") << u"half"_qs << 10.5;
    QTest::newRow("group") << u"eight"_qs << 8.0;
    QTest::newRow("restored") << u"large"_qs << 20.0;
    QTest::newRow("plain") << u"twelve"_qs << 12.0;
}

void tst_RtfReader::fontSize()
{
    QFETCH(QString, word);
    QFETCH(double, points);

    QTextDocument document;
    RtfReader::read(R"({\rtf1 normal \fs40 twenty {\fs21 half}{\fs16 eight} large \plain twelve})", document);
    const QTextCharFormat format = formatOf(document, word);
    QVERIFY2(format.isValid(), qPrintable(word));
    QCOMPARE(format.fontPointSize(), points);
}

void tst_RtfReader::fontFamily_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("family");

    const QByteArray fonts = R"({\rtf1{\fonttbl{\f0\fswiss\fcharset0 Arial;}{\f1\fmodern Courier New;}}\deff0 )"
                             R"(default \f1 mono {\f0 sans} mono2 \plain back \f7 unknown})";
    QTest::newRow("deff") << fonts << u"default"_qs << u"Arial"_qs;
    QTest::newRow("f1") << fonts << u"mono"_qs << u"Courier New"_qs;
    QTest::newRow("f0 in a group") << fonts << u"sans"_qs << u"Arial"_qs;
    QTest::newRow("restored") << fonts << u"mono2"_qs << u"Courier New"_qs;
    QTest::newRow("plain returns to deff") << fonts << u"back"_qs << u"Arial"_qs;
    QTest::newRow("unknown number") << fonts << u"unknown"_qs << QString();

    QTest::newRow("table without inner groups")
        << QByteArray(R"({\rtf1{\fonttbl\f0 Times;\f1 Helvetica;}\f1 word})") << u"word"_qs << u"Helvetica"_qs;
    QTest::newRow("deff other than 0")
        << QByteArray(R"({\rtf1\deff1{\fonttbl{\f0 Times;}{\f1 Helvetica;}}word})") << u"word"_qs << u"Helvetica"_qs;
    QTest::newRow("name with a hex escape")
        << QByteArray(R"({\rtf1{\fonttbl{\f0 Caf\'e9 Sans;}}\f0 word})") << u"word"_qs << u"Caf\u00e9 Sans"_qs;
    QTest::newRow("starred part of the entry is skipped")
        << QByteArray(R"({\rtf1{\fonttbl{\f0{\*\panose 02020603050405020304}Times New Roman;}}\f0 word})")
        << u"word"_qs << u"Times New Roman"_qs;
    QTest::newRow("entry without semicolon")
        << QByteArray(R"({\rtf1{\fonttbl{\f0 Georgia}}\f0 word})") << u"word"_qs << u"Georgia"_qs;
}

void tst_RtfReader::fontFamily()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, word);
    QFETCH(QString, family);

    QTextDocument document;
    RtfReader::read(rtf, document);
    const QTextCharFormat format = formatOf(document, word);
    QVERIFY2(format.isValid(), qPrintable(word));
    QCOMPARE(familyOf(format), family);
}

void tst_RtfReader::colour_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("word");
    QTest::addColumn<QColor>("colour");

    const QByteArray colours = R"({\rtf1{\colortbl;\red255\green0\blue0;\red0\green128\blue0;\red10;})"
                               R"(auto \cf1 red {\cf2 green} red2 \cf0 auto2 \cf3 partial \cf9 missing )"
                               R"(\cf1\plain cleared})";
    QTest::newRow("no cf") << colours << u"auto"_qs << QColor();
    QTest::newRow("cf1") << colours << u"red"_qs << QColor(255, 0, 0);
    QTest::newRow("cf2 in a group") << colours << u"green"_qs << QColor(0, 128, 0);
    QTest::newRow("restored") << colours << u"red2"_qs << QColor(255, 0, 0);
    QTest::newRow("cf0 is the default colour") << colours << u"auto2"_qs << QColor();
    QTest::newRow("missing components are 0") << colours << u"partial"_qs << QColor(10, 0, 0);
    QTest::newRow("index past the table") << colours << u"missing"_qs << QColor();
    QTest::newRow("plain") << colours << u"cleared"_qs << QColor();

    const QByteArray noAuto = R"({\rtf1{\colortbl\red0\green0\blue255;\red255\green255\blue0;}first \cf1 word})";
    QTest::newRow("table without the auto entry: cf1") << noAuto << u"word"_qs << QColor(255, 255, 0);
    QTest::newRow("table without the auto entry: default is entry 0")
        << noAuto << u"first"_qs << QColor(0, 0, 255);
    QTest::newRow("components beyond 255")
        << QByteArray(R"({\rtf1{\colortbl;\red999\green-4\blue128;}\cf1 word})")
        << u"word"_qs << QColor(255, 0, 128);
}

void tst_RtfReader::colour()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, word);
    QFETCH(QColor, colour);

    QTextDocument document;
    RtfReader::read(rtf, document);
    const QTextCharFormat format = formatOf(document, word);
    QVERIFY2(format.isValid(), qPrintable(word));
    QCOMPARE(colourOf(format), colour);
}

void tst_RtfReader::paragraphFormat_data()
{
    QTest::addColumn<int>("block");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("alignment");
    QTest::addColumn<double>("leftMargin");
    QTest::addColumn<double>("textIndent");
    QTest::addColumn<double>("spaceBefore");
    QTest::addColumn<double>("spaceAfter");

    QTest::newRow("default") << 0 << u"left"_qs << int(Qt::AlignLeft) << 0.0 << 0.0 << 0.0 << 0.0;
    QTest::newRow("qc") << 1 << u"centre"_qs << int(Qt::AlignHCenter) << 0.0 << 0.0 << 0.0 << 0.0;
    QTest::newRow("qr after the text") << 2 << u"right"_qs << int(Qt::AlignRight) << 0.0 << 0.0 << 0.0 << 0.0;
    QTest::newRow("pard") << 3 << u"after pard"_qs << int(Qt::AlignLeft) << 0.0 << 0.0 << 0.0 << 0.0;
    QTest::newRow("qj") << 4 << u"just"_qs << int(Qt::AlignJustify) << 0.0 << 0.0 << 0.0 << 0.0;
    QTest::newRow("group") << 5 << u"grouped"_qs << int(Qt::AlignRight) << 0.0 << 0.0 << 0.0 << 0.0;
    QTest::newRow("indents in pixels")
        << 6 << u"indented"_qs << int(Qt::AlignJustify) << 20.0 << -10.0 << 0.0 << 0.0;
    QTest::newRow("empty paragraph keeps indents")
        << 7 << QString() << int(Qt::AlignJustify) << 20.0 << -10.0 << 0.0 << 0.0;
    QTest::newRow("ql") << 8 << u"last"_qs << int(Qt::AlignLeft) << 20.0 << -10.0 << 0.0 << 0.0;
    QTest::newRow("space before and after")
        << 9 << u"spaced"_qs << int(Qt::AlignLeft) << 0.0 << 0.0 << 4.0 << 8.0;
    QTest::newRow("pard resets spacing") << 10 << u"tight"_qs << int(Qt::AlignLeft) << 0.0 << 0.0 << 0.0 << 0.0;
}

void tst_RtfReader::paragraphFormat()
{
    QFETCH(int, block);
    QFETCH(QString, text);
    QFETCH(int, alignment);
    QFETCH(double, leftMargin);
    QFETCH(double, textIndent);
    QFETCH(double, spaceBefore);
    QFETCH(double, spaceAfter);

    QTextDocument document;
    RtfReader::read(R"({\rtf1 left\par\qc centre\par right\qr\par\pard after pard\par\qj just\par)"
                    R"({\qr grouped\par}\li300\fi-150 indented\par\par\ql last\par)"
                    R"(\pard\sb60\sa120 spaced\par\pard tight\par})",
                    document);
    QCOMPARE(document.blockCount(), 11);
    const QTextBlockFormat format = document.findBlockByNumber(block).blockFormat();
    QCOMPARE(document.findBlockByNumber(block).text(), text);
    QCOMPARE(int(format.alignment() & Qt::AlignHorizontal_Mask), alignment);
    QCOMPARE(format.leftMargin(), leftMargin);
    QCOMPARE(format.textIndent(), textIndent);
    QCOMPARE(format.topMargin(), spaceBefore);
    QCOMPARE(format.bottomMargin(), spaceAfter);
}

// A bulleted item: what follows the tab starts where the wrapped lines start.
void tst_RtfReader::hangingIndentLinesUp()
{
    QTextDocument document;
    RtfReader::read(R"({\rtf1\li360\fi-240 *\tab Item text that is long enough to wrap onto a )"
                    R"(second line, and a third one, in a narrow document.\par})",
                    document);
    document.setTextWidth(200);
    (void)document.size(); // lays the text out
    const QTextBlock block = document.firstBlock();
    const QTextLayout *layout = block.layout();
    QVERIFY(layout->lineCount() > 1);
    const int afterTab = int(block.text().indexOf(u'\t')) + 1;
    QCOMPARE(layout->lineAt(0).cursorToX(afterTab), layout->lineAt(1).x());
    QVERIFY(layout->lineAt(0).x() < layout->lineAt(1).x());
}

void tst_RtfReader::hugeParametersStayBounded()
{
    QTextDocument document;
    RtfReader::read(R"({\rtf1 \fs99999999999 huge \fs-99999999999 tiny\par)"
                    R"(\li99999999999\fi-99999999999 wide\par\li-99999999999 narrow})",
                    document);

    const double huge = formatOf(document, u"huge"_qs).fontPointSize();
    const double tiny = formatOf(document, u"tiny"_qs).fontPointSize();
    QVERIFY2(huge >= 12 && huge <= 1000, qPrintable(QString::number(huge)));
    QVERIFY2(tiny > 0 && tiny <= 12, qPrintable(QString::number(tiny)));

    const QTextBlockFormat wide = document.findBlockByNumber(1).blockFormat();
    QVERIFY(wide.leftMargin() > 0 && wide.leftMargin() <= 5000);
    QVERIFY(wide.textIndent() < 0 && wide.textIndent() >= -5000);
    QCOMPARE(document.findBlockByNumber(2).blockFormat().leftMargin(), 0.0);
}

void tst_RtfReader::replacesPreviousContent()
{
    QTextDocument document;
    document.setPlainText(u"old first\nold second"_qs);
    RtfReader::read(R"({\rtf1 new})", document);
    QCOMPARE(document.toPlainText(), u"new"_qs);
    QCOMPARE(document.blockCount(), 1);
}

// The help text shipped with the program reads cleanly: no RTF leaks into the
// text, nothing is lost to bad escapes, and the title stands out.
void tst_RtfReader::helpFileReads()
{
    const QString path = QFileInfo(QStringLiteral(__FILE__)).absolutePath() + u"/../../../assets/Help.rtf"_qs;
    QFile file(path);
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(path));

    QTextDocument document;
    RtfReader::read(file.readAll(), document);
    const QString text = document.toPlainText();

    QVERIFY(document.blockCount() > 20);
    for (const char16_t c : {u'\\', u'{', u'}', u'\uFFFD'})
        QVERIFY2(!text.contains(QChar(c)), qPrintable(u"stray "_qs + QChar(c)));
    for (const QString &phrase : {u"Keyholder"_qs, u"master password"_qs, u"data.enc"_qs,
                                  u"Show at Startup"_qs, u"Go To"_qs, u"About"_qs,
                                  u"After 10 seconds Keyholder clears the clipboard"_qs})
        QVERIFY2(text.contains(phrase), qPrintable(phrase));

    const auto startOf = [](const QTextBlock &block) {
        QTextCursor cursor(block);
        cursor.movePosition(QTextCursor::NextCharacter);
        return cursor.charFormat();
    };
    const QTextCharFormat title = startOf(document.firstBlock());
    const QTextCharFormat body = startOf(document.lastBlock());
    QCOMPARE(title.fontWeight(), int(QFont::Bold));
    QVERIFY(title.fontPointSize() > body.fontPointSize());
}

QTEST_MAIN(tst_RtfReader)
#include "tst_RtfReader.moc"
