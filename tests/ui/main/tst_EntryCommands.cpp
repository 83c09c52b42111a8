#include "EntryTesting.h"
#include "TestEnv.h"
#include "ui/main/EntryList.h"
#include "ui/base/StatusBar.h"
#include "ui/main/Form1.h"

#include <QAction>
#include <QLabel>
#include <QTextDocument>
#include <QTest>
#include <QToolButton>

using namespace EntryTesting;
using platform::MsgButtons;
using platform::MsgIcon;
using platform::MsgResult;

namespace {

const std::vector<VaultEntry> ThreeEntries = {{"ann", "a1", "www.ann.example"},
                                              {"bob", "b2", "Sandviken"},
                                              {"cy", "c3", ""}};

Form1 *startWithSelected(TestEnv &env, const std::vector<VaultEntry> &entries, int position)
{
    Form1 *main = startWith(env, entries);
    if (position > 0)
        selectRow(*main->lstPass, position);
    return main;
}

} // namespace

class EntryCommandsTest : public QObject
{
    Q_OBJECT

private slots:
    void deleteAsksThenRemovesOrKeeps_data()
    {
        QTest::addColumn<MsgResult>("answer");
        QTest::addColumn<bool>("byMenu");
        QTest::newRow("OK") << MsgResult::Ok << false;
        QTest::newRow("Cancel") << MsgResult::Cancel << false;
        QTest::newRow("OK, menu") << MsgResult::Ok << true;
        QTest::newRow("Cancel, menu") << MsgResult::Cancel << true;
    }

    void deleteAsksThenRemovesOrKeeps()
    {
        QFETCH(MsgResult, answer);
        QFETCH(bool, byMenu);
        TestEnv env;
        Form1 *main = startWithSelected(env, ThreeEntries, 1);
        const QByteArray before = env.vaultBytes();
        env.platform.answer({answer});
        if (byMenu)
            main->mnuDataItem[1]->trigger();
        else
            QTest::mouseClick(main->cmdDelete, Qt::LeftButton);

        QCOMPARE(env.platform.messages.size(), size_t(1));
        const platform::MessageBoxRequest &asked = env.platform.messages.front();
        QCOMPARE(asked.text, QStringLiteral("Are you sure you want to delete the following "
                                            "information?\r\n\r\nUsername: ann\r\nPassword: "
                                            "a1\r\nUsed At: www.ann.example"));
        QCOMPARE(asked.title, QStringLiteral("Confirm Delete"));
        QCOMPARE(asked.buttons, MsgButtons::OkCancel);
        QCOMPARE(asked.icon, MsgIcon::None);
        if (answer == MsgResult::Ok) {
            QCOMPARE(env.vaultBytes(), vaultFile({ThreeEntries[1], ThreeEntries[2]}));
            QCOMPARE(shown(*main->lstPass), texts({ThreeEntries[1], ThreeEntries[2]}));
            QCOMPARE(main->statusText(), QStringLiteral("Entry deleted successfully, data saved."));
        } else {
            QCOMPARE(env.vaultBytes(), before);
            QCOMPARE(shown(*main->lstPass), texts(ThreeEntries));
            QCOMPARE(main->statusText(), QStringLiteral("Entry not deleted, cancelled by user"));
        }
    }

    void deletingTheLastEntryLeavesAnEmptyVault()
    {
        TestEnv env;
        Form1 *main = startWithSelected(env, {{"solo", "s1", ""}}, 1);
        env.platform.answer({MsgResult::Ok});
        main->cmdDelete_Click();
        QCOMPARE(main->lstPass->count(), 0);
        QCOMPARE(env.vaultBytes(), vaultFile({}));
        QCOMPARE(env.platform.messages.front().text,
                 QStringLiteral("Are you sure you want to delete the following information?"
                                "\r\n\r\nUsername: solo\r\nPassword: s1\r\nUsed At: "));
    }

    void deleteWithAFailedSaveWritesNoSuccessText()
    {
        TestEnv env;
        Form1 *main = startWithSelected(env, ThreeEntries, 2);
        replaceVaultWithFolder(env);
        env.platform.answer({MsgResult::Ok});
        main->cmdDelete_Click();
        QVERIFY(main->statusText() != QStringLiteral("Entry deleted successfully, data saved."));
        QCOMPARE(env.platform.messages.back().title, QStringLiteral("Error"));
    }

    void commandsWithNothingSelectedOnlySaySo_data()
    {
        QTest::addColumn<int>("dataMenuItem");
        QTest::addColumn<QString>("status");
        QTest::newRow("Delete") << 1 << "You must first select an entry to delete.";
        QTest::newRow("Edit") << 2 << "You must first select an entry to edit.";
        QTest::newRow("Go To") << 3 << "You must first select an entry to go to.";
    }

    void commandsWithNothingSelectedOnlySaySo()
    {
        QFETCH(int, dataMenuItem);
        QFETCH(QString, status);
        TestEnv env;
        Form1 *main = startWithSelected(env, ThreeEntries, 0);
        const QByteArray before = env.vaultBytes();
        main->mnuDataItem[static_cast<size_t>(dataMenuItem)]->trigger();
        QCOMPARE(main->statusText(), status);
        QVERIFY(env.platform.messages.empty());
        QVERIFY(env.platform.launches.empty());
        QCOMPARE(main->lstPass->count(), 3);
        QCOMPARE(env.vaultBytes(), before);
    }

    void copyPutsTheFieldOnTheClipboard_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<bool>("byMenu");
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<QString>("status");
        QTest::newRow("username") << 0 << false << "bob" << "Copied Username bob";
        QTest::newRow("password") << 1 << false << "b2" << "Copied Password b2";
        QTest::newRow("location") << 2 << false << "Sandviken" << "Copied Location Sandviken";
        QTest::newRow("username, menu") << 0 << true << "bob" << "Copied Username bob";
        QTest::newRow("password, menu") << 1 << true << "b2" << "Copied Password b2";
        QTest::newRow("location, menu") << 2 << true << "Sandviken" << "Copied Location Sandviken";
    }

    void copyPutsTheFieldOnTheClipboard()
    {
        QFETCH(int, index);
        QFETCH(bool, byMenu);
        QFETCH(QString, clipboard);
        QFETCH(QString, status);
        TestEnv env;
        Form1 *main = startWithSelected(env, ThreeEntries, 2);
        env.platform.clipboard = QStringLiteral("an older secret");
        if (byMenu)
            main->mnuCopyItem[static_cast<size_t>(index)]->trigger();
        else
            QTest::mouseClick(main->cmdCopy[static_cast<size_t>(index)], Qt::LeftButton);
        QCOMPARE(env.platform.clipboardClears, 1);
        QCOMPARE(env.platform.clipboard, clipboard);
        QCOMPARE(main->statusText(), status);
    }

    void copyWithNothingSelectedEmptiesTheClipboard_data()
    {
        QTest::addColumn<int>("index");
        QTest::newRow("username") << 0;
        QTest::newRow("password") << 1;
        QTest::newRow("location") << 2;
    }

    void copyWithNothingSelectedEmptiesTheClipboard()
    {
        QFETCH(int, index);
        TestEnv env;
        Form1 *main = startWithSelected(env, ThreeEntries, 0);
        env.platform.clipboard = QStringLiteral("an older secret");
        main->cmdCopy_Click(index);
        QCOMPARE(env.platform.clipboardClears, 1);
        QCOMPARE(env.platform.clipboard, QString());
        QCOMPARE(main->statusText(), QStringLiteral("You must first select a row to copy from."));
    }

    void copyOfAnEmptyFieldCopiesEmptyText()
    {
        TestEnv env;
        Form1 *main = startWithSelected(env, ThreeEntries, 3);
        env.platform.clipboard = QStringLiteral("an older secret");
        main->cmdCopy_Click(2);
        QCOMPARE(env.platform.clipboard, QString());
        QCOMPARE(main->statusText(), QStringLiteral("Copied Location "));
    }

    void copiedTextIsTakenBackUnlessTheUserCopiedSince_data()
    {
        QTest::addColumn<bool>("userCopiesLater");
        QTest::addColumn<bool>("atProgramEnd");
        QTest::addColumn<QString>("clipboardAfter");
        QTest::newRow("after the delay") << false << false << "";
        QTest::newRow("after the delay, user's copy kept") << true << false << "user text";
        QTest::newRow("at program end") << false << true << "";
        QTest::newRow("at program end, user's copy kept") << true << true << "user text";
    }

    void copiedTextIsTakenBackUnlessTheUserCopiedSince()
    {
        QFETCH(bool, userCopiesLater);
        QFETCH(bool, atProgramEnd);
        QFETCH(QString, clipboardAfter);
        TestEnv env;
        Form1 *main = startWithSelected(env, ThreeEntries, 2);
        QCOMPARE(env.ctx().clipboard.delay(), std::chrono::milliseconds(10000));
        if (!atProgramEnd)
            env.ctx().clipboard.setDelay(std::chrono::milliseconds(1));
        main->cmdCopy_Click(1);
        QCOMPARE(env.platform.clipboard, QStringLiteral("b2"));
        if (userCopiesLater)
            env.platform.clipboard = QStringLiteral("user text");
        if (atProgramEnd)
            env.context.reset();
        else
            QTRY_VERIFY(!env.ctx().clipboard.isPending());
        QCOMPARE(env.platform.clipboard, clipboardAfter);
    }

    void statusLineShowsMarkupAsTyped()
    {
        const QString password = QStringLiteral("<b>Pa</b>ss<!--x-->word<img width=3000 height=3000>");
        TestEnv env;
        Form1 *main = startWithSelected(env, {{"u", password, "x"}}, 1);
        main->cmdCopy_Click(1);
        auto *panel = main->StatusBar1->findChild<QLabel *>();
        QCOMPARE(panel->textFormat(), Qt::PlainText);
        QCOMPARE(panel->text(), QStringLiteral("Copied Password ") + password);
        QVERIFY(panel->sizeHint().height() < 100); // no image drawn
    }

    void listToolTipsNeverShowPasswordsAndShowMarkupAsTyped()
    {
        const QString markup = QStringLiteral("<b>ann</b>");
        TestEnv env;
        Form1 *main = startWith(env, {{markup, "secret", "www.ann.example"}});
        const QAbstractItemModel *model = main->lstPass->model();
        QVERIFY(!model->index(0, 1).data(Qt::ToolTipRole).isValid());
        QTextDocument shown;
        shown.setHtml(model->index(0, 0).data(Qt::ToolTipRole).toString());
        QCOMPARE(shown.toPlainText(), markup);
        shown.setHtml(model->index(0, 2).data(Qt::ToolTipRole).toString());
        QCOMPARE(shown.toPlainText(), QStringLiteral("www.ann.example"));
    }

    void goToHandsTheLauncherAnAddressNeverAnOption_data()
    {
        QTest::addColumn<QString>("location");
        QTest::addColumn<QString>("argument"); // empty: nothing launched
        QTest::addColumn<QString>("status");
        const QString refused = QStringLiteral("Could not open the location: it begins with \"-\", "
                                               "which the opening program would take as an option.");
        QTest::newRow("-x") << "-x" << "" << refused;
        QTest::newRow("--help") << "--help" << "" << refused;
        QTest::newRow("path with spaces") << "{folder}/my notes.txt"
                                          << "file://{folder}/my%20notes.txt" << "Opening Location...";
        QTest::newRow("file URL") << "file:///tmp/a b.txt" << "file:///tmp/a b.txt" << "Opening Location...";
        QTest::newRow("empty") << "" << "/home/user" << "Opening Location...";
    }

    void goToHandsTheLauncherAnAddressNeverAnOption()
    {
        QFETCH(QString, location);
        QFETCH(QString, argument);
        QFETCH(QString, status);
        TestEnv env;
        location.replace(QStringLiteral("{folder}"), env.folder.path());
        argument.replace(QStringLiteral("{folder}"), env.folder.path());
        if (location.startsWith(env.folder.path())) {
            QFile file(location);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        Form1 *main = startWithSelected(env, {{"u", "p", location}}, 1);
        main->cmdGoto_Click();
        QCOMPARE(main->statusText(), status);
        if (argument.isEmpty()) {
            QVERIFY(env.platform.launches.empty());
            return;
        }
        QCOMPARE(env.platform.launches.size(), size_t(1));
        QCOMPARE(env.platform.launches.front().arguments, QStringList{argument});
    }

    void goToReportsALauncherThatFailsLater()
    {
        TestEnv env;
        Form1 *main = startWithSelected(env, ThreeEntries, 2);
        main->cmdGoto_Click();
        QCOMPARE(main->statusText(), QStringLiteral("Opening Location..."));
        env.platform.launches.front().failLater(QStringLiteral("the file or folder does not exist."));
        QCOMPARE(main->statusText(),
                 QStringLiteral("Could not open the location: the file or folder does not exist."));
    }

    void goToOpensTheLocation_data()
    {
        QTest::addColumn<QString>("location");
        QTest::addColumn<QString>("address");
        QTest::newRow("www without scheme") << "www.example.com" << "http://www.example.com";
        QTest::newRow("capital letters") << "WWW.EXAMPLE.COM" << "http://WWW.EXAMPLE.COM";
        QTest::newRow("https in capitals") << "HTTPS://x" << "HTTPS://x";
        QTest::newRow("http already") << "http://a.example.net" << "http://a.example.net";
        QTest::newRow("place name with org") << "Georgetown" << "http://Georgetown";
        QTest::newRow("place name with biz") << "Bizerte" << "http://Bizerte";
        QTest::newRow(".edu host") << "uni.edu" << "http://uni.edu";
        QTest::newRow(".net host") << "files.net" << "http://files.net";
        QTest::newRow("net without a dot") << "intranet" << "intranet";
        QTest::newRow("file path") << "/home/me/notes.txt" << "/home/me/notes.txt";
        QTest::newRow("windows path") << "C:\\Users\\me\\notes.txt" << "C:\\Users\\me\\notes.txt";
        QTest::newRow("blank") << " " << " ";
        QTest::newRow("mailto") << "mailto:x@example.com" << "mailto:x@example.com";
        QTest::newRow("ftp") << "ftp://files.example.com" << "ftp://files.example.com";
        QTest::newRow("scheme in capitals, digits and +") << "SVN+SSH2://repo.example.org" << "SVN+SSH2://repo.example.org";
        QTest::newRow("host and port is no scheme") << "www.example.com:8080/login" << "http://www.example.com:8080/login";
        QTest::newRow("drive letter is no scheme") << "c:\\www\\site.com" << "http://c:\\www\\site.com";
    }

    void goToOpensTheLocation()
    {
        QFETCH(QString, location);
        QFETCH(QString, address);
        TestEnv env;
        Form1 *main = startWithSelected(env, {{"u", "p", location}}, 1);
        QTest::mouseClick(main->cmdGoto, Qt::LeftButton);
        QCOMPARE(main->statusText(), QStringLiteral("Opening Location..."));
        QCOMPARE(env.platform.launches.size(), size_t(1));
        QCOMPARE(env.platform.launches.front().program, QStringLiteral("xdg-open"));
        QCOMPARE(env.platform.launches.front().arguments, QStringList{address});
    }

    void goToAnEmptyLocationOpensTheHomeFolder()
    {
        TestEnv env;
        Form1 *main = startWithSelected(env, ThreeEntries, 3);
        main->mnuDataItem[3]->trigger();
        QCOMPARE(main->statusText(), QStringLiteral("Opening Location..."));
        QCOMPARE(env.platform.launches.size(), size_t(1));
        // What the platform hands back for an empty address: its file manager on the home folder.
        QCOMPARE(env.platform.launches.front().program, QStringLiteral("xdg-open"));
        QCOMPARE(env.platform.launches.front().arguments, QStringList{"/home/user"});
    }

    void goToSaysSoWhenNothingCouldBeStarted()
    {
        TestEnv env;
        Form1 *main = startWithSelected(env, ThreeEntries, 1);
        env.platform.launchesSucceed = false;
        main->cmdGoto_Click();
        QVERIFY2(main->statusText().startsWith(QStringLiteral("Could not open the location")),
                 qPrintable(main->statusText()));
        QVERIFY(main->statusText().contains(QStringLiteral("xdg-open")));
    }

    void commandsWorkOnTheFirstSelectedRowAfterASort()
    {
        TestEnv env;
        Form1 *main = startWith(env, ThreeEntries);
        main->lstPass_ColumnClick(2); // by password, descending: cy, bob, ann
        selectRow(*main->lstPass, 1);
        main->cmdCopy_Click(0);
        QCOMPARE(env.platform.clipboard, QStringLiteral("cy"));
        env.platform.answer({MsgResult::Ok});
        main->cmdDelete_Click();
        QCOMPARE(env.vaultBytes(), vaultFile({ThreeEntries[1], ThreeEntries[0]}));
    }

    void hiddenPasswordsShowBulletsButCopyTheRealOne()
    {
        TestEnv env;
        Form1 *main = startWithSelected(env, {{"ann", "a", "x"}, {"bob", "a-much-longer-password", "y"}}, 2);
        main->mnuHidePasswords->trigger();
        const QAbstractItemModel *shownRows = main->lstPass->model();
        const QString bullets(8, QChar(0x2022));
        for (int row = 0; row < 2; ++row) {
            QCOMPARE(shownRows->index(row, 1).data().toString(), bullets);
            QVERIFY(shownRows->index(row, 1).data(Qt::ToolTipRole).isNull());
        }
        main->mnuCopyItem[1]->trigger();
        QCOMPARE(env.platform.clipboard, QStringLiteral("a-much-longer-password"));
        QCOMPARE(main->statusText(), QStringLiteral("Copied Password ") + bullets);
        QCOMPARE(env.platform.settings[FakePlatform::settingKey("Keyholder", "Settings", "hidePasswords")],
                 QStringLiteral("1"));

        main->mnuHidePasswords->trigger();
        QCOMPARE(shownRows->index(0, 1).data().toString(), QStringLiteral("a"));
    }

    void keysInTheListRunTheirCommands_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("boxTitle");
        QTest::addColumn<QString>("editorTitle");
        QTest::newRow("Delete") << int(Qt::Key_Delete) << "Confirm Delete" << "";
        QTest::newRow("Enter") << int(Qt::Key_Return) << "" << "Edit an entry";
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << "" << "Edit an entry";
    }

    void keysInTheListRunTheirCommands()
    {
        QFETCH(int, key);
        QFETCH(QString, boxTitle);
        QFETCH(QString, editorTitle);
        TestEnv env;
        Form1 *main = startWithSelected(env, ThreeEntries, 2);
        QTest::keyClick(main->lstPass, Qt::Key(key));
        QCOMPARE(env.platform.messages.empty() ? QString() : env.platform.messages.front().title, boxTitle);
        QCOMPARE(editor(env) ? editor(env)->windowTitle() : QString(), editorTitle);
        if (editor(env))
            QCOMPARE(editor(env)->txtUsername->text(), QStringLiteral("bob"));
    }

    void aDoubleClickEditsTheEntry()
    {
        TestEnv env;
        Form1 *main = startWithSelected(env, ThreeEntries, 3);
        const QPoint cy = main->lstPass->visualRect(main->lstPass->model()->index(2, 0)).center();
        QTest::mousePress(main->lstPass->viewport(), Qt::LeftButton, {}, cy);
        QTest::mouseRelease(main->lstPass->viewport(), Qt::LeftButton, {}, cy);
        QTest::mouseDClick(main->lstPass->viewport(), Qt::LeftButton, {}, cy);
        QVERIFY(editor(env));
        QCOMPARE(editor(env)->txtUsername->text(), QStringLiteral("cy"));
    }
};

QTEST_MAIN(EntryCommandsTest)
#include "tst_EntryCommands.moc"
