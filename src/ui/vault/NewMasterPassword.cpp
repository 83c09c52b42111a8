#include "ui/vault/NewMasterPassword.h"

#include "vault/Rules.h"

using namespace Qt::StringLiterals;

namespace NewMasterPassword {

std::optional<Refusal> check(const QString &password, const QString &retyped)
{
    const Rules::MasterPasswordCheck check = Rules::checkMasterPassword(password);
    using Problem = Rules::MasterPasswordCheck::Problem;
    if (check.problem == Problem::TooShort)
        return Refusal{u"You must enter a password that is at least 4 characters long"_s, {}, false};
    if (retyped != password)
        return Refusal{u"Your passwords did not match.  Please try again."_s, {}, true};
    if (check.problem == Problem::Unstorable)
        return Refusal{u"This password cannot be used: "_s + check.reason + u'.', u"Error"_s, false};
    return std::nullopt;
}

} // namespace NewMasterPassword
