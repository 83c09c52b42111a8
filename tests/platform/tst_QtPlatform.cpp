#include "platform/ProcessSafety.h"
#include "platform/QtPlatform.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QMessageBox>
#include <QMimeData>
#include <QTest>
#include <QTimer>

#ifdef Q_OS_LINUX
#include <sys/prctl.h>
#endif

using namespace platform;

class QtPlatformTest : public QObject
{
    Q_OBJECT

private slots:
    void messageBoxShowsItsTextAsTyped()
    {
        const QString typed = QStringLiteral("<b>Pa</b>ss<!--x-->word<img width=3000 height=3000>");
        Qt::TextFormat format = Qt::AutoText;
        QString shown;
        QTimer::singleShot(0, this, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            QVERIFY(box);
            format = box->textFormat();
            shown = box->text();
            box->accept();
        });
        QtPlatform platform;
        platform.messageBox({typed, QStringLiteral("/home/<i>me</i>"), MsgButtons::Ok, MsgIcon::None});
        QCOMPARE(format, Qt::PlainText);
        QCOMPARE(shown, typed);
    }

    void clipboardTextIsMarkedSecret()
    {
        QtPlatform platform;
        platform.setClipboardText(QStringLiteral("s3cret"));
        const QMimeData *data = QGuiApplication::clipboard()->mimeData();
        QCOMPARE(data->text(), QStringLiteral("s3cret"));
        QCOMPARE(data->data(QStringLiteral("x-kde-passwordManagerHint")), QByteArray("secret"));
        QCOMPARE(platform.clipboardText(), QStringLiteral("s3cret"));
        platform.clearClipboard();
        QCOMPARE(platform.clipboardText(), QString());
    }

    void launchReportsAFailureThatComesLater_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing file") << "exit 2" << "the file or folder does not exist.";
        QTest::newRow("no program for it") << "exit 3" << "no program to open it was found.";
        QTest::newRow("other error") << "exit 9" << "the program sh ended with error 9.";
    }

    void launchReportsAFailureThatComesLater()
    {
        QFETCH(QString, script);
        QFETCH(QString, reason);
        QtPlatform platform;
        QStringList reported;
        QVERIFY(platform.launch(QStringLiteral("sh"), {QStringLiteral("-c"), script},
                                [&](const QString &why) { reported << why; }));
        QTRY_COMPARE(reported, QStringList{reason});
    }

    void launchOfAMissingProgramFailsAtOnce()
    {
        QtPlatform platform;
        QVERIFY(!platform.launch(QStringLiteral("/nonexistent/opener"), {}, [](const QString &) {}));
    }

#ifdef Q_OS_LINUX
    void coreDumpsAreOff()
    {
        disableCoreDumps();
        QFile limits(QStringLiteral("/proc/self/limits"));
        QVERIFY(limits.open(QIODevice::ReadOnly));
        const QByteArray text = limits.readAll();
        const qsizetype at = text.indexOf("Max core file size");
        QVERIFY(at >= 0);
        QCOMPARE(text.mid(at).split('\n').first().simplified(), QByteArray("Max core file size 0 0 bytes"));
        QCOMPARE(prctl(PR_GET_DUMPABLE, 0, 0, 0, 0), 0);
    }
#endif
};

QTEST_MAIN(QtPlatformTest)
#include "tst_QtPlatform.moc"
