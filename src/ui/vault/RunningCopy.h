#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QLocalServer;

// The program that holds a vault listens for later starts on the same vault,
// so a second start can bring the first one's window forward before it ends.
class RunningCopy : public QObject
{
    Q_OBJECT

public:
    RunningCopy(const QString &vaultPath, std::function<void()> comeForward, QObject *parent);

    // From the second start: asks the program that holds the vault to show itself.
    static void askToComeForward(const QString &vaultPath);
    static QString serverName(const QString &vaultPath);

private:
    QLocalServer *m_server;
    std::function<void()> m_comeForward;
};
