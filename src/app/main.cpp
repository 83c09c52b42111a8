#include "app/AppContext.h"
#include "app/frmSplash.h"
#include "platform/QtPlatform.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    platform::allowWebViewsAsRoot();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    // Windows come and go (the main window hides behind the password dialog);
    // the program ends only when told to.
    QApplication::setQuitOnLastWindowClosed(false);

    platform::QtPlatform platform;
    AppContext context(platform);
    context.windows.Show<frmSplash>();
    return QApplication::exec();
}
