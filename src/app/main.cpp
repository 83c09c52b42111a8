#include "app/AppContext.h"
#include "app/CommandLine.h"
#include "app/frmSplash.h"
#include "platform/ProcessSafety.h"
#include "platform/QtPlatform.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    // Help and version text need no display: answer them before any window system starts.
    if (CommandLine::asksForTextOnly(argc, argv)) {
        QCoreApplication textOnly(argc, argv);
        CommandLine::parse(textOnly);
        return 0;
    }
    platform::disableCoreDumps();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    // Windows come and go (the main window hides behind the password dialog);
    // the program ends only when told to.
    QApplication::setQuitOnLastWindowClosed(false);
    // Lets desktops match the windows to the menu entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.keyholder.Keyholder"));
    const CommandLine::Options options = CommandLine::parse(app);

    platform::QtPlatform platform;
    AppContext context(platform);
    context.vaultOverride = options.vaultOverride;
    // Developers only: the shipped branding keeps the skin off.
    if (qEnvironmentVariableIntValue("KEYHOLDER_SKIN") == 1)
        context.brandingSwitches.UseSkin = true;
    // Developers only: measure or run without the banner pane and its web engine.
    if (qEnvironmentVariableIntValue("KEYHOLDER_NO_BANNER") == 1)
        context.brandingSwitches.ShowBanner = false;
    context.windows.Show<frmSplash>();
    return QApplication::exec();
}
