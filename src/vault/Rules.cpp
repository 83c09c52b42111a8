#include "Rules.h"

#include <array>

using namespace Qt::StringLiterals;

namespace Rules {

namespace {

QString nameOf(VaultFormat::Field field)
{
    switch (field) {
    case VaultFormat::Field::Username:
        return u"username"_s;
    case VaultFormat::Field::Password:
        return u"password"_s;
    case VaultFormat::Field::Location:
        break;
    }
    return u"location"_s;
}

} // namespace

MasterPasswordCheck checkMasterPassword(QStringView password)
{
    if (password.size() < MinimumMasterPasswordLength)
        return {MasterPasswordCheck::Problem::TooShort, {}};
    if (QString reason = VaultFormat::unstorableReason(password); !reason.isEmpty())
        return {MasterPasswordCheck::Problem::Unstorable, std::move(reason)};
    return {};
}

EntryCheck checkEntry(const VaultEntry &entry)
{
    using Field = VaultFormat::Field;
    if (entry.Username.isEmpty())
        return {EntryCheck::Problem::NoUsername, Field::Username, {}};
    if (entry.Password.isEmpty())
        return {EntryCheck::Problem::NoPassword, Field::Password, {}};
    const std::array<std::pair<const QString *, Field>, 3> fields{
            {{&entry.Username, Field::Username}, {&entry.Password, Field::Password}, {&entry.Location, Field::Location}}};
    for (const auto &[text, field] : fields) {
        if (QString reason = VaultFormat::fieldUnstorableReason(*text, field); !reason.isEmpty())
            return {EntryCheck::Problem::Unstorable, field, std::move(reason)};
    }
    return {};
}

QString EntryCheck::sentence() const
{
    switch (problem) {
    case Problem::None:
        break;
    case Problem::NoUsername:
    case Problem::NoPassword:
        return u"the %1 is empty"_s.arg(nameOf(field));
    case Problem::Unstorable:
        return u"the %1 cannot be stored: %2"_s.arg(nameOf(field), reason);
    }
    return {};
}

} // namespace Rules
