#pragma once

#include "app/BrandingRecord.h"
#include "platform/Platform.h"
#include "ui/WindowHost.h"

#include <memory>

class SkinControl;
class SkinService;

// The vault's shared state (modGlobals).
struct VaultState {
    QString MasterPassword; // accepted by the password dialog; written by every save
    QString StoredPassword; // read from the vault file's master line
    bool FirstUse = false;  // no master password yet: the dialog creates one
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
public:
    explicit AppContext(platform::Platform &platform);

    platform::Platform &platform;
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

    // A message box; an empty title means the application's title.
    platform::MsgResult MsgBox(const QString &text,
                               platform::MsgButtons buttons = platform::MsgButtons::Ok,
                               const QString &title = {},
                               platform::MsgIcon icon = platform::MsgIcon::None);
};
