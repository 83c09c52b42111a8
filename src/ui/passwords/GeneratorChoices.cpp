#include "ui/passwords/GeneratorChoices.h"

#include "ui/base/UserSettings.h"

using namespace Qt::StringLiterals;

namespace GeneratorChoices {

namespace {

const QString PassphraseMode = u"passphrase"_s;

int readNumber(AppContext &context, const QString &key, int minimum, int maximum, int defaultValue)
{
    bool ok = false;
    const int stored = UserSettings::read(context, key, {}).toInt(&ok);
    return ok && stored >= minimum && stored <= maximum ? stored : defaultValue;
}

} // namespace

GeneratorOptions read(AppContext &context)
{
    GeneratorOptions options;
    if (UserSettings::read(context, u"generatorMode"_s, {}) == PassphraseMode)
        options.mode = GeneratorOptions::Mode::Passphrase;
    options.length = readNumber(context, u"generatorLength"_s, PasswordGenerator::MinLength,
                                PasswordGenerator::MaxLength, options.length);
    options.upper = UserSettings::readSwitch(context, u"generatorUpper"_s, options.upper);
    options.lower = UserSettings::readSwitch(context, u"generatorLower"_s, options.lower);
    options.digits = UserSettings::readSwitch(context, u"generatorDigits"_s, options.digits);
    options.symbols = UserSettings::readSwitch(context, u"generatorSymbols"_s, options.symbols);
    options.excludeLookAlikes =
            UserSettings::readSwitch(context, u"generatorExcludeLookAlikes"_s, options.excludeLookAlikes);
    options.words = readNumber(context, u"generatorWords"_s, PasswordGenerator::MinWords,
                               PasswordGenerator::MaxWords, options.words);
    options.separator = UserSettings::read(context, u"generatorSeparator"_s, options.separator);
    return options;
}

void write(AppContext &context, const GeneratorOptions &options)
{
    const bool passphrase = options.mode == GeneratorOptions::Mode::Passphrase;
    UserSettings::write(context, u"generatorMode"_s, passphrase ? PassphraseMode : u"characters"_s);
    UserSettings::write(context, u"generatorLength"_s, QString::number(options.length));
    UserSettings::writeSwitch(context, u"generatorUpper"_s, options.upper);
    UserSettings::writeSwitch(context, u"generatorLower"_s, options.lower);
    UserSettings::writeSwitch(context, u"generatorDigits"_s, options.digits);
    UserSettings::writeSwitch(context, u"generatorSymbols"_s, options.symbols);
    UserSettings::writeSwitch(context, u"generatorExcludeLookAlikes"_s, options.excludeLookAlikes);
    UserSettings::write(context, u"generatorWords"_s, QString::number(options.words));
    UserSettings::write(context, u"generatorSeparator"_s, options.separator);
}

} // namespace GeneratorChoices
