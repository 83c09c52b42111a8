#pragma once

// keyholder-cli as a user runs it: its exit status and what it printed.

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

struct CliRun
{
    int status = -1; // -1: it did not end normally within a minute
    QString out, err;
};

// input goes to its standard input; its standard output goes to stdoutFile when one is named.
inline CliRun runCli(const QStringList &arguments, const QByteArray &input = {}, const QString &stdoutFile = {})
{
    QProcess process;
    if (!stdoutFile.isEmpty())
        process.setStandardOutputFile(stdoutFile);
    process.start(QStringLiteral(KEYHOLDER_CLI), arguments);
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}
