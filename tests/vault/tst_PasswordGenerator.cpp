// The generator as its passwords show it: sizes at and beyond the bounds, the
// kinds of character, what is left out, the words of a passphrase, and an even spread.
#include "vault/PasswordGenerator.h"
#include "vault/Wordlist.h"

#include <QRegularExpression>
#include <QSet>
#include <QTest>

#include <cmath>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(GeneratorOptions)

namespace {

GeneratorOptions characters(int length, bool upper = true, bool lower = true, bool digits = true, bool symbols = true)
{
    GeneratorOptions options;
    options.length = length;
    options.upper = upper;
    options.lower = lower;
    options.digits = digits;
    options.symbols = symbols;
    return options;
}

GeneratorOptions passphrase(int words, const QString &separator = u"-"_s)
{
    GeneratorOptions options;
    options.mode = GeneratorOptions::Mode::Passphrase;
    options.words = words;
    options.separator = separator;
    return options;
}

enum Kind { Upper, Lower, Digit, Symbol };

Kind kindOf(QChar c)
{
    return c.isUpper() ? Upper : c.isLower() ? Lower : c.isDigit() ? Digit : Symbol;
}

QString generated(const GeneratorOptions &options)
{
    const Result<QString> password = PasswordGenerator::generate(options);
    if (!password)
        qFatal("the generator refused: %s", qPrintable(password.message()));
    return password.value();
}

// The chi-square value a fair draw exceeds with probability 1e-6 (Wilson–Hilferty).
double chiSquareBound(int degrees)
{
    const double z = 4.7534, k = degrees;
    return k * std::pow(1 - 2 / (9 * k) + z * std::sqrt(2 / (9 * k)), 3);
}

} // namespace

class tst_PasswordGenerator : public QObject
{
    Q_OBJECT

private slots:
    void sizesAtAndBeyondTheBounds_data();
    void sizesAtAndBeyondTheBounds();
    void charactersFollowTheChosenKinds_data();
    void charactersFollowTheChosenKinds();
    void passphraseWordsComeFromTheList_data();
    void passphraseWordsComeFromTheList();
    void eachKindIsDrawnEvenly_data();
    void eachKindIsDrawnEvenly();
    void entropyIsOfTheWholeAlphabet();
};

void tst_PasswordGenerator::sizesAtAndBeyondTheBounds_data()
{
    QTest::addColumn<GeneratorOptions>("options");
    QTest::addColumn<QString>("pattern"); // empty: refused
    QTest::newRow("7 characters") << characters(7) << QString();
    QTest::newRow("8 characters") << characters(8) << u"^.{8}$"_s;
    QTest::newRow("128 characters") << characters(128) << u"^.{128}$"_s;
    QTest::newRow("129 characters") << characters(129) << QString();
    QTest::newRow("no kind of character") << characters(20, false, false, false, false) << QString();
    QTest::newRow("2 words") << passphrase(2) << QString();
    QTest::newRow("3 words") << passphrase(3, u"|"_s) << u"^[a-z-]+(\\|[a-z-]+){2}$"_s;
    QTest::newRow("20 words") << passphrase(20, u" "_s) << u"^[a-z-]+( [a-z-]+){19}$"_s;
    QTest::newRow("21 words") << passphrase(21) << QString();
    QTest::newRow("no separator") << passphrase(3, u""_s) << u"^[a-z-]+$"_s;
    QTest::newRow("the vault's separator") << passphrase(4, u"|||"_s) << QString();
    QTest::newRow("a character the vault cannot store") << passphrase(4, u"✓"_s) << QString();
}

void tst_PasswordGenerator::sizesAtAndBeyondTheBounds()
{
    QFETCH(GeneratorOptions, options);
    QFETCH(QString, pattern);
    const Result<QString> password = PasswordGenerator::generate(options);
    QCOMPARE(password.ok(), !pattern.isEmpty());
    QCOMPARE(PasswordGenerator::check(options).ok(), password.ok());
    if (password)
        QVERIFY2(QRegularExpression(pattern).match(password.value()).hasMatch(), qPrintable(password.value()));
}

void tst_PasswordGenerator::charactersFollowTheChosenKinds_data()
{
    QTest::addColumn<GeneratorOptions>("options");
    QTest::newRow("the default") << GeneratorOptions{};
    QTest::newRow("8 of all four kinds") << characters(8);
    QTest::newRow("no symbols") << characters(12, true, true, true, false);
    QTest::newRow("digits only") << characters(8, false, false, true, false);
    QTest::newRow("symbols only") << characters(40, false, false, false, true);
    GeneratorOptions lookAlikes = characters(64);
    lookAlikes.excludeLookAlikes = false;
    QTest::newRow("look-alikes allowed") << lookAlikes;
}

void tst_PasswordGenerator::charactersFollowTheChosenKinds()
{
    QFETCH(GeneratorOptions, options);
    const bool chosen[] = {options.upper, options.lower, options.digits, options.symbols};
    QSet<QChar> seen;
    for (int i = 0; i < 500; ++i) {
        const QString password = generated(options);
        QCOMPARE(password.size(), options.length);
        bool present[4] = {};
        for (const QChar c : password) {
            QVERIFY2(c.unicode() > 0x20 && c.unicode() < 0x7F && c != u'|', qPrintable(password));
            present[kindOf(c)] = true;
            seen.insert(c);
        }
        for (int kind = Upper; kind <= Symbol; ++kind)
            QVERIFY2(present[kind] == chosen[kind], qPrintable(password));
    }
    for (const QChar lookAlike : u"Il1O0"_s)
        QCOMPARE(seen.contains(lookAlike), !options.excludeLookAlikes);
}

void tst_PasswordGenerator::passphraseWordsComeFromTheList_data()
{
    QTest::addColumn<GeneratorOptions>("options");
    QTest::newRow("3 words and dots") << passphrase(3, u"."_s);
    QTest::newRow("6 words and a long separator") << passphrase(6, u" & "_s);
    QTest::newRow("20 words and spaces") << passphrase(20, u" "_s);
}

void tst_PasswordGenerator::passphraseWordsComeFromTheList()
{
    QFETCH(GeneratorOptions, options);
    const QStringList &list = Wordlist::eff();
    const QSet<QString> words(list.cbegin(), list.cend());
    QCOMPARE(words.size(), 7776);
    for (int i = 0; i < 200; ++i) {
        const QStringList parts = generated(options).split(options.separator);
        QCOMPARE(parts.size(), options.words);
        for (const QString &part : parts)
            QVERIFY2(words.contains(part), qPrintable(part));
    }
}

void tst_PasswordGenerator::eachKindIsDrawnEvenly_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("members");
    QTest::newRow("upper-case letters, no I or O") << int(Upper) << 24;
    QTest::newRow("lower-case letters, no l") << int(Lower) << 25;
    QTest::newRow("digits, no 0 or 1") << int(Digit) << 8;
    QTest::newRow("symbols, no |") << int(Symbol) << 31;
}

// Short passwords of all four kinds, where redrawing until each kind is present
// matters most: within a kind, every character must still come up as often.
void tst_PasswordGenerator::eachKindIsDrawnEvenly()
{
    QFETCH(int, kind);
    QFETCH(int, members);
    QHash<QChar, int> counts;
    int total = 0;
    for (int i = 0; i < 20000; ++i) {
        for (const QChar c : generated(characters(8))) {
            if (kindOf(c) == kind) {
                ++counts[c];
                ++total;
            }
        }
    }
    QCOMPARE(counts.size(), members);
    const double expected = double(total) / members;
    double chiSquare = 0;
    for (const int count : std::as_const(counts))
        chiSquare += (count - expected) * (count - expected) / expected;
    QVERIFY2(chiSquare < chiSquareBound(members - 1),
             qPrintable(u"chi-square %1 over %2 draws"_s.arg(chiSquare).arg(total)));
}

void tst_PasswordGenerator::entropyIsOfTheWholeAlphabet()
{
    QCOMPARE(qRound(PasswordGenerator::entropyBits(GeneratorOptions{}) * 10), 1292); // 20 of 88
    QCOMPARE(qRound(PasswordGenerator::entropyBits(characters(10, false, false, true, false)) * 10), 300); // 10 of 8
    QCOMPARE(qRound(PasswordGenerator::entropyBits(passphrase(6)) * 10), 775); // 6 of 7,776
}

QTEST_GUILESS_MAIN(tst_PasswordGenerator)
#include "tst_PasswordGenerator.moc"
