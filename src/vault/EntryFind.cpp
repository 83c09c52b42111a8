#include "EntryFind.h"

EntryFind::EntryFind(QStringView typed)
{
    for (QStringView word : typed.tokenize(u' ', Qt::SkipEmptyParts))
        m_words.push_back(word.toString());
}

bool EntryFind::matches(const EntryRow &row) const
{
    const QStringView username = row.username();
    const QStringView location = row.location();
    for (const QString &word : m_words) {
        if (!username.contains(word, Qt::CaseInsensitive) && !location.contains(word, Qt::CaseInsensitive))
            return false;
    }
    return true;
}
