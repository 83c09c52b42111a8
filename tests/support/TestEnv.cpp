#include "TestEnv.h"

#include "app/frmSplash.h"
#include "ui/main/Form1.h"

#include <QCoreApplication>
#include <QFile>

TestEnv::TestEnv()
{
    platform.folder = folder.path();
    context = std::make_unique<AppContext>(platform);
}

TestEnv::~TestEnv()
{
    context.reset();
    settle();
}

QString TestEnv::vaultPath() const
{
    return folder.filePath(QStringLiteral("data.enc"));
}

QByteArray TestEnv::vaultBytes() const
{
    QFile file(vaultPath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void TestEnv::writeVault(const QByteArray &bytes) const
{
    QFile file(vaultPath());
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

Form1 *TestEnv::startProgram()
{
    frmSplash *splash = ctx().windows.Show<frmSplash>();
    splash->Timer2.stop();
    for (int tick = 0; tick < frmSplash::TicksBeforeMainWindow; ++tick)
        splash->Timer2_Timer();
    return mainWindow();
}

Form1 *TestEnv::startUnlocked(const QString &masterPassword)
{
    Form1 *main = startProgram();
    ctx().vault.MasterPassword = masterPassword;
    main->afterFormLoad();
    return main;
}

Form1 *TestEnv::mainWindow() const
{
    return context->windows.Find<Form1>();
}

void TestEnv::settle()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}
