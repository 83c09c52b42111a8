// The breach list as the published file has it, and its edges: what each
// password is looked up as, and which files are refused.
#include "vault/BreachList.h"
#include "BreachFiles.h"
#include "VaultFiles.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using BreachFiles::listOf;
using BreachFiles::Seen;

namespace {

const Seen Breached{{u"password"_s, 9545824}, {u"123456"_s, 37359195}, {u"hunter2"_s, 17},
                    {u"letmein"_s, 1}, {u"qwerty"_s, 10556095}};
const QStringList Absent{u"s3cret"_s, u"monkey"_s, u"Tr0ub4dor&3"_s, u""_s};

QByteArrayList breachedLines()
{
    QByteArrayList lines = listOf(Breached, "\n").split('\n');
    lines.removeLast(); // what follows the last LF
    return lines;
}

// The list's lines with another line before, between and after them.
QByteArray interleaved(const QByteArray &line)
{
    QByteArray file = line;
    for (const QByteArray &one : breachedLines())
        file += one + '\n' + line;
    return file;
}

} // namespace

class tst_BreachList : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    void everyLineIsFoundAndNothingElse_data();
    void everyLineIsFoundAndNothingElse();
    void unusableFilesAreRefused_data();
    void unusableFilesAreRefused();
    void disorderMetByASearchIsReported();

private:
    QString write(const QByteArray &bytes)
    {
        const QString path = m_dir->filePath(u"breached.txt"_s);
        VaultFiles::writeFile(path, bytes);
        return path;
    }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_BreachList::everyLineIsFoundAndNothingElse_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::newRow("CR LF") << listOf(Breached, "\r\n");
    QTest::newRow("LF") << listOf(Breached, "\n");
    QTest::newRow("lower-case hex") << listOf(Breached).toLower();
    QTest::newRow("no final newline") << listOf(Breached).chopped(2);
    QTest::newRow("garbage lines around every line") << interleaved("not a hash:12\n");
    QTest::newRow("blank lines around every line") << interleaved("\r\n");
    QTest::newRow("a long garbage line around every line") << interleaved(QByteArray(5000, 'x') + '\n');
    QTest::newRow("hash without a count around every line")
            << interleaved(BreachFiles::sha1Hex(u"monkey"_s) + ":\n");
}

void tst_BreachList::everyLineIsFoundAndNothingElse()
{
    QFETCH(QByteArray, file);
    const Result<BreachList> list = BreachList::open(write(file));
    QVERIFY2(list, qPrintable(list.message()));
    for (const auto &[password, count] : Breached) {
        const Result<quint64> seen = list->timesSeen(password);
        QVERIFY2(seen, qPrintable(seen.message()));
        QCOMPARE(seen.value(), count);
    }
    for (const QString &password : Absent)
        QCOMPARE(list->timesSeen(password).value(), quint64(0));
}

void tst_BreachList::unusableFilesAreRefused_data()
{
    QTest::addColumn<QByteArray>("file"); // "<missing>": no file; "<folder>": a folder
    QTest::addColumn<QString>("error");
    const QByteArrayList lines = breachedLines();
    QByteArrayList swapped = lines;
    swapped.swapItemsAt(1, 3);
    const QByteArrayList backwards(lines.rbegin(), lines.rend());
    QTest::newRow("two lines swapped") << swapped.join('\n') + '\n' << u"is not sorted by hash"_s;
    QTest::newRow("sorted backwards") << backwards.join('\n') << u"is not sorted by hash"_s;
    QTest::newRow("empty") << QByteArray() << u"is not a breach list"_s;
    QTest::newRow("no valid line") << "password:12\r\nhunter2\r\n"_ba << u"is not a breach list"_s;
    QTest::newRow("two megabytes of zeros") << QByteArray(2 << 20, '\0') << u"is not a breach list"_s;
    QTest::newRow("missing") << "<missing>"_ba << u"Could not open the breach list"_s;
    QTest::newRow("a folder") << "<folder>"_ba << u"is not a regular file"_s;
}

void tst_BreachList::unusableFilesAreRefused()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, error);
    QString path = m_dir->filePath(u"none.txt"_s);
    if (file == "<folder>")
        path = m_dir->path();
    else if (file != "<missing>")
        path = write(file);

    const Result<BreachList> list = BreachList::open(path);
    QVERIFY(!list);
    QVERIFY2(list.message().contains(error) && list.message().contains(path), qPrintable(list.message()));
}

// Too large to be checked whole at open: the search itself meets the two lines.
void tst_BreachList::disorderMetByASearchIsReported()
{
    const Result<BreachList> list = BreachList::open(write(BreachFiles::swappedAround(u"hunter2"_s, 40000)));
    const QString error = list ? list->timesSeen(u"hunter2"_s).message() : list.message();
    QVERIFY2(error.contains(u"is not sorted by hash"_s), qPrintable(error));
}

QTEST_GUILESS_MAIN(tst_BreachList)
#include "tst_BreachList.moc"
