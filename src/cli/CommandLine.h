#pragma once

#include "vault/PasswordGenerator.h"
#include "vault/VaultCsv.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <variant>

// What the user asked for: keyholder-cli [--vault FILE] [--password-stdin] [--take-over] COMMAND [ARGS].
struct Invocation
{
    enum class Command { Help, Version, List, Show, Add, Edit, Remove, Export, Import, Create, Encrypt, Decrypt, Passwd,
                         Generate, Check };

    Command command = Command::Help;
    QString vaultPath; // empty: the default vault
    bool passwordStdin = false;
    bool takeOver = false; // a lock left by another computer or an ended program is taken over

    int entryNumber = 0; // show, edit, remove: 1-based, as list counts
    QString username, location; // add
    bool generatePassword = false; // add: the password is made, not asked for
    GeneratorOptions generator; // generate, add --generate
    int count = 1; // generate: how many passwords
    QString breachList; // check: the file of breached passwords (empty: none)
    std::optional<QString> newUsername, newLocation; // edit
    bool newPassword = false; // edit
    bool showPasswords = false; // list
    std::optional<QString> find; // list: the words an entry shown must hold
    QString file; // export (empty: standard output), import
    bool force = false; // export: an existing file is replaced
    VaultCsv::Format importFormat = VaultCsv::Format::Auto;
    bool skipInvalid = false; // import

    bool writes() const;
};

namespace CommandLine {

struct UsageError
{
    QString message;
};

// The arguments after the program name.
std::variant<Invocation, UsageError> parse(const QStringList &arguments);

QString usage();

} // namespace CommandLine
