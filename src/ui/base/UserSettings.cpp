#include "ui/base/UserSettings.h"

#include "ui/base/AppContext.h"

namespace UserSettings {

namespace {

const QString Section = QStringLiteral("Settings");

QString applicationName(const AppContext &context)
{
    return context.platform.versionInfo().ProductName;
}

} // namespace

QString read(AppContext &context, const QString &key, const QString &defaultValue)
{
    return context.platform.readSetting(applicationName(context), Section, key, defaultValue);
}

void write(AppContext &context, const QString &key, const QString &value)
{
    context.platform.writeSetting(applicationName(context), Section, key, value);
}

bool readSwitch(AppContext &context, const QString &key, bool defaultValue)
{
    const QString stored = read(context, key, {});
    if (stored == QLatin1String("1"))
        return true;
    if (stored == QLatin1String("0"))
        return false;
    return defaultValue;
}

void writeSwitch(AppContext &context, const QString &key, bool on)
{
    write(context, key, on ? QStringLiteral("1") : QStringLiteral("0"));
}

} // namespace UserSettings
