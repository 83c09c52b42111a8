#pragma once

#include <QString>
#include <optional>

class AppContext;

// The program's one user setting, "showHelp": whether the help window opens by
// itself at start-up. Kept in the per-user settings store under the product name.
namespace ShowHelpSetting {

inline constexpr const char *DefaultValue = "1";

// The stored text, or "1" when nothing is stored.
QString read(AppContext &context);
void write(AppContext &context, const QString &value);

// Only the exact text "1" asks for the window; "01" or " 1" do not.
bool opensAtStartup(const QString &stored);
bool opensAtStartup(AppContext &context);

// The check box value the stored text stands for: 0 unchecked, 1 checked,
// 2 greyed. Nothing for text that is not a whole number or is out of range.
std::optional<int> checkBoxValue(const QString &stored);

} // namespace ShowHelpSetting
