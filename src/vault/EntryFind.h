#pragma once

#include "EntryRow.h"

#include <QString>
#include <QStringView>

#include <vector>

// Narrows the entries to those whose username or location holds every typed word.
class EntryFind
{
public:
    // Words are split at spaces; empty words are skipped.
    explicit EntryFind(QStringView typed);

    // No words: everything matches.
    bool isEmpty() const { return m_words.empty(); }
    // Case is ignored; passwords are never searched. Runs for every row at every
    // keystroke, so it allocates nothing.
    bool matches(const EntryRow &row) const;

private:
    std::vector<QString> m_words;
};
