#include "ui/help/ShowHelpSetting.h"

#include "ui/base/UserSettings.h"

namespace ShowHelpSetting {

namespace {

const QString Key = QStringLiteral("showHelp");

} // namespace

QString read(AppContext &context)
{
    return UserSettings::read(context, Key, QString::fromLatin1(DefaultValue));
}

void write(AppContext &context, const QString &value)
{
    UserSettings::write(context, Key, value);
}

bool opensAtStartup(const QString &stored)
{
    return stored == QLatin1String(DefaultValue);
}

bool opensAtStartup(AppContext &context)
{
    return opensAtStartup(read(context));
}

std::optional<int> checkBoxValue(const QString &stored)
{
    bool isNumber = false;
    const int value = stored.trimmed().toInt(&isNumber, 10);
    if (!isNumber || value < 0 || value > 2)
        return std::nullopt;
    return value;
}

} // namespace ShowHelpSetting
