#include "ui/main/EntryList.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>

namespace {

VaultEntry entry(const QString &user, const QString &password = QStringLiteral("pw"),
                 const QString &location = QString())
{
    return {user, password, location};
}

// A list with the main window's three columns.
struct ListFixture {
    QWidget parent;
    EntryList list{&parent};
    // Fails the test on any change the model reports wrongly to its views.
    QAbstractItemModelTester tester{&list.entries(), QAbstractItemModelTester::FailureReportingMode::QtTest};
    ListFixture()
    {
        list.addColumnHeader(QStringLiteral("Username"), 2345);
        list.addColumnHeader(QStringLiteral("Password"), 2375);
        list.addColumnHeader(QStringLiteral("Website/Location"), 4095);
    }
};

QStringList usernames(const EntryList &list)
{
    QStringList names;
    for (int position = 1; position <= list.count(); ++position)
        names << list.itemText(position);
    return names;
}

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
        QCOMPARE(list.columnHeaderText(1), QStringLiteral("Username"));
        QCOMPARE(list.columnHeaderText(3), QStringLiteral("Website/Location"));
        QCOMPARE(list.columnHeaderWidth(2), 2375);
        QCOMPARE(list.header()->sectionSize(0), 156); // 2345 twips at 15 per pixel
    }

    void itemsAreAddressedByDisplayedPosition()
    {
        ListFixture fixture;
        EntryList &list = fixture.list;
        QCOMPARE(list.addItem(entry("ann", "a1", "www.a.example")), 1);
        QCOMPARE(list.addItem(entry("bob", "b2", "")), 2);
        QCOMPARE(list.addItem(entry("cy", "c3", "C:\\files")), 3);
        QCOMPARE(list.count(), 3);
        QCOMPARE(list.itemText(2), QStringLiteral("bob"));
        QCOMPARE(list.subItem(1, 1), QStringLiteral("a1"));
        QCOMPARE(list.subItem(1, 2), QStringLiteral("www.a.example"));
        QCOMPARE(list.subItem(3, 2), QStringLiteral("C:\\files"));
    }

    void removingARowMovesLaterRowsUp()
    {
        ListFixture fixture;
        EntryList &list = fixture.list;
        for (const char *name : {"a", "b", "c", "d"})
            list.addItem(entry(name));
        list.removeItem(2);
        QCOMPARE(usernames(list), (QStringList{"a", "c", "d"}));
        list.removeItem(3);
        QCOMPARE(usernames(list), (QStringList{"a", "c"}));
    }

    void writtenTextReadsBackUnchanged()
    {
        ListFixture fixture;
        EntryList &list = fixture.list;
        list.addItem(entry("x"));
        const VaultEntry odd{QStringLiteral("  spaced  "), QStringLiteral("line\r\nbreak"),
                             QStringLiteral("Š€ü")};
        QCOMPARE(list.setItem(1, odd), 1);
        QCOMPARE(list.item(1), odd);
    }

    void firstSelectedRowIsFound()
    {
        ListFixture fixture;
        EntryList &list = fixture.list;
        QCOMPARE(list.firstSelectedPosition(), 0);
        for (const char *name : {"a", "b", "c"})
            list.addItem(entry(name));
        QCOMPARE(list.firstSelectedPosition(), 0);
        list.setSelected(3, true);
        QVERIFY(list.isSelected(3));
        QVERIFY(!list.isSelected(1));
        QCOMPARE(list.firstSelectedPosition(), 3);
        list.setSelected(3, false);
        QCOMPARE(list.firstSelectedPosition(), 0);
    }

    void clickingARowSelectsIt()
    {
        QWidget parent;
        parent.resize(400, 300);
        EntryList list(&parent);
        list.resize(400, 300);
        list.addColumnHeader(QStringLiteral("Username"), 2000);
        for (const char *name : {"a", "b", "c"})
            list.addItem(entry(name));
        parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&parent));
        const QRect second = list.visualRect(list.model()->index(1, 0));
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, second.center());
        QCOMPARE(list.firstSelectedPosition(), 2);
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
        list.addItem(entry("charlie", "a-pass", "b.example"));
        list.addItem(entry("alpha", "B-pass", "C.example"));
        list.addItem(entry("Bravo", "c-pass", "a.example"));
        list.setSortKey(key);
        list.setSortOrder(order);
        QCOMPARE(usernames(list), (QStringList{"charlie", "alpha", "Bravo"})); // not sorted yet
        list.setSorted(true);
        QCOMPARE(usernames(list), expected);
    }

    void sortedListPlacesNewAndChangedRows()
    {
        ListFixture fixture;
        EntryList &list = fixture.list;
        for (const char *name : {"d", "b", "f"})
            list.addItem(entry(name));
        list.setSorted(true);
        QCOMPARE(list.addItem(entry("c")), 2);
        QCOMPARE(list.addItem(entry("z")), 5);
        QCOMPARE(usernames(list), (QStringList{"b", "c", "d", "f", "z"}));
        QCOMPARE(list.setItem(1, entry("e")), 3);
        QCOMPARE(usernames(list), (QStringList{"c", "d", "e", "f", "z"}));
    }

    void selectionFollowsItsRowWhenSorting()
    {
        ListFixture fixture;
        EntryList &list = fixture.list;
        for (const char *name : {"c", "a", "b"})
            list.addItem(entry(name));
        list.setSelected(1, true); // "c"
        list.setSorted(true);
        QCOMPARE(list.firstSelectedPosition(), 3);
        QCOMPARE(list.itemText(list.firstSelectedPosition()), QStringLiteral("c"));
    }

    void headerClickRaisesColumnClickOnce()
    {
        QWidget parent;
        parent.resize(600, 300);
        EntryList list(&parent);
        list.resize(600, 300);
        list.addColumnHeader(QStringLiteral("Username"), 2000);
        list.addColumnHeader(QStringLiteral("Password"), 2000);
        parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&parent));
        QSignalSpy clicks(&list, &EntryList::ColumnClick);
        QHeaderView *header = list.header();
        const int x = header->sectionViewportPosition(1) + header->sectionSize(1) / 2;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(clicks.first().first().toInt(), 2);
    }

    void positionsOutsideTheListAreRefused()
    {
        ListFixture fixture;
        EntryList &list = fixture.list;
        list.addItem(entry("a"));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, list.item(0));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, list.removeItem(2));
    }
};

QTEST_MAIN(EntryListTest)
#include "tst_EntryList.moc"
