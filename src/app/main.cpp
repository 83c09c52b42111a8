#include "app/AppContext.h"
#include "app/frmSplash.h"
#include "platform/QtPlatform.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    platform::disableCoreDumps();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    // Windows come and go (the main window hides behind the password dialog);
    // the program ends only when told to.
    QApplication::setQuitOnLastWindowClosed(false);

    platform::QtPlatform platform;
    AppContext context(platform);
    // Developers only: the shipped branding keeps the skin off.
    if (qEnvironmentVariableIntValue("KEYHOLDER_SKIN") == 1)
        context.brandingSwitches.UseSkin = true;
    // Developers only: measure or run without the banner pane and its web engine.
    if (qEnvironmentVariableIntValue("KEYHOLDER_NO_BANNER") == 1)
        context.brandingSwitches.ShowBanner = false;
    context.windows.Show<frmSplash>();
    return QApplication::exec();
}
