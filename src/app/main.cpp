#include "ui/base/AppContext.h"
#include "app/CommandLine.h"
#include "ui/start/Startup.h"
#include "platform/ProcessSafety.h"
#include "platform/QtPlatform.h"

#include <QApplication>

#include <cstdio>

namespace {

QStringList argumentsOf(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

} // namespace

int main(int argc, char *argv[])
{
    // Read before any window system starts: help, the version and a wrong line need no display.
    const auto parsed = CommandLine::parse(argumentsOf(argc, argv));
    if (const auto *exit = std::get_if<CommandLine::Exit>(&parsed)) {
        std::fputs(exit->text.toLocal8Bit().constData(), exit->status == 0 ? stdout : stderr);
        return exit->status;
    }
    const CommandLine::Options &options = std::get<CommandLine::Options>(parsed);
    platform::disableCoreDumps();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    // Windows come and go (the main window hides behind the password dialog);
    // the program ends only when told to.
    QApplication::setQuitOnLastWindowClosed(false);
    // Lets desktops match the windows to the menu entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.keyholder.Keyholder"));

    platform::QtPlatform platform;
    AppContext context(platform, options.vaultOverride);
    // Developers only: the shipped branding keeps the skin off.
    if (qEnvironmentVariableIntValue("KEYHOLDER_SKIN") == 1)
        context.brandingSwitches.UseSkin = true;
    // Developers only: measure or run without the banner pane and its web engine.
    if (qEnvironmentVariableIntValue("KEYHOLDER_NO_BANNER") == 1)
        context.brandingSwitches.ShowBanner = false;
    Startup::showSplash(context);
    return QApplication::exec();
}
