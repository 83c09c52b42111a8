#include "ui/main/EntryCommands.h"

#include "ui/base/AppContext.h"
#include "ui/base/StatusReporter.h"
#include "ui/main/EntryHistory.h"
#include "ui/main/EntryList.h"
#include "ui/main/LocationLauncher.h"
#include "ui/main/ShownEntries.h"
#include "ui/vault/modGlobals.h"
#include "vault/VaultSession.h"

#include <QPointer>
#include <QRegularExpression>
#include <array>

namespace EntryCommands {

namespace {

const QString CrLf = QStringLiteral("\r\n");

// What the status line says after a copy of each field, the value following it.
constexpr std::array<const char *, 3> CopiedTexts = {"Copied Username ", "Copied Password ",
                                                     "Copied Location "};

bool looksLikeWebAddress(const QString &location)
{
    static const std::array<QString, 6> webHints = {
        QStringLiteral("www"), QStringLiteral(".com"), QStringLiteral(".net"),
        QStringLiteral("org"), QStringLiteral("biz"),  QStringLiteral(".edu")};
    for (const QString &hint : webHints) {
        if (location.contains(hint, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

bool hasWebScheme(const QString &location)
{
    return location.contains(QStringLiteral("https://"), Qt::CaseInsensitive)
           || location.contains(QStringLiteral("http://"), Qt::CaseInsensitive);
}

// "mailto:", "ftp://", "ssh:": a letter, then letters, digits, '+', '-' or '.',
// then ':'. A single letter is a Windows drive ("c:\files"), not a scheme, and
// a colon before a port number ("www.example.com:8080/") ends a host.
bool startsWithScheme(const QString &location)
{
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:(?![0-9]+(?:[/?#]|$))"));
    return scheme.match(location).hasMatch();
}

} // namespace

QString deleteConfirmation(const VaultEntry &entry)
{
    return QStringLiteral("Are you sure you want to delete the following information?") + CrLf
           + CrLf + QStringLiteral("Username: ") + entry.Username + CrLf
           + QStringLiteral("Password: ") + entry.Password + CrLf + QStringLiteral("Used At: ")
           + entry.Location;
}

QString addressFor(const QString &location)
{
    if (looksLikeWebAddress(location) && !hasWebScheme(location) && !startsWithScheme(location))
        return QStringLiteral("http://") + location;
    return location;
}

void Delete(AppContext &context, EntryList &list, EntryHistory &history)
{
    StatusReporter &status = history.statusLine();
    const int position = list.firstSelectedPosition();
    if (position == 0) {
        status.SetStatus(QStringLiteral("You must first select an entry to delete."));
        return;
    }
    if (modGlobals::RefuseChangeWhenReadOnly(context))
        return;
    const platform::MsgResult answer =
            context.MsgBox(deleteConfirmation(list.item(position)), platform::MsgButtons::OkCancel,
                           QStringLiteral("Confirm Delete"), platform::MsgIcon::None);
    if (answer != platform::MsgResult::Ok) {
        status.SetStatus(QStringLiteral("Entry not deleted, cancelled by user"));
        return;
    }
    // A failed save has told the user already; the row stays deleted in the list.
    modGlobals::SaveVault(context, status, history.remove(position - 1),
                          QStringLiteral("Entry deleted successfully, data saved."));
}

void Copy(AppContext &context, const EntryList &list, StatusReporter &status, int fieldIndex)
{
    // Emptied first, so a failed copy never leaves an earlier secret behind.
    context.platform.clearClipboard();
    if (fieldIndex < 0 || fieldIndex >= static_cast<int>(CopiedTexts.size()))
        return;
    const int position = list.firstSelectedPosition();
    if (position == 0) {
        status.SetStatus(QStringLiteral("You must first select a row to copy from."));
        return;
    }
    const QString value = EntryListModel::field(list.item(position), fieldIndex);
    context.clipboard.put(value);
    const bool masked = fieldIndex == EntryListModel::PasswordColumn && list.passwordsHidden();
    status.SetStatus(QString::fromLatin1(CopiedTexts[static_cast<size_t>(fieldIndex)])
                     + (masked ? ShownEntries::HiddenPassword : value));
}

void GoTo(AppContext &context, const EntryList &list, StatusReporter &status)
{
    const int position = list.firstSelectedPosition();
    if (position == 0) {
        status.SetStatus(QStringLiteral("You must first select an entry to go to."));
        return;
    }
    status.SetStatus(QStringLiteral("Opening Location..."));
    // A launcher may fail after the window has gone; the list goes with its status line.
    const QPointer<const EntryList> window(&list);
    LocationLauncher::open(context.platform, addressFor(list.item(position).Location),
                           [window, &status](const QString &text) {
                               if (window)
                                   status.SetStatus(text);
                           });
}

} // namespace EntryCommands
