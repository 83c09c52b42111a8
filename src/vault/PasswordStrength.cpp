#include "PasswordStrength.h"

#include "Wipe.h"

#include <zxcvbn.h>

using namespace Qt::StringLiterals;

QString Strength::word() const
{
    switch (level) {
    case Level::Poor:
        return u"Poor"_s;
    case Level::Weak:
        return u"Weak"_s;
    case Level::Good:
        return u"Good"_s;
    case Level::Excellent:
        break;
    }
    return u"Excellent"_s;
}

namespace PasswordStrength {

Strength::Level levelOf(double bits)
{
    if (bits < WeakFrom)
        return Strength::Level::Poor;
    if (bits < GoodFrom)
        return Strength::Level::Weak;
    if (bits < ExcellentFrom)
        return Strength::Level::Good;
    return Strength::Level::Excellent;
}

Strength of(QStringView password)
{
    QByteArray utf8 = password.toUtf8();
    const double bits = ZxcvbnMatch(utf8.constData(), nullptr, nullptr);
    Wipe::bytes(utf8);
    return {bits, levelOf(bits)};
}

} // namespace PasswordStrength
