#include "EntryTesting.h"
#include "ui/main/EntryList.h"
#include "vault/VaultSession.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using EntryTesting::selectRow;
using EntryTesting::usernames;

namespace {

VaultEntry entry(const QString &user, const QString &password = QStringLiteral("pw"),
                 const QString &location = QString())
{
    return {user, password, location};
}

// A list with the main window's three columns over the entries of a new
// vault, which change through its session as the windows change them.
struct ListFixture {
    QTemporaryDir folder;
    VaultSession session{folder.filePath(QStringLiteral("data.enc"))};
    QWidget parent;
    EntryList list{&parent, &session.entries()};
    // Fail the test on any change a model reports wrongly to its views.
    QAbstractItemModelTester entriesTester{&session.entries(), QAbstractItemModelTester::FailureReportingMode::QtTest};
    QAbstractItemModelTester shownTester{list.model(), QAbstractItemModelTester::FailureReportingMode::QtTest};
    ListFixture()
    {
        if (!session.open() || !session.createMasterPassword(QStringLiteral("abcd")))
            qFatal("cannot start the test vault");
        list.addColumnHeader(QStringLiteral("Username"), 2345);
        list.addColumnHeader(QStringLiteral("Password"), 2375);
        list.addColumnHeader(QStringLiteral("Website/Location"), 4095);
    }
    void add(const std::vector<VaultEntry> &entries)
    {
        for (const VaultEntry &added : entries) {
            if (!session.add(added))
                qFatal("cannot add to the test vault");
        }
    }
};

} // namespace

class EntryListTest : public QObject
{
    Q_OBJECT

private slots:
    void headersKeepTheirOrderTextAndWidth()
    {
        ListFixture fixture;
        EntryList &list = fixture.list;
        QCOMPARE(list.columnHeaderCount(), 3);
        QCOMPARE(list.model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Username"));
        QCOMPARE(list.model()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("Website/Location"));
        QCOMPARE(list.header()->sectionSize(0), 156); // 2345 twips at 15 per pixel
        QCOMPARE(list.header()->sectionSize(1), 158);
    }

    void itemsAreAddressedByDisplayedPosition()
    {
        ListFixture fixture;
        EntryList &list = fixture.list;
        const std::vector<VaultEntry> added{entry("ann", "a1", "www.a.example"), entry("bob", "b2", ""),
                                            entry("cy", "c3", "C:\\files")};
        fixture.add(added);
        QCOMPARE(list.count(), 3);
        for (int position = 1; position <= 3; ++position)
            QCOMPARE(list.item(position), added[size_t(position - 1)]);
        QCOMPARE(list.model()->index(2, 2).data().toString(), QStringLiteral("C:\\files"));
    }

    void removingARowMovesLaterRowsUp()
    {
        ListFixture fixture;
        EntryList &list = fixture.list;
        fixture.add({entry("a"), entry("b"), entry("c"), entry("d")});
        QVERIFY(fixture.session.remove(1));
        QCOMPARE(usernames(list), (QStringList{"a", "c", "d"}));
        QVERIFY(fixture.session.remove(2));
        QCOMPARE(usernames(list), (QStringList{"a", "c"}));
    }

    void writtenTextReadsBackUnchanged()
    {
        ListFixture fixture;
        EntryList &list = fixture.list;
        fixture.add({entry("x")});
        const VaultEntry odd{QStringLiteral("  spaced  "), QStringLiteral("line\r\nbreak"),
                             QStringLiteral("Š€ü")};
        QVERIFY(fixture.session.replace(0, odd));
        QCOMPARE(list.item(1), odd);
    }

    void firstSelectedRowIsFound()
    {
        ListFixture fixture;
        EntryList &list = fixture.list;
        QCOMPARE(list.firstSelectedPosition(), 0);
        fixture.add({entry("a"), entry("b"), entry("c")});
        QCOMPARE(list.firstSelectedPosition(), 0);
        selectRow(list, 3);
        QCOMPARE(list.firstSelectedPosition(), 3);
        list.clearSelection();
        QCOMPARE(list.firstSelectedPosition(), 0);
    }

    void clickingARowSelectsIt()
    {
        ListFixture fixture;
        EntryList &list = fixture.list;
        fixture.parent.resize(400, 300);
        list.resize(400, 300);
        fixture.add({entry("a"), entry("b"), entry("c")});
        fixture.parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&fixture.parent));
        const QRect second = list.visualRect(list.model()->index(1, 0));
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, second.center());
        QCOMPARE(list.firstSelectedPosition(), 2);
    }

    // The keys move between entries, never between the columns of one.
    void keysMoveBetweenEntries_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<int>("selected");
        QTest::newRow("Home") << 3 << QList<int>{Qt::Key_Home} << 1;
        QTest::newRow("End") << 2 << QList<int>{Qt::Key_End} << 4;
        QTest::newRow("Down then Up then Up") << 3 << QList<int>{Qt::Key_Down, Qt::Key_Up, Qt::Key_Up} << 2;
        QTest::newRow("Left and Right keep the entry") << 2 << QList<int>{Qt::Key_Right, Qt::Key_Right, Qt::Key_Left}
                                                       << 2;
    }

    void keysMoveBetweenEntries()
    {
        QFETCH(int, start);
        QFETCH(QList<int>, keys);
        QFETCH(int, selected);
        ListFixture fixture;
        EntryList &list = fixture.list;
        fixture.add({entry("a"), entry("b"), entry("c"), entry("d")});
        fixture.parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&fixture.parent));
        selectRow(list, start);
        for (int key : keys)
            QTest::keyClick(&list, Qt::Key(key));
        QCOMPARE(list.firstSelectedPosition(), selected);
        QCOMPARE(list.currentIndex().column(), 0);
        // Copying takes the first column still.
        QSignalSpy copies(&list, &EntryList::CopyKeyPressed);
        QTest::keyClick(&list, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(copies.value(0).value(0).toInt(), 0);
    }

    void tabLeavesTheList()
    {
        ListFixture fixture;
        QLineEdit after(&fixture.parent);
        fixture.add({entry("a"), entry("b")});
        fixture.parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&fixture.parent));
        fixture.list.setFocus();
        selectRow(fixture.list, 1);
        QTest::keyClick(&fixture.list, Qt::Key_Tab);
        QVERIFY(after.hasFocus());
        QCOMPARE(fixture.list.firstSelectedPosition(), 1);
    }

    void sortedListOrdersByKeyColumnIgnoringCase_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("order");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("username ascending") << 0 << 0 << QStringList{"alpha", "Bravo", "charlie"};
        QTest::newRow("username descending") << 0 << 1 << QStringList{"charlie", "Bravo", "alpha"};
        QTest::newRow("password ascending") << 1 << 0 << QStringList{"charlie", "alpha", "Bravo"};
        QTest::newRow("location descending") << 2 << 1 << QStringList{"alpha", "charlie", "Bravo"};
    }

    void sortedListOrdersByKeyColumnIgnoringCase()
    {
        QFETCH(int, key);
        QFETCH(int, order);
        QFETCH(QStringList, expected);
        ListFixture fixture;
        EntryList &list = fixture.list;
        fixture.add({entry("charlie", "a-pass", "b.example"), entry("alpha", "B-pass", "C.example"),
                     entry("Bravo", "c-pass", "a.example")});
        list.setSortSettings(false, key, order);
        QCOMPARE(usernames(list), (QStringList{"charlie", "alpha", "Bravo"})); // not sorted yet
        list.setSorted(true);
        QCOMPARE(usernames(list), expected);
    }

    void sortedListPlacesNewAndChangedRows()
    {
        ListFixture fixture;
        EntryList &list = fixture.list;
        fixture.add({entry("d"), entry("b"), entry("f")});
        list.setSorted(true);
        fixture.add({entry("c"), entry("z")});
        QCOMPARE(usernames(list), (QStringList{"b", "c", "d", "f", "z"}));
        QVERIFY(fixture.session.replace(0, entry("e")));
        QCOMPARE(usernames(list), (QStringList{"c", "d", "e", "f", "z"}));
    }

    void selectionFollowsItsRowWhenSorting()
    {
        ListFixture fixture;
        EntryList &list = fixture.list;
        fixture.add({entry("c"), entry("a"), entry("b")});
        selectRow(list, 1); // "c"
        list.setSorted(true);
        QCOMPARE(list.firstSelectedPosition(), 3);
        QCOMPARE(list.item(list.firstSelectedPosition()).Username, QStringLiteral("c"));
    }

    void headerClickRaisesColumnClickOnce()
    {
        ListFixture fixture;
        EntryList &list = fixture.list;
        fixture.parent.resize(600, 300);
        list.resize(600, 300);
        fixture.parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&fixture.parent));
        QSignalSpy clicks(&list, &EntryList::ColumnClick);
        QHeaderView *header = list.header();
        const int x = header->sectionViewportPosition(1) + header->sectionSize(1) / 2;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(clicks.first().first().toInt(), 2);
    }

    void longFieldIsCutShortOnScreenOnly_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("shown");
        QTest::newRow("at the limit") << 2000 << QString(2000, u'x');
        QTest::newRow("one past it") << 2001 << QString(2000, u'x') + QChar(0x2026);
        QTest::newRow("huge") << 100000 << QString(2000, u'x') + QChar(0x2026);
    }

    void longFieldIsCutShortOnScreenOnly()
    {
        QFETCH(int, length);
        QFETCH(QString, shown);
        ListFixture fixture;
        const QString longText(length, u'x');
        fixture.add({entry(longText, longText, QStringLiteral("site"))});
        const QAbstractItemModel &model = *fixture.list.model();
        QCOMPARE(model.index(0, 0).data().toString(), shown);
        QCOMPARE(model.index(0, 1).data().toString(), shown);
        QCOMPARE(model.index(0, 0).data(Qt::ToolTipRole).toString(),
                 QStringLiteral("<p style='white-space:pre-wrap'>") + shown + QStringLiteral("</p>"));
        QVERIFY(!model.index(0, 1).data(Qt::ToolTipRole).isValid()); // never a password
        QCOMPARE(fixture.list.item(1), entry(longText, longText, QStringLiteral("site")));
    }

    void positionsOutsideTheListAreRefused()
    {
        ListFixture fixture;
        EntryList &list = fixture.list;
        fixture.add({entry("a")});
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, list.item(0));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, list.item(2));
    }
};

QTEST_MAIN(EntryListTest)
#include "tst_EntryList.moc"
