#include "vault/modGlobals.h"

#include "app/AppContext.h"
#include "ui/main/EntryList.h"
#include "ui/main/Form1.h"
#include "vault/VaultFile.h"
#include "vault/VaultFormat.h"
#include "vault/frmPass.h"

#include <QCoreApplication>
#include <QDir>
#include <QLocale>

using namespace Qt::StringLiterals;

namespace {

const QString ErrorTitle = u"Error"_s;

// Without its vault the program has nothing to show; it stops before writing anything.
void endForUnusableVault(AppContext &ctx, const QString &error)
{
    ctx.MsgBox(ctx.appTitle() + u" cannot open its vault file and will now close.\n\n"_s + error,
               platform::MsgButtons::Ok, ErrorTitle, platform::MsgIcon::Critical);
    ctx.windows.EndProgram();
}

// The file as it is now, created empty when missing; false once the program has been ended.
bool readVault(AppContext &ctx, QByteArray *bytes)
{
    const QString path = ctx.vaultPath();
    QString error;
    if (!VaultFile::EnsureVaultFile(path, &error)) {
        endForUnusableVault(ctx, error);
        return false;
    }
    VaultFile::ReadResult file = VaultFile::read(path);
    if (!file.ok) {
        endForUnusableVault(ctx, file.error);
        return false;
    }
    *bytes = std::move(file.bytes);
    return true;
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

void reportSaveFailure(AppContext &ctx, Form1 &main, const QString &path, const QString &error)
{
    main.SetStatus(u"Entries NOT saved to "_s + QDir::toNativeSeparators(path));
    ctx.MsgBox(u"Your entries were NOT saved.\n\n"_s + error, platform::MsgButtons::Ok, ErrorTitle,
               platform::MsgIcon::Critical);
}

} // namespace

namespace modGlobals {

void OpenVault(AppContext &ctx)
{
    QByteArray bytes;
    if (!readVault(ctx, &bytes))
        return;
    const QString master = VaultFormat::readMasterPassword(bytes);
    if (master.isEmpty()) {
        AskNewMasterPassword(ctx);
        return;
    }
    ctx.vault.StoredPassword = master;
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

void LoadEntries(AppContext &ctx)
{
    QByteArray bytes;
    if (!readVault(ctx, &bytes))
        return;
    std::vector<VaultEntry> entries = VaultFormat::parse(bytes).Entries;
    const size_t count = entries.size();
    Form1 *main = ctx.windows.Find<Form1>();
    if (!main)
        return;
    // One insertion for all rows, so a big vault appears at once.
    main->lstPass->entries().append(std::move(entries));
    main->SetStatus(u"Loaded "_s + QString::number(count) + u" entries"_s);
    main->afterFormLoad();
}

void CreateMasterPassword(AppContext &ctx)
{
    ctx.windows.Unload<frmPass>();
    QCoreApplication::processEvents();
    QByteArray existing;
    if (!readVault(ctx, &existing))
        return;
    // Entry lines of a vault that never had a master password are kept.
    const QByteArray bytes = VaultFormat::withFirstMasterPassword(existing, ctx.vault.MasterPassword);
    QString error;
    if (!VaultFile::write(ctx.vaultPath(), bytes, &error)) {
        endForUnusableVault(ctx, error);
        return;
    }
    Form1 *main = ctx.windows.Find<Form1>();
    if (!main)
        return;
    main->lstPass->entries().append(VaultFormat::parse(bytes).Entries);
    main->SetStatus(u"Password created successfully"_s);
    main->afterFormLoad();
}

bool SaveVault(AppContext &ctx)
{
    Form1 *main = ctx.windows.Find<Form1>();
    if (!main)
        return false;
    const QByteArray bytes =
            VaultFormat::serialize(ctx.vault.MasterPassword, main->lstPass->entries().entries());
    const QString path = ctx.vaultPath();
    QString error;
    if (!VaultFile::write(path, bytes, &error)) {
        reportSaveFailure(ctx, *main, path, error);
        return false;
    }
    main->SetStatus(u"Saved "_s + dateAndTimeText(ctx.platform.now()));
    return true;
}

} // namespace modGlobals
