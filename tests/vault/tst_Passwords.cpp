// New passwords as the generator makes them (sizes at and beyond the bounds,
// the kinds of character, the words of a passphrase, an even spread) and known
// passwords as zxcvbn rates them.
#include "vault/PasswordGenerator.h"
#include "vault/PasswordStrength.h"
#include "vault/Wordlist.h"

#include <QRegularExpression>
#include <QSet>
#include <QTest>

#include <cmath>

using namespace Qt::StringLiterals;
using Mode = GeneratorOptions::Mode;

Q_DECLARE_METATYPE(GeneratorOptions)

namespace {

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

} // namespace

class tst_Passwords : public QObject
{
    Q_OBJECT

private slots:
    void sizesAtAndBeyondTheBounds_data();
    void sizesAtAndBeyondTheBounds();
    void charactersOfTheChosenKindsOnly_data();
    void charactersOfTheChosenKindsOnly();
    void eachKindIsDrawnEvenly_data();
    void eachKindIsDrawnEvenly();
    void knownPasswordsStrength_data();
    void knownPasswordsStrength();
};

void tst_Passwords::sizesAtAndBeyondTheBounds_data()
{
    QTest::addColumn<GeneratorOptions>("options");
    QTest::addColumn<int>("size"); // characters or words; 0: refused
    QTest::newRow("7 characters") << GeneratorOptions{.length = 7} << 0;
    QTest::newRow("8 characters") << GeneratorOptions{.length = 8} << 8;
    QTest::newRow("128 characters") << GeneratorOptions{.length = 128} << 128;
    QTest::newRow("129 characters") << GeneratorOptions{.length = 129} << 0;
    QTest::newRow("no kind of character")
            << GeneratorOptions{.upper = false, .lower = false, .digits = false, .symbols = false} << 0;
    QTest::newRow("2 words") << GeneratorOptions{.mode = Mode::Passphrase, .words = 2} << 0;
    QTest::newRow("3 words and a bar") << GeneratorOptions{.mode = Mode::Passphrase, .words = 3, .separator = u"|"_s} << 3;
    QTest::newRow("20 words and spaces") << GeneratorOptions{.mode = Mode::Passphrase, .words = 20, .separator = u" "_s} << 20;
    QTest::newRow("21 words") << GeneratorOptions{.mode = Mode::Passphrase, .words = 21} << 0;
    QTest::newRow("the vault's separator") << GeneratorOptions{.mode = Mode::Passphrase, .separator = u"|||"_s} << 0;
    QTest::newRow("a character the vault cannot store") << GeneratorOptions{.mode = Mode::Passphrase, .separator = u"✓"_s} << 0;
}

void tst_Passwords::sizesAtAndBeyondTheBounds()
{
    QFETCH(GeneratorOptions, options);
    QFETCH(int, size);
    const Result<QString> password = PasswordGenerator::generate(options);
    QCOMPARE(password.ok(), size > 0);
    QCOMPARE(PasswordGenerator::check(options).ok(), size > 0);
    if (!password || options.mode == Mode::Characters) {
        QCOMPARE(password ? password->size() : 0, size);
        return;
    }
    const QSet<QString> list(Wordlist::eff().cbegin(), Wordlist::eff().cend());
    QCOMPARE(list.size(), 7776);
    const QStringList words = password->split(options.separator);
    QCOMPARE(words.size(), size);
    for (const QString &word : words)
        QVERIFY2(list.contains(word), qPrintable(word));
}

void tst_Passwords::charactersOfTheChosenKindsOnly_data()
{
    QTest::addColumn<GeneratorOptions>("options");
    QTest::newRow("the default") << GeneratorOptions{};
    QTest::newRow("8 of all four kinds") << GeneratorOptions{.length = 8};
    QTest::newRow("no symbols") << GeneratorOptions{.length = 12, .symbols = false};
    QTest::newRow("digits only") << GeneratorOptions{.length = 8, .upper = false, .lower = false, .symbols = false};
    QTest::newRow("look-alikes allowed") << GeneratorOptions{.length = 64, .excludeLookAlikes = false};
}

void tst_Passwords::charactersOfTheChosenKindsOnly()
{
    QFETCH(GeneratorOptions, options);
    const bool chosen[] = {options.upper, options.lower, options.digits, options.symbols};
    QSet<QChar> seen;
    for (int i = 0; i < 500; ++i) {
        const QString password = generated(options);
        bool present[4] = {};
        for (const QChar c : password) {
            QVERIFY2(c.unicode() > 0x20 && c.unicode() < 0x7F && c != u'|', qPrintable(password));
            present[kindOf(c)] = true;
            seen.insert(c);
        }
        QVERIFY2(std::equal(present, present + 4, chosen), qPrintable(password));
    }
    for (const QChar lookAlike : u"Il1O0"_s)
        QCOMPARE(seen.contains(lookAlike), !options.excludeLookAlikes);
}

void tst_Passwords::eachKindIsDrawnEvenly_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("members");
    QTest::newRow("upper-case letters, no I or O") << int(Upper) << 24;
    QTest::newRow("lower-case letters, no l") << int(Lower) << 25;
    QTest::newRow("digits, no 0 or 1") << int(Digit) << 8;
    QTest::newRow("symbols, no |") << int(Symbol) << 31;
}

// Short passwords of all four kinds, where drawing again until each kind is there
// matters most: within a kind every character must still come up as often. The
// bound is the chi-square that a fair draw exceeds once in a million (Wilson–Hilferty).
void tst_Passwords::eachKindIsDrawnEvenly()
{
    QFETCH(int, kind);
    QFETCH(int, members);
    QHash<QChar, int> counts;
    int total = 0;
    for (int i = 0; i < 20000; ++i) {
        for (const QChar c : generated(GeneratorOptions{.length = 8})) {
            if (kindOf(c) == kind) {
                ++counts[c];
                ++total;
            }
        }
    }
    QCOMPARE(counts.size(), members);
    const double expected = double(total) / members, degrees = members - 1;
    double chiSquare = 0;
    for (const int count : std::as_const(counts))
        chiSquare += (count - expected) * (count - expected) / expected;
    const double bound = degrees * std::pow(1 - 2 / (9 * degrees) + 4.7534 * std::sqrt(2 / (9 * degrees)), 3);
    QVERIFY2(chiSquare < bound, qPrintable(u"chi-square %1 over %2 draws"_s.arg(chiSquare).arg(total)));
}

void tst_Passwords::knownPasswordsStrength_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("word");
    QTest::newRow("a common password") << u"password"_s << u"Poor"_s;
    QTest::newRow("a word in disguise") << u"Tr0ub4dor&3"_s << u"Weak"_s;
    QTest::newRow("four common words") << u"correct horse battery staple"_s << u"Good"_s;
    QTest::newRow("16 random characters") << u"pV7#kQ2m!xZ9@wL4"_s << u"Good"_s;
    QTest::newRow("six random words") << u"gravel-ocean-ladder-fiddle-unkind-patio"_s << u"Excellent"_s;
}

void tst_Passwords::knownPasswordsStrength()
{
    QFETCH(QString, password);
    QFETCH(QString, word);
    QCOMPARE(PasswordStrength::of(password).word(), word);
}

QTEST_GUILESS_MAIN(tst_Passwords)
#include "tst_Passwords.moc"
