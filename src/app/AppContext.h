#pragma once

#include "app/BrandingRecord.h"
#include "platform/Platform.h"
#include "ui/ClipboardGuard.h"
#include "ui/WindowHost.h"

#include <memory>

class SkinControl;
class SkinService;
class VaultSession;

// The password dialog's mode (modGlobals); the master password itself lives in the session.
struct VaultState {
    bool FirstUse = false; // no master password yet: the dialog creates one
};

// What the Add and Edit commands ask of the entry editor.
struct EditRequest {
    QString EditMode; // "Add", or anything else for edit
    int EditRow = 0;  // 1-based position in lstPass
    QString EditUsername;
    QString EditPassword;
    QString EditLocation;
};

// The process-wide values, passed to every window, so each test starts afresh.
class AppContext
{
    // Declared before the windows, so it outlives them: they use it while they unload.
    std::unique_ptr<VaultSession> m_session;

public:
    explicit AppContext(platform::Platform &platform);
    ~AppContext();

    platform::Platform &platform;
    ClipboardGuard clipboard; // every copy goes through it, so it is taken back later
    BrandingSwitches brandingSwitches;
    BrandingRecord branding;
    VaultState vault;
    EditRequest edit;
    bool MainWindowClosed = false;
    // The vault named on the command line (--vault); empty for the usual place.
    QString vaultOverride;
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
