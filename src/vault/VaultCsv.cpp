#include "VaultCsv.h"

#include "CsvTable.h"
#include "VaultFormat.h"

#include <algorithm>
#include <array>

using namespace Qt::StringLiterals;

namespace {

using VaultCsv::Format;

// A peer's documented header row (the leading columns, where it has more),
// and the columns an entry is taken from. The location is the address, or the
// title when a row has none.
struct PeerFormat
{
    Format format;
    QLatin1StringView name;
    QStringList header;
    QString username, password, address, title;
};

const std::array<PeerFormat, 5> &peerFormats()
{
    static const std::array<PeerFormat, 5> formats{{
        {Format::Keyholder, "keyholder"_L1, {u"username"_s, u"password"_s, u"location"_s},
         u"username"_s, u"password"_s, u"location"_s, {}},
        {Format::KeePassXC, "keepassxc"_L1,
         {u"Group"_s, u"Title"_s, u"Username"_s, u"Password"_s, u"URL"_s, u"Notes"_s},
         u"Username"_s, u"Password"_s, u"URL"_s, u"Title"_s},
        {Format::Bitwarden, "bitwarden"_L1,
         {u"folder"_s, u"favorite"_s, u"type"_s, u"name"_s, u"notes"_s, u"fields"_s, u"reminder"_s,
          u"login_uri"_s, u"login_username"_s, u"login_password"_s, u"login_totp"_s},
         u"login_username"_s, u"login_password"_s, u"login_uri"_s, u"name"_s},
        {Format::Chrome, "chrome"_L1, {u"name"_s, u"url"_s, u"username"_s, u"password"_s, u"note"_s},
         u"username"_s, u"password"_s, u"url"_s, u"name"_s},
        {Format::Firefox, "firefox"_L1, {u"url"_s, u"username"_s, u"password"_s, u"httpRealm"_s},
         u"username"_s, u"password"_s, u"url"_s, {}},
    }};
    return formats;
}

bool headerMatches(const PeerFormat &peer, const CsvTable::Row &header)
{
    return header.size() >= peer.header.size()
            && std::equal(peer.header.begin(), peer.header.end(), header.begin());
}

const PeerFormat *peerFor(Format format, const CsvTable::Row &header)
{
    for (const PeerFormat &peer : peerFormats()) {
        if ((format == Format::Auto || format == peer.format) && headerMatches(peer, header))
            return &peer;
    }
    return nullptr;
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

Result<Import> importCsv(QByteArrayView utf8, Format format)
{
    Result<std::vector<CsvTable::Row>> rows = CsvTable::read(utf8);
    if (!rows)
        return rows.error();
    if (rows->empty())
        return Error{u"The file is empty"_s};
    const CsvTable::Row &header = rows->front();
    const PeerFormat *peer = peerFor(format, header);
    if (!peer) {
        if (format != Format::Auto)
            return Error{u"The header row is not that of a %1 export"_s.arg(nameOf(format))};
        return Error{u"The header row matches none of the formats known: %1"_s.arg(
                formatNames().sliced(1).join(u", "))};
    }
    const Columns columns(*peer, header);
    Import import;
    import.format = peer->format;
    import.entries.reserve(rows->size() - 1);
    for (size_t i = 1; i < rows->size(); ++i) {
        const CsvTable::Row &row = rows.value()[i];
        const int rowNumber = int(i) + 1;
        if (row.size() != header.size()) {
            import.rejected.push_back({rowNumber, u"it has %1 fields where the header has %2"_s.arg(
                                                          row.size()).arg(header.size())});
            continue;
        }
        VaultEntry entry = entryOf(row, columns);
        if (QString reason = VaultFormat::entryUnstorableReason(entry); !reason.isEmpty())
            import.rejected.push_back({rowNumber, std::move(reason)});
        else
            import.entries.push_back(std::move(entry));
    }
    return import;
}

QByteArray exportCsv(const std::vector<VaultEntry> &entries)
{
    QByteArray out;
    CsvTable::appendRow(out, peerFormats().front().header);
    for (const VaultEntry &entry : entries)
        CsvTable::appendRow(out, {entry.Username, entry.Password, entry.Location});
    return out;
}

} // namespace VaultCsv
