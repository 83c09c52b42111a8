#include "ui/base/AppContext.h"

#include "ui/base/modBranding.h"
#include "vault/VaultLocation.h"
#include "vault/VaultSession.h"

AppContext::AppContext(platform::Platform &platformImpl, QString vaultOverride)
    : m_vaultOverride(std::move(vaultOverride)), platform(platformImpl), clipboard(platformImpl),
      brandingSwitches(modBranding::shippedSwitches()), windows(*this)
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
    const Result<QString> path = VaultLocation::resolve(applicationFolder(), m_vaultOverride);
    if (!path) {
        // Opening it then fails, and the vault's own message names the file for the user.
        qWarning("%s", qPrintable(path.message()));
        return VaultLocation::userDataPath();
    }
    return path.value();
}

platform::MsgResult AppContext::MsgBox(const QString &text, platform::MsgButtons buttons,
                                       const QString &title, platform::MsgIcon icon)
{
    return platform.messageBox({text, title.isEmpty() ? appTitle() : title, buttons, icon});
}
