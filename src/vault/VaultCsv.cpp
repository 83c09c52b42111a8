#include "VaultCsv.h"

#include "CsvTable.h"
#include "Rules.h"

#include <QBuffer>
#include <QIODevice>
#include <QSet>

#include <algorithm>
#include <array>
#include <new>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

using VaultCsv::Format;

// A peer's export: the columns its header must have (others may come and go,
// in any order), and those an entry is taken from. The location is the
// address, or the title when a row has none.
struct PeerFormat
{
    Format format;
    QLatin1StringView name;
    QStringList required;
    QString username, password, address, title;
};

const std::array<PeerFormat, 5> &peerFormats()
{
    static const std::array<PeerFormat, 5> formats{{
        {Format::Keyholder, "keyholder"_L1, {u"username"_s, u"password"_s, u"location"_s},
         u"username"_s, u"password"_s, u"location"_s, {}},
        {Format::KeePassXC, "keepassxc"_L1, {u"Title"_s, u"Username"_s, u"Password"_s, u"URL"_s},
         u"Username"_s, u"Password"_s, u"URL"_s, u"Title"_s},
        {Format::Bitwarden, "bitwarden"_L1, {u"name"_s, u"login_uri"_s, u"login_username"_s, u"login_password"_s},
         u"login_username"_s, u"login_password"_s, u"login_uri"_s, u"name"_s},
        {Format::Chrome, "chrome"_L1, {u"name"_s, u"url"_s, u"username"_s, u"password"_s},
         u"username"_s, u"password"_s, u"url"_s, u"name"_s},
        {Format::Firefox, "firefox"_L1, {u"url"_s, u"username"_s, u"password"_s, u"httpRealm"_s},
         u"username"_s, u"password"_s, u"url"_s, {}},
    }};
    return formats;
}

bool headerFits(const PeerFormat &peer, const CsvTable::Row &header)
{
    return std::all_of(peer.required.begin(), peer.required.end(),
                       [&](const QString &column) { return header.contains(column); });
}

QStringList namesOf(const std::vector<const PeerFormat *> &peers)
{
    QStringList names;
    for (const PeerFormat *peer : peers)
        names.append(peer->name);
    return names;
}

Result<const PeerFormat *> peerFor(Format format, const CsvTable::Row &header)
{
    std::vector<const PeerFormat *> fitting;
    for (const PeerFormat &peer : peerFormats()) {
        if ((format == Format::Auto || format == peer.format) && headerFits(peer, header))
            fitting.push_back(&peer);
    }
    if (fitting.size() == 1)
        return fitting.front();
    if (fitting.size() > 1)
        return Error{u"The header row fits the %1 formats alike; --format says which it is"_s.arg(
                namesOf(fitting).join(u" and "))};
    if (format != Format::Auto)
        return Error{u"The header row is not that of a %1 export"_s.arg(VaultCsv::nameOf(format))};
    return Error{u"The header row matches none of the formats known: %1"_s.arg(
            VaultCsv::formatNames().sliced(1).join(u", "))};
}

// Column positions of one peer's fields in this file's header; -1 for none.
struct Columns
{
    Columns(const PeerFormat &peer, const CsvTable::Row &header)
        : username(header.indexOf(peer.username)), password(header.indexOf(peer.password)),
          address(header.indexOf(peer.address)), title(peer.title.isEmpty() ? -1 : header.indexOf(peer.title))
    {
    }
    qsizetype username, password, address, title;
};

QString fieldOf(const CsvTable::Row &row, qsizetype column)
{
    return column < 0 ? QString() : row.at(column);
}

VaultEntry entryOf(const CsvTable::Row &row, const Columns &columns)
{
    QString location = fieldOf(row, columns.address);
    if (location.isEmpty())
        location = fieldOf(row, columns.title);
    return {fieldOf(row, columns.username), fieldOf(row, columns.password), location};
}

// An entry by its three texts, pointing at a known row or a new one. New rows
// have their room reserved, so they seldom move; when they must, the keys are made anew.
struct SameEntry
{
    const EntryRow *row;
    friend bool operator==(SameEntry a, SameEntry b) { return *a.row == *b.row; }
    friend size_t qHash(SameEntry key, size_t seed)
    {
        return qHashMulti(seed, key.row->username(), key.row->password(), key.row->location());
    }
};

// Rows end in LF or CR LF, and a row worth keeping takes some bytes: blank
// lines are skipped. More rows than this only cost a regrowth.
qsizetype likelyRowsIn(QIODevice &csv)
{
    constexpr qsizetype SmallestRow = 16;
    qsizetype lines = 1;
    for (QByteArray piece; !(piece = csv.read(1 << 16)).isEmpty();)
        lines += piece.count('\n');
    const qsizetype size = csv.size();
    csv.seek(0);
    return std::min(lines, size / SmallestRow + 1);
}

class Importer
{
public:
    Importer(Format asked, const std::vector<EntryRow> &known, qsizetype likelyRows)
        : m_asked(asked), m_known(known)
    {
        m_import.rows.reserve(size_t(likelyRows));
        m_seen.reserve(qsizetype(known.size()) + likelyRows);
        for (const EntryRow &row : known)
            m_seen.insert({&row});
    }

    void take(CsvTable::Row &&row)
    {
        if (++m_rowNumber == 1) {
            takeHeader(std::move(row));
            return;
        }
        if (!m_peer)
            return;
        if (row.size() != m_header.size()) {
            reject(u"it has %1 fields where the header has %2"_s.arg(row.size()).arg(m_header.size()));
            return;
        }
        const VaultEntry entry = entryOf(row, *m_columns);
        if (const Rules::EntryCheck check = Rules::checkEntry(entry); !check.ok()) {
            reject(check.sentence());
            return;
        }
        if (m_import.rows.size() == m_import.rows.capacity())
            growRows();
        m_import.rows.emplace_back(entry);
        if (!m_seen.contains({&m_import.rows.back()})) {
            m_seen.insert({&m_import.rows.back()});
            return;
        }
        m_import.rows.pop_back();
        ++m_import.duplicates;
    }

    Result<VaultCsv::Import> finish()
    {
        if (m_rowNumber == 0)
            return Error{u"The file is empty"_s};
        if (!m_peer)
            return m_peer.error();
        m_import.format = m_peer.value()->format;
        return std::move(m_import);
    }

private:
    void takeHeader(CsvTable::Row &&header)
    {
        m_header = std::move(header);
        m_peer = peerFor(m_asked, m_header);
        if (m_peer)
            m_columns.emplace(*m_peer.value(), m_header);
    }

    void reject(QString reason) { m_import.rejected.push_back({m_rowNumber, std::move(reason)}); }

    void growRows()
    {
        m_import.rows.reserve(std::max<size_t>(16, 2 * m_import.rows.capacity()));
        m_seen.clear();
        for (const std::vector<EntryRow> *rows : {&m_known, &std::as_const(m_import.rows)}) {
            for (const EntryRow &row : *rows)
                m_seen.insert({&row});
        }
    }

    Format m_asked;
    const std::vector<EntryRow> &m_known;
    VaultCsv::Import m_import;
    QSet<SameEntry> m_seen;
    CsvTable::Row m_header;
    Result<const PeerFormat *> m_peer = Error{};
    std::optional<Columns> m_columns;
    int m_rowNumber = 0;
};

} // namespace

namespace VaultCsv {

QStringList formatNames()
{
    QStringList names{u"auto"_s};
    for (const PeerFormat &peer : peerFormats())
        names.append(peer.name);
    return names;
}

std::optional<Format> formatNamed(QStringView name)
{
    if (name == u"auto")
        return Format::Auto;
    for (const PeerFormat &peer : peerFormats()) {
        if (name == peer.name)
            return peer.format;
    }
    return std::nullopt;
}

QString nameOf(Format format)
{
    for (const PeerFormat &peer : peerFormats()) {
        if (peer.format == format)
            return peer.name;
    }
    return u"auto"_s;
}

Result<Import> importCsv(QIODevice &csv, Format format, const std::vector<EntryRow> &known)
{
    try {
        Importer importer(format, known, csv.isSequential() ? 0 : likelyRowsIn(csv));
        if (Result<void> read = CsvTable::read(csv, [&importer](CsvTable::Row &&row) { importer.take(std::move(row)); });
            !read)
            return read.error();
        return importer.finish();
    } catch (const std::bad_alloc &) {
        return Error{u"There is not enough memory to read it"_s};
    }
}

Result<Import> importCsv(QByteArrayView utf8, Format format)
{
    QByteArray bytes = utf8.toByteArray();
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return importCsv(buffer, format);
}

QByteArray exportCsv(const std::vector<EntryRow> &rows)
{
    QByteArray out;
    CsvTable::appendRow(out, peerFormats().front().required);
    for (const EntryRow &row : rows)
        CsvTable::appendRow(out, {row.username().toString(), row.password().toString(), row.location().toString()});
    return out;
}

} // namespace VaultCsv
