// The master-password dialog as a user meets it: both layouts, every refusal
// with its exact message, three tries, and every way out of it.
#include "FocusChain.h"
#include "TestEnv.h"
#include "vault/VaultSession.h"
#include "ui/base/Twips.h"
#include "ui/main/Form1.h"
#include "ui/vault/frmPass.h"
#include "ui/base/modOnTop.h"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QTest>

using platform::MsgButtons;
using platform::MsgIcon;
using platform::MsgResult;

namespace {

// "abcd" as the vault stores it, with no entries.
const QByteArray VaultOfAbcd = QByteArray("\xE1\xE2\xE3\xE4\r\n\r\n");
const QByteArray NewVault = QByteArray("\r\n");
const QString Wrong = QStringLiteral("Sorry, the password you entered was not correct.");
const QString OnlyThree = QStringLiteral("Only 3 tries allowed.  Click Ok to close.");
const QString TooShort = QStringLiteral("You must enter a password that is at least 4 characters long");
const QString Mismatch = QStringLiteral("Your passwords did not match.  Please try again.");

frmPass *dialogOf(TestEnv &env)
{
    return env.ctx().windows.Find<frmPass>();
}

// The program at the dialog: create mode over a missing vault, check mode over "abcd".
frmPass *startAtDialog(TestEnv &env, bool createMode)
{
    if (!createMode)
        env.writeVault(VaultOfAbcd);
    env.startProgram();
    return dialogOf(env);
}

// Key by key; a control character no key produces arrives as if pasted.
void type(QLineEdit *box, const QString &text)
{
    box->setFocus();
    box->clear();
    for (const QChar c : text) {
        if (c.isPrint())
            QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
        else
            box->insert(QString(c));
    }
}

QStringList messageTexts(const FakePlatform &platform)
{
    QStringList texts;
    for (const auto &message : platform.messages)
        texts << message.text;
    return texts;
}

bool unlocked(TestEnv &env)
{
    return !dialogOf(env) && env.mainWindow()->isVisible() && !env.platform.ended();
}

MsgResult answerFor(QChar letter)
{
    return letter == u'R' ? MsgResult::Retry : letter == u'O' ? MsgResult::Ok : MsgResult::Cancel;
}

} // namespace

class PasswordDialogTest : public QObject
{
    Q_OBJECT

private slots:
    void layoutFollowsTheMode_data()
    {
        QTest::addColumn<bool>("createMode");
        QTest::addColumn<int>("height");
        QTest::addColumn<QRect>("prompt");
        QTest::addColumn<QRect>("firstBox");
        QTest::addColumn<QRect>("secondBox");
        QTest::addColumn<QRect>("ok");
        QTest::addColumn<QRect>("cancel");
        QTest::newRow("create") << true << 3820 << QRect(120, 60, 6615, 1500)
                                << QRect(1740, 1700, 4995, 315) << QRect(1740, 2075, 4995, 315)
                                << QRect(4500, 2450, 1095, 495) << QRect(5700, 2450, 1035, 495);
        QTest::newRow("check") << false << 1845 << QRect(120, 60, 6615, 315)
                               << QRect(1740, 360, 4995, 315) << QRect()
                               << QRect(4500, 780, 1095, 495) << QRect(5700, 780, 1035, 495);
    }

    void layoutFollowsTheMode()
    {
        QFETCH(bool, createMode);
        QFETCH(int, height);
        QFETCH(QRect, prompt);
        QFETCH(QRect, firstBox);
        QFETCH(QRect, secondBox);
        QFETCH(QRect, ok);
        QFETCH(QRect, cancel);
        TestEnv env;
        frmPass *dialog = startAtDialog(env, createMode);
        QVERIFY(dialog && dialog->isVisible());
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Password Required"));
        QCOMPARE(dialog->HeightTwips(), height);
        QCOMPARE(dialog->ScaleWidth(), 6825);
        QCOMPARE(Twips::rect(dialog->SkinLabel1), prompt);
        QCOMPARE(Twips::rect(dialog->txtPass), firstBox);
        QCOMPARE(Twips::rect(dialog->SkinLabel2).top(), firstBox.top());
        QCOMPARE(Twips::rect(dialog->cmdOK), ok);
        QCOMPARE(Twips::rect(dialog->cmdCancel), cancel);
        QCOMPARE(dialog->txtPass2->isVisible(), createMode);
        QCOMPARE(dialog->SkinLabel3->isVisible(), createMode);
        if (createMode) {
            QCOMPARE(Twips::rect(dialog->txtPass2), secondBox);
            QCOMPARE(Twips::rect(dialog->SkinLabel3).top(), secondBox.top());
        }
        QVERIFY(!dialog->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(!dialog->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
        QVERIFY(dialog->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    }

    void promptsNameTheProduct_data()
    {
        QTest::addColumn<bool>("createMode");
        QTest::addColumn<QString>("prompt");
        QTest::newRow("create")
                << true
                << QStringLiteral("Because this is the first time you have used Vaulty, you will need to "
                                  "create a master password.  This password will be required to open the "
                                  "program from now on, and can not be reset.\r\n\r\nPlease enter a "
                                  "password that you will not forget.");
        QTest::newRow("check") << false << QStringLiteral("Please enter your password");
    }

    void promptsNameTheProduct()
    {
        QFETCH(bool, createMode);
        QFETCH(QString, prompt);
        TestEnv env;
        env.platform.version.ProductName = QStringLiteral("Vaulty");
        frmPass *dialog = startAtDialog(env, createMode);
        QCOMPARE(dialog->SkinLabel1->text(), prompt);
        QCOMPARE(dialog->SkinLabel2->text(), QStringLiteral("Password:"));
        QCOMPARE(dialog->SkinLabel3->text(), QStringLiteral("Retype Password:"));
        QCOMPARE(dialog->cmdOK->text(), QStringLiteral("Ok"));
        QCOMPARE(dialog->cmdCancel->text(), QStringLiteral("Cancel"));
    }

    void passwordBoxesHideWhatIsTyped()
    {
        TestEnv env;
        frmPass *dialog = startAtDialog(env, true);
        for (QLineEdit *box : {dialog->txtPass, dialog->txtPass2}) {
            QCOMPARE(box->echoMode(), QLineEdit::Password);
            QCOMPARE(box->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, box),
                     int('*'));
            QCOMPARE(box->font().pointSizeF(), 8.25);
            QCOMPARE(box->text(), QString());
        }
        QCOMPARE(dialog->focusWidget(), dialog->txtPass);
    }

    void tabGoesFromTheButtonsToTheBoxes()
    {
        TestEnv env;
        frmPass *dialog = startAtDialog(env, true);
        const QWidget *order[] = {dialog->cmdOK, dialog->cmdCancel, dialog->txtPass, dialog->txtPass2};
        for (size_t i = 0; i < std::size(order); ++i)
            QCOMPARE(nextTabStop(order[i]), order[(i + 1) % std::size(order)]);
    }

    void refusalsInCreateMode_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("boxesEmptied");
        const QString app = QStringLiteral("Keyholder");
        QTest::newRow("three characters") << "abc" << "abc" << TooShort << app << false;
        QTest::newRow("nothing typed") << "" << "" << TooShort << app << false;
        QTest::newRow("only letter case differs") << "abcd" << "ABCD" << Mismatch << app << true;
        QTest::newRow("second box empty") << "abcd" << "" << Mismatch << app << true;
        QTest::newRow("outside Windows-1252")
                << QStringLiteral("pass\u0100") << QStringLiteral("pass\u0100")
                << QStringLiteral("This password cannot be used: it contains the character \"\u0100\" "
                                  "(U+0100), which the vault file cannot store.")
                << "Error" << false;
        QTest::newRow("would break its line")
                << QStringLiteral("pass\u008D") << QStringLiteral("pass\u008D")
                << QStringLiteral("This password cannot be used: it contains the control character "
                                  "U+008D, which would break its line in the vault file.")
                << "Error" << false;
    }

    void refusalsInCreateMode()
    {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(QString, message);
        QFETCH(QString, title);
        QFETCH(bool, boxesEmptied);
        TestEnv env;
        frmPass *dialog = startAtDialog(env, true);
        type(dialog->txtPass, first);
        type(dialog->txtPass2, second);
        dialog->cmdOK->click();
        QCOMPARE(env.platform.messages.size(), size_t(1));
        QCOMPARE(env.platform.messages[0].text, message);
        QCOMPARE(env.platform.messages[0].title, title);
        QCOMPARE(env.platform.messages[0].buttons, MsgButtons::Ok);
        QCOMPARE(env.platform.messages[0].icon, MsgIcon::None);
        QCOMPARE(dialogOf(env), dialog);
        QCOMPARE(dialog->txtPass->text(), boxesEmptied ? QString() : first);
        QCOMPARE(dialog->txtPass2->text(), boxesEmptied ? QString() : second);
        QCOMPARE(env.vaultBytes(), NewVault);
        QVERIFY(!env.platform.ended());
        QVERIFY(env.ctx().session().MasterPassword().isEmpty());
    }

    void triesInCheckMode_data()
    {
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<QString>("answers"); // R = Retry, C = Cancel, O = Ok
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<bool>("opens");
        QTest::newRow("right at once") << QStringList{"abcd"} << "" << QStringList{} << true;
        QTest::newRow("other letter case, Cancel")
                << QStringList{"ABCD"} << "C" << QStringList{Wrong} << false;
        QTest::newRow("two wrong then right")
                << QStringList{"abc", "abcd "} << "RR" << QStringList{Wrong, Wrong} << true;
        QTest::newRow("three wrong")
                << QStringList{"a", "b", "c"} << "RRRO" << QStringList{Wrong, Wrong, Wrong, OnlyThree}
                << false;
        QTest::newRow("Cancel after one wrong")
                << QStringList{"a", "b"} << "RC" << QStringList{Wrong, Wrong} << false;
    }

    void triesInCheckMode()
    {
        QFETCH(QStringList, typed);
        QFETCH(QString, answers);
        QFETCH(QStringList, messages);
        QFETCH(bool, opens);
        TestEnv env;
        env.writeVault(VaultOfAbcd);
        for (const QChar letter : answers)
            env.platform.answer({answerFor(letter)});
        frmPass *dialog = startAtDialog(env, false);
        for (const QString &password : typed) {
            type(dialog->txtPass, password);
            dialog->cmdOK->click();
            QVERIFY(env.platform.ended() || dialogOf(env) != dialog || dialog->txtPass->text().isEmpty());
        }
        if (dialogOf(env) == dialog && !env.platform.ended()) {
            type(dialog->txtPass, QStringLiteral("abcd"));
            dialog->cmdOK->click();
        }
        TestEnv::settle();
        QCOMPARE(messageTexts(env.platform), messages);
        for (const auto &message : env.platform.messages) {
            const bool wrong = message.text == Wrong;
            QCOMPARE(message.title, wrong ? QStringLiteral("Incorrect Password") : QStringLiteral("Keyholder"));
            QCOMPARE(message.buttons, wrong ? MsgButtons::RetryCancel : MsgButtons::Ok);
            QCOMPARE(message.icon, MsgIcon::None);
        }
        QCOMPARE(unlocked(env), opens);
        QCOMPARE(env.platform.endProgramCalls, opens ? 0 : 1);
        QCOMPARE(env.mainWindow()->isVisible(), opens);
        QCOMPARE(env.vaultBytes(), VaultOfAbcd);
    }

    void enterInEitherBoxActsAsOk_data()
    {
        QTest::addColumn<bool>("createMode");
        QTest::addColumn<bool>("inSecondBox");
        QTest::addColumn<int>("key");
        QTest::newRow("create, first box") << true << false << int(Qt::Key_Return);
        QTest::newRow("create, second box") << true << true << int(Qt::Key_Return);
        QTest::newRow("create, keypad Enter") << true << true << int(Qt::Key_Enter);
        QTest::newRow("check") << false << false << int(Qt::Key_Return);
    }

    void enterInEitherBoxActsAsOk()
    {
        QFETCH(bool, createMode);
        QFETCH(bool, inSecondBox);
        QFETCH(int, key);
        TestEnv env;
        frmPass *dialog = startAtDialog(env, createMode);
        type(dialog->txtPass, QStringLiteral("abcd"));
        if (createMode)
            type(dialog->txtPass2, QStringLiteral("abcd"));
        QTest::keyClick(inSecondBox ? dialog->txtPass2 : dialog->txtPass, Qt::Key(key));
        TestEnv::settle();
        QVERIFY(unlocked(env));
        QCOMPARE(env.vaultBytes(), createMode ? QByteArray("\xE1\xE2\xE3\xE4\r\n") : VaultOfAbcd);
    }

    void enterWithAShortPasswordGivesTheSameRefusalAsOk()
    {
        TestEnv env;
        frmPass *dialog = startAtDialog(env, true);
        type(dialog->txtPass, QStringLiteral("abc"));
        QTest::keyClick(dialog->txtPass, Qt::Key_Return);
        QCOMPARE(messageTexts(env.platform), QStringList{TooShort});
    }

    void escapeDoesNothing_data()
    {
        QTest::addColumn<bool>("createMode");
        QTest::newRow("create") << true;
        QTest::newRow("check") << false;
    }

    void escapeDoesNothing()
    {
        QFETCH(bool, createMode);
        TestEnv env;
        frmPass *dialog = startAtDialog(env, createMode);
        QVERIFY(!dialog->cmdOK->isDefault() && !dialog->cmdOK->autoDefault());
        QVERIFY(!dialog->cmdCancel->isDefault() && !dialog->cmdCancel->autoDefault());
        type(dialog->txtPass, QStringLiteral("abcd"));
        QTest::keyClick(dialog->txtPass, Qt::Key_Escape);
        QTest::keyClick(dialog, Qt::Key_Escape);
        TestEnv::settle();
        QCOMPARE(dialogOf(env), dialog);
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->txtPass->text(), QStringLiteral("abcd"));
        QVERIFY(!env.platform.ended());
        QVERIFY(env.platform.messages.empty());
    }

    void cancelAndTheCloseBoxEndTheProgram_data()
    {
        QTest::addColumn<bool>("createMode");
        QTest::addColumn<bool>("closeBox");
        QTest::newRow("create, Cancel") << true << false;
        QTest::newRow("create, close box") << true << true;
        QTest::newRow("check, Cancel") << false << false;
        QTest::newRow("check, close box") << false << true;
    }

    void cancelAndTheCloseBoxEndTheProgram()
    {
        QFETCH(bool, createMode);
        QFETCH(bool, closeBox);
        TestEnv env;
        frmPass *dialog = startAtDialog(env, createMode);
        const QByteArray before = env.vaultBytes();
        type(dialog->txtPass, QStringLiteral("abcd"));
        if (closeBox)
            dialog->close();
        else
            dialog->cmdCancel->click();
        TestEnv::settle();
        QCOMPARE(env.platform.endProgramCalls, 1);
        QVERIFY(env.platform.messages.empty());
        QVERIFY(!env.mainWindow()->isVisible());
        QVERIFY(env.mainWindow()->statusText().isEmpty());
        QCOMPARE(env.vaultBytes(), before);
    }

    void timerKeepsTheMainWindowHidden()
    {
        TestEnv env;
        frmPass *dialog = startAtDialog(env, false);
        QVERIFY(dialog->Timer1.isActive());
        QCOMPARE(dialog->Timer1.interval(), 100);
        Form1 *main = env.mainWindow();
        main->show();
        dialog->Timer1_Timer();
        QVERIFY(!main->isVisible());
        // And by itself, while the dialog waits.
        main->show();
        QTRY_VERIFY(!main->isVisible());
        QVERIFY(dialog->isVisible());
    }

    void mainWindowAppearsOnceUnlocked()
    {
        TestEnv env;
        frmPass *dialog = startAtDialog(env, false);
        QPointer<QTimer> timer = &dialog->Timer1;
        type(dialog->txtPass, QStringLiteral("abcd"));
        dialog->cmdOK->click();
        QVERIFY(!timer || !timer->isActive());
        TestEnv::settle();
        QVERIFY(!dialogOf(env));
        QVERIFY(env.mainWindow()->isVisible());
        QCOMPARE(env.mainWindow()->statusText(), QStringLiteral("Loaded 0 entries"));
    }

    void messagesAreNeverHiddenBehindTheDialog()
    {
        TestEnv env;
        frmPass *dialog = startAtDialog(env, true);
        std::vector<bool> onTopWhileShown;
        env.platform.onMessageBox = [&](const platform::MessageBoxRequest &) {
            onTopWhileShown.push_back(dialog->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        };
        type(dialog->txtPass, QStringLiteral("abc"));
        dialog->cmdOK->click();
        type(dialog->txtPass, QStringLiteral("abcd"));
        type(dialog->txtPass2, QStringLiteral("abce"));
        dialog->cmdOK->click();
        QCOMPARE(onTopWhileShown, (std::vector<bool>{false, false}));
        QVERIFY(dialog->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(dialog->isVisible());
    }

    void wrongPasswordBoxIsNotHiddenEither()
    {
        TestEnv env;
        env.platform.answer({MsgResult::Retry});
        frmPass *dialog = startAtDialog(env, false);
        bool onTopWhileShown = true;
        env.platform.onMessageBox = [&](const platform::MessageBoxRequest &) {
            onTopWhileShown = dialog->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        };
        type(dialog->txtPass, QStringLiteral("wrong"));
        dialog->cmdOK->click();
        QVERIFY(!onTopWhileShown);
        QVERIFY(dialog->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    }

    void setOnTopKeepsAShownWindowShownWhereItWas()
    {
        QWidget window;
        window.setGeometry(100, 120, 200, 80);
        window.show();
        const QPoint where = window.pos();
        for (const bool onTop : {true, false, true}) {
            modOnTop::SetOnTop(&window, onTop);
            QCOMPARE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint), onTop);
            QVERIFY(window.isVisible());
            QCOMPARE(window.pos(), where);
        }
        QWidget hidden;
        modOnTop::SetOnTop(&hidden, true);
        QVERIFY(hidden.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(!hidden.isVisible());
    }
};

QTEST_MAIN(PasswordDialogTest)
#include "tst_PasswordDialog.moc"
