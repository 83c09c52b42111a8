#include "ui/vault/modGlobals.h"

#include "app/AppContext.h"
#include "ui/StatusReporter.h"
#include "ui/vault/RunningCopy.h"
#include "ui/vault/frmPass.h"

#include <QGuiApplication>
#include <QDir>
#include <QLocale>

using namespace Qt::StringLiterals;
using platform::MsgButtons;
using platform::MsgIcon;
using platform::MsgResult;

namespace {

const QString ErrorTitle = u"Error"_s;

// Without its vault the program has nothing to show; it stops before writing anything.
void endForUnusableVault(AppContext &ctx, const QString &error)
{
    ctx.session().releaseLock();
    ctx.MsgBox(ctx.appTitle() + u" cannot open its vault file and will now close.\n\n"_s + error,
               MsgButtons::Ok, ErrorTitle, MsgIcon::Critical);
    ctx.windows.EndProgram();
}

// The locale's long time format names the time zone; the status line leaves it out.
QString timeWithSecondsFormat(const QLocale &locale)
{
    QString format;
    bool quoted = false;
    for (const QChar c : locale.timeFormat(QLocale::LongFormat)) {
        if (c == u'\'')
            quoted = !quoted;
        if (quoted || c != u't')
            format += c;
    }
    format.remove(u"()"_s);
    return format.trimmed();
}

// The short date, a space and the time with seconds; at exactly midnight the date alone.
QString dateAndTimeText(const QDateTime &when)
{
    const QLocale locale;
    const QTime time = when.time();
    QString text = locale.toString(when.date(), QLocale::ShortFormat);
    if (time.hour() != 0 || time.minute() != 0 || time.second() != 0)
        text += u' ' + locale.toString(time, timeWithSecondsFormat(locale));
    return text;
}

void reportNotSaved(AppContext &ctx, StatusReporter &status)
{
    status.SetStatus(u"Entries NOT saved to "_s + QDir::toNativeSeparators(ctx.session().path()));
}

void reportSaveFailure(AppContext &ctx, StatusReporter &status, const QString &error)
{
    reportNotSaved(ctx, status);
    ctx.MsgBox(u"Your entries were NOT saved.\n\n"_s + error, MsgButtons::Ok, ErrorTitle,
               MsgIcon::Critical);
}

bool reportSaved(AppContext &ctx, StatusReporter &status)
{
    status.SetStatus(u"Saved "_s + dateAndTimeText(ctx.platform.now()));
    return true;
}

// Another program changed the file in a way the change made here cannot join.
bool resolveConflict(AppContext &ctx, StatusReporter &status)
{
    VaultSession &session = ctx.session();
    const MsgResult answer = ctx.MsgBox(
            u"The vault file \"%1\" was changed by another program, and %2\n\n"
            "Click OK to replace it with the entries shown here, or Cancel to leave it as it is "
            "(your change is then not saved)."_s.arg(QDir::toNativeSeparators(session.path()),
                                                      session.conflictReason()),
            MsgButtons::OkCancel, u"Vault Changed"_s, MsgIcon::Warning);
    if (answer != MsgResult::Ok) {
        reportNotSaved(ctx, status);
        return false;
    }
    if (Result<void> written = session.saveOverwriting(); !written) {
        reportSaveFailure(ctx, status, written.error());
        return false;
    }
    return reportSaved(ctx, status);
}

} // namespace

namespace modGlobals {

void OpenVault(AppContext &ctx)
{
    VaultSession &session = ctx.session();
    if (Result<void> locked = session.acquireLock(); !locked) {
        if (!session.isOpenElsewhere()) {
            endForUnusableVault(ctx, locked.error());
            return;
        }
        RunningCopy::askToComeForward(session.path());
        ctx.MsgBox(locked.error(), MsgButtons::Ok, ctx.appTitle(), MsgIcon::Information);
        ctx.windows.EndProgram();
        return;
    }
    new RunningCopy(session.path(), [&ctx] { ctx.windows.BringShownForward(); }, &session);
    if (Result<void> opened = session.open(); !opened) {
        endForUnusableVault(ctx, opened.error());
        return;
    }
    if (session.needsNewMasterPassword())
        AskNewMasterPassword(ctx);
    else
        AskMasterPassword(ctx);
}

void AskNewMasterPassword(AppContext &ctx)
{
    ctx.vault.FirstUse = true;
    ctx.windows.Show<frmPass>();
}

void AskMasterPassword(AppContext &ctx)
{
    ctx.vault.FirstUse = false;
    ctx.windows.Show<frmPass>();
}

bool LoadEntries(AppContext &ctx, const QString &password)
{
    VaultSession &session = ctx.session();
    // Deriving the key of an encrypted vault takes about a second.
    if (session.isEncrypted())
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    Result<bool> unlocked = session.unlock(password);
    if (session.isEncrypted())
        QGuiApplication::restoreOverrideCursor();
    if (!unlocked) {
        endForUnusableVault(ctx, unlocked.error());
        return true;
    }
    return unlocked.value();
}

void CreateMasterPassword(AppContext &ctx, const QString &password)
{
    ctx.windows.Unload<frmPass>();
    QGuiApplication::processEvents();
    if (Result<void> created = ctx.session().createMasterPassword(password); !created)
        endForUnusableVault(ctx, created.error());
}

bool SaveVault(AppContext &ctx, StatusReporter &status, Result<VaultSession::SaveStatus> attempt)
{
    if (!attempt) {
        reportSaveFailure(ctx, status, attempt.error());
        return false;
    }
    if (attempt.value() == VaultSession::SaveStatus::Conflict)
        return resolveConflict(ctx, status);
    return reportSaved(ctx, status);
}

bool SaveVault(AppContext &ctx, StatusReporter &status)
{
    return SaveVault(ctx, status, ctx.session().save());
}

} // namespace modGlobals
