#pragma once

#include <QString>

class AppContext;

// The user's choices, kept in the per-user settings store under the product
// name, in its "Settings" section.
namespace UserSettings {

QString read(AppContext &context, const QString &key, const QString &defaultValue);
void write(AppContext &context, const QString &key, const QString &value);

// On/off choices are stored as "1" and "0"; anything else reads as the default.
bool readSwitch(AppContext &context, const QString &key, bool defaultValue);
void writeSwitch(AppContext &context, const QString &key, bool on);

} // namespace UserSettings
