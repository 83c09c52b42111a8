#include "EntryTesting.h"
#include "TestEnv.h"
#include "ui/main/EntryList.h"
#include "vault/EntryListModel.h"
#include "ui/main/Form1.h"
#include "ui/main/modListViewEnh.h"

#include <QHeaderView>
#include <QTest>

using namespace EntryTesting;
using platform::MsgButtons;
using platform::MsgIcon;

namespace {

// Each column orders the entries differently.
const std::vector<VaultEntry> Mixed = {{"bob", "zeta", "Alpha.example"},
                                       {"Ann", "alpha", "charlie.example"},
                                       {"carl", "Mid", "bravo.example"}};

constexpr int Ascending = EntryListModel::Ascending;
constexpr int Descending = EntryListModel::Descending;

void clickHeader(Form1 *main, int index)
{
    const int section = index - 1;
    QHeaderView *header = main->lstPass->header();
    const QPoint centre(header->sectionViewportPosition(section) + header->sectionSize(section) / 2,
                        header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, centre);
}

} // namespace

class ColumnSortTest : public QObject
{
    Q_OBJECT

private slots:
    void twoClicksOnAColumnGiveOppositeOrders_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QStringList>("descending");
        QTest::newRow("Username") << 1 << QStringList{"carl", "bob", "Ann"};
        QTest::newRow("Password") << 2 << QStringList{"bob", "carl", "Ann"};
        QTest::newRow("Website/Location") << 3 << QStringList{"Ann", "carl", "bob"};
    }

    void twoClicksOnAColumnGiveOppositeOrders()
    {
        QFETCH(int, column);
        QFETCH(QStringList, descending);
        TestEnv env;
        Form1 *main = startWith(env, Mixed);
        EntryList &list = *main->lstPass;
        QCOMPARE(list.SortOrder(), Ascending);

        clickHeader(main, column);
        QCOMPARE(usernames(list), descending);
        QVERIFY(list.Sorted());
        QCOMPARE(list.SortKey(), column - 1);
        QCOMPARE(list.SortOrder(), Descending);

        clickHeader(main, column);
        QStringList ascending = descending;
        std::reverse(ascending.begin(), ascending.end());
        QCOMPARE(usernames(list), ascending);
        QCOMPARE(list.SortOrder(), Ascending);
        QVERIFY(list.Sorted());
    }

    void theOrderFlipsWhicheverColumnIsClicked()
    {
        TestEnv env;
        Form1 *main = startWith(env, Mixed);
        EntryList &list = *main->lstPass;
        clickHeader(main, 1); // descending by username
        clickHeader(main, 2); // ascending by password
        QCOMPARE(usernames(list), (QStringList{"Ann", "carl", "bob"}));
        QCOMPARE(list.SortKey(), 1);
        QCOMPARE(list.SortOrder(), Ascending);
        clickHeader(main, 3); // descending by location
        QCOMPARE(usernames(list), (QStringList{"Ann", "carl", "bob"}));
        QCOMPARE(list.SortOrder(), Descending);
    }

    void theFirstClickFlipsWhateverOrderTheListHas()
    {
        TestEnv env;
        Form1 *main = startWith(env, Mixed);
        main->lstPass->setSortSettings(main->lstPass->Sorted(), main->lstPass->SortKey(), Descending);
        clickHeader(main, 1);
        QCOMPARE(usernames(*main->lstPass), (QStringList{"Ann", "bob", "carl"}));
        QCOMPARE(main->lstPass->SortOrder(), Ascending);
    }

    void aClickOnAnEmptyListChangesNothing()
    {
        TestEnv env;
        Form1 *main = startWith(env, {});
        EntryList &list = *main->lstPass;
        QVERIFY(modListViewEnh::EnhListView_SortColumns(list, 2, true, env.ctx()));
        clickHeader(main, 1);
        QVERIFY(!list.Sorted());
        QCOMPARE(list.SortOrder(), Ascending);
        QCOMPARE(list.SortKey(), 0);

        for (const VaultEntry &entry : Mixed)
            addThroughEditor(env, entry);
        QCOMPARE(usernames(list), (QStringList{"bob", "Ann", "carl"})); // still unsorted
        clickHeader(main, 1);
        QCOMPARE(list.SortOrder(), Descending);
        QCOMPARE(usernames(list), (QStringList{"carl", "bob", "Ann"}));
        QVERIFY(env.platform.messages.empty());
    }

    void aColumnThatDoesNotExistFails_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<bool>("showErrors");
        QTest::newRow("0, errors shown") << 0 << true;
        QTest::newRow("4, errors shown") << 4 << true;
        QTest::newRow("4, quiet") << 4 << false;
        QTest::newRow("-1, quiet") << -1 << false;
    }

    void aColumnThatDoesNotExistFails()
    {
        QFETCH(int, column);
        QFETCH(bool, showErrors);
        TestEnv env;
        Form1 *main = startWith(env, Mixed);
        EntryList &list = *main->lstPass;
        QVERIFY(!modListViewEnh::EnhListView_SortColumns(list, column, showErrors, env.ctx()));
        // The sorted flag was switched on before the header was looked up.
        QVERIFY(list.Sorted());
        QCOMPARE(list.SortKey(), 0);
        QCOMPARE(list.SortOrder(), Ascending);
        QCOMPARE(usernames(list), (QStringList{"Ann", "bob", "carl"}));
        if (!showErrors) {
            QVERIFY(env.platform.messages.empty());
            return;
        }
        QCOMPARE(env.platform.messages.size(), size_t(1));
        const platform::MessageBoxRequest &error = env.platform.messages.front();
        QCOMPARE(error.title, QStringLiteral("Error in Function : EnhListView_SortColumns"));
        QCOMPARE(error.text, QStringLiteral("Error35600\tIndex out of bounds"));
        QCOMPARE(error.buttons, MsgButtons::Ok);
        QCOMPARE(error.icon, MsgIcon::Information);
    }

    void sortingIgnoresLetterCase()
    {
        TestEnv env;
        Form1 *main = startWith(env, {{"beta", "1", ""}, {"Alpha", "2", ""}, {"alpha2", "3", ""},
                                      {"BETA1", "4", ""}, {"Gamma", "5", ""}});
        clickHeader(main, 1);
        clickHeader(main, 1);
        QCOMPARE(usernames(*main->lstPass),
                 (QStringList{"Alpha", "alpha2", "beta", "BETA1", "Gamma"}));
    }

    void aSaveWritesTheDisplayedOrder()
    {
        TestEnv env;
        Form1 *main = startWith(env, Mixed);
        clickHeader(main, 3); // descending by location: charlie, bravo, Alpha
        selectRow(*main->lstPass, 2);
        main->cmdEdit_Click();
        editor(env)->cmdAdd_Click(); // saved unchanged
        QCOMPARE(env.vaultBytes(), vaultFile({Mixed[1], Mixed[2], Mixed[0]}));
    }

    void anEntryAddedAfterASortTakesItsSortedPlace_data()
    {
        QTest::addColumn<int>("clicks");
        QTest::addColumn<QStringList>("order");
        QTest::newRow("descending") << 1 << QStringList{"carl", "bob", "Bea", "Ann"};
        QTest::newRow("ascending") << 2 << QStringList{"Ann", "Bea", "bob", "carl"};
    }

    void anEntryAddedAfterASortTakesItsSortedPlace()
    {
        QFETCH(int, clicks);
        QFETCH(QStringList, order);
        TestEnv env;
        Form1 *main = startWith(env, Mixed);
        for (int click = 0; click < clicks; ++click)
            clickHeader(main, 1);
        addThroughEditor(env, {"Bea", "b", "x"});
        QCOMPARE(usernames(*main->lstPass), order);
        std::vector<VaultEntry> expected;
        for (const QString &name : order) {
            const auto found = std::find_if(Mixed.begin(), Mixed.end(), [&](const VaultEntry &e) {
                return e.Username == name;
            });
            expected.push_back(found == Mixed.end() ? VaultEntry{"Bea", "b", "x"} : *found);
        }
        QCOMPARE(env.vaultBytes(), vaultFile(expected));
    }
};

QTEST_MAIN(ColumnSortTest)
#include "tst_ColumnSort.moc"
