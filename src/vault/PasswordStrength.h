#pragma once

#include <QString>
#include <QStringView>

// How hard a password is to guess, by zxcvbn's estimate of its entropy.
struct Strength
{
    double bits = 0;
    enum class Level { Poor, Weak, Good, Excellent } level = Level::Poor;

    // "Poor", "Weak", "Good" or "Excellent".
    QString word() const;
};

namespace PasswordStrength {

// Where each level begins, in bits.
inline constexpr double WeakFrom = 40, GoodFrom = 65, ExcellentFrom = 100;

Strength::Level levelOf(double bits);
Strength of(QStringView password);

} // namespace PasswordStrength
