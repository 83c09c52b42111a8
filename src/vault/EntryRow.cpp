#include "EntryRow.h"

EntryRow::EntryRow(const VaultEntry &entry)
    : m_passwordAt(qint32(entry.Username.size())),
      m_locationAt(qint32(entry.Username.size() + entry.Password.size()))
{
    // Exactly the room the three take: a million rows add up.
    m_text.reserve(m_locationAt + entry.Location.size());
    m_text.append(entry.Username).append(entry.Password).append(entry.Location);
}

EntryRow::EntryRow(QString text, qsizetype passwordAt, qsizetype locationAt)
    : m_text(std::move(text)), m_passwordAt(qint32(passwordAt)), m_locationAt(qint32(locationAt))
{
}

QStringView EntryRow::field(int column) const
{
    const QStringView text = m_text;
    switch (column) {
    case 0:
        return text.first(m_passwordAt);
    case 1:
        return text.sliced(m_passwordAt, m_locationAt - m_passwordAt);
    case 2:
        return text.sliced(m_locationAt);
    default:
        return {};
    }
}

VaultEntry EntryRow::entry() const
{
    return {username().toString(), password().toString(), location().toString()};
}
