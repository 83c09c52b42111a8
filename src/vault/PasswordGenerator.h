#pragma once

#include "Result.h"

#include <QString>
#include <QStringList>

// What a new password is made of: characters drawn from the chosen classes, or
// words of the EFF large wordlist.
struct GeneratorOptions
{
    enum class Mode { Characters, Passphrase };
    Mode mode = Mode::Characters;
    int length = 20;                 // 8..128
    bool upper = true, lower = true, digits = true, symbols = true;
    bool excludeLookAlikes = true;   // no I, l, 1, O or 0
    int words = 6;                   // 3..20
    QString separator = QStringLiteral("-");

    bool operator==(const GeneratorOptions &) const = default;
};

// Passwords drawn with libsodium's randombytes_uniform, so every choice is
// unbiased. In Characters mode the whole password is drawn again until every
// chosen class appears in it: all such passwords are equally likely, and each
// position is uniform within its class.
namespace PasswordGenerator {

inline constexpr int MinLength = 8, MaxLength = 128, MinWords = 3, MaxWords = 20;

// Why these options make no password the vault can store, as a sentence; ok when they do.
Result<void> check(const GeneratorOptions &options);
// Refuses what check refuses, and fails when libsodium cannot start.
Result<QString> generate(const GeneratorOptions &options);
// length × log2(alphabet size), or words × log2(7776).
double entropyBits(const GeneratorOptions &options);
// The characters of each chosen class, in the order upper, lower, digits, symbols.
// Symbols are the printable ASCII punctuation but "|", which the vault's
// separator "|||" is made of.
QStringList classes(const GeneratorOptions &options);

} // namespace PasswordGenerator
