#include "EntryTesting.h"
#include "FocusChain.h"
#include "TestEnv.h"
#include "ui/base/Controls.h"
#include "ui/base/Twips.h"
#include "ui/main/EntryList.h"
#include "ui/main/Form1.h"
#include "ui/main/frmAdd.h"

#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>

#include <map>

using namespace EntryTesting;
using platform::MsgButtons;
using platform::MsgIcon;
using platform::MsgResult;

namespace {

const QString Added = QStringLiteral("Added new entry.  Data saved.");

const std::vector<VaultEntry> ThreeEntries = {{"ann", "a1", "www.ann.example"},
                                              {"bob", "b2", "bob.example.org"},
                                              {"cy", "c3", ""}};

void editAt(Form1 *main, int position)
{
    selectRow(*main->lstPass, position);
    main->cmdEdit_Click();
}

} // namespace

class EntryEditorTest : public QObject
{
    Q_OBJECT

private slots:
    void editorIsLaidOutAsDesigned()
    {
        TestEnv env;
        Form1 *main = startWith(env, {});
        main->cmdAdd_Click(0);
        frmAdd *dialog = editor(env);
        QVERIFY(dialog && dialog->isVisible());
        QCOMPARE(dialog->ScaleWidth(), 6120); // with the generator's column
        QCOMPARE(dialog->ScaleHeight(), 2610);
        QCOMPARE(Twips::rect(dialog->cmdDelete), QRect(3420, 1500, 1155, 1035));
        QCOMPARE(Twips::rect(dialog->cmdAdd), QRect(120, 1500, 1155, 1035));
        QCOMPARE(Twips::rect(dialog->txtUsername), QRect(1320, 60, 3255, 315));
        QCOMPARE(Twips::rect(dialog->txtPassword), QRect(1320, 480, 3255, 315));
        QCOMPARE(Twips::rect(dialog->txtWebsite), QRect(1320, 900, 3255, 315));
        const std::pair<QLabel *, QString> labels[] = {{dialog->SkinLabel1, "Username:"},
                                                       {dialog->SkinLabel2, "Password:"},
                                                       {dialog->SkinLabel3, "Website:"}};
        int top = 120;
        for (const auto &[label, caption] : labels) {
            QCOMPARE(label->text(), caption);
            QCOMPARE(Controls::kindName(label), QStringLiteral("SkinLabel"));
            QCOMPARE(Twips::rect(label), QRect(120, top, 1155, 255));
            QVERIFY(label->font().bold());
            QCOMPARE(label->font().pointSizeF(), 8.25);
            top += 420;
        }
        for (const auto &[button, caption] : {std::pair{dialog->cmdAdd, "Save"},
                                              std::pair{dialog->cmdDelete, "Cancel"}}) {
            QCOMPARE(button->text(), QString::fromLatin1(caption));
            QCOMPARE(button->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
            QCOMPARE(button->icon().pixmap(32, 32).size(), QSize(32, 32));
        }
        QCOMPARE(dialog->txtPassword->echoMode(), QLineEdit::Normal);
        const QString longText(40000, QLatin1Char('x'));
        dialog->txtPassword->setText(longText);
        QCOMPARE(dialog->txtPassword->text(), longText);
    }

    void focusStartsOnCancelAndTabFollowsTheDesign()
    {
        TestEnv env;
        Form1 *main = startWith(env, {});
        main->cmdAdd_Click(0);
        frmAdd *dialog = editor(env);
        QCOMPARE(dialog->focusWidget(), dialog->cmdDelete);
        const QWidget *order[] = {dialog->cmdDelete, dialog->cmdAdd, dialog->txtUsername,
                                  dialog->txtPassword, dialog->txtWebsite};
        for (size_t i = 0; i + 1 < std::size(order); ++i) {
            QCOMPARE(nextTabStop(order[i]), order[i + 1]);
        }
    }

    void addSavesTheEntryAsTyped_data()
    {
        QTest::addColumn<QString>("username");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("location");
        QTest::newRow("ordinary") << "dave" << "d4" << "www.dave.example";
        QTest::newRow("blanks-only username") << "   " << "d4" << "x";
        QTest::newRow("blanks-only password") << "dave" << "  " << "x";
        QTest::newRow("empty location") << "dave" << "d4" << "";
        QTest::newRow("blanks kept at the edges") << " dave " << " d4 " << " here ";
    }

    void addSavesTheEntryAsTyped()
    {
        QFETCH(QString, username);
        QFETCH(QString, password);
        QFETCH(QString, location);
        TestEnv env;
        Form1 *main = startWith(env, ThreeEntries);
        main->cmdAdd_Click(0);
        QCOMPARE(editor(env)->windowTitle(), QStringLiteral("Add an entry"));
        type(editor(env), {username, password, location});
        editor(env)->cmdAdd_Click();
        TestEnv::settle();

        std::vector<VaultEntry> expected = ThreeEntries;
        expected.push_back({username, password, location});
        QCOMPARE(shown(*main->lstPass), texts(expected));
        QCOMPARE(env.vaultBytes(), vaultFile(expected));
        QCOMPARE(main->statusText(), Added);
        QVERIFY(!editor(env));
        QVERIFY(env.platform.messages.empty());
    }

    void theSameEntryCanBeAddedTwice()
    {
        TestEnv env;
        Form1 *main = startWith(env, {});
        addThroughEditor(env, {"eve", "e5", "here"});
        addThroughEditor(env, {"eve", "e5", "here"});
        QCOMPARE(env.vaultBytes(), vaultFile({{"eve", "e5", "here"}, {"eve", "e5", "here"}}));
        QCOMPARE(main->lstPass->count(), 2);
    }

    void emptyFieldsAreRefusedFirstUsernameThenPassword_data()
    {
        QTest::addColumn<QString>("username");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("byEnterKey");
        QTest::newRow("both empty") << "" << "" << "You must enter a username" << false;
        QTest::newRow("username empty") << "" << "p" << "You must enter a username" << false;
        QTest::newRow("password empty") << "u" << "" << "You must enter a password" << false;
        QTest::newRow("both empty, Enter") << "" << "" << "You must enter a username" << true;
        QTest::newRow("password empty, Enter") << "u" << "" << "You must enter a password" << true;
    }

    void emptyFieldsAreRefusedFirstUsernameThenPassword()
    {
        QFETCH(QString, username);
        QFETCH(QString, password);
        QFETCH(QString, message);
        QFETCH(bool, byEnterKey);
        TestEnv env;
        Form1 *main = startWith(env, ThreeEntries);
        main->SetStatus(QStringLiteral("before"));
        const QByteArray before = env.vaultBytes();
        main->cmdAdd_Click(0);
        type(editor(env), {username, password, "somewhere"});
        if (byEnterKey)
            QTest::keyClick(editor(env)->txtWebsite, Qt::Key_Return);
        else
            editor(env)->cmdAdd_Click();
        TestEnv::settle();

        QCOMPARE(env.platform.messages.size(), size_t(1));
        const platform::MessageBoxRequest &shownBox = env.platform.messages.front();
        QCOMPARE(shownBox.text, message);
        QCOMPARE(shownBox.title, QStringLiteral("Error"));
        QCOMPARE(shownBox.buttons, MsgButtons::Ok);
        QCOMPARE(shownBox.icon, MsgIcon::None);
        QVERIFY(editor(env) && editor(env)->isVisible());
        QCOMPARE(editor(env)->txtWebsite->text(), QStringLiteral("somewhere"));
        QCOMPARE(main->lstPass->count(), 3);
        QCOMPARE(env.vaultBytes(), before);
        QCOMPARE(main->statusText(), QStringLiteral("before"));
    }

    void enterSavesOnlyFromTheLocationBox_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<bool>("saves");
        QTest::newRow("username box") << "txtUsername" << false;
        QTest::newRow("password box") << "txtPassword" << false;
        QTest::newRow("location box") << "txtWebsite" << true;
    }

    void enterSavesOnlyFromTheLocationBox()
    {
        QFETCH(QString, box);
        QFETCH(bool, saves);
        TestEnv env;
        Form1 *main = startWith(env, {});
        main->cmdAdd_Click(0);
        type(editor(env), {"fay", "f6", "www.fay.example"});
        auto *target = editor(env)->findChild<QLineEdit *>(box);
        QVERIFY(target);
        QTest::keyClick(target, Qt::Key_Return);
        TestEnv::settle();

        QCOMPARE(main->lstPass->count(), saves ? 1 : 0);
        const std::vector<VaultEntry> saved = {{"fay", "f6", "www.fay.example"}};
        QCOMPARE(env.vaultBytes(), vaultFile(saves ? saved : std::vector<VaultEntry>{}));
        QCOMPARE(editor(env) != nullptr, !saves);
        QCOMPARE(main->statusText() == Added, saves);
    }

    void editFillsTheBoxesAndChangesTheRowInPlace()
    {
        TestEnv env;
        Form1 *main = startWith(env, ThreeEntries);
        editAt(main, 2);
        frmAdd *dialog = editor(env);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Edit an entry"));
        QCOMPARE(dialog->txtUsername->text(), QStringLiteral("bob"));
        QCOMPARE(dialog->txtPassword->text(), QStringLiteral("b2"));
        QCOMPARE(dialog->txtWebsite->text(), QStringLiteral("bob.example.org"));
        QVERIFY(dialog->request().EditMode == EditRequest::Mode::Edit);
        QCOMPARE(dialog->request().EditRow, 2);

        type(dialog, {"robert", "new pass", ""});
        dialog->cmdAdd_Click();
        TestEnv::settle();

        const std::vector<VaultEntry> expected = {ThreeEntries[0], {"robert", "new pass", ""},
                                                  ThreeEntries[2]};
        QCOMPARE(shown(*main->lstPass), texts(expected));
        QCOMPARE(env.vaultBytes(), vaultFile(expected));
        QCOMPARE(main->statusText(), Added);
        QVERIFY(!editor(env));
    }

    void editWithNothingSelectedOpensNothing()
    {
        TestEnv env;
        Form1 *main = startWith(env, ThreeEntries);
        main->mnuDataItem[2]->trigger();
        QCOMPARE(main->statusText(), QStringLiteral("You must first select an entry to edit."));
        QVERIFY(!editor(env));
    }

    void editAfterASortEditsTheChosenEntry()
    {
        TestEnv env;
        Form1 *main = startWith(env, ThreeEntries);
        main->lstPass_ColumnClick(1); // descending by username: cy, bob, ann
        QCOMPARE(usernames(*main->lstPass), (QStringList{"cy", "bob", "ann"}));
        editAt(main, 3);
        QCOMPARE(editor(env)->txtUsername->text(), QStringLiteral("ann"));
        QCOMPARE(editor(env)->request().EditRow, 3);
        editor(env)->txtPassword->setText(QStringLiteral("changed"));
        editor(env)->cmdAdd_Click();

        QCOMPARE(env.vaultBytes(), vaultFile({ThreeEntries[2], ThreeEntries[1],
                                              {"ann", "changed", "www.ann.example"}}));
    }

    void cancelAndTheCloseBoxChangeNothing_data()
    {
        QTest::addColumn<bool>("closeBox");
        QTest::addColumn<bool>("editMode");
        QTest::newRow("Cancel, edit") << false << true;
        QTest::newRow("close box, edit") << true << true;
        QTest::newRow("Cancel, add") << false << false;
        QTest::newRow("close box, add") << true << false;
    }

    void cancelAndTheCloseBoxChangeNothing()
    {
        QFETCH(bool, closeBox);
        QFETCH(bool, editMode);
        TestEnv env;
        Form1 *main = startWith(env, ThreeEntries);
        main->SetStatus(QStringLiteral("before"));
        const QByteArray before = env.vaultBytes();
        if (editMode)
            editAt(main, 1);
        else
            main->cmdAdd_Click(0);
        type(editor(env), {"typed", "typed", "typed"});
        if (closeBox)
            editor(env)->close();
        else
            QTest::mouseClick(editor(env)->cmdDelete, Qt::LeftButton);
        TestEnv::settle();

        QVERIFY(!editor(env));
        QCOMPARE(shown(*main->lstPass), texts(ThreeEntries));
        QCOMPARE(env.vaultBytes(), before);
        QCOMPARE(main->statusText(), QStringLiteral("before"));

        main->cmdAdd_Click(0);
        QCOMPARE(editor(env)->windowTitle(), QStringLiteral("Add an entry"));
        QCOMPARE(editor(env)->txtUsername->text(), QString());
        QCOMPARE(editor(env)->txtPassword->text(), QString());
        QCOMPARE(editor(env)->txtWebsite->text(), QString());
    }

    void addOrEditWhileOpenShowsTheNewRequest()
    {
        TestEnv env;
        Form1 *main = startWith(env, ThreeEntries);
        editAt(main, 1);
        frmAdd *dialog = editor(env);
        main->cmdAdd_Click(0);
        QCOMPARE(editor(env), dialog); // the same window, brought forward
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Add an entry"));
        QCOMPARE(dialog->txtUsername->text(), QString());

        editAt(main, 3);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Edit an entry"));
        QCOMPARE(dialog->txtUsername->text(), QStringLiteral("cy"));
        QCOMPARE(dialog->txtPassword->text(), QStringLiteral("c3"));

        main->cmdAdd_Click(0);
        type(dialog, {"dora", "d4", ""});
        dialog->cmdAdd_Click();
        std::vector<VaultEntry> expected = ThreeEntries;
        expected.push_back({"dora", "d4", ""});
        QCOMPARE(env.vaultBytes(), vaultFile(expected));
    }

    void theEditorFollowsItsEntry_data()
    {
        QTest::addColumn<bool>("sortFirst");
        QTest::addColumn<QString>("deleted");
        QTest::addColumn<int>("rowAfterwards");
        QTest::addColumn<QStringList>("savedOrder");
        QTest::newRow("sorted") << true << QString() << 3 << QStringList{"dee", "cy", "bob", "ann"};
        QTest::newRow("row above deleted") << false << "ann" << 1 << QStringList{"bob", "dee", "cy"};
        QTest::newRow("row below deleted") << false << "cy" << 2 << QStringList{"ann", "bob", "dee"};
        QTest::newRow("sorted, then row above deleted")
                << true << "dee" << 2 << QStringList{"cy", "bob", "ann"};
        QTest::newRow("sorted, then row below deleted")
                << true << "ann" << 3 << QStringList{"dee", "cy", "bob"};
    }

    void theEditorFollowsItsEntry()
    {
        QFETCH(bool, sortFirst);
        QFETCH(QString, deleted);
        QFETCH(int, rowAfterwards);
        QFETCH(QStringList, savedOrder);
        const std::map<QString, VaultEntry> byName = {{"ann", {"ann", "a1", ""}},
                                                      {"bob", {"bob", "b2", ""}},
                                                      {"cy", {"cy", "c3", ""}},
                                                      {"dee", {"dee", "d4", ""}}};
        TestEnv env;
        Form1 *main = startWith(env, {byName.at("ann"), byName.at("bob"), byName.at("dee"),
                                      byName.at("cy")});
        editAt(main, 2); // bob
        if (sortFirst)
            main->lstPass_ColumnClick(1); // dee, cy, bob, ann
        if (!deleted.isEmpty()) {
            selectRow(*main->lstPass, positionOf(*main->lstPass, deleted));
            env.platform.answer({MsgResult::Ok});
            main->cmdDelete_Click();
        }
        QCOMPARE(editor(env)->request().EditRow, rowAfterwards);
        QCOMPARE(main->lstPass->item(rowAfterwards).Username, QStringLiteral("bob"));

        editor(env)->txtPassword->setText(QStringLiteral("bob's new"));
        editor(env)->cmdAdd_Click();
        std::vector<VaultEntry> expected;
        for (const QString &name : savedOrder)
            expected.push_back(byName.at(name));
        std::find_if(expected.begin(), expected.end(), [](const VaultEntry &entry) {
            return entry.Username == "bob";
        })->Password = QStringLiteral("bob's new");
        QCOMPARE(shown(*main->lstPass), texts(expected));
        QCOMPARE(env.vaultBytes(), vaultFile(expected));
    }

    void savingAnEntryDeletedMeanwhileAsksFirst_data()
    {
        QTest::addColumn<MsgResult>("answer");
        QTest::newRow("OK adds it") << MsgResult::Ok;
        QTest::newRow("Cancel goes back") << MsgResult::Cancel;
    }

    void savingAnEntryDeletedMeanwhileAsksFirst()
    {
        QFETCH(MsgResult, answer);
        TestEnv env;
        Form1 *main = startWith(env, ThreeEntries);
        editAt(main, 2); // bob
        env.platform.answer({MsgResult::Ok});
        main->cmdDelete_Click();
        const QByteArray afterDelete = env.vaultBytes();
        env.platform.messages.clear();

        type(editor(env), {"bobby", "b9", "new"});
        env.platform.answer({answer});
        editor(env)->cmdAdd_Click();
        TestEnv::settle();

        QCOMPARE(env.platform.messages.size(), size_t(1));
        const platform::MessageBoxRequest &asked = env.platform.messages.front();
        QCOMPARE(asked.buttons, MsgButtons::OkCancel);
        QCOMPARE(asked.title, QStringLiteral("Entry Deleted"));
        QVERIFY(asked.text.contains(QStringLiteral("deleted")));
        QVERIFY(asked.text.contains(QStringLiteral("new entry")));
        if (answer == MsgResult::Ok) {
            QCOMPARE(env.vaultBytes(), vaultFile({ThreeEntries[0], ThreeEntries[2],
                                                  {"bobby", "b9", "new"}}));
            QCOMPARE(main->statusText(), Added);
            QVERIFY(!editor(env));
        } else {
            QCOMPARE(env.vaultBytes(), afterDelete);
            QCOMPARE(main->lstPass->count(), 2);
            QVERIFY(editor(env) && editor(env)->isVisible());
            QCOMPARE(editor(env)->txtUsername->text(), QStringLiteral("bobby"));
        }
    }

    void textTheVaultCannotStoreIsRefused_data()
    {
        QTest::addColumn<QString>("username");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("location");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("reasonPart");
        QTest::newRow("separator in username") << "a|||b" << "p" << "" << "Username" << "|||";
        QTest::newRow("outside the code page") << "u" << "p\u4e2d" << "" << "Password" << "U+4E2D";
        QTest::newRow("NUL") << "u" << "p" << QString(QChar(0)) << "Website" << "NUL";
        QTest::newRow("U+008D") << "u" << "p" << QString(QChar(0x8d)) << "Website" << "U+008D";
    }

    void textTheVaultCannotStoreIsRefused()
    {
        QFETCH(QString, username);
        QFETCH(QString, password);
        QFETCH(QString, location);
        QFETCH(QString, box);
        QFETCH(QString, reasonPart);
        TestEnv env;
        Form1 *main = startWith(env, ThreeEntries);
        main->SetStatus(QStringLiteral("before"));
        const QByteArray before = env.vaultBytes();
        main->cmdAdd_Click(0);
        type(editor(env), {username, password, location});
        editor(env)->cmdAdd_Click();
        TestEnv::settle();

        QCOMPARE(env.platform.messages.size(), size_t(1));
        const platform::MessageBoxRequest &refusal = env.platform.messages.front();
        QCOMPARE(refusal.title, QStringLiteral("Error"));
        QCOMPARE(refusal.buttons, MsgButtons::Ok);
        QVERIFY2(refusal.text.contains(box), qPrintable(refusal.text));
        QVERIFY2(refusal.text.contains(reasonPart), qPrintable(refusal.text));
        QCOMPARE(main->lstPass->count(), 3);
        QCOMPARE(env.vaultBytes(), before);
        QCOMPARE(main->statusText(), QStringLiteral("before"));
        QVERIFY(editor(env) && editor(env)->isVisible());
    }

    void aFailedSaveWritesNoSuccessText_data()
    {
        QTest::addColumn<bool>("editMode");
        QTest::newRow("add") << false;
        QTest::newRow("edit") << true;
    }

    void aFailedSaveWritesNoSuccessText()
    {
        QFETCH(bool, editMode);
        TestEnv env;
        Form1 *main = startWith(env, ThreeEntries);
        replaceVaultWithFolder(env);
        if (editMode)
            editAt(main, 1);
        else
            main->cmdAdd_Click(0);
        type(editor(env), {"gus", "g7", ""});
        editor(env)->cmdAdd_Click();
        TestEnv::settle();

        QVERIFY(main->statusText() != Added);
        QVERIFY(!main->statusText().isEmpty());
        QVERIFY(!env.platform.messages.empty());
        QCOMPARE(env.platform.messages.back().title, QStringLiteral("Error"));
        // The change stays in the list, so the next save writes it.
        QCOMPARE(main->lstPass->item(editMode ? 1 : 4).Username, QStringLiteral("gus"));
    }

    void closingTheMainWindowClosesTheEditor()
    {
        TestEnv env;
        Form1 *main = startWith(env, {});
        main->cmdAdd_Click(0);
        QVERIFY(editor(env));
        main->mnuFileItem[0]->trigger();
        QVERIFY(!env.ctx().windows.IsLoaded<frmAdd>());
    }
};

QTEST_MAIN(EntryEditorTest)
#include "tst_EntryEditor.moc"
