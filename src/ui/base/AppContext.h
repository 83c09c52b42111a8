#pragma once

#include "ui/base/BrandingRecord.h"
#include "platform/Platform.h"
#include "ui/base/ClipboardGuard.h"
#include "ui/base/WindowHost.h"

#include <memory>

class SkinControl;
class SkinService;
class VaultSession;

// The process-wide services, passed to every window, so each test starts afresh.
// What one window asks of another travels as that window's input, never through here.
class AppContext
{
    // Declared before the windows, so it outlives them: they use it while they unload.
    std::unique_ptr<VaultSession> m_session;
    const QString m_vaultOverride;

public:
    // The vault named on the command line (--vault); empty for the usual place.
    explicit AppContext(platform::Platform &platform, QString vaultOverride = {});
    ~AppContext();

    platform::Platform &platform;
    ClipboardGuard clipboard; // every copy goes through it, so it is taken back later
    BrandingSwitches brandingSwitches;
    BrandingRecord branding;
    // Set by the splash window's load when UseSkin is on (modSkin).
    std::shared_ptr<SkinControl> skin;
    std::shared_ptr<SkinService> skinService;
    WindowHost windows;

    // Title of message boxes that name none of their own.
    QString appTitle() const;
    QString applicationFolder() const;
    QString vaultPath() const;
    // The open vault: its entries, master password and file. Made on first use.
    VaultSession &session();

    // A message box; an empty title means the application's title.
    platform::MsgResult MsgBox(const QString &text,
                               platform::MsgButtons buttons = platform::MsgButtons::Ok,
                               const QString &title = {},
                               platform::MsgIcon icon = platform::MsgIcon::None);
};
