#include "app/AppContext.h"

#include "app/modBranding.h"
#include "vault/VaultSession.h"

#include <QDir>

AppContext::AppContext(platform::Platform &platformImpl)
    : platform(platformImpl), clipboard(platformImpl), brandingSwitches(modBranding::shippedSwitches()), windows(*this)
{
}

AppContext::~AppContext() = default;

VaultSession &AppContext::session()
{
    if (!m_session)
        m_session = std::make_unique<VaultSession>(vaultPath());
    return *m_session;
}

QString AppContext::appTitle() const
{
    return platform.versionInfo().ProductName;
}

QString AppContext::applicationFolder() const
{
    return platform.applicationFolder();
}

QString AppContext::vaultPath() const
{
    return QDir(applicationFolder()).filePath(QStringLiteral("data.enc"));
}

platform::MsgResult AppContext::MsgBox(const QString &text, platform::MsgButtons buttons,
                                       const QString &title, platform::MsgIcon icon)
{
    return platform.messageBox({text, title.isEmpty() ? appTitle() : title, buttons, icon});
}
