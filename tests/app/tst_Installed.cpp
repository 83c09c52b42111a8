// The program as installed: where it finds its vault and help file, and its
// command line.
#include "TestEnv.h"
#include "VaultFiles.h"
#include "app/CommandLine.h"
#include "ui/help/Form8.h"
#include "ui/main/Form1.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

namespace {

// Even root cannot create files in /proc: it stands in for /usr/bin.
const QString ReadOnlyProgramFolder = QStringLiteral("/proc");

QByteArray helpText(const char *words)
{
    return QByteArray("{\\rtf1\\ansi ") + words + "\\par}";
}

struct Run {
    int exitCode;
    QString output;
};

Run runProgram(const QStringList &arguments, bool display = true)
{
    QProcess program;
    program.setProcessChannelMode(QProcess::MergedChannels);
    if (!display) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            environment.remove(QString::fromLatin1(name));
        program.setProcessEnvironment(environment);
    }
    program.start(QStringLiteral(KEYHOLDER_PROGRAM), arguments);
    if (!program.waitForFinished(60000))
        return {-1, QStringLiteral("did not finish")};
    return {program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1,
            QString::fromLocal8Bit(program.readAll())};
}

} // namespace

class InstalledTest : public QObject
{
    Q_OBJECT

private slots:
    void vaultLocation_data()
    {
        QTest::addColumn<bool>("programFolderWritable");
        QTest::addColumn<bool>("vaultOption");
        QTest::addColumn<QString>("expected"); // under the test's scratch folder
        QTest::newRow("build folder") << true << false << "bin/data.enc";
        QTest::newRow("installed") << false << false << "data/Keyholder/data.enc";
        QTest::newRow("--vault, installed") << false << true << "chosen/my.enc";
        QTest::newRow("--vault, build folder") << true << true << "chosen/my.enc";
    }

    void vaultLocation()
    {
        QFETCH(bool, programFolderWritable);
        QFETCH(bool, vaultOption);
        QFETCH(QString, expected);
        QTemporaryDir scratch;
        qputenv("XDG_DATA_HOME", scratch.filePath(QStringLiteral("data")).toLocal8Bit());
        QDir(scratch.path()).mkpath(QStringLiteral("bin"));
        QDir(scratch.path()).mkpath(QStringLiteral("chosen"));
        TestEnv env(vaultOption ? scratch.filePath(QStringLiteral("chosen/my.enc")) : QString());
        env.ctx().brandingSwitches.ShowBanner = false;
        env.platform.folder = programFolderWritable ? scratch.filePath(QStringLiteral("bin"))
                                                    : ReadOnlyProgramFolder;

        Form1 *main = env.startUnlocked(QStringLiteral("abcd"));
        QVERIFY(main);
        QVERIFY(!env.platform.ended());
        // The new vault holds the master password, enciphered, and nothing else.
        QFile vault(scratch.filePath(expected));
        QVERIFY2(vault.open(QIODevice::ReadOnly), qPrintable(vault.fileName()));
        QCOMPARE(vault.readAll(), QByteArray("\xE1\xE2\xE3\xE4\r\n"));
        const QStringList others = {QStringLiteral("bin/data.enc"),
                                    QStringLiteral("data/Keyholder/data.enc"),
                                    QStringLiteral("chosen/my.enc")};
        for (const QString &other : others)
            QCOMPARE(QFile::exists(scratch.filePath(other)), other == expected);
    }

    void helpFile_data()
    {
        QTest::addColumn<bool>("besideProgram");
        QTest::addColumn<bool>("inDataFolder");
        QTest::addColumn<QString>("shown"); // empty: no help window
        QTest::newRow("beside the program") << true << false << "beside";
        QTest::newRow("installed") << false << true << "installed";
        QTest::newRow("both: beside wins") << true << true << "beside";
        QTest::newRow("neither") << false << false << "";
    }

    void helpFile()
    {
        QFETCH(bool, besideProgram);
        QFETCH(bool, inDataFolder);
        QFETCH(QString, shown);
        TestEnv env;
        env.ctx().brandingSwitches.ShowBanner = false;
        const QString bin = env.folder.filePath(QStringLiteral("prefix/bin"));
        QDir().mkpath(bin);
        env.platform.folder = bin;
        if (besideProgram)
            VaultFiles::writeFile(bin + QStringLiteral("/Help.rtf"), helpText("beside"));
        if (inDataFolder) {
            const QString dataFolder = bin + QStringLiteral("/" KEYHOLDER_DATA_FROM_BINARY);
            QDir().mkpath(dataFolder);
            VaultFiles::writeFile(dataFolder + QStringLiteral("/Help.rtf"), helpText("installed"));
        }

        Form1 *main = env.startUnlocked();
        main->mnuHelpItem_Click(0);
        const Form8 *help = env.ctx().windows.Find<Form8>();
        QCOMPARE(help != nullptr, !shown.isEmpty());
        if (help)
            QCOMPARE(help->rtf1->toPlainText().trimmed(), shown);
    }

    void commandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QStringList>("outputHas");
        QTest::newRow("--version") << QStringList{"--version"} << 0 << QStringList{"1.0.0"};
        QTest::newRow("--help") << QStringList{"--help"} << 0
                                << QStringList{"--vault <FILE>", "--version", "Keyholder/data.enc"};
        QTest::newRow("--vault without a file") << QStringList{"--vault"} << 2
                                                << QStringList{"Missing value after '--vault'", "Usage: keyholder"};
        QTest::newRow("unknown option") << QStringList{"--colour"} << 2
                                        << QStringList{"Unknown option 'colour'", "Usage: keyholder"};
        QTest::newRow("two vaults") << QStringList{"a.enc", "b.enc"} << 2
                                    << QStringList{"only one vault can be opened at a time"};
    }

    // With no display at all, too: the line is read before any window system starts.
    void commandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QStringList, outputHas);
        for (const bool display : {true, false}) {
            const Run run = runProgram(arguments, display);
            QCOMPARE(run.exitCode, exitCode);
            for (const QString &text : outputHas)
                QVERIFY2(run.output.contains(text), qPrintable(run.output));
        }
    }

    void vaultNamedOnTheCommandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("vault");
        QTest::newRow("as FILE") << QStringList{"my.enc"} << "my.enc";
        QTest::newRow("with --vault") << QStringList{"--vault", "my.enc"} << "my.enc";
        QTest::newRow("after the window system's options")
                << QStringList{"-platform", "offscreen", "-style", "fusion", "my.enc"} << "my.enc";
        QTest::newRow("none") << QStringList{} << "";
    }

    void vaultNamedOnTheCommandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, vault);
        const auto parsed = CommandLine::parse(QStringList{"keyholder"} + arguments);
        QVERIFY(std::holds_alternative<CommandLine::Options>(parsed));
        QCOMPARE(std::get<CommandLine::Options>(parsed).vaultOverride, vault);
    }
};

QTEST_MAIN(InstalledTest)
#include "tst_Installed.moc"
