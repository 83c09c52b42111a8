#pragma once

#include "FakePlatform.h"
#include "ui/base/AppContext.h"

#include <QByteArray>
#include <QTemporaryDir>
#include <memory>

class Form;
class Form1;
class frmSplash;

// A fresh application folder, fake platform and application context per test.
class TestEnv
{
public:
    // A vault named as on the command line (--vault), or the usual place.
    explicit TestEnv(const QString &vaultOverride = {});
    ~TestEnv();

    FakePlatform platform;
    QTemporaryDir folder;
    // Restored when the test ends: a test may send the user's data folder elsewhere.
    const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    std::unique_ptr<AppContext> context;

    AppContext &ctx() { return *context; }
    QString vaultPath() const;
    QByteArray vaultBytes() const;
    void writeVault(const QByteArray &bytes) const;

    frmSplash *showSplash();
    // Runs the splash window through its ticks, which brings up the main window.
    Form1 *startProgram();
    // Starts the program and gets past the password dialog with this master
    // password (creating it when the vault has none), so the main window is complete.
    Form1 *startUnlocked(const QString &masterPassword = QStringLiteral("abcd"));
    // Types into the open password dialog (both boxes when it creates one) and
    // presses OK; false when the check never finished.
    [[nodiscard]] bool enterPassword(const QString &password);
    Form1 *mainWindow() const;
    // Brings up one of the program's windows by its name, as a user would reach it
    // (the help window with the fixture Help.rtf beside the program).
    Form *openWindow(const QString &name);
    static QStringList windowNames();
    // Web views in tests reach only 127.0.0.1 and file://: every other address
    // goes to a proxy that is not there. Must run before the first web view.
    static void keepWebViewsOffline();
    // Lets deferred deletions and queued events run.
    static void settle();
    // Until the password dialog has checked what was typed (an encrypted vault's
    // key is derived off the window thread); false when it never finished.
    [[nodiscard]] static bool waitForPasswordCheck(TestEnv &env);
};
