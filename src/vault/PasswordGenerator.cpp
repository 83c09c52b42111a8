#include "PasswordGenerator.h"

#include "EncryptedFormat.h"
#include "VaultFormat.h"
#include "Wordlist.h"

#include <sodium.h>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace PasswordGenerator {

namespace {

constexpr QStringView LookAlikes = u"Il1O0";

QChar drawFrom(QStringView alphabet)
{
    return alphabet[qsizetype(randombytes_uniform(uint32_t(alphabet.size())))];
}

bool hasEveryClass(QStringView password, const QStringList &classes)
{
    return std::all_of(classes.cbegin(), classes.cend(), [password](const QString &members) {
        return std::any_of(password.begin(), password.end(), [&members](QChar c) { return members.contains(c); });
    });
}

QString characters(const GeneratorOptions &options)
{
    const QStringList chosen = classes(options);
    const QString alphabet = chosen.join(QString());
    QString password(options.length, Qt::Uninitialized);
    do {
        std::generate(password.begin(), password.end(), [&alphabet] { return drawFrom(alphabet); });
    } while (!hasEveryClass(password, chosen));
    return password;
}

QString passphrase(const GeneratorOptions &options)
{
    const QStringList &list = Wordlist::eff();
    QStringList words;
    for (int i = 0; i < options.words; ++i)
        words.append(list[qsizetype(randombytes_uniform(uint32_t(list.size())))]);
    return words.join(options.separator);
}

} // namespace

QStringList classes(const GeneratorOptions &options)
{
    const std::pair<bool, QString> all[] = {
            {options.upper, u"ABCDEFGHIJKLMNOPQRSTUVWXYZ"_s},
            {options.lower, u"abcdefghijklmnopqrstuvwxyz"_s},
            {options.digits, u"0123456789"_s},
            {options.symbols, u"!\"#$%&'()*+,-./:;<=>?@[\\]^_`{}~"_s},
    };
    QStringList chosen;
    for (auto [wanted, members] : all) {
        if (!wanted)
            continue;
        if (options.excludeLookAlikes)
            members.removeIf([](QChar c) { return LookAlikes.contains(c); });
        chosen.append(members);
    }
    return chosen;
}

Result<void> check(const GeneratorOptions &options)
{
    if (options.mode == GeneratorOptions::Mode::Passphrase) {
        if (options.words < MinWords || options.words > MaxWords)
            return Error{u"A passphrase has from %1 to %2 words"_s.arg(MinWords).arg(MaxWords)};
        // Words are lower-case letters and '-', so the separator alone decides.
        const QString sample = u"word"_s + options.separator + u"word"_s;
        if (QString reason = VaultFormat::fieldUnstorableReason(sample, VaultFormat::Field::Password);
            !reason.isEmpty())
            return Error{u"The separator cannot be stored: %1"_s.arg(reason)};
        if (Wordlist::eff().isEmpty())
            return Error{u"The word list built into the program is damaged"_s};
    } else {
        if (options.length < MinLength || options.length > MaxLength)
            return Error{u"A password has from %1 to %2 characters"_s.arg(MinLength).arg(MaxLength)};
        if (!options.upper && !options.lower && !options.digits && !options.symbols)
            return Error{u"A password needs at least one kind of character"_s};
    }
    return {};
}

Result<QString> generate(const GeneratorOptions &options)
{
    if (Result<void> allowed = check(options); !allowed)
        return allowed.error();
    if (!EncryptedFormat::sodiumReady())
        return Error{u"The random number generator could not be started"_s};
    return options.mode == GeneratorOptions::Mode::Passphrase ? passphrase(options) : characters(options);
}

double entropyBits(const GeneratorOptions &options)
{
    if (options.mode == GeneratorOptions::Mode::Passphrase)
        return options.words * std::log2(double(Wordlist::EffSize));
    const qsizetype alphabet = classes(options).join(QString()).size();
    return alphabet > 0 ? options.length * std::log2(double(alphabet)) : 0;
}

} // namespace PasswordGenerator
