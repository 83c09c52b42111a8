#include "EntryRow.h"

#include "LargeMemory.h"

#include <cstdint>
#include <cstdlib>
#include <new>
#include <utility>

static_assert(sizeof(EntryRow) == 24, "a million rows add up");

EntryRow::Block *EntryRow::Block::create(qsizetype size)
{
    const size_t bytes = sizeof(Block) + size_t(size) * sizeof(char16_t);
    void *memory = std::malloc(bytes);
    if (!memory)
        return nullptr;
    platform::preferLargePages(memory, qsizetype(bytes));
    return new (memory) Block;
}

EntryRow::Block *EntryRow::Block::shrink(Block *block, qsizetype size, EntryRow *rows, qsizetype rowCount)
{
    // Shrinking keeps the place almost always; where it does not, the old one is
    // gone, so only its address is kept to compare with.
    const auto before = reinterpret_cast<std::uintptr_t>(block);
    void *memory = std::realloc(block, sizeof(Block) + size_t(size) * sizeof(char16_t));
    if (!memory) // nothing changed
        return reinterpret_cast<Block *>(before);
    auto *moved = static_cast<Block *>(memory);
    if (reinterpret_cast<std::uintptr_t>(moved) != before) {
        for (qsizetype i = 0; i < rowCount; ++i)
            rows[i].m_block = moved;
    }
    return moved;
}

void EntryRow::Block::releaseRows(qsizetype rows)
{
    if (m_refs.fetch_sub(rows, std::memory_order_acq_rel) == rows) {
        this->~Block();
        std::free(this);
    }
}

EntryRow::EntryRow(const VaultEntry &entry)
{
    const qsizetype size = entry.Username.size() + entry.Password.size() + entry.Location.size();
    // Exactly the room the three take.
    m_block = Block::create(size);
    if (!m_block)
        throw std::bad_alloc();
    char16_t *next = m_block->text();
    for (const QString *field : {&entry.Username, &entry.Password, &entry.Location}) {
        std::copy(field->utf16(), field->utf16() + field->size(), next);
        next += field->size();
    }
    m_passwordAt = qint32(entry.Username.size());
    m_locationAt = qint32(entry.Username.size() + entry.Password.size());
    m_end = qint32(size);
}

EntryRow::EntryRow(const EntryRow &other) noexcept
    : m_block(other.m_block), m_start(other.m_start), m_passwordAt(other.m_passwordAt),
      m_locationAt(other.m_locationAt), m_end(other.m_end)
{
    if (m_block)
        m_block->addRows(1);
}

EntryRow &EntryRow::operator=(const EntryRow &other) noexcept
{
    if (this != &other)
        *this = EntryRow(other);
    return *this;
}

EntryRow &EntryRow::operator=(EntryRow &&other) noexcept
{
    if (this != &other) {
        if (m_block)
            m_block->releaseRows(1);
        m_block = std::exchange(other.m_block, nullptr);
        m_start = other.m_start;
        m_passwordAt = other.m_passwordAt;
        m_locationAt = other.m_locationAt;
        m_end = other.m_end;
    }
    return *this;
}

QStringView EntryRow::field(int column) const
{
    switch (column) {
    case 0:
        return username();
    case 1:
        return password();
    case 2:
        return location();
    default:
        return {};
    }
}

VaultEntry EntryRow::entry() const
{
    return {username().toString(), password().toString(), location().toString()};
}
