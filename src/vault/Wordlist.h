#pragma once

#include <QStringList>

// The EFF large wordlist (7,776 words, CC BY 3.0), taken at build time from
// Debian's diceware package and built into the core.
namespace Wordlist {

inline constexpr int EffSize = 7776;

// Read once, on first use. Empty when the built-in copy is not the whole list.
const QStringList &eff();

} // namespace Wordlist
