#pragma once

#include "VaultEntry.h"

#include <QString>
#include <QStringView>

#include <atomic>
#include <utility>

// One entry as entries are kept in bulk (the list, a file read or written):
// the three fields back to back in a block of text. A file read puts every
// entry's fields in one block that its rows share, so a vault of a million
// entries costs one allocation, not one per entry. To edit or compare one
// entry, take its VaultEntry.
class EntryRow
{
public:
    // Text that rows point into; counted, and freed with its last row.
    class Block
    {
    public:
        // Room for size UTF-16 units; nullptr when there is no memory for it.
        static Block *create(qsizetype size);
        char16_t *text() { return reinterpret_cast<char16_t *>(this + 1); }
        const char16_t *text() const { return reinterpret_cast<const char16_t *>(this + 1); }
        // Gives back the room past size units (a file's line ends and separators);
        // rows already made in it are moved along with it.
        static Block *shrink(Block *block, qsizetype size, EntryRow *rows, qsizetype rowCount);
        void addRows(qsizetype rows) { m_refs.fetch_add(rows, std::memory_order_relaxed); }
        void releaseRows(qsizetype rows);

    private:
        Block() = default;
        std::atomic<qsizetype> m_refs{1};
        qsizetype m_padding = 0; // keeps the text 16-byte aligned
    };

    EntryRow() = default;
    explicit EntryRow(const VaultEntry &entry);
    // A row of a shared block: fields at [start, passwordAt), [passwordAt, locationAt), [locationAt, end).
    // The block's count must already include this row (Block::addRows).
    static EntryRow inBlock(Block *block, qsizetype start, qsizetype passwordAt, qsizetype locationAt,
                            qsizetype end)
    {
        EntryRow row;
        row.m_block = block;
        row.m_start = qint32(start);
        row.m_passwordAt = qint32(passwordAt);
        row.m_locationAt = qint32(locationAt);
        row.m_end = qint32(end);
        return row;
    }

    EntryRow(const EntryRow &other) noexcept;
    EntryRow(EntryRow &&other) noexcept
        : m_block(std::exchange(other.m_block, nullptr)), m_start(other.m_start), m_passwordAt(other.m_passwordAt),
          m_locationAt(other.m_locationAt), m_end(other.m_end)
    {
    }
    EntryRow &operator=(const EntryRow &other) noexcept;
    EntryRow &operator=(EntryRow &&other) noexcept;
    ~EntryRow()
    {
        if (m_block)
            m_block->releaseRows(1);
    }

    // 0 username, 1 password, 2 location; any other column is empty.
    QStringView field(int column) const;
    QStringView username() const { return span(m_start, m_passwordAt); }
    QStringView password() const { return span(m_passwordAt, m_locationAt); }
    QStringView location() const { return span(m_locationAt, m_end); }
    VaultEntry entry() const;

    friend bool operator==(const EntryRow &a, const EntryRow &b)
    {
        return a.username() == b.username() && a.password() == b.password() && a.location() == b.location();
    }

private:
    QStringView span(qint32 from, qint32 to) const
    {
        return m_block ? QStringView(m_block->text() + from, to - from) : QStringView();
    }

    Block *m_block = nullptr;
    // Offsets in the block. A vault file is far smaller than 2 GiB, and so is every field in it.
    qint32 m_start = 0;
    qint32 m_passwordAt = 0;
    qint32 m_locationAt = 0;
    qint32 m_end = 0;
};
