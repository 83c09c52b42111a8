#pragma once

#include <QObject>

class QVariant;

// Tells when the screen locks or the machine is about to sleep, from the
// desktop's signals on D-Bus. Without a bus it stays silent.
class ScreenLockSignals : public QObject
{
    Q_OBJECT

public:
    explicit ScreenLockSignals(QObject *parent = nullptr);

signals:
    // May come more than once for one lock: desktops send several of these signals.
    void screenLocked();

private slots:
    void lockWhen(bool on);

private:
    void findSession(const QString &method, const QVariant &argument, bool lastTry);
};
