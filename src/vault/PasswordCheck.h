#pragma once

#include "EntryRow.h"
#include "Result.h"

#include <QString>

#include <functional>
#include <vector>

class BreachList;

// A password that should be changed, and why.
struct Finding
{
    int row; // 0-based in the list
    enum class Kind { Breached, Reused, Weak } kind;
    QString reason; // "breached: seen 1234 times", "reused: 3 entries", "weak: 23 bits"
};

// The vault's passwords that are weak (below the Good level), reused by other
// entries, or in a list of breached passwords. Worst first: breached (most
// often seen first), then reused (most entries first), then weak (fewest bits
// first), in list order where those are equal. An entry may have one finding of each kind.
namespace PasswordCheck {

// After each distinct password: how many are done, of how many. Returning false stops the check.
using Progress = std::function<bool(qsizetype done, qsizetype total)>;

// Fails when the breach list turns out unusable (out of order), or when progress stops it.
Result<std::vector<Finding>> run(const std::vector<EntryRow> &rows, const BreachList *breaches = nullptr,
                                 const Progress &progress = {});

} // namespace PasswordCheck
