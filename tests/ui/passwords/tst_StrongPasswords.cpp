#include "BreachFiles.h"
#include "EntryTesting.h"
#include "TestEnv.h"
#include "ui/base/StrengthMeter.h"
#include "ui/main/EntryList.h"
#include "ui/main/FindBox.h"
#include "ui/main/Form1.h"
#include "ui/main/frmAdd.h"
#include "ui/passwords/frmGenerate.h"
#include "ui/passwords/frmPasswordCheck.h"
#include "vault/PasswordStrength.h"
#include "ui/vault/frmChangePassword.h"
#include "ui/vault/frmPass.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

using namespace EntryTesting;
using namespace Qt::StringLiterals;

namespace {

const VaultEntry Strong{"cy", "Xk7#pQ9!mZ2@wR5$vB", "three.example"};
const std::vector<VaultEntry> Checked = {{"ann", "password1", "one.example"},
                                         {"bob", "password1", "two.example"},
                                         Strong,
                                         {"dee", "qwerty", "four.example"}};

// The editor with a username and website typed, active, its generator opened with Alt+G.
frmGenerate *generatorFor(TestEnv &env, frmAdd *&dialog)
{
    env.mainWindow()->cmdAdd_Click(0);
    dialog = editor(env);
    dialog->txtUsername->setText(u"zoe"_s);
    dialog->txtWebsite->setText(u"z.example"_s);
    dialog->activateWindow();
    if (!QTest::qWaitForWindowActive(dialog))
        return nullptr;
    QTest::keyClick(dialog->focusWidget(), Qt::Key_G, Qt::AltModifier);
    // A mnemonic presses the button and lets it go a moment later.
    if (!QTest::qWaitFor([&env] { return env.ctx().windows.IsLoaded<frmGenerate>(); }))
        return nullptr;
    return env.ctx().windows.Find<frmGenerate>();
}

void retype(QLineEdit *box, const QString &text)
{
    box->selectAll();
    QTest::keyClicks(box, text.isEmpty() ? u"\b"_s : text);
}

// Each finding as "username location reason", in the window's order.
QStringList findings(const frmPasswordCheck *check)
{
    QStringList rows;
    for (int i = 0; i < check->lstFindings->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = check->lstFindings->topLevelItem(i);
        rows.append(item->text(0) + u' ' + item->text(1) + u' ' + item->text(2));
    }
    return rows;
}

frmPasswordCheck *openCheck(TestEnv &env)
{
    env.mainWindow()->mnuCheckPasswords->trigger();
    return env.ctx().windows.Find<frmPasswordCheck>();
}

// As the window system sends one: a click, then the second press as a double-click.
void doubleClick(QTreeWidget *list, QPoint at)
{
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

QString writeBreachList(TestEnv &env, const QByteArray &bytes)
{
    const QString path = env.folder.filePath(u"breached.txt"_s);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write the breach list");
    return path;
}

} // namespace

class StrongPasswordsTest : public QObject
{
    Q_OBJECT

private slots:
    // Enter uses the password wherever the focus is, but on the other buttons.
    void altGThenEnterThenSaveStoresAGeneratedPassword_data()
    {
        QTest::addColumn<QString>("focus");
        QTest::newRow("on Use") << "cmdUse";
        QTest::newRow("in the length box") << "spnLength";
        QTest::newRow("on a check box") << "chkDigits";
    }

    void altGThenEnterThenSaveStoresAGeneratedPassword()
    {
        QFETCH(QString, focus);
        TestEnv env;
        startWith(env, {});
        frmAdd *dialog = nullptr;
        frmGenerate *generator = generatorFor(env, dialog);
        QVERIFY(generator && generator->isVisible());
        QCOMPARE(generator->windowTitle(), u"Generate Password"_s);
        const QString shown = generator->txtGenerated->text();
        QCOMPARE(shown.size(), 20);
        QCOMPARE(generator->lblEntropy->text(), u"129 bits of entropy"_s);
        // A random password can still hold a pattern the estimate finds, so the
        // word is the generated password's own, not always "Excellent".
        QCOMPARE(generator->strength->word->text(), PasswordStrength::of(shown).word());
        QVERIFY(!generator->strength->word->text().isEmpty());

        QWidget *target = generator->findChild<QWidget *>(focus);
        target->setFocus();
        QTest::keyClick(target, Qt::Key_Return);
        QVERIFY(!env.ctx().windows.IsLoaded<frmGenerate>());
        QCOMPARE(dialog->txtPassword->text(), shown);
        dialog->cmdAdd->click();
        QCOMPARE(env.vaultBytes(), vaultFile({{"zoe", shown, "z.example"}}));
        QCOMPARE(env.mainWindow()->statusText(), u"Added new entry.  Data saved."_s);
    }

    void choicesShapeThePasswordAndAreKept_data()
    {
        QTest::addColumn<bool>("passphrase");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("entropy");
        QTest::newRow("four words") << true << 4 << "_" << "[a-z-]+(_[a-z-]+){3}" << "52 bits of entropy";
        QTest::newRow("no separator") << true << 3 << "" << "[a-z-]{9,}" << "39 bits of entropy";
        QTest::newRow("twelve characters, no symbols") << false << 12 << "-" << "[A-Za-z2-9]{12}" << "70 bits of entropy";
    }

    void choicesShapeThePasswordAndAreKept()
    {
        QFETCH(bool, passphrase);
        QFETCH(int, count);
        QFETCH(QString, separator);
        QFETCH(QString, pattern);
        QFETCH(QString, entropy);
        TestEnv env;
        startWith(env, {});
        frmAdd *dialog = nullptr;
        frmGenerate *generator = generatorFor(env, dialog);
        QVERIFY(generator);
        if (passphrase) {
            generator->optPassphrase->click();
            generator->spnWords->setValue(count);
            retype(generator->txtSeparator, separator);
        } else {
            generator->spnLength->setValue(count);
            generator->chkSymbols->click();
        }
        const QRegularExpression expected(QRegularExpression::anchoredPattern(pattern));
        QVERIFY2(expected.match(generator->txtGenerated->text()).hasMatch(), qPrintable(generator->txtGenerated->text()));
        QCOMPARE(generator->lblEntropy->text(), entropy);
        const QString before = generator->txtGenerated->text();
        generator->cmdGenerateAgain->click();
        QVERIFY(expected.match(generator->txtGenerated->text()).hasMatch());
        QVERIFY(generator->txtGenerated->text() != before);

        // Cancel leaves the editor's box alone; the choices stay for next time.
        QTest::keyClick(generator, Qt::Key_Escape);
        QVERIFY(!env.ctx().windows.IsLoaded<frmGenerate>());
        QCOMPARE(dialog->txtPassword->text(), QString());
        dialog->cmdGenerate_Click();
        generator = env.ctx().windows.Find<frmGenerate>();
        QCOMPARE(generator->optPassphrase->isChecked(), passphrase);
        QCOMPARE(passphrase ? generator->spnWords->value() : generator->spnLength->value(), count);
        QCOMPARE(generator->txtSeparator->text(), separator);
        QCOMPARE(generator->chkSymbols->isChecked(), passphrase);
        QVERIFY(expected.match(generator->txtGenerated->text()).hasMatch());
    }

    void noKindOfCharacterLeavesNothingToUse()
    {
        TestEnv env;
        startWith(env, {});
        frmAdd *dialog = nullptr;
        frmGenerate *generator = generatorFor(env, dialog);
        QVERIFY(generator);
        for (QCheckBox *kind : {generator->chkUpper, generator->chkLower, generator->chkDigits, generator->chkSymbols})
            kind->click();
        QVERIFY(!generator->cmdUse->isEnabled());
        QCOMPARE(generator->txtGenerated->text(), QString());
        QVERIFY(generator->lblRefusal->isVisible());
        QCOMPARE(generator->lblRefusal->text(), u"A password needs at least one kind of character."_s);
        QTest::keyClick(generator->spnLength, Qt::Key_Return);
        QVERIFY(generator->isVisible());
        QCOMPARE(dialog->txtPassword->text(), QString());
        generator->chkLower->click();
        QVERIFY(generator->cmdUse->isEnabled());
        QVERIFY(!generator->lblRefusal->isVisible());
    }

    void meterFollowsTheTyping_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("word");
        QTest::newRow("editor, poor") << "frmAdd" << "password" << "Poor";
        QTest::newRow("editor, excellent") << "frmAdd" << Strong.Password << "Excellent";
        QTest::newRow("change, weak") << "frmChangePassword" << "Tr0ub4dor&3" << "Weak";
        QTest::newRow("create, good") << "frmPass" << "mauve-gravel-otter-sprint" << "Good";
    }

    void meterFollowsTheTyping()
    {
        QFETCH(QString, window);
        QFETCH(QString, password);
        QFETCH(QString, word);
        TestEnv env;
        Form *form = env.openWindow(window);
        QVERIFY(form);
        const char *boxName = window == u"frmAdd"_s ? "txtPassword" : window == u"frmPass"_s ? "txtPass" : "txtNew";
        auto *box = form->findChild<QLineEdit *>(QString::fromLatin1(boxName));
        auto *shown = form->findChild<QLabel *>(box->objectName() + u"StrengthWord"_s);
        QVERIFY(shown && shown->isVisible());
        QCOMPARE(shown->text(), QString());
        QTest::keyClicks(box, password);
        QCOMPARE(shown->text(), word);
        box->clear();
        QCOMPARE(shown->text(), QString());
    }

    void aWeakPasswordStillSaves()
    {
        TestEnv env;
        startWith(env, {});
        env.mainWindow()->cmdAdd_Click(0);
        frmAdd *dialog = editor(env);
        type(dialog, {"zoe", "qwerty", "z.example"});
        QCOMPARE(dialog->passwordStrength->word->text(), u"Poor"_s);
        dialog->cmdAdd->click();
        QCOMPARE(env.vaultBytes(), vaultFile({{"zoe", "qwerty", "z.example"}}));
    }

    void checkListsWeakAndReusedWorstFirst()
    {
        TestEnv env;
        startWith(env, Checked);
        frmPasswordCheck *check = openCheck(env);
        QVERIFY(check && check->isVisible());
        QCOMPARE(check->windowTitle(), u"Password Check"_s);
        const QStringList rows = findings(check);
        QCOMPARE(rows.mid(0, 2), QStringList({u"ann one.example reused: 2 entries"_s, u"bob two.example reused: 2 entries"_s}));
        QCOMPARE(rows.size(), 5);
        for (const QString &weak : rows.mid(2))
            QVERIFY2(weak.contains(u" weak: "_s), qPrintable(weak));
        QVERIFY(rows.filter(u"cy "_s).isEmpty());
        QCOMPARE(check->lblSummary->text(),
                 u"5 findings in 3 of 4 entries, worst first.  Double-click one, or press Enter, to show its entry."_s);
    }

    void breachListPutsBreachedFirstAndAnUnsortedOneIsRefused()
    {
        TestEnv env;
        startWith(env, Checked);
        frmPasswordCheck *check = openCheck(env);
        check->checkAgainst(writeBreachList(env, BreachFiles::listOf({{u"qwerty"_s, 3912816}, {u"password1"_s, 24230577}})));
        const QStringList rows = findings(check);
        QCOMPARE(rows.mid(0, 3), QStringList({u"ann one.example breached: seen 24230577 times"_s,
                                              u"bob two.example breached: seen 24230577 times"_s,
                                              u"dee four.example breached: seen 3912816 times"_s}));
        QVERIFY(check->lblSummary->text().endsWith(u"Checked against breached.txt."_s));
        QVERIFY(env.platform.messages.empty());

        check->checkAgainst(writeBreachList(env, BreachFiles::swappedAround(u"password1"_s, 100)));
        QCOMPARE(env.platform.messages.size(), size_t(1));
        QCOMPARE(env.platform.messages[0].title, u"Password Check"_s);
        QVERIFY2(env.platform.messages[0].text.contains(u"sorted"_s), qPrintable(env.platform.messages[0].text));
        QCOMPARE(findings(check), rows);
    }

    // Enter or a double-click selects the entry in the main list, even one the find box hid.
    void choosingAFindingShowsItsEntry()
    {
        TestEnv env;
        Form1 *main = startWith(env, Checked);
        main->openFind();
        QTest::keyClicks(main->findBox->txtFind, u"one"_s);
        frmPasswordCheck *check = openCheck(env);
        check->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(check));

        check->lstFindings->setCurrentItem(check->lstFindings->topLevelItem(1)); // bob, reused
        QTest::keyClick(check->lstFindings, Qt::Key_Return);
        QCOMPARE(main->lstPass->firstSelectedPosition(), 2);
        QVERIFY(main->findBox->isHidden());
        QVERIFY(QTest::qWaitForWindowActive(main));

        QTreeWidget *list = check->lstFindings;
        const QRect dee = list->visualItemRect(list->topLevelItem(2));
        doubleClick(list, dee.center());
        QCOMPARE(main->lstPass->firstSelectedPosition(), 4);

        // One deleted since says so, and nothing moves.
        selectRow(*main->lstPass, 4);
        env.platform.answer({platform::MsgResult::Ok});
        main->cmdDelete_Click();
        doubleClick(list, dee.center());
        QCOMPARE(check->lblSummary->text(),
                 u"That entry is no longer in the list.  Click Check Again to bring the findings up to date."_s);
    }
};

QTEST_MAIN(StrongPasswordsTest)
#include "tst_StrongPasswords.moc"
