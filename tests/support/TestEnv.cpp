#include "TestEnv.h"

#include "VaultFiles.h"

#include "ui/skin/frmSplash.h"
#include "ui/start/Startup.h"
#include "ui/browser/frmWebsite.h"
#include "ui/help/Form8.h"
#include "ui/help/frmAbout.h"
#include "ui/main/Form1.h"
#include "ui/main/frmAdd.h"
#include "ui/passwords/frmGenerate.h"
#include "ui/passwords/frmPasswordCheck.h"
#include "ui/vault/frmChangePassword.h"
#include "ui/vault/frmPass.h"

#include <QCoreApplication>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

// Key by key, each carrying its character, so text beyond Latin-1 types too.
void typeInto(QWidget *box, const QString &text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

} // namespace

void TestEnv::keepWebViewsOffline()
{
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS",
                "--disable-gpu --disable-background-networking --disable-component-update "
                "--proxy-server=127.0.0.1:9");
}

TestEnv::TestEnv(const QString &vaultOverride)
{
    keepWebViewsOffline();
    platform.folder = folder.path();
    context = std::make_unique<AppContext>(platform, vaultOverride);
    // Tests never reach the maker's banner server: this port on this machine
    // refuses, so a banner shows its quiet page. Banner tests use their own server.
    context->brandingSwitches.BannerUrl =
        QStringLiteral("http://127.0.0.1:9/software/banners/keyholder.html");
}

TestEnv::~TestEnv()
{
    context.reset();
    settle();
    qputenv("XDG_DATA_HOME", dataHome);
}

QString TestEnv::vaultPath() const
{
    return folder.filePath(QStringLiteral("data.enc"));
}

QByteArray TestEnv::vaultBytes() const
{
    return VaultFiles::contentsOf(vaultPath());
}

void TestEnv::writeVault(const QByteArray &bytes) const
{
    VaultFiles::writeFile(vaultPath(), bytes);
}

frmSplash *TestEnv::showSplash()
{
    return Startup::showSplash(ctx());
}

Form1 *TestEnv::startProgram()
{
    frmSplash *splash = showSplash();
    splash->Timer2.stop();
    for (int tick = 0; tick < frmSplash::TicksBeforeMainWindow; ++tick)
        splash->Timer2_Timer();
    return mainWindow();
}

Form1 *TestEnv::startUnlocked(const QString &masterPassword)
{
    Form1 *main = startProgram();
    return enterPassword(masterPassword) ? main : nullptr;
}

bool TestEnv::enterPassword(const QString &password)
{
    frmPass *dialog = ctx().windows.Find<frmPass>();
    if (!dialog)
        return true;
    typeInto(dialog->txtPass, password);
    if (dialog->mode() == frmPass::Mode::Create)
        typeInto(dialog->txtPass2, password);
    dialog->cmdOK->click();
    return waitForPasswordCheck(*this);
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

bool TestEnv::waitForPasswordCheck(TestEnv &env)
{
    const bool checked = QTest::qWaitFor([&env] {
        const frmPass *dialog = env.ctx().windows.Find<frmPass>();
        return !dialog || !dialog->isCheckingPassword();
    }, 30000);
    settle();
    return checked;
}

QStringList TestEnv::windowNames()
{
    return {QStringLiteral("frmSplash"), QStringLiteral("frmPass"), QStringLiteral("Form1"),
            QStringLiteral("frmAdd"),    QStringLiteral("frmWebsite"), QStringLiteral("Form8"),
            QStringLiteral("frmAbout"),  QStringLiteral("frmChangePassword"), QStringLiteral("frmGenerate"),
            QStringLiteral("frmPasswordCheck")};
}

Form *TestEnv::openWindow(const QString &name)
{
    WindowHost &windows = ctx().windows;
    if (name == QLatin1String("frmSplash")) {
        startProgram();
        return windows.Find<frmSplash>();
    }
    if (name == QLatin1String("frmPass")) {
        startProgram();
        return windows.Find<frmPass>();
    }
    Form1 *main = startUnlocked();
    if (name == QLatin1String("Form1"))
        return main;
    if (name == QLatin1String("frmAdd")) {
        main->cmdAdd_Click(0);
        return windows.Find<frmAdd>();
    }
    if (name == QLatin1String("frmWebsite")) {
        main->cmdWebsite_Click(0);
        return windows.Find<frmWebsite>();
    }
    if (name == QLatin1String("Form8")) {
        QFile::copy(QStringLiteral(KEYHOLDER_TEST_DATA "/help/Help.rtf"),
                    folder.filePath(QStringLiteral("Help.rtf")));
        main->mnuHelpItem_Click(0);
        return windows.Find<Form8>();
    }
    if (name == QLatin1String("frmGenerate")) {
        main->cmdAdd_Click(0);
        windows.Find<frmAdd>()->cmdGenerate_Click();
        return windows.Find<frmGenerate>();
    }
    if (name == QLatin1String("frmPasswordCheck")) {
        main->checkPasswords();
        return windows.Find<frmPasswordCheck>();
    }
    if (name == QLatin1String("frmChangePassword")) {
        main->changeMasterPassword();
        return windows.Find<frmChangePassword>();
    }
    main->mnuAboutItem_Click(0);
    return windows.Find<frmAbout>();
}
