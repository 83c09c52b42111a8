#include "VaultCommands.h"

#include "Console.h"
#include "vault/EncryptedFormat.h"
#include "vault/EntryFind.h"
#include "vault/PasswordCheck.h"
#include "vault/PasswordGenerator.h"
#include "vault/Rules.h"
#include "vault/VaultCsv.h"
#include "vault/VaultFile.h"
#include "vault/VaultLocation.h"
#include "vault/VaultSession.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {

// username TAB location, or username TAB password TAB location, each field put by print.
template <typename Field, typename Print>
void outFieldsOf(Console &console, const Field &username, const Field &password, const Field &location,
                 bool withPassword, Print print)
{
    print(username);
    if (withPassword) {
        console.out(u"\t");
        print(password);
    }
    console.out(u"\t");
    print(location);
}

using Command = Invocation::Command;

Error wrongMasterPassword()
{
    return Error{u"Wrong master password"_s};
}

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// A change that reached the disk, or why it did not.
Result<void> saved(const VaultSession &session, const Result<VaultSession::SaveStatus> &outcome)
{
    if (!outcome)
        return outcome.error();
    switch (outcome.value()) {
    case VaultSession::SaveStatus::Saved:
        return {};
    case VaultSession::SaveStatus::Conflict:
        return Error{u"Nothing was saved: the vault file was changed by another program, and %1"_s.arg(
                session.conflictReason())};
    case VaultSession::SaveStatus::Disputed:
        break;
    }
    return Error{u"Nothing was saved: the vault file was changed by another program, and %1 of its "
                 "entries were changed here too. Run the command again to make the change on top."_s.arg(
                         session.disputes().size())};
}

// The rules the entry editor applies to what is typed, in its words.
Result<void> checkTyped(const VaultEntry &entry)
{
    const Rules::EntryCheck check = Rules::checkEntry(entry);
    switch (check.problem) {
    case Rules::EntryCheck::Problem::None:
        return {};
    case Rules::EntryCheck::Problem::NoUsername:
        return Error{u"You must enter a username"_s};
    case Rules::EntryCheck::Problem::NoPassword:
        return Error{u"You must enter a password"_s};
    case Rules::EntryCheck::Problem::Unstorable:
        break;
    }
    return Error{u"Nothing was saved: %1"_s.arg(check.sentence())};
}

// The rules the password dialog applies to a new master password, in its words.
Result<void> checkNewMasterPassword(const QString &password)
{
    const Rules::MasterPasswordCheck check = Rules::checkMasterPassword(password);
    switch (check.problem) {
    case Rules::MasterPasswordCheck::Problem::None:
        return {};
    case Rules::MasterPasswordCheck::Problem::TooShort:
        return Error{u"The master password must be at least %1 characters long"_s.arg(
                Rules::MinimumMasterPasswordLength)};
    case Rules::MasterPasswordCheck::Problem::Unstorable:
        break;
    }
    return Error{u"The master password cannot be saved: %1."_s.arg(check.reason)};
}

// An export never lands on a file the vault needs, whatever its name or --force,
// and on another only when told. Checked before the password is asked for.
Result<void> checkExportTarget(const QString &file, bool force, const QString &vaultPath)
{
    const QString target = VaultFile::canonicalPath(file);
    for (const QString &own : {vaultPath, VaultFile::backupPathOf(vaultPath), vaultPath + u".lock"_s}) {
        if (target == own)
            return Error{u"\"%1\" is the vault's own file \"%2\"; the export goes to another file"_s.arg(
                    native(file), native(own))};
    }
    if (const QFileInfo info(file); !force && (info.exists() || info.isSymLink()))
        return Error{u"The file \"%1\" is there already; --force replaces it"_s.arg(native(file))};
    return {};
}

} // namespace

VaultCommands::VaultCommands(const Invocation &invocation, Console &console)
    : m_invocation(invocation), m_console(console)
{
}

int VaultCommands::run()
{
    const Result<void> done = execute();
    // Output that did not get out is a failure, even of a command that worked.
    const QString outputFailed = m_console.finish();
    if (done && outputFailed.isEmpty())
        return 0;
    m_console.err(u"keyholder-cli: %1\n"_s.arg(
            done ? u"Could not write to standard output: %1"_s.arg(outputFailed) : done.message()));
    return 1;
}

Result<void> VaultCommands::execute()
{
    if (m_invocation.command == Command::Generate)
        return generate();
    // The same file the program would open.
    const Result<QString> path = VaultLocation::resolve(QCoreApplication::applicationDirPath(), m_invocation.vaultPath);
    if (!path)
        return path.error();
    m_vaultPath = path.value();
    VaultSession session(m_vaultPath);
    if (m_invocation.command == Command::Create)
        return create(session);
    // Files named on the line are checked before the vault is locked or a password asked.
    if (m_invocation.command == Command::Import) {
        if (Result<void> readable = VaultFile::checkReadableFile(m_invocation.file); !readable)
            return readable;
    }
    if (!m_invocation.breachList.isEmpty()) {
        Result<BreachList> breaches = BreachList::open(m_invocation.breachList);
        if (!breaches)
            return breaches.error();
        m_breaches.emplace(std::move(breaches).value());
    }
    if (m_invocation.command == Command::Export && !m_invocation.file.isEmpty()) {
        if (Result<void> target = checkExportTarget(m_invocation.file, m_invocation.force, session.path()); !target)
            return target;
    }
    if (Result<void> opened = openSession(session); !opened)
        return opened;
    // A plain list, and an entry added to a scrambled vault, go straight through the file.
    if (m_invocation.command == Command::List && !m_invocation.find)
        return listFromFile(session);
    if (m_invocation.command == Command::Add && !session.isEncrypted())
        return addThroughFile(session);
    if (Result<void> unlocked = unlock(session); !unlocked)
        return unlocked;

    switch (m_invocation.command) {
    case Command::List: return list(session);
    case Command::Show: return show(session);
    case Command::Add: return add(session);
    case Command::Edit: return edit(session);
    case Command::Remove: return remove(session);
    case Command::Export: return exportCsv(session);
    case Command::Import: return importCsv(session);
    case Command::Encrypt: return encrypt(session);
    case Command::Decrypt: return decrypt(session);
    case Command::Passwd: return passwd(session);
    case Command::Check: return check(session);
    case Command::Generate:
    case Command::Create:
    case Command::Help:
    case Command::Version: break;
    }
    return {};
}

// Writing commands take the lock first, so they never write under the program.
Result<void> VaultCommands::openSession(VaultSession &session)
{
    // Opening creates a missing file: only create may do that.
    if (!QFileInfo::exists(m_vaultPath)) {
        if (Result<void> nothingLost = session.checkNothingToRestore(); !nothingLost)
            return nothingLost;
        return Error{u"There is no vault \"%1\"; keyholder-cli create makes one"_s.arg(native(m_vaultPath))};
    }
    if (m_invocation.writes()) {
        if (Result<void> locked = lock(session); !locked)
            return locked;
    }
    return session.open();
}

Result<void> VaultCommands::lock(VaultSession &session)
{
    const QString path = native(session.path());
    switch (session.acquireLock()) {
    case VaultLock::Status::Taken:
        return {};
    case VaultLock::Status::HeldByRunningProgram:
        return Error{u"The vault \"%1\" is open in Keyholder or another program, so it cannot be "
                     "changed now; list, show and export still work"_s.arg(path)};
    case VaultLock::Status::HeldElsewhere:
        if (m_invocation.takeOver)
            return session.takeOverLock();
        return Error{u"The vault \"%1\" is locked by %2. If that program is no longer using it, "
                     "--take-over before the command takes the lock over; list, show and export "
                     "still work"_s.arg(path, session.fileLock().owner().describe())};
    case VaultLock::Status::Unavailable:
        break;
    }
    return Error{u"The vault \"%1\" cannot be changed: %2"_s.arg(path, session.fileLock().reason())};
}

// The file is made only once the password is known, so a failed create leaves nothing behind.
Result<void> VaultCommands::create(VaultSession &session)
{
    if (Result<void> nothingLost = session.checkNothingToRestore(); !nothingLost)
        return nothingLost;
    if (Result<void> locked = lock(session); !locked)
        return locked;
    const bool existed = QFileInfo::exists(m_vaultPath);
    if (existed) {
        if (Result<void> opened = session.open(); !opened)
            return opened;
        if (!session.needsNewMasterPassword())
            return Error{u"The vault \"%1\" already has a master password"_s.arg(native(m_vaultPath))};
    }
    const Result<QString> password = askNewMasterPassword(!m_invocation.passwordStdin);
    if (!password)
        return password.error();
    if (Result<void> allowed = checkNewMasterPassword(password.value()); !allowed)
        return allowed;
    if (!existed) {
        if (Result<void> opened = session.open(); !opened)
            return opened;
    }
    if (Result<void> made = session.createMasterPassword(password.value()); !made)
        return made;
    m_console.out(u"Created the vault \"%1\".\n"_s.arg(native(m_vaultPath)));
    return {};
}

Result<void> VaultCommands::unlock(VaultSession &session)
{
    return unlockWith(session, [&session](const QString &password) { return session.unlock(password); });
}

Result<void> VaultCommands::unlockWith(const VaultSession &session,
                                       const std::function<Result<VaultSession::UnlockOutcome>(const QString &)> &open)
{
    if (session.needsNewMasterPassword())
        return Error{u"The vault \"%1\" has no master password yet; keyholder-cli create sets one"_s.arg(native(m_vaultPath))};
    const Result<QString> password = askPassword(u"Master password: "_s);
    if (!password)
        return password.error();
    const Result<VaultSession::UnlockOutcome> unlocked = open(password.value());
    if (!unlocked)
        return unlocked.error();
    if (unlocked.value() == VaultSession::UnlockOutcome::WrongPassword)
        return wrongMasterPassword();
    return {};
}

Result<QString> VaultCommands::askPassword(const QString &prompt)
{
    if (!m_console.canAskPasswords())
        return Error{u"There is no terminal to ask for the password on; use --password-stdin"_s};
    std::optional<QString> password = m_console.password(prompt);
    if (!password)
        return Error{u"No password was given"_s};
    return std::move(password.value());
}

Result<QString> VaultCommands::askNewMasterPassword(bool repeat)
{
    const Result<QString> password = askPassword(u"New master password: "_s);
    if (!password || !repeat)
        return password;
    const Result<QString> again = askPassword(u"Repeat the master password: "_s);
    if (!again)
        return again.error();
    if (again.value() != password.value())
        return Error{u"The two passwords differ"_s};
    return password;
}

EncryptedFormat::KdfLimits VaultCommands::tunedLimits()
{
    m_console.err(u"Tuning the key to this computer...\n"_s);
    return EncryptedFormat::calibrate();
}

Result<int> VaultCommands::entryRow(const VaultSession &session) const
{
    const int count = session.entries().rowCount();
    if (m_invocation.entryNumber > count)
        return Error{u"There is no entry %1; the vault holds %2"_s.arg(m_invocation.entryNumber).arg(count)};
    return m_invocation.entryNumber - 1;
}

// Entries found keep their number in the whole vault, which show, edit and remove take.
Result<void> VaultCommands::list(const VaultSession &session)
{
    const std::optional<EntryFind> find =
            m_invocation.find ? std::optional<EntryFind>(std::in_place, *m_invocation.find) : std::nullopt;
    int number = 0;
    for (const EntryRow &row : session.entries().rows()) {
        ++number;
        if (find) {
            if (!find->matches(row))
                continue;
            m_console.out(QString::number(number) + u'\t');
        }
        outFields(row, m_invocation.showPasswords);
        m_console.out(u"\n");
    }
    return {};
}

// The whole vault, with no find: printed straight from the file's bytes, so
// a million entries are never decoded into rows.
Result<void> VaultCommands::listFromFile(const VaultSession &session)
{
    static const Console::ByteText fileText = Console::escapedTextOf(&VaultFormat::RawEntry::characterOf);
    const auto print = [&](const VaultFormat::RawEntry &entry) {
        outFieldsOf(m_console, entry.username, entry.password, entry.location, m_invocation.showPasswords,
                    [&](QByteArrayView field) { m_console.outEscaped(field, fileText); });
        m_console.out(u"\n");
    };
    return unlockWith(session, [&](const QString &password) { return session.readEntriesThrough(password, print); });
}

void VaultCommands::outFields(const EntryRow &row, bool withPassword)
{
    outFieldsOf(m_console, row.username(), row.password(), row.location(), withPassword,
                [&](QStringView field) { m_console.outEscaped(field); });
}

Result<void> VaultCommands::show(const VaultSession &session)
{
    const Result<int> row = entryRow(session);
    if (!row)
        return row.error();
    const EntryRow &entry = session.entries().row(row.value());
    const std::pair<QStringView, QStringView> lines[] = {
            {u"Username: ", entry.username()}, {u"Password: ", entry.password()}, {u"Location: ", entry.location()}};
    for (const auto &[label, text] : lines) {
        m_console.out(label);
        m_console.outEscaped(text);
        m_console.out(u"\n");
    }
    return {};
}

Result<VaultEntry> VaultCommands::newEntry()
{
    const Result<QString> password = m_invocation.generatePassword
            ? PasswordGenerator::generate(m_invocation.generator)
            : askPassword(u"Password for the new entry: "_s);
    if (!password)
        return password.error();
    VaultEntry entry{m_invocation.username, password.value(), m_invocation.location};
    if (Result<void> typed = checkTyped(entry); !typed)
        return typed.error();
    return entry;
}

Result<void> VaultCommands::add(VaultSession &session)
{
    const Result<VaultEntry> entry = newEntry();
    if (!entry)
        return entry.error();
    if (Result<void> done = saved(session, session.add(entry.value())); !done)
        return done;
    m_console.out(u"Added entry %1.\n"_s.arg(session.entries().rowCount()));
    return {};
}

// The entry goes after the file's own, written straight from the file's
// bytes, so a million entries are never decoded into rows. The master line is
// checked before the entry's password is asked, as an unlock would.
Result<void> VaultCommands::addThroughFile(VaultSession &session)
{
    QString master;
    if (Result<void> right = unlockWith(session, [&](const QString &password) {
            master = password;
            return session.checkMasterLine(password);
        });
        !right)
        return right;
    const Result<VaultEntry> entry = newEntry();
    if (!entry)
        return entry.error();
    const Result<VaultSession::Appended> appended = session.appendThrough(master, {EntryRow(entry.value())});
    if (!appended)
        return appended.error();
    if (appended->outcome == VaultSession::UnlockOutcome::WrongPassword)
        return wrongMasterPassword();
    m_console.out(u"Added entry %1.\n"_s.arg(appended->entries));
    return {};
}

Result<void> VaultCommands::edit(VaultSession &session)
{
    const Result<int> row = entryRow(session);
    if (!row)
        return row.error();
    VaultEntry entry = session.entries().entry(row.value());
    entry.Username = m_invocation.newUsername.value_or(entry.Username);
    entry.Location = m_invocation.newLocation.value_or(entry.Location);
    if (m_invocation.newPassword) {
        const Result<QString> password = askPassword(u"New password for the entry: "_s);
        if (!password)
            return password.error();
        entry.Password = password.value();
    }
    if (Result<void> typed = checkTyped(entry); !typed)
        return typed;
    if (Result<void> done = saved(session, session.replace(row.value(), entry)); !done)
        return done;
    m_console.out(u"Changed entry %1.\n"_s.arg(m_invocation.entryNumber));
    return {};
}

Result<void> VaultCommands::remove(VaultSession &session)
{
    const Result<int> row = entryRow(session);
    if (!row)
        return row.error();
    if (Result<void> done = saved(session, session.remove(row.value())); !done)
        return done;
    m_console.out(u"Removed entry %1.\n"_s.arg(m_invocation.entryNumber));
    return {};
}

Result<void> VaultCommands::exportCsv(const VaultSession &session)
{
    const QByteArray csv = VaultCsv::exportCsv(session.entries().rows());
    m_console.err(u"Warning: the export is not protected: anyone who can read it can read every password.\n"_s);
    if (m_invocation.file.isEmpty()) {
        m_console.outBytes(csv);
        return {};
    }
    return VaultFile::writePrivate(m_invocation.file, csv,
                                   m_invocation.force ? VaultFile::Existing::Replace : VaultFile::Existing::Refuse);
}

// Nothing is added until every row has passed, unless told to leave out the
// rows the vault cannot store; then all of them are saved at once, or none.
Result<void> VaultCommands::importCsv(VaultSession &session)
{
    const QString &path = m_invocation.file;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Error{u"Could not open \"%1\": %2"_s.arg(native(path), file.errorString())};
    Result<VaultCsv::Import> import = VaultCsv::importCsv(file, m_invocation.importFormat, session.entries().rows());
    if (!import)
        return Error{u"Could not import \"%1\": %2"_s.arg(native(path), import.message()), import.errorKind()};
    for (const VaultCsv::RejectedRow &row : import->rejected)
        m_console.err(u"row %1: %2\n"_s.arg(row.row).arg(row.reason));
    if (!import->rejected.empty() && !m_invocation.skipInvalid) {
        return Error{u"Nothing was imported: %1 row(s) cannot be stored; --skip-invalid imports the others"_s
                             .arg(import->rejected.size())};
    }
    const size_t imported = import->rows.size();
    // Nothing new: the vault and its backup stay as they are.
    if (imported > 0) {
        if (Result<void> done = saved(session, session.addAll(std::move(import.value().rows))); !done)
            return done;
    }
    QString report = u"Imported %1 entries from a %2 export; skipped %3 row(s)"_s.arg(imported)
                             .arg(VaultCsv::nameOf(import->format))
                             .arg(import->rejected.size());
    if (import->duplicates > 0)
        report += u"; skipped %1 duplicates"_s.arg(import->duplicates);
    m_console.out(report + u".\n"_s);
    return {};
}

// Converted in place under the lock, through the same safe write as every save.
Result<void> VaultCommands::encrypt(VaultSession &session)
{
    if (session.isEncrypted())
        return Error{u"The vault \"%1\" is encrypted already"_s.arg(native(m_vaultPath))};
    if (Result<void> done = session.encrypt(tunedLimits()); !done)
        return done;
    m_console.out(u"Encrypted the vault \"%1\" and its backup.\n"_s.arg(native(m_vaultPath)));
    m_console.err(u"Warning: copies of the vault made before now (backups, synced or copied files) "
                  "are still only scrambled: anyone who can read them can read every password. "
                  "Delete them.\n"_s);
    return {};
}

Result<void> VaultCommands::decrypt(VaultSession &session)
{
    if (!session.isEncrypted())
        return Error{u"The vault \"%1\" is not encrypted"_s.arg(native(m_vaultPath))};
    if (Result<void> done = session.decrypt(); !done)
        return done;
    m_console.out(u"Decrypted the vault \"%1\".\n"_s.arg(native(m_vaultPath)));
    m_console.err(u"Warning: the vault is now only scrambled: anyone who can read it can read every password.\n"_s);
    return {};
}

// The current password was asked for by the unlock, so a wrong one changes nothing.
Result<void> VaultCommands::passwd(VaultSession &session)
{
    const Result<QString> password = askNewMasterPassword(true);
    if (!password)
        return password.error();
    // Refused before the key is tuned, which takes a while.
    if (Result<void> allowed = checkNewMasterPassword(password.value()); !allowed)
        return allowed;
    const EncryptedFormat::KdfLimits limits = session.isEncrypted() ? tunedLimits() : EncryptedFormat::KdfLimits{};
    if (Result<void> done = session.changeMasterPassword(password.value(), limits); !done)
        return done;
    m_console.out(u"Changed the master password of the vault \"%1\".\n"_s.arg(native(m_vaultPath)));
    if (const QString backup = VaultFile::backupPathOf(m_vaultPath); QFileInfo::exists(backup))
        m_console.err(u"Warning: the backup \"%1\" holds the vault as it was, which the old master password "
                      "still opens.\n"_s.arg(native(backup)));
    return {};
}

// Printed as they come, one per line, so a script can take as many as it needs.
Result<void> VaultCommands::generate()
{
    for (int i = 0; i < m_invocation.count; ++i) {
        const Result<QString> password = PasswordGenerator::generate(m_invocation.generator);
        if (!password)
            return password.error();
        m_console.out(password.value() + u'\n');
    }
    return {};
}

// Findings are the command's output, not errors: it succeeds whatever it finds.
Result<void> VaultCommands::check(const VaultSession &session)
{
    const std::vector<EntryRow> &rows = session.entries().rows();
    const Result<std::vector<Finding>> findings =
            PasswordCheck::run(rows, m_breaches ? &m_breaches.value() : nullptr);
    if (!findings)
        return findings.error();
    for (const Finding &finding : findings.value()) {
        m_console.out(QString::number(finding.row + 1) + u'\t');
        outFields(rows[size_t(finding.row)], false);
        m_console.out(u"\t"_s + finding.reason + u'\n');
    }
    return {};
}
