// The level and word that known passwords get from zxcvbn's estimate.
#include "vault/PasswordStrength.h"

#include <QTest>

using namespace Qt::StringLiterals;

class tst_PasswordStrength : public QObject
{
    Q_OBJECT

private slots:
    void knownPasswords_data();
    void knownPasswords();
};

void tst_PasswordStrength::knownPasswords_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("word");
    QTest::newRow("a common password") << u"password"_s << u"Poor"_s;
    QTest::newRow("a common one with a digit") << u"qwerty123"_s << u"Poor"_s;
    QTest::newRow("a word in disguise") << u"Tr0ub4dor&3"_s << u"Weak"_s;
    QTest::newRow("four common words") << u"correct horse battery staple"_s << u"Good"_s;
    QTest::newRow("16 random characters") << u"pV7#kQ2m!xZ9@wL4"_s << u"Good"_s;
    QTest::newRow("six random words") << u"gravel-ocean-ladder-fiddle-unkind-patio"_s << u"Excellent"_s;
    QTest::newRow("24 random characters") << u"mX9!kP2@vL7#qR4$wZ8%nB3^"_s << u"Excellent"_s;
}

void tst_PasswordStrength::knownPasswords()
{
    QFETCH(QString, password);
    QFETCH(QString, word);
    QCOMPARE(PasswordStrength::of(password).word(), word);
}

QTEST_GUILESS_MAIN(tst_PasswordStrength)
#include "tst_PasswordStrength.moc"
