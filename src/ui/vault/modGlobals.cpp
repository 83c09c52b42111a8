#include "ui/vault/modGlobals.h"

#include "ui/base/AppContext.h"
#include "ui/base/StatusReporter.h"
#include "ui/vault/RunningCopy.h"
#include "ui/vault/frmPass.h"

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
    ctx.windows.EndProgram(1);
}

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
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
    status.SetStatus(u"Entries NOT saved to "_s + native(ctx.session().path()));
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
            "(your change is then not saved)."_s.arg(native(session.path()), session.conflictReason()),
            MsgButtons::OkCancel, u"Vault Changed"_s, MsgIcon::Warning);
    if (answer != MsgResult::Ok) {
        reportNotSaved(ctx, status);
        return false;
    }
    if (Result<void> written = session.saveOverwriting(); !written) {
        reportSaveFailure(ctx, status, written.message());
        return false;
    }
    return reportSaved(ctx, status);
}

// One side of a dispute, without its password.
QString side(const QString &where, const std::optional<VaultEntry> &entry, bool otherPassword)
{
    if (!entry)
        return where + u"deleted"_s;
    QString text = where + u"\"%1\""_s.arg(entry->Username);
    if (!entry->Location.isEmpty())
        text += u" at \"%1\""_s.arg(entry->Location);
    if (otherPassword)
        text += u", with another password"_s;
    return text;
}

QString disputeText(const VaultSession &session)
{
    QString text = u"The vault file \"%1\" was changed by another program while you worked here. "
                   "Its entries are now shown in the list.\n\nThese entries were changed both here "
                   "and there:\n"_s.arg(native(session.path()));
    for (const VaultSession::Dispute &dispute : session.disputes()) {
        const bool otherPassword = dispute.mine && dispute.theirs
                && dispute.mine->Password != dispute.theirs->Password;
        text += u"\n"_s + side(u"Here: "_s, dispute.mine, false) + u"\n"_s
                + side(u"There: "_s, dispute.theirs, otherPassword) + u"\n"_s;
    }
    return text + u"\nKeep Mine saves them as changed here, Keep Theirs as changed there, and Keep Both "
                  "keeps both versions. Cancel saves nothing for now."_s;
}

bool saveOrAsk(AppContext &ctx, StatusReporter &status, Result<VaultSession::SaveStatus> attempt);

// Entries changed both here and by another program: the user picks which to keep.
bool resolveDisputes(AppContext &ctx, StatusReporter &status)
{
    VaultSession &session = ctx.session();
    const MsgResult answer = ctx.MsgBox(disputeText(session), MsgButtons::KeepMineKeepTheirsKeepBothCancel,
                                        u"Vault Changed"_s, MsgIcon::Warning);
    switch (answer) {
    case MsgResult::KeepMine:
        return saveOrAsk(ctx, status, session.resolveDisputes(VaultSession::Resolution::KeepMine));
    case MsgResult::KeepTheirs:
        return saveOrAsk(ctx, status, session.resolveDisputes(VaultSession::Resolution::KeepTheirs));
    case MsgResult::KeepBoth:
        return saveOrAsk(ctx, status, session.resolveDisputes(VaultSession::Resolution::KeepBoth));
    default:
        reportNotSaved(ctx, status);
        return false;
    }
}

// A save, or what the user wants done when the file changed outside.
bool saveOrAsk(AppContext &ctx, StatusReporter &status, Result<VaultSession::SaveStatus> attempt)
{
    if (!attempt) {
        reportSaveFailure(ctx, status, attempt.message());
        return false;
    }
    switch (attempt.value()) {
    case VaultSession::SaveStatus::Saved:
        break;
    case VaultSession::SaveStatus::Conflict:
        return resolveConflict(ctx, status);
    case VaultSession::SaveStatus::Disputed:
        return resolveDisputes(ctx, status);
    }
    return reportSaved(ctx, status);
}

// A lock left by another computer, or by a program here that has ended: the
// user decides. False when the program ends.
bool openDespiteLock(AppContext &ctx)
{
    VaultSession &session = ctx.session();
    const MsgResult answer = ctx.MsgBox(
            u"The vault \"%1\" is locked by %2.\n\nIf %3 is no longer using it there, open it anyway. "
            "Otherwise open it read-only: its entries can be read and copied, but not changed."_s.arg(
                    native(session.path()), session.fileLock().owner().describe(), ctx.appTitle()),
            MsgButtons::OpenReadOnlyOpenAnywayCancel, u"Vault Locked"_s, MsgIcon::Warning);
    switch (answer) {
    case MsgResult::OpenAnyway:
        if (Result<void> taken = session.takeOverLock(); !taken) {
            endForUnusableVault(ctx, taken.message());
            return false;
        }
        return true;
    case MsgResult::OpenReadOnly:
        session.openReadOnly(u"It is locked by %1."_s.arg(session.fileLock().owner().describe()));
        return true;
    default:
        ctx.windows.EndProgram();
        return false;
    }
}

// True when the vault may be opened, read-only or not.
bool takeLock(AppContext &ctx)
{
    VaultSession &session = ctx.session();
    switch (session.acquireLock()) {
    case VaultLock::Status::Taken:
        return true;
    case VaultLock::Status::HeldByRunningProgram:
        RunningCopy::askToComeForward(session.path());
        ctx.MsgBox(u"Keyholder is already open with this vault: "_s + native(session.path()), MsgButtons::Ok,
                   ctx.appTitle(), MsgIcon::Information);
        ctx.windows.EndProgram();
        return false;
    case VaultLock::Status::HeldElsewhere:
        return openDespiteLock(ctx);
    case VaultLock::Status::Unavailable:
        session.openReadOnly(session.fileLock().reason());
        return true;
    }
    return false;
}

} // namespace

namespace modGlobals {

frmPass *OpenVault(AppContext &ctx)
{
    VaultSession &session = ctx.session();
    if (!takeLock(ctx))
        return nullptr;
    if (session.holdsLock())
        new RunningCopy(session.path(), [&ctx] { ctx.windows.BringShownForward(); }, &session);
    if (Result<void> opened = session.open(); !opened) {
        endForUnusableVault(ctx, opened.message());
        return nullptr;
    }
    if (session.needsNewMasterPassword() && session.isReadOnly()) {
        endForUnusableVault(ctx, u"The vault has no master password yet, and it cannot be written. "_s
                                         + session.readOnlyReason());
        return nullptr;
    }
    return ctx.windows.Show<frmPass>(session.needsNewMasterPassword() ? frmPass::Mode::Create
                                                                      : frmPass::Mode::Check);
}

Unlock LoadEntries(AppContext &ctx, const QString &password, Result<VaultSession::Unlocking> prepared)
{
    const Result<VaultSession::UnlockOutcome> unlocked = ctx.session().finishUnlock(password, std::move(prepared));
    if (!unlocked) {
        endForUnusableVault(ctx, unlocked.message());
        return Unlock::ProgramEnded;
    }
    return unlocked.value() == VaultSession::UnlockOutcome::Unlocked ? Unlock::Opened : Unlock::WrongPassword;
}

bool CreateMasterPassword(AppContext &ctx, const QString &password)
{
    if (Result<void> created = ctx.session().createMasterPassword(password); !created) {
        endForUnusableVault(ctx, created.message());
        return false;
    }
    return true;
}

bool SaveVault(AppContext &ctx, StatusReporter &status, Result<VaultSession::SaveStatus> attempt,
               const QString &savedText)
{
    const bool saved = saveOrAsk(ctx, status, std::move(attempt));
    if (saved && !savedText.isEmpty())
        status.SetStatus(savedText);
    return saved;
}

bool SaveVault(AppContext &ctx, StatusReporter &status)
{
    return SaveVault(ctx, status, ctx.session().save());
}

bool RefuseChangeWhenReadOnly(AppContext &ctx)
{
    const VaultSession &session = ctx.session();
    if (!session.isReadOnly())
        return false;
    ctx.MsgBox(u"The vault is open read-only, so entries cannot be added, changed or deleted.\n\n"_s
                       + session.readOnlyReason(),
               MsgButtons::Ok, u"Read-Only"_s, MsgIcon::Information);
    return true;
}

QString LoadedText(AppContext &ctx, int entryCount)
{
    QString text = u"Loaded "_s + QString::number(entryCount) + u" entries"_s;
    if (ctx.session().isReadOnly())
        text += u", read-only. "_s + ctx.session().readOnlyReason();
    return text;
}

} // namespace modGlobals
