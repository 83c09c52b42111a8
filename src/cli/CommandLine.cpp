#include "CommandLine.h"

#include <QHash>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

using Command = Invocation::Command;

struct CommandInfo
{
    Command command;
    int positionals;
    QStringList options; // the options the command takes, besides the global ones
};

// What shapes a generated password, for generate and add --generate.
const QStringList GeneratorOptionNames{u"--length"_s, u"--no-upper"_s, u"--no-lower"_s, u"--no-digits"_s,
                                       u"--no-symbols"_s, u"--words"_s, u"--separator"_s};
// What a passphrase has no use for.
const QStringList CharacterOptionNames = GeneratorOptionNames.mid(0, 5);

const QHash<QString, CommandInfo> &commands()
{
    static const QHash<QString, CommandInfo> table{
        {u"list"_s, {Command::List, 0, {u"--show-passwords"_s, u"--find"_s}}},
        {u"show"_s, {Command::Show, 1, {}}},
        {u"add"_s, {Command::Add, 2, GeneratorOptionNames + QStringList{u"--generate"_s}}},
        {u"edit"_s, {Command::Edit, 1, {u"--username"_s, u"--location"_s, u"--password"_s}}},
        {u"remove"_s, {Command::Remove, 1, {}}},
        {u"export"_s, {Command::Export, -1, {u"--format"_s, u"--force"_s}}},
        {u"import"_s, {Command::Import, 1, {u"--format"_s, u"--skip-invalid"_s}}},
        {u"create"_s, {Command::Create, 0, {}}},
        {u"encrypt"_s, {Command::Encrypt, 0, {}}},
        {u"decrypt"_s, {Command::Decrypt, 0, {}}},
        {u"passwd"_s, {Command::Passwd, 0, {}}},
        {u"generate"_s, {Command::Generate, 0, GeneratorOptionNames + QStringList{u"--count"_s}}},
        {u"check"_s, {Command::Check, 0, {u"--breached"_s}}},
        {u"help"_s, {Command::Help, 0, {}}},
    };
    return table;
}

bool takesValue(const QString &option)
{
    return option == u"--vault" || option == u"--format" || option == u"--username"
            || option == u"--location" || option == u"--find" || option == u"--length" || option == u"--words"
            || option == u"--separator" || option == u"--count" || option == u"--breached";
}

class Parser
{
public:
    explicit Parser(const QStringList &arguments) : m_arguments(arguments) {}

    std::variant<Invocation, CommandLine::UsageError> run()
    {
        if (!split())
            return CommandLine::UsageError{m_error};
        if (m_options.contains(u"--help"_s))
            return Invocation{};
        if (m_options.contains(u"--version"_s)) {
            Invocation version;
            version.command = Command::Version;
            return version;
        }
        if (m_commandName.isEmpty())
            return CommandLine::UsageError{u"no command given"_s};
        const auto found = commands().constFind(m_commandName);
        if (found == commands().cend())
            return CommandLine::UsageError{u"unknown command \"%1\""_s.arg(m_commandName)};
        if (!fill(*found))
            return CommandLine::UsageError{m_error};
        return m_invocation;
    }

private:
    // Options may come anywhere before "--"; the first plain word is the command.
    bool split()
    {
        bool optionsEnded = false;
        for (qsizetype i = 0; i < m_arguments.size(); ++i) {
            const QString &argument = m_arguments[i];
            if (argument == u"--" && !optionsEnded) {
                optionsEnded = true; // what follows may start with "--": a username, a file
                continue;
            }
            if (optionsEnded || !argument.startsWith(u"--")) {
                if (m_commandName.isEmpty())
                    m_commandName = argument;
                else
                    m_positionals.append(argument);
                continue;
            }
            if (argument == u"--take-over" && !m_commandName.isEmpty())
                return fail(u"--take-over goes before the command"_s);
            if (takesValue(argument)) {
                if (++i == m_arguments.size())
                    return fail(u"%1 needs a value"_s.arg(argument));
                m_options.insert(argument, m_arguments[i]);
            } else {
                m_options.insert(argument, QString());
            }
        }
        return true;
    }

    bool fill(const CommandInfo &info)
    {
        Invocation &inv = m_invocation;
        inv.command = info.command;
        inv.vaultPath = m_options.take(u"--vault"_s);
        inv.passwordStdin = m_options.remove(u"--password-stdin"_s);
        inv.takeOver = m_options.remove(u"--take-over"_s);
        for (auto it = m_options.cbegin(); it != m_options.cend(); ++it) {
            if (!info.options.contains(it.key()))
                return fail(u"%1 does not take %2"_s.arg(m_commandName, it.key()));
        }
        const int wanted = info.positionals < 0 ? int(std::min<qsizetype>(m_positionals.size(), 1))
                                                : info.positionals;
        if (m_positionals.size() != wanted)
            return fail(u"%1 takes %2 argument(s)"_s.arg(m_commandName).arg(info.positionals < 0 ? u"0 or 1"_s : QString::number(wanted)));

        switch (info.command) {
        case Command::Show:
        case Command::Edit:
        case Command::Remove: {
            bool number = false;
            inv.entryNumber = m_positionals[0].toInt(&number);
            if (!number || inv.entryNumber < 1)
                return fail(u"\"%1\" is not an entry number"_s.arg(m_positionals[0]));
            break;
        }
        case Command::Add:
            inv.username = m_positionals[0];
            inv.location = m_positionals[1];
            inv.generatePassword = m_options.contains(u"--generate"_s);
            break;
        case Command::Check:
            inv.breachList = m_options.value(u"--breached"_s);
            break;
        case Command::Export:
            inv.file = m_positionals.value(0);
            if (m_options.contains(u"--format"_s) && m_options.value(u"--format"_s) != u"csv")
                return fail(u"export writes --format csv only"_s);
            inv.force = m_options.contains(u"--force"_s);
            if (inv.force && inv.file.isEmpty())
                return fail(u"--force is for export FILE"_s);
            break;
        case Command::Import: {
            inv.file = m_positionals[0];
            const auto format = VaultCsv::formatNamed(m_options.value(u"--format"_s, u"auto"_s));
            if (!format)
                return fail(u"--format is one of %1"_s.arg(VaultCsv::formatNames().join(u", ")));
            inv.importFormat = *format;
            inv.skipInvalid = m_options.contains(u"--skip-invalid"_s);
            break;
        }
        default:
            break;
        }
        inv.showPasswords = m_options.contains(u"--show-passwords"_s);
        if (m_options.contains(u"--find"_s))
            inv.find = m_options.value(u"--find"_s);
        if (m_options.contains(u"--username"_s))
            inv.newUsername = m_options.value(u"--username"_s);
        if (m_options.contains(u"--location"_s))
            inv.newLocation = m_options.value(u"--location"_s);
        inv.newPassword = m_options.contains(u"--password"_s);
        if (inv.command == Command::Edit && !inv.newUsername && !inv.newLocation && !inv.newPassword)
            return fail(u"edit needs --username, --location or --password"_s);
        return fillGenerator();
    }

    // The generator's own rules are checked here too, so a size out of range is a usage error.
    bool fillGenerator()
    {
        const auto given = [this](const QString &option) { return m_options.contains(option); };
        const auto givenAny = [&given](const QStringList &options) { return std::any_of(options.cbegin(), options.cend(), given); };
        Invocation &inv = m_invocation;
        if (inv.command == Command::Add && !inv.generatePassword) {
            return !givenAny(GeneratorOptionNames)
                    || fail(u"add takes the options of a generated password only with --generate"_s);
        }
        if (inv.command != Command::Generate && inv.command != Command::Add)
            return true;
        GeneratorOptions &options = inv.generator;
        if (given(u"--words"_s)) {
            if (givenAny(CharacterOptionNames))
                return fail(u"--words makes a passphrase, which takes only --separator"_s);
            options.mode = GeneratorOptions::Mode::Passphrase;
            options.separator = m_options.value(u"--separator"_s, options.separator);
            if (!number(u"--words"_s, options.words))
                return false;
        } else if (given(u"--separator"_s)) {
            return fail(u"--separator goes with --words"_s);
        }
        if (given(u"--length"_s) && !number(u"--length"_s, options.length))
            return false;
        options.upper = !given(u"--no-upper"_s);
        options.lower = !given(u"--no-lower"_s);
        options.digits = !given(u"--no-digits"_s);
        options.symbols = !given(u"--no-symbols"_s);
        if (given(u"--count"_s) && (!number(u"--count"_s, inv.count) || inv.count < 1))
            return fail(u"--count needs a number of at least 1"_s);
        if (Result<void> allowed = PasswordGenerator::check(options); !allowed)
            return fail(allowed.message());
        return true;
    }

    bool number(const QString &option, int &into)
    {
        bool ok = false;
        into = m_options.value(option).toInt(&ok);
        return ok || fail(u"%1 needs a number"_s.arg(option));
    }

    bool fail(const QString &message)
    {
        m_error = message;
        return false;
    }

    const QStringList &m_arguments;
    QString m_commandName;
    QStringList m_positionals;
    QHash<QString, QString> m_options;
    Invocation m_invocation;
    QString m_error;
};

} // namespace

bool Invocation::writes() const
{
    return command == Command::Add || command == Command::Edit || command == Command::Remove
            || command == Command::Import || command == Command::Create || command == Command::Encrypt
            || command == Command::Decrypt || command == Command::Passwd;
}

namespace CommandLine {

std::variant<Invocation, UsageError> parse(const QStringList &arguments)
{
    return Parser(arguments).run();
}

QString usage()
{
    return uR"(Usage: keyholder-cli [--vault FILE] [--password-stdin] [--take-over] COMMAND [ARGS]
       keyholder-cli --help | --version

Commands:
  list [--show-passwords] [--find TEXT]
                               one line per entry: username TAB location
                               (username TAB password TAB location with --show-passwords);
                               --find shows only the entries whose username or location
                               holds every word of TEXT, case ignored, each line starting
                               with the entry's number N and a TAB
  show N                       entry N, numbered as list counts from 1
  add USERNAME LOCATION [--generate [GENERATOR OPTIONS]]
                               a new entry; its password is asked for, or with --generate
                               made as generate makes it (20 characters unless told), stored
                               and not shown
  edit N [--username TEXT] [--location TEXT] [--password]
                               changes entry N; --password asks for a new password
  remove N                     deletes entry N
  export [--format csv] [--force] [FILE]
                               all entries as CSV, to standard output without FILE; the file
                               is made readable by you only, and an existing one is replaced
                               only with --force (never the vault, its backup or its lock)
  import FILE [--format auto|keyholder|keepassxc|bitwarden|chrome|firefox] [--skip-invalid]
                               adds the entries of a CSV export, leaving out rows that are
                               in the vault already
  create                       sets the master password of a new vault (at least 4 characters)
  encrypt                      encrypts the vault (and its backup) with a key made from the
                               master password; Keyholder opens it as before
  decrypt                      turns an encrypted vault back into the scrambled format
  passwd                       changes the master password: asks for the current one, then
                               for the new one twice
  generate [GENERATOR OPTIONS] [--count N]
                               prints a new password (N of them, one per line); needs no vault
  check [--breached FILE]      one line per password to change, worst first:
                               N TAB username TAB location TAB reason, where the reason is
                               "breached: seen X times" (in FILE, a list of SHA-1 hashes and
                               counts sorted by hash), "reused: X entries" or "weak: X bits"

Generator options:
  --length N                   8 to 128 characters (20 unless told), drawn from upper- and
                               lower-case letters, digits and symbols, each kind at least once,
                               without I, l, 1, O, 0 or |
  --no-upper, --no-lower, --no-digits, --no-symbols
                               leaves that kind out
  --words N [--separator S]    a passphrase instead: N words (3 to 20) of the EFF large
                               wordlist, joined with S ("-" unless told)

list and show print control characters escaped (\t, \n, \r, \xHH), so each entry is one
line and nothing reaches the terminal as a command; export is the lossless form.
The master password is read from the terminal without echo, or with --password-stdin as
one line from standard input (add and edit then read the entry's password from the next line,
passwd the new master password from the next two).
The commands that write refuse while the vault is locked; --take-over takes over a lock
left by another computer or by a program that has ended.
Exit status: 0 success, 1 error (also when the output could not be written), 2 usage error.
)"_s;
}

} // namespace CommandLine
