#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>

// Everything that reaches outside the process goes through this interface, so
// that tests can run the windows against a fake that records every call.
namespace platform {

// The last two sets have buttons of their own words; the first of them is the default.
enum class MsgButtons {
    Ok,
    OkCancel,
    RetryCancel,
    RetryDiscardCancel,
    KeepMineKeepTheirsKeepBothCancel,
    OpenReadOnlyOpenAnywayCancel,
};
enum class MsgIcon { None, Information, Warning, Critical };
enum class MsgResult { Ok, Cancel, Retry, Discard, KeepMine, KeepTheirs, KeepBoth, OpenReadOnly, OpenAnyway };

struct MessageBoxRequest {
    QString text;
    QString title;
    MsgButtons buttons = MsgButtons::Ok;
    MsgIcon icon = MsgIcon::None;
};

struct VersionInfo {
    QString ProductName;
    QString CompanyName;
    QString Comments;
    int Major = 0;
    int Minor = 0;
    int Revision = 0;
};

class Platform
{
public:
    virtual ~Platform() = default;

    // Modal; returns the button pressed (closing the box counts as Cancel, or Ok for Ok-only).
    virtual MsgResult messageBox(const MessageBoxRequest &request) = 0;

    virtual void clearClipboard() = 0;
    // Marked as secret, so that clipboard managers and history do not keep it.
    virtual void setClipboardText(const QString &text) = 0;
    virtual QString clipboardText() const = 0;

    // Starts a program with its arguments, never through a shell; false when it cannot start.
    // When it ends in failure later, onLaterFailure gets the reason as a sentence.
    virtual bool launch(const QString &program, const QStringList &arguments,
                        const std::function<void(const QString &reason)> &onLaterFailure) = 0;
    // The program and arguments that open an address in the user's browser or file manager.
    virtual QStringList openAddressCommand(const QString &address) const = 0;

    virtual QString readSetting(const QString &application, const QString &section,
                                const QString &key, const QString &defaultValue) = 0;
    virtual void writeSetting(const QString &application, const QString &section,
                              const QString &key, const QString &value) = 0;

    virtual QDateTime now() const = 0;

    // False when the web engine must not start: as root, unless the user turned
    // its sandbox off (QTWEBENGINE_DISABLE_SANDBOX=1) themselves.
    virtual bool webViewsAllowed() const = 0;

    // Ends the process at once: no window's unload handling runs, nothing more is written.
    // A program that could not do its work ends with status 1.
    virtual void endProgram(int exitStatus) = 0;

    virtual QString applicationFolder() const = 0;
    virtual VersionInfo versionInfo() const = 0;
};

} // namespace platform
